// Every drawing primitive: its exact element line, made after one host call with the
// caller's values (the same call a direct call on the host makes); the rules that catch
// real faults (offset, radii, visibility, polygons, escaping); the room each line is
// built in; and arc paths.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <sstream>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

const TBrush Red(TBrushKind::Solid, 0xFFFF0000);
const TStrokeBrush Blue(TBrushKind::Solid, 0x800000FF, 1.5f);
const float NaN = std::numeric_limits<float>::quiet_NaN();

// Every host starts so: offset (0.5, -0.25), a fill and a stroke of its own.
void Prepare(TCanvas& Host) {
  Host.SetOffset({0.5f, -0.25f});
  Host.SetFill(TBrush(TBrushKind::Solid, 0xFF102030));
  Host.SetStroke(TStrokeBrush(TBrushKind::Solid, 0xFF405060, 3));
}

// A recording canvas over a prepared host and a stream that lends exactly the room
// asked for, or none.
struct TFixture {
  explicit TFixture(bool Lend = true) {
    Stream.Lend = Lend;
    Prepare(Host);
  }
  TRecordingCanvas Host{640, 480};
  TCountingStream Stream;
  TOpenCanvas Canvas{&Stream, &Host};

  // What Call writes.
  template <typename F>
  std::string Draw(F&& Call) {
    const std::size_t Before = Stream.Text.size();
    Call(Canvas);
    return Stream.Text.substr(Before);
  }
};

// One call, made on a recording canvas and directly on a host, and the line it records.
struct TRow {
  std::function<void(TOpenCanvas&)> Record;
  std::function<void(TCanvas&)> Paint;
  std::string Line;
};
template <typename F>
TRow Row(F Call, std::string Line) {
  return {Call, Call, std::move(Line)};
}

