// The fidelity check: draws a scene through a TSvgCanvas over a TCairoCanvas, renders the
// recorded SVG with rsvg-convert, and counts the pixels where the host's picture (over
// white) and the rendering differ by more than 10% in any channel. Writes the SVG, both
// PNGs and a diff image (differing pixels red over a faded copy of the host's picture).
//
//   fsvg_fidelity RSVG_CONVERT OUTPUT_DIRECTORY SCENE
//   fsvg_fidelity --list
#include <spawn.h>
#include <sys/wait.h>

#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "fsvg/cairocanvas.h"
#include "fsvg/fsvgcanvas.h"
#include "scenes.h"

extern char** environ;

namespace fsvg::fidelity {

namespace {

struct TSurfaceDeleter {
  void operator()(cairo_surface_t* Surface) const noexcept { cairo_surface_destroy(Surface); }
};
using TSurfacePtr = std::unique_ptr<cairo_surface_t, TSurfaceDeleter>;

// A channel differs when it is off by more than 10% of its range.
constexpr int Tolerance = 25;

/// Runs Program with Arguments (no shell) and waits; throws unless it exits with 0.
void Run(const std::vector<std::string>& Arguments) {
  std::vector<char*> Argv;
  for (const std::string& Argument : Arguments) Argv.push_back(const_cast<char*>(Argument.c_str()));
  Argv.push_back(nullptr);
  pid_t Child;
  if (const int Error = posix_spawn(&Child, Argv[0], nullptr, nullptr, Argv.data(), environ); Error != 0)
    throw std::runtime_error("cannot start " + Arguments[0] + ": " + std::strerror(Error));
  int Status = 0;
  if (waitpid(Child, &Status, 0) < 0) throw std::runtime_error("cannot wait for " + Arguments[0]);
  if (!WIFEXITED(Status) || WEXITSTATUS(Status) != 0)
    throw std::runtime_error(Arguments[0] + " failed (status " + std::to_string(Status) + ")");
}

TSurfacePtr LoadPng(const std::filesystem::path& File) {
  TSurfacePtr Surface(cairo_image_surface_create_from_png(File.c_str()));
  if (cairo_surface_status(Surface.get()) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error(File.string() + ": " + cairo_status_to_string(cairo_surface_status(Surface.get())));
  // Any format Cairo may load into: convert to ARGB32 so the pixels read the same way.
  TSurfacePtr Argb(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(Surface.get()),
                                              cairo_image_surface_get_height(Surface.get())));
  cairo_t* Context = cairo_create(Argb.get());
  cairo_set_source_surface(Context, Surface.get(), 0, 0);
  cairo_paint(Context);
  cairo_destroy(Context);
  cairo_surface_flush(Argb.get());
  return Argb;
}

std::uint32_t PixelAt(cairo_surface_t* Surface, int X, int Y) {
  const unsigned char* Row = cairo_image_surface_get_data(Surface) + Y * cairo_image_surface_get_stride(Surface);
  return reinterpret_cast<const std::uint32_t*>(Row)[X];
}

/// A premultiplied ARGB32 pixel composited over white, as 0x00RRGGBB.
std::uint32_t OverWhite(std::uint32_t Pixel) {
  const std::uint32_t Clear = 255 - (Pixel >> 24);
  return ((Pixel >> 16 & 0xFF) + Clear) << 16 | ((Pixel >> 8 & 0xFF) + Clear) << 8 | ((Pixel & 0xFF) + Clear);
}

bool Differs(std::uint32_t A, std::uint32_t B) {
  for (int Shift : {0, 8, 16}) {
    const int Delta = static_cast<int>(A >> Shift & 0xFF) - static_cast<int>(B >> Shift & 0xFF);
    if (Delta > Tolerance || Delta < -Tolerance) return true;
  }
  return false;
}

int Check(const TScene& Scene, const std::string& RsvgConvert, const std::filesystem::path& Directory) {
  std::filesystem::create_directories(Directory);
  const std::filesystem::path Svg = Directory / (std::string(Scene.Name) + ".svg");
  const std::filesystem::path HostPng = Directory / (std::string(Scene.Name) + ".host.png");
  const std::filesystem::path SvgPng = Directory / (std::string(Scene.Name) + ".rsvg.png");
  const std::filesystem::path DiffPng = Directory / (std::string(Scene.Name) + ".diff.png");

  TCairoCanvas Host(Scene.Width, Scene.Height);
  {
    TSvgCanvas Canvas(Svg, &Host);
    Scene.Draw(Canvas, Host);
  }
  Host.SaveToPNG(HostPng);
  Run({RsvgConvert, "--page-width", std::to_string(Scene.Width), "--page-height", std::to_string(Scene.Height), "-b",
       "white", "-o", SvgPng.string(), Svg.string()});
  const TSurfacePtr Rendered = LoadPng(SvgPng);
  if (cairo_image_surface_get_width(Rendered.get()) != Scene.Width ||
      cairo_image_surface_get_height(Rendered.get()) != Scene.Height)
    throw std::runtime_error(SvgPng.string() + " does not have the scene's size");

  TSurfacePtr Diff(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, Scene.Width, Scene.Height));
  cairo_surface_flush(Diff.get());
  Host.Flush();
  std::size_t Differing = 0;
  for (int Y = 0; Y < Scene.Height; ++Y) {
    auto* DiffRow = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(Diff.get()) +
                                                     Y * cairo_image_surface_get_stride(Diff.get()));
    for (int X = 0; X < Scene.Width; ++X) {
      const std::uint32_t Painted = OverWhite(PixelAt(Host.Surface(), X, Y));
      const std::uint32_t Expected = OverWhite(PixelAt(Rendered.get(), X, Y));
      if (Differs(Painted, Expected)) {
        ++Differing;
        DiffRow[X] = 0xFFFF0000;
      } else {
        // A faded grey copy of the host's picture, for orientation.
        const std::uint32_t Grey =
            ((Painted >> 16 & 0xFF) * 3 + (Painted >> 8 & 0xFF) * 6 + (Painted & 0xFF)) / 10 / 4 + 191;
        DiffRow[X] = 0xFF000000 | Grey << 16 | Grey << 8 | Grey;
      }
    }
  }
  cairo_surface_mark_dirty(Diff.get());
  if (const cairo_status_t Status = cairo_surface_write_to_png(Diff.get(), DiffPng.c_str()); Status != 0)
    throw std::runtime_error(DiffPng.string() + ": " + cairo_status_to_string(Status));

