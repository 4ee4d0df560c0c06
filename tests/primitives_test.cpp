// Every drawing primitive: its exact element line, the rules that catch real faults
// (offset, radii, visibility, polygons, alpha, negative sizes), and the order of host
// call and recording.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <sstream>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

constexpr TAlphaColor Red = 0xFFFF0000;
constexpr TAlphaColor Green = 0xFF008000;
constexpr TAlphaColor Blue = 0xFF0000FF;
constexpr TAlphaColor Black = 0xFF000000;
const TBrush SolidRed(TBrushKind::Solid, Red);
const TBrush SolidGreen(TBrushKind::Solid, Green);
const TStrokeBrush BlackStroke2(TBrushKind::Solid, Black, 2);
const TStrokeBrush BlueStroke15(TBrushKind::Solid, Blue, 1.5f);
const TStrokeBrush GreenStroke2(TBrushKind::Solid, Green, 2);

using TDraw = std::function<void(TSvgCanvas&)>;

// A recording canvas over a host double and a counting stream; Body() is what the
// drawing calls wrote after the header.
struct TFixture {
  TRecordingCanvas Host{640, 480};
  TCountingStream Stream;
  TSvgCanvas Canvas{&Stream, &Host};

  std::string Body() const { return Stream.Text.substr(Header.size()); }
  std::string Draw(const TDraw& Call) {
    const std::size_t Before = Stream.Text.size();
    Call(Canvas);
    return Stream.Text.substr(Before);
  }
};

struct TGolden {
  const char* Name;
  TDraw Call;
  const char* Expected;
};