std::vector<TRow> Rows() {
  const std::string Stroke3 = " stroke-width=\"3\" stroke=\"#405060\" opacity=\"";
  const std::string Stroke15 = " stroke-width=\"1.5\" stroke=\"#0000FF\" opacity=\"";
  const std::string Closed = "\" fill=\"none\"/>\n";
  const TStrokeBrush Zero(TBrushKind::Solid, 0xFF000000, 0), None(TBrushKind::None, 0xFF000000, 5);
  return {
      Row([](auto& C) { C.Clear(0x11223344); },
          "<rect x=\"0\" y=\"0\" width=\"640\" height=\"480\" fill=\"#223344\"/>\n"),
      Row(
          [](auto& C) {
            C.ClearRect({1.5f, 2, 11.5f, 7}, 0x80ABCDEF);
          },
          "<rect x=\"2\" y=\"1.75\" width=\"10\" height=\"5\" fill=\"#ABCDEF\"/>\n"),
      Row(
          [](auto& C) {
            C.FillRect({10, 20, 110, 70}, 0, 0, AllCorners, 1, Red, TCornerType::Bevel);
          },
          "<rect x=\"10.5\" y=\"19.75\" width=\"100\" height=\"50\" opacity=\"1\" fill=\"#FF0000\"/>\n"),
      Row(
          [](auto& C) {
            C.FillRect({10, 20, 0, 5}, 1, 2, {TCorner::BottomRight}, 0.5f);
          },
          "<rect x=\"10.5\" y=\"19.75\" width=\"-10\" height=\"-15\" rx=\"1\" ry=\"2\" opacity=\"0.5\" "
          "fill=\"#102030\"/>\n"),
      Row(
          [](auto& C) {
            C.DrawRect({0, 0, 50, 50}, 4, 4, AllCorners, 0.25f, Blue, TCornerType::InnerLine);
          },
          "<rect x=\"0.5\" y=\"-0.25\" width=\"50\" height=\"50\" rx=\"4\" ry=\"4\"" + Stroke15 + "0.25" + Closed),
      Row(
          [](auto& C) {
            C.DrawRect({1, 2, 3, 5}, 0, 0, {}, 1);
          },
          "<rect x=\"1.5\" y=\"1.75\" width=\"2\" height=\"3\"" + Stroke3 + "1" + Closed),
      Row(
          [](auto& C) {
            C.DrawLine({0, 0}, {100, 50}, 1, Blue);
          },
          "<line x1=\"0.5\" y1=\"-0.25\" x2=\"100.5\" y2=\"49.75\"" + Stroke15 + "1\"/>\n"),
      Row(
          [](auto& C) {
            C.DrawLine({1, 2}, {3, 4}, 0.75f);
          },
          "<line x1=\"1.5\" y1=\"1.75\" x2=\"3.5\" y2=\"3.75\"" + Stroke3 + "0.75\"/>\n"),
      Row(
          [](auto& C) {
            C.FillEllipse({10, 20, 50, 40}, 1, TBrush(TBrushKind::Gradient, 0x00123456));
          },
          "<ellipse cx=\"30.5\" cy=\"29.75\" rx=\"20\" ry=\"10\" opacity=\"1\" fill=\"#123456\"/>\n"),
      Row(
          [](auto& C) {
            C.FillEllipse({50, 0, 10, 0}, 0);
          },
          "<ellipse cx=\"30.5\" cy=\"-0.25\" rx=\"-20\" ry=\"0\" opacity=\"0\" fill=\"#102030\"/>\n"),
      Row(
          [](auto& C) {
            C.DrawEllipse({10, 20, 50, 40}, 0.25f, Blue);
          },
          "<ellipse cx=\"30.5\" cy=\"29.75\" rx=\"20\" ry=\"10\"" + Stroke15 + "0.25" + Closed),
      Row(
          [](auto& C) {
            C.DrawEllipse({0, 0, 4, 2}, 1);
          },
          "<ellipse cx=\"2.5\" cy=\"0.75\" rx=\"2\" ry=\"1\"" + Stroke3 + "1" + Closed),
      // Arcs ignore the offset.
      Row(
          [](auto& C) {
            C.FillArc({100, 50}, {10, 20}, 0, 90, 1, Red);
          },
          "<path d=\"M 110 50 A 10 20 0 0 1 100 70\" opacity=\"1\" fill=\"#FF0000\"/>\n"),
      Row(
          [](auto& C) {
            C.FillArc({100, 50}, {-10, 20}, 0, 90, 0.5f);
          },
          "<path d=\"M 90 50 A -10 20 0 0 0 100 70\" opacity=\"0.5\" fill=\"#102030\"/>\n"),
      Row(
          [](auto& C) {
            C.DrawArc({100, 50}, {10, 20}, 90, 90, 1, Blue);
          },
          "<path d=\"M 100 70 A 10 20 0 0 1 90 50\"" + Stroke15 + "1" + Closed),
      Row(
          [](auto& C) {
            C.DrawArc({0, 0}, {1, 1}, 0, 360, 1);
          },
          "<path d=\"M 1 0 A 1 1 0 0 1 -1 0 A 1 1 0 0 1 1 0\"" + Stroke3 + "1" + Closed),
      Row(
          [](auto& C) {
            C.DrawArc({0, 0}, {1, 1}, 0, NaN, 1);
          },
          "<path d=\"M 1 0 A 1 1 0 0 1 NaN NaN\"" + Stroke3 + "1" + Closed),
      Row(
          [](auto& C) {
            C.SetFill(Red);
            C.FillPolygon({{10, 20}, {30, 40}, {50, 60}}, 1);
          },
          "<polygon points=\"10.5,19.75 30.5,39.75 50.5,59.75\" opacity=\"1\" fill=\"#FF0000\"/>\n"),
      Row(
          [](auto& C) {
            C.FillPolygon({{1, 2}, {1, 2}}, 1);
          },
          "<polygon points=\"1.5,1.75 1.5,1.75\" opacity=\"1\" fill=\"#102030\"/>\n"),
      Row(
          [](auto& C) {
            C.DrawPolygon({{1, 2}, {3, 4}}, 0.5f);
          },
          "<polyline points=\"1.5,1.75 3.5,3.75 1.5,1.75\"" + Stroke3 + "0.5" + Closed),
      Row(
          [](auto& C) {
            C.FillText({10, 20, 110, 40}, u"Hello", true, 1, {TFillTextFlag::RightToLeft}, TTextAlign::Trailing,
                       TTextAlign::Leading);
          },
          "<text x=\"10.5\" y=\"39.75\" font-family=\"sans-serif\" font-size=\"12\" opacity=\"1\" "
          "fill=\"#102030\">Hello</text>\n"),
      // Text is recorded whatever its fill; text and family are escaped for XML.
      Row(
          [](auto& C) {
            C.GetFont() = TFont(u"Foo & \"Bar\" <x>", 10.5f);
            C.SetFill(TBrush(TBrushKind::None, 0x00FF00FF));
            std::u16string Text = u"&a<b & \"c\" ]]> -- \u0003\t\n\r";
            Text += char16_t(0xD800);
            C.FillText({0, 0, 10, 10}, Text + u"\uFFFE\uFFFF\U0001F600&&", false, 0, {}, TTextAlign::Center);
          },
          "<text x=\"0.5\" y=\"9.75\" font-family=\"Foo &amp; &quot;Bar&quot; &lt;x&gt;\" font-size=\"10.5\" "
          "opacity=\"0\" fill=\"#FF00FF\">&amp;a&lt;b &amp; &quot;c&quot; ]]&gt; -- \xEF\xBF\xBD\t\n\r"
          "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xF0\x9F\x98\x80&amp;&amp;</text>\n"),
      // Paint that leaves no mark, and polygons of fewer than two points, are painted only.
      Row(
          [](auto& C) {
            C.FillRect({0, 0, 1, 1}, 0, 0, AllCorners, 1, TBrush(TBrushKind::None, 0xFFFF0000));
          },
          ""),
      Row(
          [=](auto& C) {
            C.DrawRect({0, 0, 1, 1}, 0, 0, AllCorners, 1, Zero);
          },
          ""),
      Row(
          [](auto& C) {
            C.DrawLine({0, 0}, {1, 1}, 1, TStrokeBrush(TBrushKind::Solid, 0xFF000000, NaN));
          },
          ""),
      Row(
          [](auto& C) {
            C.DrawLine({0, 0}, {1, 1}, 1, TStrokeBrush(TBrushKind::Solid, 0xFF000000, -1));
          },
          ""),
      Row(
          [](auto& C) {
            C.FillEllipse({0, 0, 1, 1}, 1, TBrush(TBrushKind::None, 0xFFFF0000));
          },
          ""),
      Row(
          [=](auto& C) {
            C.DrawEllipse({0, 0, 1, 1}, 1, None);
          },
          ""),
      Row(
          [](auto& C) {
            C.FillArc({0, 0}, {1, 1}, 0, 90, 1, TBrush(TBrushKind::None, 0xFFFF0000));
          },
          ""),
      Row(
          [](auto& C) {
            C.DrawArc({0, 0}, {1, 1}, 0, 90, 1, TStrokeBrush(TBrushKind::Solid, 0, -0.0f));
          },
          ""),
      Row(
          [](auto& C) {
            C.SetFill(TBrush(TBrushKind::None, 0xFFFF0000));
            C.FillPolygon({{0, 0}, {1, 0}, {0, 1}}, 1);
          },
          ""),
      Row(
          [=](auto& C) {
            C.GetStroke() = Zero;
            C.DrawPolygon({{0, 0}, {1, 0}, {0, 1}}, 1);
          },
          ""),
      Row(
          [](auto& C) {
            C.FillPolygon({{1, 1}}, 1);
          },
          ""),
      Row([](auto& C) { C.DrawPolygon({}, 1); }, ""),
  };
}

