// The calls the host canvas alone answers: scenes, saved states, size, properties,
// measuring and pixel alignment. None of them writes a byte or paints.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

// A host that refuses scenes on request, counts flushes and can report a clipping change.
class TSceneCanvas : public TRecordingCanvas {
 public:
  using TCanvas::ClippingChanged;
  using TRecordingCanvas::TRecordingCanvas;
  bool Refuse = false;
  int Flushes = 0, Ends = 0;
  std::uintptr_t Handle = 0;
  PClipRects Clips = nullptr;
  void Flush() override { ++Flushes; }

 protected:
  bool DoBeginScene(PClipRects AClipRects, std::uintptr_t AContextHandle) override {
    Clips = AClipRects;
    Handle = AContextHandle;
    return !Refuse;
  }
  void DoEndScene() override { ++Ends; }
};

TEST(Host, ScenesSizeAndPropertiesReachTheHostAndWriteNothing) {
  TSceneCanvas Host{100, 50, 2, TCanvasQuality::HighQuality};
  TCountingStream Stream;
  TSvgCanvas Canvas(&Stream, &Host);
  const std::vector<TRectF> Clips{{0, 0, 1, 1}};
  EXPECT_TRUE(Canvas.BeginScene(&Clips, 42));
  EXPECT_TRUE(Canvas.BeginScene());  // nested: only counted
  EXPECT_EQ(Host.Clips, &Clips);
  EXPECT_EQ(Host.Handle, 42u);
  EXPECT_EQ(Canvas.GetBeginSceneCount(), 2);
  Canvas.EndScene();
  EXPECT_EQ(Host.Ends, 0);
  Canvas.EndScene();
  EXPECT_EQ(Host.Ends, 1);
  EXPECT_THROW(Canvas.EndScene(), std::logic_error);
  Host.Refuse = true;
  EXPECT_FALSE(Canvas.BeginScene());
  EXPECT_EQ(Canvas.GetBeginSceneCount(), 0);
  Canvas.Flush();
  EXPECT_EQ(Host.Flushes, 1);
  Host.ClippingChanged();
  EXPECT_EQ(Canvas.GetClippingChangeCount(), 1);
  EXPECT_EQ(Canvas.GetQuality(), TCanvasQuality::HighQuality);
  for (const auto& [Width, Height] : {std::pair{800, 600}, {0, 7}, {9, 0}}) {
    Canvas.SetSize(Width, Height);
    EXPECT_EQ(Canvas.GetWidth(), Width);
    EXPECT_EQ(Canvas.GetHeight(), Height);
  }
  EXPECT_THROW(Canvas.SetSize(-1, 5), std::invalid_argument);
  EXPECT_THROW(Canvas.SetSize(5, -1), std::invalid_argument);
  EXPECT_EQ(Canvas.GetWidth(), 9);
  EXPECT_NO_THROW(TNullCanvas(0, 0));
  EXPECT_THROW(TNullCanvas(-1, 0), std::invalid_argument);
  EXPECT_THROW(TNullCanvas(0, -1), std::invalid_argument);
  for (const float Scale : {0.0f, -1.0f, std::numeric_limits<float>::infinity(), std::nanf("")})
    EXPECT_THROW(TNullCanvas(1, 1, Scale), std::invalid_argument) << Scale;

  // Measuring: the host's answers, with the caller's arguments.
  TRectF Rect{5, 6, 7, 8};
  Canvas.MeasureText(Rect, u"ab", true, {}, TTextAlign::Leading, TTextAlign::Trailing);
  EXPECT_EQ(Rect, Host.Measured);
  TLineMetricInfo Lines;
  Canvas.MeasureLines(Lines, {1, 1, 2, 2}, u"cd", false, {}, TTextAlign::Center);
  EXPECT_EQ(Lines.Metrics.size(), 2u);
  EXPECT_EQ(Canvas.TextWidth(u"e"), Host.Width);
  EXPECT_EQ(Canvas.TextHeight(u"f"), Host.Height);
  EXPECT_EQ(Host.Calls, (std::vector<std::string>{"MeasureText([5,6,7,8],ab)", "MeasureLines([1,1,2,2],cd)",
                                                  "TextWidth(e)", "TextHeight(f)"}));
  EXPECT_EQ(Stream.Text, Header);
}

