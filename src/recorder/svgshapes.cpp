// The shape calls: each paints on the host first, once, with the caller's values, then
// records its element filled or stroked, given only its geometry. Clearing writes a
// plain rect of the colour, whatever the paint.
#include "svgrecording.h"

namespace fsvg {

using detail::TLine;

void TSvgCanvas::Clear(TAlphaColor Color) {
  TRecording& R = *FRecording;
  R.Canvas->Clear(Color);
  R.SyncClip();
  R.Document.WriteElement(0, [&](TLine& Line, const auto& Options) {
    Line.Open("rect");
    Line.Attr("x", "0");
    Line.Attr("y", "0");
    Line.Attr("width", R.Canvas->GetWidth());
    Line.Attr("height", R.Canvas->GetHeight());
    detail::PutFillColor(Line, Color, Options);
    Line.CloseEmpty();
  });
}

void TSvgCanvas::ClearRect(const TRectF& ARect, TAlphaColor AColor) {
  TRecording& R = *FRecording;
  R.Canvas->ClearRect(ARect, AColor);
  R.SyncClip();
  R.Document.WriteElement(0, [&](TLine& Line, const auto& Options) {
    detail::PutRectGeometry(Line, ARect, R.Canvas->GetOffset(), Options);
    detail::PutTransform(Line, *R.Canvas, Options);
    detail::PutFillColor(Line, AColor, Options);
    Line.CloseEmpty();
  });
}

void TSvgCanvas::FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          TCornerType ACornerType) {
  FillRect(ARect, XRadius, YRadius, ACorners, AOpacity, GetFill(), ACornerType);
}

void TSvgCanvas::FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          const TBrush& ABrush, TCornerType ACornerType) {
  TRecording& R = *FRecording;
  R.Canvas->FillRect(ARect, XRadius, YRadius, ACorners, AOpacity, ABrush, ACornerType);
  const auto Shape = [&] { return TOutline::Rect(ARect, XRadius, YRadius, ACorners, ACornerType); };
  R.RecordFilled(ABrush, AOpacity, R.Canvas->GetOffset(), Shape, 0,
                 [&](TLine& Line, const auto& Options, TPointF Offset) {
                   detail::PutRectShape(Line, ARect, XRadius, YRadius, ACorners, ACornerType, Offset, Options);
                 });
}

void TSvgCanvas::DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          TCornerType ACornerType) {
  DrawRect(ARect, XRadius, YRadius, ACorners, AOpacity, GetStroke(), ACornerType);
}

void TSvgCanvas::DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          const TStrokeBrush& ABrush, TCornerType ACornerType) {
  TRecording& R = *FRecording;
  R.Canvas->DrawRect(ARect, XRadius, YRadius, ACorners, AOpacity, ABrush, ACornerType);
  const auto Shape = [&] { return TOutline::Rect(ARect, XRadius, YRadius, ACorners, ACornerType); };
  R.RecordStroked(ABrush, AOpacity, R.Canvas->GetOffset(), Shape, 0,
                  [&](TLine& Line, const auto& Options, TPointF Offset) {
                    detail::PutRectShape(Line, ARect, XRadius, YRadius, ACorners, ACornerType, Offset, Options);
                  });
}

void TSvgCanvas::DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity) {
  DrawLine(APt1, APt2, AOpacity, GetStroke());
}

void TSvgCanvas::DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush) {
  TRecording& R = *FRecording;
  R.Canvas->DrawLine(APt1, APt2, AOpacity, ABrush);
  const auto Geometry = [&](TLine& Line, const auto&, TPointF Offset) {
    Line.Open("line");
    Line.Attr("x1", static_cast<double>(APt1.X) + Offset.X);
    Line.Attr("y1", static_cast<double>(APt1.Y) + Offset.Y);
    Line.Attr("x2", static_cast<double>(APt2.X) + Offset.X);
    Line.Attr("y2", static_cast<double>(APt2.Y) + Offset.Y);
  };
  const auto Shape = [&] { return TOutline::Line(APt1, APt2); };
  R.RecordStroked(ABrush, AOpacity, R.Canvas->GetOffset(), Shape, 0, Geometry, TRecording::TStroked::Line);
}

void TSvgCanvas::FillEllipse(const TRectF& ARect, float AOpacity) { FillEllipse(ARect, AOpacity, GetFill()); }

void TSvgCanvas::FillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush) {
  TRecording& R = *FRecording;
  R.Canvas->FillEllipse(ARect, AOpacity, ABrush);
  const auto Shape = [&] { return TOutline::Ellipse(ARect); };
  R.RecordFilled(ABrush, AOpacity, R.Canvas->GetOffset(), Shape, 0,
                 [&](TLine& Line, const auto& Options, TPointF Offset) {
                   detail::PutEllipseGeometry(Line, ARect, Offset, Options);
                 });
}

void TSvgCanvas::DrawEllipse(const TRectF& ARect, float AOpacity) { DrawEllipse(ARect, AOpacity, GetStroke()); }

void TSvgCanvas::DrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush) {
  TRecording& R = *FRecording;
  R.Canvas->DrawEllipse(ARect, AOpacity, ABrush);
  const auto Shape = [&] { return TOutline::Ellipse(ARect); };
  R.RecordStroked(ABrush, AOpacity, R.Canvas->GetOffset(), Shape, 0,
                  [&](TLine& Line, const auto& Options, TPointF Offset) {
                    detail::PutEllipseGeometry(Line, ARect, Offset, Options);
                  });
}