const TGolden GoldenLines[] = {
    {"Clear", [](TSvgCanvas& C) { C.Clear(Red); },
     "<rect x=\"0\" y=\"0\" width=\"640\" height=\"480\" fill=\"#FF0000\"/>\n"},
    {"ClearRect",
     [](TSvgCanvas& C) {
       C.ClearRect({1.5f, 2, 11.5f, 7}, 0x00000000);
     },
     "<rect x=\"1.5\" y=\"2\" width=\"10\" height=\"5\" fill=\"#000000\"/>\n"},
    {"FillRect",
     [](TSvgCanvas& C) {
       C.FillRect({10, 20, 110, 70}, 0, 0, AllCorners, 1, SolidRed);
     },
     "<rect x=\"10\" y=\"20\" width=\"100\" height=\"50\" opacity=\"1\" fill=\"#FF0000\"/>\n"},
    {"DrawRect rounded",
     [](TSvgCanvas& C) {
       C.DrawRect({0, 0, 50, 50}, 4, 4, AllCorners, 0.5f, BlackStroke2);
     },
     "<rect x=\"0\" y=\"0\" width=\"50\" height=\"50\" rx=\"4\" ry=\"4\" stroke-width=\"2\" stroke=\"#000000\" "
     "opacity=\"0.5\" fill=\"none\"/>\n"},
    {"DrawLine",
     [](TSvgCanvas& C) {
       C.DrawLine({0, 0}, {100, 50}, 1, BlueStroke15);
     },
     "<line x1=\"0\" y1=\"0\" x2=\"100\" y2=\"50\" stroke-width=\"1.5\" stroke=\"#0000FF\" opacity=\"1\"/>\n"},
    {"FillEllipse",
     [](TSvgCanvas& C) {
       C.FillEllipse({10, 20, 50, 40}, 1, SolidGreen);
     },
     "<ellipse cx=\"30\" cy=\"30\" rx=\"20\" ry=\"10\" opacity=\"1\" fill=\"#008000\"/>\n"},
    {"DrawEllipse",
     [](TSvgCanvas& C) {
       C.DrawEllipse({10, 20, 50, 40}, 0.25f, GreenStroke2);
     },
     "<ellipse cx=\"30\" cy=\"30\" rx=\"20\" ry=\"10\" stroke-width=\"2\" stroke=\"#008000\" opacity=\"0.25\" "
     "fill=\"none\"/>\n"},
    {"FillArc",
     [](TSvgCanvas& C) {
       C.FillArc({100, 50}, {10, 20}, 0, 90, 1, SolidGreen);
     },
     "<path d=\"M 110 50 A 10 20 0 0 1 100 70\" opacity=\"1\" fill=\"#008000\"/>\n"},
    {"DrawArc",
     [](TSvgCanvas& C) {
       C.DrawArc({100, 50}, {10, 20}, 0, 90, 1, GreenStroke2);
     },
     "<path d=\"M 110 50 A 10 20 0 0 1 100 70\" stroke-width=\"2\" stroke=\"#008000\" opacity=\"1\" "
     "fill=\"none\"/>\n"},
    {"DrawArc from 90",
     [](TSvgCanvas& C) {
       C.DrawArc({100, 50}, {10, 20}, 90, 90, 1, GreenStroke2);
     },
     "<path d=\"M 100 70 A 10 20 0 0 1 90 50\" stroke-width=\"2\" stroke=\"#008000\" opacity=\"1\" "
     "fill=\"none\"/>\n"},
    {"FillPolygon",
     [](TSvgCanvas& C) {
       C.SetFill(SolidRed);
       C.FillPolygon({{10, 20}, {30, 40}, {50, 60}}, 1);
     },
     "<polygon points=\"10,20 30,40 50,60\" opacity=\"1\" fill=\"#FF0000\"/>\n"},
    {"DrawPolygon",
     [](TSvgCanvas& C) {
       C.GetStroke() = TStrokeBrush(TBrushKind::Solid, Blue, 2);
       C.DrawPolygon({{10, 20}, {30, 40}, {50, 60}}, 0.5f);
     },
     "<polyline points=\"10,20 30,40 50,60 10,20\" stroke-width=\"2\" stroke=\"#0000FF\" opacity=\"0.5\" "
     "fill=\"none\"/>\n"},
    {"FillText",
     [](TSvgCanvas& C) {
       C.GetFont() = TFont(u"serif", 12);
       C.SetFill(TBrush(TBrushKind::Solid, Black));
       C.FillText({10, 20, 110, 40}, u"Hello", false, 1, {}, TTextAlign::Leading, TTextAlign::Leading);
     },
     "<text x=\"10\" y=\"40\" font-family=\"serif\" font-size=\"12\" opacity=\"1\" fill=\"#000000\">Hello</text>\n"},
};

TEST(Primitives, EachWritesItsExactLine) {
  for (const TGolden& Case : GoldenLines) {
    TFixture F;
    EXPECT_EQ(F.Draw(Case.Call), Case.Expected) << Case.Name;
  }
}

