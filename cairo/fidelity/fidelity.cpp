// The fidelity check: each scene is drawn through a TSvgCanvas over a TCairoCanvas twice,
// once with the default options and once with TSvgOptions::Faithful(); one renderer
// renders both recorded SVGs, and the pixels where the host's picture and the rendering
// (both over white) differ by more than 10% in any channel are counted. Writes the SVGs,
// the PNGs and a diff image per mode (differing pixels red over the host's picture).
//
//   fsvg_fidelity OUTPUT_DIRECTORY SCENE rsvg RSVG_CONVERT
//   fsvg_fidelity OUTPUT_DIRECTORY SCENE resvg NODE RENDER_SCRIPT
//   fsvg_fidelity OUTPUT_DIRECTORY SCENE chromium CHROMIUM FONTS_CONF
//
// Recorded with the default options, the scenes that must agree keep to what the plain
// recording can say: opaque brush colours (the SVG fill drops a colour's alpha;
// translucency goes through AOpacity), solid strokes with flat caps and miter joins, round
// corners on all four corners, arcs without an offset, the identity matrix, and
// single-line text whose baseline lies on its rectangle's bottom. The "-by-design" scenes
// break those rules on purpose: with the default options they must show a difference of
// at least their MinPercent; recorded faithfully, every scene must agree within 0.5% (2%
// with text).
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "dashboard.h"
#include "fsvg/cairocanvas.h"
#include "fsvg/fsvgcanvas.h"

