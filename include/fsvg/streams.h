// Byte sinks for the SVG text. Every sink has one required operation, WriteBuffer:
// take the whole buffer or throw. Memory, files and a caller's std::ostream are small
// classes on that one seam, and so is any sink a caller writes. A sink with a buffer
// of its own may also lend room in it (AcquireBuffer, CommitBuffer), so that a line
// is built where it is to stay instead of being copied in.
/// @file
/// Byte sinks: TStream and its memory, file and std::ostream kinds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "fsvg/errors.h"
#include "fsvg/export.h"

namespace fsvg {
/// @addtogroup streams
/// @{

/// A byte sink. Freeing a stream closes it.
///
///     struct TCounter : fsvg::TStream {
///       std::size_t Bytes = 0;
///       void WriteBuffer(const void*, std::size_t Count) override { Bytes += Count; }
///     };
class FSVG_API TStream {
 public:
  virtual ~TStream() = default;
  /// Takes all Count bytes at Buffer, or throws (nothing is retried).
  virtual void WriteBuffer(const void* Buffer, std::size_t Count) = 0;

  /// @name Writing in place
  /// A stream that keeps its bytes in a buffer of its own may lend room at the end of
  /// it, so that a writer builds its bytes there instead of copying them in. Between
  /// AcquireBuffer and CommitBuffer the writer makes no other call to the stream.
  /// @{

  /// Room for at least Count bytes at the end of the stream, or nullptr when the stream
  /// lends none (the default): the writer then calls WriteBuffer. May throw as
  /// WriteBuffer does. Room that is never committed is simply not written.
  virtual std::uint8_t* AcquireBuffer(std::size_t Count);
  /// Takes the first Count bytes of the room last acquired, as WriteBuffer would. Throws
  /// EMisuseError for more than was acquired; may throw as WriteBuffer does.
  virtual void CommitBuffer(std::size_t Count);
  /// @}
};

/// A stream that collects its bytes in memory, growing geometrically.
///
///     fsvg::TMemoryStream Stream;
///     { fsvg::TSvgCanvas Canvas(&Stream, &Host); Canvas.Clear(0xFFFFFFFF); }
///     std::string_view Svg = Stream.View();  // the whole document
class FSVG_API TMemoryStream final : public TStream {
 public:
  TMemoryStream() = default;
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;

  void WriteBuffer(const void* Buffer, std::size_t Count) override;
  /// Lends the room after the last byte when the capacity holds Count more bytes;
  /// nullptr otherwise (WriteBuffer grows the stream).
  std::uint8_t* AcquireBuffer(std::size_t Count) override;
  /// Throws EMisuseError for more than was acquired.
  void CommitBuffer(std::size_t Count) override;

  /// Makes room for at least Capacity bytes in all, so that writes up to it never grow.
  void Reserve(std::size_t Capacity);
  /// Forgets the bytes and keeps the memory.
  void Clear() {
    FSize = 0;
    FAcquired = 0;
  }

  /// The bytes written so far (null before the first write).
  const std::uint8_t* Data() const { return FData.get(); }
  /// How many bytes were written.
  std::size_t Size() const { return FSize; }
  /// How many bytes fit before the stream grows.
  std::size_t Capacity() const { return FCapacity; }
  /// The bytes as text (the SVG document is UTF-8).
  std::string_view View() const { return {reinterpret_cast<const char*>(FData.get()), FSize}; }

 private:
  void GrowAndWrite(const void* Buffer, std::size_t Count);
  void Regrow(std::size_t Capacity, const void* Buffer, std::size_t Count);

