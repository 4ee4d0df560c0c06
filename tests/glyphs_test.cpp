// Text as glyph outlines: each glyph defined once however much text uses it, a group a
// line, the invisible text over it, and a host's glyphs refused before a byte is written
// when they cannot be placed. Their exact lines are in golden/options.txt.
#include <gtest/gtest.h>

#include <string>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

TSvgOptions Outlines(bool Selectable) {
  TSvgOptions Options;
  Options.GlyphOutlines = true;
  Options.SelectableText = Selectable;
  return Options;
}

// Fills Text from the top left of a rectangle 100 by 20.
void Label(TSvgCanvas& Canvas, std::u16string_view Text) {
  Canvas.FillText({0, 0, 100, 20}, Text, false, 1, {}, TTextAlign::Leading);
}

// "Item 0" to "Item 9999": I, t, e, m and ten digits, the space inking nothing; a use
// for each of the 78,890 glyphs that ink.
TEST(Glyphs, TenThousandLabelsDefineEachGlyphOnce) {
  TLayingCanvas Host(640, 480);
  TCountingStream Stream;
  {
    TSvgCanvas Canvas(&Stream, &Host, Outlines(false));
    for (int I = 0; I < 10000; ++I) {
      const std::string Digits = std::to_string(I);
      Label(Canvas, u"Item " + std::u16string(Digits.begin(), Digits.end()));
    }
  }
  EXPECT_EQ(CountOf(Stream.Text, "<defs><path id="), 14u);
  EXPECT_EQ(CountOf(Stream.Text, "<use "), 78890u);
  EXPECT_EQ(ScanDocument(Stream.Text), "");
  TSvgCanvas Other(&Stream, &Host, Outlines(false));  // a group may not take a glyph's id
  EXPECT_ERROR(ESvgError, Other.BeginGroup(u"o1"), "BeginGroup: an id of c, g or o and digits is the document's own");
}

// The overlay holds the text drawn, escaped; a host without outlines keeps the text
// element as it is without the switch.
TEST(Glyphs, TheOverlayHoldsTheTextAndAHostWithoutOutlinesKeepsTheElement) {
  TLayingCanvas Host(640, 480);
  TCountingStream Stream;
  {
    TSvgCanvas Canvas(&Stream, &Host, Outlines(true));
    Label(Canvas, u"a<b");
  }
  EXPECT_TRUE(Holds(Stream.Text, "fill-opacity=\"0\" xml:space=\"preserve\"><tspan x=\"0\" y=\"12.4\">a&lt;b</tspan>"));
  TNullCanvas Plain(640, 480);
  TCountingStream Without, With;
  for (TCountingStream* Each : {&Without, &With}) {
    TSvgCanvas Canvas(Each, &Plain, Outlines(Each == &With));
    Label(Canvas, u"a");
  }
  EXPECT_EQ(With.Text.substr(With.Text.find('\n', 40)), Without.Text.substr(Without.Text.find('\n', 40)));
}

// A gradient is resolved where each use moves its glyph, so a gradient-painted line is
// a clip path of its glyphs and one rectangle over them, in font units (a glyph N units
// wide and 700 high, ten units apart at 12 units an em of 1000): linear, radial, and a
// pattern stretched over the text's rectangle, once more with the last glyph again in a
// run twice the size. The lines are golden/glyph-paints.txt.
TEST(Glyphs, AGradientOrAPatternPaintsTheLineOnce) {
  TLayingCanvas Host(640, 480);
  Host.SetFill(TBrush(TGradient::Linear({0, 0}, {12, 0}, {{0, 0xFF000000}, {1, 0xFFFFFFFF}}), 0xFF000000));
  TCountingStream Stream;
  TSvgOptions Options = Outlines(false);
  Options.Gradients = true;
  {
    TSvgCanvas Canvas(&Stream, &Host, Options);
    Label(Canvas, u"ababab");  // a clip path of more uses than a line's fixed room holds
    Canvas.SetFill(TBrush(TGradient::Radial({0, 0}, 12, {6, 0}, {{0, 0xFF000000}, {1, 0xFFFFFFFF}}), 0));
    Label(Canvas, u"oa");  // the arc's end widened by its radii
    const auto Pixels = std::make_shared<const TBitmap>(2, 1, std::vector<TAlphaColor>{0, 0});
    Canvas.SetFill(TBrush(Pixels, TBitmapWrap::Stretch, 0));
    Label(Canvas, u"ab");
    Host.LaterSize = 24;  // "b" again, twice as large: the rectangle reaches its top right
    Host.PenY = 1;        // and each glyph a unit lower than the one before it
    Label(Canvas, u"ab");
  }
  EXPECT_EQ(Stream.Text, ReadFile(FSVG_GOLDEN_DIR "/glyph-paints.txt")) << "recorded, to review:\n" << Stream.Text;
}

// A pen or an outline point that is not finite, a run whose size places nothing, or a run
// without a face, is refused before anything is written.
TEST(Glyphs, GlyphsThatCannotBePlacedAreRefused) {
  TLayingCanvas Host(640, 480);
  Host.PenY = NAN;
  TCountingStream Stream;
  TSvgCanvas Canvas(&Stream, &Host, Outlines(true));
  const std::size_t Written = Stream.Text.size();
  EXPECT_ERROR(EHostError, Label(Canvas, u"a"), "TSvgCanvas: the host placed a glyph where no number can place it");
  Host.PenY = 0;
  EXPECT_ERROR(EHostError, Label(Canvas, u"\uFFFF"), "TSvgCanvas: the host gave a glyph outline that is not finite");
  Host.LaterSize = INFINITY;
  EXPECT_ERROR(EHostError, Label(Canvas, u"a"),
               "TSvgCanvas: the host gave a glyph run whose size or units per em place nothing");
  Host.LaterSize = -1;
  EXPECT_ERROR(EHostError, Label(Canvas, u"a"), "TSvgCanvas: the host gave a glyph run without a face");
  EXPECT_EQ(Stream.Text.size(), Written);
}

}  // namespace
}  // namespace fsvg::test
