// The image benchmark: one 4096 x 4096 bitmap (smooth ramps, rings and fine noise, as a
// photograph or a rendered chart has them) recorded by DrawBitmap into an SVG file, its
// PNG's size, and the throughput of the recording beside that of zlib alone deflating the
// same filtered rows (no chunks, no CRC, no base64, no stream). Times are processor time.
//
//   fsvg_imagebench FILE.svg          build, record, then deflate alone; print all
//   fsvg_imagebench FILE.svg record   build and record only (for /usr/bin/time -v)
//   fsvg_imagebench FILE.svg build    build the bitmap only (the baseline of the above)
#include <zlib.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "encoders/pngwriter.h"
#include "fsvg/fsvgcanvas.h"

namespace {

constexpr std::int32_t Side = 4096;
constexpr double PixelMegabytes = 4.0 * Side * Side / 1e6;

double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

std::vector<fsvg::TAlphaColor> Pattern() {
  std::vector<fsvg::TAlphaColor> Pixels(static_cast<std::size_t>(Side) * Side);
  std::uint32_t Noise = 12345;
  for (std::uint32_t Y = 0; Y < Side; ++Y)
    for (std::uint32_t X = 0; X < Side; ++X) {
      Noise = Noise * 1664525 + 1013904223;
      const std::uint32_t DX = X - Side / 2, DY = Y - Side / 2, Ring = (DX * DX + DY * DY) >> 12 & 0xFF;
      const std::uint32_t Red = (X >> 4) + (Noise >> 29), Green = Ring ^ (Noise >> 30), Blue = (Y >> 4);
      Pixels[static_cast<std::size_t>(Y) * Side + X] = 0xFF000000 | (Red & 0xFF) << 16 | Green << 8 | Blue;
    }
  return Pixels;
}

// The PNG's size from the recorded file: its base64 text, read back a block at a time.
std::uint64_t PngBytes(const std::string& Path) {
  std::ifstream File(Path, std::ios::binary);
  std::string Text;
  std::uint64_t Digits = 0, Padding = 0;
  bool Inside = false;
  std::array<char, 1 << 16> Block;
  while (File.read(Block.data(), Block.size()) || File.gcount() > 0) {
    Text.assign(Block.data(), static_cast<std::size_t>(File.gcount()));
    std::size_t At = 0;
    if (!Inside && (At = Text.find("base64,")) != std::string::npos) {
      Inside = true;
      At += 7;
    }
    for (; Inside && At < Text.size(); ++At) {
      if (Text[At] == '"') return Digits / 4 * 3 - Padding;
      Digits += 1;
      Padding += Text[At] == '=';
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fsvg_imagebench FILE.svg [record|build]\n");
    return 2;
  }
  const std::string Path = argv[1], Mode = argc > 2 ? argv[2] : "all";
  const std::vector<fsvg::TAlphaColor> Pixels = Pattern();
  if (Mode == "build") return 0;
  const fsvg::TBitmap Bitmap(Side, Side, std::span<const fsvg::TAlphaColor>(Pixels));
  fsvg::TNullCanvas Host(Side, Side);
  double Start = CpuSeconds();
  {
    fsvg::TSvgCanvas Canvas(Path, &Host);
    Canvas.DrawBitmap(Bitmap, {0, 0, Side, Side}, {0, 0, Side, Side}, 1, false);
    Canvas.Close();
  }
  const double Recording = CpuSeconds() - Start;
  const std::uint64_t Png = PngBytes(Path);
  std::printf("recorded: PNG %llu bytes (%.1f%% of the pixels' %.1f MB), %.3f s, %.1f MB of pixels/s\n",
              static_cast<unsigned long long>(Png), 100.0 * static_cast<double>(Png) / (PixelMegabytes * 1e6),
              PixelMegabytes, Recording, PixelMegabytes / Recording);
  if (Mode == "record") return 0;

  // zlib alone: the same rows, filtered beforehand, deflated at the same level.
  std::vector<std::uint8_t> Rows;
  fsvg::detail::TPngRows Filter(Bitmap, {0, 0, Side, Side});
  for (std::int32_t Y = 0; Y < Side; ++Y) {
    const std::span<const std::uint8_t> Row = Filter.Next();
    Rows.insert(Rows.end(), Row.begin(), Row.end());
  }
  z_stream Z{};
  deflateInit2(&Z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_FILTERED);
  std::array<std::uint8_t, 32 * 1024> Out;
  std::uint64_t Deflated = 0;
  Start = CpuSeconds();
  Z.next_in = Rows.data();
  Z.avail_in = static_cast<uInt>(Rows.size());
  int Result;
  do {
    Z.next_out = Out.data();
    Z.avail_out = Out.size();
    Result = deflate(&Z, Z_FINISH);
    Deflated += Out.size() - Z.avail_out;
  } while (Result == Z_OK);
  const double Alone = CpuSeconds() - Start;
  deflateEnd(&Z);
  std::printf("zlib alone: %llu bytes deflated, %.3f s, %.1f MB of pixels/s; the recording takes %.2f times as long\n",
              static_cast<unsigned long long>(Deflated), Alone, PixelMegabytes / Alone, Recording / Alone);
  return Result == Z_STREAM_END ? 0 : 1;
}
