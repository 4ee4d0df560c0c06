// The gradient's one check, made when it is made: a gradient that exists can be painted
// and recorded as it is, so no drawing call needs to look at it again.
#include "fsvg/gradient.h"

#include <cmath>
#include <utility>

#include "fsvg/errors.h"

namespace fsvg {

namespace {

bool IsFinite(const TPointF& Point) { return std::isfinite(Point.X) && std::isfinite(Point.Y); }

}  // namespace

TGradient::TGradient(TGradientKind AKind, const TPointF& AStart, const TPointF& AEnd, const TPointF& ACenter,
                     float ARadius, const TPointF& AFocal, std::vector<TGradientStop> AStops, TGradientSpread ASpread)
    : Kind(AKind),
      Start(AStart),
      End(AEnd),
      Center(ACenter),
      Radius(ARadius),
      Focal(AFocal),
      Stops(std::move(AStops)),
      Spread(ASpread) {
  if (!IsFinite(Start) || !IsFinite(End) || !IsFinite(Center) || !IsFinite(Focal) || !std::isfinite(Radius))
    throw EArgumentError("TGradient: the points and the radius must be finite");
  if (Radius < 0) throw EArgumentError("TGradient: the radius must not be negative");
  // In double, so that a focal point on the circle is on it however the circle lies.
  if (std::hypot(static_cast<double>(Focal.X) - Center.X, static_cast<double>(Focal.Y) - Center.Y) > Radius)
    throw EArgumentError("TGradient: the focal point must lie within the circle");
  if (Spread != TGradientSpread::Pad && Spread != TGradientSpread::Reflect && Spread != TGradientSpread::Repeat)
    throw EArgumentError("TGradient: the spread must be Pad, Reflect or Repeat");
  if (Stops.empty()) throw EArgumentError("TGradient: a gradient needs a stop");
  float Previous = 0;
  for (const TGradientStop& Stop : Stops) {
    // Written so that NaN fails too.
    if (!(Stop.Offset >= 0 && Stop.Offset <= 1)) throw EArgumentError("TGradient: each offset must be from 0 to 1");
    if (Stop.Offset < Previous) throw EArgumentError("TGradient: the offsets must not decrease");
    Previous = Stop.Offset;
  }
}

std::shared_ptr<const TGradient> TGradient::Linear(const TPointF& AStart, const TPointF& AEnd,
                                                   std::vector<TGradientStop> AStops, TGradientSpread ASpread) {
  return std::shared_ptr<const TGradient>(
      new TGradient(TGradientKind::Linear, AStart, AEnd, {}, 0, {}, std::move(AStops), ASpread));
}

std::shared_ptr<const TGradient> TGradient::Radial(const TPointF& ACenter, float ARadius, const TPointF& AFocal,
                                                   std::vector<TGradientStop> AStops, TGradientSpread ASpread) {
  return std::shared_ptr<const TGradient>(
      new TGradient(TGradientKind::Radial, {}, {}, ACenter, ARadius, AFocal, std::move(AStops), ASpread));
}

bool TGradient::IsDegenerate() const { return Kind == TGradientKind::Linear ? Start == End : Radius == 0; }

}  // namespace fsvg
