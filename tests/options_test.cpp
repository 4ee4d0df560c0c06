// The opt-in additions of TSvgOptions: one drawing recorded under each switch, compared
// byte for byte with the reviewed golden/options.txt, where every document differs from the
// plain one only in the lines its switch owns.
#include <gtest/gtest.h>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg {
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
    test::TLayingCanvas Host(640, 480);
    const std::string Text =
        test::RecordScene("options", Host, Options, [&Host](const test::TStep&) { Host.Lays = false; });
    Recorded += std::string("== ") + Name + "\n" + Text + "\n";
  }
  EXPECT_EQ(Recorded, test::ReadFile(FSVG_GOLDEN_DIR "/options.txt")) << "recorded, to review:\n" << Recorded;
}

}  // namespace
}  // namespace fsvg
