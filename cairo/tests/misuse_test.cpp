// TCairoCanvas under misuse and hostile values: a failed call leaves the canvas usable,
// text Cairo would refuse is painted, and sizes it cannot hold are refused cleanly.
#include <gtest/gtest.h>

#include <cfloat>
#include <stdexcept>
#include <string>

#include "fsvg/cairocanvas.h"
#include "fsvg/streams.h"

namespace fsvg {
namespace {

TEST(CairoMisuseTest, HostileTextAndSizesLeaveTheCanvasUsable) {
  TCairoCanvas Canvas(100, 20, 2);
  const auto Fill = [&](std::u16string_view Text, bool Wrap) {
    Canvas.FillText({0, 0, 100, 20}, Text, Wrap, 1, {}, TTextAlign::Leading, TTextAlign::Leading);
  };
  // Sizes FreeType cannot render: in the measuring context, and in device pixels at scale 2.
  for (const float Size : {1e5f, 4e4f}) {
    Canvas.GetFont().Size = Size;
    EXPECT_THROW(Fill(u"text", false), std::invalid_argument);
    Canvas.GetFont().Size = 12;
    EXPECT_NO_THROW(Fill(u"text", false));
  }
  // Noncharacters paint as U+FFFD.
  for (const std::u16string_view Text :
       {u"a\uFFFEb", u"a\uFFFFb", u"a\uFDD0b", u"a\uFDEFb", u"a\U0001FFFEb", u"a\U0001FFFFb", u"a\U0010FFFFb"}) {
    EXPECT_EQ(Canvas.TextWidth(Text), Canvas.TextWidth(u"a\uFFFDb")) << Text.size();
    EXPECT_NO_THROW(Fill(Text, true));
  }
  // Word wrap measures kerned pairs ("AV") as they are painted, or a line that fits breaks.
  TLineMetricInfo Lines;
  Canvas.MeasureLines(Lines, {0, 0, Canvas.TextWidth(u"AV AV") + 0.1f, 20}, u"AV AV", true, {}, TTextAlign::Leading,
                      TTextAlign::Leading);
  EXPECT_EQ(Lines.Metrics.size(), 1u);
  EXPECT_THROW(Canvas.SetSize(100000, 100000), Exception);
  EXPECT_EQ(Canvas.GetWidth(), 100);
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
