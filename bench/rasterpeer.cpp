// Configuration 7: the Cairo raster host painting the scene alone, and the recording
// canvas over the same host writing into a reserved memory stream. Their difference
// is what recording adds to painting. 7c records into a stream that only counts the
// bytes: what the recording's own work adds, without its output reaching memory.
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

}  // namespace fsvg::bench
