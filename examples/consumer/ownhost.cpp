// A host canvas of one's own: it prints each shape it is asked to paint. Built against
// the installed package (find_package or pkg-config) and from the source tree.
#include <fsvg/fsvgcanvas.h>
#include <fsvg/version.h>
#include <cstdio>

class TPrintingCanvas : public fsvg::TNullCanvas {
 public:
  using TNullCanvas::TNullCanvas;

 protected:
  void DoFillRect(const fsvg::TRectF& ARect, float, float, fsvg::TCorners, float AOpacity, const fsvg::TBrush& ABrush,
                  fsvg::TCornerType) override {
    std::printf("paint rect %gx%g colour %08X opacity %g\n", ARect.Width(), ARect.Height(), ABrush.Color, AOpacity);
  }
  void DoFillEllipse(const fsvg::TRectF& ARect, float, const fsvg::TBrush&) override {
    std::printf("paint ellipse %gx%g\n", ARect.Width(), ARect.Height());
  }
};

int main(int argc, char** argv) {
  const char* FileName = argc > 1 ? argv[1] : "consumer.svg";
  TPrintingCanvas Host(200, 100);
  try {
    fsvg::TSvgCanvas Canvas(FileName, &Host);  // owns and closes the file
    Canvas.FillRect({10, 10, 90, 60}, 4, 4, fsvg::AllCorners, 1, fsvg::TBrush(fsvg::TBrushKind::Solid, 0xFF2266AA));
    Canvas.FillEllipse({100, 10, 190, 90}, 0.5f);  // the host's current Fill
  } catch (const fsvg::Exception& E) {             // a file that cannot be created or written
    std::fprintf(stderr, "%s\n", E.what());
    return 1;
  }
  std::printf("fsvgcanvas %s wrote %s\n", FSVG_VERSION_STRING, FileName);
  return 0;
}
