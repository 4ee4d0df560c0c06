// Paths and clips beyond the shared scene: a clip written once however often it is used,
// nothing written for clipping with nothing drawn, the clip part of the saved state,
// the refusals, the id prefix, a tee that clips, and the arc conversion every host shares.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

std::size_t Count(const std::string& Text, const std::string& Part) {
  std::size_t Found = 0;
  for (std::size_t At = Text.find(Part); At != std::string::npos; At = Text.find(Part, At + 1)) ++Found;
  return Found;
}

TEST(Clips, EachClipIsDefinedOnceAndWrittenOnlyBeforeAnElement) {
  TNullCanvas Host(100, 100);
  TCountingStream Stream;
  {
    TSvgCanvas C(&Stream, &Host);
    C.IntersectClipRect({0, 0, 50, 50});
    for (int Fill = 0; Fill < 10000; ++Fill) C.FillRect({1, 1, 2, 2}, 0, 0, {}, 1);
    TCanvasSaveState* const Saved = C.SaveState();
    for (int Turn = 0; Turn < 30; ++Turn) {
      TCanvasSaveState* const Inner = C.SaveState();
      C.ExcludeClipRect({0, 0, static_cast<float>(Turn % 3), 1});
      C.FillEllipse({1, 1, 2, 2}, 1);
      C.RestoreState(Inner);
    }
    EXPECT_EQ(Host.GetClippingChangeCount(), 61);
    C.RestoreState(Saved);
    const std::size_t Written = Stream.Text.size();
    C.IntersectClipPath(TPathData().MoveTo({0, 0}).LineTo({5, 5}));
    C.FillPath(TPathData(), 1);
    C.RestoreState(C.SaveState());
    EXPECT_EQ(Stream.Text.size(), Written);
  }
  EXPECT_EQ(Count(Stream.Text, "<clipPath"), 4u);  // the rectangle, then three exclusions
  EXPECT_EQ(Count(Stream.Text, "<g clip-path=\"url(#c1)\">"), 1u);
  EXPECT_EQ(Count(Stream.Text, "<g "), 31u);
  EXPECT_TRUE(Stream.Text.ends_with("</g>\n</svg>"));
  EXPECT_EQ(ScanDocument(Stream.Text), "");
}

TEST(Clips, RestoreStateBringsBackTheClipSavedWithIt) {
  TNullCanvas Host(10, 10);
  Host.IntersectClipRect({1, 2, 3, 4});
  const TClip Outer = Host.GetClip();
  TCanvasSaveState* const Saved = Host.SaveState();
  Host.SetOffset({5, 6});
  Host.ExcludeClipRect({0, 0, 1, 1});
  EXPECT_EQ(Host.GetClip()->Parent, Outer);
  EXPECT_EQ(Host.GetClip()->Offset, (TPointF{5, 6}));
  EXPECT_EQ(Host.GetClip()->Depth, 2u);
  Host.RestoreState(Saved);
  EXPECT_EQ(Host.GetClip(), Outer);
  EXPECT_EQ(Host.GetClippingChangeCount(), 3);
}

TEST(Clips, RefusedPathsAndRectanglesChangeAndWriteNothing) {
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  TPathData NotFinite, NoMove, LateMove;
  NotFinite.MoveTo({0, 0}).QuadCurveTo({1, NaN}, {2, 2});
  NoMove.LineTo({1, 1}).MoveTo({0, 0});
  LateMove.ClosePath();
  const std::pair<std::function<void(TSvgCanvas&)>, const char*> Cases[] = {
      {[&](TSvgCanvas& C) { C.FillPath(NotFinite, 1); }, "FillPath: the path must be finite"},
      {[&](TSvgCanvas& C) { C.DrawPath(NoMove, 1); }, "DrawPath: the path must begin with MoveTo"},
      {[&](TSvgCanvas& C) {
         C.FillPath(TPathData().MoveTo({0, 0}), NaN);
       },
       "FillPath: the opacity must be finite"},
      {[&](TSvgCanvas& C) { C.IntersectClipPath(LateMove); }, "IntersectClipPath: the path must begin with MoveTo"},
      {[&](TSvgCanvas& C) {
         C.IntersectClipRect({0, NaN, 1, 1});
       },
       "IntersectClipRect: the rectangle must be finite"},
      {[&](TSvgCanvas& C) {
         C.ExcludeClipRect({0, 0, INFINITY, 1});
       },
       "ExcludeClipRect: the rectangle must be finite"},
  };
  for (const auto& [Call, Message] : Cases) {
    TRecordingCanvas Host(10, 10);
    TCountingStream Stream;
    TSvgCanvas C(&Stream, &Host);
    EXPECT_EQ(ErrorOf<EArgumentError>([&] { Call(C); }), Message);
    C.FillRect({0, 0, 1, 1}, 0, 0, {}, 1);
    EXPECT_EQ(Host.Calls.size(), 1u) << Message;
    EXPECT_EQ(Host.GetClippingChangeCount(), 0) << Message;
    EXPECT_EQ(Count(Stream.Text, "<"), 3u) << Message;  // the declaration, svg and the rect
  }
}

