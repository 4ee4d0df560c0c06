// The opt-in additions of TSvgOptions: one drawing recorded under each switch, compared
// byte for byte with the reviewed golden/options.txt, where every document differs from the
// plain one only in the lines its switch owns. Stroke and font styles: the styles scene
// recorded plainly and faithfully, against the reviewed golden/styles.txt; and a font
// refused through a tee, and restored.
#include <gtest/gtest.h>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

using O = TSvgOptions;
const std::pair<const char*, bool O::*> Cases[] = {{"plain", nullptr},
                                                   {"title", nullptr},
                                                   {"DocumentSize", &O::DocumentSize},
                                                   {"Transforms", &O::Transforms},
                                                   {"ArcOffset", &O::ArcOffset},
                                                   {"ColorAlpha", &O::ColorAlpha},
                                                   {"CornerShapes", &O::CornerShapes},
                                                   {"StrokeStyle", &O::StrokeStyle},
                                                   {"TextLayout", &O::TextLayout},
                                                   {"GlyphOutlines", &O::GlyphOutlines},
                                                   {"CrispEdges", &O::CrispEdges},
                                                   {"ThemeColor", nullptr},
                                                   {"faithful", nullptr}};

// The "title" case also escapes markup in the title and description; "ThemeColor" is the
// strokes' colour, alpha and all; "faithful" turns every switch on. The drawing is the options scene of
// tests/scenes.txt; every line is built in room lent exactly to size.
TEST(Options, EachSwitchChangesOnlyItsOwnLines) {
  std::string Recorded;
  for (const auto& [Name, Switch] : Cases) {
    TSvgOptions Options;
    if (Switch) Options.*Switch = true;
    if (Name == std::string("title")) {
      Options.Title = u"Sales & \"costs\"";
      Options.Description = u"<2024>";
    }
    if (Name == std::string("ThemeColor")) Options.ThemeColor = 0x800000FF;
    if (Name == std::string("faithful")) Options = TSvgOptions::Faithful();
    TLayingCanvas Host(640, 480);
    const std::string Text = RecordScene("options", Host, Options, [&Host](const TStep&) { Host.Lays = false; });
    Recorded += std::string("== ") + Name + "\n" + Text + "\n";
  }
  EXPECT_EQ(Recorded, ReadFile(FSVG_GOLDEN_DIR "/options.txt")) << "recorded, to review:\n" << Recorded;
}

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
  TGlyphLines Glyphs;
  EXPECT_ERROR(EArgumentError, Tee.MeasureGlyphs(Glyphs, {}, u"a", false, {}, TTextAlign::Leading),
               "MeasureGlyphs: the font weight must be 100 to 900");
  Tee.RestoreState(Saved);
  EXPECT_TRUE(Tee.GetFont() == TFont());
}

}  // namespace
}  // namespace fsvg::test
