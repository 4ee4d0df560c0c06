// The one loop that turns part of an ellipse into cubic Bézier curves of at most a
// quarter turn each, shared by SVG's endpoint arcs (ArcToCurves) and the arcs and
// ellipses of the shape outlines, so every arc is the same curve whichever call made it.
#pragma once

#include <array>
#include <cstddef>

#include "fsvg/path.h"

namespace fsvg::detail {

/// An ellipse centred on (CX, CY) with the radii RX and RY (a negative one mirrors it),
/// its x axis turned by the angle whose cosine and sine are CosPhi and SinPhi.
struct TEllipse {
  double CX = 0, CY = 0, RX = 0, RY = 0, CosPhi = 1, SinPhi = 0;

  /// The point at the parameter Angle (radians), and the derivative there.
  void At(double Angle, double& X, double& Y, double& TX, double& TY) const;
};

/// The arc of E from the parameter Theta over Delta (radians, at most one turn either
/// way) as cubic curves of at most a quarter turn. Returns their number, 1 to 4.
std::size_t EllipseCurves(const TEllipse& E, double Theta, double Delta, std::array<TArcCurve, 4>& Curves);

}  // namespace fsvg::detail
