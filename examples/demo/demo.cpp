// The demo: draws the sales dashboard, written once against TCanvas, on a Cairo raster
// canvas alone, then again while recording it (a TTeeCanvas over a TSvgCanvas over
// a second Cairo canvas), and checks that both paint the same pixels. Writes demo.png,
// demo.svg (the plain recording) and demo-faithful.svg (recorded with
// TSvgOptions::Faithful(), titled) into the current directory or the one given as
// argv[1] (created when missing).
// Built without Cairo, it records over a TNullCanvas and writes demo.svg only; that host
// measures no text, so labels then start at their anchors instead of being aligned.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "dashboard.h"
#include "fsvg/fsvgcanvas.h"
#ifdef FSVG_DEMO_HAS_CAIRO
#include "fsvg/cairocanvas.h"
#endif

namespace {

using fsvg::demo::DashboardHeight;
using fsvg::demo::DashboardWidth;

#ifdef FSVG_DEMO_HAS_CAIRO
using THost = fsvg::TCairoCanvas;

float AscentPerEm(THost& Host) {
  Host.GetFont() = fsvg::TFont(fsvg::demo::DashboardFont, 100);
  return Host.GetFontMetrics().Ascent / 100;
}

// The number of pixels two hosts paint differently.
long DifferentPixels(const THost& A, const THost& B) {
  long Count = 0;
  for (std::int32_t Y = 0; Y < A.GetPixelHeight(); ++Y)
    for (std::int32_t X = 0; X < A.GetPixelWidth(); ++X) Count += A.Pixel(X, Y) != B.Pixel(X, Y);
  return Count;
}
#else
using THost = fsvg::TNullCanvas;

// DejaVu Sans rises 0.928 em above its baseline; a null host cannot measure it.
float AscentPerEm(THost&) { return 0.928f; }
#endif

// Paints the dashboard on a fresh host while recording it into FileName.
void Record(THost& Host, const std::filesystem::path& FileName, const fsvg::TSvgOptions& Options) {
  fsvg::TSvgCanvas Svg(FileName, &Host, Options);
  fsvg::TTeeCanvas Canvas(Svg);
  fsvg::demo::DrawDashboard(Canvas, AscentPerEm(Host));
  Svg.Close();
}

int Run(const std::filesystem::path& Directory) {
  std::filesystem::create_directories(Directory);
  const std::filesystem::path Svg = std::filesystem::absolute(Directory / "demo.svg");
  const std::filesystem::path FaithfulSvg = std::filesystem::absolute(Directory / "demo-faithful.svg");
  THost Recorded(DashboardWidth, DashboardHeight);
  Record(Recorded, Svg, {});
  fsvg::TSvgOptions Options = fsvg::TSvgOptions::Faithful();
  Options.Title = u"Sales dashboard";
  Options.Description = u"Quarterly sales against target, the share of each region, and key figures.";
  THost RecordedFaithfully(DashboardWidth, DashboardHeight);
  Record(RecordedFaithfully, FaithfulSvg, Options);
#ifdef FSVG_DEMO_HAS_CAIRO
  THost Alone(DashboardWidth, DashboardHeight);
  fsvg::demo::DrawDashboard(Alone, AscentPerEm(Alone));
  const long Differences = DifferentPixels(Alone, Recorded) + DifferentPixels(Alone, RecordedFaithfully);
  std::printf("painted alone and while recording: %ld pixels differ\n", Differences);
  if (Differences != 0) return 1;
  const std::filesystem::path Png = std::filesystem::absolute(Directory / "demo.png");
  Alone.SaveToPNG(Png);
  std::printf("%s\n", Png.c_str());
#endif
  std::printf("%s\n%s\n", Svg.c_str(), FaithfulSvg.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: %s [output-directory]\n", argv[0]);
    return 2;
  }
  try {
    return Run(argc > 1 ? argv[1] : ".");
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "fsvg_demo: %s\n", Error.what());
    return 1;
  }
}
