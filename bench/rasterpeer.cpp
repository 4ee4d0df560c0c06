// Configuration 7: the Cairo raster host painting the scene alone, and the recording
// canvas over the same host writing into a reserved memory stream. Their difference
// is what recording adds to painting.
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

}  // namespace fsvg::bench
