// The calls the host canvas alone answers: scenes, saved states, size, properties,
// measuring and pixel alignment. None of them writes a byte or paints.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

TEST(Host, ScenesStatesSizeMeasuringAndPropertiesReachTheHostAndWriteNothing) {
  TRecordingCanvas Host{100, 50, 2, TCanvasQuality::HighQuality};
  TCountingStream Stream;
  TSvgCanvas Canvas(&Stream, &Host);
  const std::vector<TRectF> Clips{{0, 0, 1, 1}};
  EXPECT_TRUE(Canvas.BeginScene(&Clips, 42));
  EXPECT_TRUE(Canvas.BeginScene());
  EXPECT_EQ(Canvas.GetBeginSceneCount(), 2);
  Canvas.EndScene();
  EXPECT_EQ(Host.Calls.size(), 1u);  // nested: only counted
  Canvas.EndScene();
  Host.RefuseScene = true;
  EXPECT_FALSE(Canvas.BeginScene());
  EXPECT_EQ(Canvas.GetBeginSceneCount(), 0);
  Canvas.Flush();
  Host.ClippingChanged();
  EXPECT_EQ(Canvas.GetClippingChangeCount(), 1);
  EXPECT_EQ(Canvas.GetQuality(), TCanvasQuality::HighQuality);
  for (const auto& [Width, Height] : {std::pair{800, 600}, {0, 7}, {9, 0}}) {
    Canvas.SetSize(Width, Height);
    EXPECT_EQ(Canvas.GetWidth(), Width);
    EXPECT_EQ(Canvas.GetHeight(), Height);
  }
  for (const int Bad : {0, 1}) EXPECT_THROW(Canvas.SetSize(Bad - 1, -Bad), EArgumentError);
  EXPECT_EQ(Canvas.GetWidth(), 9);  // refused, and kept
  TRectF Rect{5, 6, 7, 8};
  Canvas.MeasureText(Rect, u"ab", true, {}, TTextAlign::Leading, TTextAlign::Trailing);
  EXPECT_EQ(Rect, (TRectF{1, 2, 3, 4}));
  TLineMetricInfo Lines;
  Canvas.MeasureLines(Lines, {1, 1, 2, 2}, u"cd", true, {}, TTextAlign::Center);
  EXPECT_EQ(Lines.Metrics.size(), 2u);
  EXPECT_EQ(Canvas.TextWidth(u"e"), 7.5f);
  EXPECT_EQ(Canvas.TextHeight(u"f"), 11.25f);
  EXPECT_EQ(Host.Calls, (std::vector<std::string>{"BeginScene(1,42)", "EndScene()", "BeginScene(0,0)", "Flush()",
                                                  "MeasureText([5,6,7,8],ab)", "MeasureLines([1,1,2,2],cd)",
                                                  "TextWidth(e)", "TextHeight(f)"}));
  // The shared layout measures the bounds of the lines (12 units high at size 10, 2 below
  // the baseline), of no line the box's corner; a text is as wide as its widest line.
  TLayingCanvas Laying;
  Laying.GetFont().Size = 10;
  TRectF Box{10, 20, 110, 120};
  Laying.MeasureText(Box, u"one\nthree", false, {}, TTextAlign::Center, TTextAlign::Trailing);
  EXPECT_EQ(Box, (TRectF{35, 96, 85, 120}));
  Laying.MeasureText(Box, u"", false, {}, TTextAlign::Center, TTextAlign::Center);
  EXPECT_EQ(Box, (TRectF{35, 96, 35, 96}));
  EXPECT_EQ(Laying.TextWidth(u"abc\nabcabc\na"), 60);
  EXPECT_EQ(Laying.GetFontMetrics().Descent, 2);
  TNullCanvas Unmeasured;  // no measurer: no lines, whatever the metrics held before
  Unmeasured.MeasureLines(Lines, {}, u"g", false, {}, TTextAlign::Center);
  EXPECT_TRUE(Lines.Metrics.empty());
  TCorners Corners = AllCorners;
  const TCorners Top{TCorner::TopLeft, TCorner::TopRight};
  EXPECT_TRUE((Corners.Exclude(TCorner::TopLeft) & Top) == TCorners{TCorner::TopRight});
  EXPECT_TRUE((Corners.Include(TCorner::TopLeft) | TCorners{}) == AllCorners);
  // The restored state is the one saved, and the later ones are released. A host may
  // refuse a matrix, set or restored: the whole state in force before stays. A state
  // restored once is refused, even when a later one reuses its memory.
  const auto Set = [&](float Value) {
    Canvas.SetFill(TBrush(TBrushKind::Gradient, static_cast<TAlphaColor>(Value)));
    Canvas.GetStroke() = TStrokeBrush(TBrushKind::Bitmap, 2, Value);
    Canvas.GetFont() = TFont(std::u16string(1, static_cast<char16_t>(Value)), Value);
    Canvas.SetOffset({Value, -Value});
    Host.SetMatrix({.m32 = Value});  // the other entries as a TMatrix starts
  };
  Set(1);
  TCanvasSaveState* First = Canvas.SaveState();
  Set(2);
  TCanvasSaveState* Second = Canvas.SaveState();
  EXPECT_EQ(Canvas.GetSavingStateCount(), 2);
  Set(3);
  Canvas.RestoreState(First);
  EXPECT_EQ(Canvas.GetSavingStateCount(), 0);
  EXPECT_TRUE(Canvas.GetFill() == TBrush(TBrushKind::Gradient, 1));
  EXPECT_TRUE(Canvas.GetFont() == TFont(u"\u0001", 1));
  EXPECT_TRUE(Canvas.GetStroke() == TStrokeBrush(TBrushKind::Bitmap, 2, 1));
  EXPECT_EQ(Canvas.GetOffset(), (TPointF{1, -1}));
  EXPECT_EQ(Host.GetMatrix().m32, 1);
  EXPECT_EQ(Host.GetMatrixMeaning(), TMatrixMeaning::Translate);
  EXPECT_THROW(Canvas.RestoreState(Second), EMisuseError);  // a null state: the refusals
  TCanvasSaveState* Saved = Canvas.SaveState();
  Set(0);
  Host.FailAt = Host.Calls.size() + 1;
  EXPECT_THROW(Set(5), std::runtime_error);
  Host.FailAt = Host.Calls.size() + 1;
  EXPECT_THROW(Canvas.RestoreState(Saved), std::runtime_error);
  EXPECT_EQ(Host.GetMatrix().m32, 0);
  EXPECT_EQ(Host.GetMatrixMeaning(), TMatrixMeaning::Identity);
  EXPECT_EQ(Canvas.GetFill().Color, 5u);
  Host.FailAt = 0;
  Canvas.RestoreState(Saved);
  TCanvasSaveState* Next = Canvas.SaveState();
  EXPECT_THROW(Canvas.RestoreState(Saved), EMisuseError);
  EXPECT_EQ(Host.GetMatrix().m32, 1);
  Canvas.RestoreState(Next);
  EXPECT_EQ(Canvas.GetSavingStateCount(), 0);
  EXPECT_EQ(Host.Calls.size(), 17u);  // SetMatrix alone: no state call paints
  EXPECT_EQ(Stream.Text, Header);
}