namespace fsvg::fidelity {
namespace {

constexpr TAlphaColor White = 0xFFFFFFFF, Black = 0xFF000000, Blue = 0xFF2F6BD8, Green = 0xFF25A26B,
                      Orange = 0xFFF08C1E, Red = 0xFFD43F3A, Ink = 0xFF1F2A44;

TBrush Solid(TAlphaColor Color) { return TBrush(TBrushKind::Solid, Color); }
TStrokeBrush Pen(TAlphaColor Color, float Thickness) { return TStrokeBrush(TBrushKind::Solid, Color, Thickness); }

// One drawing call of a scene, filled in Color, or outlined Thickness wide where the
// letter is upper case, with the numbers N (those not given are 0):
//   'r' 'R'  rectangle: left, top, right, bottom, x and y radius, corner type, and the
//            corners as bits (TopLeft = 1; all four when not given)
//   'e' 'E'  ellipse in the rectangle      'a' 'A'  arc: centre, radii, start, sweep
//   'p' 'P'  polygon through the points (x, y, x, y, ...), by the current fill or stroke
//   'L'      line from (N[0], N[1]) to (N[2], N[3])
//   'g'      gradient rectangle             'c'      rectangle cleared to white
//   'o'      new offset (N[0], N[1])        'm'      host matrix m11, m12, m21, m22, m31, m32
//   't'      Text in the demo's font of size N[4] in the rectangle, at its leading corner,
//            or centred both ways where N[5] is 1
//   'b'      Text of size N[3] from x = N[0] to N[2] on the baseline y = N[1], in a
//            rectangle as high as the font's ascent (laid out Leading both ways, the
//            raster's baseline then lies on the bottom, where the recording puts it)
struct TStep {
  char Op;
  std::vector<float> N;
  TAlphaColor Color = Ink;
  float Thickness = 0, Opacity = 1;
  const char16_t* Text = u"";
};

// A step from its letter and numbers, written "r 20 20 180 120".
TStep S(const char* Call, TAlphaColor Color = Ink, float Thickness = 0, float Opacity = 1, const char16_t* Text = u"") {
  std::istringstream In(Call);
  TStep Step{static_cast<char>(In.get()), {}, Color, Thickness, Opacity, Text};
  for (float Number; In >> Number;) Step.N.push_back(Number);
  Step.N.resize(std::max<std::size_t>(Step.N.size(), 7));  // adds no point: polygons give 6 or more
  return Step;
}

void DrawSteps(TSvgCanvas& C, TCairoCanvas& Host, const std::vector<TStep>& Steps) {
  for (const auto& [Op, N, Color, Thickness, Opacity, Text] : Steps) {
    const TRectF R{N[0], N[1], N[2], N[3]};
    const TPointF P{N[0], N[1]}, Q{N[2], N[3]};
    TCorners Corners;
    for (int Corner = 0; Corner < 4; ++Corner)
      if ((N.size() > 7 ? static_cast<int>(N[7]) : 15) >> Corner & 1) Corners.Include(static_cast<TCorner>(Corner));
    TPolygon Points;
    for (std::size_t I = 0; I + 1 < N.size(); I += 2) Points.push_back({N[I], N[I + 1]});
    C.SetFill(Solid(Color));  // for polygons and text
    C.GetStroke() = Pen(Color, Thickness);
    const TCornerType Type = static_cast<TCornerType>(static_cast<int>(N[6]));
    if (Op == 'r') C.FillRect(R, N[4], N[5], Corners, Opacity, Solid(Color), Type);
    if (Op == 'R') C.DrawRect(R, N[4], N[5], Corners, Opacity, Pen(Color, Thickness), Type);
    if (Op == 'e') C.FillEllipse(R, Opacity, Solid(Color));
    if (Op == 'E') C.DrawEllipse(R, Opacity, Pen(Color, Thickness));
    if (Op == 'a') C.FillArc(P, Q, N[4], N[5], Opacity, Solid(Color));
    if (Op == 'A') C.DrawArc(P, Q, N[4], N[5], Opacity, Pen(Color, Thickness));
    if (Op == 'p') C.FillPolygon(Points, Opacity);
    if (Op == 'P') C.DrawPolygon(Points, Opacity);
    if (Op == 'L') C.DrawLine(P, Q, Opacity, Pen(Color, Thickness));
    if (Op == 'g') C.FillRect(R, 0, 0, AllCorners, Opacity, TBrush(TBrushKind::Gradient, Color));
    if (Op == 'c') C.ClearRect(R, White);
    if (Op == 'o') C.SetOffset(P);
    if (Op == 'm') Host.SetMatrix({N[0], N[1], 0, N[2], N[3], 0, N[4], N[5], 1});
    if (Op == 't' || Op == 'b') {
      C.GetFont() = TFont(demo::DashboardFont, Op == 'b' ? N[3] : N[4]);
      const float Ascent = Host.GetFontMetrics().Ascent;
      const TTextAlign Align = Op == 't' && N[5] == 1 ? TTextAlign::Center : TTextAlign::Leading;
      C.FillText(Op == 'b' ? TRectF{N[0], N[1] - Ascent, N[2], N[1]} : R, Text, false, Opacity, {}, Align, Align);
    }
  }
}

// The demo dashboard, text included.
void DrawDemo(TSvgCanvas& C, TCairoCanvas& Host) {
  Host.GetFont() = TFont(demo::DashboardFont, 100);
  TTeeCanvas Canvas(C);
  demo::DrawDashboard(Canvas, Host.GetFontMetrics().Ascent / 100);
}

// Every corner type on every subset of the four corners, filled and outlined.
void DrawCorners(TSvgCanvas& C, TCairoCanvas& Host) {
  const TAlphaColor Colors[] = {Blue, Green, Orange, Red};
  std::vector<TStep> Steps;
  for (int Kind = 0; Kind < 64; ++Kind) {
    const float X = 10 + static_cast<float>(Kind % 8) * 60, Y = 10 + static_cast<float>(Kind / 8) * 50;
    const float Type = static_cast<float>(Kind / 16), Corners = static_cast<float>(Kind % 16);
    Steps.push_back({Kind % 2 ? 'R' : 'r', {X, Y, X + 50, Y + 40, 14, 10, Type, Corners}, Colors[Kind / 16], 3});
  }
  DrawSteps(C, Host, Steps);
}

// Every dash with both caps on lines, every join on open and closed outlines.
void DrawStrokes(TSvgCanvas& C, TCairoCanvas&) {
  for (int Line = 0; Line < 12; ++Line) {
    TStrokeBrush& Brush = C.GetStroke() = Pen(Line % 2 ? Blue : Ink, 6);
    Brush.Dash = static_cast<TStrokeDash>(Line / 2), Brush.Cap = static_cast<TStrokeCap>(Line % 2);
    C.DrawLine({20, 20 + Line * 14.f}, {220, 20 + Line * 14.f}, 1, Brush);
  }
  for (int Join = 0; Join < 3; ++Join) {
    const float X = 250 + static_cast<float>(Join) * 50;
    TStrokeBrush& Brush = C.GetStroke() = Pen(Join == 1 ? Red : Green, 10);
    Brush.Join = static_cast<TStrokeJoin>(Join);
    C.DrawPolygon({{X, 30}, {X + 30, 70}, {X, 110}}, 1);
    C.DrawRect({X, 140, X + 36, 190}, 0, 0, AllCorners, 1, Brush);
    Brush.Dash = TStrokeDash::Dash;
    C.DrawArc({X + 18, 250}, {18, 30}, 200, 240, 1, Brush);
  }
}

// Boxes First to 8 of every horizontal (Box % 3) and vertical (Box / 3) alignment, the
// bottom row right to left, wrapped in a narrow box.
void DrawTextBoxes(TSvgCanvas& C, int First) {
  C.GetFont() = TFont(demo::DashboardFont, 13);
  C.SetFill(Solid(Ink));
  for (int Box = First; Box < 9; ++Box) {
    const float X = 10 + static_cast<float>(Box % 3) * 160, Y = 10 + static_cast<float>(Box / 3 - First / 3) * 100;
    C.DrawRect({X, Y, X + 150, Y + 90}, 0, 0, AllCorners, 1, Pen(0xFFDDDDDD, 1));
    C.FillText({X, Y, X + 150, Y + 90}, u"Wrapped text in a box, aligned\nas the host lays it out", true, 1,
               Box / 3 == 2 ? TFillTextFlags{TFillTextFlag::RightToLeft} : TFillTextFlags{},
               static_cast<TTextAlign>(Box % 3), static_cast<TTextAlign>(Box / 3));
  }
}
void DrawTextLayout(TSvgCanvas& C, TCairoCanvas&) { DrawTextBoxes(C, 0); }
void DrawRightToLeft(TSvgCanvas& C, TCairoCanvas&) { DrawTextBoxes(C, 6); }

// Each scene is drawn on a canvas cleared to white; Host (Width x Height) gives font
// metrics and takes matrices.
struct TSceneInfo {
  const char* Name;
  int Width, Height;
  bool Text;  // renderers shape and smooth text each their own way
  // At most MaxPercent of the pixels may differ with the default options, and a
  // difference by design must show at least MinPercent: it keeps the documented
  // differences honest and proves the comparison can see them.
  double MaxPercent, MinPercent;
};
struct TScene : TSceneInfo {
  std::vector<TStep> Steps;
  void (*Code)(TSvgCanvas& C, TCairoCanvas& Host) = nullptr;  // draws the scenes that loop
  void Draw(TSvgCanvas& C, TCairoCanvas& Host) const { Code ? Code(C, Host) : DrawSteps(C, Host, Steps); }
};

const TScene AllScenes[] = {
    // Rectangles and ellipses, plain and translucent, under an offset (which moves them in the
    // recording too), cleared in part.
    {{"fills", 400, 300, false, 0.5, 0},
     {S("r 20 20 180 120", Blue), S("r 120 70 260 170", Orange, 0, 0.5f), S("e 200 20 380 140", Green),
      S("e 280 90 360 250", Red, 0, 0.6f), S("g 40 200 120 280"), S("c 60 40 100 80"), S("o 130 180"),
      S("r 0 0 60 50", Blue), S("e 70 0 130 60", Green, 0, 0.8f), S("o 0 0")}},
    // Outlines centred on their geometry: rectangles, ellipses and lines of several widths.
    {{"outlines", 400, 300, false, 0.5, 0},
     {S("R 20 20 120 100", Blue, 1), S("R 140 20 240 100", Green, 3), S("R 260 20 380 100", Red, 6, 0.7f),
      S("E 20 120 180 200", Ink, 2), S("E 200 120 260 280", Orange, 4), S("L 280 130 380 130", Ink, 1),
      S("L 280 150 380 190", Blue, 2.5f), S("L 290 280 370 200", Green, 5), S("L 20 260 180 220", Red, 8, 0.5f),
      S("o 10 5"), S("L 10 210 170 210", Ink, 2), S("o 0 0")}},
    // Rounded rectangles with equal and unequal radii, and radii clamped to half the size.
    {{"rounded", 400, 300, false, 0.5, 0},
     {S("r 20 20 180 120 12 12", Blue), S("r 200 20 380 120 30 10", Green), S("r 20 140 120 280 1000 1000", Orange),
      S("r 140 150 380 190 1000 8", Red, 0, 0.7f), S("R 150 210 260 280 16 16", Ink, 2),
      S("R 280 210 370 280 40 12", Blue, 5)}},
    // Filled and stroked arcs of many sweeps: below and above 180 degrees, negative, and a
    // whole turn either way (recorded as two half arcs). No offset here: the recording
    // writes arcs without it (see offset-arcs-by-design).
    {{"arcs", 420, 320, false, 0.5, 0},
     {S("a 55 55 42 36 -30 45", Green), S("a 155 55 42 36 -20 90", Blue), S("a 255 55 42 36 -10 135", Green),
      S("a 355 55 42 36 0 200", Blue), S("a 55 155 42 36 10 270", Green), S("a 155 155 42 36 20 -120", Blue),
      S("a 255 155 42 36 30 360", Green), S("a 355 155 42 36 40 -360", Blue), S("A 55 260 40 30 20 30", Ink, 3),
      S("A 155 260 40 30 20 180", Red, 3), S("A 255 260 40 30 20 300", Ink, 3), S("A 355 260 40 30 20 -200", Red, 3),
      S("A 200 260 15 15 0 -360", Orange, 4, 0.6f)}},
    // Filled polygons (convex, concave, self-crossing under the nonzero rule) and closed
    // outlines. The recording closes an outline by repeating its first point in a polyline,
    // which leaves that vertex without a join; so every outline here starts in the middle
    // of an edge, where a join would be straight anyway.
    {{"polygons", 400, 300, false, 0.5, 0},
     {S("p 30 30 170 20 150 120 60 140 20 90", Blue), S("p 200 20 380 20 290 80 380 140 200 140 250 80", Green),
      S("p 100 160 130 280 20 200 180 200 70 280", Orange, 0, 0.8f), S("P 260 160 340 160 300 280 220 160", Ink, 2),
      S("P 202.5 235 200 200 260 210 250 280 205 270", Red, 4)}},
    // Text in three scripts and four sizes, their baselines 1.6 sizes apart, then a line
    // whose descenders hang below the baseline.
    {{"text", 480, 260, true, 0.5, 0},
     {S("b 16 39.2 460 12", Ink, 0, 1, u"Sphinx of black quartz, judge my vow."),
      S("b 16 64.8 460 16", Ink, 0, 1, u"Ξεσκεπάζω την ψυχοφθόρα βδελυγμία"),
      S("b 16 96.8 460 20", Ink, 0, 0.6f, u"Съешь же ещё этих мягких булок"),
      S("b 16 141.6 460 28", Blue, 0, 1, u"Mixed: café · αβγ · жзи · 12.5%"),
      S("b 16 230 460 14", Red, 0, 1, u"Baseline on the bottom edge: g, y, p, ф hang below it.")}},
    {{"demo", demo::DashboardWidth, demo::DashboardHeight, true, 2, 0}, {}, DrawDemo},
    // By design: arcs are recorded without the canvas offset, while the host moves them.
    // Each arc is drawn at (60, 40) from where the SVG puts it, so both copies show apart.
    {{"offset-arcs-by-design", 400, 300, false, 100, 5},
     {S("o 60 40"), S("a 80 80 50 50 0 270", Blue), S("A 220 120 50 40 180 180", Red, 4)}},
    // By design: the recording places text at the rectangle's left and bottom edges, while
    // the host centres it in the rectangle; the two copies stand apart.
    {{"centred-text-by-design", 400, 160, true, 100, 1}, {S("t 20 20 380 140 24 1", Ink, 0, 1, u"Centred κείμενο")}},
    // By design: an SVG rect rounds all four corners, so bevelled, inner and partly rounded
    // corners render as plain round ones.
    {{"corner-types-by-design", 400, 300, false, 100, 1},
     {S("r 20 20 180 140 30 30 1", Blue), S("r 220 20 380 140 30 30 2", Green), S("r 20 160 180 280 30 30 3", Orange),
      S("r 220 160 380 280 30 30 0 1", Red)}},
    // Shapes under a rotation by 0.35 about the scene's centre (200, 150), then under an
    // unequal scaling; the polygon and the text in the default fill.
    {{"transforms-by-design", 400, 300, true, 100, 5},
     {S("m 0.939372718 0.342897803 -0.342897803 0.939372718 63.5601273 -59.4854736"), S("r 60 40 200 120", Blue),
      S("E 220 40 340 130", Red, 3), S("L 60 150 340 160", Ink, 2), S("m 1.6 0 0 0.7 -40 120"),
      S("a 80 150 40 40 0 270", Green), S("p 150 120 230 150 160 200", Black, 0, 0.8f),
      S("t 20 190 220 230 18", Black, 0, 1, u"Scaled text"), S("m 1 0 0 1 0 0")}},
    // Colours with alpha, filled and stroked, over each other.
    {{"translucent-by-design", 400, 300, false, 100, 5},
     {S("r 20 20 200 160", 0x802F6BD8), S("e 120 80 300 260", 0x60D43F3A), S("r 220 30 380 130", 0xB025A26B, 0, 0.7f),
      S("R 40 180 200 280", 0x701F2A44, 10), S("L 220 280 380 160", 0x40F08C1E, 16)}},
    // Shapes given right to left and bottom to top: the host paints them normalised.
    {{"reversed-shapes-by-design", 400, 160, false, 100, 5},
     {S("r 180 140 20 20", Blue), S("c 150 120 50 40"), S("e 380 140 220 20", Green)}},
    // Matrices whose entries four decimals would move: scales of 0.00015 and 0.00004,
    // and a rotation by 30 degrees of a shape 20,000 units out.
    {{"exact-matrices-by-design", 400, 300, false, 100, 5},
     {S("m 0.00015 0 0 0.00015 20 20"), S("r 0 0 1e6 6e5", Blue), S("m 0.00004 0 0 0.00004 200 20"),
      S("e 0 0 4e6 2.5e6", Green), S("m 0.8660254 0.5 -0.5 0.8660254 -17220 -9850"), S("r 20000 0 20150 80", Red)}},
    // Left-to-right lines holding Hebrew, painted in stored order.
    {{"mixed-direction-by-design", 240, 50, true, 100, 1},
     {S("t 10 5 230 45 20", Ink, 0, 1, u"Shalom \u05E9\u05DC\u05D5\u05DD 123")}},
    {{"corners-by-design", 490, 410, false, 100, 2}, {}, DrawCorners},
    {{"strokes-by-design", 420, 300, false, 100, 1}, {}, DrawStrokes},
    {{"text-layout-by-design", 490, 310, true, 100, 2}, {}, DrawTextLayout},
    // Its right-to-left row alone, so that the few pixels it has count (160 high: Chromium's
    // headless window shows a lower document only in part).
    {{"right-to-left-by-design", 490, 160, true, 100, 2}, {}, DrawRightToLeft}};

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
    if (Differs) Pixels[I] = 0xFFFF0000, ++Differing;
  }
  cairo_surface_mark_dirty(Painted);
  return 100.0 * Differing / Count;
}

