// Configuration 7: the Cairo raster host painting the scene alone, and the recording
// canvas over the same host writing into a reserved memory stream. Their difference
// is what recording adds to painting. 7c records into a stream that only counts the
// bytes: what the recording's own work adds, without its output reaching memory.
//
// Each runs in a child of its own, as every configuration does, and the three again
// in one child, by turns. On a shared machine other work comes and goes over seconds
// and changes the speed of a run by up to a tenth, more than the few percent that
// recording adds; turns a few milliseconds apart see the same machine.
#include <algorithm>
#include <memory>

#include "configs.h"
#include "fsvg/cairocanvas.h"
#include "fsvg/fsvgcanvas.h"

namespace fsvg::bench {

namespace {

class TDiscardStream final : public TStream {
 public:
  void WriteBuffer(const void*, std::size_t Count) override { Bytes += Count; }
  std::size_t Bytes = 0;
};

// A memory stream reserved to the document's size, its pages touched. 7b records into
// it; 7a and 7c make it and leave it unused, so that all three start timing with the
// caches in the same state.
std::unique_ptr<TMemoryStream> PrefaultedStream(const TRunInput& Input) {
  auto Stream = std::make_unique<TMemoryStream>();
  Stream->Reserve(Input.Reference.size());
  Prefault(*Stream, Input.Reference.size());
  return Stream;
}

// Records the scene over a new raster host into Stream; the recording is what is timed.
void RecordOverRaster(const TRunInput& Input, TProbe& Probe, TStream& Stream) {
  TCairoCanvas Host(SceneWidth, SceneHeight);
  TPolygon Polygon(3);
  Probe.Start();
  {
    TSvgCanvas Canvas(&Stream, &Host);
    Canvas.BeginScene();
    DrawScene(Canvas, *Input.Scene, Polygon);
    Canvas.EndScene();
    Host.Flush();
  }
  Probe.Stop();
}

}  // namespace

void RunRaster(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  TCairoCanvas Host(SceneWidth, SceneHeight);
  TPolygon Polygon(3);
  const auto Unused = PrefaultedStream(Input);
  Probe.Start();
  Host.BeginScene();
  DrawScene(Host, *Input.Scene, Polygon);
  Host.EndScene();
  Host.Flush();
  Probe.Stop();
}

void RunRecordOverRaster(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  const auto Stream = PrefaultedStream(Input);
  RecordOverRaster(Input, Probe, *Stream);
  Probe.Sample.Bytes = Stream->Size();
  Probe.Verify(Stream->View(), Input.Reference);
}

void RunRecordOverRasterDiscarded(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  const auto Unused = PrefaultedStream(Input);
  TDiscardStream Stream;
  RecordOverRaster(Input, Probe, Stream);
  Probe.Sample.Bytes = Stream.Bytes;
  if (Stream.Bytes != Input.Reference.size()) Probe.Fail("the discarding stream counted other bytes than the floor's");
}

// The three paint on one host, so that none pays for bringing another's surface back
// into the caches. Each draws every element once, a turn of TurnLength elements at a
// time, in turns that rotate; at any moment they draw a third of the scene apart, so
// that none finds the pixels it paints just painted by another. The recording into
// memory goes in scene order: its bytes are the floor's.
void RunRasterByTurns(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  const TScene& Scene = *Input.Scene;
  TCairoCanvas Host(SceneWidth, SceneHeight);
  const auto Stream = PrefaultedStream(Input);
  TDiscardStream Discarding;
  TPolygon Polygon(3);
  Probe.Start();
  {
    TSvgCanvas Recording(Stream.get(), &Host), RecordingDiscarded(&Discarding, &Host);
    Host.BeginScene();
    PrepareDrawing(Host, Polygon);
    const std::size_t Count = Scene.Elements.size();
    const std::size_t Turns = (Count + TurnLength - 1) / TurnLength;
    // Where each part (7a, 7b, 7c) starts, in turns.
    const std::size_t Starts[] = {Turns / 3, 0, 2 * Turns / 3};
    for (std::size_t Turn = 0; Turn < Turns; ++Turn) {
      for (std::size_t Step = 0; Step < 3; ++Step) {
        const std::size_t Part = (Turn + Step) % 3;
        const std::size_t First = (Starts[Part] + Turn) % Turns * TurnLength;
        const std::size_t Last = std::min(Count, First + TurnLength);
        const double Begin = ProcessCpuSeconds();
        if (Part == 0) DrawElements(Host, Scene, First, Last, Polygon);
        if (Part == 1) DrawElements(Recording, Scene, First, Last, Polygon);
        if (Part == 2) DrawElements(RecordingDiscarded, Scene, First, Last, Polygon);
        Probe.Sample.PartCpuSeconds[Part] += ProcessCpuSeconds() - Begin;
      }
    }
    Host.EndScene();
    Host.Flush();
  }
  Probe.Stop();
  Probe.Sample.Bytes = Stream->Size();
  Probe.Verify(Stream->View(), Input.Reference);
  if (Discarding.Bytes != Input.Reference.size())
    Probe.Fail("the discarding stream counted other bytes than the floor's");
}

}  // namespace fsvg::bench
