// The outline of a rectangle with cut corners, as every host paints it and a faithful
// recording writes it, and the one rectangle normalisation the hosts share.
/// @file
/// The corner outline of a rectangle every host paints, and the one rectangle normalisation.
#pragma once

#include <array>
#include <cstddef>

#include "fsvg/export.h"
#include "fsvg/types.h"

namespace fsvg {
/// @addtogroup writinghost
/// @{

/// ARect with its edges in order: Left <= Right and Top <= Bottom. A rectangle may be
/// given right to left or bottom to top; every host reads it through this.
constexpr TRectF Normalized(const TRectF& ARect) {
  return {ARect.Right < ARect.Left ? ARect.Right : ARect.Left, ARect.Bottom < ARect.Top ? ARect.Bottom : ARect.Top,
          ARect.Left < ARect.Right ? ARect.Right : ARect.Left, ARect.Top < ARect.Bottom ? ARect.Bottom : ARect.Top};
}

/// One step of an outline: a straight line to (X, Y), or, when Curve is set, a cubic
/// Bézier curve to (X, Y) with the control points (X1, Y1) and (X2, Y2).
///
///     fsvg::TRectOutline Steps;
///     std::size_t Count = fsvg::RectOutline(ARect, 8, 8, fsvg::AllCorners, fsvg::TCornerType::Bevel, Steps);
///     for (std::size_t I = 0; I < Count; ++I) { /* a line or curve to Steps[I].X, Steps[I].Y */ }
struct TOutlineStep {
  bool Curve = false;  ///< a curve, not a line
  double X1 = 0;       ///< first control point, x
  double Y1 = 0;       ///< first control point, y
  double X2 = 0;       ///< second control point, x
  double Y2 = 0;       ///< second control point, y
  double X = 0;        ///< end point, x
  double Y = 0;        ///< end point, y
};
/// The closed outline of a rectangle as every host paints it: at most three steps a
/// corner.
using TRectOutline = std::array<TOutlineStep, 12>;
/// Fills Steps with the outline of Normalized(ARect), clockwise from its top-left
/// corner; the path starts at the first step's end point and closes after the last.
/// Each corner in ACorners is cut by ACornerType with the radii clamped to half the
/// size (Round bulges out, InnerRound is a quarter ellipse centred on the corner,
/// InnerLine a notch of two lines, Bevel one line); a radius of zero or less on either
/// axis leaves every corner square. Returns the number of steps: 4 when no corner is cut.
FSVG_API std::size_t RectOutline(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners,
                                 TCornerType ACornerType, TRectOutline& Steps);

/// @}
}  // namespace fsvg
