// The process around a canvas. Threads: distinct canvases on distinct threads write exactly
// what a single-threaded run writes, to memory and to files, even under a global C++
// locale with a comma decimal point and digit grouping and a comma-decimal C locale, which
// are as they were afterwards; the class-wide lock excludes every other thread and is
// recursive (the suite is named Threads for the ThreadSanitizer run of scripts/sanitize.sh).
#include <gtest/gtest.h>

#include <clocale>
#include <latch>
#include <locale>
#include <thread>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

constexpr int ThreadCount = 4;

// The scene, loaded before any locale changes, as often as the thread's number says.
void Draw(TOpenCanvas&& Canvas, int Thread) {
  for (int Repeat = 0; Repeat < 20 + Thread; ++Repeat) DrawScene(Canvas);
}

struct TCommaGrouping : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

// Each thread takes the lock many times, twice over (counting in a variable it alone
// guards, and yielding inside, so that a thread let in as well loses counts), then writes its
// document to memory and to a file, under a global C++ locale with a comma decimal point
// and digit grouping and a comma-decimal C locale.
TEST(Threads, LockAndConcurrentDocumentsMatchSingleThreadedRunsInAnyLocale) {
  std::vector<TMemoryStream> Expected(ThreadCount), InMemory(ThreadCount);
  TNullCanvas Host(640, 480);
  for (int Thread = 0; Thread < ThreadCount; ++Thread) Draw(TOpenCanvas(&Expected[Thread], &Host), Thread);
  const std::locale PreviousGlobal = std::locale::global(std::locale(std::locale::classic(), new TCommaGrouping));
  const std::string PreviousC = std::setlocale(LC_ALL, nullptr);
  const bool HaveGerman = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  const std::string PoisonedC = std::setlocale(LC_ALL, nullptr);
  TScratch Scratch;
  constexpr int Rounds = 20000;
  long Counter = 0;  // guarded by the lock alone: a count read, yielded over and written back loses others'
  const auto Enter = [&](long Seen) {
    std::this_thread::yield();
    Counter = Seen + 1;
  };
  std::latch Start(ThreadCount);
  {
    std::vector<std::jthread> Threads;
    for (int Thread = 0; Thread < ThreadCount; ++Thread)
      Threads.emplace_back([&, Thread] {
        TNullCanvas Host(640, 480);
        Start.arrive_and_wait();
        for (int Round = 0; Round < Rounds; ++Round) {
          TSvgCanvas::Lock();
          TSvgCanvas::Lock();  // the same thread again: must not deadlock
          Enter(Counter);
          TSvgCanvas::Unlock();
          Enter(Counter);  // still held once
          TSvgCanvas::Unlock();
        }
        Draw(TOpenCanvas(&InMemory[Thread], &Host), Thread);
        Draw(TOpenCanvas(Scratch.Path / std::to_string(Thread), &Host), Thread);  // owned, line-buffered
      });
  }
  const char KeptPoint = std::use_facet<std::numpunct<char>>(std::locale()).decimal_point();
  const std::string KeptC = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, PreviousC.c_str());
  std::locale::global(PreviousGlobal);
  EXPECT_EQ(KeptPoint, ',');
  EXPECT_EQ(KeptC, PoisonedC);
  EXPECT_EQ(Counter, 2L * ThreadCount * Rounds);
  for (int Thread = 0; Thread < ThreadCount; ++Thread) {
    EXPECT_TRUE(InMemory[Thread].View() == Expected[Thread].View()) << Thread;
    EXPECT_TRUE(ReadFile(Scratch.Path / std::to_string(Thread)) == Expected[Thread].View()) << Thread;
  }
  if (!HaveGerman) GTEST_SKIP() << "de_DE.UTF-8 is not generated here; only the C++ locale was poisoned";
}

}  // namespace
}  // namespace fsvg::test
