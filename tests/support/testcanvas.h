// Test doubles: a host canvas that records every call it receives, and streams that
// count, collect and fail their writes.
#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "fsvg/fsvgcanvas.h"

namespace fsvg::test {

/// Records each drawing call as "Name(args...)" and can be told to throw instead.
class TRecordingCanvas : public TNullCanvas {
 public:
  using TNullCanvas::TNullCanvas;

  std::vector<std::string> Calls;
  /// When set, every drawing hook records its call and then throws std::runtime_error.
  bool Throw = false;
  /// Called inside every drawing hook, after recording; lets a test look at the
  /// output at the moment the host is painted.
  std::function<void()> OnCall;
  float Width = 7.5f;
  float Height = 11.25f;
  TRectF Measured{1, 2, 3, 4};

 protected:
  void Record(std::string Call) {
    Calls.push_back(std::move(Call));
    if (OnCall) OnCall();
    if (Throw) throw std::runtime_error("host failed");
  }
  static std::string Num(double Value) {
    std::string Text = std::to_string(Value);
    Text.erase(Text.find_last_not_of('0') + 1);
    if (!Text.empty() && Text.back() == '.') Text.pop_back();
    return Text;
  }
  static std::string Rect(const TRectF& R) {
    return "[" + Num(R.Left) + "," + Num(R.Top) + "," + Num(R.Right) + "," + Num(R.Bottom) + "]";
  }
  static std::string Pt(const TPointF& P) { return "(" + Num(P.X) + "," + Num(P.Y) + ")"; }
  static std::string Brush(const TBrush& B) {
    return "brush:" + std::to_string(static_cast<int>(B.Kind)) + ":" + std::to_string(B.Color);
  }
  static std::string Stroke(const TStrokeBrush& B) { return Brush(B) + ":" + Num(B.Thickness); }
  static std::string Corners(TCorners C) {
    std::string Text;
    for (TCorner Corner : {TCorner::TopLeft, TCorner::TopRight, TCorner::BottomLeft, TCorner::BottomRight})
      Text += C.Contains(Corner) ? '1' : '0';
    return Text;
  }
  static std::string Poly(const TPolygon& Points) {
    std::string Text;
    for (const TPointF& P : Points) Text += Pt(P);
    return Text;
  }
  static std::string Utf8(std::u16string_view Text) {
    const TBytes Bytes = ToUtf8(Text);
    return std::string(Bytes.begin(), Bytes.end());
  }

  void DoClear(TAlphaColor Color) override { Record("Clear(" + std::to_string(Color) + ")"); }
  void DoClearRect(const TRectF& R, TAlphaColor Color) override {
    Record("ClearRect(" + Rect(R) + "," + std::to_string(Color) + ")");
  }
  void DoFillRect(const TRectF& R, float XR, float YR, TCorners C, float O, const TBrush& B, TCornerType T) override {
    Record("FillRect(" + Rect(R) + "," + Num(XR) + "," + Num(YR) + "," + Corners(C) + "," + Num(O) + "," + Brush(B) +
           "," + std::to_string(static_cast<int>(T)) + ")");
  }
  void DoDrawRect(const TRectF& R, float XR, float YR, TCorners C, float O, const TStrokeBrush& B,
                  TCornerType T) override {
    Record("DrawRect(" + Rect(R) + "," + Num(XR) + "," + Num(YR) + "," + Corners(C) + "," + Num(O) + "," + Stroke(B) +
           "," + std::to_string(static_cast<int>(T)) + ")");
  }
  void DoDrawLine(const TPointF& A, const TPointF& B, float O, const TStrokeBrush& S) override {
    Record("DrawLine(" + Pt(A) + "," + Pt(B) + "," + Num(O) + "," + Stroke(S) + ")");
  }
  void DoFillEllipse(const TRectF& R, float O, const TBrush& B) override {
    Record("FillEllipse(" + Rect(R) + "," + Num(O) + "," + Brush(B) + ")");
  }
  void DoDrawEllipse(const TRectF& R, float O, const TStrokeBrush& B) override {
    Record("DrawEllipse(" + Rect(R) + "," + Num(O) + "," + Stroke(B) + ")");
  }
  void DoFillArc(const TPointF& C, const TPointF& R, float S, float W, float O, const TBrush& B) override {
    Record("FillArc(" + Pt(C) + "," + Pt(R) + "," + Num(S) + "," + Num(W) + "," + Num(O) + "," + Brush(B) + ")");
  }
  void DoDrawArc(const TPointF& C, const TPointF& R, float S, float W, float O, const TStrokeBrush& B) override {
    Record("DrawArc(" + Pt(C) + "," + Pt(R) + "," + Num(S) + "," + Num(W) + "," + Num(O) + "," + Stroke(B) + ")");
  }
  void DoFillPolygon(const TPolygon& Points, float O) override {
    Record("FillPolygon(" + Poly(Points) + "," + Num(O) + ")");
  }
  void DoDrawPolygon(const TPolygon& Points, float O) override {
    Record("DrawPolygon(" + Poly(Points) + "," + Num(O) + ")");
  }
  void DoFillText(const TRectF& R, std::u16string_view Text, bool Wrap, float O, TFillTextFlags F, TTextAlign H,
                  TTextAlign V) override {
    Record("FillText(" + Rect(R) + "," + Utf8(Text) + "," + std::to_string(Wrap) + "," + Num(O) + "," +
           std::to_string(F.Contains(TFillTextFlag::RightToLeft)) + "," + std::to_string(static_cast<int>(H)) + "," +
           std::to_string(static_cast<int>(V)) + ")");
  }
  void DoMeasureText(TRectF& R, std::u16string_view Text, bool, TFillTextFlags, TTextAlign, TTextAlign) override {
    Record("MeasureText(" + Rect(R) + "," + Utf8(Text) + ")");
    R = Measured;
  }
  void DoMeasureLines(TLineMetricInfo& Lines, const TRectF& R, std::u16string_view Text, bool, TFillTextFlags,
                      TTextAlign, TTextAlign) override {
    Record("MeasureLines(" + Rect(R) + "," + Utf8(Text) + ")");
    Lines.Metrics.assign(2, {});
  }
  float DoTextWidth(std::u16string_view Text) override {
    Record("TextWidth(" + Utf8(Text) + ")");
    return Width;
  }
  float DoTextHeight(std::u16string_view Text) override {
    Record("TextHeight(" + Utf8(Text) + ")");
    return Height;
  }
};

/// Collects bytes like a memory stream and counts the WriteBuffer calls; can be told to
/// throw at the k-th call (1-based; 0 never).
class TCountingStream : public TStream {
 public:
  void WriteBuffer(const void* Buffer, std::size_t Count) override {
    ++Calls;
    if (FailAt != 0 && Calls == FailAt) throw EWriteError("injected write failure");
    Text.append(static_cast<const char*>(Buffer), Count);
  }
  std::size_t Calls = 0;
  std::size_t FailAt = 0;
  std::string Text;
};

/// The document a TSvgCanvas writes for an empty drawing, less the footer.
inline const std::string Header =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\">\n";

}  // namespace fsvg::test
