// Test doubles: a host canvas that records every call it receives, a stream that
// collects, fails and lends its writes, a canvas with its writers public, and the tests'
// scene, which draws every primitive and calls every writer.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "fsvg/fsvgcanvas.h"
#include "support/script.h"
#include "support/structure.h"

namespace fsvg::test {

// The argument forms of a recorded call: "[l,t,r,b]", "(x,y)", "brush:kind:colour[:thickness]".
inline std::string Arg(double Value) {
  std::string Text = std::to_string(Value);
  Text.erase(Text.find_last_not_of('0') + 1);
  return Text.back() == '.' ? Text.substr(0, Text.size() - 1) : Text;
}
template <typename T>
requires std::is_integral_v<T> || std::is_enum_v<T> std::string Arg(T Value) {
  return std::to_string(static_cast<long long>(Value));
}
inline std::string Arg(const TRectF& R) {
  return "[" + Arg(R.Left) + "," + Arg(R.Top) + "," + Arg(R.Right) + "," + Arg(R.Bottom) + "]";
}
inline std::string Arg(const TPointF& P) { return "(" + Arg(P.X) + "," + Arg(P.Y) + ")"; }
inline std::string Arg(const TBrush& B) { return "brush:" + Arg(B.Kind) + ":" + Arg(B.Color); }
inline std::string Arg(const TStrokeBrush& B) { return Arg(static_cast<const TBrush&>(B)) + ":" + Arg(B.Thickness); }
template <typename E>
std::string Arg(TSet<E> Set) {  // corners and text flags: one digit per member
  std::string Text;
  for (int Member = 0; Member < 4; ++Member) Text += Set.Contains(static_cast<E>(Member)) ? '1' : '0';
  return Text;
}
inline std::string Arg(std::u16string_view Text) {
  const TBytes Bytes = ToUtf8(Text);
  return {Bytes.begin(), Bytes.end()};
}
inline std::string Arg(const TPolygon& Points) {
  std::string Text;
  for (const TPointF& P : Points) Text += Arg(P);
  return Text;
}
inline std::string Arg(const TPathData& Path) {  // the verbs by number, the points, the rule
  std::string Text;
  for (const TPathVerb Verb : Path.Verbs()) Text += Arg(Verb);
  return Text + Arg(Path.Points()) + ":" + Arg(Path.FillRule);
}

/// Records each call it gets as "Name(args...)": the drawing and measuring calls, the
/// scene hooks (BeginScene with the number of clipping rectangles and the handle; refused
/// with RefuseScene), Flush, SetMatrix (with the y translation) and the layers. Its FailAt-th call
/// (1-based; 0 never) throws std::runtime_error "host failed" after being recorded.
/// Measuring, it answers [1,2,3,4], a width of 7.5 and a height of 11.25, and lays every
/// wrapped text out as two lines.
class TRecordingCanvas : public TNullCanvas {
 public:
  using TCanvas::ClippingChanged;
  using TNullCanvas::TNullCanvas;
  std::vector<std::string> Calls;
  std::size_t FailAt = 0;
  bool RefuseScene = false;
  void Flush() override { Record("Flush"); }

