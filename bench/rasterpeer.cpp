// Configuration 7: the Cairo raster host painting the scene alone, and the recording
// canvas over the same host writing into a reserved memory stream. Their difference
// is what recording adds to painting. 7c records into a stream that only counts the
// bytes: what the recording's own work adds, without its output reaching memory.
#include "configs.h"
#include "fsvg/cairocanvas.h"
#include "fsvg/fsvgcanvas.h"

namespace fsvg::bench {

void RunRaster(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  TCairoCanvas Host(SceneWidth, SceneHeight);
  TPolygon Polygon(3);
  // The same setup as the recording run's, unused: both start timing with the caches
  // in the same state, the prefaulted stream's last pages among them.
  TMemoryStream Unused;
  Unused.Reserve(Input.Reference.size());
  Prefault(Unused, Input.Reference.size());
  Probe.Start();
  Host.BeginScene();
  DrawScene(Host, *Input.Scene, Polygon);
  Host.EndScene();
  Host.Flush();
  Probe.Stop();
}

void RunRecordOverRaster(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  TCairoCanvas Host(SceneWidth, SceneHeight);
  TPolygon Polygon(3);
  TMemoryStream Stream;
  Stream.Reserve(Input.Reference.size());
  Prefault(Stream, Input.Reference.size());
  Probe.Start();
  {
    TSvgCanvas Canvas(&Stream, &Host);
    Canvas.BeginScene();
    DrawScene(Canvas, *Input.Scene, Polygon);
    Canvas.EndScene();
    Host.Flush();
  }
  Probe.Stop();
  Probe.Sample.Bytes = Stream.Size();
  Probe.Verify(Stream.View(), Input.Reference);
}

namespace {

class TDiscardStream final : public TStream {
 public:
  void WriteBuffer(const void*, std::size_t Count) override { Bytes += Count; }
  std::size_t Bytes = 0;
};

}  // namespace

void RunRecordOverRasterDiscarded(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  TCairoCanvas Host(SceneWidth, SceneHeight);
  TPolygon Polygon(3);
  TMemoryStream Unused;  // the same setup as the other two
  Unused.Reserve(Input.Reference.size());
  Prefault(Unused, Input.Reference.size());
  TDiscardStream Stream;
  Probe.Start();
  {
    TSvgCanvas Canvas(&Stream, &Host);
    Canvas.BeginScene();
    DrawScene(Canvas, *Input.Scene, Polygon);
    Canvas.EndScene();
    Host.Flush();
  }
  Probe.Stop();
  Probe.Sample.Bytes = Stream.Bytes;
  if (Stream.Bytes != Input.Reference.size()) Probe.Fail("the discarding stream counted other bytes than the floor's");
}

}  // namespace fsvg::bench
