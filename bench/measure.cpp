// Peak memory, write counts and the fork that isolates each run.
#include "measure.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

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
  const pid_t Child = ::fork();
  if (Child < 0) {
    std::snprintf(Result.Message, sizeof Result.Message, "fork: %s", std::strerror(errno));
    ::close(Pipe[0]);
    ::close(Pipe[1]);
    return Result;
  }
  if (Child == 0) {
    ::close(Pipe[0]);
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
