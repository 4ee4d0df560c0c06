// Measuring one run of one configuration: each run happens in a forked child, so that
// its peak memory is its own. The child first maps back the file pages (code, constant
// data) its parent has mapped, which a fork leaves out of its page tables; then the peak
// resident set is reset just before the run (Linux /proc/self/clear_refs), and the
// growth is the peak during the run less the resident set at its start. Write system calls come from /proc/self/io.
// Time is taken twice: wall clock, and the child's processor time, which other
// programs on a shared machine disturb far less.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace fsvg::bench {

/// What one run measured. A negative growth or write count means "not measurable here".
struct TSample {
  double Seconds = 0;           ///< wall-clock time of the run
  double CpuSeconds = 0;        ///< processor time of the whole child (all threads, user and system)
  std::uint64_t Bytes = 0;      ///< the document's size
  std::int64_t GrowthKiB = -1;  ///< peak resident set during the run less that at its start
  std::int64_t Writes = -1;     ///< write system calls made during the run
  int Verified = -1;            ///< 1: the bytes equal the floor's, 0: they differ, -1: not compared
  /// A run that measures several configurations by turns: the processor time of each.
  double PartCpuSeconds[3] = {};
  char Message[512] = {};  ///< an error or a verification failure
};

/// Brackets a run: Baseline before anything the run allocates, Start and Stop around
/// the timed part.
class TProbe {
 public:
  /// Resets the peak resident set and notes the resident set and write count.
  void Baseline();
  void Start();
  /// Notes the time since Start, the peak growth and the write calls since Baseline.
  void Stop();
  /// Compares Output with Reference and notes the outcome (and the first difference).
  void Verify(std::string_view Output, std::string_view Reference);
  /// Notes a failure; the first one is kept.
  void Fail(const std::string& Text);

  TSample Sample;

 private:
  std::chrono::steady_clock::time_point FStart;
  double FCpuStart = 0;
  std::int64_t FBaseKiB = -1;
  std::int64_t FBaseWrites = -1;
};

/// Runs Body in a forked child and returns what its probe measured. An exception in
/// Body, a crash or a child that reports nothing comes back as Message.
TSample RunInChild(const std::function<void(TProbe&)>& Body);

/// Makes every large allocation its own mapping, returned to the system when freed, so
/// that one run's buffers are never resident in the next run's child. Call first.
void KeepLargeBlocksMapped();

/// The processor time of this process so far, all threads, user and system.
double ProcessCpuSeconds();

/// The write system calls this process has made so far, or -1 when unknown.
std::int64_t WriteCallCount();

}  // namespace fsvg::bench
