// Writes two documents for the XML checks: every primitive in its common forms, and
// text that is hostile to XML. Usage: fsvg_documents <directory>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "fsvg/fsvgcanvas.h"

using namespace fsvg;

namespace {

void DrawEveryPrimitive(TSvgCanvas& Canvas) {
  const TBrush Blue(TBrushKind::Solid, 0xFF1F77B4);
  const TStrokeBrush Outline(TBrushKind::Solid, 0xFFD62728, 2.5f);
  Canvas.Clear(0xFFFFFFFF);
  Canvas.ClearRect({10, 10, 60, 40}, 0xFFEEEEEE);
  Canvas.FillRect({70, 10, 170, 60}, 0, 0, AllCorners, 1, Blue);
  Canvas.FillRect({180, 10, 280, 60}, 8, 12, {TCorner::TopLeft}, 0.5f, Blue, TCornerType::Bevel);
  Canvas.DrawRect({290, 10, 390, 60}, 6, 6, AllCorners, 0.75f, Outline);
  Canvas.DrawRect({400, 10, 500, 60}, 0, 0, {}, 1, Outline);
  Canvas.DrawLine({10, 80}, {200, 120.5f}, 1, Outline);
  Canvas.FillEllipse({220, 80, 300, 130}, 0.8f, TBrush(TBrushKind::Gradient, 0x802CA02C));
  Canvas.DrawEllipse({310, 80, 390, 130}, 1, Outline);
  float X = 40;
  for (const float Sweep : {45.0f, 90.0f, 180.0f, 270.0f, -90.0f, -270.0f, 360.0f, 720.0f}) {
    Canvas.FillArc({X, 180}, {25, 18}, 30, Sweep, 0.6f, Blue);
    Canvas.DrawArc({X, 240}, {25, 18}, 30, Sweep, 1, Outline);
    X += 60;
  }
  Canvas.SetOffset({0.5f, -0.25f});
  Canvas.SetFill(TBrush(TBrushKind::Solid, 0xFFFF7F0E));
  Canvas.GetStroke() = TStrokeBrush(TBrushKind::Solid, 0xFF9467BD, 1.25f);
  Canvas.FillPolygon({{20, 300}, {80, 280}, {120, 330}, {60, 350}}, 0.9f);
  Canvas.DrawPolygon({{140, 300}, {200, 280}, {240, 330}}, 1);
  Canvas.GetFont() = TFont(u"DejaVu Sans", 14);
  Canvas.SetFill(TBrush(TBrushKind::Solid, 0xFF000000));
  Canvas.FillText({260, 280, 500, 300},
                  u"Latin, \u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC, "
                  u"\u0420\u0443\u0441\u0441\u043A\u0438\u0439",
                  false, 1, {}, TTextAlign::Leading, TTextAlign::Trailing);
}

void DrawHostileText(TSvgCanvas& Canvas) {
  Canvas.GetFont() = TFont(u"Foo & \"Bar\" <Baz>", 12);
  std::u16string Text = u"a<b & \"c\" ]]> -- \u0003 ";
  Text += char16_t(0xD800);  // a lone surrogate
  Text += u" \U0001F600 \uFFFF\uFFFE end";
  Canvas.FillText({0, 0, 100, 20}, Text, false, 1, {}, TTextAlign::Leading);
  Canvas.FillText({0, 20, 100, 40}, u"&&&<<<>>>\"\"\"", false, 1, {}, TTextAlign::Leading);
  Canvas.FillText({0, 40, 100, 60}, u"line one\nline two\ttab", false, 1, {}, TTextAlign::Leading);
  Canvas.FillText({0, 60, 100, 80}, u"", false, 1, {}, TTextAlign::Leading);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
    return 2;
  }
  try {
    const std::filesystem::path Directory = argv[1];
    TNullCanvas Host(640, 400);
    {
      TSvgCanvas Canvas(Directory / "primitives.svg", &Host);
      DrawEveryPrimitive(Canvas);
    }
    {
      TSvgCanvas Canvas(Directory / "hostile.svg", &Host);
      DrawHostileText(Canvas);
    }
  } catch (const std::exception& E) {
    std::fprintf(stderr, "fsvg_documents: %s\n", E.what());
    return 1;
  }
  return 0;
}
