// The fidelity check: a scene of scenes/ (scenes/NAME.txt, a drawing script) is drawn
// through a TSvgCanvas over a host canvas (TCairoCanvas, or TQtCanvas when the Qt host is
// built) twice, once with the default options and once with TSvgOptions::Faithful(), and
// a scene with text a third time, faithfully with glyph outlines; one renderer renders
// every recorded SVG, and the pixels where the host's picture and the
// rendering (both over white) differ by more than 10% in any channel are counted against
// the scene's limits. Writes the SVGs, the PNGs and a diff image per mode (differing
// pixels red over the host's picture).
//
//   fsvg_fidelity OUTPUT_DIRECTORY SCENE HOST rsvg RSVG_CONVERT
//   fsvg_fidelity OUTPUT_DIRECTORY SCENE HOST resvg NODE RENDER_SCRIPT
//   fsvg_fidelity OUTPUT_DIRECTORY SCENE HOST chromium CHROMIUM FONTS_CONF
//   fsvg_fidelity OUTPUT_DIRECTORY SCENE same-bytes
//   fsvg_fidelity --help       (the verbs a scene is written in)
//
// HOST is cairo or qt. The same-bytes form records the scene with the default options
// over every host, writes the Cairo host's document as SCENE.same-bytes.svg, and fails
// unless the documents are byte for byte the same.
//
// Each scene is drawn over a host canvas cleared to white, in the demo's font. Its
// "Scene" line gives its size, whether it has text (renderers shape and smooth text each
// their own way: 2% of the pixels may differ when recorded faithfully, 0.5% without
// text; with glyph outlines, text is shapes: 0.5%), and with the default options at most max% of the pixels may differ
// and at least min% must (a difference by design: it keeps the documented differences honest and proves the comparison
// can see them). Recorded with the default options, the scenes that must agree keep to what the plain recording can
// say: opaque brush colours (the SVG fill drops a colour's alpha; translucency goes through the opacity), solid strokes
// with flat caps and miter joins, round corners on all four corners, arcs without an
// offset, the identity matrix, and single-line text whose baseline lies on its
// rectangle's bottom. The "-by-design" scenes break those rules on purpose.
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "dashboard.h"
#include "fsvg/cairocanvas.h"
#include "fsvg/fsvgcanvas.h"
#include "support/pixels.h"
#include "support/script.h"
#ifdef FSVG_FIDELITY_QT
#include <QGuiApplication>

#include "fsvg/qtcanvas.h"
#endif

namespace fsvg::fidelity {
namespace {

constexpr TAlphaColor White = 0xFFFFFFFF;

// Draws the scene on C, cleared to white, in the demo's font; Dashboard is the demo's.
void Draw(TSvgCanvas& C, const test::TScene& Scene) {
  C.Clear(White);
  C.GetFont() = TFont(demo::DashboardFont, 12);
  test::TScript(C, [&C](const test::TStep&) {
    C.GetFont() = TFont(demo::DashboardFont, 100);
    TTeeCanvas Canvas(C);
    demo::DrawDashboard(Canvas, C.GetCanvas().GetFontMetrics().Ascent / 100);
  }).Run(Scene.Steps);
}

// A host canvas of a scene's size and how to save its picture.
struct THost {
  std::unique_ptr<TCanvas> Canvas;
  std::function<void(const std::string&)> SaveToPNG;
};

template <typename T>
THost Make(int Width, int Height) {
  auto Canvas = std::make_unique<T>(Width, Height);
  T* Painter = Canvas.get();
  return {std::move(Canvas), [Painter](const std::string& File) { Painter->SaveToPNG(File); }};
}

THost MakeHost(const std::string& Name, int Width, int Height) {
  if (Name == "cairo") return Make<TCairoCanvas>(Width, Height);
#ifdef FSVG_FIDELITY_QT
  if (Name == "qt") return Make<TQtCanvas>(Width, Height);
#endif
  throw std::runtime_error("no host canvas named " + Name);
}

// The scene recorded with the default options over the host Name.
std::string Record(const test::TScene& Scene, const std::string& Name) {
  const THost Host = MakeHost(Name, Scene.Width, Scene.Height);
  TMemoryStream Stream;
  {
    TSvgCanvas Canvas(&Stream, Host.Canvas.get());
    Draw(Canvas, Scene);
  }
  return std::string(Stream.View());
}

// Whether the scene records the same bytes over every host built.
int SameBytes(const test::TScene& Scene, const std::filesystem::path& Directory) {
  const std::string Cairo = Record(Scene, "cairo");
  // Buffered whole, the file is written out by the stream's destructor.
  TFileStream(Directory / (Scene.Name + ".same-bytes.svg"), TFileBuffering::Full)
      .WriteBuffer(Cairo.data(), Cairo.size());
#ifdef FSVG_FIDELITY_QT
  const std::string Qt = Record(Scene, "qt");
  const bool Same = Cairo == Qt;
  std::printf("%s, default: %s\n", Scene.Name.c_str(), Same ? "the same bytes over every host" : "DIFFERENT");
  return Same ? 0 : 1;
#else
  return 0;
#endif
}

using TSurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// The PNG file Name, at least Width x Height pixels, over white, with every Scale x Scale
// pixels of the file averaged into one.
TSurfacePtr OverWhite(const std::string& Name, int Width, int Height, int Scale = 1) {
  const TSurfacePtr Loaded(cairo_image_surface_create_from_png(Name.c_str()), cairo_surface_destroy);
  if (cairo_surface_status(Loaded.get()) != 0 || cairo_image_surface_get_width(Loaded.get()) < Width * Scale ||
      cairo_image_surface_get_height(Loaded.get()) < Height * Scale)
    throw std::runtime_error(Name + " is unreadable or smaller than the scene");
  cairo_surface_set_device_scale(Loaded.get(), Scale, Scale);
  TSurfacePtr Result(cairo_image_surface_create(CAIRO_FORMAT_RGB24, Width, Height), cairo_surface_destroy);
  cairo_t* Context = cairo_create(Result.get());
  cairo_set_source_rgb(Context, 1, 1, 1);
  cairo_paint(Context);
  cairo_set_source_surface(Context, Loaded.get(), 0, 0);
  cairo_paint(Context);
  cairo_destroy(Context);
  cairo_surface_flush(Result.get());
  return Result;
}

// The percentage of pixels where Painted and Rendered, RGB24 surfaces of one size (whose
// rows hold no padding), differ (MarkDiffering); those pixels turn red in Painted.
double Compare(cairo_surface_t* Painted, cairo_surface_t* Rendered) {
  const double Percent = test::MarkDiffering(
      reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(Painted)),
      reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(Rendered)),
      static_cast<std::size_t>(cairo_image_surface_get_width(Painted)) * cairo_image_surface_get_height(Painted));
  cairo_surface_mark_dirty(Painted);
  return Percent;
}

