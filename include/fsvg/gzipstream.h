// A sink that compresses what it is given, in the gzip format (an .svgz file), into
// another sink, as it is written and in fixed memory. Whole writes (one element line
// each, as the recording canvas makes them) are gathered in an input buffer and
// compressed a buffer at a time, each batch ending in a sync flush and handed to the
// sink under it in one write: whatever of the compressed data reaches that sink
// decompresses to whole writes.
/// @file
/// TGzipStream, the stream that writes an .svgz: gzip compression into another stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "fsvg/export.h"
#include "fsvg/streams.h"

namespace fsvg {
/// @addtogroup streams
/// @{

/// Compresses into another stream as a gzip member, in fixed memory (about 0.5 MiB at
/// the default level), with zlib. Writes are gathered in a buffer of InputSize bytes;
/// when it is full, or on Flush, they are compressed up to a sync flush and handed to
/// the target in one WriteBuffer. An error of the target reaches the call that was
/// writing (the drawing call whose element did not fit); the stream then refuses every
/// later write with EWriteError, and what reached the target before decompresses to
/// whole writes: a truncated member, but never a torn element.
///
///     fsvg::TFileStream File("chart.svgz", fsvg::TFileBuffering::Reserved);
///     fsvg::TGzipStream Gzip(&File);  // TSvgCanvas("chart.svgz", &Host) does the same
///     { fsvg::TSvgCanvas Canvas(&Gzip, &Host); }  // then Gzip.Close() and File.Close()
class FSVG_API TGzipStream final : public TStream {
 public:
  /// Input gathered before it is compressed and handed on. A single write larger than
  /// this is compressed at once and may reach the target in more than one piece.
  static constexpr std::size_t InputSize = 128 * 1024;

  /// Compresses into Target, which stays the caller's and must outlive this stream, at
  /// zlib's Level: 1 (fastest) to 9 (smallest), 0 (stored) or -1 (zlib's default, 6).
  /// Throws EArgumentError for a null Target or a Level out of range, EOverflowError
  /// when zlib cannot start (it cannot get its memory).
  explicit TGzipStream(TStream* Target, int Level = 6);
  /// Closes as Close does, unless closed; an error is dropped (call Close to see it).
  /// The target is not closed.
  ~TGzipStream() override;
  TGzipStream(const TGzipStream&) = delete;
  TGzipStream& operator=(const TGzipStream&) = delete;

  /// Takes the bytes into the input buffer, compressing and handing on what it holds
  /// first when they do not fit. Throws what the target throws; EWriteError once closed,
  /// after the target failed, or when zlib fails to compress.
  void WriteBuffer(const void* Buffer, std::size_t Count) override;
  /// Lends room in the input buffer, compressing and handing on what it holds first
  /// when the room is not there; nullptr, taking back the room lent before, when Count
  /// is more than InputSize. Throws as WriteBuffer does.
  std::uint8_t* AcquireBuffer(std::size_t Count) override;
  /// Takes the bytes into the input buffer. Throws EMisuseError for more than was
  /// acquired.
  void CommitBuffer(std::size_t Count) override;
  /// Compresses every byte written so far up to a sync flush and hands it to the
  /// target: all of it can then be decompressed from what the target holds (a target
  /// with a buffer of its own must be flushed too). Throws as WriteBuffer does.
  void Flush();
  /// Compresses what is left, writes the gzip trailer to the target and frees zlib's
  /// memory; the target stays open. Throws what the target throws, or EWriteError when
  /// an earlier write of the target failed (no trailer is written then) or zlib fails to
  /// compress. Closing twice does nothing.
  void Close();

  /// False once Close has run.
  bool IsOpen() const { return FState != TState::Closed; }

 private:
  struct TDeflate;
  enum class TState { Open, Failed, Closed };

  void Refuse() const;
  void Compress(const std::uint8_t* Data, std::size_t Count, int Mode);

  TStream* FTarget;
  std::unique_ptr<TDeflate> FDeflate;
  std::unique_ptr<std::uint8_t[]> FInput;
  std::size_t FBuffered = 0;
  std::size_t FAcquired = 0;
  TState FState = TState::Open;
};

/// @}
}  // namespace fsvg
