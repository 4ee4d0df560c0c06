// Strokes as Qt's raster engine paints them where they differ from an exact stroke:
// aliased strokes on whole pixels, and thin antialiased ones drawn by its line algorithm.
#include <QTransform>
#include <algorithm>
#include <cmath>

#include "paintconvert.h"
#include "paintengine.h"

namespace fsvg::detail {

// Qt's aliased strokes cover whole pixels: those whose centres lie inside the stroke,
// positions taken down to Qt's 64ths of a pixel (an odd width's middle pixel is the one
// its centre lies in; an even width's edges are the pixel edges nearest its own, halves
// rounded down and right). The stroke is moved so that its anchor (the shape's corner)
// lies where the antialiased stroke covers those pixels exactly: an odd width centred in
// a pixel, an even one on a pixel edge. Only without rotation or shear, where the edges
// run along the pixel grid. True when the matrix was moved.
bool TCanvasPaintEngine::AlignAliased(const TStrokeBrush& Pen, const QPointF& Anchor) {
  const QTransform Device = ToCanvas();
  if (Hinted(QPainter::Antialiasing) || Device.m12() != 0 || Device.m21() != 0) return false;
  const double Width = Pen.Hairline ? 1 : Pen.Thickness * std::sqrt(std::abs(Device.determinant()));
  const double Centre = std::lround(Width) % 2 == 0 ? 0 : 0.5;
  const QPointF At = FTransform.map(Anchor);
  auto Shift = [&](double V) { return std::floor(std::floor(V * 64) / 64 + 0.5 - Centre) + Centre - V; };
  const QPointF By(Shift(At.x()), Shift(At.y()));
  if (By.isNull()) return false;
  const QTransform Kept = FTransform;
  const QTransform Base = FBase;
  FBase = QTransform::fromTranslate(By.x(), By.y()) * FBase;
  ApplyMatrix(Kept);
  FBase = Base;
  return true;
}

// Qt strokes an antialiased pen one device pixel wide or thinner with a line algorithm
// of its own: curves flattened into segments, each inking one pixel a column (a row, for
// a steep one), which is cos(angle to the nearest axis) of a pixel per unit of length
// where an exact stroke inks its width. Pen gets the width that inks as much along the
// whole shape (its dashes kept as long); the flattened outline is returned for a shape
// with curves, else nothing (the shape is stroked as it is). A solid closed one is
// returned as the very region Qt inks, to be filled (Band set).
QPainterPath TCanvasPaintEngine::ThinStroke(const QPainterPath& Shape, TStrokeBrush& Pen, bool& Band) const {
  const double Scale = CanvasScale();
  if (!Hinted(QPainter::Antialiasing) || !(Pen.Hairline || Pen.Thickness * Scale <= 1) || !(Scale > 0)) return {};
  const double Span = Pen.Hairline ? 1 : Pen.Thickness * std::sqrt(std::abs(FTransform.determinant()));
  // Qt flattens in its device pixels, under the painter's transform.
  const QList<QPolygonF> Polygons = FTransform.map(Shape).toSubpathPolygons();
  double Length = 0;
  double Ink = 0;
  for (const QPolygonF& Polygon : Polygons) {
    for (qsizetype I = 1; I < Polygon.size(); ++I) {
      const QPointF Step = Polygon[I] - Polygon[I - 1];
      Length += std::hypot(Step.x(), Step.y());
      Ink += std::max(std::abs(Step.x()), std::abs(Step.y()));
    }
  }
  if (Ink < Length) {
    const double Share = Ink / Length;
    Pen.Thickness = static_cast<float>((Pen.Hairline ? 1 / Scale : Pen.Thickness) * Share);
    Pen.Hairline = false;
    for (float& Dash : Pen.DashArray) Dash = static_cast<float>(Dash / Share);
    Pen.DashOffset = static_cast<float>(Pen.DashOffset / Share);
  }
  if (!HasCurves(Shape)) return {};
  // Qt draws each segment on its own, and the pixel where two meet gets less ink than
  // under an exact stroke's join: an outline of closed subpaths becomes one subpath a
  // segment, with flat ends, which meet as Qt's do. An open one keeps its caps and joins.
  bool AllClosed = true;
  for (const QPolygonF& Polygon : Polygons) AllClosed = AllClosed && Polygon.size() > 2 && Polygon.isClosed();
  if (!AllClosed) return Flattened(Shape, 1);
  if (Pen.Dash == TStrokeDash::Solid) return InkedBand(Polygons, Span, Band);
  const QTransform Back = FTransform.inverted();
  QPainterPath Flat;
  Flat.setFillRule(Shape.fillRule());
  for (const QPolygonF& Polygon : Polygons) {
    for (qsizetype I = 1; I < Polygon.size(); ++I) {
      Flat.moveTo(Back.map(Polygon[I - 1]));
      Flat.lineTo(Back.map(Polygon[I]));
    }
  }
  Pen.Cap = TStrokeCap::Flat;
  return Flat;
}

// Qt strokes a curve as the segments it flattens it into, and dashes along them, whose
// length falls short of the curve's: a pen strokes that polyline, so that its edges and
// dashes fall where Qt's do. The segments are QPainterPath::toSubpathPolygons' under the
// painter's transform scaled by Fineness: 1 for a dashed pen, 2 for a solid one, as
// measured (Qt's stroker flattens a solid pen's curves about twice as finely as its
// dasher; so the corpus' ellipses, arcs and pies agree with Qt's picture within 0.3% on
// every renderer, against up to 1% as exact curves). Nothing for a shape without curves,
// or under a matrix with no inverse.
QPainterPath TCanvasPaintEngine::Flattened(const QPainterPath& Shape, double Fineness) const {
  const QTransform Device = FTransform * QTransform::fromScale(Fineness, Fineness);
  if (!HasCurves(Shape) || !Device.isInvertible()) return {};
  const QTransform Back = Device.inverted();
  QPainterPath Flat;
  Flat.setFillRule(Shape.fillRule());
  for (const QPolygonF& Polygon : Device.map(Shape).toSubpathPolygons()) Flat.addPolygon(Back.map(Polygon));
  return Flat;
}

// Qt's line algorithm inks, in each column a segment steps along (each row, for a steep
// one), a span as tall as the pen is wide, centred on the segment: a parallelogram a
// segment, whose upright ends meet the next one's without overlap or gap, where an exact
// stroke's ends would overlap on one side and leave a wedge on the other. The segments
// of a run that steps the same way along the same axis make one ribbon, its two edges
// the run's points moved by half the span either way; every ribbon turns the same way,
// so that they join under the winding rule. In the painter's device pixels, mapped back.
QPainterPath TCanvasPaintEngine::InkedBand(const QList<QPolygonF>& Polygons, double Span, bool& Band) const {
  const QTransform Back = FTransform.inverted();
  QPainterPath Region;
  Region.setFillRule(Qt::WindingFill);
  QPolygonF Near;
  QPolygonF Far;
  const auto Flush = [&] {
    if (!Near.isEmpty()) {
      Region.moveTo(Back.map(Near.front()));
      for (qsizetype I = 1; I < Near.size(); ++I) Region.lineTo(Back.map(Near[I]));
      for (qsizetype I = Far.size() - 1; I >= 0; --I) Region.lineTo(Back.map(Far[I]));
      Region.closeSubpath();
    }
    Near.clear();
    Far.clear();
  };
  for (const QPolygonF& Polygon : Polygons) {
    int Run = -1;
    for (qsizetype I = 1; I < Polygon.size(); ++I) {
      const QPointF From = Polygon[I - 1];
      const QPointF D = Polygon[I] - From;
      if (D.isNull()) continue;
      const bool AlongX = std::abs(D.x()) >= std::abs(D.y());
      const bool Turned = (AlongX ? D.x() : -D.y()) < 0;
      const double Side = Turned ? -Span / 2 : Span / 2;
      const QPointF Half = AlongX ? QPointF(0, Side) : QPointF(Side, 0);
      if (AlongX * 2 + Turned != Run) {
        Flush();
        Run = AlongX * 2 + Turned;
        Near << From - Half;
        Far << From + Half;
      }
      Near << Polygon[I] - Half;
      Far << Polygon[I] + Half;
    }
    Flush();
  }
  Band = true;
  return Region;
}

// Qt's line algorithm gives a thin line with square caps half a pixel more at each end
// along its major axis (the axis it steps along), and places it half a pixel back along
// that axis: the line it paints runs from the start less half a step to the end plus
// half a step, in the painter's device pixels. Drawn so with flat caps, an exact stroke
// covers the same pixels.
QLineF TCanvasPaintEngine::ThinSquareLine(const QLineF& Line) const {
  const QPointF A = FTransform.map(Line.p1());
  const QPointF B = FTransform.map(Line.p2());
  const QPointF D = B - A;
  const bool AlongX = std::abs(D.x()) >= std::abs(D.y());
  const double Major = AlongX ? D.x() : D.y();
  if (Major == 0 || !FTransform.isInvertible()) return Line;
  const QPointF Step = D / std::abs(Major);
  const QPointF Axis = AlongX ? QPointF(Major > 0 ? 1 : -1, 0) : QPointF(0, Major > 0 ? 1 : -1);
  const QTransform Back = FTransform.inverted();
  return {Back.map(A - Axis / 2), Back.map(B - Axis / 2 + Step)};
}

}  // namespace fsvg::detail
