// The Qt host from the installed package: a picture painted and recorded at once.
#include <fsvg/fsvgcanvas.h>
#include <fsvg/qtcanvas.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  const std::string Base = argc > 1 ? argv[1] : "consumer-qt";
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const QGuiApplication Application(argc, argv);
  fsvg::TQtCanvas Host(120, 80);
  {
    fsvg::TSvgCanvas Canvas(Base + ".svg", &Host);
    Canvas.Clear(0xFFFFFFFF);
    Canvas.FillEllipse({10, 10, 110, 70}, 1, fsvg::TBrush(fsvg::TBrushKind::Solid, 0xFF2266AA));
    Canvas.FillText({0, 0, 120, 20}, u"Qt", false, 1, {}, fsvg::TTextAlign::Leading);
  }
  Host.SaveToPNG(Base + ".png");
  const bool Painted = Host.Pixel(60, 40) == 0xFF2266AA;
  std::printf("%s: %s.png and %s.svg\n", Painted ? "painted" : "NOT PAINTED", Base.c_str(), Base.c_str());
  return Painted ? 0 : 1;
}
