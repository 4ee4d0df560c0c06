// Calls the host canvas alone answers: scenes, states, size, properties, measuring,
// and pixel alignment (the class-wide lock is tested with the threads). None of them may write a byte.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

// A host that refuses scenes on request and counts flushes.
class TSceneCanvas : public TRecordingCanvas {
 public:
  using TRecordingCanvas::TRecordingCanvas;
  bool Refuse = false;
  int Flushes = 0;
  std::uintptr_t Handle = 0;
  PClipRects Clips = nullptr;
  void Flush() override { ++Flushes; }

 protected:
  bool DoBeginScene(PClipRects AClipRects, std::uintptr_t AContextHandle) override {
    Clips = AClipRects;
    Handle = AContextHandle;
    return !Refuse;
  }
};

struct TFixture {
  TSceneCanvas Host{100, 50, 2, TCanvasQuality::HighQuality};
  TCountingStream Stream;
  TSvgCanvas Canvas{&Stream, &Host};
  void ExpectNothingWritten() const {
    EXPECT_EQ(Stream.Text, Header);
    EXPECT_EQ(Stream.Calls, 1u);
  }
};

TEST(Delegation, ScenesStatesAndSizeReachTheHostAndWriteNothing) {
  TFixture F;
  const std::vector<TRectF> Clips{{0, 0, 1, 1}};
  EXPECT_TRUE(F.Canvas.BeginScene(&Clips, 42));
  EXPECT_EQ(F.Host.Clips, &Clips);
  EXPECT_EQ(F.Host.Handle, 42u);
  EXPECT_EQ(F.Canvas.GetBeginSceneCount(), 1);
  F.Canvas.EndScene();
  EXPECT_EQ(F.Canvas.GetBeginSceneCount(), 0);

  F.Host.Refuse = true;
  EXPECT_FALSE(F.Canvas.BeginScene());
  EXPECT_EQ(F.Canvas.GetBeginSceneCount(), 0);
  EXPECT_THROW(F.Canvas.EndScene(), std::logic_error);  // unbalanced: the host says so

  F.Canvas.Flush();
  EXPECT_EQ(F.Host.Flushes, 1);

  F.Canvas.SetSize(800, 600);
  EXPECT_EQ(F.Host.GetWidth(), 800);
  EXPECT_EQ(F.Canvas.GetWidth(), 800);
  EXPECT_EQ(F.Canvas.GetHeight(), 600);

  F.Canvas.GetFill().Color = 0xFF010203;
  TCanvasSaveState* Saved = F.Canvas.SaveState();
  EXPECT_EQ(F.Canvas.GetSavingStateCount(), 1);
  F.Canvas.GetFill().Color = 0xFF0A0B0C;
  F.Canvas.SetOffset({3, 4});
  F.Canvas.RestoreState(Saved);
  EXPECT_EQ(F.Host.GetFill().Color, 0xFF010203u);
  EXPECT_EQ(F.Host.GetOffset(), (TPointF{0, 0}));
  EXPECT_EQ(F.Canvas.GetSavingStateCount(), 0);
  EXPECT_THROW(F.Canvas.RestoreState(Saved), std::invalid_argument);  // already restored

  F.ExpectNothingWritten();
  EXPECT_TRUE(F.Host.Calls.empty());
}

// Alignment at a given scale and matrix; all four operations, none of which writes.
struct TAlignCase {
  float Scale;
  TMatrixMeaning Kind;
  float Value;
  float Expected;
};

TMatrix MatrixOf(TMatrixMeaning Kind, float M31 = 0.25f, float M32 = -0.5f) {
  TMatrix Matrix;
  if (Kind == TMatrixMeaning::Translate) {
    Matrix.m31 = M31;
    Matrix.m32 = M32;
  } else if (Kind == TMatrixMeaning::Unknown) {
    Matrix.m11 = 2;
  }
  return Matrix;
}

TEST(Alignment, AxisSnap) {
  const TAlignCase Cases[] = {
      {1, TMatrixMeaning::Identity, 10.4f, 10},           {1, TMatrixMeaning::Identity, 10.5f, 11},
      {1, TMatrixMeaning::Identity, -3.5f, -3},           {1, TMatrixMeaning::Identity, 10.49995f, 11},
      {2, TMatrixMeaning::Identity, 10.3f, 10.5f},        {2, TMatrixMeaning::Identity, -10.3f, -10.5f},
      {1.5f, TMatrixMeaning::Identity, 7.2f, 7.3333335f}, {1, TMatrixMeaning::Unknown, 10.3f, 10.3f},
      {2, TMatrixMeaning::Unknown, -7.77f, -7.77f},
  };
  for (const TAlignCase& Case : Cases) {
    TNullCanvas Host(10, 10, Case.Scale);
    Host.SetMatrix(MatrixOf(Case.Kind));
    ASSERT_EQ(Host.GetMatrixMeaning(), Case.Kind);
    TCountingStream Stream;
    TSvgCanvas Canvas(&Stream, &Host);
    EXPECT_EQ(Canvas.AlignToPixelHorizontally(Case.Value), Case.Expected) << Case.Value << " at " << Case.Scale;
    EXPECT_EQ(Canvas.AlignToPixelVertically(Case.Value), Case.Expected) << Case.Value << " at " << Case.Scale;
    EXPECT_EQ(Canvas.AlignToPixel(TPointF{Case.Value, Case.Value}), (TPointF{Case.Expected, Case.Expected}));
    EXPECT_EQ(Host.AlignToPixelHorizontally(Case.Value), Case.Expected);  // the host agrees
    EXPECT_EQ(Stream.Calls, 1u);
  }
}

