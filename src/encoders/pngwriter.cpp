// PNG through zlib: the format is deflate data cut into chunks, each with a CRC-32, both
// of which zlib (already linked for .svgz) provides. See pngwriter.h for the shape.
#include "pngwriter.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <memory>

namespace fsvg::detail {

namespace {

constexpr std::size_t BytesPerPixel = 4;

std::uint8_t Paeth(int A, int B, int C) {
  const int P = A + B - C, PA = std::abs(P - A), PB = std::abs(P - B), PC = std::abs(P - C);
  return static_cast<std::uint8_t>(PA <= PB && PA <= PC ? A : PB <= PC ? B : C);
}

// Base64 of the bytes put, into a buffer handed to the stream whenever it fills; up to
// two bytes wait for the third of their group.
class TBase64Writer {
 public:
  explicit TBase64Writer(TStream& Stream) : FStream(Stream) {}

  void Put(std::span<const std::uint8_t> Bytes) {
    std::size_t I = 0;
    if (FCarried != 0) {
      while (FCarried < 3 && I < Bytes.size()) FCarry[FCarried++] = Bytes[I++];
      if (FCarried < 3) return;
      Encode(FCarry.data());
      FCarried = 0;
    }
    for (; I + 3 <= Bytes.size(); I += 3) Encode(&Bytes[I]);
    while (I < Bytes.size()) FCarry[FCarried++] = Bytes[I++];
  }

  // The last one or two bytes with their padding, and whatever the buffer holds.
  void Finish() {
    if (FCarried != 0) {
      std::fill(FCarry.begin() + FCarried, FCarry.end(), 0);
      Encode(FCarry.data());
      std::fill(FText.get() + FUsed - (3 - FCarried), FText.get() + FUsed, '=');
    }
    Flush();
  }

 private:
  void Encode(const std::uint8_t* Group) {
    static constexpr char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (FUsed + 4 > TextSize) Flush();
    const std::uint32_t Bits = static_cast<std::uint32_t>(Group[0]) << 16 | Group[1] << 8 | Group[2];
    char* const Out = FText.get() + FUsed;
    Out[0] = Digits[Bits >> 18];
    Out[1] = Digits[Bits >> 12 & 63];
    Out[2] = Digits[Bits >> 6 & 63];
    Out[3] = Digits[Bits & 63];
    FUsed += 4;
  }
  void Flush() {
    if (FUsed != 0) FStream.WriteBuffer(FText.get(), FUsed);
    FUsed = 0;
  }

  static constexpr std::size_t TextSize = 64 * 1024;

