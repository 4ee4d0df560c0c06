// Configuration 7: the Cairo raster host painting the scene alone (7a), the recording
// canvas over the same host writing into a reserved memory stream (7b), and into a
// stream that only counts the bytes (7c), and the three by turns (see hostruns.h). The
// difference of 7b and 7a is what recording adds to painting.
#include "fsvg/cairocanvas.h"
#include "hostruns.h"

namespace fsvg::bench {

void RunRaster(const TRunInput& Input, TProbe& Probe) { hostruns::RunRaster<TCairoCanvas>(Input, Probe); }
void RunRecordOverRaster(const TRunInput& Input, TProbe& Probe) {
  hostruns::RunRecordOverRaster<TCairoCanvas>(Input, Probe);
}
void RunRecordOverRasterDiscarded(const TRunInput& Input, TProbe& Probe) {
  hostruns::RunRecordOverRasterDiscarded<TCairoCanvas>(Input, Probe);
}
void RunRasterByTurns(const TRunInput& Input, TProbe& Probe) { hostruns::RunRasterByTurns<TCairoCanvas>(Input, Probe); }

}  // namespace fsvg::bench
