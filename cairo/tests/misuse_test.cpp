// TCairoCanvas under misuse and hostile values: a failed call leaves the canvas usable,
// text Cairo would refuse is painted, and sizes it cannot hold are refused cleanly.
#include <gtest/gtest.h>

#include <cfloat>
#include <string>

#include "fsvg/cairocanvas.h"
#include "fsvg/streams.h"

namespace fsvg {
namespace {

TEST(CairoMisuseTest, FailedTextLeavesCanvasUsable) {
  TCairoCanvas Canvas(100, 20);
  Canvas.GetFont().Size = 1e5f;
  EXPECT_THROW(Canvas.FillText({0, 0, 100, 20}, u"text", false, 1, {}, TTextAlign::Leading, TTextAlign::Leading),
               Exception);
  Canvas.GetFont().Size = 12;
  EXPECT_NO_THROW(Canvas.FillText({0, 0, 100, 20}, u"text", false, 1, {}, TTextAlign::Leading, TTextAlign::Leading));
}

TEST(CairoMisuseTest, NoncharactersPaintAsReplacementCharacter) {
  TCairoCanvas Canvas(100, 20);
  const float Replacement = Canvas.TextWidth(u"a\uFFFDb");
  for (const std::u16string Text :
       {u"a\uFFFEb", u"a\uFFFFb", u"a\uFDD0b", u"a\uFDEFb", u"a\U0001FFFEb", u"a\U0001FFFFb", u"a\U0010FFFFb"}) {
    EXPECT_EQ(Canvas.TextWidth(Text), Replacement) << Text.size();
    EXPECT_NO_THROW(Canvas.FillText({0, 0, 100, 20}, Text, true, 1, {}, TTextAlign::Leading, TTextAlign::Leading));
  }
}

// Word wrap measures a candidate line a word at a time; kerned pairs ("AV") must count
// as they do when the line is painted, or a line that fits would break.
TEST(CairoMisuseTest, WrappedLineIsMeasuredKerned) {
  TCairoCanvas Canvas(100, 20);
  TLineMetricInfo Lines;
  Canvas.MeasureLines(Lines, {0, 0, Canvas.TextWidth(u"AV AV") + 0.1f, 20}, u"AV AV", true, {}, TTextAlign::Leading,
                      TTextAlign::Leading);
  EXPECT_EQ(Lines.Metrics.size(), 1u);
}

TEST(CairoMisuseTest, RefusedSizesKeepTheCanvas) {
  TCairoCanvas Canvas(100, 50);
  EXPECT_THROW(Canvas.SetSize(100000, 100000), Exception);
  EXPECT_EQ(Canvas.GetWidth(), 100);
  EXPECT_EQ(Canvas.GetPixelWidth(), 100);
  // Device sizes beyond any integer type are reported, not converted.
  try {
    TCairoCanvas Huge(10, 10, FLT_MAX);
    ADD_FAILURE() << "a surface of 3.4e39 pixels was accepted";
  } catch (const Exception& Error) {
    EXPECT_EQ(std::string(Error.what()).find('-'), std::string::npos) << Error.what();
  }
}

}  // namespace
}  // namespace fsvg
