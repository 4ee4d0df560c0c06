// Writes the documents the golden and XML checks compare: the shared scene with the rules
// that catch real faults (radii, paint that leaves no mark, arc flags, short polygons) as
// scene.svg, with the host calls it made as hostcalls.txt, the scene without its raw
// writers, text hostile to XML included, as valid.svg and compressed as valid.svgz, and
// the scene's shapes and writers at 0, 2, 4 and 6 places, each document ending in its
// places, as decimals.txt. Every line of scene.svg is built in room lent exactly to size.
// Usage: fsvg_documents <directory>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>

#include "support/testcanvas.h"

using namespace fsvg;
using namespace fsvg::test;

namespace {

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
  for (const float Sweep : {45.f, -45.f, 180.f, 180.5f, -180.5f, -270.f, 359.5f, 360.f, 720.f, -360.f, 0.f})
    for (const TPointF Radius : {TPointF{40, 20}, {0.5f, 0.25f}, {0.5f, -0.25f}, {-0.5f, -0.5f}})
      C.DrawArc({100, 50}, Radius, 30, Sweep, 1);
  for (std::size_t Points = 0; Points < 4; ++Points) {
    C.FillPolygon(TPolygon(Points, TPointF{1, 2}), 1);
    C.DrawPolygon(TPolygon(Points, TPointF{3, 4}), 1);
  }
}

// The document Draw records over a recording host, built in room lent exactly to size
// (a line that runs past it is refused); the host's calls are appended to Calls. That
// lines copied in come out the same is the streams' test.
std::string Recorded(void (*Draw)(TOpenCanvas&&), std::vector<std::string>& Calls) {
  TRecordingCanvas Host(640, 480);
  TCountingStream Stream;
  Stream.Lend = true;
  Draw(TOpenCanvas(&Stream, &Host));
  Calls.insert(Calls.end(), Host.Calls.begin(), Host.Calls.end());
  return Stream.Text;
}

}  // namespace

int main(int argc, char** argv) try {
  if (argc != 2) throw std::invalid_argument("usage: fsvg_documents <directory>");
  const std::filesystem::path Directory = argv[1];
  TNullCanvas Host(640, 400);
  for (const char* Name : {"valid.svg", "valid.svgz"}) {
    TOpenCanvas Valid(Directory / Name, &Host);
    for (std::size_t Index = 0; Index < SceneSize(); ++Index) SceneStep(Valid, Index, 0, false);
  }
  std::ofstream Decimals(Directory / "decimals.txt", std::ios::binary);
  TOStreamAdapter DecimalsOut(Decimals);
  for (const int Places : {0, 2, 4, 6}) {
    TSvgOptions Options;
    Options.DecimalPlaces = Places;
    Decimals << "\n== " << Places << " places\n";
    TOpenCanvas Canvas(&DecimalsOut, &Host, Options);
    for (std::size_t Index = 0; Index <= 20; ++Index) SceneStep(Canvas, Index, 1234.56789f);
    Canvas.Write(Canvas.GetMaxDecimalPlaces());
  }
  std::vector<std::string> Calls;
  std::string Scene = Recorded([](TOpenCanvas&& C) { DrawScene(C); }, Calls);  // in this order: Calls follows
  Scene += Recorded(DrawRules, Calls);
  Scene += Recorded([](TOpenCanvas&& C) { DrawScene(C, 1234.5f); }, Calls);
  const std::size_t SceneEnd = Scene.size();
  Scene += (std::stringstream() << std::ifstream(Directory / "valid.svg").rdbuf()).str();
  // Every id defined before its use, and every group closed.
  if (const std::string Fault = ScanDocument(Scene); !Fault.empty()) throw std::runtime_error(Fault);
  std::ofstream(Directory / "scene.svg", std::ios::binary) << Scene.substr(0, SceneEnd);
  std::ofstream Out(Directory / "hostcalls.txt", std::ios::binary);
  for (const std::string& Call : Calls) Out << Call << '\n';
} catch (const std::exception& E) {
  std::fprintf(stderr, "fsvg_documents: %s\n", E.what());
  return 1;
}