// Each step of the refusals scene passes a value no call may take (NaN and infinities in
// turn, paths that do not begin with MoveTo, link targets that run script unless an
// option allows them): it is refused before any host paints, in the words of
// tests/golden/refusals.txt, and changes and writes nothing; the last step, a
// rectangle, is drawn alone, under no clip. (A stroke's thickness is not refused: one
// that is NaN paints nothing, unrecorded.)
TEST(Host, RefusedValuesChangeAndWriteNothing) {
  TRecordingCanvas Host;
  TCountingStream Stream;
  TSvgCanvas Canvas(&Stream, &Host);
  TScript Script(Canvas);
  std::string Messages;
  for (const TStep& Step : Load(FSVG_TEST_SCENES, "refusals").Steps)
    Messages += ErrorOf<EArgumentError>([&] { Script.Draw(Step); }) + "\n";
  EXPECT_EQ(Messages, ReadFile(FSVG_GOLDEN_DIR "/refusals.txt"));
  EXPECT_EQ(Host.Calls.size(), 1u);
  EXPECT_EQ(Stream.Text, Header + "<rect x=\"0\" y=\"0\" width=\"1\" height=\"1\" opacity=\"1\" fill=\"#1F2A44\"/>\n");
  EXPECT_EQ(Canvas.GetOffset(), TPointF{});
  EXPECT_EQ(Host.GetMatrixMeaning(), TMatrixMeaning::Identity);
  EXPECT_EQ(Host.GetClippingChangeCount(), 0);
  TSvgOptions Options;
  Options.AnyLinkScheme = true;
  TSvgCanvas Allowing(&Stream, &Host, Options);
  EXPECT_EQ(ErrorOf([&] { Allowing.BeginLink(u"javascript:alert(1)"); }), "no error");
}

