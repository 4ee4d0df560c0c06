// The fidelity check: a scene of scenes.txt is drawn through a TSvgCanvas over a host
// canvas (TCairoCanvas, or TQtCanvas when the Qt host is built) twice, once with the
// default options and once with TSvgOptions::Faithful(); one renderer renders both
// recorded SVGs, and the pixels where the host's picture and the rendering (both over
// white) differ by more than 10% in any channel are counted against the scene's limits.
// Writes the SVGs, the PNGs and a diff image per mode (differing pixels red over the
// host's picture).
//
//   fsvg_fidelity OUTPUT_DIRECTORY SCENE HOST rsvg RSVG_CONVERT
//   fsvg_fidelity OUTPUT_DIRECTORY SCENE HOST resvg NODE RENDER_SCRIPT
//   fsvg_fidelity OUTPUT_DIRECTORY SCENE HOST chromium CHROMIUM FONTS_CONF
//   fsvg_fidelity OUTPUT_DIRECTORY SCENE same-bytes
//
// HOST is cairo or qt. The last form records the scene with the default options over
// every host and fails unless the documents are byte for byte the same.
#include <cairo.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "dashboard.h"
#include "fsvg/cairocanvas.h"
#include "fsvg/fsvgcanvas.h"
#ifdef FSVG_FIDELITY_QT
#include <QGuiApplication>

#include "fsvg/qtcanvas.h"
#endif