int Check(const test::TScene& Scene, const std::filesystem::path& Directory, const std::string& HostName,
          const std::vector<std::string>& Tool) {
  const std::string& Renderer = Tool.at(0);
  std::filesystem::create_directories(Directory);
  // Every file is named for the scene, the host and the renderer: the tests run in
  // parallel. The Cairo host's files keep their names of before there was a second host.
  std::string Base = (Directory / Scene.Name).string();
  if (HostName != "cairo") Base.append(".").append(HostName);
  Base.append(".").append(Renderer);
  const std::string Log = Base + ".log";
  const std::string Modes[] = {"default", "faithful", "outlines"};
  const int Scale = Renderer == "chromium" ? test::ChromiumScale : 1;
  int Failed = 0;
  for (int M = 0; M < (Scene.Text ? 3 : 2); ++M) {
    const std::string Out = Base + "." + Modes[M], Svg = Out + ".svg", Png = Out + ".png";
    const THost Painter = MakeHost(HostName, Scene.Width, Scene.Height);
    {
      TSvgOptions Options = M ? TSvgOptions::Faithful() : TSvgOptions();
      Options.GlyphOutlines = M == 2;
      TSvgCanvas Canvas(Svg, Painter.Canvas.get(), Options);
      Draw(Canvas, Scene);
    }
    if (!test::Render(Tool, Svg, Png, Scene.Width, Scene.Height, Log))
      throw std::runtime_error(Tool[1] + " failed, see " + Log);
    // The host's picture is compared as read back from its PNG file, which must hold it all.
    const std::string Host = Out + ".host.png";
    Painter.SaveToPNG(Host);
    const TSurfacePtr Painted = OverWhite(Host, Scene.Width, Scene.Height);
    const double Percent = Compare(Painted.get(), OverWhite(Png, Scene.Width, Scene.Height, Scale).get());
    cairo_surface_write_to_png(Painted.get(), (Out + ".diff.png").c_str());
    // Faithful recordings must agree; default ones keep the scene's documented limits.
    const double Max = M == 0 ? Scene.MaxPercent : (M == 1 && Scene.Text ? 2.0 : 0.5), Min = M ? 0 : Scene.MinPercent;
    const bool Passed = Percent <= Max && Percent >= Min;
    Failed += !Passed;
    std::printf("%s, %s, %s, %s: %.3f%% of the pixels differ; expected %s %.3g%%: %s\n  diff image: %s.diff.png\n",
                Scene.Name.c_str(), HostName.c_str(), Modes[M].c_str(), Renderer.c_str(), Percent,
                Min > 0 ? "at least" : "at most", Min > 0 ? Min : Max, Passed ? "ok" : "FAILED", Out.c_str());
  }
  return Failed == 0 ? 0 : 1;
}

}  // namespace
}  // namespace fsvg::fidelity

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--help") {
    std::fputs(fsvg::test::Help().c_str(), stdout);
    return 0;
  }
  if (argc < 4 || (argc < 6 && std::string(argv[3]) != "same-bytes")) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY SCENE (HOST RENDERER TOOL... | same-bytes)\n", argv[0]);
    return 2;
  }
#ifdef FSVG_FIDELITY_QT
  // The Qt host's text needs an application; no window is ever shown.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const QGuiApplication Application(argc, argv);
#endif
  try {
    using namespace fsvg::fidelity;
    // A scene of scenes/ by name, or any scene file by its path (a generated one).
    const std::filesystem::path Given = argv[2];
    const bool IsPath = Given.extension() == ".txt";
    const std::string Name = IsPath ? Given.stem().string() : Given.string();
    const std::string File = IsPath ? Given.string() : FSVG_FIDELITY_SCENES "/" + Name + ".txt";
    if (std::string(argv[3]) == "same-bytes") return SameBytes(fsvg::test::Load(File, Name), argv[1]);
    return Check(fsvg::test::Load(File, Name), argv[1], argv[3], std::vector<std::string>(argv + 4, argv + argc));
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "%s: %s\n", argv[2], Error.what());
    return 1;
  }
}