// A chain of 500,000 clip steps is released one step after another by a restore: freed
// by recursion, it overflowed the stack (the test crashed).
TEST(Host, DeepClipChainsAreReleasedWithoutRecursion) {
  TNullCanvas Canvas(10, 10);
  TCanvasSaveState* const Saved = Canvas.SaveState();
  for (int Step = 0; Step < 500000; ++Step) Canvas.IntersectClipRect({0, 0, 5, 5});
  Canvas.RestoreState(Saved);
}

// A curve's bounds reach its extremes, not its control points: where its derivative, a
// quadratic, has either root inside the curve, or its one root when it is linear.
TEST(Host, OutlineBoundsHoldEachCurvesExtremes) {
  EXPECT_EQ(TOutline::Path(TPathData()  // small: a discriminant under 1 still finds the extremes
                               .MoveTo({0, 0})
                               .CurveTo({0, -0.15625f}, {0.15625f, -0.3125f}, {0.15625f, 0})
                               .CurveTo({0.46875f, 0}, {0.625f, 0.15625f}, {0.15625f, 0.15625f})
                               .QuadCurveTo({-0.15625f, 0.3125f}, {0, 0.15625f}))
                .Bounds(),
            (TRectF{-0.052083332f, -0.18042196f, 0.45209232f, 0.234375f}));
  EXPECT_EQ(TOutline().Bounds(), TRectF{});
  EXPECT_EQ(TOutline::Ellipse({0, 0, 20, 10}).Steps()[0].X, 20);  // from its rightmost point
  EXPECT_EQ(TOutline::Arc({}, {1, 1}, 90, 90).Steps()[0].Y, 1);   // from its start angle
  EXPECT_EQ(TOutline::Arc({}, {1, 1}, 0, 400).Length(), TOutline::Arc({}, {1, 1}, 0, -400).Length());  // a turn each
}

TEST(Host, AlignmentToThePixelGrid) {
  const float Huge = 1e30f, Beyond = 3.39e38f;  // Beyond: snapped past the float range at a tiny scale
  // Each row: a value, the scale, the matrix's meaning (Unknown, Identity, Translate), the
  // translation, and where the value snaps to.
  std::ifstream Rows(FSVG_GOLDEN_DIR "/snap.txt");
  float Value, Scale, Translation, Expected;
  char Kind;
  int Read = 0;
  while (Rows >> Value >> Scale >> Kind >> Translation >> Expected) {
    const auto Meaning = static_cast<TMatrixMeaning>(std::string("UIT").find(Kind));
    EXPECT_EQ(SnapToPixel(Value, Scale, Meaning, Translation), Expected) << Value;
    ++Read;
  }
  EXPECT_EQ(Read, 13);
  EXPECT_EQ(SnapToPixel(1.4f, INFINITY, TMatrixMeaning::Identity, 0), 1.4f);
  EXPECT_TRUE(std::isnan(SnapToPixel(NAN, 1, TMatrixMeaning::Identity, 0)));
  // Beyond the float range: the fallback.
  EXPECT_EQ(SnapSpanToPixels(10, 20.3f, 2, 0), 30.5f);
  EXPECT_EQ(SnapSpanToPixels(Beyond, Beyond, 1, -1), -1);
  EXPECT_EQ(SnapSpanToPixels(1, Huge, 0, 0), 1 + Huge);
  // The canvas and its host snap alike, one reading of the matrix for both axes; a
  // rectangle keeps its corner's snap and a whole number of device pixels of size.
  TNullCanvas Host(10, 10, 2);
  Host.SetMatrix({.m31 = 0.25f, .m32 = -0.5f});
  TSvgCanvas Canvas(nullptr, &Host);
  EXPECT_EQ(Canvas.AlignToPixel(TPointF{10.3f, 10.3f}), (TPointF{10.25f, 10.5f}));
  EXPECT_EQ(Canvas.AlignToPixelHorizontally(10.3f), 10.25f);
  EXPECT_EQ(Canvas.AlignToPixelVertically(10.3f), 10.5f);
  EXPECT_EQ(Canvas.AlignToPixel(TRectF{10.3f, 20.7f, 30.6f, 40.1f}), (TRectF{10.25f, 20.5f, 30.75f, 40}));
  // Any entry but the translation off the identity leaves the matrix's meaning unknown.
  for (float TMatrix::*Entry :
       {&TMatrix::m11, &TMatrix::m12, &TMatrix::m13, &TMatrix::m21, &TMatrix::m22, &TMatrix::m23, &TMatrix::m33}) {
    TMatrix Changed;
    Changed.*Entry += 2;
    Host.SetMatrix(Changed);
    EXPECT_EQ(Host.GetMatrixMeaning(), TMatrixMeaning::Unknown);
  }
}

}  // namespace
}  // namespace fsvg::test