TEST(Primitives, EachWritesItsLineAfterOneHostCallWithTheCallersValues) {
  for (const TRow& Row : Rows()) {
    SCOPED_TRACE(Row.Line);
    for (const bool Lend : {false, true}) {
      TFixture F(Lend);
      std::size_t WrittenAtHostCall = 0;
      F.Host.OnCall = [&] { WrittenAtHostCall = F.Stream.Text.size(); };
      EXPECT_EQ(F.Draw(Row.Record), Row.Line);
      EXPECT_EQ(WrittenAtHostCall, Header.size());
      TRecordingCanvas Direct(640, 480);
      Prepare(Direct);
      Row.Paint(Direct);
      EXPECT_EQ(F.Host.Calls, Direct.Calls);
      EXPECT_EQ(F.Host.Calls.size(), 1u);
    }
    // A host that throws leaves the document untouched.
    TFixture Failing;
    Failing.Host.Throw = true;
    EXPECT_THROW(Row.Record(Failing.Canvas), std::runtime_error);
    EXPECT_EQ(Failing.Stream.Text, Header);
  }
}

TEST(Primitives, RadiiAreWrittenWhenEitherRoundsACorner) {
  const struct {
    float XRadius, YRadius;
    TCorners Corners;
    const char* Radii;  // what stands between height and the paint
  } Cases[] = {
      {3, 0, {}, " rx=\"3\" ry=\"0\""},
      {3, 5, AllCorners, " rx=\"3\" ry=\"5\""},
      {0, 3, {TCorner::TopLeft}, " rx=\"0\" ry=\"3\""},
      {0, 3, {}, ""},
      {0, 0, AllCorners, ""},
      {-0.0f, 0, AllCorners, ""},
      {1e-13f, 1e-13f, AllCorners, ""},
      {-3, 0, {}, " rx=\"-3\" ry=\"0\""},
      {0, 1e-11f, {TCorner::BottomLeft}, " rx=\"0\" ry=\"0\""},
  };
  for (const auto& Case : Cases) {
    TFixture F;
    const std::string Head = "<rect x=\"0.5\" y=\"-0.25\" width=\"10\" height=\"10\"" + std::string(Case.Radii);
    EXPECT_EQ(F.Draw([&](TSvgCanvas& C) {
      C.FillRect({0, 0, 10, 10}, Case.XRadius, Case.YRadius, Case.Corners, 1);
    }),
              Head + " opacity=\"1\" fill=\"#102030\"/>\n");
    EXPECT_EQ(F.Draw([&](TSvgCanvas& C) {
                 C.DrawRect({0, 0, 10, 10}, Case.XRadius, Case.YRadius, Case.Corners, 1);
               }).substr(0, Head.size() + 14),
              Head + " stroke-width=");
  }
}

