// Peak memory, write counts and the fork that isolates each run.
#include "measure.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>

namespace fsvg::bench {

namespace {

// Reads a small /proc file into Buffer without allocating; returns the length or -1.
long ReadProcFile(const char* Path, char* Buffer, std::size_t Size) {
  const int Handle = ::open(Path, O_RDONLY | O_CLOEXEC);
  if (Handle < 0) return -1;
  std::size_t Length = 0;
  while (Length + 1 < Size) {
    const ssize_t Got = ::read(Handle, Buffer + Length, Size - 1 - Length);
    if (Got < 0 && errno == EINTR) continue;
    if (Got <= 0) break;
    Length += static_cast<std::size_t>(Got);
  }
  ::close(Handle);
  Buffer[Length] = '\0';
  return static_cast<long>(Length);
}

// The number after "Field" in a "Field: value" /proc file, or -1.
std::int64_t ProcField(const char* Path, const char* Field) {
  char Buffer[4096];
  if (ReadProcFile(Path, Buffer, sizeof Buffer) < 0) return -1;
  const char* Found = std::strstr(Buffer, Field);
  if (Found == nullptr) return -1;
  return std::strtoll(Found + std::strlen(Field), nullptr, 10);
}

bool ResetPeakResidentSet() {
  const int Handle = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
  if (Handle < 0) return false;
  const bool Done = ::write(Handle, "5", 1) == 1;
  ::close(Handle);
  return Done;
}

void WriteAll(int Handle, const void* Data, std::size_t Count) {
  const auto* Bytes = static_cast<const char*>(Data);
  while (Count > 0) {
    const ssize_t Written = ::write(Handle, Bytes, Count);
    if (Written < 0 && errno == EINTR) continue;
    if (Written <= 0) return;
    Bytes += Written;
    Count -= static_cast<std::size_t>(Written);
  }
}

// A forked child starts with none of the parent's file pages (code, constant data) in
// its page tables: the system maps them again on first use, so the child's resident set
// would count as growth every page of libc or libstdc++ the parent ran long before,
// whatever the run allocates. The child maps back, before its baseline, each page the
// parent has mapped (present in the parent's pagemap) by reading one byte of it. The
// system maps the page cache's neighbours of a page on a fault too (up to 64 KiB), so a
// neighbour the parent never mapped may be mapped here: at most that much code first run
// by the run escapes the count. Code only the run uses is still counted.
void MapParentsFilePages(pid_t Parent) {
  char Path[64];
  std::snprintf(Path, sizeof Path, "/proc/%d/pagemap", static_cast<int>(Parent));
  const int Pagemap = ::open(Path, O_RDONLY | O_CLOEXEC);
  if (Pagemap < 0) return;
  const int Maps = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
  if (Maps < 0) {
    ::close(Pagemap);
    return;
  }
  const std::uintptr_t Page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  static char Text[1 << 20];  // the whole map, read before anything is touched
  std::size_t Length = 0;
  for (ssize_t Got; Length + 1 < sizeof Text && (Got = ::read(Maps, Text + Length, sizeof Text - 1 - Length)) > 0;)
    Length += static_cast<std::size_t>(Got);
  ::close(Maps);
  Text[Length] = '\0';
  for (char* Line = Text; *Line != '\0';) {
    char* const End = std::strchr(Line, '\n');
    if (End != nullptr) *End = '\0';
    // "start-end perms offset dev inode path": a file's pages have a path after a nonzero
    // inode; a device's are left alone.
    const char* const Name = std::strchr(Line, '/');
    unsigned long Start = 0, Stop = 0, Inode = 0;
    char Perms[8] = {};
    if (std::sscanf(Line, "%lx-%lx %7s %*s %*s %lu", &Start, &Stop, Perms, &Inode) == 4 && Inode != 0 &&
        Perms[0] == 'r' && Name != nullptr && std::strncmp(Name, "/dev/", 5) != 0) {
      std::uint64_t Entries[512];
      for (std::uintptr_t At = Start; At < Stop; At += Page * 512) {
        const std::size_t Count = std::min<std::uintptr_t>(512, (Stop - At) / Page);
        const ssize_t Got =
            ::pread(Pagemap, Entries, Count * sizeof Entries[0], static_cast<off_t>(At / Page * sizeof Entries[0]));
        for (ssize_t I = 0; I < Got / static_cast<ssize_t>(sizeof Entries[0]); ++I)
          if ((Entries[I] >> 63) != 0)
            (void)*reinterpret_cast<const volatile char*>(At + static_cast<std::uintptr_t>(I) * Page);
      }
    }
    if (End == nullptr) break;
    Line = End + 1;
  }
  ::close(Pagemap);
}

}  // namespace

double ProcessCpuSeconds() {
  timespec Now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &Now);
  return static_cast<double>(Now.tv_sec) + static_cast<double>(Now.tv_nsec) * 1e-9;
}

