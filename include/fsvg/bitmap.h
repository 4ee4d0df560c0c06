// TBitmap: the pixels DrawBitmap paints and records, a width, a height and one
// TAlphaColor a pixel, row-major from the top left, either owned or viewed in the
// caller's memory.
/// @file
/// TBitmap, the image value DrawBitmap takes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "fsvg/errors.h"
#include "fsvg/export.h"
#include "fsvg/types.h"

namespace fsvg {
/// @addtogroup hostcanvas
/// @{

/// Width by Height pixels, 0xAARRGGBB each (not premultiplied), row after row from the
/// top left. Made from pixels it owns, or as a view of the caller's, which must then
/// outlive it and stay unchanged while it is drawn. A copy of a view views the same
/// pixels; a copy of owned pixels owns a copy of them.
///
///     std::vector<fsvg::TAlphaColor> Pixels(64 * 32, 0xFF2F6BD8);
///     const fsvg::TBitmap Bitmap(64, 32, std::move(Pixels));
///     Canvas.DrawBitmap(Bitmap, {0, 0, 64, 32}, {10, 10, 138, 74}, 1, false);
class FSVG_API TBitmap {
 public:
  /// No pixels, of no size.
  TBitmap() = default;
  /// Owns Pixels. Throws EArgumentError for a negative size or a pixel count other than
  /// Width * Height, EOverflowError when that product, in bytes, cannot be held.
  TBitmap(std::int32_t Width, std::int32_t Height, std::vector<TAlphaColor> Pixels);
  /// Views Pixels, the caller's; refusals as above.
  TBitmap(std::int32_t Width, std::int32_t Height, std::span<const TAlphaColor> Pixels);

  /// A copy: of the pixels when Other owns them, else a second view of the caller's.
  TBitmap(const TBitmap& Other);
  /// Copies as the copy constructor does.
  TBitmap& operator=(const TBitmap& Other);
  /// Takes Other's pixels or view, and leaves Other empty (no pixels, of no size).
  TBitmap(TBitmap&& Other) noexcept;
  /// Takes Other's pixels or view, and leaves Other empty (no pixels, of no size).
  TBitmap& operator=(TBitmap&& Other) noexcept;

  /// Width in pixels.
  std::int32_t GetWidth() const { return FWidth; }
  /// Height in pixels.
  std::int32_t GetHeight() const { return FHeight; }
  /// Every pixel, row after row.
  std::span<const TAlphaColor> Pixels() const { return FPixels; }
  /// The first pixel of row Y (0 <= Y < GetHeight(), unchecked).
  const TAlphaColor* Row(std::int32_t Y) const { return FPixels.data() + static_cast<std::size_t>(Y) * FWidth; }

  /// Equal when the sizes and every pixel are, whoever owns them.
  friend bool operator==(const TBitmap& A, const TBitmap& B) {
    return A.FWidth == B.FWidth && A.FHeight == B.FHeight && std::ranges::equal(A.FPixels, B.FPixels);
  }

 private:
  std::int32_t FWidth = 0;
  std::int32_t FHeight = 0;
  std::vector<TAlphaColor> FOwned;
  std::span<const TAlphaColor> FPixels;
};

/// Color premultiplied by its alpha, that alpha first multiplied by Opacity (from 0 to 1)
/// and rounded: a pixel as the premultiplied images of Cairo and Qt hold it.
/// @ingroup writinghost
constexpr TAlphaColor Premultiplied(TAlphaColor Color, double Opacity = 1) {
  const std::uint32_t A = Opacity == 1 ? Color >> 24 : static_cast<std::uint32_t>((Color >> 24) * Opacity + 0.5);
  const auto Scaled = [A](std::uint32_t Channel) { return (Channel * A + 127) / 255; };
  return A << 24 | Scaled(Color >> 16 & 0xFF) << 16 | Scaled(Color >> 8 & 0xFF) << 8 | Scaled(Color & 0xFF);
}

/// @}
}  // namespace fsvg
