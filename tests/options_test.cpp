// The opt-in additions of TSvgOptions: one drawing recorded under each switch must give
// the plain recording with only that switch's lines changed.
#include <gtest/gtest.h>

#include "fsvg/fsvgcanvas.h"

namespace fsvg {
namespace {

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

// Options with Switch on (if any), and Title and Description.
TSvgOptions With(bool TSvgOptions::*Switch, std::u16string Title = u"", std::u16string Description = u"") {
  TSvgOptions Options;
  if (Switch) Options.*Switch = true;
  Options.Title = std::move(Title);
  Options.Description = std::move(Description);
  return Options;
}

// The document recorded under Options from the root on, over a 640 x 480
// laying host with an offset and a matrix that only their own switches record.
std::string Recorded(const TSvgOptions& Options) {
  TLayingCanvas Host(640, 480);
  Host.SetOffset({15, -5});
  TMemoryStream Stream;
  {
    TSvgCanvas C(&Stream, &Host, Options);
    TStrokeBrush Pen(TBrushKind::Solid, 0x800000FF, 2);
    Pen.Dash = TStrokeDash::DashDot;
    Pen.Cap = TStrokeCap::Round;
    Pen.Join = TStrokeJoin::Bevel;
    const TBrush Red(TBrushKind::Solid, 0xFFFF0000);
    Host.SetMatrix({0, 1, 0, -1, 0, 0, 10, 20.5f, 1});
    C.Clear(0);
    C.DrawLine({0, 0}, {1, 1}, 1, Pen);
    Host.SetMatrix({});
    C.FillArc({100, 50}, {10, 20}, 0, 90, 1, TBrush(TBrushKind::Solid, 0x80FF0000));
    C.DrawEllipse({0, 0, 2, 2}, 1, Pen);
    C.FillRect({0, 0, 20, 10}, 4, 4, {TCorner::TopLeft}, 1, Red, TCornerType::Bevel);
    C.FillRect({0, 0, 20, 10}, 3, 0, {}, 0.5f, Red);
    C.DrawPolygon({{0, 0}, {5, 0}, {0, 5}}, 1);
    C.FillText({0, 0, 100, 40}, u"<o>&two", true, 1, {TFillTextFlag::RightToLeft}, TTextAlign::Leading);
    C.FillText({0, 0, 100, 40}, u"a", false, 1, {}, TTextAlign::Leading);
  }
  return std::string(Stream.View().substr(Stream.View().find("<svg")));
}

const std::string Root = "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
const std::string LineStart = "<line x1=\"15\" y1=\"-5\" x2=\"16\" y2=\"-4\" ";
const std::string Styled = "stroke-dasharray=\"6,2,2,2\" stroke-linecap=\"round\" stroke-linejoin=\"bevel\" ";
const std::string Ellipse = "<ellipse cx=\"16\" cy=\"-4\" rx=\"1\" ry=\"1\" stroke-width=\"2\" stroke=\"#0000FF\" ";

TEST(Options, EachSwitchChangesOnlyItsOwnLines) {
  const std::vector<std::string> Plain = {
      Root + ">",
      "<rect x=\"0\" y=\"0\" width=\"640\" height=\"480\" fill=\"#000000\"/>",
      LineStart + "stroke-width=\"2\" stroke=\"#0000FF\" opacity=\"1\"/>",
      "<path d=\"M 110 50 A 10 20 0 0 1 100 70\" opacity=\"1\" fill=\"#FF0000\"/>",
      Ellipse + "opacity=\"1\" fill=\"none\"/>",
      "<rect x=\"15\" y=\"-5\" width=\"20\" height=\"10\" rx=\"4\" ry=\"4\" opacity=\"1\" fill=\"#FF0000\"/>",
      "<rect x=\"15\" y=\"-5\" width=\"20\" height=\"10\" rx=\"3\" ry=\"0\" opacity=\"0.5\" fill=\"#FF0000\"/>",
      "<polyline points=\"15,-5 20,-5 15,0 15,-5\" stroke-width=\"1\" stroke=\"#000000\" opacity=\"1\" fill=\"none\"/>",
      "<text x=\"15\" y=\"35\" font-family=\"sans-serif\" font-size=\"12\" opacity=\"1\" "
      "fill=\"#000000\">&lt;o&gt;&amp;two"
      "</text>",
      "<text x=\"15\" y=\"35\" font-family=\"sans-serif\" font-size=\"12\" opacity=\"1\" fill=\"#000000\">a</text>",
      "</svg>"};
  const struct {
    const char* Name;
    TSvgOptions Options;
    std::vector<std::pair<int, std::string>> Changes;  // line index, its text under the switch
  } Cases[] = {
      {"no switch", {}, {}},
      {"document size",
       With(&TSvgOptions::DocumentSize),
       {{0, Root + " width=\"640\" height=\"480\" viewBox=\"0 0 640 480\">"}}},
      {"title and description, escaped",
       With(nullptr, u"Sales & \"costs\"", u"<2024>"),
       {{0, Root + ">\n<title>Sales &amp; &quot;costs&quot;</title>\n<desc>&lt;2024&gt;</desc>"}}},
      {"transforms",
       With(&TSvgOptions::Transforms),
       {{2,
         LineStart + "transform=\"matrix(0 1 -1 0 10 20.5)\" stroke-width=\"2\" stroke=\"#0000FF\" opacity=\"1\"/>"}}},
      {"arc offset",
       With(&TSvgOptions::ArcOffset),
       {{3, "<path d=\"M 125 45 A 10 20 0 0 1 115 65\" opacity=\"1\" fill=\"#FF0000\"/>"}}},
      {"colour alpha",
       With(&TSvgOptions::ColorAlpha),
       {{1, "<rect x=\"0\" y=\"0\" width=\"640\" height=\"480\" fill=\"#000000\" fill-opacity=\"0\"/>"},
        {2, LineStart + "stroke-width=\"2\" stroke=\"#0000FF\" stroke-opacity=\"0.502\" opacity=\"1\"/>"},
        {3, "<path d=\"M 110 50 A 10 20 0 0 1 100 70\" opacity=\"1\" fill=\"#FF0000\" fill-opacity=\"0.502\"/>"},
        {4, Ellipse + "stroke-opacity=\"0.502\" opacity=\"1\" fill=\"none\"/>"}}},
      {"corner shapes",
       With(&TSvgOptions::CornerShapes),
       {{5, "<path d=\"M 15 -1 L 19 -5 L 35 -5 L 35 5 L 15 5 Z\" opacity=\"1\" fill=\"#FF0000\"/>"},
        {6, "<rect x=\"15\" y=\"-5\" width=\"20\" height=\"10\" opacity=\"0.5\" fill=\"#FF0000\"/>"}}},
      {"stroke style",
       With(&TSvgOptions::StrokeStyle),
       {{2, LineStart + "stroke-width=\"2\" stroke=\"#0000FF\" " + Styled + "opacity=\"1\"/>"},
        {4, Ellipse + Styled + "opacity=\"1\" fill=\"none\"/>"},
        {7,
         "<polygon points=\"15,-5 20,-5 15,0\" stroke-width=\"1\" stroke=\"#000000\" opacity=\"1\" fill=\"none\"/>"}}},
      {"text layout: the host's lines on its baselines, or the plain placing when it lays out none",
       With(&TSvgOptions::TextLayout),
       {{8,
         "<text font-family=\"sans-serif\" font-size=\"12\" opacity=\"1\" fill=\"#000000\" xml:space=\"preserve\">"
         "<tspan x=\"25\" y=\"-5.4\">&lt;o&gt;</tspan><tspan x=\"55\" y=\"9.6\">two</tspan></text>"}}},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    std::vector<std::string> Expected = Plain;
    for (const auto& [Index, Text] : Case.Changes) Expected[Index] = Text;
    std::string Document;
    for (const std::string& Line : Expected) Document += Line + (Line == "</svg>" ? "" : "\n");
    EXPECT_EQ(Recorded(Case.Options), Document);
  }
}

}  // namespace
}  // namespace fsvg