  TStream& FStream;
  std::unique_ptr<char[]> FText = std::make_unique_for_overwrite<char[]>(TextSize);
  std::size_t FUsed = 0;
  std::array<std::uint8_t, 3> FCarry{};
  std::size_t FCarried = 0;
};

void PutBigEndian(std::uint8_t* Out, std::uint32_t Value) {
  Out[0] = static_cast<std::uint8_t>(Value >> 24);
  Out[1] = static_cast<std::uint8_t>(Value >> 16);
  Out[2] = static_cast<std::uint8_t>(Value >> 8);
  Out[3] = static_cast<std::uint8_t>(Value);
}

// One chunk: length, type, data, and the CRC-32 of type and data.
void PutChunk(TBase64Writer& Out, const char (&Type)[5], std::span<const std::uint8_t> Data) {
  std::array<std::uint8_t, 8> Head;
  PutBigEndian(Head.data(), static_cast<std::uint32_t>(Data.size()));
  std::copy(Type, Type + 4, Head.begin() + 4);
  Out.Put(Head);
  Out.Put(Data);
  // zlib's crc32 answers its initial value for a null buffer: an empty chunk's data is
  // left out of the sum rather than passed.
  uLong Sum = crc32(0, Head.data() + 4, 4);
  if (!Data.empty()) Sum = crc32(Sum, Data.data(), static_cast<uInt>(Data.size()));
  std::array<std::uint8_t, 4> Crc;
  PutBigEndian(Crc.data(), static_cast<std::uint32_t>(Sum));
  Out.Put(Crc);
}

// zlib's deflate state, ended whatever happens.
struct TDeflater {
  z_stream Stream{};
  TDeflater() {
    if (deflateInit2(&Stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_FILTERED) != Z_OK)
      throw EOverflowError("DrawBitmap: zlib cannot get the memory to compress the image");
  }
  ~TDeflater() { deflateEnd(&Stream); }
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;
};

}  // namespace

TPngRows::TPngRows(const TBitmap& Bitmap, TPixelArea Area)
    : FBitmap(Bitmap), FArea(Area), FRow(BytesPerPixel * Area.Width), FPrior(FRow.size()) {
  for (std::uint8_t Type = 0; Type < Predictors; ++Type) {
    FFiltered[Type].resize(FRow.size() + 1);
    FFiltered[Type][0] = Type == 3 ? 4 : Type;  // None 0, Sub 1, Up 2, Paeth 4
  }
}

std::span<const std::uint8_t> TPngRows::Next() {
  FRow.swap(FPrior);
  const TAlphaColor* const Pixels = FBitmap.Row(FArea.Top + FY++) + FArea.Left;
  for (std::size_t X = 0; X < static_cast<std::size_t>(FArea.Width); ++X) {
    const TAlphaColor Color = Pixels[X];
    std::uint8_t* const Out = &FRow[BytesPerPixel * X];
    Out[0] = static_cast<std::uint8_t>(Color >> 16);
    Out[1] = static_cast<std::uint8_t>(Color >> 8);
    Out[2] = static_cast<std::uint8_t>(Color);
    Out[3] = static_cast<std::uint8_t>(Color >> 24);
  }
  // Each predictor in a loop of its own, which the compiler vectorizes; the first pixel
  // has no left neighbour (its Sub is None, its Paeth is Up).
  const std::uint8_t* const X = FRow.data();
  const std::uint8_t* const B = FPrior.data();
  const std::size_t Size = FRow.size(), Lead = std::min(Size, BytesPerPixel);
  std::uint8_t* const Sub = FFiltered[1].data() + 1;
  std::uint8_t* const Up = FFiltered[2].data() + 1;
  std::uint8_t* const Predicted = FFiltered[3].data() + 1;
  std::copy(X, X + Size, FFiltered[0].data() + 1);
  std::copy(X, X + Lead, Sub);
  for (std::size_t I = Lead; I < Size; ++I) Sub[I] = static_cast<std::uint8_t>(X[I] - X[I - BytesPerPixel]);
  for (std::size_t I = 0; I < Size; ++I) Up[I] = static_cast<std::uint8_t>(X[I] - B[I]);
  std::copy(Up, Up + Lead, Predicted);
  for (std::size_t I = Lead; I < Size; ++I)
    Predicted[I] = static_cast<std::uint8_t>(X[I] - Paeth(X[I - BytesPerPixel], B[I], B[I - BytesPerPixel]));
  std::uint64_t Cost[Predictors] = {};
  for (int Type = 0; Type < Predictors; ++Type)
    for (std::size_t I = 1; I <= Size; ++I)
      Cost[Type] += static_cast<std::uint64_t>(std::abs(static_cast<std::int8_t>(FFiltered[Type][I])));
  return FFiltered[std::min_element(Cost, Cost + Predictors) - Cost];
}

void WritePngBase64(TStream& Stream, const TBitmap& Bitmap, TPixelArea Area) {
  TBase64Writer Out(Stream);
  static constexpr std::uint8_t Signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Out.Put(Signature);
  std::array<std::uint8_t, 13> Header{};
  PutBigEndian(Header.data(), static_cast<std::uint32_t>(Area.Width));
  PutBigEndian(Header.data() + 4, static_cast<std::uint32_t>(Area.Height));
  Header[8] = 8;  // bits a channel
  Header[9] = 6;  // RGBA; compression, filter method and interlace all 0
  PutChunk(Out, "IHDR", Header);

  TDeflater Deflater;
  z_stream& Z = Deflater.Stream;
  // The output buffers are on the heap: a drawing call may run on a thread of small stack.
  constexpr uInt ChunkSize = 32 * 1024;
  const std::unique_ptr<std::uint8_t[]> Chunk = std::make_unique_for_overwrite<std::uint8_t[]>(ChunkSize);
  Z.next_out = Chunk.get();
  Z.avail_out = ChunkSize;
  // zlib's own idiom: deflate again while the output buffer fills (only then may input or
  // the end's bits be left); each full buffer becomes a chunk, what stays is written last.
  const auto Deflate = [&](int Flush) {
    do {
      if (Z.avail_out == 0) {
        PutChunk(Out, "IDAT", std::span(Chunk.get(), ChunkSize));
        Z.next_out = Chunk.get();
        Z.avail_out = ChunkSize;
      }
      deflate(&Z, Flush);
    } while (Z.avail_out == 0);
  };
  TPngRows Rows(Bitmap, Area);
  for (std::int32_t Y = 0; Y < Area.Height; ++Y) {
    const std::span<const std::uint8_t> Row = Rows.Next();
    // zlib counts its input in an unsigned int: a row longer than that goes in parts.
    for (std::size_t Done = 0; Done < Row.size();) {
      const std::size_t Part = std::min<std::size_t>(Row.size() - Done, std::numeric_limits<uInt>::max());
      Z.next_in = const_cast<Bytef*>(Row.data() + Done);
      Z.avail_in = static_cast<uInt>(Part);
      Deflate(Z_NO_FLUSH);
      Done += Part;
    }
  }
  Deflate(Z_FINISH);
  if (Z.avail_out != ChunkSize) PutChunk(Out, "IDAT", std::span(Chunk.get(), ChunkSize - Z.avail_out));
  PutChunk(Out, "IEND", {});
  Out.Finish();
}

}  // namespace fsvg::detail
