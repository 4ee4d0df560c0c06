// The runs of a raster host configuration, for any host canvas THost constructible from
// the scene's size: painting alone (a), recording over painting into memory (b),
// recording into a stream that only counts the bytes (c), and the three by turns on one
// host. rasterpeer.cpp runs them over the Cairo host (7), qthostpeer.cpp over the Qt
// host (8).
//
// Each runs in a child of its own, as every configuration does, and the three again
// in one child, by turns. On a shared machine other work comes and goes over seconds
// and changes the speed of a run by up to a tenth, more than the few percent that
// recording adds; turns a few milliseconds apart see the same machine.
#pragma once

#include <algorithm>
#include <memory>

#include "configs.h"
#include "fsvg/fsvgcanvas.h"

namespace fsvg::bench::hostruns {

class TDiscardStream final : public TStream {
 public:
  void WriteBuffer(const void*, std::size_t Count) override { Bytes += Count; }
  std::size_t Bytes = 0;
};

// A memory stream reserved to the document's size, its pages touched. 7b records into
// it; 7a and 7c make it and leave it unused, so that all three start timing with the
// caches in the same state.
inline std::unique_ptr<TMemoryStream> PrefaultedStream(const TRunInput& Input) {
  auto Stream = std::make_unique<TMemoryStream>();
  Stream->Reserve(Input.Reference.size());
  Prefault(*Stream, Input.Reference.size());
  return Stream;
}

// Records the scene over a new raster host into Stream; the recording is what is timed.
template <class THost>
void RecordOverRaster(const TRunInput& Input, TProbe& Probe, TStream& Stream) {
  THost Host(SceneWidth, SceneHeight);
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

/// (a) Paints the scene alone.
template <class THost>
void RunRaster(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  THost Host(SceneWidth, SceneHeight);
  TPolygon Polygon(3);
  const auto Unused = PrefaultedStream(Input);
  Probe.Start();
  Host.BeginScene();
  DrawScene(Host, *Input.Scene, Polygon);
  Host.EndScene();
  Host.Flush();
  Probe.Stop();
}

/// (b) Paints and records into memory.
template <class THost>
void RunRecordOverRaster(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  const auto Stream = PrefaultedStream(Input);
  RecordOverRaster<THost>(Input, Probe, *Stream);
  Probe.Sample.Bytes = Stream->Size();
  Probe.Verify(Stream->View(), Input.Reference);
}

/// (c) Paints and records into a stream that counts the bytes.
template <class THost>
void RunRecordOverRasterDiscarded(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  const auto Unused = PrefaultedStream(Input);
  TDiscardStream Stream;
  RecordOverRaster<THost>(Input, Probe, Stream);
  Probe.Sample.Bytes = Stream.Bytes;
  if (Stream.Bytes != Input.Reference.size()) Probe.Fail("the discarding stream counted other bytes than the floor's");
}

// The three paint on one host, so that none pays for bringing another's surface back
// into the caches. Each draws every element once, a turn of TurnLength elements at a
// time, in turns that rotate; at any moment they draw a third of the scene apart, so
// that none finds the pixels it paints just painted by another. The recording into
// memory goes in scene order: its bytes are the floor's.
template <class THost>
void RunRasterByTurns(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  const TScene& Scene = *Input.Scene;
  THost Host(SceneWidth, SceneHeight);
  const auto Stream = PrefaultedStream(Input);
  TDiscardStream Discarding;
  TPolygon Polygon(3);
  Probe.Start();
  {
    TSvgCanvas Recording(Stream.get(), &Host), RecordingDiscarded(&Discarding, &Host);
    Host.BeginScene();
    PrepareDrawing(Host, Polygon);
    if (Scene.Kind == TSceneKind::Clipped) Host.IntersectClipRect(SceneClip);
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

}  // namespace fsvg::bench::hostruns
