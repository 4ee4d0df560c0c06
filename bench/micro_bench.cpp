// Microbenchmarks in one process, for quick comparisons while tuning: the number
// formatter alone (FormatReal against std::to_chars, fixed with four places, and the
// floor's formatter) on drawing-like singles and on doubles of many magnitudes, and
// each scene recorded into a reserved memory stream against the floor writing it; nested
// states restored, by their depth; with the Cairo host, the word wrap of one long
// paragraph by its number of words.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "floorwriter.h"
#ifdef FSVG_MICRO_CAIRO
#include "fsvg/cairocanvas.h"
#endif
#include "encoders/numberformat.h"
#include "fsvg/fsvgcanvas.h"
#include "scene.h"

namespace {

std::vector<double> Coordinates() {
  std::vector<double> Values(4096);
  std::uint64_t State = 12345;
  for (double& Value : Values) {
    State = State * 6364136223846793005ULL + 1442695040888963407ULL;
    Value = static_cast<float>(static_cast<double>(State >> 40) * 0x1p-24 * 1000);
  }
  return Values;
}

std::vector<double> Magnitudes() {
  std::vector<double> Values(4096);
  std::uint64_t State = 999;
  for (double& Value : Values) {
    State = State * 6364136223846793005ULL + 1442695040888963407ULL;
    const double Unit = static_cast<double>(State >> 11) * 0x1p-53;
    Value = std::ldexp(Unit, static_cast<int>(State % 64) - 24) * ((State & 1) ? -1 : 1);
  }
  return Values;
}

template <typename Format>
void Run(benchmark::State& State, const std::vector<double>& Values, Format&& Formatter) {
  char Text[64];
  std::size_t Index = 0;
  for (auto _ : State) {
    benchmark::DoNotOptimize(Formatter(Values[Index], Text));
    benchmark::ClobberMemory();
    Index = (Index + 1) & (Values.size() - 1);
  }
}

void FormatRealCoordinates(benchmark::State& State) {
  Run(State, Coordinates(), [](double Value, char* Text) { return fsvg::detail::FormatReal(Value, 4, Text); });
}
void FormatRealMagnitudes(benchmark::State& State) {
  Run(State, Magnitudes(), [](double Value, char* Text) { return fsvg::detail::FormatReal(Value, 4, Text); });
}
void ToCharsFixedCoordinates(benchmark::State& State) {
  Run(State, Coordinates(),
      [](double Value, char* Text) { return std::to_chars(Text, Text + 64, Value, std::chars_format::fixed, 4).ptr; });
}
void FloorCoordinates(benchmark::State& State) {
  Run(State, Coordinates(), [](double Value, char* Text) { return fsvg::bench::FloorReal(Value, Text); });
}

constexpr std::size_t SceneSize = 10000;

void RecordScene(benchmark::State& State, fsvg::bench::TSceneKind Kind) {
  using namespace fsvg;
  const bench::TScene Scene = bench::MakeScene(Kind, SceneSize);
  TNullCanvas Host(bench::SceneWidth, bench::SceneHeight);
  TMemoryStream Stream;
  Stream.Reserve(bench::FloorCapacity(Scene));
  TPolygon Polygon(3);
  for (auto _ : State) {
    Stream.Clear();
    TSvgCanvas Canvas(&Stream, &Host);
    bench::DrawScene(Canvas, Scene, Polygon);
    benchmark::DoNotOptimize(Stream.Data());
  }
  State.SetItemsProcessed(static_cast<std::int64_t>(State.iterations() * SceneSize));
}

void FloorScene(benchmark::State& State, fsvg::bench::TSceneKind Kind) {
  const fsvg::bench::TScene Scene = fsvg::bench::MakeScene(Kind, SceneSize);
  std::vector<char> Buffer(fsvg::bench::FloorCapacity(Scene));
  for (auto _ : State) {
    benchmark::DoNotOptimize(fsvg::bench::WriteFloor(Scene, Buffer.data()));
    benchmark::ClobberMemory();
  }
  State.SetItemsProcessed(static_cast<std::int64_t>(State.iterations() * SceneSize));
}

// States nested N deep, restored innermost first: linear in N (a search from the oldest
// state for each restore took seconds for 300,000).
void RestoreNestedStates(benchmark::State& State) {
  fsvg::TNullCanvas Canvas;
  std::vector<fsvg::TCanvasSaveState*> States;
  for (auto _ : State) {
    for (std::int64_t Level = 0; Level < State.range(0); ++Level) States.push_back(Canvas.SaveState());
    for (auto Saved = States.rbegin(); Saved != States.rend(); ++Saved) Canvas.RestoreState(*Saved);
    States.clear();
  }
  State.SetComplexityN(State.range(0));
}
BENCHMARK(RestoreNestedStates)->Arg(100000)->Arg(200000)->Arg(400000)->Unit(benchmark::kMillisecond)->Complexity();

#ifdef FSVG_MICRO_CAIRO
// One paragraph of Words words, wrapped in a rectangle wide enough for all of them, so
// that the whole paragraph is one line that grows by a word at a time.
void WrapWords(benchmark::State& State) {
  std::u16string Text;
  for (std::int64_t I = 0; I < State.range(0); ++I) Text += u"word ";
  fsvg::TCairoCanvas Canvas(100, 100);
  fsvg::TLineMetricInfo Lines;
  for (auto _ : State) {
    Canvas.MeasureLines(Lines, {0, 0, 1e7f, 100}, Text, true, {}, fsvg::TTextAlign::Leading, fsvg::TTextAlign::Leading);
    benchmark::DoNotOptimize(Lines.Metrics.data());
  }
  State.SetComplexityN(State.range(0));
}
BENCHMARK(WrapWords)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond)->Complexity();
#endif

BENCHMARK(FormatRealCoordinates);
BENCHMARK(FormatRealMagnitudes);
BENCHMARK(ToCharsFixedCoordinates);
BENCHMARK(FloorCoordinates);
BENCHMARK_CAPTURE(RecordScene, rect, fsvg::bench::TSceneKind::Rects);
BENCHMARK_CAPTURE(FloorScene, rect, fsvg::bench::TSceneKind::Rects);
BENCHMARK_CAPTURE(RecordScene, line, fsvg::bench::TSceneKind::Lines);
BENCHMARK_CAPTURE(FloorScene, line, fsvg::bench::TSceneKind::Lines);
BENCHMARK_CAPTURE(RecordScene, ellipse, fsvg::bench::TSceneKind::Ellipses);
BENCHMARK_CAPTURE(FloorScene, ellipse, fsvg::bench::TSceneKind::Ellipses);
BENCHMARK_CAPTURE(RecordScene, polygon, fsvg::bench::TSceneKind::Polygons);
BENCHMARK_CAPTURE(FloorScene, polygon, fsvg::bench::TSceneKind::Polygons);
BENCHMARK_CAPTURE(RecordScene, text, fsvg::bench::TSceneKind::Texts);
BENCHMARK_CAPTURE(FloorScene, text, fsvg::bench::TSceneKind::Texts);
BENCHMARK_CAPTURE(RecordScene, mix, fsvg::bench::TSceneKind::Mix);
BENCHMARK_CAPTURE(FloorScene, mix, fsvg::bench::TSceneKind::Mix);

}  // namespace

BENCHMARK_MAIN();
