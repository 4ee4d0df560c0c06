// The memory and std::ostream sinks, and what every stream shares: a stream that lends
// no room takes no commit. The file sink is a platform's own (posixfile.cpp).
#include "fsvg/streams.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <ostream>
#include <string>

#include "bytecopy.h"

namespace fsvg {

namespace {

using detail::CopyBytes;

// The capacity a memory stream of Size bytes grows to when it must take Needed more:
// at least double, so that n bytes written piecemeal cost O(n) copying.
std::size_t GrownCapacity(std::size_t Size, std::size_t Capacity, std::size_t Needed) {
  if (Needed > SIZE_MAX / 2 - Size)
    throw EOverflowError("TMemoryStream: " + std::to_string(Needed) + " more bytes cannot be held");
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

}  // namespace

std::uint8_t* TStream::AcquireBuffer(std::size_t) { return nullptr; }

void TStream::CommitBuffer(std::size_t Count) {
  if (Count != 0) throw EMisuseError("CommitBuffer without a buffer acquired");
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
  if (Count > FAcquired) throw EMisuseError("CommitBuffer for more than was acquired");
  FAcquired = 0;
  FSize += Count;
  if (FCapacity - FSize >= NextLineRoom) FetchForWriting(FData.get() + FSize);
}

void TMemoryStream::WriteBuffer(const void* Buffer, std::size_t Count) {
  FAcquired = 0;  // lent room is overwritten now
  // Count is 0 only when there is room, so an empty stream never copies through null.
  if (Count > FCapacity - FSize) [[unlikely]]
    return GrowAndWrite(Buffer, Count);
  // The size moves first so that the copy is the last call: this path then needs no
  // stack frame.
  std::uint8_t* const Target = FData.get() + FSize;
  FSize += Count;
  if (FCapacity - FSize >= NextLineRoom) FetchForWriting(Target + Count);
  CopyBytes(Target, static_cast<const std::uint8_t*>(Buffer), Count);
}

// WriteBuffer's rare path, reached by a tail call.
[[gnu::noinline]] void TMemoryStream::GrowAndWrite(const void* Buffer, std::size_t Count) {
  Regrow(GrownCapacity(FSize, FCapacity, Count), Buffer, Count);
}

void TMemoryStream::Reserve(std::size_t Capacity) {
  if (Capacity > FCapacity) Regrow(Capacity, nullptr, 0);
}

// Moves the bytes to a new block and appends Count bytes from Buffer. Buffer may lie in
// the old block (a stream written to itself), so both copies come before it is freed.
void TMemoryStream::Regrow(std::size_t Capacity, const void* Buffer, std::size_t Count) {
  auto Data = std::make_unique_for_overwrite<std::uint8_t[]>(Capacity);
  if (FSize != 0) std::memcpy(Data.get(), FData.get(), FSize);
  if (Count != 0) std::memcpy(Data.get() + FSize, Buffer, Count);
  FAcquired = 0;  // lent room moves
  FData = std::move(Data);
  FCapacity = Capacity;
  FSize += Count;
}

void TOStreamAdapter::WriteBuffer(const void* Buffer, std::size_t Count) {
  if (Count == 0) return;
  // Whatever the std::ostream or its buffer throws, the caller gets an EWriteError, as
  // from every stream of ours; the original stays reachable through std::rethrow_if_nested.
  try {
    FTarget.write(static_cast<const char*>(Buffer), static_cast<std::streamsize>(Count));
  } catch (const std::exception& E) {
    std::throw_with_nested(EWriteError(std::string("Stream write error: ") + E.what()));
  } catch (...) {
    std::throw_with_nested(EWriteError("Stream write error: the std::ostream threw an exception"));
  }
  if (!FTarget) throw EWriteError("Stream write error: the std::ostream is in a failed state");
}

}  // namespace fsvg
