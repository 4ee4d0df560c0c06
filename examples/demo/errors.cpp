// What one catch of fsvg::Exception takes: a NaN coordinate, a negative size, an
// unmatched EndScene and a restore of a state that is not live, on the null host and,
// when built with Cairo, on the Cairo host. Prints each error with its host and exits
// with 1 when a call raises nothing or something else.
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>

#include "fsvg/fsvgcanvas.h"
#ifdef FSVG_DEMO_HAS_CAIRO
#include "fsvg/cairocanvas.h"
#endif

namespace {

// Runs Call on a TSvgCanvas over Host; true when it raised an fsvg::Exception.
bool Caught(const char* HostName, fsvg::TCanvas& Host, const std::function<void(fsvg::TSvgCanvas&)>& Call) {
  fsvg::TSvgCanvas Canvas(static_cast<fsvg::TStream*>(nullptr), &Host);
  try {
    Call(Canvas);
  } catch (const fsvg::Exception& Error) {
    std::printf("%-6s %s\n", HostName, Error.what());
    return true;
  }
  std::printf("%-6s nothing raised\n", HostName);
  return false;
}

bool CatchEach(const char* HostName, fsvg::TCanvas& Host) {
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  const std::function<void(fsvg::TSvgCanvas&)> Calls[] = {
      [&](fsvg::TSvgCanvas& C) {
        C.FillEllipse({0, NaN, 10, 10}, 1);
      },
      [](fsvg::TSvgCanvas& C) { C.SetSize(-1, 10); },
      [](fsvg::TSvgCanvas& C) { C.EndScene(); },
      [](fsvg::TSvgCanvas& C) {
        fsvg::TCanvasSaveState* State = C.SaveState();
        C.RestoreState(State);
        C.RestoreState(State);
      },
  };
  bool All = true;
  for (const auto& Call : Calls) All = Caught(HostName, Host, Call) && All;
  return All;
}

}  // namespace

int main() {
  fsvg::TNullCanvas Null(100, 100);
  bool All = CatchEach("null", Null);
#ifdef FSVG_DEMO_HAS_CAIRO
  fsvg::TCairoCanvas Cairo(100, 100);
  All = CatchEach("cairo", Cairo) && All;
#endif
  return All ? 0 : 1;
}
