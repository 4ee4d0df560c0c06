// Paint objects: the fill brush, the stroke brush with its dash, cap and join, and the
// font. A host reads them when it paints; DashPattern gives the one dash pattern and
// BitmapPlacement the one place of a bitmap brush's pixels that every host and every
// recording of them share.
/// @file
/// Paint: brushes, the stroke brush with its dash, cap and join, and fonts.
#pragma once

#include <cmath>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "fsvg/bitmap.h"
#include "fsvg/export.h"
#include "fsvg/gradient.h"
#include "fsvg/types.h"

namespace fsvg {
/// @addtogroup hostcanvas
/// @{

/// What a brush paints with. Only None leaves no mark; every other kind is recorded
/// with the brush's one Color, but a Gradient brush that holds a gradient and a Bitmap
/// brush that holds pixels under TSvgOptions::Gradients.
enum class TBrushKind {
  None,      ///< paints nothing
  Solid,     ///< one colour
  Gradient,  ///< the brush's Gradient, represented by Color; Color alone when it holds none
  Bitmap,    ///< the brush's Bitmap laid as its Wrap says, represented by Color; Color alone when it holds none
  Resource   ///< a shared resource, represented by Color
};

/// How a bitmap brush lays its pixels over a shape, one pixel a logical unit unless
/// stretched. A shape's bounds are those of its outline (TOutline::Bounds); a text's,
/// its layout rectangle.
enum class TBitmapWrap {
  Tile,            ///< repeated, a copy's top-left corner at the top-left of the shape's bounds
  TileFromOrigin,  ///< repeated, a copy's top-left corner at the origin, whatever the shape
  Stretch          ///< stretched over the shape's bounds (and repeated beyond them)
};

/// How a layer's picture is combined with what lies under it (TCanvas::BeginLayer): the
/// separable blend modes that Cairo's operators, QPainter's composition modes and CSS's
/// mix-blend-mode share, each over the backdrop as source-over does.
enum class TBlendMode {
  Normal,     ///< the layer over the backdrop
  Multiply,   ///< the product of both colours: never lighter
  Screen,     ///< the inverse of the product of the inverses: never darker
  Overlay,    ///< multiply where the backdrop is dark, screen where it is light
  Darken,     ///< the darker of both, channel by channel
  Lighten,    ///< the lighter of both, channel by channel
  Difference  ///< the difference of both, channel by channel
};

/// The dash pattern of a stroke (see DashPattern).
enum class TStrokeDash {
  Solid,       ///< a continuous line
  Dash,        ///< dashes
  Dot,         ///< dots
  DashDot,     ///< dashes and dots
  DashDotDot,  ///< a dash and two dots
  Custom       ///< the stroke brush's own DashArray
};
/// The ends of an open stroke.
enum class TStrokeCap {
  Flat,   ///< cut at the end point
  Round,  ///< a half disc beyond the end point
  Square  ///< a half square beyond the end point
};
/// The joins of a stroke's segments.
enum class TStrokeJoin {
  Miter,  ///< sharp
  Round,  ///< rounded
  Bevel   ///< cut
};

/// The dash pattern of Dash as every host paints it and a recording writes it, in
/// multiples of the stroke's thickness, on and off in turn, starting at the start of the
/// outline; empty for a solid stroke and for Custom, whose pattern is the stroke brush's
/// DashArray.
/// @ingroup writinghost
FSVG_API std::span<const float> DashPattern(TStrokeDash Dash);

class TStrokeBrush;
/// The dash pattern ABrush is painted and recorded with, in multiples of its thickness:
/// DashPattern(Dash) for a preset, the DashArray for Custom (an odd list twice over, as
/// SVG repeats it); empty for a solid stroke.
/// @ingroup writinghost
FSVG_API std::vector<float> DashPattern(const TStrokeBrush& ABrush);

/// A fill paint. Gradient, bitmap and resource brushes carry a representative Color; a
/// gradient brush paints with its Gradient when it holds one, a bitmap brush with its
/// Bitmap when that has pixels.
///
///     TBrush Fill(TBrushKind::Solid, 0xFF2266AA);
///     Canvas.FillRect({10, 10, 90, 60}, 0, 0, AllCorners, 1, Fill);
///     Canvas.SetFill(TBrush(std::make_shared<const TBitmap>(Tile), TBitmapWrap::Tile, 0xFF808080));
class TBrush {
 public:
  /// A solid opaque black brush.
  TBrush() = default;
  /// A brush of the given kind and colour.
  TBrush(TBrushKind AKind, TAlphaColor AColor) : Kind(AKind), Color(AColor) {}
  /// A gradient brush painting with AGradient, represented by AColor.
  TBrush(std::shared_ptr<const TGradient> AGradient, TAlphaColor AColor)
      : Kind(TBrushKind::Gradient), Color(AColor), Gradient(std::move(AGradient)) {}
  /// A bitmap brush painting with ABitmap laid as AWrap says, represented by AColor; its
  /// nearest pixels under AHighSpeed.
  TBrush(std::shared_ptr<const TBitmap> ABitmap, TBitmapWrap AWrap, TAlphaColor AColor, bool AHighSpeed = false)
      : Kind(TBrushKind::Bitmap), Color(AColor), Bitmap(std::move(ABitmap)), Wrap(AWrap), HighSpeed(AHighSpeed) {}

