// Value types shared by every canvas: colours, points, rectangles, polygons, small sets,
// corners, the transformation matrix and the few enumerations a host is created with;
// plain data with no behaviour beyond comparison and a rectangle's size. Also the bytes
// of UTF-8 text, which hosts and the recording both make.
/// @file
/// Value types: colours, points, rectangles, polygons, sets, corners, the matrix.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <type_traits>
#include <vector>

#include "fsvg/export.h"

/// Everything fsvgcanvas declares: the host canvas layer (value types, paint, text
/// layout, TCanvas), the streams, the errors and the recording canvas. Internal pieces
/// live in fsvg::detail and are not part of the interface.
namespace fsvg {
/// @addtogroup hostcanvas
/// @{

/// A colour as 0xAARRGGBB: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
using TAlphaColor = std::uint32_t;

/// A point in logical units.
///
///     fsvg::TPointF Start{10, 20};
///     fsvg::TPointF End{110, 20};
///     Canvas.DrawLine(Start, End, 1);
struct TPointF {
  float X = 0;  ///< horizontal coordinate, growing to the right
  float Y = 0;  ///< vertical coordinate, growing downwards

  /// Equal when both coordinates are.
  friend bool operator==(const TPointF&, const TPointF&) = default;
};

/// A rectangle by its four edges, never normalised: Right may lie left of Left
/// (Normalized, in outline.h, puts the edges in order).
///
///     fsvg::TRectF Bar{10, 20, 110, 70};  // left, top, right, bottom
///     float Width = Bar.Width();          // 100
///     Canvas.FillRect(Bar, 0, 0, fsvg::AllCorners, 1);
struct TRectF {
  float Left = 0;    ///< x of the left edge
  float Top = 0;     ///< y of the top edge
  float Right = 0;   ///< x of the right edge
  float Bottom = 0;  ///< y of the bottom edge

  /// Right - Left, in single precision.
  float Width() const { return Right - Left; }
  /// Bottom - Top, in single precision.
  float Height() const { return Bottom - Top; }
  /// The midpoint of both axes, in single precision.
  TPointF CenterPoint() const { return {(Left + Right) / 2, (Top + Bottom) / 2}; }

  /// Equal when all four edges are.
  friend bool operator==(const TRectF&, const TRectF&) = default;
};

/// An ordered list of points; may be empty.
using TPolygon = std::vector<TPointF>;

/// A small set over an enumeration whose members number fewer than 32.
template <typename E>
///
///     TCorners Corners{TCorner::TopLeft, TCorner::BottomRight};
///     Corners.Include(TCorner::TopRight);
///     if (Corners.Contains(TCorner::TopLeft)) { /* ... */ }
class TSet {
 public:
  static_assert(std::is_enum_v<E>);

  /// The empty set.
  constexpr TSet() = default;
  /// The set of the given members: `TCorners{TCorner::TopLeft}`.
  constexpr TSet(std::initializer_list<E> Members) {
    for (E Member : Members) FBits |= Bit(Member);
  }

  /// True when Member is in the set.
  constexpr bool Contains(E Member) const { return (FBits & Bit(Member)) != 0; }
  /// True when the set has no member.
  constexpr bool IsEmpty() const { return FBits == 0; }
  /// Adds Member; returns this set.
  constexpr TSet& Include(E Member) {
    FBits |= Bit(Member);
    return *this;
  }
  /// Removes Member; returns this set.
  constexpr TSet& Exclude(E Member) {
    FBits &= ~Bit(Member);
    return *this;
  }
  /// The union of two sets.
  constexpr friend TSet operator|(TSet A, TSet B) { return FromBits(A.FBits | B.FBits); }
  /// The intersection of two sets.
  constexpr friend TSet operator&(TSet A, TSet B) { return FromBits(A.FBits & B.FBits); }
  /// Equal when both hold the same members.
  constexpr friend bool operator==(TSet, TSet) = default;

 private:
  static constexpr std::uint32_t Bit(E Member) { return std::uint32_t{1} << static_cast<unsigned>(Member); }
  static constexpr TSet FromBits(std::uint32_t Bits) {
    TSet Result;
    Result.FBits = Bits;
    return Result;
  }
  std::uint32_t FBits = 0;
};

/// The four corners of a rectangle.
enum class TCorner {
  TopLeft,     ///< at Left, Top
  TopRight,    ///< at Right, Top
  BottomLeft,  ///< at Left, Bottom
  BottomRight  ///< at Right, Bottom
};
/// A set of corners: the corners of a rectangle that get its radii.
using TCorners = TSet<TCorner>;
/// The set of all four corners.
inline constexpr TCorners AllCorners{TCorner::TopLeft, TCorner::TopRight, TCorner::BottomLeft, TCorner::BottomRight};

/// How a host paints a corner that has a radius. The SVG records every rounded corner
/// as round.
enum class TCornerType {
  Round,       ///< an elliptical quarter bulging outwards
  Bevel,       ///< a straight cut
  InnerRound,  ///< an elliptical quarter cut inwards
  InnerLine    ///< a two-segment notch cut inwards
};

/// The rendering quality a host was created with; only passed through.
enum class TCanvasQuality {
  SystemDefault,    ///< whatever the host deems right
  HighPerformance,  ///< speed first
  HighQuality       ///< anti-aliasing and exact rasterisation first
};

/// What a canvas knows of its current transformation matrix.
enum class TMatrixMeaning {
  Unknown,   ///< anything else: scaling, rotation, shear
  Identity,  ///< the identity
  Translate  ///< a pure translation by m31, m32
};

/// A 3x3 affine matrix in row-vector form: x' = x*m11 + y*m21 + m31,
/// y' = x*m12 + y*m22 + m32.
///
///     TMatrix Scale;            // the identity
///     Scale.m11 = Scale.m22 = 2; // twice the size
///     Canvas.SetMatrix(Scale);
struct TMatrix {
  float m11 = 1;  ///< x scale (and rotation)
  float m12 = 0;  ///< y shear (and rotation)
  float m13 = 0;  ///< projective, 0 for an affine matrix
  float m21 = 0;  ///< x shear (and rotation)
  float m22 = 1;  ///< y scale (and rotation)
  float m23 = 0;  ///< projective, 0 for an affine matrix
  float m31 = 0;  ///< x translation
  float m32 = 0;  ///< y translation
  float m33 = 1;  ///< 1 for an affine matrix

  /// Equal when all nine entries are.
  friend bool operator==(const TMatrix&, const TMatrix&) = default;
};

/// Clip rectangles handed to BeginScene; passed through unexamined.
using PClipRects = const std::vector<TRectF>*;

/// A block of bytes.
using TBytes = std::vector<std::uint8_t>;

/// The UTF-8 encoding of Text, without a byte-order mark. An unpaired surrogate becomes
/// U+FFFD, so the result is always valid UTF-8.
FSVG_API TBytes ToUtf8(std::u16string_view Text);

/// @}
}  // namespace fsvg
