// Memory, file and std::ostream sinks. The file sink uses POSIX calls so that every
// failure carries the operating system's own reason (errno).
#include "fsvg/streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <system_error>

namespace fsvg {

namespace {

std::string Reason(int Error) { return std::generic_category().message(Error); }

// Copies Count bytes. Small blocks (a value written on its own) take two overlapping
// loads and stores, which cost less than a call into the C library.
inline void CopyBytes(std::uint8_t* Target, const std::uint8_t* Source, std::size_t Count) {
  if (Count > 16) {
    std::memcpy(Target, Source, Count);
  } else if (Count >= 8) {
    std::uint64_t Head, Tail;
    std::memcpy(&Head, Source, 8);
    std::memcpy(&Tail, Source + Count - 8, 8);
    std::memcpy(Target, &Head, 8);
    std::memcpy(Target + Count - 8, &Tail, 8);
  } else if (Count >= 4) {
    std::uint32_t Head, Tail;
    std::memcpy(&Head, Source, 4);
    std::memcpy(&Tail, Source + Count - 4, 4);
    std::memcpy(Target, &Head, 4);
    std::memcpy(Target + Count - 4, &Tail, 4);
  } else if (Count > 0) {
    const std::uint8_t First = Source[0], Middle = Source[Count / 2], Last = Source[Count - 1];
    Target[0] = First;
    Target[Count / 2] = Middle;
    Target[Count - 1] = Last;
  }
}

// The capacity a memory stream of Size bytes grows to when it must take Needed more:
// at least double, so that n bytes written piecemeal cost O(n) copying.
std::size_t GrownCapacity(std::size_t Size, std::size_t Capacity, std::size_t Needed) {
  if (Needed > SIZE_MAX / 2 - Size) throw std::bad_alloc();
  return std::max({Size + Needed, Capacity * 2, std::size_t{256}});
}

// Appends go to memory the processor has not seen since the stream grew, and a store
// that misses the caches holds up every store after it. Between two elements a
// painting host may run for microseconds and fill the caches with its own data, so
// after each write the stream fetches, for writing, the room the next line will take:
// the three cache lines from the end hold any line of up to 128 bytes, wherever it
// starts. Fetched much further ahead, the room is evicted again before it is used.
constexpr std::size_t NextLineRoom = 192;

inline void FetchForWriting(const std::uint8_t* Room) {
  for (std::size_t Offset = 0; Offset < NextLineRoom; Offset += 64) __builtin_prefetch(Room + Offset, 1);
}

// Every write to a closed file throws the same error.
void RequireOpen(int Handle, const std::filesystem::path& FileName) {
  if (Handle < 0) throw EWriteError("Cannot write to \"" + FileName.string() + "\": the file is closed");
}

// WriteBuffer's rare path, reached by a tail call.
[[gnu::noinline]] void GrowAndWrite(TMemoryStream& Stream, const void* Buffer, std::size_t Count) {
  Stream.Reserve(GrownCapacity(Stream.Size(), Stream.Capacity(), Count));
  Stream.WriteBuffer(Buffer, Count);
}

}  // namespace

std::uint8_t* TStream::AcquireBuffer(std::size_t) { return nullptr; }

void TStream::CommitBuffer(std::size_t Count) {
  if (Count != 0) throw std::length_error("CommitBuffer without a buffer acquired");
}

// Lends only room it already has: a stream reserved to the document's exact size must
// not grow for a line that would have fitted. The writer then copies the line in.
std::uint8_t* TMemoryStream::AcquireBuffer(std::size_t Count) {
  FAcquired = 0;
  if (Count > FCapacity - FSize) return nullptr;
  FAcquired = Count;
  return FData.get() + FSize;
}

void TMemoryStream::CommitBuffer(std::size_t Count) {
  if (Count > FAcquired) throw std::length_error("CommitBuffer for more than was acquired");
  FAcquired = 0;
  FSize += Count;
  if (FCapacity - FSize >= NextLineRoom) FetchForWriting(FData.get() + FSize);
}

void TMemoryStream::WriteBuffer(const void* Buffer, std::size_t Count) {
  FAcquired = 0;  // lent room is overwritten now
  // Count is 0 only when there is room, so an empty stream never copies through null.
  if (Count > FCapacity - FSize) [[unlikely]]
    return GrowAndWrite(*this, Buffer, Count);
  // The size moves first so that the copy is the last call: this path then needs no
  // stack frame.
  std::uint8_t* const Target = FData.get() + FSize;
  FSize += Count;
  if (FCapacity - FSize >= NextLineRoom) FetchForWriting(Target + Count);
  CopyBytes(Target, static_cast<const std::uint8_t*>(Buffer), Count);
}

void TMemoryStream::Reserve(std::size_t Capacity) {
  if (Capacity <= FCapacity) return;
  auto Data = std::make_unique_for_overwrite<std::uint8_t[]>(Capacity);
  FAcquired = 0;  // lent room moves
  if (FSize != 0) std::memcpy(Data.get(), FData.get(), FSize);
  FData = std::move(Data);
  FCapacity = Capacity;
}

TFileStream::TFileStream(const std::filesystem::path& FileName, TFileBuffering Buffering, std::size_t BufferSize)
    : FFileName(FileName), FBuffering(Buffering), FBufferSize(std::max<std::size_t>(BufferSize, 1)) {
  if (FileName.empty()) throw EFCreateError("Cannot create file \"\". The file name is empty");
  // The system would stop reading the name at a NUL and create another file.
  if (std::string Name = FileName.string(); Name.find('\0') != std::string::npos) {
    for (std::size_t At = Name.find('\0'); At != std::string::npos; At = Name.find('\0', At))
      Name.replace(At, 1, "\\0");
    throw EFCreateError("Cannot create file \"" + Name + "\". " + Reason(EINVAL));
  }
  FBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(FBufferSize);
  do {
    FHandle = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (FHandle < 0 && errno == EINTR);
  if (FHandle < 0) {
    throw EFCreateError("Cannot create file \"" + FileName.string() + "\". " + Reason(errno));
  }
}

TFileStream::~TFileStream() {
  try {
    Close();
  } catch (...) {
    // A destructor cannot report; Close() before destruction surfaces the error.
  }
}

void TFileStream::WriteBuffer(const void* Buffer, std::size_t Count) {
  FAcquired = 0;
  RequireOpen(FHandle, FFileName);
  if (Count == 0) return;
  const auto* Bytes = static_cast<const std::uint8_t*>(Buffer);
  if (Count > FBufferSize - FBuffered) {
    Flush();
    if (Count >= FBufferSize) {
      WriteToFile(Bytes, Count);
      return;
    }
  }
  CopyBytes(FBuffer.get() + FBuffered, Bytes, Count);
  FBuffered += Count;
  if (FBuffering == TFileBuffering::Line && Bytes[Count - 1] == '\n') Flush();
}

std::uint8_t* TFileStream::AcquireBuffer(std::size_t Count) {
  RequireOpen(FHandle, FFileName);
  FAcquired = 0;
  if (Count > FBufferSize) return nullptr;
  if (Count > FBufferSize - FBuffered) Flush();
  FAcquired = Count;
  return FBuffer.get() + FBuffered;
}

void TFileStream::CommitBuffer(std::size_t Count) {
  if (Count > FAcquired) throw std::length_error("CommitBuffer for more than was acquired");
  FAcquired = 0;
  if (Count == 0) return;
  FBuffered += Count;
  if (FBuffering == TFileBuffering::Line && FBuffer[FBuffered - 1] == '\n') Flush();
}

void TFileStream::Flush() {
  FAcquired = 0;
  if (FBuffered == 0) return;
  // Whatever happens, the buffered bytes are handed over once: a failed write is not
  // retried by a later call, which would duplicate or reorder bytes.
  const std::size_t Count = FBuffered;
  FBuffered = 0;
  WriteToFile(FBuffer.get(), Count);
}

void TFileStream::Close() {
  if (FHandle < 0) return;
  int Error = 0;
  try {
    Flush();
  } catch (...) {
    ::close(FHandle);
    FHandle = -1;
    throw;
  }
  if (::close(FHandle) != 0 && errno != EINTR) Error = errno;
  FHandle = -1;
  if (Error != 0) RaiseWriteError(Error);
}

void TFileStream::WriteToFile(const std::uint8_t* Data, std::size_t Count) {
  while (Count > 0) {
    const ssize_t Written = ::write(FHandle, Data, Count);
    if (Written < 0) {
      if (errno == EINTR) continue;
      RaiseWriteError(errno);
    }
    if (Written == 0) RaiseWriteError(EIO);
    Data += Written;
    Count -= static_cast<std::size_t>(Written);
  }
}

void TFileStream::RaiseWriteError(int Error) const {
  throw EWriteError("Cannot write to \"" + FFileName.string() + "\": " + Reason(Error));
}

void TOStreamAdapter::WriteBuffer(const void* Buffer, std::size_t Count) {
  if (Count == 0) return;
  try {
    FTarget.write(static_cast<const char*>(Buffer), static_cast<std::streamsize>(Count));
  } catch (const std::exception& E) {
    throw EWriteError(std::string("Stream write error: ") + E.what());
  }
  if (!FTarget) throw EWriteError("Stream write error: the std::ostream is in a failed state");
}

}  // namespace fsvg