  TBrushKind Kind = TBrushKind::Solid;        ///< what it paints with; None paints nothing
  TAlphaColor Color = 0xFF000000;             ///< its colour, or the colour that represents it
  std::shared_ptr<const TGradient> Gradient;  ///< what a Gradient brush paints with; shared, never changed
  std::shared_ptr<const TBitmap> Bitmap;      ///< what a Bitmap brush paints with; shared, never changed
  TBitmapWrap Wrap = TBitmapWrap::Tile;       ///< how a Bitmap brush lays its Bitmap
  /// A Bitmap brush takes the nearest of its pixels, as DrawBitmap's HighSpeed does,
  /// rather than a smooth filter: sharp texels when it is scaled up.
  bool HighSpeed = false;

  /// The gradient the brush paints with: its Gradient when its Kind is Gradient, else null.
  const TGradient* GetGradient() const { return Kind == TBrushKind::Gradient ? Gradient.get() : nullptr; }
  /// The pixels the brush paints with: its Bitmap when its Kind is Bitmap and the bitmap
  /// has pixels, else null.
  const TBitmap* GetBitmap() const {
    return Kind == TBrushKind::Bitmap && Bitmap && !Bitmap->Pixels().empty() ? Bitmap.get() : nullptr;
  }

  /// Equal when kind, colour, wrap and sampling are, and the gradients and the bitmaps are each the
  /// same or equal.
  friend bool operator==(const TBrush& A, const TBrush& B) {
    return A.Kind == B.Kind && A.Color == B.Color && A.Wrap == B.Wrap && A.HighSpeed == B.HighSpeed &&
           (A.Gradient == B.Gradient || (A.Gradient && B.Gradient && *A.Gradient == *B.Gradient)) &&
           (A.Bitmap == B.Bitmap || (A.Bitmap && B.Bitmap && *A.Bitmap == *B.Bitmap));
  }
};

/// Where a bitmap brush's pixels lie: pixel (u, v) of its bitmap covers the logical point
/// (X + u * ScaleX, Y + v * ScaleY) onwards, and copies repeat every width and height.
struct TBitmapPlacement {
  double X = 0;       ///< the left of the first copy
  double Y = 0;       ///< the top of the first copy
  double ScaleX = 1;  ///< the width of one pixel
  double ScaleY = 1;  ///< the height of one pixel

