// TTeeCanvas: a TCanvas whose every drawing call goes to a TSvgCanvas, so that
// drawing code written against TCanvas paints and records. The host is brought to this
// canvas's paint, font, offset, matrix and clip before each call; a value already in force
// is not set again, so a host that reacts to a change (a new matrix) sees only real ones.
#include "fsvg/fsvgcanvas.h"

namespace fsvg {

TTeeCanvas::TTeeCanvas(TSvgCanvas& Recorder)
    : TCanvas(Recorder.GetWidth(), Recorder.GetHeight(), Recorder.GetCanvas().GetScale(), Recorder.GetQuality()),
      FRecorder(Recorder) {
  const TCanvas& Host = Recorder.GetCanvas();
  SetFill(Host.GetFill());
  SetStroke(Host.GetStroke());
  GetFont() = Host.GetFont();
  SetOffset(Host.GetOffset());
  SetMatrix(Host.GetMatrix());
  SetClip(Host.GetClip());
}

TCanvas& TTeeCanvas::Synced() const {
  TCanvas& Host = FRecorder.GetCanvas();
  if (!(Host.GetFill() == GetFill())) Host.SetFill(GetFill());
  if (!(Host.GetStroke() == GetStroke())) Host.SetStroke(GetStroke());
  if (!(Host.GetFont() == GetFont())) Host.GetFont() = GetFont();
  if (!(Host.GetOffset() == GetOffset())) Host.SetOffset(GetOffset());
  if (!(Host.GetMatrix() == GetMatrix())) Host.SetMatrix(GetMatrix());
  // The clip's steps are immutable and shared: the host takes this canvas's chain itself.
  if (Host.GetClip() != GetClip()) Host.SetClip(GetClip());
  return Host;
}

TSvgCanvas& TTeeCanvas::Recorder() const {
  Synced();
  return FRecorder;
}

void TTeeCanvas::Flush() { FRecorder.Flush(); }

float TTeeCanvas::AlignToPixelHorizontally(float Value) const { return Synced().AlignToPixelHorizontally(Value); }

float TTeeCanvas::AlignToPixelVertically(float Value) const { return Synced().AlignToPixelVertically(Value); }

bool TTeeCanvas::DoBeginScene(PClipRects AClipRects, std::uintptr_t AContextHandle) {
  return FRecorder.BeginScene(AClipRects, AContextHandle);
}

void TTeeCanvas::DoEndScene() { FRecorder.EndScene(); }

void TTeeCanvas::DoSetSize() { FRecorder.SetSize(GetWidth(), GetHeight()); }

// A matrix the host refuses is refused here too, when it is set.
void TTeeCanvas::DoSetMatrix() {
  TCanvas& Host = FRecorder.GetCanvas();
  if (!(Host.GetMatrix() == GetMatrix())) Host.SetMatrix(GetMatrix());
}

void TTeeCanvas::DoBeginLayer(float Opacity, TBlendMode Blend) { FRecorder.BeginLayer(Opacity, Blend); }
void TTeeCanvas::DoEndLayer(float, TBlendMode) { FRecorder.EndLayer(); }

void TTeeCanvas::DoClear(TAlphaColor Color) { Recorder().Clear(Color); }

void TTeeCanvas::DoClearRect(const TRectF& ARect, TAlphaColor AColor) { Recorder().ClearRect(ARect, AColor); }

void TTeeCanvas::DoFillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                            const TBrush& ABrush, TCornerType ACornerType) {
  Recorder().FillRect(ARect, XRadius, YRadius, ACorners, AOpacity, ABrush, ACornerType);
}

void TTeeCanvas::DoDrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                            const TStrokeBrush& ABrush, TCornerType ACornerType) {
  Recorder().DrawRect(ARect, XRadius, YRadius, ACorners, AOpacity, ABrush, ACornerType);
}

void TTeeCanvas::DoDrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush) {
  Recorder().DrawLine(APt1, APt2, AOpacity, ABrush);
}

void TTeeCanvas::DoFillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush) {
  Recorder().FillEllipse(ARect, AOpacity, ABrush);
}

void TTeeCanvas::DoDrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush) {
  Recorder().DrawEllipse(ARect, AOpacity, ABrush);
}

void TTeeCanvas::DoFillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                           float AOpacity, const TBrush& ABrush) {
  Recorder().FillArc(Center, Radius, StartAngle, SweepAngle, AOpacity, ABrush);
}

void TTeeCanvas::DoDrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                           float AOpacity, const TStrokeBrush& ABrush) {
  Recorder().DrawArc(Center, Radius, StartAngle, SweepAngle, AOpacity, ABrush);
}

void TTeeCanvas::DoFillPolygon(const TPolygon& Points, float AOpacity) { Recorder().FillPolygon(Points, AOpacity); }

void TTeeCanvas::DoDrawPolygon(const TPolygon& Points, float AOpacity) { Recorder().DrawPolygon(Points, AOpacity); }

void TTeeCanvas::DoFillPath(const TPathData& APath, float AOpacity, const TBrush& ABrush) {
  Recorder().FillPath(APath, AOpacity, ABrush);
}

void TTeeCanvas::DoDrawPath(const TPathData& APath, float AOpacity, const TStrokeBrush& ABrush) {
  Recorder().DrawPath(APath, AOpacity, ABrush);
}

void TTeeCanvas::DoFillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                            TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  Recorder().FillText(ARect, AText, WordWrap, AOpacity, Flags, ATextAlign, AVTextAlign);
}

TFontMetrics TTeeCanvas::DoGetFontMetrics() const { return Synced().GetFontMetrics(); }

void TTeeCanvas::DoMeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                                TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  Recorder().MeasureLines(ALines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
}

void TTeeCanvas::DoMeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags,
                               TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  Recorder().MeasureText(ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
}

float TTeeCanvas::DoTextWidth(std::u16string_view AText) { return Synced().TextWidth(AText); }

float TTeeCanvas::DoTextHeight(std::u16string_view AText) { return Synced().TextHeight(AText); }

void TTeeCanvas::DoDrawBitmap(const TBitmap& ABitmap, const TRectF& Source, const TRectF& Dest, float AOpacity,
                              bool HighSpeed) {
  Recorder().DrawBitmap(ABitmap, Source, Dest, AOpacity, HighSpeed);
}

}  // namespace fsvg