  const double Percent = 100.0 * Differing / (static_cast<double>(Scene.Width) * Scene.Height);
  const bool Passed = Percent <= Scene.MaxPercent && Percent >= Scene.MinPercent;
  std::printf("%s: %zu of %d pixels differ (%.3f%%); expected ", Scene.Name, Differing, Scene.Width * Scene.Height,
              Percent);
  if (Scene.MinPercent > 0)
    std::printf("at least %.3g%% (a difference by design)", Scene.MinPercent);
  else
    std::printf("at most %.3g%%", Scene.MaxPercent);
  std::printf(": %s\n  diff image: %s\n", Passed ? "ok" : "FAILED", DiffPng.c_str());
  return Passed ? 0 : 1;
}

}  // namespace

}  // namespace fsvg::fidelity

int main(int argc, char** argv) {
  using namespace fsvg::fidelity;
  if (argc == 2 && std::string_view(argv[1]) == "--list") {
    for (const TScene& Scene : Scenes()) std::printf("%s\n", Scene.Name);
    return 0;
  }
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s RSVG_CONVERT OUTPUT_DIRECTORY SCENE | --list\n", argv[0]);
    return 2;
  }
  for (const TScene& Scene : Scenes()) {
    if (Scene.Name != std::string_view(argv[3])) continue;
    try {
      return Check(Scene, argv[1], argv[2]);
    } catch (const std::exception& Error) {
      std::fprintf(stderr, "%s: %s\n", Scene.Name, Error.what());
      return 1;
    }
  }
  std::fprintf(stderr, "unknown scene '%s' (--list names them)\n", argv[3]);
  return 2;
}
