// The PNG encoder of recorded images. A bitmap's pixels are filtered a row at a time,
// deflated by zlib into a fixed output buffer that becomes one IDAT chunk whenever it
// fills, and the PNG's bytes go through a base64 encoder straight to the stream, in
// pieces: neither the PNG nor its base64 text is ever held whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fsvg/bitmap.h"
#include "fsvg/streams.h"

namespace fsvg::detail {

// A rectangle of whole pixels inside a bitmap, not empty.
struct TPixelArea {
  std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

// The rows of an area as PNG stores them: RGBA, 8 bits a channel, each row led by its
// filter type and filtered by the predictor (None, Sub, Up or Paeth) whose output bytes,
// read as signed, have the least sum of magnitudes: the rule libpng's adaptive filtering
// uses, which shrinks smooth images several times over.
class TPngRows {
 public:
  TPngRows(const TBitmap& Bitmap, TPixelArea Area);
  // The next row, filter type first; Area.Height calls in all.
  std::span<const std::uint8_t> Next();

 private:
  const TBitmap& FBitmap;
  TPixelArea FArea;
  std::int32_t FY = 0;
  std::vector<std::uint8_t> FRow, FPrior;           // this row's bytes and the one above (zeros at first)
  static constexpr int Predictors = 4;              // None, Sub, Up and Paeth
  std::vector<std::uint8_t> FFiltered[Predictors];  // each predictor's output, type byte first
};

// Writes Area of Bitmap as a PNG (signature, IHDR, IDAT chunks of at most 32 KiB, IEND),
// base64-encoded, to Stream in writes of at most 64 KiB. Throws what the stream throws,
// EOverflowError when zlib cannot get its memory.
void WritePngBase64(TStream& Stream, const TBitmap& Bitmap, TPixelArea Area);

}  // namespace fsvg::detail