TEST(Primitives, PositionsCarryTheOffsetButArcsAndClearDoNot) {
  const struct {
    const char* Name;
    TPointF Offset;
    TDraw Call;
    const char* Expected;
  } Cases[] = {
      {"FillRect",
       {5, 5},
       [](TSvgCanvas& C) {
         C.FillRect({10, 20, 110, 70}, 0, 0, AllCorners, 1, SolidRed);
       },
       "<rect x=\"15\" y=\"25\" width=\"100\" height=\"50\" opacity=\"1\" fill=\"#FF0000\"/>\n"},
      {"FillEllipse",
       {5, -5},
       [](TSvgCanvas& C) {
         C.FillEllipse({10, 20, 50, 40}, 1, SolidGreen);
       },
       "<ellipse cx=\"35\" cy=\"25\" rx=\"20\" ry=\"10\" opacity=\"1\" fill=\"#008000\"/>\n"},
      {"DrawLine",
       {10, -5},
       [](TSvgCanvas& C) {
         C.DrawLine({0, 0}, {1, 1}, 1, BlueStroke15);
       },
       "<line x1=\"10\" y1=\"-5\" x2=\"11\" y2=\"-4\" stroke-width=\"1.5\" stroke=\"#0000FF\" opacity=\"1\"/>\n"},
      {"DrawPolygon closes with the shifted first point",
       {5, -5},
       [](TSvgCanvas& C) {
         C.GetStroke() = BlackStroke2;
         C.DrawPolygon({{0, 0}, {10, 0}}, 1);
       },
       "<polyline points=\"5,-5 15,-5 5,-5\" stroke-width=\"2\" stroke=\"#000000\" opacity=\"1\" fill=\"none\"/>\n"},
      {"FillText",
       {0.5f, 0.25f},
       [](TSvgCanvas& C) {
         C.FillText({10, 20, 110, 40}, u"", false, 0, {}, TTextAlign::Trailing, TTextAlign::Center);
       },
       "<text x=\"10.5\" y=\"40.25\" font-family=\"sans-serif\" font-size=\"12\" opacity=\"0\" "
       "fill=\"#000000\"></text>\n"},
      {"FillArc",
       {5, 5},
       [](TSvgCanvas& C) {
         C.FillArc({100, 50}, {10, 20}, 0, 90, 1, SolidGreen);
       },
       "<path d=\"M 110 50 A 10 20 0 0 1 100 70\" opacity=\"1\" fill=\"#008000\"/>\n"},
      {"Clear",
       {7, 7},
       [](TSvgCanvas& C) { C.Clear(0x00000000); },
       "<rect x=\"0\" y=\"0\" width=\"640\" height=\"480\" fill=\"#000000\"/>\n"},
  };
  for (const auto& Case : Cases) {
    TFixture F;
    F.Canvas.SetOffset(Case.Offset);
    EXPECT_EQ(F.Draw(Case.Call), Case.Expected) << Case.Name;
  }
}

TEST(Primitives, EachElementUsesTheOffsetInForceWhenItWasDrawn) {
  // A stream that moves the host's offset on every write it takes: an element is built
  // whole before it reaches the stream, so each line has one offset throughout.
  TRecordingCanvas Host;
  struct TDriftStream : TCountingStream {
    TCanvas* Host = nullptr;
    float Step = 0;
    void WriteBuffer(const void* Buffer, std::size_t Count) override {
      TCountingStream::WriteBuffer(Buffer, Count);
      if (Host != nullptr) Host->SetOffset({++Step, 0});
    }
  } Stream;
  TSvgCanvas Canvas(&Stream, &Host);
  Stream.Text.clear();
  Stream.Calls = 0;
  Stream.Host = &Host;
  Canvas.DrawLine({0, 0}, {10, 0}, 1, BlueStroke15);
  Canvas.DrawLine({0, 0}, {10, 0}, 1, BlueStroke15);
  EXPECT_EQ(Stream.Calls, 2u);
  const std::string Second = Stream.Text.substr(Stream.Text.find('\n') + 1);
  EXPECT_EQ(Stream.Text.substr(0, 34), "<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"0\"");
  EXPECT_EQ(Second.substr(0, 34), "<line x1=\"1\" y1=\"0\" x2=\"11\" y2=\"0\"");
}

