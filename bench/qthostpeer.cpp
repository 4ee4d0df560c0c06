// Configuration 8: the Qt raster host painting the scene alone (8a), the recording
// canvas over it writing into a reserved memory stream (8b), and into a stream that only
// counts the bytes (8c), and the three by turns (see hostruns.h). The QGuiApplication its
// text needs exists before the run starts.
#include <QGuiApplication>

#include "fsvg/qtcanvas.h"
#include "hostruns.h"

namespace fsvg::bench {

namespace {

template <void (*Run)(const TRunInput&, TProbe&)>
void WithApplication(const TRunInput& Input, TProbe& Probe) {
  static int Argc = 1;
  static char Name[] = "fsvg_bench";
  static char* Argv[] = {Name, nullptr};
  const QGuiApplication Application(Argc, Argv);
  Run(Input, Probe);
}

}  // namespace

void RunQtHost(const TRunInput& Input, TProbe& Probe) { WithApplication<hostruns::RunRaster<TQtCanvas>>(Input, Probe); }
void RunRecordOverQt(const TRunInput& Input, TProbe& Probe) {
  WithApplication<hostruns::RunRecordOverRaster<TQtCanvas>>(Input, Probe);
}
void RunRecordOverQtDiscarded(const TRunInput& Input, TProbe& Probe) {
  WithApplication<hostruns::RunRecordOverRasterDiscarded<TQtCanvas>>(Input, Probe);
}
void RunQtHostByTurns(const TRunInput& Input, TProbe& Probe) {
  WithApplication<hostruns::RunRasterByTurns<TQtCanvas>>(Input, Probe);
}

}  // namespace fsvg::bench
