// TOutlineCanvas: the base of a host that paints every shape as its one outline. The
// shape hooks of TCanvas are written here once, each turning its shape into a TOutline,
// so a host fills and strokes outlines and never builds a shape of its own.
/// @file
/// TOutlineCanvas, the host canvas that paints every shape as the one TOutline every host shares.
#pragma once

#include "fsvg/hostcanvas.h"
#include "fsvg/outline.h"

namespace fsvg {

/// A host canvas that sees outlines only: rectangles, ellipses, arcs, lines, polygons and
/// paths reach it as the TOutline every host paints, through DoFillOutline and
/// DoStrokeOutline. A stroke's thickness is checked first (CheckThickness), whether or
/// not anything is painted. The rest of TCanvas's hooks are the host's as before.
///
///     class TMyCanvas : public TOutlineCanvas {
///       void DoFillOutline(const TOutline& O, const TBrush& B, float Opacity) override;
///       void DoStrokeOutline(const TOutline& O, const TStrokeBrush& B, float Opacity) override;
///       // Clear, ClearRect, text and images as for any TCanvas
///     };
class FSVG_API TOutlineCanvas : public TCanvas {
 protected:
  using TCanvas::TCanvas;

  /// Fills Outline, by its fill rule, with ABrush at AOpacity under the canvas's state.
  virtual void DoFillOutline(const TOutline& Outline, const TBrush& ABrush, float AOpacity) = 0;
  /// Strokes Outline with ABrush at AOpacity under the canvas's state; a host asks
  /// Outline.CheckStroke before it strokes. The thickness is checked already, and an
  /// outline without steps (an arc of no sweep, a polygon of no points) never comes.
  virtual void DoStrokeOutline(const TOutline& Outline, const TStrokeBrush& ABrush, float AOpacity) = 0;

  /// @name Shape hooks
  /// Each shape as its TOutline.
  /// @{

  void DoFillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                  const TBrush& ABrush, TCornerType ACornerType) override {
    DoFillOutline(TOutline::Rect(ARect, XRadius, YRadius, ACorners, ACornerType), ABrush, AOpacity);
  }
  void DoDrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                  const TStrokeBrush& ABrush, TCornerType ACornerType) override {
    Stroke(TOutline::Rect(ARect, XRadius, YRadius, ACorners, ACornerType), ABrush, AOpacity);
  }
  void DoDrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush) override {
    Stroke(TOutline::Line(APt1, APt2), ABrush, AOpacity);
  }
  void DoFillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush) override {
    DoFillOutline(TOutline::Ellipse(ARect), ABrush, AOpacity);
  }
  void DoDrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush) override {
    Stroke(TOutline::Ellipse(ARect), ABrush, AOpacity);
  }
  void DoFillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
                 const TBrush& ABrush) override {
    DoFillOutline(TOutline::Arc(Center, Radius, StartAngle, SweepAngle), ABrush, AOpacity);
  }
  void DoDrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
                 const TStrokeBrush& ABrush) override {
    Stroke(TOutline::Arc(Center, Radius, StartAngle, SweepAngle), ABrush, AOpacity);
  }
  void DoFillPolygon(const TPolygon& Points, float AOpacity) override {
    DoFillOutline(TOutline::Polygon(Points), GetFill(), AOpacity);
  }
  void DoDrawPolygon(const TPolygon& Points, float AOpacity) override {
    Stroke(TOutline::Polygon(Points), GetStroke(), AOpacity);
  }
  void DoFillPath(const TPathData& APath, float AOpacity, const TBrush& ABrush) override {
    DoFillOutline(TOutline::Path(APath), ABrush, AOpacity);
  }
  void DoDrawPath(const TPathData& APath, float AOpacity, const TStrokeBrush& ABrush) override {
    Stroke(TOutline::Path(APath), ABrush, AOpacity);
  }
  /// @}

 private:
  void Stroke(const TOutline& Outline, const TStrokeBrush& ABrush, float AOpacity) {
    CheckThickness(ABrush);
    if (!Outline.Steps().empty()) DoStrokeOutline(Outline, ABrush, AOpacity);
  }
};

}  // namespace fsvg