TEST(Primitives, RadiusRule) {
  const TCorners TopLeftOnly{TCorner::TopLeft};
  const struct {
    float XRadius, YRadius;
    TCorners Corners;
    const char* Radii;  // what stands between height and opacity
  } Cases[] = {
      {3, 0, {}, " rx=\"3\" ry=\"0\""},           // x non-zero: always written
      {3, 5, AllCorners, " rx=\"3\" ry=\"5\""},   //
      {0, 3, TopLeftOnly, " rx=\"0\" ry=\"3\""},  // y alone needs a corner
      {0, 3, {}, ""},                             //
      {0, 0, AllCorners, ""},                     //
      {-0.0f, 0, AllCorners, ""},                 // -0 counts as zero
      {1e-13f, 0, AllCorners, ""},                // so does anything within the tolerance
      {-3, 0, {}, " rx=\"-3\" ry=\"0\""},         // negative radii are written as they are
  };
  for (const auto& Case : Cases) {
    TFixture F;
    const std::string Fill = F.Draw([&](TSvgCanvas& C) {
      C.FillRect({0, 0, 10, 10}, Case.XRadius, Case.YRadius, Case.Corners, 1);
    });
    EXPECT_EQ(Fill, std::string("<rect x=\"0\" y=\"0\" width=\"10\" height=\"10\"") + Case.Radii +
                        " opacity=\"1\" fill=\"#000000\"/>\n")
        << Case.XRadius << " " << Case.YRadius;
    const std::string Draw = F.Draw([&](TSvgCanvas& C) {
      C.DrawRect({0, 0, 10, 10}, Case.XRadius, Case.YRadius, Case.Corners, 1);
    });
    EXPECT_NE(Draw.find(std::string("height=\"10\"") + Case.Radii + " stroke-width"), std::string::npos) << Draw;
  }
}

TEST(Primitives, InvisiblePaintIsPaintedButNotRecorded) {
  const TBrush NoFill(TBrushKind::None, Red);
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  const TStrokeBrush Invisible[] = {{TBrushKind::None, Black, 5},
                                    {TBrushKind::Solid, Black, 0},
                                    {TBrushKind::Solid, Black, -1},
                                    {TBrushKind::Solid, Black, NaN},
                                    {TBrushKind::Solid, Black, -0.0f}};
  const TPolygon Triangle{{0, 0}, {1, 0}, {0, 1}};

  std::vector<TDraw> Calls = {
      [&](TSvgCanvas& C) {
        C.FillRect({0, 0, 1, 1}, 0, 0, AllCorners, 1, NoFill);
      },
      [&](TSvgCanvas& C) {
        C.FillEllipse({0, 0, 1, 1}, 1, NoFill);
      },
      [&](TSvgCanvas& C) {
        C.FillArc({0, 0}, {1, 1}, 0, 90, 1, NoFill);
      },
      [&](TSvgCanvas& C) {
        C.SetFill(NoFill);
        C.FillPolygon(Triangle, 1);
      },
      [&](TSvgCanvas& C) {
        C.SetFill(NoFill);
        C.FillRect({0, 0, 1, 1}, 0, 0, AllCorners, 1);
      },
  };
  for (const TStrokeBrush& Stroke : Invisible) {
    Calls.push_back([&](TSvgCanvas& C) { C.DrawRect({0, 0, 1, 1}, 0, 0, AllCorners, 1, Stroke); });
    Calls.push_back([&](TSvgCanvas& C) { C.DrawLine({0, 0}, {1, 1}, 1, Stroke); });
    Calls.push_back([&](TSvgCanvas& C) { C.DrawEllipse({0, 0, 1, 1}, 1, Stroke); });
    Calls.push_back([&](TSvgCanvas& C) { C.DrawArc({0, 0}, {1, 1}, 0, 90, 1, Stroke); });
    Calls.push_back([&](TSvgCanvas& C) {
      C.GetStroke() = Stroke;
      C.DrawPolygon(Triangle, 1);
      C.DrawLine({0, 0}, {1, 1}, 1);
    });
  }
  for (std::size_t Index = 0; Index < Calls.size(); ++Index) {
    TFixture F;
    EXPECT_EQ(F.Draw(Calls[Index]), "") << "call " << Index;
    EXPECT_FALSE(F.Host.Calls.empty()) << "call " << Index;
  }
}

