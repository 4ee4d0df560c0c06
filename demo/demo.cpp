// A first demo: records a few shapes through a TSvgCanvas over a TNullCanvas.
#include <cstdio>
#include <filesystem>

#include "fsvg/fsvgcanvas.h"

int main(int argc, char** argv) {
  const std::filesystem::path Output = argc > 1 ? argv[1] : "demo.svg";
  fsvg::TNullCanvas Host(320, 200);
  {
    fsvg::TSvgCanvas Canvas(Output, &Host);
    Canvas.Clear(0xFFFFFFFF);
    Canvas.FillRect({20, 20, 140, 100}, 8, 8, fsvg::AllCorners, 1, fsvg::TBrush(fsvg::TBrushKind::Solid, 0xFF3366CC));
    Canvas.DrawEllipse({160, 20, 300, 100}, 0.8f, fsvg::TStrokeBrush(fsvg::TBrushKind::Solid, 0xFFCC3333, 3));
    Canvas.GetFont().Size = 18;
    Canvas.FillText({20, 120, 300, 150}, u"Hello, \u03B1\u03B2\u03B3 & \u043C\u0438\u0440", false, 1, {},
                    fsvg::TTextAlign::Leading);
  }
  std::printf("%s\n", std::filesystem::absolute(Output).c_str());
  return 0;
}
