// The Qt corpus (the standard widgets and Qt's example programs) recorded into memory,
// each render through TSvgPaintDevice and through Qt's QSvgGenerator, in one run (Google
// Benchmark): the time a render, and its bytes as the "bytes" counter. Not a timed test:
// run it on a quiet machine.
//
//   fsvg_bench_qtdevice [--benchmark_filter=calendar]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QStyleFactory>
#include <QSvgGenerator>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "corpus.h"
#include "fsvg/qtpaintdevice.h"

namespace fsvg::corpus {
#define PROGRAM(Name, Scenes) std::vector<TScene> Scenes();
FSVG_CORPUS_PROGRAMS
#undef PROGRAM
}  // namespace fsvg::corpus

namespace {

// Records Widget once into Buffer, through the device or the generator.
void Record(QWidget& Widget, QBuffer& Buffer, bool Ours) {
  Buffer.close();
  Buffer.setData(QByteArray());
  Buffer.open(QIODevice::WriteOnly);
  if (Ours) {
    fsvg::TSvgPaintDevice Device;
    Device.SetOutputDevice(&Buffer);
    Device.SetSize(Widget.size());
    Widget.render(&Device);
    Device.Close();
  } else {
    QSvgGenerator Generator;
    Generator.setOutputDevice(&Buffer);
    Generator.setSize(Widget.size());
    Generator.setViewBox(QRect(QPoint(), Widget.size()));
    Generator.setResolution(96);
    Widget.render(&Generator);
  }
}

void Render(benchmark::State& State, const fsvg::corpus::TScene& Scene, bool Ours) {
  const std::unique_ptr<QWidget> Window = Scene.Make();
  Window->show();
  QApplication::processEvents();
  QWidget& Widget = Scene.Part ? *Scene.Part(*Window) : *Window;
  QBuffer Buffer;
  for (auto _ : State) Record(Widget, Buffer, Ours);
  State.counters["bytes"] = static_cast<double>(Buffer.data().size());
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication Application(argc, argv);
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  // Each render by the device, then by QSvgGenerator, named PROGRAM/SCENE.
  std::vector<std::pair<std::string, std::vector<fsvg::corpus::TScene>>> Programs;
#define PROGRAM(Name, Scenes) Programs.emplace_back(#Name, fsvg::corpus::Scenes());
  FSVG_CORPUS_PROGRAMS
#undef PROGRAM
  for (const auto& [Program, Scenes] : Programs) {
    for (const auto& Scene : Scenes) {
      const std::string Name = Program + "/" + Scene.Name;
      benchmark::RegisterBenchmark(("device/" + Name).c_str(), Render, Scene, true)->Unit(benchmark::kMicrosecond);
      benchmark::RegisterBenchmark(("QSvgGenerator/" + Name).c_str(), Render, Scene, false)
          ->Unit(benchmark::kMicrosecond);
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