TEST(Primitives, VisibilityIgnoresColourAlphaOpacityAndKind) {
  TFixture F;
  // A transparent colour, opacity 0 and a gradient all still record; alpha is dropped.
  EXPECT_EQ(F.Draw([](TSvgCanvas& C) {
    C.FillEllipse({0, 0, 2, 2}, 0, TBrush(TBrushKind::Solid, 0x00123456));
  }),
            "<ellipse cx=\"1\" cy=\"1\" rx=\"1\" ry=\"1\" opacity=\"0\" fill=\"#123456\"/>\n");
  EXPECT_EQ(F.Draw([](TSvgCanvas& C) {
    C.FillRect({0, 0, 1, 1}, 0, 0, AllCorners, 2.5f, TBrush(TBrushKind::Gradient, 0x80ABCDEF));
  }),
            "<rect x=\"0\" y=\"0\" width=\"1\" height=\"1\" opacity=\"2.5\" fill=\"#ABCDEF\"/>\n");
  // Text is recorded whatever its fill.
  F.Canvas.SetFill(TBrush(TBrushKind::None, 0x00FF00FF));
  EXPECT_NE(F.Draw([](TSvgCanvas& C) { C.FillText({0, 0, 1, 1}, u"x", false, 1, {}, TTextAlign::Center); }), "");
}

TEST(Primitives, NegativeSizesAreWrittenUnchanged) {
  TFixture F;
  EXPECT_EQ(F.Draw([](TSvgCanvas& C) {
    C.FillEllipse({50, 0, 10, 0}, 1, SolidRed);
  }),
            "<ellipse cx=\"30\" cy=\"0\" rx=\"-20\" ry=\"0\" opacity=\"1\" fill=\"#FF0000\"/>\n");
  EXPECT_EQ(F.Draw([](TSvgCanvas& C) {
    C.ClearRect({10, 10, 0, 5}, Red);
  }),
            "<rect x=\"10\" y=\"10\" width=\"-10\" height=\"-5\" fill=\"#FF0000\"/>\n");
  EXPECT_EQ(F.Draw([](TSvgCanvas& C) {
    C.FillArc({100, 50}, {-10, 20}, 0, 90, 1, SolidGreen);
  }),
            "<path d=\"M 90 50 A -10 20 0 0 0 100 70\" opacity=\"1\" fill=\"#008000\"/>\n");
}

TEST(Primitives, PolygonsOfFewerThanTwoPointsAreNotRecorded) {
  TFixture F;
  F.Canvas.GetStroke() = BlackStroke2;
  EXPECT_EQ(F.Draw([](TSvgCanvas& C) {
    C.FillPolygon({}, 1);
    C.DrawPolygon({}, 1);
    C.FillPolygon({{1, 1}}, 1);
    C.DrawPolygon({{1, 1}}, 1);
  }),
            "");
  EXPECT_EQ(F.Host.Calls.size(), 4u);
  EXPECT_EQ(F.Draw([](TSvgCanvas& C) {
    C.FillPolygon({{1, 2}, {1, 2}}, 1);
  }),
            "<polygon points=\"1,2 1,2\" opacity=\"1\" fill=\"#000000\"/>\n");
  EXPECT_EQ(F.Draw([](TSvgCanvas& C) {
    C.DrawPolygon({{1, 2}, {3, 4}, {1, 2}}, 1);
  }),
            "<polyline points=\"1,2 3,4 1,2 1,2\" stroke-width=\"2\" stroke=\"#000000\" opacity=\"1\" "
            "fill=\"none\"/>\n");
}

TEST(Primitives, BrushLessOverloadsTakeTheHostsCurrentPaint) {
  TFixture F;
  F.Host.SetFill(TBrush(TBrushKind::Solid, 0xFF102030));
  F.Host.SetStroke(TStrokeBrush(TBrushKind::Solid, 0xFF405060, 3));
  const std::string Out = F.Draw([](TSvgCanvas& C) {
    C.FillRect({0, 0, 1, 1}, 0, 0, AllCorners, 1);
    C.DrawRect({0, 0, 1, 1}, 0, 0, AllCorners, 1);
    C.DrawLine({0, 0}, {1, 1}, 1);
    C.FillEllipse({0, 0, 1, 1}, 1);
    C.DrawEllipse({0, 0, 1, 1}, 1);
    C.FillArc({0, 0}, {1, 1}, 0, 90, 1);
    C.DrawArc({0, 0}, {1, 1}, 0, 90, 1);
  });
  std::istringstream Lines(Out);
  std::string Line;
  int Count = 0;
  while (std::getline(Lines, Line)) {
    ++Count;
    const bool Outline = Line.find("stroke=") != std::string::npos;
    EXPECT_NE(Line.find(Outline ? "stroke-width=\"3\" stroke=\"#405060\"" : "fill=\"#102030\""), std::string::npos)
        << Line;
  }
  EXPECT_EQ(Count, 7);
  // Each reached the host once, with the host's paint.
  ASSERT_EQ(F.Host.Calls.size(), 7u);
  EXPECT_NE(F.Host.Calls[0].find("brush:1:4279246896"), std::string::npos);
}