  /// Whether the pixels can be painted so: every member finite and both scales above 0.
  bool IsPaintable() const { return std::isfinite(X + Y + ScaleX + ScaleY) && ScaleX > 0 && ScaleY > 0; }
};

/// Where ABrush's bitmap lies over a shape whose bounds are Bounds, as its Wrap says. A
/// placement that is not paintable (a stretch over bounds of no width or no height, or
/// beyond every finite number) paints nothing. ABrush holds pixels (GetBitmap).
/// @ingroup writinghost
FSVG_API TBitmapPlacement BitmapPlacement(const TBrush& ABrush, const TRectF& Bounds);

/// An outline paint: a brush with a thickness, dash, cap, join and miter limit; or a
/// hairline, one device pixel wide under any matrix.
///
///     TStrokeBrush Pen(TBrushKind::Solid, 0xFF000000, 2);
///     Pen.Dash = TStrokeDash::Custom, Pen.DashArray = {4, 1, 1, 1}, Pen.DashOffset = 2;
///     Canvas.DrawLine({0, 0}, {100, 50}, 1, Pen);
class TStrokeBrush : public TBrush {
 public:
  /// A solid opaque black stroke one unit thick.
  TStrokeBrush() = default;
  /// A stroke of the given kind, colour and thickness.
  TStrokeBrush(TBrushKind AKind, TAlphaColor AColor, float AThickness = 1)
      : TBrush(AKind, AColor), Thickness(AThickness) {}
  /// A stroke painting with AGradient, represented by AColor, of the given thickness.
  TStrokeBrush(std::shared_ptr<const TGradient> AGradient, TAlphaColor AColor, float AThickness = 1)
      : TBrush(std::move(AGradient), AColor), Thickness(AThickness) {}
  /// A stroke painting with ABitmap laid as AWrap says, represented by AColor, of the given
  /// thickness.
  TStrokeBrush(std::shared_ptr<const TBitmap> ABitmap, TBitmapWrap AWrap, TAlphaColor AColor, float AThickness = 1)
      : TBrush(std::move(ABitmap), AWrap, AColor), Thickness(AThickness) {}

  float Thickness = 1;                    ///< width in logical units; 0, negative or NaN paints nothing
  TStrokeDash Dash = TStrokeDash::Solid;  ///< dash pattern
  TStrokeCap Cap = TStrokeCap::Flat;      ///< end caps
  TStrokeJoin Join = TStrokeJoin::Miter;  ///< segment joins
  /// The pattern of a Custom dash, in multiples of the thickness, on and off in turn; an odd
  /// list repeats twice over. A length negative or not finite, or every length 0, is refused
  /// by the drawing call.
  std::vector<float> DashArray;
  float DashOffset = 0;  ///< where the pattern starts along the outline, in multiples of the thickness
  float MiterLimit = 4;  ///< a miter join longer than this times the thickness is bevelled; at least 1
  /// One device pixel wide under any matrix, whatever the thickness; its dashes are
  /// multiples of that pixel. Recorded as the width of one device pixel under the
  /// element's matrix, 1/sqrt(|det|) for a matrix that scales unevenly or shears.
  bool Hairline = false;

  /// Equal when every member is.
  friend bool operator==(const TStrokeBrush&, const TStrokeBrush&) = default;
};

/// The slant of a font's letters.
enum class TFontSlant {
  Normal,  ///< upright
  Italic,  ///< the family's italic letters
  Oblique  ///< the upright letters, slanted
};

/// A font by family name (or a comma-separated list of families, the first a host has
/// painting), size in logical units, weight and slant.
///
///     Canvas.GetFont() = TFont(u"Inter, DejaVu Sans, sans-serif", 14);
///     Canvas.GetFont().Weight = 700;
///     Canvas.FillText({10, 10, 200, 30}, u"Total", false, 1, {}, TTextAlign::Leading);
class TFont {
 public:
  /// 12-unit sans-serif.
  TFont() = default;
  /// The given family and size.
  TFont(std::u16string AFamily, float ASize) : Family(std::move(AFamily)), Size(ASize) {}

  std::u16string Family = u"sans-serif";  ///< family name, as a host's font lookup takes it
  float Size = 12;                        ///< size in logical units
  int Weight = 400;                       ///< 100 to 900: 400 normal, 700 bold
  TFontSlant Slant = TFontSlant::Normal;  ///< upright, italic or oblique

  /// Equal when every member is.
  friend bool operator==(const TFont&, const TFont&) = default;
};

/// The families of AFont.Family in order: split at commas, each without the spaces and
/// the pair of quotes (' or ") around it; empty ones left out. A host paints with the
/// first it has.
/// @ingroup writinghost
FSVG_API std::vector<std::u16string> FontFamilies(const TFont& AFont);

/// @}
}  // namespace fsvg
