// TBitmap's checks of its size against its pixels, its copies and its moves.
#include "fsvg/bitmap.h"

#include <limits>
#include <utility>

namespace fsvg {

namespace {

// Throws unless Count pixels make Width by Height: sizes not negative, and their product
// in bytes held by a std::size_t.
void RequireShape(std::int32_t Width, std::int32_t Height, std::size_t Count) {
  if (Width < 0 || Height < 0) throw EArgumentError("TBitmap: the size must not be negative");
  const auto W = static_cast<std::size_t>(Width);
  const auto H = static_cast<std::size_t>(Height);
  if (W != 0 && H > std::numeric_limits<std::size_t>::max() / sizeof(TAlphaColor) / W)
    throw EOverflowError("TBitmap: the pixel count cannot be held");
  if (Count != W * H) throw EArgumentError("TBitmap: the pixel count must be the width times the height");
}

}  // namespace

TBitmap::TBitmap(std::int32_t Width, std::int32_t Height, std::vector<TAlphaColor> Pixels)
    : FWidth(Width), FHeight(Height), FOwned(std::move(Pixels)), FPixels(FOwned) {
  RequireShape(Width, Height, FOwned.size());
}

TBitmap::TBitmap(std::int32_t Width, std::int32_t Height, std::span<const TAlphaColor> Pixels)
    : FWidth(Width), FHeight(Height), FPixels(Pixels) {
  RequireShape(Width, Height, Pixels.size());
}

TBitmap::TBitmap(const TBitmap& Other)
    : FWidth(Other.FWidth), FHeight(Other.FHeight), FOwned(Other.FOwned), FPixels(Other.FPixels) {
  if (!FOwned.empty()) FPixels = FOwned;
}

TBitmap& TBitmap::operator=(const TBitmap& Other) {
  if (this != &Other) *this = TBitmap(Other);
  return *this;
}

// The view goes with the pixels: a source left viewing them would read them after the
// new owner frees them.
TBitmap::TBitmap(TBitmap&& Other) noexcept
    : FWidth(std::exchange(Other.FWidth, 0)),
      FHeight(std::exchange(Other.FHeight, 0)),
      FOwned(std::move(Other.FOwned)),
      FPixels(std::exchange(Other.FPixels, {})) {}

TBitmap& TBitmap::operator=(TBitmap&& Other) noexcept {
  if (this != &Other) {
    FWidth = std::exchange(Other.FWidth, 0);
    FHeight = std::exchange(Other.FHeight, 0);
    FOwned = std::move(Other.FOwned);
    FPixels = std::exchange(Other.FPixels, {});
    Other.FOwned.clear();
  }
  return *this;
}

}  // namespace fsvg