TEST(Primitives, HostIsCalledFirstOnceWithTheCallersValues) {
  const TBrush Brush(TBrushKind::Gradient, 0x11223344);
  const TStrokeBrush Stroke(TBrushKind::Solid, 0x55667788, 2.5f);
  const TRectF R{1.25f, 2.5f, 3.75f, 5};
  const struct {
    TDraw Call;
    const char* Expected;
  } Cases[] = {
      {[](TSvgCanvas& C) { C.Clear(7); }, "Clear(7)"},
      {[&](TSvgCanvas& C) { C.ClearRect(R, 9); }, "ClearRect([1.25,2.5,3.75,5],9)"},
      {[&](TSvgCanvas& C) { C.FillRect(R, 1, 2, {TCorner::BottomRight}, 0.5f, Brush, TCornerType::Bevel); },
       "FillRect([1.25,2.5,3.75,5],1,2,0001,0.5,brush:2:287454020,1)"},
      {[&](TSvgCanvas& C) { C.DrawRect(R, 1, 2, {}, 0.5f, Stroke, TCornerType::InnerLine); },
       "DrawRect([1.25,2.5,3.75,5],1,2,0000,0.5,brush:1:1432778632:2.5,3)"},
      {[&](TSvgCanvas& C) {
         C.DrawLine({1, 2}, {3, 4}, 0.75f, Stroke);
       },
       "DrawLine((1,2),(3,4),0.75,brush:1:1432778632:2.5)"},
      {[&](TSvgCanvas& C) { C.FillEllipse(R, 0.5f, Brush); }, "FillEllipse([1.25,2.5,3.75,5],0.5,brush:2:287454020)"},
      {[&](TSvgCanvas& C) { C.DrawEllipse(R, 0.5f, Stroke); },
       "DrawEllipse([1.25,2.5,3.75,5],0.5,brush:1:1432778632:2.5)"},
      {[&](TSvgCanvas& C) {
         C.FillArc({1, 2}, {3, 4}, 30, -60, 0.5f, Brush);
       },
       "FillArc((1,2),(3,4),30,-60,0.5,brush:2:287454020)"},
      {[&](TSvgCanvas& C) {
         C.DrawArc({1, 2}, {3, 4}, 30, 400, 0.5f, Stroke);
       },
       "DrawArc((1,2),(3,4),30,400,0.5,brush:1:1432778632:2.5)"},
      {[](TSvgCanvas& C) {
         C.FillPolygon({{1, 2}, {3, 4}}, 0.5f);
       },
       "FillPolygon((1,2)(3,4),0.5)"},
      {[](TSvgCanvas& C) {
         C.DrawPolygon({{1, 2}}, 0.5f);
       },
       "DrawPolygon((1,2),0.5)"},
      {[&](TSvgCanvas& C) {
         C.FillText(R, u"\u00E9t\u00E9", true, 0.5f, {TFillTextFlag::RightToLeft}, TTextAlign::Trailing,
                    TTextAlign::Leading);
       },
       "FillText([1.25,2.5,3.75,5],\xC3\xA9t\xC3\xA9,1,0.5,1,2,1)"},
  };
  for (const auto& Case : Cases) {
    TFixture F;
    std::size_t WrittenAtHostCall = 0;
    F.Host.OnCall = [&] { WrittenAtHostCall = F.Stream.Text.size(); };
    const std::size_t Before = F.Stream.Text.size();
    Case.Call(F.Canvas);
    ASSERT_EQ(F.Host.Calls.size(), 1u) << Case.Expected;
    EXPECT_EQ(F.Host.Calls[0], Case.Expected);
    EXPECT_EQ(WrittenAtHostCall, Before) << Case.Expected << ": something was written before the host call";

    // A host that throws leaves the document untouched.
    TFixture Failing;
    Failing.Host.Throw = true;
    EXPECT_THROW(Case.Call(Failing.Canvas), std::runtime_error);
    EXPECT_EQ(Failing.Stream.Text, Header) << Case.Expected;
  }
}