 protected:
  template <typename... T>
  void Record(const char* Name, const T&... Args) {
    std::string Call;
    ((Call += "," + Arg(Args)), ...);
    Calls.push_back(Name + ("(" + Call.erase(0, 1)) + ")");
    if (Calls.size() == FailAt) throw std::runtime_error("host failed");
  }
  bool DoBeginScene(PClipRects Clips, std::uintptr_t Handle) override {
    Record("BeginScene", Clips ? Clips->size() : 0, Handle);
    return !RefuseScene;
  }
  void DoEndScene() override { Record("EndScene"); }
  void DoSetMatrix() override { Record("SetMatrix", GetMatrix().m32); }
  void DoBeginLayer(float O, TBlendMode Blend) override { Record("BeginLayer", O, Blend); }
  void DoEndLayer(float O, TBlendMode Blend) override { Record("EndLayer", O, Blend); }
  using S = std::u16string_view;
  using A = TTextAlign;
  using R = const TRectF&;
  using P = const TPointF&;
  using B = const TBrush&;
  using K = const TStrokeBrush&;
  using F = TFillTextFlags;
  void DoClear(TAlphaColor C) override { Record("Clear", C); }
  void DoClearRect(R Rect, TAlphaColor C) override { Record("ClearRect", Rect, C); }
  void DoFillRect(R Rect, float X, float Y, TCorners C, float O, B Br, TCornerType T) override {
    Record("FillRect", Rect, X, Y, C, O, Br, T);
  }
  void DoDrawRect(R Rect, float X, float Y, TCorners C, float O, K Br, TCornerType T) override {
    Record("DrawRect", Rect, X, Y, C, O, Br, T);
  }
  void DoDrawLine(P From, P To, float O, K Br) override { Record("DrawLine", From, To, O, Br); }
  void DoFillEllipse(R Rect, float O, B Br) override { Record("FillEllipse", Rect, O, Br); }
  void DoDrawEllipse(R Rect, float O, K Br) override { Record("DrawEllipse", Rect, O, Br); }
  void DoFillArc(P C, P Rad, float S0, float W, float O, B Br) override { Record("FillArc", C, Rad, S0, W, O, Br); }
  void DoDrawArc(P C, P Rad, float S0, float W, float O, K Br) override { Record("DrawArc", C, Rad, S0, W, O, Br); }
  void DoFillPolygon(const TPolygon& Points, float O) override { Record("FillPolygon", Points, O); }
  void DoDrawPolygon(const TPolygon& Points, float O) override { Record("DrawPolygon", Points, O); }
  void DoFillPath(const TPathData& Path, float O, B Br) override { Record("FillPath", Path, O, Br); }
  void DoDrawPath(const TPathData& Path, float O, K Br) override { Record("DrawPath", Path, O, Br); }
  void DoFillText(R Rect, S T, bool W, float O, F Fl, A H, A V) override {
    Record("FillText", Rect, T, W, O, Fl, H, V);
  }
  void DoDrawBitmap(const TBitmap& Bm, R Src, R Dest, float O, bool H) override {
    Record("DrawBitmap", Bm.GetWidth(), Src, Dest, O, H);
  }
  void DoMeasureText(TRectF& Rect, S T, bool, F, A, A) override {
    Record("MeasureText", Rect, T);
    Rect = {1, 2, 3, 4};
  }
  void DoMeasureLines(TLineMetricInfo& L, R Rect, S T, bool W, F, A, A) override {
    Record("MeasureLines", Rect, T);
    L.Metrics.resize(W ? 2 : 0);
  }
  float DoTextWidth(S T) override {
    Record("TextWidth", T);
    return 7.5f;
  }
  float DoTextHeight(S T) override {
    Record("TextHeight", T);
    return 11.25f;
  }
};

/// Collects bytes and counts the calls that hand them over (WriteBuffer, CommitBuffer);
/// call FailAt (1-based; 0 never) throws EWriteError "injected write failure". With Lend
/// it lends exactly the room asked for, and refuses a commit when the bytes ran past it.
class TCountingStream : public TStream {
 public:
  void WriteBuffer(const void* Buffer, std::size_t Count) override { Take(static_cast<const char*>(Buffer), Count); }
  std::uint8_t* AcquireBuffer(std::size_t Count) override {
    FRoom = std::string(Count, '\0') + Guard;
    return Lend ? reinterpret_cast<std::uint8_t*>(FRoom.data()) : nullptr;
  }
  void CommitBuffer(std::size_t Count) override {
    if (!Lend || FRoom.size() < Count + Guard.size() || !FRoom.ends_with(Guard)) throw std::length_error("overrun");
    Take(std::exchange(FRoom, "").data(), Count);
  }
  std::size_t Calls = 0, FailAt = 0;
  bool Lend = false;
  std::string Text;
  std::vector<std::size_t> Ends;  // the length of Text after each call

