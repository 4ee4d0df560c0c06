// The calls a TSvgCanvas answers by its host alone, writing nothing: the lock, size,
// scenes and saved states, the properties, and pixel alignment as the host would align.
#include "svgrecording.h"

namespace fsvg {

TCanvas& TSvgCanvas::GetCanvas() const { return *FRecording->Canvas; }

void TSvgCanvas::Lock() { TCanvas::Lock(); }
void TSvgCanvas::Unlock() { TCanvas::Unlock(); }

void TSvgCanvas::SetSize(std::int32_t AWidth, std::int32_t AHeight) { GetCanvas().SetSize(AWidth, AHeight); }

bool TSvgCanvas::BeginScene(PClipRects AClipRects, std::uintptr_t AContextHandle) {
  return GetCanvas().BeginScene(AClipRects, AContextHandle);
}

void TSvgCanvas::EndScene() { GetCanvas().EndScene(); }
void TSvgCanvas::Flush() { GetCanvas().Flush(); }
TCanvasSaveState* TSvgCanvas::SaveState() { return GetCanvas().SaveState(); }
void TSvgCanvas::RestoreState(const TCanvasSaveState* State) { GetCanvas().RestoreState(State); }

std::int32_t TSvgCanvas::GetBeginSceneCount() const { return GetCanvas().GetBeginSceneCount(); }
TCanvasQuality TSvgCanvas::GetQuality() const { return GetCanvas().GetQuality(); }
TStrokeBrush& TSvgCanvas::GetStroke() const { return GetCanvas().GetStroke(); }
TBrush& TSvgCanvas::GetFill() const { return GetCanvas().GetFill(); }
void TSvgCanvas::SetFill(const TBrush& Value) { GetCanvas().SetFill(Value); }
TFont& TSvgCanvas::GetFont() const { return GetCanvas().GetFont(); }
std::int32_t TSvgCanvas::GetWidth() const { return GetCanvas().GetWidth(); }
std::int32_t TSvgCanvas::GetHeight() const { return GetCanvas().GetHeight(); }
TPointF TSvgCanvas::GetOffset() const { return GetCanvas().GetOffset(); }
void TSvgCanvas::SetOffset(const TPointF& Value) { GetCanvas().SetOffset(Value); }
std::int32_t TSvgCanvas::GetClippingChangeCount() const { return GetCanvas().GetClippingChangeCount(); }
std::int32_t TSvgCanvas::GetSavingStateCount() const { return GetCanvas().GetSavingStateCount(); }
std::int32_t TSvgCanvas::GetMaxDecimalPlaces() const { return FRecording->Document.Options().DecimalPlaces; }

float TSvgCanvas::AlignToPixelHorizontally(float Value) const {
  const TCanvas& Host = GetCanvas();
  return SnapToPixel(Value, Host.GetScale(), Host.GetMatrixMeaning(), Host.GetMatrix().m31);
}

float TSvgCanvas::AlignToPixelVertically(float Value) const {
  const TCanvas& Host = GetCanvas();
  return SnapToPixel(Value, Host.GetScale(), Host.GetMatrixMeaning(), Host.GetMatrix().m32);
}

TPointF TSvgCanvas::AlignToPixel(const TPointF& Value) const {
  // One reading of the matrix kind serves both axes.
  const TCanvas& Host = GetCanvas();
  const TMatrixMeaning Kind = Host.GetMatrixMeaning();
  const float Scale = Host.GetScale();
  const TMatrix& Matrix = Host.GetMatrix();
  return {SnapToPixel(Value.X, Scale, Kind, Matrix.m31), SnapToPixel(Value.Y, Scale, Kind, Matrix.m32)};
}

// The top-left corner snaps through the host's own alignment; the size becomes a
// whole number of device pixels, whatever the matrix.
TRectF TSvgCanvas::AlignToPixel(const TRectF& Rect) const {
  TCanvas& Host = GetCanvas();
  const float Scale = Host.GetScale();
  const float Left = Host.AlignToPixelHorizontally(Rect.Left);
  const float Top = Host.AlignToPixelVertically(Rect.Top);
  return {Left, Top, SnapSpanToPixels(Left, Rect.Width(), Scale, Rect.Right),
          SnapSpanToPixels(Top, Rect.Height(), Scale, Rect.Bottom)};
}

}  // namespace fsvg
