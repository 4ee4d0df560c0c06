// Paths and clips beyond the shared scene: a clip written once however often it is used,
// nothing written for clipping with nothing drawn, the clip part of the saved state,
// the id prefix and group ids, a tee that clips, and the arc conversion every host shares.
#include <gtest/gtest.h>

#include <fstream>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

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
  EXPECT_EQ(CountOf(Stream.Text, "<clipPath"), 4u);  // the rectangle, then three exclusions
  EXPECT_EQ(CountOf(Stream.Text, "<g clip-path=\"url(#c1)\">"), 1u);
  EXPECT_EQ(CountOf(Stream.Text, "<g "), 31u);
  EXPECT_TRUE(Stream.Text.ends_with("</g>\n</svg>"));
  EXPECT_EQ(ScanDocument(Stream.Text), "");
}

// Readers refuse groups nested 256 deep, and some ignore a clipPath's own clip-path.
// Beyond the first 32 steps in force a group holds a run of them, a mask of up to 16
// steps or of two halves: 302 steps are 32 groups of a step and masks of 256 (31 masks),
// 8, 4 and 2 steps; restored to 301, the mask of 2 gives way to a group of one step.
TEST(Clips, ManyStepsInForceNestFewGroups) {
  const std::tuple<int, std::size_t, std::size_t, std::size_t> Cases[] = {{301, 4, 33, 34}, {3000, 6, 33, 366}};
  for (const auto& [Steps, Masked, Clipped, Masks] : Cases) {
    TNullCanvas Host(100, 100);
    TCountingStream Stream;
    {
      TSvgCanvas Canvas(&Stream, &Host);
      for (int Step = 0; Step < Steps; ++Step) Host.IntersectClipRect({0, 0, 100.0f + Step, 100});
      TCanvasSaveState* const Saved = Host.SaveState();
      Host.ExcludeClipRect({1, 1, 2, 2});
      Canvas.FillRect({0, 0, 1, 1}, 0, 0, {}, 1);
      Host.RestoreState(Saved);
      Canvas.FillRect({0, 0, 1, 1}, 0, 0, {}, 1);
    }
    EXPECT_EQ(CountOf(Stream.Text, "\n<g mask="), Masked);
    EXPECT_EQ(CountOf(Stream.Text, "\n<g clip-path="), Clipped);
    EXPECT_EQ(CountOf(Stream.Text, "<mask "), Masks);
    EXPECT_EQ(CountOf(Stream.Text, "<g "), CountOf(Stream.Text, "</g>"));  // inside the masks too
    EXPECT_EQ(ScanDocument(Stream.Text), "");
  }
}

// An exclusion's outer rectangle and a mask's box hold the canvas their group was
// opened under: after the canvas grows, drawing under the same clip is in groups drawn
// around the new size (the steps before them keep theirs).
TEST(Clips, GroupsFollowTheCanvasSize) {
  TNullCanvas Host(10, 10);
  TCountingStream Stream;
  TSvgCanvas Canvas(&Stream, &Host);
  for (int Step = 0; Step < 33; ++Step) Host.IntersectClipRect({0, 0, 10.0f + Step, 10});
  Host.ExcludeClipRect({1, 1, 2, 2});
  Canvas.FillRect({0, 0, 1, 1}, 0, 0, {}, 1);
  Canvas.SetSize(100, 10);                                                          // wider only
  for (int Fill = 0; Fill < 2; ++Fill) Canvas.FillRect({0, 0, 1, 1}, 0, 0, {}, 1);  // the second in the same groups
  EXPECT_EQ(CountOf(Stream.Text, "\n<g clip-path="), 32u);
  EXPECT_EQ(CountOf(Stream.Text, "\n<g mask="), 2u);
  EXPECT_TRUE(Holds(Stream.Text, "M -1 -1 L 101 -1 L 101 11 L -1 11 Z"));
  EXPECT_TRUE(Holds(Stream.Text,
                    "maskUnits=\"userSpaceOnUse\" x=\"-1\" y=\"-1\" width=\"102\" height=\"12\"><g "
                    "clip-path=\"url(#c33)\"><g clip-path=\"url(#c36)\"><rect x=\"-1\" y=\"-1\" "
                    "width=\"102\" height=\"12\" fill=\"#FFFFFF\"/>"));
}