std::int64_t WriteCallCount() { return ProcField("/proc/self/io", "syscw:"); }

void KeepLargeBlocksMapped() {
  // A fixed threshold turns off glibc's raising of it after each large free, which
  // would let freed scene and output buffers stay in the heap.
  ::mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

void TProbe::Baseline() {
  // The reset is itself a write call, so the count is taken after it.
  FBaseKiB = ResetPeakResidentSet() ? ProcField("/proc/self/status", "VmRSS:") : -1;
  FBaseWrites = WriteCallCount();
}

void TProbe::Start() {
  FCpuStart = ProcessCpuSeconds();
  FStart = std::chrono::steady_clock::now();
}

void TProbe::Stop() {
  Sample.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
  Sample.CpuSeconds = ProcessCpuSeconds() - FCpuStart;
  if (FBaseKiB >= 0) {
    const std::int64_t Peak = ProcField("/proc/self/status", "VmHWM:");
    if (Peak >= 0) Sample.GrowthKiB = Peak - FBaseKiB;
  }
  const std::int64_t Writes = WriteCallCount();
  if (FBaseWrites >= 0 && Writes >= 0) Sample.Writes = Writes - FBaseWrites;
}

void TProbe::Verify(std::string_view Output, std::string_view Reference) {
  if (Output == Reference) {
    if (Sample.Verified != 0) Sample.Verified = 1;
    return;
  }
  Sample.Verified = 0;
  std::size_t At = 0;
  while (At < Output.size() && At < Reference.size() && Output[At] == Reference[At]) ++At;
  const std::size_t From = At < 40 ? 0 : At - 40;
  Fail("output differs from the floor at byte " + std::to_string(At) + " of " + std::to_string(Output.size()) +
       " (floor: " + std::to_string(Reference.size()) + "): got \"" + std::string(Output.substr(From, 80)) +
       "\", floor \"" + std::string(Reference.substr(From, 80)) + "\"");
}

void TProbe::Fail(const std::string& Text) {
  if (Sample.Message[0] != '\0') return;
  std::snprintf(Sample.Message, sizeof Sample.Message, "%s", Text.c_str());
}

TSample RunInChild(const std::function<void(TProbe&)>& Body) {
  TSample Result;
  int Pipe[2];
  if (::pipe2(Pipe, O_CLOEXEC) != 0) {
    std::snprintf(Result.Message, sizeof Result.Message, "pipe: %s", std::strerror(errno));
    return Result;
  }
  std::fflush(nullptr);
  // Memory the parent has freed but still holds would be resident in the child before
  // its baseline, and a run that reuses it would seem to grow less: give it back first.
  ::malloc_trim(0);
  const pid_t Parent = ::getpid();
  const pid_t Child = ::fork();
  if (Child < 0) {
    std::snprintf(Result.Message, sizeof Result.Message, "fork: %s", std::strerror(errno));
    ::close(Pipe[0]);
    ::close(Pipe[1]);
    return Result;
  }
  if (Child == 0) {
    ::close(Pipe[0]);
    MapParentsFilePages(Parent);
    TProbe Probe;
    try {
      Body(Probe);
    } catch (const std::exception& Error) {
      Probe.Fail(Error.what());
    } catch (...) {
      Probe.Fail("unknown exception");
    }
    WriteAll(Pipe[1], &Probe.Sample, sizeof Probe.Sample);
    // Skip destructors and atexit handlers that belong to the parent's state.
    ::_exit(0);
  }
  ::close(Pipe[1]);
  std::size_t Got = 0;
  auto* Bytes = reinterpret_cast<char*>(&Result);
  while (Got < sizeof Result) {
    const ssize_t Read = ::read(Pipe[0], Bytes + Got, sizeof Result - Got);
    if (Read < 0 && errno == EINTR) continue;
    if (Read <= 0) break;
    Got += static_cast<std::size_t>(Read);
  }
  ::close(Pipe[0]);
  int Status = 0;
  while (::waitpid(Child, &Status, 0) < 0 && errno == EINTR) {
  }
  if (Got != sizeof Result) {
    Result = TSample{};
    if (WIFSIGNALED(Status)) {
      std::snprintf(Result.Message, sizeof Result.Message, "the run died of signal %d", WTERMSIG(Status));
    } else {
      std::snprintf(Result.Message, sizeof Result.Message, "the run reported nothing (exit status %d)",
                    WIFEXITED(Status) ? WEXITSTATUS(Status) : -1);
    }
  }
  return Result;
}

}  // namespace fsvg::bench