// A quote takes the most room of any unit, six bytes, and no number is longer than the
// largest single's: these are the longest lines, at lengths around where a line leaves
// the stack and where the room for a text is counted exactly.
TEST(Primitives, LongestLinesFitTheRoomMadeForThem) {
  const float Big = -3.4e38f;
  const std::string Number = "-3.39999995214E38";
  for (const bool Lend : {false, true}) {
    for (const std::size_t Length : {1u, 341u, 342u, 1024u, 1025u, 3000u}) {
      TFixture F(Lend);
      std::string Quotes;
      for (std::size_t Index = 0; Index < Length; ++Index) Quotes += "&quot;";
      EXPECT_EQ(F.Draw([&](TSvgCanvas& C) {
        C.GetFont().Family = std::u16string(Length, u'"');
        C.FillText({Big, Big, 1, Big}, std::u16string(Length, u'"'), false, Big, {}, TTextAlign::Leading);
      }),
                "<text x=\"" + Number + "\" y=\"" + Number + "\" font-family=\"" + Quotes +
                    "\" font-size=\"12\" opacity=\"" + Number + "\" fill=\"#102030\">" + Quotes + "</text>\n")
          << Length;
    }
    for (const std::size_t Points : {2u, 16u, 1000u}) {
      TFixture F(Lend);
      std::string List;
      for (std::size_t Index = 0; Index < Points; ++Index) List += Number + "," + Number + " ";
      EXPECT_EQ(F.Draw([&](TSvgCanvas& C) {
        C.FillPolygon(TPolygon(Points, TPointF{Big, Big}), 1);
        C.DrawPolygon(TPolygon(Points, TPointF{Big, Big}), 1);
      }),
                "<polygon points=\"" + List.substr(0, List.size() - 1) + "\" opacity=\"1\" fill=\"#102030\"/>\n" +
                    "<polyline points=\"" + List + Number + "," + Number +
                    "\" stroke-width=\"3\" stroke=\"#405060\" opacity=\"1\" fill=\"none\"/>\n");
    }
  }
  // Every fixed-shape line at its longest is the same built in lent room as on the stack.
  TFixture OnStack(false), Lent(true);
  EXPECT_EQ(OnStack.Draw([&](TOpenCanvas& C) { DrawScene(C, Big); }),
            Lent.Draw([&](TOpenCanvas& C) { DrawScene(C, Big); }));
}