  std::unique_ptr<std::uint8_t[]> FData;
  std::size_t FSize = 0;
  std::size_t FCapacity = 0;
  std::size_t FAcquired = 0;
};

/// When a TFileStream hands its bytes to the operating system.
enum class TFileBuffering {
  /// After every write that ends with a line feed, when the buffer is full, and on
  /// Flush and close: one SVG element reaches the file in one system call, and a
  /// failed write is raised by the call that wrote the element.
  Line,
  /// Only when the buffer is full, and on Flush and close.
  Full,
  /// As Full, over disk space reserved ahead in large steps: a write that cannot get
  /// space is raised by its own call, with none of its bytes taken and every earlier
  /// byte handed to the system. A block the system takes only part of (the file size
  /// limit lowered under the buffer) keeps the elements it took whole in the file and
  /// the rest in the buffer, for the next flush, and the call that handed it over
  /// raises. Where the file cannot reserve space (a pipe, a device, some network file
  /// systems) it behaves as Line.
  Reserved,
};

/// A file opened for writing, created or truncated to length zero. A write that fails
/// partway through a regular file is cut back: none of its bytes stay in the file (a
/// reserving file keeps the elements written whole). A buffered file's blocks go out
/// with SIGXFSZ held back, so that the file size limit is an error, not the end of the
/// process.
///
///     fsvg::TFileStream File("chart.svg", fsvg::TFileBuffering::Reserved);
///     { fsvg::TSvgCanvas Canvas(&File, &Host); Canvas.Clear(0xFFFFFFFF); }
///     File.Close();  // throws what closing meets
class FSVG_API TFileStream final : public TStream {
 public:
  /// Creates or truncates FileName. Throws EFCreateError naming the path and the reason.
  /// Only the part of the buffer in use is touched: a line-buffered file uses a line's worth.
  /// A fully buffered or reserving one hands the system 1 MiB at a time by default, where
  /// the system's own cost per call and per page is small next to the copy.
  explicit TFileStream(const std::filesystem::path& FileName, TFileBuffering Buffering = TFileBuffering::Line,
                       std::size_t BufferSize = 1024 * 1024);
  /// Flushes and closes; a failure here cannot be reported and is dropped: call Close
  /// first to see it.
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  /// Throws EWriteError naming the path and the reason when the file cannot take the bytes,
  /// or when the stream is closed.
  void WriteBuffer(const void* Buffer, std::size_t Count) override;
  /// Lends room in the file's buffer, flushing it first when the room is not there;
  /// nullptr when Count is more than the whole buffer. Throws as WriteBuffer does.
  std::uint8_t* AcquireBuffer(std::size_t Count) override;
  /// Takes the bytes into the buffer and flushes as WriteBuffer does. Throws
  /// EMisuseError for more than was acquired.
  void CommitBuffer(std::size_t Count) override;
  /// Hands every buffered byte to the operating system. Throws EWriteError.
  void Flush();
  /// Flushes, gives back space reserved beyond the end, and closes the file; later
  /// writes throw. Throws EWriteError; the file is closed even then. Closing twice does
  /// nothing.
  void Close();

  /// The path the stream was opened with.
  const std::filesystem::path& FileName() const { return FFileName; }
  /// False once Close has run.
  bool IsOpen() const { return FHandle >= 0; }

 private:
  // Whether Count more bytes after the buffered ones lie in reserved space.
  bool IsReservedFor(std::size_t Count) const { return FWritten + FBuffered + Count <= FReserved; }
  void ReserveFor(std::size_t Count);
  int WriteOut(const std::uint8_t* Data, std::size_t Count, std::size_t& Done);
  bool CutBack(std::uint64_t End);
  void WriteToFile(const std::uint8_t* Data, std::size_t Count);
  [[noreturn]] void RaiseWriteError(int Error) const;

  std::filesystem::path FFileName;
  int FHandle = -1;
  TFileBuffering FBuffering;
  bool FRegular = false;        // a regular file: it can be cut back and can reserve
  bool FPipe = false;           // a pipe or socket: a write may raise SIGPIPE
  std::uint64_t FWritten = 0;   // bytes handed to the system: the file's length
  std::uint64_t FReserved = 0;  // the end of the space reserved
  std::unique_ptr<std::uint8_t[]> FBuffer;
  std::size_t FBufferSize;
  std::size_t FBuffered = 0;
  std::size_t FAcquired = 0;
  std::unique_ptr<std::size_t[]> FEnds;  // a reserving file's: where each buffered element ends
  std::size_t FEndCount = 0;
  std::size_t FEndCapacity = SIZE_MAX;  // never reached without a list
};

/// Writes to a caller's std::ostream, which stays the caller's. Throws EWriteError
/// when the std::ostream fails: a set failbit or badbit, or an exception of any type
/// from the std::ostream or its buffer, which is nested in the EWriteError. Bytes the
/// std::ostream took before it failed stay there: it cannot be cut back.
///
///     std::ostringstream Text;
///     fsvg::TOStreamAdapter Stream(Text);
///     fsvg::TSvgCanvas Canvas(&Stream, &Host);
class FSVG_API TOStreamAdapter final : public TStream {
 public:
  /// Writes to Target, which must outlive the adapter.
  explicit TOStreamAdapter(std::ostream& Target) : FTarget(Target) {}
  void WriteBuffer(const void* Buffer, std::size_t Count) override;

 private:
  std::ostream& FTarget;
};

/// @}
}  // namespace fsvg