TEST(Primitives, TextAndFamilyAreEscapedForXml) {
  TFixture F;
  F.Canvas.GetFont().Family = u"Foo & \"Bar\" <x>";
  std::u16string Hostile = u"&a<b & \"c\" ]]> -- \u0003\t\n\r";
  Hostile += char16_t(0xD800);
  Hostile += u"\uFFFE\uFFFF\U0001F600&&";
  const std::string Out = F.Draw([&](TSvgCanvas& C) {
    C.FillText({0, 0, 10, 10}, Hostile, false, 1, {}, TTextAlign::Center);
  });
  EXPECT_EQ(Out,
            "<text x=\"0\" y=\"10\" font-family=\"Foo &amp; &quot;Bar&quot; &lt;x&gt;\" font-size=\"12\" "
            "opacity=\"1\" fill=\"#000000\">&amp;a&lt;b &amp; &quot;c&quot; ]]&gt; -- \xEF\xBF\xBD\t\n\r"
            "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xF0\x9F\x98\x80&amp;&amp;</text>\n");
}

// Short texts are encoded in one pass into a stack buffer, long ones measured first
// into a block of their own: both give the same bytes, at every length around the
// switch.
TEST(Primitives, TheLongestTextsAndPolygonsAreWrittenWhole) {
  // A quote takes the most room of any unit, six bytes; and no number is longer than
  // the largest single's. Lengths around where a line leaves the stack for the heap,
  // and where the text's room is counted exactly.
  for (const std::size_t Length : {1u, 200u, 213u, 214u, 1024u, 1025u, 5000u}) {
    TFixture F;
    const std::string Out = F.Draw([&](TSvgCanvas& C) {
      C.GetFont().Family = std::u16string(Length, u'"');
      C.FillText({-3.4e38f, -3.4e38f, 1, -3.4e38f}, std::u16string(Length, u'"'), false, -3.4e38f, {},
                 TTextAlign::Leading);
    });
    std::string Quotes;
    for (std::size_t Index = 0; Index < Length; ++Index) Quotes += "&quot;";
    EXPECT_EQ(Out, "<text x=\"-3.39999995214E38\" y=\"-3.39999995214E38\" font-family=\"" + Quotes +
                       "\" font-size=\"12\" opacity=\"-3.39999995214E38\" fill=\"#000000\">" + Quotes + "</text>\n")
        << Length;
  }
  for (const std::size_t Points : {2u, 15u, 16u, 1000u}) {
    const TPolygon Polygon(Points, TPointF{-3.4e38f, -3.4e38f});
    std::string List;
    for (std::size_t Index = 0; Index < Points; ++Index) List += "-3.39999995214E38,-3.39999995214E38 ";
    TFixture F;
    const std::string Out = F.Draw([&](TSvgCanvas& C) {
      C.SetFill(SolidRed);
      C.FillPolygon(Polygon, 1);
      C.DrawPolygon(Polygon, 1);
    });
    EXPECT_EQ(Out, "<polygon points=\"" + List.substr(0, List.size() - 1) + "\" opacity=\"1\" fill=\"#FF0000\"/>\n" +
                       "<polyline points=\"" + List + "-3.39999995214E38,-3.39999995214E38\" stroke-width=\"1\"" +
                       " stroke=\"#000000\" opacity=\"1\" fill=\"none\"/>\n")
        << Points;
  }
}