TEST(Primitives, ArcEndPointsAndFlagsFollowTheSweep) {
  const struct {
    float Sweep;
    TPointF Radius;
    const char* Flags;  // large-arc and sweep
    bool Whole;
  } Cases[] = {
      {45, {40, 20}, "0 1", false},        {-45, {40, 20}, "0 0", false},       {180, {40, 20}, "0 1", false},
      {180.5f, {40, 20}, "1 1", false},    {-180.5f, {40, 20}, "1 0", false},   {-270, {40, 20}, "1 0", false},
      {359.5f, {40, 20}, "1 1", false},    {360, {40, 20}, "0 1", true},        {720, {40, 20}, "0 1", true},
      {-360, {40, 20}, "0 0", true},       {0, {40, 20}, "0 1", false},         {90, {0.5f, 0.25f}, "0 1", false},
      {200, {0.5f, -0.25f}, "1 0", false}, {-90, {-0.5f, -0.5f}, "0 0", false},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Sweep);
    TFixture F;
    const std::string Line = F.Draw([&](TSvgCanvas& C) { C.DrawArc({100, 50}, Case.Radius, 30, Case.Sweep, 1, Blue); });
    std::istringstream In(Line.substr(Line.find("d=\"M ") + 5, Line.find("\" stroke") - Line.find("d=\"M ") - 5));
    const auto At = [&](double Degrees) {
      const double Angle = Degrees * std::numbers::pi / 180;
      return std::pair{100 + Case.Radius.X * std::cos(Angle), 50 + Case.Radius.Y * std::sin(Angle)};
    };
    double X, Y;
    In >> X >> Y;
    EXPECT_NEAR(X, At(30).first, 1e-4);
    EXPECT_NEAR(Y, At(30).second, 1e-4);
    std::vector<std::pair<double, double>> Ends;
    std::string Command, Flags[2];
    for (double RX, RY, Rotation; In >> Command >> RX >> RY >> Rotation >> Flags[0] >> Flags[1] >> X >> Y;) {
      EXPECT_EQ(Command + " " + Num(RX) + " " + Num(RY), "A " + Num(Case.Radius.X) + " " + Num(Case.Radius.Y));
      EXPECT_EQ(Flags[0] + " " + Flags[1], Case.Flags);
      Ends.emplace_back(X, Y);
    }
    // A whole turn goes through the opposite point and back: the whole ellipse shows.
    const auto Expected = Case.Whole ? std::vector{At(Case.Sweep > 0 ? 210 : -150), At(30)}
                                     : std::vector{At(30 + static_cast<double>(Case.Sweep))};
    ASSERT_EQ(Ends.size(), Expected.size());
    for (std::size_t Index = 0; Index < Ends.size(); ++Index) {
      EXPECT_NEAR(Ends[Index].first, Expected[Index].first, 1e-4);
      EXPECT_NEAR(Ends[Index].second, Expected[Index].second, 1e-4);
    }
  }
}

}  // namespace
}  // namespace fsvg::test