TEST(Host, RestoredStateIsTheOneSavedNotTheDefault) {
  TRecordingCanvas Host;
  TSvgCanvas Canvas(static_cast<TStream*>(nullptr), &Host);
  TMatrix Shifted;
  Shifted.m31 = 3;
  const auto Set = [&](float Value) {
    Canvas.SetFill(TBrush(TBrushKind::Gradient, static_cast<TAlphaColor>(Value)));
    Canvas.GetStroke() = TStrokeBrush(TBrushKind::Bitmap, 2, Value);
    Canvas.GetFont() = TFont(u"F" + std::u16string(1, static_cast<char16_t>(Value)), Value);
    Canvas.SetOffset({Value, -Value});
    Shifted.m32 = Value;
    Host.SetMatrix(Shifted);
  };
  Set(1);
  TCanvasSaveState* First = Canvas.SaveState();
  Set(2);
  TCanvasSaveState* Second = Canvas.SaveState();
  EXPECT_EQ(Canvas.GetSavingStateCount(), 2);
  Set(3);
  Canvas.RestoreState(First);  // releases the later state too
  EXPECT_EQ(Canvas.GetSavingStateCount(), 0);
  EXPECT_EQ(Canvas.GetFill(), TBrush(TBrushKind::Gradient, 1));
  EXPECT_EQ(Canvas.GetStroke(), TStrokeBrush(TBrushKind::Bitmap, 2, 1));
  EXPECT_EQ(Canvas.GetFont(), TFont(u"F\u0001", 1));
  EXPECT_EQ(Canvas.GetOffset(), (TPointF{1, -1}));
  EXPECT_EQ(Host.GetMatrix().m32, 1);
  EXPECT_EQ(Host.GetMatrixMeaning(), TMatrixMeaning::Translate);
  EXPECT_THROW(Canvas.RestoreState(Second), std::invalid_argument);
  EXPECT_THROW(Canvas.RestoreState(nullptr), std::invalid_argument);
  EXPECT_TRUE(Host.Calls.empty());

  // A host may refuse a matrix: the one in force before stays, with its meaning.
  struct TPickyCanvas : TNullCanvas {
    void DoSetMatrix() override {
      if (GetMatrix().m11 == 0) throw std::invalid_argument("singular matrix");
    }
  } Picky;
  Picky.SetMatrix(Shifted);
  TMatrix Singular;
  Singular.m11 = 0;
  EXPECT_THROW(Picky.SetMatrix(Singular), std::invalid_argument);
  EXPECT_EQ(Picky.GetMatrix(), Shifted);
  EXPECT_EQ(Picky.GetMatrixMeaning(), TMatrixMeaning::Translate);
}

TMatrix MatrixOf(TMatrixMeaning Kind) {
  TMatrix Matrix;
  if (Kind == TMatrixMeaning::Translate) Matrix.m31 = 0.25f, Matrix.m32 = -0.5f;
  if (Kind == TMatrixMeaning::Unknown) Matrix.m22 = 2;
  return Matrix;
}

TEST(Host, AlignmentToThePixelGrid) {
  const float Huge = 1e30f, NaN = std::nanf("");
  const struct {
    float Scale;
    TMatrixMeaning Kind;
    float Value, X, Y;  // Value snapped horizontally and vertically
  } Cases[] = {
      {1, TMatrixMeaning::Identity, 10.4f, 10, 10},
      {1, TMatrixMeaning::Identity, 10.5f, 11, 11},
      {1, TMatrixMeaning::Identity, -3.5f, -3, -3},
      {1, TMatrixMeaning::Identity, 10.49995f, 11, 11},
      {2, TMatrixMeaning::Identity, -10.3f, -10.5f, -10.5f},
      {1.5f, TMatrixMeaning::Identity, 7.2f, 7.3333335f, 7.3333335f},
      {2, TMatrixMeaning::Unknown, -7.77f, -7.77f, -7.77f},
      {1, TMatrixMeaning::Translate, 10.3f, 10.75f, 10.5f},
      {1, TMatrixMeaning::Identity, Huge, Huge, Huge},
      {1, TMatrixMeaning::Identity, -Huge, -Huge, -Huge},
      {2e-38f, TMatrixMeaning::Identity, 3.39e38f, 3.39e38f, 3.39e38f},  // snapped beyond the float range
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Value);
    TNullCanvas Host(10, 10, Case.Scale);
    Host.SetMatrix(MatrixOf(Case.Kind));
    ASSERT_EQ(Host.GetMatrixMeaning(), Case.Kind);
    TCountingStream Stream;
    TSvgCanvas Canvas(&Stream, &Host);
    EXPECT_EQ(Canvas.AlignToPixelHorizontally(Case.Value), Case.X);
    EXPECT_EQ(Canvas.AlignToPixelVertically(Case.Value), Case.Y);
    EXPECT_EQ(Canvas.AlignToPixel(TPointF{Case.Value, Case.Value}), (TPointF{Case.X, Case.Y}));
    EXPECT_EQ(Host.AlignToPixelHorizontally(Case.Value), Case.X);
    EXPECT_EQ(Host.AlignToPixelVertically(Case.Value), Case.Y);
    EXPECT_EQ(Stream.Text, Header);
  }
  TNullCanvas Host;
  TSvgCanvas Canvas(static_cast<TStream*>(nullptr), &Host);
  EXPECT_TRUE(std::isnan(Canvas.AlignToPixelHorizontally(NaN)));
  // A rectangle keeps its corner's snap and a whole number of device pixels of size.
  const struct {
    float Scale;
    TMatrixMeaning Kind;
    TRectF Rect, Expected;
  } Rects[] = {
      {1, TMatrixMeaning::Identity, {10.3f, 20.7f, 30.6f, 40.1f}, {10, 21, 30, 40}},
      {2, TMatrixMeaning::Identity, {10.3f, 20.7f, 30.6f, 40.1f}, {10.5f, 20.5f, 31, 40}},
      {1, TMatrixMeaning::Unknown, {10.3f, 20.7f, 30.6f, 40.1f}, {10.3f, 20.7f, 30.3f, 39.7f}},
      {1, TMatrixMeaning::Identity, {0, 0, Huge, 1.4f}, {0, 0, Huge, 1}},
      {2e-38f, TMatrixMeaning::Identity, {0, 0, 3.39e38f, 1}, {0, 0, 3.39e38f, 0}},
  };
  for (const auto& Case : Rects) {
    TNullCanvas Scaled(10, 10, Case.Scale);
    Scaled.SetMatrix(MatrixOf(Case.Kind));
    EXPECT_EQ(TSvgCanvas(static_cast<TStream*>(nullptr), &Scaled).AlignToPixel(Case.Rect), Case.Expected);
  }
}

}  // namespace
}  // namespace fsvg::test