void TSvgCanvas::FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity) {
  FillArc(Center, Radius, StartAngle, SweepAngle, AOpacity, GetFill());
}

void TSvgCanvas::FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity, const TBrush& ABrush) {
  TRecording& R = *FRecording;
  R.Canvas->FillArc(Center, Radius, StartAngle, SweepAngle, AOpacity, ABrush);
  const auto Shape = [&] { return TOutline::Arc(Center, Radius, StartAngle, SweepAngle); };
  R.RecordFilled(ABrush, AOpacity, R.ArcOffset(), Shape, 0, [&](TLine& Line, const auto&, TPointF Offset) {
    detail::PutArcPath(Line, Center, Radius, StartAngle, SweepAngle, Offset);
  });
}

void TSvgCanvas::DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity) {
  DrawArc(Center, Radius, StartAngle, SweepAngle, AOpacity, GetStroke());
}

void TSvgCanvas::DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity, const TStrokeBrush& ABrush) {
  TRecording& R = *FRecording;
  R.Canvas->DrawArc(Center, Radius, StartAngle, SweepAngle, AOpacity, ABrush);
  const auto Shape = [&] { return TOutline::Arc(Center, Radius, StartAngle, SweepAngle); };
  R.RecordStroked(ABrush, AOpacity, R.ArcOffset(), Shape, 0, [&](TLine& Line, const auto&, TPointF Offset) {
    detail::PutArcPath(Line, Center, Radius, StartAngle, SweepAngle, Offset);
  });
}

void TSvgCanvas::FillPolygon(const TPolygon& Points, float AOpacity) {
  TRecording& R = *FRecording;
  R.Canvas->FillPolygon(Points, AOpacity);
  if (Points.size() < 2) return;
  const std::size_t Room = detail::PointListRoom(Points, 0);
  const auto Shape = [&] { return TOutline::Polygon(Points); };
  R.RecordFilled(R.Canvas->GetFill(), AOpacity, R.Canvas->GetOffset(), Shape, Room,
                 [&](TLine& Line, const auto&, TPointF Offset) {
                   Line.Open("polygon");
                   Line.Attr("points", [&] { detail::PutPointList(Line, Points, Offset, false); });
                 });
}

void TSvgCanvas::DrawPolygon(const TPolygon& Points, float AOpacity) {
  TRecording& R = *FRecording;
  R.Canvas->DrawPolygon(Points, AOpacity);
  if (Points.size() < 2) return;
  const std::size_t Room = detail::PointListRoom(Points, 1);
  const auto Shape = [&] { return TOutline::Polygon(Points); };
  R.RecordStroked(R.Canvas->GetStroke(), AOpacity, R.Canvas->GetOffset(), Shape, Room,
                  [&](TLine& Line, const auto& Options, TPointF Offset) {
                    // The plain outline is a polyline that ends where it began, with no
                    // join there; with the stroke's style recorded it is a closed
                    // polygon, joined at every vertex.
                    if (Options.StrokeStyle)
                      Line.Open("polygon");
                    else
                      Line.Open("polyline");
                    Line.Attr("points", [&] { detail::PutPointList(Line, Points, Offset, !Options.StrokeStyle); });
                  });
}

void TSvgCanvas::FillPath(const TPathData& APath, float AOpacity) { FillPath(APath, AOpacity, GetFill()); }

void TSvgCanvas::FillPath(const TPathData& APath, float AOpacity, const TBrush& ABrush) {
  TRecording& R = *FRecording;
  R.Canvas->FillPath(APath, AOpacity, ABrush);
  if (APath.IsEmpty()) return;
  const std::size_t Room = detail::PathRoom(APath);
  const auto Shape = [&] { return TOutline::Path(APath); };
  R.RecordFilled(ABrush, AOpacity, R.Canvas->GetOffset(), Shape, Room, [&](TLine& Line, const auto&, TPointF Offset) {
    Line.Open("path");
    Line.Attr("d", [&] { detail::PutPathData(Line, APath, Offset); });
    if (APath.FillRule == TFillRule::EvenOdd) Line.Attr("fill-rule", "evenodd");
  });
}

void TSvgCanvas::DrawPath(const TPathData& APath, float AOpacity) { DrawPath(APath, AOpacity, GetStroke()); }

void TSvgCanvas::DrawPath(const TPathData& APath, float AOpacity, const TStrokeBrush& ABrush) {
  TRecording& R = *FRecording;
  R.Canvas->DrawPath(APath, AOpacity, ABrush);
  if (APath.IsEmpty()) return;
  const std::size_t Room = detail::PathRoom(APath);
  const auto Geometry = [&](TLine& Line, const auto&, TPointF Offset) {
    Line.Open("path");
    Line.Attr("d", [&] { detail::PutPathData(Line, APath, Offset); });
  };
  const auto Shape = [&] { return TOutline::Path(APath); };
  R.RecordStroked(ABrush, AOpacity, R.Canvas->GetOffset(), Shape, Room, Geometry, TRecording::TStroked::Path);
}

}  // namespace fsvg
