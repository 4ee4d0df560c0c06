// The gzip sink over zlib. Input is compressed a buffer at a time, and every batch ends
// in a sync flush (an empty stored block, five bytes, that byte-aligns the data and
// makes all of it decodable), so that each write to the target ends where a write
// to this stream ended. A target that takes a write whole or not at all (every stream
// of this library but TOStreamAdapter) then never holds half an element, whatever
// fails. A flush per 128 KiB of input costs a few bytes in 20,000, and deflate ends a
// block about as often on its own.
#include "fsvg/gzipstream.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace fsvg {

// zlib's state and the buffer its output goes to, sized for the largest batch.
struct TGzipStream::TDeflate {
  z_stream Stream{};
  std::unique_ptr<std::uint8_t[]> Output;
  std::size_t OutputSize = 0;

  explicit TDeflate(int Level) {
    // 15 + 16: a 32 KiB window, with the gzip header and trailer around the data.
    const int Result = deflateInit2(&Stream, Level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    // The level is checked before, so memory is what zlib can lack here; the PNG encoder
    // raises the same family when its deflate cannot start.
    if (Result != Z_OK)
      throw EOverflowError(std::string("Cannot set up the gzip stream: ") +
                           (Result == Z_MEM_ERROR ? "zlib cannot get the memory to compress" : "zlib cannot start"));
    // The bound of a whole member, and room for the sync flush's marker and bits.
    OutputSize = deflateBound(&Stream, InputSize) + 64;
    Output = std::make_unique_for_overwrite<std::uint8_t[]>(OutputSize);
  }
  ~TDeflate() { deflateEnd(&Stream); }
  TDeflate(const TDeflate&) = delete;
  TDeflate& operator=(const TDeflate&) = delete;
};

TGzipStream::TGzipStream(TStream* Target, int Level) : FTarget(Target) {
  if (Target == nullptr) throw EArgumentError("Cannot set up the gzip stream: the target stream is null");
  if (Level < -1 || Level > 9)
    throw EArgumentError("Cannot set up the gzip stream: the level must be -1 to 9, not " + std::to_string(Level));
  FDeflate = std::make_unique<TDeflate>(Level);
  FInput = std::make_unique_for_overwrite<std::uint8_t[]>(InputSize);
}

TGzipStream::~TGzipStream() {
  try {
    Close();
  } catch (...) {
  }
}

void TGzipStream::Refuse() const {
  if (FState == TState::Closed) throw EWriteError("Cannot write to the gzip stream: it is closed");
  if (FState == TState::Failed)
    throw EWriteError("Cannot write to the gzip stream: the stream under it failed earlier");
}

// Compresses Count bytes at Data with Mode (a sync flush or the finish) and hands the
// output to the target, in one write unless it overflows the output buffer. The input
// buffer is empty afterwards. Any error leaves the stream failed: zlib has taken the
// input, so nothing after it could be decoded.
void TGzipStream::Compress(const std::uint8_t* Data, std::size_t Count, int Mode) {
  z_stream& Z = FDeflate->Stream;
  FBuffered = 0;
  try {
    do {
      // zlib counts its input in 32 bits: a larger write goes in pieces, flushed once.
      const std::size_t Piece = std::min<std::size_t>(Count, std::size_t{1} << 30);
      Z.next_in = const_cast<Bytef*>(Data);  // zlib's type; it only reads the input
      Z.avail_in = static_cast<uInt>(Piece);
      Data += Piece;
      Count -= Piece;
      const int PieceMode = Count == 0 ? Mode : Z_NO_FLUSH;
      int Result;
      do {
        Z.next_out = FDeflate->Output.get();
        Z.avail_out = static_cast<uInt>(FDeflate->OutputSize);
        Result = deflate(&Z, PieceMode);
        // Z_BUF_ERROR: nothing to do (a second flush with no input between).
        if (Result != Z_OK && Result != Z_STREAM_END && Result != Z_BUF_ERROR)
          throw EWriteError("Cannot write to the gzip stream: zlib failed to compress");
        const std::size_t Produced = FDeflate->OutputSize - Z.avail_out;
        if (Produced != 0) FTarget->WriteBuffer(FDeflate->Output.get(), Produced);
      } while (Z.avail_out == 0 || (PieceMode == Z_FINISH && Result != Z_STREAM_END));
    } while (Count != 0);
  } catch (...) {
    FState = TState::Failed;
    throw;
  }
}

void TGzipStream::WriteBuffer(const void* Buffer, std::size_t Count) {
  if (FState != TState::Open) Refuse();
  FAcquired = 0;
  if (Count > InputSize - FBuffered && FBuffered != 0) Compress(FInput.get(), FBuffered, Z_SYNC_FLUSH);
  if (Count > InputSize) return Compress(static_cast<const std::uint8_t*>(Buffer), Count, Z_SYNC_FLUSH);
  std::memcpy(FInput.get() + FBuffered, Buffer, Count);
  FBuffered += Count;
}

std::uint8_t* TGzipStream::AcquireBuffer(std::size_t Count) {
  if (FState != TState::Open) Refuse();
  FAcquired = 0;  // a loan refused takes back the one before, as a write does
  if (Count > InputSize) return nullptr;
  if (Count > InputSize - FBuffered) Compress(FInput.get(), FBuffered, Z_SYNC_FLUSH);
  FAcquired = Count;
  return FInput.get() + FBuffered;
}

void TGzipStream::CommitBuffer(std::size_t Count) {
  if (Count > FAcquired) throw EMisuseError("CommitBuffer for more than was acquired");
  FBuffered += Count;
  FAcquired = 0;
}

void TGzipStream::Flush() {
  if (FState != TState::Open) Refuse();
  Compress(FInput.get(), FBuffered, Z_SYNC_FLUSH);
}

void TGzipStream::Close() {
  if (FState == TState::Closed) return;
  const bool Failed = FState == TState::Failed;
  struct TRelease {  // zlib's memory goes whatever happens
    TGzipStream& Stream;
    ~TRelease() {
      Stream.FState = TState::Closed;
      Stream.FDeflate.reset();
      Stream.FInput.reset();
    }
  } Release{*this};
  if (Failed) Refuse();
  Compress(FInput.get(), FBuffered, Z_FINISH);
}

}  // namespace fsvg
