// Paths and clips: TPathData, an outline of subpaths made of lines, quadratic and cubic
// Béziers and SVG's endpoint arcs, with its fill rule; the clip steps a canvas keeps as
// an immutable chain; and the one conversion of an endpoint arc into cubic Béziers that
// every host paints arcs with, so that they all paint the same curve.
/// @file
/// Paths (TPathData), the clip steps a canvas keeps, and the conversion of an arc into Bézier curves.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fsvg/export.h"
#include "fsvg/types.h"

namespace fsvg {
/// @addtogroup hostcanvas
/// @{

/// Which points a filled path covers where its outline crosses itself.
enum class TFillRule {
  NonZero,  ///< where the outline winds around the point a number of times other than zero
  EvenOdd   ///< where a ray from the point crosses the outline an odd number of times
};

/// The steps of a path, each taking a fixed number of points from TPathData::Points.
enum class TPathVerb : std::uint8_t {
  MoveTo,       ///< starts a subpath: 1 point
  LineTo,       ///< 1 point: the end
  QuadCurveTo,  ///< 2 points: control, end
  CurveTo,      ///< 3 points: control 1, control 2, end
  ArcTo,        ///< 3 points: the radii, {x-axis rotation in degrees, flags (see ArcFlags)}, the end
  ClosePath     ///< no point: a line back to the subpath's start, which closes it
};

/// The number of points each verb takes, by TPathVerb.
inline constexpr std::array<std::size_t, 6> PathVerbPoints = {1, 1, 2, 3, 3, 0};

/// An outline made of subpaths, with the rule that fills it. The data is kept as given:
/// a path that a drawing call cannot take (a step before the first MoveTo, a number that
/// is not finite) is refused by that call with EArgumentError, before any host paints.
///
///     fsvg::TPathData Leaf;
///     Leaf.MoveTo({10, 50}).QuadCurveTo({40, 0}, {70, 50}).ClosePath();
///     Canvas.FillPath(Leaf, 1);  // with the current Fill
class FSVG_API TPathData {
 public:
  /// The flags of an ArcTo as held in the y of its second point.
  enum ArcFlags : std::uint8_t { LargeArcFlag = 1, SweepFlag = 2 };

  /// Starts a subpath at P.
  TPathData& MoveTo(const TPointF& P);
  /// A straight line to P.
  TPathData& LineTo(const TPointF& P);
  /// A quadratic Bézier curve to End.
  TPathData& QuadCurveTo(const TPointF& Control, const TPointF& End);
  /// A cubic Bézier curve to End.
  TPathData& CurveTo(const TPointF& Control1, const TPointF& Control2, const TPointF& End);
  /// SVG's elliptical arc to End: radii, the ellipse's rotation, and which of the four
  /// arcs through both ends (LargeArc: the longer way; Sweep: clockwise on screen).
  TPathData& ArcTo(const TPointF& Radius, float XAxisRotationDegrees, bool LargeArc, bool Sweep, const TPointF& End);
  /// Closes the current subpath with a line back to its start.
  TPathData& ClosePath();
  /// Removes every step; the fill rule stays.
  void Clear();

  /// True when the path has no step: it paints and records nothing.
  bool IsEmpty() const { return FVerbs.empty(); }
  /// The steps in order.
  const std::vector<TPathVerb>& Verbs() const { return FVerbs; }
  /// The points of every step in order, PathVerbPoints[verb] for each.
  const std::vector<TPointF>& Points() const { return FPoints; }

  /// Equal when both have the same steps, points and fill rule.
  friend bool operator==(const TPathData&, const TPathData&) = default;

  TFillRule FillRule = TFillRule::NonZero;  ///< the rule a fill and a clip of the path follow

 private:
  std::vector<TPathVerb> FVerbs;
  std::vector<TPointF> FPoints;
};

/// What a clip step does to the region clipped by the steps before it.
enum class TClipKind : std::uint8_t {
  IntersectRect,  ///< keeps what lies inside Rect
  ExcludeRect,    ///< keeps what lies outside Rect
  IntersectPath   ///< keeps what lies inside Path, by its fill rule
};

/// One step of a canvas's clip, immutable once made: the region is the parent's cut by
/// this step. The rectangle or path is in the coordinates of the drawing calls, taken
/// through the offset and then the matrix that were in force when the step was set.
///
///     for (const fsvg::TClipStep* Step = GetClip().get(); Step; Step = Step->Parent.get()) {
///       // newest first: Step->Kind with Step->Rect or Step->Path, under Step->Offset, Step->Matrix
///     }
struct FSVG_API TClipStep {
  TClipKind Kind = TClipKind::IntersectRect;  ///< what the step does
  TRectF Rect;                                ///< the rectangle of a rect step
  TPathData Path;                             ///< the path of a path step
  TPointF Offset;                             ///< the offset in force when it was set
  TMatrix Matrix;                             ///< the matrix in force when it was set
  std::shared_ptr<const TClipStep> Parent;    ///< the steps before it; null for the first
  std::size_t Depth = 1;                      ///< the number of steps up to and with this one
};

/// A clip: the newest of a chain of steps, or null when nothing is clipped. Shared, so
/// saving a state costs one pointer, and equal pointers are equal clips.
using TClip = std::shared_ptr<const TClipStep>;

/// One cubic Bézier curve from the current point, in double: its control points and end.
/// ArcToCurves gives an arc as such curves; every step of an outline carries one.
/// @ingroup writinghost
///
///     std::array<fsvg::TArcCurve, 4> Curves;
///     std::size_t Count = fsvg::ArcToCurves(From, {20, 10}, 0, false, true, End, Curves);
///     for (std::size_t I = 0; I < Count; ++I) { /* a cubic to Curves[I].X, Curves[I].Y */ }
struct TArcCurve {
  double X1 = 0;  ///< first control point, x
  double Y1 = 0;  ///< first control point, y
  double X2 = 0;  ///< second control point, x
  double Y2 = 0;  ///< second control point, y
  double X = 0;   ///< end point, x
  double Y = 0;   ///< end point, y
};

/// SVG's endpoint arc from From to End as cubic Béziers of at most a quarter turn each,
/// through the centre parametrisation: radii taken as their absolute values and scaled up
/// when too small to join both ends. Returns the number of curves put in Curves: none
/// when both ends coincide (the arc is left out), one straight "curve" when a radius is
/// zero (the arc is a line).
/// @ingroup writinghost
FSVG_API std::size_t ArcToCurves(const TPointF& From, const TPointF& Radius, float XAxisRotationDegrees, bool LargeArc,
                                 bool Sweep, const TPointF& End, std::array<TArcCurve, 4>& Curves);

/// @}
}  // namespace fsvg