 private:
  inline static const std::string Guard = "<guard>";
  void Take(const char* Data, std::size_t Count) {
    if (++Calls == FailAt) throw EWriteError("injected write failure");
    Ends.push_back(Text.append(Data, Count).size());
  }
  std::string FRoom;
};

/// A face of 1000 units an em whose glyph N is the character N: a triangle N units wide
/// on the baseline, from 700 above it (U+FFFF: not a number) to 100 below, nothing for a
/// space; "o" is the upper half of an ellipse 600 wide and 700 high, as one arc.
struct TBoxFace : TGlyphFace {
  TBoxFace() : TGlyphFace("box", 1000) {}
  TPathData Outline(std::uint32_t AGlyph) const override {
    TPathData Box;
    const float Top = AGlyph == 0xFFFF ? NAN : -700;
    if (AGlyph == 'o') return Box.MoveTo({0, 0}).ArcTo({300, 700}, 0, false, true, {600, 0}).ClosePath();
    if (AGlyph != ' ') Box.MoveTo({0, 100}).LineTo({static_cast<float>(AGlyph), 0}).LineTo({0, Top}).ClosePath();
    return Box;
  }
};

/// A null host whose runs are ten units a character wide while Lays is set, so that the
/// shared layout places its text; without it, it lays out no line. Its glyphs are a
/// TBoxFace's, one a character, the pen of glyph I of a line I * PenY below the baseline; with LaterSize, a
/// line's last glyph again, as a run of that size (below 0: a run without a face).
struct TLayingCanvas : TNullCanvas, TTextMeasurer {
  using TNullCanvas::TNullCanvas;
  bool Lays = true;
  float PenY = 0, LaterSize = 0;
  double RunWidth(std::u16string_view Run) override { return 10.0 * Run.size(); }
  std::unique_ptr<TTextMeasurer> DoCreateTextMeasurer() const override {
    return Lays ? std::make_unique<TLayingCanvas>() : nullptr;
  }
  void DoMeasureGlyphs(TGlyphLines& AGlyphs, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                       TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) override {
    TLineMetricInfo Lines;
    MeasureLines(Lines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
    const auto Face = std::make_shared<TBoxFace>();
    for (const TLineMetricInfo::TLineMetric& Line : Lines.Metrics) {
      TGlyphRun Run{Face, GetFont().Size, {}};
      for (std::size_t I = 0; I < Line.Length; ++I) {
        const float Baseline = Line.Rect.Top + GetFontMetrics().Ascent + PenY * static_cast<float>(I);
        Run.Glyphs.push_back({AText[Line.Index + I], {Line.Rect.Left + 10.0f * I, Baseline}});
      }
      AGlyphs.Lines.push_back({{Run}});
      if (LaterSize != 0 && !Run.Glyphs.empty())
        AGlyphs.Lines.back().Runs.push_back({LaterSize > 0 ? Face : nullptr, LaterSize, {Run.Glyphs.back()}});
    }
  }
};

/// A recording canvas with its writers public.
struct TOpenCanvas : TSvgCanvas {
  using TSvgCanvas::TSvgCanvas;
  using TSvgCanvas::Write;
  using TSvgCanvas::WriteColor;
  using TSvgCanvas::WriteEscaped;
};

/// A script on C whose Write steps call C's writers, unless Writers is false: a text three
/// ways (the same bytes twice, then escaped), or else the step's number, the smallest
/// 32-bit integer and the colour; then a line end.
inline TScript ScriptOn(TOpenCanvas& C, bool Writers = true) {
  return TScript(C, [&C, Writers](const TStep& Step) {
    const TBytes Bytes = ToUtf8(Step.Text);
    if (Writers && !Step.Text.empty()) {
      C.Write(std::u16string_view(Step.Text));
      C.Write(std::span(Bytes));
      C.WriteEscaped(Step.Text);
    }
    if (Writers && Step.Text.empty()) {
      C.Write(static_cast<double>(Step.N.at(0)));
      C.Write(std::int32_t{-2147483647 - 1});
      C.WriteColor(Step.Color("color"));
    }
    if (Writers) C.Write(std::string_view("\n"));
  });
}

/// The steps of the scene of tests/scenes.txt at Seed; those from ClipStep(), the first
/// SaveState, on clip.
inline std::vector<TStep> SceneSteps(float Seed) { return Load(FSVG_TEST_SCENES, "scene", Seed).Steps; }
inline const std::vector<TStep>& SceneSteps() {
  static const std::vector<TStep> Steps = SceneSteps(0);
  return Steps;
}
inline std::size_t ClipStep() {
  const auto& Steps = SceneSteps();
  return static_cast<std::size_t>(
      std::find_if(Steps.begin(), Steps.end(), [](const TStep& Step) { return Step.Name() == "SaveState"; }) -
      Steps.begin());
}

/// What the scene Name of tests/scenes.txt records over Host under Options, every line
/// built in room lent exactly to size; a step the script does not draw goes to Other.
inline std::string RecordScene(const std::string& Name, TCanvas& Host, const TSvgOptions& Options,
                               std::function<void(const TStep&)> Other = {}) {
  TCountingStream Stream;
  Stream.Lend = true;
  {
    TSvgCanvas Canvas(&Stream, &Host, Options);
    TScript(Canvas, std::move(Other)).Run(Load(FSVG_TEST_SCENES, Name).Steps);
  }
  return Stream.Text;
}

/// Draws the scene at Seed on Canvas, its host's clip reset first (the scene leaves one).
inline void DrawScene(TOpenCanvas& Canvas, float Seed = 0, bool Writers = true) {
  Canvas.GetCanvas().SetClip(nullptr);
  ScriptOn(Canvas, Writers).Run(Seed == 0 ? SceneSteps() : SceneSteps(Seed));  // loaded once at 0
}

/// Draws the scene on a canvas made for it, which then ends its document.
inline void DrawScene(TOpenCanvas&& Canvas) { DrawScene(Canvas); }

/// The message of the E that Call throws ("no error" when it throws none).
template <typename E = std::exception>
std::string ErrorOf(const std::function<void()>& Call) try {
  Call();
  return "no error";
} catch (const E& Error) {
  return Error.what();
}

/// Expects Statement to throw an E whose message is Message.
#define EXPECT_ERROR(E, Statement, Message) EXPECT_EQ(fsvg::test::ErrorOf<E>([&] { Statement; }), Message)

/// Whether Part occurs in Text.
inline bool Holds(std::string_view Text, std::string_view Part) { return Text.find(Part) != Text.npos; }

/// How many times Part occurs in Text.
inline std::size_t CountOf(const std::string& Text, std::string_view Part) {
  std::size_t Count = 0;
  for (std::size_t At = Text.find(Part); At != std::string::npos; At = Text.find(Part, At + 1)) ++Count;
  return Count;
}

/// The document a TSvgCanvas writes for an empty drawing, less the footer.
inline const std::string Header =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\">\n";

}  // namespace fsvg::test
