// The file stream, over POSIX calls so that every failure carries the operating
// system's own reason (errno), and Linux's fallocate to reserve space ahead of its writes.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#include "bytecopy.h"
#include "fsvg/streams.h"

namespace fsvg {

namespace {

using detail::CopyBytes;

std::string Reason(int Error) { return std::generic_category().message(Error); }

// Every write to a closed file throws the same error.
void RequireOpen(int Handle, const std::filesystem::path& FileName) {
  if (Handle < 0) throw EWriteError("Cannot write to \"" + FileName.string() + "\": the file is closed");
}

// A reserving file asks for this much space at a time: a few system calls for a large
// document, and no more than this left reserved beyond its end if the process dies.
constexpr std::uint64_t ReserveStep = 1024 * 1024;

// A reserving file notes where each element in its buffer ends, in a list this long at
// most: a buffer of smaller elements is handed over when the list is full.
constexpr std::size_t MaxElements = 16384;

// Reserves the bytes from From up to To (past the file's end, which does not move), so
// that writes there cannot run out of space. Returns 0 or the system's reason.
int ReserveSpace(int Handle, std::uint64_t From, std::uint64_t To) {
  while (::fallocate(Handle, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(From), static_cast<off_t>(To - From)) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

// The reasons for which a file cannot reserve space at all, as opposed to having none.
bool CannotReserve(int Error) {
  return Error == EOPNOTSUPP || Error == ENOSYS || Error == ENODEV || Error == ESPIPE || Error == EINVAL;
}

// A write to a pipe whose reader is gone raises SIGPIPE, and one past the file size limit
// SIGXFSZ: either ends the process unless handled. The signal is blocked in this thread
// alone around the write and, when the write raised it (failing with Raised), taken from
// the pending signals before it is unblocked: the process's disposition and other
// threads are left alone. A signal that was pending before the write is not this
// write's, and stays pending.
ssize_t WriteWithout(int Signal, int Raised, int Handle, const void* Data, std::size_t Count) {
  sigset_t Set, Saved, Pending;
  sigemptyset(&Set);
  sigaddset(&Set, Signal);
  pthread_sigmask(SIG_BLOCK, &Set, &Saved);
  const bool WasPending = sigpending(&Pending) == 0 && sigismember(&Pending, Signal) == 1;
  const ssize_t Written = ::write(Handle, Data, Count);
  const int Error = errno;
  if (Written < 0 && Error == Raised && !WasPending) {
    const timespec Now{};
    while (sigtimedwait(&Set, nullptr, &Now) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &Saved, nullptr);
  errno = Error;
  return Written;
}

}  // namespace

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
  struct stat Status {};
  if (::fstat(FHandle, &Status) == 0) {
    FRegular = S_ISREG(Status.st_mode);
    FPipe = S_ISFIFO(Status.st_mode) || S_ISSOCK(Status.st_mode);
  }
  if (FBuffering == TFileBuffering::Reserved && !FRegular) FBuffering = TFileBuffering::Line;
  if (FBuffering == TFileBuffering::Reserved) {
    FEndCapacity = std::min(FBufferSize, MaxElements);
    FEnds = std::make_unique_for_overwrite<std::size_t[]>(FEndCapacity);
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
  if (FBuffering == TFileBuffering::Reserved && !IsReservedFor(Count)) ReserveFor(Count);
  const auto* Bytes = static_cast<const std::uint8_t*>(Buffer);
  if (Count > FBufferSize - FBuffered || FEndCount == FEndCapacity) {
    Flush();
    if (Count >= FBufferSize) {
      WriteToFile(Bytes, Count);
      return;
    }
  }
  CopyBytes(FBuffer.get() + FBuffered, Bytes, Count);
  FBuffered += Count;
  if (FEnds) FEnds[FEndCount++] = FBuffered;
  if (FBuffering == TFileBuffering::Line && Bytes[Count - 1] == '\n') Flush();
}

std::uint8_t* TFileStream::AcquireBuffer(std::size_t Count) {
  RequireOpen(FHandle, FFileName);
  FAcquired = 0;
  if (Count > FBufferSize) return nullptr;
  if (Count > FBufferSize - FBuffered || FEndCount == FEndCapacity) Flush();
  FAcquired = Count;
  return FBuffer.get() + FBuffered;
}

void TFileStream::CommitBuffer(std::size_t Count) {
  if (Count > FAcquired) throw EMisuseError("CommitBuffer for more than was acquired");
  FAcquired = 0;
  if (Count == 0) return;
  if (FBuffering == TFileBuffering::Reserved && !IsReservedFor(Count)) ReserveFor(Count);
  FBuffered += Count;
  if (FEnds) FEnds[FEndCount++] = FBuffered;
  if (FBuffering == TFileBuffering::Line && FBuffer[FBuffered - 1] == '\n') Flush();
}

// A reserving file knows where each element ends in its buffer. When the system takes
// only part of the block (the file size limit was lowered under it, say), the elements
// it took whole stay in the file, the one it cut short is cut back out, and that one and
// those after it stay buffered, to be handed over again by the next flush: nothing is
// written twice or out of order. Other files hand their bytes over once: a failed block
// is cut back whole and not tried again.
void TFileStream::Flush() {
  FAcquired = 0;
  if (FBuffered == 0) return;
  const std::size_t Count = std::exchange(FBuffered, 0);
  if (!FEnds) return WriteToFile(FBuffer.get(), Count);
  const std::size_t Elements = std::exchange(FEndCount, 0);
  std::size_t Done = 0;
  const int Error = WriteOut(FBuffer.get(), Count, Done);
  if (Error == 0) return;
  const std::size_t* const Ends = FEnds.get();
  const std::size_t* const Next = std::upper_bound(Ends, Ends + Elements, Done);
  const std::size_t Kept = Next == Ends ? 0 : Next[-1];
  if (CutBack(FWritten - (Done - Kept))) {
    std::memmove(FBuffer.get(), FBuffer.get() + Kept, Count - Kept);
    FBuffered = Count - Kept;
    for (const std::size_t* End = Next; End != Ends + Elements; ++End) FEnds[FEndCount++] = *End - Kept;
  }
  // The next call checks for room again instead of trusting what was reserved.
  FReserved = std::min(FReserved, FWritten);
  RaiseWriteError(Error);
}

// A step ahead when the file system has it, else just what the buffered bytes and
// Count more need. When even that is refused, the buffered bytes (in space reserved
// before) go to the file and the error is raised: the new bytes are not taken.
void TFileStream::ReserveFor(std::size_t Count) {
  const std::uint64_t Needed = FWritten + FBuffered + Count;
  std::uint64_t Ahead = std::max(Needed, FReserved + ReserveStep);
  int Error = 0;
  // Space past the file size limit is reserved all the same, but writes there fail.
  rlimit Limit{};
  if (::getrlimit(RLIMIT_FSIZE, &Limit) == 0 && Limit.rlim_cur != RLIM_INFINITY) {
    Ahead = std::min<std::uint64_t>(Ahead, Limit.rlim_cur);
    if (Needed > Limit.rlim_cur) Error = EFBIG;
  }
  if (Error == 0) Error = ReserveSpace(FHandle, FReserved, Ahead);
  if (Error != 0 && Error != EFBIG && !CannotReserve(Error) && Ahead > Needed) {
    Ahead = Needed;
    Error = ReserveSpace(FHandle, FReserved, Ahead);
  }
  if (Error == 0) {
    FReserved = Ahead;
  } else if (CannotReserve(Error)) {
    FBuffering = TFileBuffering::Line;
  } else {
    Flush();
    RaiseWriteError(Error);
  }
}

void TFileStream::Close() {
  if (FHandle < 0) return;
  int Error = 0;
  const auto Release = [&] {
    // Space reserved beyond the end goes back to the file system.
    if (FEnds && ::ftruncate(FHandle, static_cast<off_t>(FWritten)) != 0) Error = errno;
    if (::close(FHandle) != 0 && errno != EINTR && Error == 0) Error = errno;
    FHandle = -1;
  };
  try {
    Flush();
  } catch (...) {
    Release();
    throw;
  }
  Release();
  if (Error != 0) RaiseWriteError(Error);
}

// Hands Count bytes to the system, through interruptions and partial writes. Returns 0,
// or the reason the rest was refused; Done counts the bytes taken either way. A block
// of a buffered file may meet the size limit, and goes out with SIGXFSZ held back; a
// line-buffered file writes each element plainly: holding the signal back made each
// element's write about 2.7 times as costly.
int TFileStream::WriteOut(const std::uint8_t* Data, std::size_t Count, std::size_t& Done) {
  while (Done < Count) {
    const ssize_t Written = FPipe ? WriteWithout(SIGPIPE, EPIPE, FHandle, Data + Done, Count - Done)
                            : FRegular && FBuffering != TFileBuffering::Line
                                ? WriteWithout(SIGXFSZ, EFBIG, FHandle, Data + Done, Count - Done)
                                : ::write(FHandle, Data + Done, Count - Done);
    if (Written <= 0) {
      if (Written < 0 && errno == EINTR) continue;
      return Written < 0 ? errno : EIO;
    }
    Done += static_cast<std::size_t>(Written);
    FWritten += static_cast<std::uint64_t>(Written);
  }
  return 0;
}

// Cuts a regular file back to End bytes, so that it never ends in a torn element.
// Returns whether the file now ends there.
bool TFileStream::CutBack(std::uint64_t End) {
  if (FWritten != End && FRegular && ::ftruncate(FHandle, static_cast<off_t>(End)) == 0 &&
      ::lseek(FHandle, static_cast<off_t>(End), SEEK_SET) >= 0)
    FWritten = End;
  return FWritten == End;
}

// A write that fails partway leaves none of its bytes in a regular file.
void TFileStream::WriteToFile(const std::uint8_t* Data, std::size_t Count) {
  std::size_t Done = 0;
  if (const int Error = WriteOut(Data, Count, Done); Error != 0) {
    CutBack(FWritten - Done);
    FReserved = std::min(FReserved, FWritten);
    RaiseWriteError(Error);
  }
}

void TFileStream::RaiseWriteError(int Error) const {
  throw EWriteError("Cannot write to \"" + FFileName.string() + "\": " + Reason(Error));
}

}  // namespace fsvg
