// Stroke and font styles: the styles scene recorded plainly and faithfully, against the
// reviewed golden/styles.txt; and a font refused through a tee, and restored.
#include <gtest/gtest.h>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

TEST(Styles, StrokeAndFontStylesRecordedPlainlyAndFaithfully) {
  std::string Recorded;
  for (const bool Faithful : {false, true}) {
    TNullCanvas Host(100, 100, 2);  // hairlines half a unit wide
    TCountingStream Stream;
    TSvgCanvas Canvas(&Stream, &Host, Faithful ? TSvgOptions::Faithful() : TSvgOptions());
    TScript(Canvas).Run(Load(FSVG_TEST_SCENES, "styles").Steps);
    Recorded += Stream.Text;
  }
  EXPECT_EQ(Recorded, ReadFile(FSVG_GOLDEN_DIR "/styles.txt")) << "recorded, to review:\n" << Recorded;
}

// A font the host refuses is refused by measuring through a tee as by painting; a saved
// state brings it back. (That the tee's stroke and font reach the host is the tee's test,
// that a saved state brings every member back the host's.)
TEST(Styles, ATeeRefusesAFontByMeasuringAndASavedStateBringsItBack) {
  TRecordingCanvas Host{100, 50};
  TSvgCanvas Canvas(nullptr, &Host);
  Host.IntersectClipRect({0, 0, 5, 5});
  TTeeCanvas Tee(Canvas);
  EXPECT_EQ(Tee.GetClip(), Host.GetClip());  // the tee starts in the host's state, its clip too
  TCanvasSaveState* const Saved = Tee.SaveState();
  Tee.GetFont().Weight = 901;
  EXPECT_ERROR(EArgumentError, Tee.TextWidth(u"a"), "TextWidth: the font weight must be 100 to 900");
  EXPECT_ERROR(EArgumentError, Tee.TextHeight(u"a"), "TextHeight: the font weight must be 100 to 900");
  Tee.RestoreState(Saved);
  EXPECT_TRUE(Tee.GetFont() == TFont());
}

}  // namespace
}  // namespace fsvg::test
