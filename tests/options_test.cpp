// The opt-in additions of TSvgOptions: one drawing recorded under each switch, compared
// byte for byte with the reviewed golden/options.txt, where every document differs from the
// plain one only in the lines its switch owns.
#include <gtest/gtest.h>

#include "fsvg/fsvgcanvas.h"
#include "support/scratch.h"

namespace fsvg {
namespace {

// A null host whose runs are ten units a character wide while Lays is set, so that the
// shared layout places its text; without it, it lays out no line.
struct TLayingCanvas : TNullCanvas, TTextMeasurer {
  bool Lays = true;
  double RunWidth(std::u16string_view Run) override { return 10.0 * Run.size(); }
  std::unique_ptr<TTextMeasurer> DoCreateTextMeasurer() const override {
    return Lays ? std::make_unique<TLayingCanvas>() : nullptr;
  }
};

// The "title" case also escapes markup in the title and description. The host has an
// offset and a matrix that only their own switches record.
TEST(Options, EachSwitchChangesOnlyItsOwnLines) {
  using O = TSvgOptions;
  const std::pair<const char*, bool O::*> Cases[] = {{"plain", nullptr},
                                                     {"title", nullptr},
                                                     {"DocumentSize", &O::DocumentSize},
                                                     {"Transforms", &O::Transforms},
                                                     {"ArcOffset", &O::ArcOffset},
                                                     {"ColorAlpha", &O::ColorAlpha},
                                                     {"CornerShapes", &O::CornerShapes},
                                                     {"StrokeStyle", &O::StrokeStyle},
                                                     {"TextLayout", &O::TextLayout}};
  std::string Recorded;
  for (const auto& [Name, Switch] : Cases) {
    TSvgOptions Options;
    if (Switch) Options.*Switch = true;
    if (Name == std::string("title")) Options.Title = u"Sales & \"costs\"", Options.Description = u"<2024>";
    TLayingCanvas Host;
    Host.SetSize(640, 480);
    Host.SetOffset({15, -5});
    TMemoryStream Stream;
    {
      TSvgCanvas C(&Stream, &Host, Options);
      TStrokeBrush Pen(TBrushKind::Solid, 0x800000FF, 2);
      std::tie(Pen.Dash, Pen.Cap, Pen.Join) = std::tuple(TStrokeDash::DashDot, TStrokeCap::Round, TStrokeJoin::Bevel);
      const TBrush Red(TBrushKind::Solid, 0xFFFF0000);
      Host.SetMatrix({0, 1, 0, -1, 0, 0, 10, 20.5f, 1});
      C.Clear(0);
      for (int Dash = 0; Dash < 6; ++Dash)  // every pattern, in multiples of the thickness
        Pen.Dash = static_cast<TStrokeDash>(Dash), C.DrawLine({0, 0}, {1, 1}, 1, Pen);
      C.FillArc({100, 50}, {10, 20}, 0, 90, 1, TBrush(TBrushKind::Solid, 0x80FF0000));
      C.DrawEllipse({0, 0, 2, 2}, 1, Pen);
      C.FillRect({0, 0, 20, 10}, 4, 4, {TCorner::TopLeft}, 1, Red, TCornerType::Bevel);
      C.FillRect({0, 0, 20, 10}, 3, 0, {}, 0.5f, Red);
      C.DrawPolygon({{0, 0}, {5, 0}, {0, 5}}, 1);
      for (const TFillTextFlags Flags : {TFillTextFlags{}, TFillTextFlags{TFillTextFlag::RightToLeft}})
        C.FillText({0, 0, 100, 40}, u"<one> & two\nthree four", true, 1, Flags, TTextAlign::Leading);
      Host.Lays = false, C.FillText({0, 0, 100, 40}, u"a", false, 1, {}, TTextAlign::Leading);
      C.DrawRect({0, 0, 20, 10}, 4, 3, {TCorner::BottomRight}, 1, Pen);  // a curved corner
    }
    Recorded += std::string("== ") + Name + "\n" + std::string(Stream.View()) + "\n";
  }
  EXPECT_EQ(Recorded, test::ReadFile(FSVG_GOLDEN_DIR "/options.txt"))
      << "recorded (the golden file's content if reviewed):\n"
      << Recorded;
}

}  // namespace
}  // namespace fsvg
