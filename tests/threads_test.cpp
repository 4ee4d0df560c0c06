// Threads: distinct canvases on distinct threads write exactly what a single-threaded run
// writes, to memory and to files; the class-wide lock excludes every other thread and is
// recursive. The suites are named Threads* for the ThreadSanitizer run (scripts/sanitize.sh).
#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <thread>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

constexpr int ThreadCount = 4;

void Draw(TOpenCanvas& Canvas, int Thread) {
  for (int Repeat = 0; Repeat < 40; ++Repeat) DrawScene(Canvas, static_cast<float>(Thread * 100 + Repeat) * 1.25f);
}

TEST(ThreadsIndependent, ConcurrentDocumentsMatchSingleThreadedRuns) {
  std::vector<TMemoryStream> Expected(ThreadCount), InMemory(ThreadCount);
  for (int Thread = 0; Thread < ThreadCount; ++Thread) {
    TNullCanvas Host(640, 480);
    TOpenCanvas Canvas(&Expected[Thread], &Host);
    Draw(Canvas, Thread);
  }
  TScratch Scratch;
  std::latch Start(ThreadCount);
  {
    std::vector<std::jthread> Threads;
    for (int Thread = 0; Thread < ThreadCount; ++Thread)
      Threads.emplace_back([&, Thread] {
        TNullCanvas Host(640, 480);
        Start.arrive_and_wait();
        TOpenCanvas Memory(&InMemory[Thread], &Host);
        Draw(Memory, Thread);
        TOpenCanvas File(Scratch.Path() / std::to_string(Thread), &Host);  // owned, line-buffered
        Draw(File, Thread);
      });
  }
  for (int Thread = 0; Thread < ThreadCount; ++Thread) {
    EXPECT_TRUE(InMemory[Thread].View() == Expected[Thread].View()) << Thread;
    EXPECT_TRUE(ReadFile(Scratch.Path() / std::to_string(Thread)) == Expected[Thread].View()) << Thread;
  }
}

TEST(ThreadsLock, ExcludesEveryOtherThreadAndIsRecursive) {
  constexpr int Rounds = 20000;
  std::atomic<bool> Inside{false};
  std::atomic<int> Overlaps{0};
  long Counter = 0;  // guarded by the lock alone
  const auto Enter = [&] {
    if (Inside.exchange(true)) ++Overlaps;
    ++Counter;
    Inside.store(false);
  };
  std::latch Start(ThreadCount);
  {
    std::vector<std::jthread> Threads;
    for (int Thread = 0; Thread < ThreadCount; ++Thread)
      Threads.emplace_back([&] {
        Start.arrive_and_wait();
        for (int Round = 0; Round < Rounds; ++Round) {
          TSvgCanvas::Lock();
          TSvgCanvas::Lock();  // the same thread again: must not deadlock
          Enter();
          TSvgCanvas::Unlock();
          Enter();  // still held once
          TSvgCanvas::Unlock();
        }
      });
  }
  EXPECT_EQ(Overlaps.load(), 0);
  EXPECT_EQ(Counter, 2L * ThreadCount * Rounds);
}

}  // namespace
}  // namespace fsvg::test
