// The demo: draws the sales dashboard through a TSvgCanvas over a Cairo raster canvas and
// writes demo.png, demo.svg (the plain recording) and demo-faithful.svg (recorded with
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

int Run(const std::filesystem::path& Directory) {
  std::filesystem::create_directories(Directory);
  const std::filesystem::path Svg = std::filesystem::absolute(Directory / "demo.svg");
#ifdef FSVG_DEMO_HAS_CAIRO
  const std::filesystem::path Png = std::filesystem::absolute(Directory / "demo.png");
  fsvg::TCairoCanvas Host(fsvg::demo::DashboardWidth, fsvg::demo::DashboardHeight);
  Host.GetFont() = fsvg::TFont(fsvg::demo::DashboardFont, 100);
  const float AscentPerEm = Host.GetFontMetrics().Ascent / 100;
#else
  fsvg::TNullCanvas Host(fsvg::demo::DashboardWidth, fsvg::demo::DashboardHeight);
  // DejaVu Sans rises 0.928 em above its baseline; a null host cannot measure it.
  const float AscentPerEm = 0.928f;
#endif
  {
    fsvg::TSvgCanvas Canvas(Svg, &Host);
    fsvg::demo::DrawDashboard(Canvas, AscentPerEm);
  }
  const std::filesystem::path FaithfulSvg = std::filesystem::absolute(Directory / "demo-faithful.svg");
  {
    fsvg::TSvgOptions Options = fsvg::TSvgOptions::Faithful();
    Options.Title = u"Sales dashboard";
    Options.Description = u"Quarterly sales against target, the share of each region, and key figures.";
    fsvg::TSvgCanvas Canvas(FaithfulSvg, &Host, Options);
    fsvg::demo::DrawDashboard(Canvas, AscentPerEm);
  }
#ifdef FSVG_DEMO_HAS_CAIRO
  Host.SaveToPNG(Png);
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
