// Gradients: the linear and radial colour ramps a brush may paint with. A gradient is
// checked once, when it is made, and never changes afterwards, so brushes, saved states
// and the recording share it by pointer and every host paints exactly what was checked.
/// @file
/// Gradients: TGradient, its stops and how it spreads beyond its ends.
#pragma once

#include <memory>
#include <vector>

#include "fsvg/export.h"
#include "fsvg/types.h"

namespace fsvg {
/// @addtogroup hostcanvas
/// @{

/// The shape of a gradient's ramp.
enum class TGradientKind {
  Linear,  ///< along the line from Start to End
  Radial   ///< from the focal point out to the circle around Center
};

/// What a gradient paints beyond its ends.
enum class TGradientSpread {
  Pad,      ///< the end colours go on
  Reflect,  ///< the ramp repeats, every other copy mirrored
  Repeat    ///< the ramp repeats
};

/// A colour at a place on the ramp: 0 is the start (or focal point), 1 the end (or circle).
///
///     std::vector<fsvg::TGradientStop> Stops{{0, 0xFFFF0000}, {0.5f, 0x800000FF}};
///     Stops.push_back({1, 0xFF00FF00});
///     auto Ramp = fsvg::TGradient::Linear({0, 0}, {100, 0}, Stops);
struct TGradientStop {
  float Offset = 0;                ///< 0 to 1
  TAlphaColor Color = 0xFF000000;  ///< alpha included

  /// Equal when offset and colour are.
  friend bool operator==(const TGradientStop&, const TGradientStop&) = default;
};

/// An immutable gradient, made by Linear or Radial, in the user space of the shape it
/// fills or strokes: the coordinates the shape is given in, offset with it and under the
/// same matrix. A brush paints with it when its Kind is TBrushKind::Gradient.
///
///     auto Ramp = TGradient::Linear({0, 0}, {100, 0}, {{0, 0xFFFF0000}, {1, 0xFF0000FF}});
///     Canvas.FillRect({0, 0, 100, 40}, 0, 0, {}, 1, TBrush(Ramp, 0xFF800080));
///     Canvas.DrawLine({0, 50}, {100, 50}, 1, TStrokeBrush(Ramp, 0xFF800080, 4));
class FSVG_API TGradient {
 public:
  /// A ramp along the line from AStart to AEnd. Throws EArgumentError, making nothing,
  /// when AStops is empty, an offset is not 0 to 1 or is less than the one before it, or
  /// a coordinate is not finite.
  static std::shared_ptr<const TGradient> Linear(const TPointF& AStart, const TPointF& AEnd,
                                                 std::vector<TGradientStop> AStops,
                                                 TGradientSpread ASpread = TGradientSpread::Pad);
  /// A ramp from AFocal (offset 0) out to the circle of ARadius around ACenter (offset
  /// 1). Throws EArgumentError as Linear does, and for a negative radius or a focal point
  /// outside the circle.
  static std::shared_ptr<const TGradient> Radial(const TPointF& ACenter, float ARadius, const TPointF& AFocal,
                                                 std::vector<TGradientStop> AStops,
                                                 TGradientSpread ASpread = TGradientSpread::Pad);

  /// Whether the ramp has no length (a line from a point to itself, a circle of no
  /// radius): every host then paints the last stop's colour, as SVG renderers do.
  bool IsDegenerate() const;

  const TGradientKind Kind;                ///< linear or radial
  const TPointF Start;                     ///< linear: where offset 0 lies
  const TPointF End;                       ///< linear: where offset 1 lies
  const TPointF Center;                    ///< radial: the circle's centre
  const float Radius;                      ///< radial: the circle's radius
  const TPointF Focal;                     ///< radial: where offset 0 lies
  const std::vector<TGradientStop> Stops;  ///< at least one, offsets from 0 to 1, never decreasing
  const TGradientSpread Spread;            ///< beyond the ends

  /// Equal when every member is.
  friend bool operator==(const TGradient&, const TGradient&) = default;

 private:
  TGradient(TGradientKind AKind, const TPointF& AStart, const TPointF& AEnd, const TPointF& ACenter, float ARadius,
            const TPointF& AFocal, std::vector<TGradientStop> AStops, TGradientSpread ASpread);
};

/// @}
}  // namespace fsvg
