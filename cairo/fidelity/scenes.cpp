// The fidelity scenes. Those that must agree keep to what the recording can say: opaque
// brush colours (the SVG fill drops a colour's alpha; translucency goes through
// AOpacity), solid strokes with flat caps and miter joins (dash, cap and join are not
// recorded), round corners on all four corners (an SVG rect has no other kind), arcs
// without an offset, and single-line text whose baseline lies on its rectangle's bottom.
// The scenes whose names end in "-by-design" break one of those rules on purpose; each
// says what differs and how much it must at least show.
#include "scenes.h"

#include <iterator>

#include "dashboard.h"

namespace fsvg::fidelity {

namespace {

constexpr TAlphaColor White = 0xFFFFFFFF;
constexpr TAlphaColor Blue = 0xFF2F6BD8;
constexpr TAlphaColor Green = 0xFF25A26B;
constexpr TAlphaColor Orange = 0xFFF08C1E;
constexpr TAlphaColor Red = 0xFFD43F3A;
constexpr TAlphaColor Ink = 0xFF1F2A44;

TBrush Solid(TAlphaColor Color) { return TBrush(TBrushKind::Solid, Color); }
TStrokeBrush Pen(TAlphaColor Color, float Thickness) { return TStrokeBrush(TBrushKind::Solid, Color, Thickness); }

// Rectangles and ellipses, plain and translucent, under an offset, cleared in part.
void DrawFills(TSvgCanvas& C, TCairoCanvas&) {
  C.Clear(White);
  C.FillRect({20, 20, 180, 120}, 0, 0, AllCorners, 1, Solid(Blue));
  C.FillRect({120, 70, 260, 170}, 0, 0, AllCorners, 0.5f, Solid(Orange));
  C.FillEllipse({200, 20, 380, 140}, 1, Solid(Green));
  C.FillEllipse({280, 90, 360, 250}, 0.6f, Solid(Red));
  C.FillRect({40, 200, 120, 280}, 0, 0, AllCorners, 1, TBrush(TBrushKind::Gradient, Ink));
  C.ClearRect({60, 40, 100, 80}, White);
  // The offset moves rectangles and ellipses in the recording too.
  C.SetOffset({130, 180});
  C.FillRect({0, 0, 60, 50}, 0, 0, AllCorners, 1, Solid(Blue));
  C.FillEllipse({70, 0, 130, 60}, 0.8f, Solid(Green));
  C.SetOffset({0, 0});
}

// Outlines centred on their geometry: rectangles, ellipses and lines of several widths.
void DrawOutlines(TSvgCanvas& C, TCairoCanvas&) {
  C.Clear(White);
  C.DrawRect({20, 20, 120, 100}, 0, 0, AllCorners, 1, Pen(Blue, 1));
  C.DrawRect({140, 20, 240, 100}, 0, 0, AllCorners, 1, Pen(Green, 3));
  C.DrawRect({260, 20, 380, 100}, 0, 0, AllCorners, 0.7f, Pen(Red, 6));
  C.DrawEllipse({20, 120, 180, 200}, 1, Pen(Ink, 2));
  C.DrawEllipse({200, 120, 260, 280}, 1, Pen(Orange, 4));
  C.DrawLine({280, 130}, {380, 130}, 1, Pen(Ink, 1));
  C.DrawLine({280, 150}, {380, 190}, 1, Pen(Blue, 2.5f));
  C.DrawLine({290, 280}, {370, 200}, 1, Pen(Green, 5));
  C.DrawLine({20, 260}, {180, 220}, 0.5f, Pen(Red, 8));
  C.SetOffset({10, 5});
  C.DrawLine({10, 210}, {170, 210}, 1, Pen(Ink, 2));
  C.SetOffset({0, 0});
}

// Rounded rectangles with equal and unequal radii, and radii clamped to half the size.
void DrawRounded(TSvgCanvas& C, TCairoCanvas&) {
  C.Clear(White);
  C.FillRect({20, 20, 180, 120}, 12, 12, AllCorners, 1, Solid(Blue));
  C.FillRect({200, 20, 380, 120}, 30, 10, AllCorners, 1, Solid(Green));
  C.FillRect({20, 140, 120, 280}, 1000, 1000, AllCorners, 1, Solid(Orange));
  C.FillRect({140, 150, 380, 190}, 1000, 8, AllCorners, 0.7f, Solid(Red));
  C.DrawRect({150, 210, 260, 280}, 16, 16, AllCorners, 1, Pen(Ink, 2));
  C.DrawRect({280, 210, 370, 280}, 40, 12, AllCorners, 1, Pen(Blue, 5));
}

// Filled and stroked arcs of many sweeps: below and above 180 degrees, negative, and a
// whole turn either way (recorded as two half arcs). No offset here: the recording
// writes arcs without it (see offset-arcs-by-design).
void DrawArcs(TSvgCanvas& C, TCairoCanvas&) {
  C.Clear(White);
  const float Sweeps[] = {45, 90, 135, 200, 270, -120, 360, -360};
  for (int I = 0; I < 8; ++I) {
    const TPointF Center{55 + static_cast<float>(I % 4) * 100, 55 + static_cast<float>(I / 4) * 100};
    C.FillArc(Center, {42, 36}, -30 + 10 * static_cast<float>(I), Sweeps[I], 1, Solid(I % 2 ? Blue : Green));
  }
  const float Strokes[] = {30, 180, 300, -200};
  for (int I = 0; I < 4; ++I) {
    const TPointF Center{55 + static_cast<float>(I) * 100, 260};
    C.DrawArc(Center, {40, 30}, 20, Strokes[I], 1, Pen(I % 2 ? Red : Ink, 3));
  }
  C.DrawArc({200, 260}, {15, 15}, 0, -360, 0.6f, Pen(Orange, 4));
}

// Filled polygons (convex, concave, self-crossing under the nonzero rule) and closed
// outlines. The recording closes an outline by repeating its first point in a polyline,
// which leaves that vertex without a join; so every outline here starts in the middle
// of an edge, where a join would be straight anyway.
void DrawPolygons(TSvgCanvas& C, TCairoCanvas&) {
  C.Clear(White);
  C.SetFill(Solid(Blue));
  C.FillPolygon({{30, 30}, {170, 20}, {150, 120}, {60, 140}, {20, 90}}, 1);
  C.SetFill(Solid(Green));
  C.FillPolygon({{200, 20}, {380, 20}, {290, 80}, {380, 140}, {200, 140}, {250, 80}}, 1);
  C.SetFill(Solid(Orange));
  C.FillPolygon({{100, 160}, {130, 280}, {20, 200}, {180, 200}, {70, 280}}, 0.8f);
  C.GetStroke() = Pen(Ink, 2);
  C.DrawPolygon({{260, 160}, {340, 160}, {300, 280}, {220, 160}}, 1);
  C.GetStroke() = Pen(Red, 4);
  C.DrawPolygon({{202.5f, 235}, {200, 200}, {260, 210}, {250, 280}, {205, 270}}, 1);
}

// Text in three scripts and four sizes. The recording anchors text at the rectangle's
// left and bottom; so each rectangle is as high as the font's ascent, laid out Leading
// both ways, which puts the raster's baseline on its bottom too.
void DrawText(TSvgCanvas& C, TCairoCanvas& Host) {
  C.Clear(White);
  const char16_t* Lines[] = {
      u"Sphinx of black quartz, judge my vow.",
      u"\u039E\u03B5\u03C3\u03BA\u03B5\u03C0\u03AC\u03B6\u03C9 \u03C4\u03B7\u03BD "
      u"\u03C8\u03C5\u03C7\u03BF\u03C6\u03B8\u03CC\u03C1\u03B1 \u03B2\u03B4\u03B5\u03BB\u03C5\u03B3\u03BC\u03AF\u03B1",
      u"\u0421\u044A\u0435\u0448\u044C \u0436\u0435 \u0435\u0449\u0451 \u044D\u0442\u0438\u0445 "
      u"\u043C\u044F\u0433\u043A\u0438\u0445 \u0431\u0443\u043B\u043E\u043A",
      u"Mixed: caf\u00E9 \u00B7 \u03B1\u03B2\u03B3 \u00B7 \u0436\u0437\u0438 \u00B7 12.5%",
  };
  const float Sizes[] = {12, 16, 20, 28};
  float Baseline = 20;
  for (int I = 0; I < 4; ++I) {
    C.GetFont() = TFont(demo::DashboardFont, Sizes[I]);
    C.SetFill(Solid(I == 3 ? Blue : Ink));
    const float Ascent = Host.GetFontMetrics().Ascent;
    Baseline += Sizes[I] * 1.6f;
    C.FillText({16, Baseline - Ascent, 460, Baseline}, Lines[I], false, I == 2 ? 0.6f : 1, {}, TTextAlign::Leading,
               TTextAlign::Leading);
  }
  C.GetFont() = TFont(demo::DashboardFont, 14);
  const float Ascent = Host.GetFontMetrics().Ascent;
  C.SetFill(Solid(Red));
  C.FillText({16, 230 - Ascent, 460, 230}, u"Baseline on the bottom edge: g, y, p, \u0444 hang below it.", false, 1, {},
             TTextAlign::Leading, TTextAlign::Leading);
}

// The demo dashboard, text included.
void DrawDemo(TSvgCanvas& C, TCairoCanvas& Host) {
  Host.GetFont() = TFont(demo::DashboardFont, 100);
  demo::DrawDashboard(C, Host.GetFontMetrics().Ascent / 100);
}

// By design: arcs are recorded without the canvas offset, while the host moves them.
// Each arc is drawn at (60, 40) from where the SVG puts it, so both copies show apart.
void DrawOffsetArcs(TSvgCanvas& C, TCairoCanvas&) {
  C.Clear(White);
  C.SetOffset({60, 40});
  C.FillArc({80, 80}, {50, 50}, 0, 270, 1, Solid(Blue));
  C.DrawArc({220, 120}, {50, 40}, 180, 180, 1, Pen(Red, 4));
}

// By design: the recording places text at the rectangle's left and bottom edges, while
// the host centres it in the rectangle; the two copies stand apart.
void DrawCentredText(TSvgCanvas& C, TCairoCanvas&) {
  C.Clear(White);
  C.GetFont() = TFont(demo::DashboardFont, 24);
  C.SetFill(Solid(Ink));
  C.FillText({20, 20, 380, 140}, u"Centred \u03BA\u03B5\u03AF\u03BC\u03B5\u03BD\u03BF", false, 1, {},
             TTextAlign::Center, TTextAlign::Center);
}

// By design: an SVG rect rounds all four corners, so bevelled, inner and partly rounded
// corners render as plain round ones.
void DrawCornerTypes(TSvgCanvas& C, TCairoCanvas&) {
  C.Clear(White);
  C.FillRect({20, 20, 180, 140}, 30, 30, AllCorners, 1, Solid(Blue), TCornerType::Bevel);
  C.FillRect({220, 20, 380, 140}, 30, 30, AllCorners, 1, Solid(Green), TCornerType::InnerRound);
  C.FillRect({20, 160, 180, 280}, 30, 30, AllCorners, 1, Solid(Orange), TCornerType::InnerLine);
  C.FillRect({220, 160, 380, 280}, 30, 30, {TCorner::TopLeft}, 1, Solid(Red));
}

constexpr TScene AllScenes[] = {
    {"fills", 400, 300, 0.5, 0, DrawFills},
    {"outlines", 400, 300, 0.5, 0, DrawOutlines},
    {"rounded", 400, 300, 0.5, 0, DrawRounded},
    {"arcs", 420, 320, 0.5, 0, DrawArcs},
    {"polygons", 400, 300, 0.5, 0, DrawPolygons},
    {"text", 480, 260, 0.5, 0, DrawText},
    {"demo", demo::DashboardWidth, demo::DashboardHeight, 2, 0, DrawDemo},
    {"offset-arcs-by-design", 400, 300, 100, 5, DrawOffsetArcs},
    {"centred-text-by-design", 400, 160, 100, 1, DrawCentredText},
    {"corner-types-by-design", 400, 300, 100, 1, DrawCornerTypes},
};

}  // namespace

std::span<const TScene> Scenes() { return AllScenes; }

}  // namespace fsvg::fidelity