namespace fsvg::fidelity {
namespace {

constexpr TAlphaColor White = 0xFFFFFFFF;

// One drawing call of a scene, as scenes.txt describes it.
struct TStep {
  char Op = 0;
  std::vector<float> N;
  TAlphaColor Color = 0xFF1F2A44;
  float Thickness = 0, Opacity = 1;
  std::u16string Text;
  std::string Commands;  // a path's commands, in order; their numbers are N's
  bool EvenOdd = false;  // the path is filled even-odd
};

struct TScene {
  std::string Name;
  int Width = 0, Height = 0;
  bool Text = false;
  double MaxPercent = 0, MinPercent = 0;
  std::vector<TStep> Steps;
};

// UTF-8 (no character beyond U+FFFF) as UTF-16, "\n" as a line break.
std::u16string Utf16(const std::string& Text) {
  constexpr int LeadBits[] = {0x7F, 0x1F, 0x0F};
  std::u16string Result;
  for (std::size_t I = 0; I < Text.size(); ++I) {
    if (Text.compare(I, 2, "\\n") == 0) {
      Result += u'\n';
      ++I;
      continue;
    }
    const auto Lead = static_cast<unsigned char>(Text[I]);
    const int Trailing = Lead < 0x80 ? 0 : Lead < 0xE0 ? 1 : 2;
    int Unit = Lead & LeadBits[Trailing];
    for (int K = 0; K < Trailing; ++K) Unit = Unit << 6 | (Text[++I] & 0x3F);
    Result += static_cast<char16_t>(Unit);
  }
  return Result;
}

TScene Load(const std::string& Name) {
  std::ifstream File(FSVG_FIDELITY_SCENES);
  TScene Scene;
  Scene.Name = Name;
  bool Inside = false;
  for (std::string Line; std::getline(File, Line);) {
    std::istringstream In(Line);
    std::string Op;
    In >> Op;
    if (Op == "=") {
      std::string Header;
      In >> Header;
      Inside = Header == Name;
      if (Inside) In >> Scene.Width >> Scene.Height >> Scene.Text >> Scene.MaxPercent >> Scene.MinPercent;
    } else if (Inside && !Op.empty() && Op[0] != '#') {
      TStep Step;
      Step.Op = Op[0];
      for (std::string Word; In >> Word && Word[0] != '"';) {
        if (Word[0] == '#')
          Step.Color = static_cast<TAlphaColor>(std::stoul(Word.substr(1), nullptr, 16));
        else if (Word[0] == 'w')
          Step.Thickness = std::stof(Word.substr(1));
        else if (Word[0] == '@')
          Step.Opacity = std::stof(Word.substr(1));
        else if (Word == "eo")
          Step.EvenOdd = true;
        else if (std::isalpha(static_cast<unsigned char>(Word[0])))
          Step.Commands.push_back(Word[0]);
        else
          Step.N.push_back(std::stof(Word));
      }
      if (const auto Quote = Line.find('"'); Quote != std::string::npos)
        Step.Text = Utf16(Line.substr(Quote + 1, Line.rfind('"') - Quote - 1));
      Scene.Steps.push_back(Step);
    }
  }
  if (Scene.Width == 0) throw std::runtime_error("no such scene in " FSVG_FIDELITY_SCENES);
  return Scene;
}

// The path of a step: each command takes its numbers from N in turn (M and L a point,
// Q two, C three, A the radii, rotation, both flags and the end, Z none).
TPathData PathOf(const TStep& Step) {
  TPathData Path;
  Path.FillRule = Step.EvenOdd ? TFillRule::EvenOdd : TFillRule::NonZero;
  std::size_t I = 0;
  const auto Next = [&] {
    const TPointF P{Step.N.at(I), Step.N.at(I + 1)};
    I += 2;
    return P;
  };
  for (const char Command : Step.Commands) {
    if (Command == 'M') Path.MoveTo(Next());
    if (Command == 'L') Path.LineTo(Next());
    if (Command == 'Z') Path.ClosePath();
    if (Command == 'Q') {
      const TPointF Control = Next();
      Path.QuadCurveTo(Control, Next());
    }
    if (Command == 'C') {
      const TPointF Control1 = Next(), Control2 = Next();
      Path.CurveTo(Control1, Control2, Next());
    }
    if (Command == 'A') {
      const TPointF Radius = Next(), Flags = Next();
      I += 1;
      Path.ArcTo(Radius, Flags.X, Flags.Y != 0, Step.N.at(I - 1) != 0, Next());
    }
  }
  return Path;
}

void Draw(TSvgCanvas& C, TCanvas& Host, const std::vector<TStep>& Steps) {
  TStrokeBrush Style(TBrushKind::Solid, 0);  // the dash, cap and join of the outlines that follow
  std::vector<TCanvasSaveState*> Saved;
  for (const TStep& Step : Steps) {
    const auto& [Op, N, Color, Thickness, Opacity, Text, Commands, EvenOdd] = Step;
    const auto At = [&Step](std::size_t I) { return I < Step.N.size() ? Step.N[I] : 0.f; };
    const TRectF R{At(0), At(1), At(2), At(3)};
    const TPointF P{At(0), At(1)}, Q{At(2), At(3)};
    TCorners Corners;
    for (int Corner = 0; Corner < 4; ++Corner)
      if ((N.size() > 7 ? static_cast<int>(N[7]) : 15) >> Corner & 1) Corners.Include(static_cast<TCorner>(Corner));
    TPolygon Points;
    for (std::size_t I = 0; I + 1 < N.size(); I += 2) Points.push_back({N[I], N[I + 1]});
    const TBrush Fill(TBrushKind::Solid, Color);
    TStrokeBrush Pen = Style;
    Pen.Color = Color;
    Pen.Thickness = Thickness;
    C.SetFill(Fill);  // for polygons and text
    C.GetStroke() = Pen;
    const auto Type = static_cast<TCornerType>(At(6));
    if (Op == 'r') C.FillRect(R, At(4), At(5), Corners, Opacity, Fill, Type);
    if (Op == 'R') C.DrawRect(R, At(4), At(5), Corners, Opacity, Pen, Type);
    if (Op == 'e') C.FillEllipse(R, Opacity, Fill);
    if (Op == 'E') C.DrawEllipse(R, Opacity, Pen);
    if (Op == 'a') C.FillArc(P, Q, At(4), At(5), Opacity, Fill);
    if (Op == 'A') C.DrawArc(P, Q, At(4), At(5), Opacity, Pen);
    if (Op == 'p') C.FillPolygon(Points, Opacity);
    if (Op == 'P') C.DrawPolygon(Points, Opacity);
    if (Op == 'L') C.DrawLine(P, Q, Opacity, Pen);
    if (Op == 'g') C.FillRect(R, 0, 0, AllCorners, Opacity, TBrush(TBrushKind::Gradient, Color));
    if (Op == 'c') C.ClearRect(R, White);
    if (Op == 'f') C.FillPath(PathOf(Step), Opacity, Fill);
    if (Op == 'F') C.DrawPath(PathOf(Step), Opacity, Pen);
    if (Op == 'k') C.IntersectClipRect(R);
    if (Op == 'x') C.ExcludeClipRect(R);
    if (Op == 'K') C.IntersectClipPath(PathOf(Step));
    if (Op == 'v') Saved.push_back(C.SaveState());
    if (Op == '^') {
      C.RestoreState(Saved.back());
      Saved.pop_back();
    }
    if (Op == 'o') C.SetOffset(P);
    if (Op == 'm') Host.SetMatrix({At(0), At(1), 0, At(2), At(3), 0, At(4), At(5), 1});
    if (Op == 's') {
      Style.Dash = static_cast<TStrokeDash>(At(0));
      Style.Cap = static_cast<TStrokeCap>(At(1));
      Style.Join = static_cast<TStrokeJoin>(At(2));
    }
    if (Op == 't') {
      C.GetFont() = TFont(demo::DashboardFont, At(4));
      const TFillTextFlags Flags = At(8) == 1 ? TFillTextFlags{TFillTextFlag::RightToLeft} : TFillTextFlags{};
      C.FillText(R, Text, At(7) == 1, Opacity, Flags, static_cast<TTextAlign>(At(5)), static_cast<TTextAlign>(At(6)));
    }
    if (Op == 'b') {
      C.GetFont() = TFont(demo::DashboardFont, At(3));
      const float Ascent = Host.GetFontMetrics().Ascent;
      const TRectF Line{At(0), At(1) - Ascent, At(2), At(1)};
      C.FillText(Line, Text, false, Opacity, {}, TTextAlign::Leading, TTextAlign::Leading);
    }
    if (Op == 'i') {
      std::vector<TAlphaColor> Pixels;
      for (std::uint32_t Y = 0; Y < 64; ++Y)
        for (std::uint32_t X = 0; X < 64; ++X)
          Pixels.push_back(At(9) == 1 ? ((X / 4 + Y / 4) % 2 ? 0xFF2F6BD8 : 0xFFF0C81E)
                                      : (255 - Y) << 24 | X * 4 << 16 | Y * 4 << 8 | 160);
      C.DrawBitmap(TBitmap(64, 64, Pixels), R, {At(4), At(5), At(6), At(7)}, Opacity, At(8) == 1);
    }
    if (Op == 'D') {
      C.GetFont() = TFont(demo::DashboardFont, 100);
      TTeeCanvas Canvas(C);
      demo::DrawDashboard(Canvas, Host.GetFontMetrics().Ascent / 100);
    }
  }
}

// A host canvas of a scene's size and how to save its picture.
struct THost {
  std::unique_ptr<TCanvas> Canvas;
  std::function<void(const std::string&)> SaveToPNG;
};

THost MakeHost(const std::string& Name, int Width, int Height) {
  if (Name == "cairo") {
    auto Canvas = std::make_unique<TCairoCanvas>(Width, Height);
    TCairoCanvas* Painter = Canvas.get();
    return {std::move(Canvas), [Painter](const std::string& File) { Painter->SaveToPNG(File); }};
  }
#ifdef FSVG_FIDELITY_QT
  if (Name == "qt") {
    auto Canvas = std::make_unique<TQtCanvas>(Width, Height);
    TQtCanvas* Painter = Canvas.get();
    return {std::move(Canvas), [Painter](const std::string& File) { Painter->SaveToPNG(File); }};
  }
#endif
  throw std::runtime_error("no host canvas named " + Name);
}

// The scene recorded with the default options over the host Name.
std::string Record(const TScene& Scene, const std::string& Name) {
  const THost Host = MakeHost(Name, Scene.Width, Scene.Height);
  TMemoryStream Stream;
  {
    TSvgCanvas Canvas(&Stream, Host.Canvas.get());
    Canvas.Clear(White);
    Draw(Canvas, *Host.Canvas, Scene.Steps);
  }
  return std::string(reinterpret_cast<const char*>(Stream.Data()), Stream.Size());
}

// Whether the scene records the same bytes over every host built.
int SameBytes(const TScene& Scene) {
  const std::string Cairo = Record(Scene, "cairo");
#ifdef FSVG_FIDELITY_QT
  const std::string Qt = Record(Scene, "qt");
  const bool Same = Cairo == Qt;
  std::printf("%s, default: %zu bytes over Cairo, %zu over Qt: %s\n", Scene.Name.c_str(), Cairo.size(), Qt.size(),
              Same ? "the same bytes" : "DIFFERENT");
  return Same ? 0 : 1;
#else
  return 0;
#endif
}

using TSurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// Runs Arguments (quoted for the shell) with its output to Log; throws unless it exits with 0.
void Run(const std::vector<std::string>& Arguments, const std::string& Log) {
  std::string Command;
  for (const std::string& Argument : Arguments) {
    Command += '\'';
    for (const char Char : Argument) Command += Char == '\'' ? std::string("'\\''") : std::string(1, Char);
    Command += "' ";
  }
  if (std::system((Command + ">'" + Log + "' 2>&1").c_str()) != 0)
    throw std::runtime_error(Arguments[0] + " failed, see " + Log);
}

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
// rows hold no padding), differ by more than 10% of a channel's range; those pixels turn
// red in Painted.
double Compare(cairo_surface_t* Painted, cairo_surface_t* Rendered) {
  const int Count = cairo_image_surface_get_width(Painted) * cairo_image_surface_get_height(Painted);
  auto* Pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(Painted));
  const auto* Reference = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(Rendered));
  int Differing = 0;
  for (int I = 0; I < Count; ++I) {
    bool Differs = false;
    for (const int Shift : {0, 8, 16})
      Differs |= std::abs(int(Pixels[I] >> Shift & 0xFF) - int(Reference[I] >> Shift & 0xFF)) > 25;
    if (Differs) {
      Pixels[I] = 0xFFFF0000;
      ++Differing;
    }
  }
  cairo_surface_mark_dirty(Painted);
  return 100.0 * Differing / Count;
}

