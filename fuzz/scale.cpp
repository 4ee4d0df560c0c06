// The scale run: records COUNT elements (every drawing primitive in turn) into a file and
// prints the peak resident memory every million elements, to show that the recording
// holds nothing per element. scripts/scale.sh runs it, then checks the file with a
// streaming XML parser.
//
// Usage: fsvg_scale FILE [COUNT]   (COUNT defaults to 10,000,000)
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "fsvg/fsvgcanvas.h"

using namespace fsvg;

// Every drawing primitive in turn, one line each.
static void DrawElement(TSvgCanvas& C, std::uint64_t Index) {
  static const TBrush Fill(TBrushKind::Solid, 0xFF3366CC);
  static const TStrokeBrush Stroke(TBrushKind::Solid, 0x80CC3333, 1.5f);
  static const TPolygon Triangle{{0.5f, 1.25f}, {100.125f, 3}, {7, 1e7f}, {-3, 4}};
  const float F = static_cast<float>(Index % 100000) * 0.37f;
  const unsigned Kind = Index % 11;
  if (Kind == 0) C.ClearRect({F, F, F + 1, F + 2}, 0xFF000000);
  if (Kind == 1) C.FillRect({F, -F, F * 3, 1e9f}, 2.5f, 1, AllCorners, 0.5f, Fill);
  if (Kind == 2) C.DrawRect({F, 0, 10, 20}, 0, 0, AllCorners, 1, Stroke);
  if (Kind == 3) C.DrawLine({F, 1}, {-F, 2}, 1, Stroke);
  if (Kind == 4) C.FillEllipse({0, 0, F, F}, 1, Fill);
  if (Kind == 5) C.DrawEllipse({0, 0, F, F}, 1);
  if (Kind == 6) C.FillArc({F, F}, {10, 20}, F, 400, 1, Fill);
  if (Kind == 7) C.DrawArc({F, F}, {10, 20}, F, -75, 1, Stroke);
  if (Kind == 8) C.FillPolygon(Triangle, 0.75f);
  if (Kind == 9) C.DrawPolygon(Triangle, 1);
  if (Kind == 10) C.FillText({F, F, 100, 100}, u"Item <\u00E9> & \"\U0001F600\"", false, 1, {}, TTextAlign::Leading);
}

int main(int argc, char** argv) {
  if (argc < 2) return std::fprintf(stderr, "usage: %s FILE [COUNT]\n", argv[0]), 2;
  const std::uint64_t Count = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 10'000'000;
  try {
    TNullCanvas Host(1920, 1080);
    TFileStream File(argv[1], TFileBuffering::Full);
    {
      TSvgCanvas Canvas(&File, &Host);
      for (std::uint64_t Index = 0; Index < Count; ++Index) {
        DrawElement(Canvas, Index);
        rusage Usage{};  // ru_maxrss: the peak resident memory in KiB
        if (((Index + 1) % 1'000'000 == 0 || Index + 1 == Count) && ::getrusage(RUSAGE_SELF, &Usage) == 0)
          std::printf("%12llu elements, peak memory %ld KiB\n", static_cast<unsigned long long>(Index + 1),
                      Usage.ru_maxrss);
      }
    }
    File.Close();
  } catch (const std::exception& Error) {
    return std::fprintf(stderr, "fsvg_scale: %s\n", Error.what()), 1;
  }
}
