// The opt-in additions of TSvgOptions: for each switch, the exact lines it writes on a
// few cases, and the plain recording when it is off.
#include <gtest/gtest.h>

#include "fsvg/fsvgcanvas.h"

namespace fsvg {
namespace {

constexpr std::string_view Root = "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";

// A null host that lays every text of four or more units out as two lines of three.
class TLayingCanvas : public TNullCanvas {
 public:
  using TNullCanvas::TNullCanvas;

 protected:
  void DoMeasureLines(TLineMetricInfo& ALines, const TRectF&, std::u16string_view AText, bool, TFillTextFlags,
                      TTextAlign, TTextAlign) override {
    ALines.Metrics.clear();
    if (AText.size() >= 4) ALines.Metrics = {{0, 3, {10, -10, 30, 0}}, {4, 3, {40, 5, 60, 15}}};
  }
};

// The document Draw records under Options, from the root's opening tag to the footer,
// over a 640 x 480 laying host with an offset and a matrix that only their own switches
// record.
std::string Recorded(const TSvgOptions& Options, void (*Draw)(TSvgCanvas&)) {
  TLayingCanvas Host(640, 480);
  Host.SetOffset({15, -5});
  Host.SetMatrix({0, 1, 0, -1, 0, 0, 10, 20.5f, 1});
  TMemoryStream Stream;
  {
    TSvgCanvas Canvas(&Stream, &Host, Options);
    Draw(Canvas);
  }
  const std::string_view Text = Stream.View();
  return std::string(Text.substr(Text.find("<svg")));
}

TSvgOptions With(bool TSvgOptions::*Switch) {
  TSvgOptions Options;
  Options.*Switch = true;
  return Options;
}

const TBrush Red(TBrushKind::Solid, 0xFFFF0000);
const TStrokeBrush Pen(TBrushKind::Solid, 0x800000FF, 2);

TEST(Options, EachSwitchWritesItsAttributesAndNothingElse) {
  const struct {
    const char* Name;
    TSvgOptions Options;
    void (*Draw)(TSvgCanvas&);
    std::string Expected;  // after the root's opening tag
  } Cases[] = {
      {"no switch",
       {},
       [](TSvgCanvas& C) {
         C.DrawLine({0, 0}, {1, 1}, 1, Pen);
         C.FillArc({100, 50}, {10, 20}, 0, 90, 1, TBrush(TBrushKind::Solid, 0x80FF0000));
       },
       ">\n<line x1=\"15\" y1=\"-5\" x2=\"16\" y2=\"-4\" stroke-width=\"2\" stroke=\"#0000FF\" opacity=\"1\"/>\n"
       "<path d=\"M 110 50 A 10 20 0 0 1 100 70\" opacity=\"1\" fill=\"#FF0000\"/>\n</svg>"},
      {"document size", With(&TSvgOptions::DocumentSize), [](TSvgCanvas&) {},
       " width=\"640\" height=\"480\" viewBox=\"0 0 640 480\">\n</svg>"},
      {"title and description, escaped",
       [] {
         TSvgOptions Options;
         Options.Title = u"Sales & \"costs\"";
         Options.Description = u"<2024>";
         return Options;
       }(),
       [](TSvgCanvas&) {}, ">\n<title>Sales &amp; &quot;costs&quot;</title>\n<desc>&lt;2024&gt;</desc>\n</svg>"},
      {"transform on all but Clear", With(&TSvgOptions::Transforms),
       [](TSvgCanvas& C) {
         C.Clear(0xFFFFFFFF);
         C.DrawLine({0, 0}, {1, 1}, 1, Pen);
       },
       ">\n<rect x=\"0\" y=\"0\" width=\"640\" height=\"480\" fill=\"#FFFFFF\"/>\n"
       "<line x1=\"15\" y1=\"-5\" x2=\"16\" y2=\"-4\" transform=\"matrix(0 1 -1 0 10 20.5)\" stroke-width=\"2\" "
       "stroke=\"#0000FF\" opacity=\"1\"/>\n</svg>"},
      {"arc offset", With(&TSvgOptions::ArcOffset),
       [](TSvgCanvas& C) {
         C.FillArc({100, 50}, {10, 20}, 0, 90, 1, Red);
       },
       ">\n<path d=\"M 125 45 A 10 20 0 0 1 115 65\" opacity=\"1\" fill=\"#FF0000\"/>\n</svg>"},
      {"colour alpha", With(&TSvgOptions::ColorAlpha),
       [](TSvgCanvas& C) {
         C.Clear(0);
         C.DrawEllipse({0, 0, 2, 2}, 1, Pen);
         C.FillEllipse({0, 0, 2, 2}, 0.5f, Red);
       },
       ">\n<rect x=\"0\" y=\"0\" width=\"640\" height=\"480\" fill=\"#000000\" fill-opacity=\"0\"/>\n"
       "<ellipse cx=\"16\" cy=\"-4\" rx=\"1\" ry=\"1\" stroke-width=\"2\" stroke=\"#0000FF\" stroke-opacity=\"0.502\" "
       "opacity=\"1\" fill=\"none\"/>\n"
       "<ellipse cx=\"16\" cy=\"-4\" rx=\"1\" ry=\"1\" opacity=\"0.5\" fill=\"#FF0000\"/>\n</svg>"},
      {"corner shapes", With(&TSvgOptions::CornerShapes),
       [](TSvgCanvas& C) {
         C.FillRect({0, 0, 20, 10}, 4, 4, {TCorner::TopLeft}, 1, Red, TCornerType::Bevel);
         C.FillRect({0, 0, 20, 10}, 3, 0, {}, 1, Red);
       },
       ">\n<path d=\"M 15 -1 L 19 -5 L 35 -5 L 35 5 L 15 5 Z\" opacity=\"1\" fill=\"#FF0000\"/>\n"
       "<rect x=\"15\" y=\"-5\" width=\"20\" height=\"10\" opacity=\"1\" fill=\"#FF0000\"/>\n</svg>"},
      {"stroke style", With(&TSvgOptions::StrokeStyle),
       [](TSvgCanvas& C) {
         TStrokeBrush Styled = Pen;
         Styled.Dash = TStrokeDash::DashDot;
         Styled.Cap = TStrokeCap::Round;
         Styled.Join = TStrokeJoin::Bevel;
         C.DrawLine({0, 0}, {1, 1}, 1, Styled);
         C.DrawPolygon({{0, 0}, {5, 0}, {0, 5}}, 1);
       },
       ">\n<line x1=\"15\" y1=\"-5\" x2=\"16\" y2=\"-4\" stroke-width=\"2\" stroke=\"#0000FF\" "
       "stroke-dasharray=\"6,2,2,2\" stroke-linecap=\"round\" stroke-linejoin=\"bevel\" opacity=\"1\"/>\n"
       "<polygon points=\"15,-5 20,-5 15,0\" stroke-width=\"1\" stroke=\"#000000\" opacity=\"1\" fill=\"none\"/>\n"
       "</svg>"},
      {"text layout: the host's lines on its baselines, or the plain placing when it lays out none",
       With(&TSvgOptions::TextLayout),
       [](TSvgCanvas& C) {
         C.FillText({0, 0, 100, 40}, u"<o>&two", true, 1, {TFillTextFlag::RightToLeft}, TTextAlign::Leading);
         C.FillText({0, 0, 100, 40}, u"a", false, 1, {}, TTextAlign::Leading);
       },
       ">\n<text font-family=\"sans-serif\" font-size=\"12\" opacity=\"1\" fill=\"#000000\" "
       "xml:space=\"preserve\"><tspan x=\"25\" y=\"-5.4\">&lt;o&gt;</tspan><tspan x=\"55\" y=\"9.6\">two</tspan>"
       "</text>\n"
       "<text x=\"15\" y=\"35\" font-family=\"sans-serif\" font-size=\"12\" opacity=\"1\" fill=\"#000000\">a</text>\n"
       "</svg>"},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    EXPECT_EQ(Recorded(Case.Options, Case.Draw), std::string(Root) + Case.Expected);
  }
}

}  // namespace
}  // namespace fsvg