// The path data of an arc, split into its numbers and flags.
struct TArcPath {
  double X1, Y1;
  struct TSegment {
    double RX, RY;
    int Rotation, Large, Sweep;
    double X, Y;
  };
  std::vector<TSegment> Segments;
};

TArcPath ParseArc(const std::string& Line) {
  const std::size_t Start = Line.find("d=\"M ") + 5;
  std::istringstream In(Line.substr(Start, Line.find('"', Start) - Start));
  TArcPath Path{};
  In >> Path.X1 >> Path.Y1;
  std::string Command;
  while (In >> Command) {
    EXPECT_EQ(Command, "A");
    TArcPath::TSegment Segment{};
    In >> Segment.RX >> Segment.RY >> Segment.Rotation >> Segment.Large >> Segment.Sweep >> Segment.X >> Segment.Y;
    Path.Segments.push_back(Segment);
  }
  return Path;
}

TEST(Primitives, ArcEndPointsAndFlagsFollowTheSweep) {
  const double CX = 100, CY = 50, RX = 40, RY = 20, StartDeg = 30;
  const auto At = [&](double Degrees) {
    const double A = Degrees * std::numbers::pi / 180;
    return std::pair{CX + RX * std::cos(A), CY + RY * std::sin(A)};
  };
  const struct {
    float Sweep;
    int Large, SweepFlag;
    bool Whole;
  } Cases[] = {{45, 0, 1, false},  {-45, 0, 0, false}, {90, 0, 1, false},   {-90, 0, 0, false},
               {180, 0, 1, false}, {270, 1, 1, false}, {-270, 1, 0, false}, {360, 0, 1, true},
               {720, 0, 1, true},  {-360, 0, 0, true}, {0, 0, 1, false}};
  for (const auto& Case : Cases) {
    TFixture F;
    const TArcPath Path = ParseArc(F.Draw([&](TSvgCanvas& C) {
      C.DrawArc({100, 50}, {40, 20}, static_cast<float>(StartDeg), Case.Sweep, 1, BlackStroke2);
    }));
    const auto [SX, SY] = At(StartDeg);
    EXPECT_NEAR(Path.X1, SX, 1e-4) << Case.Sweep;
    EXPECT_NEAR(Path.Y1, SY, 1e-4) << Case.Sweep;
    ASSERT_EQ(Path.Segments.size(), Case.Whole ? 2u : 1u) << Case.Sweep;
    for (const auto& Segment : Path.Segments) {
      EXPECT_EQ(Segment.RX, RX);
      EXPECT_EQ(Segment.RY, RY);
      EXPECT_EQ(Segment.Large, Case.Large) << Case.Sweep;
      EXPECT_EQ(Segment.Sweep, Case.SweepFlag) << Case.Sweep;
    }
    if (Case.Whole) {
      // Through the opposite point and back to the start: the whole ellipse shows.
      const auto [OX, OY] = At(StartDeg + 180);
      EXPECT_NEAR(Path.Segments[0].X, OX, 1e-4);
      EXPECT_NEAR(Path.Segments[0].Y, OY, 1e-4);
      EXPECT_EQ(Path.Segments[1].X, Path.X1);
      EXPECT_EQ(Path.Segments[1].Y, Path.Y1);
    } else {
      const auto [EX, EY] = At(StartDeg + Case.Sweep);
      EXPECT_NEAR(Path.Segments[0].X, EX, 1e-4) << Case.Sweep;
      EXPECT_NEAR(Path.Segments[0].Y, EY, 1e-4) << Case.Sweep;
    }
  }
}

}  // namespace
}  // namespace fsvg::test
