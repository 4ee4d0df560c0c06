// The Qt corpus's standard widgets recorded into memory, each through TSvgPaintDevice and
// through Qt's QSvgGenerator, in one run (Google Benchmark): the time a render, and its
// bytes as the "bytes" counter. Not a timed test: run it on a quiet machine.
//
//   fsvg_bench_qtdevice [--benchmark_filter=calendar]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QStyleFactory>
#include <QSvgGenerator>
#include <cstdlib>

#include "corpus.h"
#include "fsvg/qtpaintdevice.h"

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
  static const std::vector<fsvg::corpus::TScene> Scenes = fsvg::corpus::WidgetScenes();
  for (const auto& Scene : Scenes) {
    benchmark::RegisterBenchmark(("device/" + Scene.Name).c_str(), Render, Scene, true)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("QSvgGenerator/" + Scene.Name).c_str(), Render, Scene, false)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