TEST(Clips, IdsTakeThePrefixThatMustBeAName) {
  TNullCanvas Host(10, 10);
  for (const std::u16string Bad : {u"1a", u"a:b", u"a b", u"-", u"\u00D7"}) {
    TSvgOptions Options;
    Options.IdPrefix = Bad;
    TCountingStream Stream;
    EXPECT_EQ(ErrorOf<ESvgError>([&] { TSvgCanvas(&Stream, &Host, Options); }),
              "IdPrefix must be empty or an XML name without a colon");
  }
  TSvgOptions Options;
  Options.IdPrefix = u"\u00E9t\u00E9-2.\U00010000_";
  TCountingStream Stream;
  {
    TSvgCanvas Svg(&Stream, &Host, Options);
    TTeeCanvas Tee(Svg);  // the tee's own clip reaches the host it records
    Tee.IntersectClipRect({1, 2, 3, 4});
    Tee.DrawLine({0, 0}, {1, 1}, 1);
  }
  EXPECT_NE(Stream.Text.find("<g clip-path=\"url(#\xC3\xA9t\xC3\xA9-2.\xF0\x90\x80\x80_c1)\">"), std::string::npos);
}

// Each end point exact, the radii scaled up when too small, a zero radius a line, equal
// end points no curve.
TEST(Paths, ArcsBecomeQuarterTurnsOfCubicsOrLines) {
  struct TCase {
    TPointF From, Radius;
    float Rotation;
    bool Large, Sweep;
    TPointF End;
    std::size_t Curves;
    double MidX, MidY;  // the end of the first curve
  };
  const TCase Cases[] = {
      {{0, 0}, {10, 10}, 0, false, true, {20, 0}, 2, 10, -10}, {{0, 0}, {1, 1}, 0, false, false, {20, 0}, 2, 10, 10},
      {{0, 0}, {10, 10}, 0, true, true, {10, 10}, 3, 10, -10}, {{0, 0}, {20, 10}, 450, false, true, {0, 40}, 2, 10, 20},
      {{0, 0}, {0, 5}, 0, true, true, {3, 4}, 1, 3, 4},        {{1, 1}, {5, 5}, 0, true, true, {1, 1}, 0, 0, 0}};
  for (const TCase& C : Cases) {
    std::array<TArcCurve, 4> Curves;
    ASSERT_EQ(ArcToCurves(C.From, C.Radius, C.Rotation, C.Large, C.Sweep, C.End, Curves), C.Curves);
    if (C.Curves == 0) continue;
    EXPECT_NEAR(Curves[0].X, C.MidX, 1e-9);
    EXPECT_NEAR(Curves[0].Y, C.MidY, 1e-9);
    EXPECT_EQ(Curves[C.Curves - 1].X, C.End.X);
    EXPECT_EQ(Curves[C.Curves - 1].Y, C.End.Y);
  }
  TPathData Path;
  Path.MoveTo({0, 0}).ArcTo({1, 1}, 0, false, false, {1, 1});
  Path.Clear();
  EXPECT_TRUE(Path.IsEmpty());
  EXPECT_TRUE(Path.Points().empty());
}

}  // namespace
}  // namespace fsvg::test
