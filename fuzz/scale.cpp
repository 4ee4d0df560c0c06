// The scale run: records Count mixed elements (every drawing primitive in turn) into a
// file and prints the peak resident memory every million elements, to show that the
// recording holds nothing per element. scripts/scale.sh runs it and then checks the file
// with a streaming XML parser.
//
// Usage: fsvg_scale FILE [COUNT]   (COUNT defaults to 10,000,000)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "fsvg/fsvgcanvas.h"

namespace {

// Forwards to a file and counts the bytes.
class TCountingFile final : public fsvg::TStream {
 public:
  explicit TCountingFile(const std::filesystem::path& FileName)
      : FFile(FileName, fsvg::TFileBuffering::Full, 1 << 20) {}
  void WriteBuffer(const void* Buffer, std::size_t Count) override {
    FFile.WriteBuffer(Buffer, Count);
    Bytes += Count;
  }
  void Close() { FFile.Close(); }
  std::uint64_t Bytes = 0;

 private:
  fsvg::TFileStream FFile;
};

// VmHWM of this process in KiB, from /proc; -1 when unavailable.
long PeakResidentKiB() {
  std::FILE* Status = std::fopen("/proc/self/status", "r");
  if (Status == nullptr) return -1;
  char Line[256];
  long Peak = -1;
  while (std::fgets(Line, sizeof Line, Status) != nullptr) {
    if (std::strncmp(Line, "VmHWM:", 6) == 0) Peak = std::strtol(Line + 6, nullptr, 10);
  }
  std::fclose(Status);
  return Peak;
}

void DrawElement(fsvg::TSvgCanvas& Canvas, std::uint64_t Index) {
  using namespace fsvg;
  static const TBrush Fill(TBrushKind::Solid, 0xFF3366CC);
  static const TStrokeBrush Stroke(TBrushKind::Solid, 0x80CC3333, 1.5f);
  static const TPolygon Triangle{{0.5f, 1.25f}, {100.125f, 3}, {7, 1e7f}, {-3, 4}};
  const float F = static_cast<float>(Index % 100000) * 0.37f;
  switch (Index % 12) {
    case 0:
      Canvas.ClearRect({F, F, F + 1, F + 2}, 0xFF000000);
      break;
    case 1:
      Canvas.FillRect({F, -F, F * 3, 1e9f}, 2.5f, 1, AllCorners, 0.5f, Fill);
      break;
    case 2:
      Canvas.DrawRect({F, 0, 10, 20}, 0, 0, AllCorners, 1, Stroke);
      break;
    case 3:
      Canvas.DrawLine({F, 1}, {-F, 2}, 1, Stroke);
      break;
    case 4:
      Canvas.FillEllipse({0, 0, F, F}, 1, Fill);
      break;
    case 5:
      Canvas.DrawEllipse({0, 0, F, F}, 1);
      break;
    case 6:
      Canvas.FillArc({F, F}, {10, 20}, F, 400, 1, Fill);
      break;
    case 7:
      Canvas.DrawArc({F, F}, {10, 20}, F, -75, 1, Stroke);
      break;
    case 8:
      Canvas.FillPolygon(Triangle, 0.75f);
      break;
    case 9:
      Canvas.DrawPolygon(Triangle, 1);
      break;
    case 10:
      Canvas.FillText({F, F, 100, 100}, u"Item <\u00E9> & \"\U0001F600\"", false, 1, {}, TTextAlign::Leading);
      break;
    default:
      Canvas.Clear(0xFFFFFFFF);
      break;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [COUNT]\n", argv[0]);
    return 2;
  }
  const std::uint64_t Count = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 10'000'000;
  try {
    fsvg::TNullCanvas Host(1920, 1080);
    Host.GetFont().Family = u"DejaVu Sans";
    TCountingFile File(argv[1]);
    const auto Start = std::chrono::steady_clock::now();
    std::printf("%12s %14s %12s\n", "elements", "bytes", "VmHWM KiB");
    std::printf("%12d %14d %12ld\n", 0, 0, PeakResidentKiB());
    {
      fsvg::TSvgCanvas Canvas(&File, &Host);
      for (std::uint64_t Index = 0; Index < Count; ++Index) {
        DrawElement(Canvas, Index);
        if ((Index + 1) % 1'000'000 == 0 || Index + 1 == Count) {
          std::printf("%12llu %14llu %12ld\n", static_cast<unsigned long long>(Index + 1),
                      static_cast<unsigned long long>(File.Bytes), PeakResidentKiB());
          std::fflush(stdout);
        }
      }
    }
    File.Close();
    const double Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    std::printf("wrote %llu elements, %llu bytes in %.1f s; peak memory: VmHWM %ld KiB, ru_maxrss %ld KiB\n",
                static_cast<unsigned long long>(Count), static_cast<unsigned long long>(File.Bytes), Seconds,
                PeakResidentKiB(), Usage.ru_maxrss);
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "fsvg_scale: %s\n", Error.what());
    return 1;
  }
  return 0;
}
