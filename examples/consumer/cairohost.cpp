// The raster host from the installed package: a picture painted and recorded at once.
#include <fsvg/cairocanvas.h>
#include <fsvg/fsvgcanvas.h>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  const std::string Base = argc > 1 ? argv[1] : "consumer-cairo";
  fsvg::TCairoCanvas Host(120, 80);
  {
    fsvg::TSvgCanvas Canvas(Base + ".svg", &Host);
    Canvas.Clear(0xFFFFFFFF);
    Canvas.FillEllipse({10, 10, 110, 70}, 1, fsvg::TBrush(fsvg::TBrushKind::Solid, 0xFF2266AA));
  }
  Host.SaveToPNG(Base + ".png");
  const bool Painted = Host.Pixel(60, 40) == 0xFF2266AA && Host.Pixel(2, 2) == 0xFFFFFFFF;
  std::printf("%s: %s.png and %s.svg\n", Painted ? "painted" : "NOT PAINTED", Base.c_str(), Base.c_str());
  return Painted ? 0 : 1;
}
