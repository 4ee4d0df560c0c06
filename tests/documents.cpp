// Writes the documents the golden and XML checks compare: the shared scene with the rules
// that catch real faults (radii, paint that leaves no mark, arc flags, short polygons) as
// scene.svg, with the host calls it made as hostcalls.txt, the scene without its raw
// writers, text hostile to XML included, as valid.svg and compressed as valid.svgz, and
// the scene's shapes and writers at 0, 2, 4 and 6 places, each document ending in its
// places, as decimals.txt. Every line of scene.svg is built in room lent exactly to size.
// Usage: fsvg_documents <directory>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/testcanvas.h"

using namespace fsvg;
using namespace fsvg::test;

namespace {

// The rules that catch real faults, a scene of their own.
void DrawRules(TOpenCanvas&& C) { TScript(C).Run(Load(FSVG_TEST_SCENES, "rules").Steps); }

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
    DrawScene(Valid, 0, false);
  }
  std::ofstream Decimals(Directory / "decimals.txt", std::ios::binary);
  TOStreamAdapter DecimalsOut(Decimals);
  for (const int Places : {0, 2, 4, 6}) {
    TSvgOptions Options;
    Options.DecimalPlaces = Places;
    Decimals << "\n== " << Places << " places\n";
    TOpenCanvas Canvas(&DecimalsOut, &Host, Options);
    TScript Script = ScriptOn(Canvas);
    for (const TStep& Step : SceneSteps(1234.56789f)) {  // the shapes, up to the first writer
      Script.Draw(Step);
      if (Step.Name() == "Write") break;
    }
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