int Check(const TScene& Scene, const std::filesystem::path& Directory, const std::vector<std::string>& Tool) {
  const std::string& Renderer = Tool.at(0);
  std::filesystem::create_directories(Directory);
  // Every file is named for the scene and the renderer: the tests run in parallel.
  const std::string Base = (Directory / Scene.Name).string() + "." + Renderer, Log = Base + ".log";
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
    TCairoCanvas Painter(Scene.Width, Scene.Height);
    {
      TSvgCanvas Canvas(Svg, &Painter, M ? TSvgOptions::Faithful() : TSvgOptions());
      Canvas.Clear(White);
      Scene.Draw(Canvas, Painter);
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
    std::printf("%s, %s, %s: %.3f%% of the pixels differ; expected %s %.3g%%: %s\n  diff image: %s.diff.png\n",
                Scene.Name, Modes[M].c_str(), Renderer.c_str(), Percent, Min > 0 ? "at least" : "at most",
                Min > 0 ? Min : Max, Passed ? "ok" : "FAILED", Out.c_str());
  }
  return Failed == 0 ? 0 : 1;
}

}  // namespace
}  // namespace fsvg::fidelity

int main(int argc, char** argv) {
  using namespace fsvg::fidelity;
  for (const TScene& Scene : AllScenes)
    if (argc >= 5 && Scene.Name == std::string_view(argv[2])) try {
        return Check(Scene, argv[1], std::vector<std::string>(argv + 3, argv + argc));
      } catch (const std::exception& Error) {
        return std::fprintf(stderr, "%s: %s\n", Scene.Name, Error.what()), 1;
      }
  std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY SCENE RENDERER TOOL... (no such scene or too few arguments)\n",
               argv[0]);
  return 2;
}
