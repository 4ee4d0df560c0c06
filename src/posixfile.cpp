// The file stream, over POSIX calls so that every failure carries the operating
// system's own reason (errno), and Linux's fallocate to reserve space ahead of its writes.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <system_error>

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

// A write to a pipe whose reader is gone raises SIGPIPE, which ends the process unless
// handled. The signal is blocked in this thread alone around the write and, when the
// write raised it, taken from the pending signals before it is unblocked: the process's
// disposition and other threads are left alone. A SIGPIPE that was pending before the
// write is not this write's, and stays pending.
ssize_t WriteWithoutSigpipe(int Handle, const void* Data, std::size_t Count) {
  sigset_t Pipe, Saved, Pending;
  sigemptyset(&Pipe);
  sigaddset(&Pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &Pipe, &Saved);
  const bool WasPending = sigpending(&Pending) == 0 && sigismember(&Pending, SIGPIPE) == 1;
  const ssize_t Written = ::write(Handle, Data, Count);
  const int Error = errno;
  if (Written < 0 && Error == EPIPE && !WasPending) {
    const timespec Now{};
    while (sigtimedwait(&Pipe, nullptr, &Now) < 0 && errno == EINTR) {
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
  if (Count > FAcquired) throw EMisuseError("CommitBuffer for more than was acquired");
  FAcquired = 0;
  if (Count == 0) return;
  if (FBuffering == TFileBuffering::Reserved && !IsReservedFor(Count)) ReserveFor(Count);
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
    if (FReserved > FWritten && ::ftruncate(FHandle, static_cast<off_t>(FWritten)) != 0) Error = errno;
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

// A write that fails partway leaves none of its bytes in a regular file: the file is
// cut back to where the write began, so that it never ends in a torn element.
void TFileStream::WriteToFile(const std::uint8_t* Data, std::size_t Count) {
  const std::uint64_t Start = FWritten;
  while (Count > 0) {
    const ssize_t Written = FPipe ? WriteWithoutSigpipe(FHandle, Data, Count) : ::write(FHandle, Data, Count);
    if (Written <= 0) {
      if (Written < 0 && errno == EINTR) continue;
      const int Error = Written < 0 ? errno : EIO;
      if (FRegular && FWritten != Start && ::ftruncate(FHandle, static_cast<off_t>(Start)) == 0 &&
          ::lseek(FHandle, static_cast<off_t>(Start), SEEK_SET) >= 0)
        FWritten = Start;
      RaiseWriteError(Error);
    }
    Data += Written;
    Count -= static_cast<std::size_t>(Written);
    FWritten += static_cast<std::uint64_t>(Written);
  }
}

void TFileStream::RaiseWriteError(int Error) const {
  throw EWriteError("Cannot write to \"" + FFileName.string() + "\": " + Reason(Error));
}

}  // namespace fsvg
