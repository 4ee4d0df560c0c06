// Stroke and font styles: the styles scene recorded plainly and faithfully, against the
// reviewed golden/styles.txt; and the tee and saved states carrying every member.
#include <gtest/gtest.h>

#include "support/scratch.h"
#include "support/script.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

TEST(Styles, StrokeAndFontStylesRecordedPlainlyAndFaithfully) {
  std::string Recorded;
  for (const bool Faithful : {false, true}) {
    TNullCanvas Host(100, 100);
    TCountingStream Stream;
    TSvgCanvas Canvas(&Stream, &Host, Faithful ? TSvgOptions::Faithful() : TSvgOptions());
    TScript(Canvas).Run(Load(FSVG_TEST_SCENES, "styles").Steps);
    Recorded += Stream.Text;
  }
  EXPECT_EQ(Recorded, ReadFile(FSVG_GOLDEN_DIR "/styles.txt")) << "recorded, to review:\n" << Recorded;
}

// The stroke and font set on a tee reach the host; a saved state brings every member back.
TEST(Styles, TeesAndSavedStatesCarryStrokeAndFont) {
  TRecordingCanvas Host{100, 50};
  TSvgCanvas Canvas(nullptr, &Host);
  TTeeCanvas Tee(Canvas);
  TCanvasSaveState* const Saved = Tee.SaveState();
  Tee.GetStroke() =
      TScript(Canvas).Pen(ParseStep(VerbNamed("SetStroke"), "hairline=true dash=1 miter=2 cap=Square", 0));
  Tee.GetFont().Weight = 900;
  Tee.GetFont().Slant = TFontSlant::Italic;
  Tee.FillText({0, 0, 10, 10}, u"a", false, 1, {}, TTextAlign::Leading);
  EXPECT_TRUE(Host.GetStroke() == Tee.GetStroke());
  EXPECT_TRUE(Host.GetFont() == Tee.GetFont());
  Tee.GetFont().Weight = 901;  // refused by measuring as by painting
  EXPECT_EQ(ErrorOf<EArgumentError>([&] { Tee.TextWidth(u"a"); }), "TextWidth: the font weight must be 100 to 900");
  Tee.RestoreState(Saved);
  EXPECT_TRUE(Tee.GetStroke() == TStrokeBrush());
  EXPECT_TRUE(Tee.GetFont() == TFont());
}

}  // namespace
}  // namespace fsvg::test