int Check(const TScene& Scene, const std::filesystem::path& Directory, const std::string& HostName,
          const std::vector<std::string>& Tool) {
  const std::string& Renderer = Tool.at(0);
  std::filesystem::create_directories(Directory);
  // Every file is named for the scene, the host and the renderer: the tests run in
  // parallel. The Cairo host's files keep their names of before there was a second host.
  std::string Base = (Directory / Scene.Name).string();
  if (HostName != "cairo") Base.append(".").append(HostName);
  Base.append(".").append(Renderer);
  const std::string Log = Base + ".log";
  const std::string W = std::to_string(Scene.Width), H = std::to_string(Scene.Height),
                    Modes[] = {"default", "faithful"};
  // Chromium renders at Scale device pixels a unit, averaged back to one: at one, it puts
  // every text baseline on a whole pixel (its glyphs take sub-pixel positions only along
  // the line), which moves wrapped lines by up to half a pixel from the host's. Its fonts
  // are unhinted as the host's: hinting moves every stem by a fraction of a pixel.
  const int Scale = Renderer == "chromium" ? 4 : 1;
  if (Renderer == "chromium") setenv("FONTCONFIG_FILE", Tool.at(2).c_str(), 1);
  int Failed = 0;
  for (int M = 0; M < 2; ++M) {
    const std::string Out = Base + "." + Modes[M], Svg = Out + ".svg", Png = Out + ".png";
    const THost Painter = MakeHost(HostName, Scene.Width, Scene.Height);
    {
      TSvgCanvas Canvas(Svg, Painter.Canvas.get(), M ? TSvgOptions::Faithful() : TSvgOptions());
      Canvas.Clear(White);
      Draw(Canvas, *Painter.Canvas, Scene.Steps);
    }
    if (Renderer == "rsvg")
      Run({Tool.at(1), "--page-width", W, "--page-height", H, "-b", "white", "-o", Png, Svg}, Log);
    if (Renderer == "resvg") Run({Tool.at(1), Tool.at(2), Svg, Png, W, H}, Log);
    if (Renderer == "chromium")
      Run({Tool.at(1), "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
           "--force-device-scale-factor=" + std::to_string(Scale), "--user-data-dir=" + Base + ".profile",
           "--window-size=" + W + "," + H, "--screenshot=" + Png, "file://" + std::filesystem::absolute(Svg).string()},
          Log);
    // The host's picture is compared as read back from its PNG file, which must hold it all.
    const std::string Host = Out + ".host.png";
    Painter.SaveToPNG(Host);
    const TSurfacePtr Painted = OverWhite(Host, Scene.Width, Scene.Height);
    const double Percent = Compare(Painted.get(), OverWhite(Png, Scene.Width, Scene.Height, Scale).get());
    cairo_surface_write_to_png(Painted.get(), (Out + ".diff.png").c_str());
    // Faithful recordings must agree; default ones keep the scene's documented limits.
    const double Max = M == 1 ? (Scene.Text ? 2.0 : 0.5) : Scene.MaxPercent, Min = M == 1 ? 0 : Scene.MinPercent;
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
    if (std::string(argv[3]) == "same-bytes") return SameBytes(Load(argv[2]));
    return Check(Load(argv[2]), argv[1], argv[3], std::vector<std::string>(argv + 4, argv + argc));
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "%s: %s\n", argv[2], Error.what());
    return 1;
  }
}
