// The outline of every shape as every host paints it: rectangles with their corners,
// ellipses, arcs, lines, polygons and paths, each as lines and cubic curves in double
// with its length; the stroke limits that length decides, with their messages; and the
// one rectangle normalisation the hosts share.
/// @file
/// The outline of every shape that every host paints, its length and the stroke limits; the corner outline of a
/// rectangle and the one rectangle normalisation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fsvg/export.h"
#include "fsvg/paint.h"
#include "fsvg/path.h"
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

/// One step of a rectangle's outline: a straight line to (X, Y), or, when Curve is set,
/// a cubic Bézier curve to (X, Y) with the control points (X1, Y1) and (X2, Y2).
///
///     fsvg::TRectOutline Steps;
///     std::size_t Count = fsvg::RectOutline(ARect, 8, 8, fsvg::AllCorners, fsvg::TCornerType::Bevel, Steps);
///     for (std::size_t I = 0; I < Count; ++I) { /* a line or curve to Steps[I].X, Steps[I].Y */ }
struct TOutlineStep : TArcCurve {
  bool Curve = false;  ///< a curve, not a line
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

/// The widest stroke a host paints, in device pixels: raster coordinates end near 2^23
/// pixels, and a far wider pen takes seconds to minutes to run along a curve.
inline constexpr double MaxStrokeWidth = 8388608;
/// The most dashes a host cuts one stroke into, counted in device space: a dasher walks
/// every dash, and under a huge scale or shear it would step for minutes, or for ever
/// once the steps are lost in the length's rounding.
inline constexpr double MaxDashes = 1e6;

/// Throws EArgumentError for a stroke thickness that is not finite or is negative.
FSVG_API void CheckThickness(const TStrokeBrush& ABrush);
/// The largest factor by which the linear map x' = x*M11 + y*M21, y' = x*M12 + y*M22
/// stretches a length (its largest singular value), in a form that cannot overflow
/// before the result does.
FSVG_API double LargestStretch(double M11, double M12, double M21, double M22);

/// The outline of a shape as every host paints it: subpaths of straight lines and cubic
/// Bézier curves in double, the rule that fills it, and its length. A host emits the
/// steps into its own path type, and asks CheckStroke before it strokes one.
///
///     const TOutline Outline = TOutline::Ellipse({10, 10, 90, 60});
///     for (const TOutline::TStep& S : Outline.Steps()) { /* move, line, curve or close */ }
class FSVG_API TOutline {
 public:
  /// What a step does.
  enum class TVerb : std::uint8_t {
    MoveTo,   ///< starts a subpath at (X, Y)
    LineTo,   ///< a straight line to (X, Y)
    CurveTo,  ///< a cubic Bézier curve to (X, Y) with the controls (X1, Y1) and (X2, Y2)
    Close     ///< a line back to the subpath's start, (X, Y), which closes it
  };
  /// One step of the outline: its verb and points; the control points are zero but in
  /// a curve.
  struct TStep : TArcCurve {
    TVerb Verb = TVerb::MoveTo;  ///< what the step does
  };

  /// The closed outline RectOutline gives, starting at its first step's end.
  static TOutline Rect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, TCornerType ACornerType);
  /// The closed ellipse inscribed in Normalized(ARect), from its rightmost point on.
  static TOutline Ellipse(const TRectF& ARect);
  /// An open elliptical arc from StartAngle over SweepAngle (degrees, 0 along +X,
  /// positive towards +Y; the sweep clamped to one turn), as cubic curves of at most a
  /// quarter turn; no step for no sweep. Filled, it covers the region between the arc
  /// and its chord.
  static TOutline Arc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle);
  /// The segment from APt1 to APt2.
  static TOutline Line(const TPointF& APt1, const TPointF& APt2);
  /// The closed polygon through Points; no step for no points.
  static TOutline Polygon(const TPolygon& Points);
  /// Every step of APath with its fill rule: a quadratic curve as the cubic that is the
  /// same curve, an arc as the curves ArcToCurves gives (none when its ends coincide).
  /// APath begins with a MoveTo, as every drawing call checks.
  static TOutline Path(const TPathData& APath);

  /// Starts a subpath at (X, Y).
  void MoveTo(double X, double Y);
  /// A straight line to (X, Y).
  void LineTo(double X, double Y);
  /// A cubic Bézier curve to (X, Y) with the controls (X1, Y1) and (X2, Y2).
  void CurveTo(double X1, double Y1, double X2, double Y2, double X, double Y);
  /// The curve C, from the current point.
  void CurveTo(const TArcCurve& C);
  /// Closes the current subpath with a line back to its start.
  void Close();

  /// The steps in order.
  const std::vector<TStep>& Steps() const { return FSteps; }
  /// The smallest rectangle holding every point of the outline, each curve's extremes
  /// included (not its control points); all zero for no step.
  TRectF Bounds() const;
  /// The bounds a fill or stroke of the outline lays ABrush's bitmap over: Bounds() for a
  /// brush that paints pixels (TBrush::GetBitmap), the only one that needs them; else all
  /// zero.
  TRectF BrushBounds(const TBrush& ABrush) const { return ABrush.GetBitmap() != nullptr ? Bounds() : TRectF{}; }
  /// The length of every line and of every curve's control polygon: at least the true
  /// length, which bounds the dashes a stroke of the outline is cut into.
  double Length() const { return FLength; }
  /// Throws EArgumentError, naming the limit, for a stroke of ABrush along this outline
  /// that a transform stretching lengths by up to Stretch makes wider than MaxStrokeWidth
  /// device pixels or, dashed, cuts into more than MaxDashes dashes.
  void CheckStroke(const TStrokeBrush& ABrush, double Stretch) const;

  TFillRule FillRule = TFillRule::NonZero;  ///< the rule a fill of the outline follows

 private:
  std::vector<TStep> FSteps;
  double FLength = 0;
  double FX = 0, FY = 0, FStartX = 0, FStartY = 0;
};

/// @}
}  // namespace fsvg