// A chain made by hand must be one a canvas could have made: indexed by depth, a step
// of depth 0 read before the recorder's array; a path without MoveTo reached the document.
TEST(Clips, SetClipRefusesStepsNoCanvasMakes) {
  TNullCanvas Host(10, 10);
  Host.IntersectClipRect({0, 0, 5, 5});
  const TClip Made = Host.GetClip();
  const auto Step = [](TClipKind Kind, TRectF Rect, TPathData Path, TClip Parent, std::size_t Depth) {
    return std::make_shared<const TClipStep>(TClipStep{Kind, Rect, Path, {}, {}, Parent, Depth});
  };
  const TClip Refused[] = {Step(TClipKind::IntersectRect, {}, {}, nullptr, 0),
                           Step(TClipKind::ExcludeRect, {}, {}, Made, 1),
                           Step(TClipKind::IntersectRect, {0, 0, NAN, 1}, {}, nullptr, 1),
                           Step(static_cast<TClipKind>(3), {}, {}, nullptr, 1)};
  for (const TClip& Clip : Refused)
    EXPECT_ERROR(EArgumentError, Host.SetClip(Clip), "SetClip: the clip holds a step no canvas could have made");
  const TClip NoMove = Step(TClipKind::IntersectPath, {}, TPathData().LineTo({1, 1}), Made, 2);
  EXPECT_ERROR(EArgumentError, Host.SetClip(NoMove), "SetClip: the path must begin with MoveTo");
  const TClip Valid = Step(TClipKind::ExcludeRect, {1, 1, 2, 2}, {}, Made, 2);
  Host.SetClip(Valid);
  EXPECT_EQ(Host.GetClip(), Valid);
}

