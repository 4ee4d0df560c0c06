// Writes the documents the golden and XML checks compare: every primitive in its common
// forms (primitives.svg), text hostile to XML (hostile.svg), and the shared scene with
// the rules that catch real faults (radii, paint that leaves no mark, arc flags, short
// polygons) as scene.svg, with the host calls it made as hostcalls.txt. Every line is
// also built in room lent exactly to size and must come out the same as copied in.
// Usage: fsvg_documents <directory>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <limits>
#include <stdexcept>

#include "support/testcanvas.h"

using namespace fsvg;
using namespace fsvg::test;

namespace {

void DrawEveryPrimitive(TSvgCanvas&& Canvas) {
  const TBrush Blue(TBrushKind::Solid, 0xFF1F77B4);
  const TStrokeBrush Outline(TBrushKind::Solid, 0xFFD62728, 2.5f);
  Canvas.Clear(0xFFFFFFFF);
  Canvas.ClearRect({10, 10, 60, 40}, 0xFFEEEEEE);
  Canvas.FillRect({70, 10, 170, 60}, 0, 0, AllCorners, 1, Blue);
  Canvas.FillRect({180, 10, 280, 60}, 8, 12, {TCorner::TopLeft}, 0.5f, Blue, TCornerType::Bevel);
  Canvas.DrawRect({290, 10, 390, 60}, 6, 6, AllCorners, 0.75f, Outline);
  Canvas.DrawRect({400, 10, 500, 60}, 0, 0, {}, 1, Outline);
  Canvas.DrawLine({10, 80}, {200, 120.5f}, 1, Outline);
  Canvas.FillEllipse({220, 80, 300, 130}, 0.8f, TBrush(TBrushKind::Gradient, 0x802CA02C));
  Canvas.DrawEllipse({310, 80, 390, 130}, 1, Outline);
  float X = 40;
  for (const float Sweep : {45.0f, 90.0f, 180.0f, 270.0f, -90.0f, -270.0f, 360.0f, 720.0f}) {
    Canvas.FillArc({X, 180}, {25, 18}, 30, Sweep, 0.6f, Blue);
    Canvas.DrawArc({X, 240}, {25, 18}, 30, Sweep, 1, Outline);
    X += 60;
  }
  Canvas.SetOffset({0.5f, -0.25f});
  Canvas.SetFill(TBrush(TBrushKind::Solid, 0xFFFF7F0E));
  Canvas.GetStroke() = TStrokeBrush(TBrushKind::Solid, 0xFF9467BD, 1.25f);
  Canvas.FillPolygon({{20, 300}, {80, 280}, {120, 330}, {60, 350}}, 0.9f);
  Canvas.DrawPolygon({{140, 300}, {200, 280}, {240, 330}}, 1);
  Canvas.GetFont() = TFont(u"DejaVu Sans", 14);
  Canvas.SetFill(TBrush(TBrushKind::Solid, 0xFF000000));
  Canvas.FillText({260, 280, 500, 300},
                  u"Latin, \u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC, "
                  u"\u0420\u0443\u0441\u0441\u043A\u0438\u0439",
                  false, 1, {}, TTextAlign::Leading, TTextAlign::Trailing);
}

void DrawHostileText(TSvgCanvas&& Canvas) {
  Canvas.GetFont() = TFont(u"Foo & \"Bar\" <Baz>", 12);
  for (const std::u16string& Text : Texts()) Canvas.FillText({0, 0, 100, 20}, Text, false, 1, {}, TTextAlign::Leading);
}

// Radii, paint that leaves no mark, arc flags, polygons of fewer than two points.
void DrawRules(TOpenCanvas&& C) {
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  for (const auto& [X, Y] :
       {std::pair{3.f, 0.f}, {0.f, 3.f}, {-0.f, 0.f}, {1e-13f, 1e-13f}, {-3.f, 0.f}, {0.f, 1e-11f}})
    for (const TCorners Corners : {TCorners{}, TCorners{TCorner::BottomLeft}}) {
      C.FillRect({0, 0, 10, 10}, X, Y, Corners, 1);
      C.DrawRect({0, 0, 10, 10}, X, Y, Corners, 1);
    }
  for (const float Thickness : {0.f, -0.f, -1.f, NaN, 1.f}) {
    C.GetStroke() = TStrokeBrush(TBrushKind::Solid, 0xFF102030, Thickness);
    C.DrawRect({0, 0, 1, 1}, 0, 0, AllCorners, 1);
    C.DrawLine({0, 0}, {1, 1}, 1);
    C.DrawEllipse({0, 0, 1, 1}, 1);
    C.DrawArc({0, 0}, {1, 1}, 0, 90, 1);
    C.DrawPolygon({{0, 0}, {1, 0}}, 1);
  }
  for (int Kind = 0; Kind < 5; ++Kind) {
    C.SetFill(TBrush(static_cast<TBrushKind>(Kind), 0x80123456 + Kind));
    C.FillRect({0, 0, 1, 1}, 0, 0, AllCorners, 1);
    C.FillEllipse({0, 0, 1, 1}, 1);
    C.FillArc({0, 0}, {1, 1}, 0, 90, 1);
    C.FillPolygon({{0, 0}, {1, 0}, {0, 1}}, 1);
    C.FillText({0, 0, 1, 1}, u"", false, 1, {}, TTextAlign::Center);
  }
  for (const float Sweep : {45.f, -45.f, 180.f, 180.5f, -180.5f, -270.f, 359.5f, 360.f, 720.f, -360.f, 0.f, NaN})
    for (const TPointF Radius : {TPointF{40, 20}, {0.5f, 0.25f}, {0.5f, -0.25f}, {-0.5f, -0.5f}})
      C.DrawArc({100, 50}, Radius, 30, Sweep, 1);
  for (std::size_t Points = 0; Points < 4; ++Points) {
    C.FillPolygon(TPolygon(Points, TPointF{1, 2}), 1);
    C.DrawPolygon(TPolygon(Points, TPointF{3, 4}), 1);
  }
}

// The document Draw records over a recording host, built in lent room and copied in;
// throws when the two differ. The host's calls are appended to Calls.
std::string Recorded(void (*Draw)(TOpenCanvas&&), std::vector<std::string>& Calls) {
  std::string Text[2];
  for (const bool Lend : {false, true}) {
    TRecordingCanvas Host(640, 480);
    TCountingStream Stream;
    Stream.Lend = Lend;
    Draw(TOpenCanvas(&Stream, &Host));
    Text[Lend] = Stream.Text;
    if (Lend) Calls.insert(Calls.end(), Host.Calls.begin(), Host.Calls.end());
  }
  if (Text[0] != Text[1]) throw std::runtime_error("lines built in lent room differ from lines copied in");
  return Text[0];
}

}  // namespace

int main(int argc, char** argv) try {
  if (argc != 2) throw std::invalid_argument("usage: fsvg_documents <directory>");
  const std::filesystem::path Directory = argv[1];
  TNullCanvas Host(640, 400);
  DrawEveryPrimitive(TSvgCanvas(Directory / "primitives.svg", &Host));
  DrawHostileText(TSvgCanvas(Directory / "hostile.svg", &Host));
  std::vector<std::string> Calls;
  std::ofstream(Directory / "scene.svg", std::ios::binary)
      << Recorded([](TOpenCanvas&& C) { DrawScene(C); }, Calls) << Recorded(DrawRules, Calls)
      << Recorded([](TOpenCanvas&& C) { DrawScene(C, 1234.5f); }, Calls);
  std::ofstream Out(Directory / "hostcalls.txt", std::ios::binary);
  for (const std::string& Call : Calls) Out << Call << '\n';
} catch (const std::exception& E) {
  std::fprintf(stderr, "fsvg_documents: %s\n", E.what());
  return 1;
}