TEST(Alignment, TranslationLandsTheTranslatedCoordinateOnAPixel) {
  TNullCanvas Host;
  Host.SetMatrix(MatrixOf(TMatrixMeaning::Translate));
  TSvgCanvas Canvas(static_cast<TStream*>(nullptr), &Host);
  EXPECT_EQ(Canvas.AlignToPixelHorizontally(10.3f), 10.75f);  // nearest(10.5501) - 0.25
  EXPECT_EQ(Canvas.AlignToPixelVertically(10.3f), 10.5f);     // nearest(9.8001) + 0.5
  EXPECT_EQ(Canvas.AlignToPixel(TPointF{10.3f, 10.3f}), (TPointF{10.75f, 10.5f}));
}

TEST(Alignment, RectangleKeepsAWholePixelSize) {
  const struct {
    float Scale;
    TMatrixMeaning Kind;
    TRectF Expected;
  } Cases[] = {
      {1, TMatrixMeaning::Identity, {10, 21, 30, 40}},
      {2, TMatrixMeaning::Identity, {10.5f, 20.5f, 31, 40}},
      {1, TMatrixMeaning::Unknown, {10.3f, 20.7f, 30.3f, 39.7f}},
  };
  for (const auto& Case : Cases) {
    TNullCanvas Host(10, 10, Case.Scale);
    Host.SetMatrix(MatrixOf(Case.Kind));
    TSvgCanvas Canvas(static_cast<TStream*>(nullptr), &Host);
    EXPECT_EQ(Canvas.AlignToPixel(TRectF{10.3f, 20.7f, 30.6f, 40.1f}), Case.Expected) << Case.Scale;
  }
}

TEST(Alignment, ValuesBeyondTheIntegerRangeAreLeftAlone) {
  TNullCanvas Host;
  TSvgCanvas Canvas(static_cast<TStream*>(nullptr), &Host);
  const float Huge = 1e30f;
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(Canvas.AlignToPixelHorizontally(Huge), Huge);
  EXPECT_EQ(Canvas.AlignToPixelVertically(-Huge), -Huge);
  EXPECT_TRUE(std::isnan(Canvas.AlignToPixelHorizontally(NaN)));
  const TRectF Wide = Canvas.AlignToPixel(TRectF{0, 0, Huge, 1.4f});
  EXPECT_EQ(Wide.Right, Huge);
  EXPECT_EQ(Wide.Bottom, 1);
  // A tiny scale pushes the snapped value beyond the float range: left alone.
  // (3.39e38 * 2e-38 = 6.78 rounds to 7, and 7 / 2e-38 exceeds the largest float.)
  TNullCanvas Tiny(10, 10, 2e-38f);
  TSvgCanvas TinyCanvas(static_cast<TStream*>(nullptr), &Tiny);
  EXPECT_EQ(TinyCanvas.AlignToPixelHorizontally(3.39e38f), 3.39e38f);
  EXPECT_EQ(TinyCanvas.AlignToPixel(TRectF{0, 0, 3.39e38f, 1}).Right, 3.39e38f);
}

// A host may refuse a matrix; the one in force before stays, with its meaning.
TEST(HostCanvas, RefusedMatrixLeavesThePreviousOne) {
  struct TPickyCanvas : TNullCanvas {
    void DoSetMatrix() override {
      if (GetMatrix().m11 == 0) throw std::invalid_argument("singular matrix");
    }
  } Host;
  TMatrix Shifted;
  Shifted.m31 = 3;
  Host.SetMatrix(Shifted);
  TMatrix Singular;
  Singular.m11 = 0;
  EXPECT_THROW(Host.SetMatrix(Singular), std::invalid_argument);
  EXPECT_EQ(Host.GetMatrix(), Shifted);
  EXPECT_EQ(Host.GetMatrixMeaning(), TMatrixMeaning::Translate);
}

}  // namespace
}  // namespace fsvg::test