TEST(Clips, IdsTakeThePrefixThatMustBeAName) {
  TNullCanvas Host(10, 10);
  TSvgOptions Options;
  TCountingStream Stream;
  for (const std::u16string Bad :
       {u"1a",      u"a:b",     u"a b",     u"-",       u"\u00D7",  u"\u00F7",  u"a\U000F0000", u"a\xD800\xE000",
        u"\u0300",  u"\u036F",  u"a\u00BF", u"a\u00B6", u"a\u00B8", u"a\u037E", u"a\u2000",     u"a\u200B",
        u"a\u200E", u"a\u203E", u"a\u2041", u"a\u206F", u"a\u2190", u"a\u2BFF", u"a\u2FF0",     u"a\u3000",
        u"a\uF8FF", u"a\uFDD0", u"a\uFDEF", u"a\uFFFE"}) {
    Options.IdPrefix = Bad;
    EXPECT_ERROR(ESvgError, TSvgCanvas(&Stream, &Host, Options),
                 "IdPrefix must be empty or an XML name without a colon");
  }
  Options.IdPrefix =
      u"a\u00C0\u00D6\u00D8\u00F6\u00F8\u02FF\u0370\u037D\u037F\u1FFF\u200C\u200D\u2070\u218F\u2C00\u2FEF\u3001\uD7FF"
      u"\uF900\uFDCF\uFDF0\uFFFD\u036F\u203F\u2040\U00010001";  // the ends of the ranges of name characters
  TSvgCanvas{&Stream, &Host, Options};                          // accepted
  Options.IdPrefix = u"\u00E9t\u00E9-2.\u00B7\u0300\u3001\U00010000\U000EFFFF_";
  {
    TSvgCanvas Svg(&Stream, &Host, Options);
    // A group's id takes the prefix too; refused ids write nothing.
    Svg.BeginGroup(u"a", {}, u" --a  -\u0080_\u00E9 \U00010000 \uD7FF\xD800\xDC00\xDBFF\xDFFF\uE000 AZz09");
    const std::pair<const char16_t*, const char*> Refused[] = {
        {u"a", "BeginGroup: the id \"a\" is used already"},
        {u"a:b", "BeginGroup: the id must be empty or an XML name without a colon"},
        {u"c10", "BeginGroup: an id of c or g and digits is the document's own"},
        {u"g9", "BeginGroup: an id of c or g and digits is the document's own"}};
    for (const auto& Case : Refused) EXPECT_ERROR(ESvgError, Svg.BeginGroup(Case.first), Case.second);
    for (const char16_t* Class : {u"-2", u"a.b", u"\xD800\xE000", u"\xDC00", u"\xDFFF", u"\xD800\xDBFF\xDC00",
                                  u"\xD7FF\xDC00", u"\xDBFF\xDC00\xDC00"})
      EXPECT_THROW(Svg.BeginGroup({}, {}, Class), EArgumentError);
    EXPECT_THROW(Svg.BeginGroup({u"a\xD800\xDC00", 2}), ESvgError);  // a pair's half past the id's end
    TTeeCanvas Tee(Svg);                                             // the tee's own clip reaches the host it records
    Tee.IntersectClipRect({1, 2, 3, 4});
    Tee.DrawLine({0, 0}, {1, 1}, 1);
    Svg.EndGroup();
  }
  EXPECT_TRUE(Holds(Stream.Text,
                    "<g id=\"\xC3\xA9t\xC3\xA9-2.\xC2\xB7\xCC\x80\xE3\x80\x81\xF0\x90\x80\x80\xF3\xAF\xBF\xBF_a\" "
                    "class=\"--a -\xC2\x80_\xC3\xA9 "
                    "\xF0\x90\x80\x80 \xED\x9F\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xEE\x80\x80 AZz09\">\n<clipPath "
                    "id=\"\xC3\xA9t\xC3\xA9-2.\xC2\xB7\xCC\x80\xE3\x80\x81\xF0\x90\x80\x80\xF3\xAF\xBF\xBF_c1\">"));
}

// Each end point exact, the radii scaled up when too small, a zero radius a line, equal
// end points no curve.
TEST(Paths, ArcsBecomeQuarterTurnsOfCubicsOrLines) {
  // Each row: the start, the radii, the rotation, the large and sweep flags, the end, the
  // number of curves and the end of the first.
  std::ifstream Rows(FSVG_GOLDEN_DIR "/arcs.txt");
  TPointF From, Radius, End;
  float Rotation;
  bool Large, Sweep;
  std::size_t Expected;
  double MidX, MidY;
  int Read = 0;
  while (Rows >> From.X >> From.Y >> Radius.X >> Radius.Y >> Rotation >> Large >> Sweep >> End.X >> End.Y >> Expected >>
         MidX >> MidY) {
    ++Read;
    std::array<TArcCurve, 4> Curves;
    ASSERT_EQ(ArcToCurves(From, Radius, Rotation, Large, Sweep, End, Curves), Expected);
    if (Expected == 0) continue;
    EXPECT_NEAR(Curves[0].X, MidX, 1e-9);
    EXPECT_NEAR(Curves[0].Y, MidY, 1e-9);
    EXPECT_EQ(Curves[Expected - 1].X, End.X);
    EXPECT_EQ(Curves[Expected - 1].Y, End.Y);
  }
  EXPECT_EQ(Read, 9);
  TPathData Path;
  Path.MoveTo({0, 0}).ArcTo({1, 1}, 0, false, false, {1, 1});
  Path.Clear();
  EXPECT_TRUE(Path.IsEmpty());
  EXPECT_TRUE(Path.Points().empty());
}

}  // namespace
}  // namespace fsvg::test
