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
                                                   {"faithful", nullptr}};

// The "title" case also escapes markup in the title and description; "faithful" turns
// every switch on. The host has an offset and a matrix that only their own switches
// record. Every line is built in room lent exactly to size, and the last ones are the
// longest there are: every number as long as a number's text gets.
TEST(Options, EachSwitchChangesOnlyItsOwnLines) {
  std::string Recorded;
  for (const auto& [Name, Switch] : Cases) {
    TSvgOptions Options;
    if (Switch) Options.*Switch = true;
    if (Name == std::string("title")) {
      Options.Title = u"Sales & \"costs\"";
      Options.Description = u"<2024>";
    }
    if (Name == std::string("faithful")) Options = TSvgOptions::Faithful();
    test::TLayingCanvas Host(640, 480);
    Host.SetOffset({15, -5});
    test::TCountingStream Stream;
    Stream.Lend = true;
    {
      TSvgCanvas C(&Stream, &Host, Options);
      TStrokeBrush Pen(TBrushKind::Solid, 0x800000FF, 2);
      Pen.Cap = TStrokeCap::Round;
      Pen.Join = TStrokeJoin::Bevel;
      const TBrush Red(TBrushKind::Solid, 0xFFFF0000), Half(TBrushKind::Solid, 0x80FF0000);
      Host.SetMatrix({0, 1, 0, -1, 0, 0, 10, 20.5f, 1});
      C.Clear(0);
      for (int Dash = 0; Dash < 6; ++Dash) {  // every pattern, in multiples of the thickness
        Pen.Dash = static_cast<TStrokeDash>(Dash);
        C.DrawLine({0, 0}, {1, 1}, 1, Pen);
      }
      C.FillArc({100, 50}, {10, 20}, 0, 90, 1, Half);
      C.DrawEllipse({0, 0, 2, 2}, 1, Pen);
      C.FillRect({0, 0, 20, 10}, 4, 4, {TCorner::TopLeft}, 1, Red, TCornerType::Bevel);
      C.FillRect({0, 0, 20, 10}, 3, 0, {TCorner::TopLeft}, 0.5f, Red);  // one radius: square
      C.DrawPolygon({{0, 0}, {5, 0}, {0, 5}}, 1);
      for (const TFillTextFlags Flags : {TFillTextFlags{}, TFillTextFlags{TFillTextFlag::RightToLeft}})
        C.FillText({10, 0, 110, 40}, u"<one> & twotwo three\nthree four", true, 1, Flags, TTextAlign::Leading);
      C.FillText({10, 0, 110, 40}, u"ab \u05D0\u05D1\nab", false, 1, {}, TTextAlign::Leading);  // Hebrew's line kept
      for (const TTextAlign Align : {TTextAlign::Center, TTextAlign::Trailing})  // a CR before a LF is the break's
        C.FillText({0, 0, 100, 40}, std::u16string_view(u"\r\none two\r\nwide\n").substr(1), false, 1, {}, Align,
                   Align);
      Host.Lays = false;
      C.FillText({0, 0, 100, 40}, u"a", false, 1, {}, TTextAlign::Leading);
      for (const TCornerType Curved : {TCornerType::Round, TCornerType::InnerRound, TCornerType::InnerLine})
        C.DrawRect({0, 0, 20, 10}, 4, 3, AllCorners, 1, Pen, Curved);
      Host.SetMatrix({0.00015f, 4e-5f, 0, -0.f, 0.8660254f, 0, 20000, 1e-7f, 1});  // entries written exactly
      C.ClearRect({20, 10, 0, 0}, 0xFF00FF00);  // right to left and bottom to top: normalised
      C.FillRect({20, 10, 0, 0}, 0, 0, {}, 1, Red);
      C.DrawEllipse({20, 0, 0, 10}, 1, Pen);
      const float Big = -3.4e38f;
      Host.SetOffset({Big, Big});
      Host.SetMatrix({Big, Big, 0, Big, Big, 0, Big, Big, 1});
      Pen.Dash = TStrokeDash::DashDotDot;
      Pen.Thickness = -Big;
      for (const TCornerType Corners : {TCornerType::Round, TCornerType::InnerLine}) {
        C.DrawRect({Big, Big, -Big, -Big}, -Big, -Big, AllCorners, Big, Pen, Corners);
        C.FillRect({Big, Big, -Big, -Big}, -Big, -Big, AllCorners, Big, Half, Corners);
      }
      C.DrawArc({Big, Big}, {Big, Big}, Big, -720, Big, Pen);
      C.FillArc({Big, Big}, {Big, Big}, Big, -720, Big, Half);
      C.DrawLine({Big, Big}, {Big, Big}, Big, Pen);
      C.DrawEllipse({Big, Big, -Big, -Big}, Big, Pen);
    }
    Recorded += std::string("== ") + Name + "\n" + Stream.Text + "\n";
  }
  EXPECT_EQ(Recorded, test::ReadFile(FSVG_GOLDEN_DIR "/options.txt")) << "recorded, to review:\n" << Recorded;
}

}  // namespace
}  // namespace fsvg
