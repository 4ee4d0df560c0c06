// Threads: distinct canvases on distinct threads write exactly what a single-threaded
// run writes, to memory and to files; the class-wide lock excludes every other thread,
// is recursive, and makes a host canvas shared between threads safe to use. The suites
// are named Threads* so that the ThreadSanitizer run (scripts/sanitize.sh) can pick them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

namespace fs = std::filesystem;

constexpr int ThreadCount = 4;

// A scene that differs with Seed, drawing every primitive.
void DrawScene(TSvgCanvas& Canvas, int Seed) {
  const float S = static_cast<float>(Seed) * 1.25f;
  const TBrush Fill(TBrushKind::Solid, 0xFF000000u | static_cast<TAlphaColor>(Seed * 0x010203));
  const TStrokeBrush Stroke(TBrushKind::Solid, 0x80FF0000u | static_cast<TAlphaColor>(Seed), 0.5f + S);
  Canvas.SetOffset({S, -S});
  Canvas.GetFont().Family = u"Font \u00E9 " + std::u16string(1, static_cast<char16_t>(u'A' + Seed % 26));
  Canvas.Clear(0xFFFFFFFF);
  Canvas.ClearRect({S, S, S + 3, S + 4}, 0xFF00FF00);
  Canvas.FillRect({S, 0, 10, 20}, S, 1, AllCorners, 0.5f, Fill);
  Canvas.DrawRect({0, S, 10, 20}, 0, 0, AllCorners, 1, Stroke);
  Canvas.DrawLine({S, 1}, {2, S}, 1, Stroke);
  Canvas.FillEllipse({0, 0, S, S + 1}, 1, Fill);
  Canvas.DrawEllipse({0, 0, S + 2, S}, 0.25f, Stroke);
  Canvas.FillArc({S, S}, {10, 20}, S, 300, 1, Fill);
  Canvas.DrawArc({S, S}, {10, 20}, -S, 400, 1, Stroke);
  Canvas.FillPolygon({{S, 0}, {1, S}, {S, S}}, 1);
  Canvas.DrawPolygon({{0, S}, {S, 1}, {S, S}, {0, 0}}, 1);
  Canvas.FillText({S, S, 100, 100},
                  u"seed <" + std::u16string(1, static_cast<char16_t>(u'0' + Seed % 10)) + u"> & \U0001F600", false, 1,
                  {}, TTextAlign::Leading);
}

std::string DocumentFor(int Seed, int Repeats) {
  TMemoryStream Stream;
  TNullCanvas Host(640, 480);
  {
    TSvgCanvas Canvas(&Stream, &Host);
    for (int Repeat = 0; Repeat < Repeats; ++Repeat) DrawScene(Canvas, Seed + Repeat);
  }
  return std::string(Stream.View());
}

std::string ReadFile(const fs::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), {}};
}

TEST(ThreadsIndependent, ConcurrentDocumentsMatchSingleThreadedRuns) {
  constexpr int Repeats = 200;
  std::vector<std::string> Expected;
  for (int Thread = 0; Thread < ThreadCount; ++Thread) Expected.push_back(DocumentFor(Thread * 100, Repeats));

  const fs::path Directory = fs::temp_directory_path() / ("fsvg-threads-" + std::to_string(::getpid()));
  fs::create_directories(Directory);
  std::vector<std::string> InMemory(ThreadCount);
  std::vector<std::string> Errors(ThreadCount);
  std::latch Start(ThreadCount);
  {
    std::vector<std::jthread> Threads;
    for (int Thread = 0; Thread < ThreadCount; ++Thread) {
      Threads.emplace_back([&, Thread] {
        try {
          Start.arrive_and_wait();
          InMemory[Thread] = DocumentFor(Thread * 100, Repeats);
          // The same document through an owned, line-buffered file.
          TNullCanvas Host(640, 480);
          TSvgCanvas Canvas(Directory / ("doc" + std::to_string(Thread) + ".svg"), &Host);
          for (int Repeat = 0; Repeat < Repeats; ++Repeat) DrawScene(Canvas, Thread * 100 + Repeat);
        } catch (const std::exception& Error) {
          Errors[Thread] = Error.what();
        }
      });
    }
  }
  for (int Thread = 0; Thread < ThreadCount; ++Thread) {
    SCOPED_TRACE("thread " + std::to_string(Thread));
    EXPECT_EQ(Errors[Thread], "");
    EXPECT_EQ(InMemory[Thread], Expected[Thread]);
    EXPECT_EQ(ReadFile(Directory / ("doc" + std::to_string(Thread) + ".svg")), Expected[Thread]);
  }
  fs::remove_all(Directory);
}

TEST(ThreadsLock, ExcludesEveryOtherThreadAndIsRecursive) {
  constexpr int Rounds = 20000;
  std::atomic<bool> Inside{false};
  std::atomic<int> Overlaps{0};
  long Counter = 0;  // guarded by the lock alone
  std::latch Start(ThreadCount);
  {
    std::vector<std::jthread> Threads;
    for (int Thread = 0; Thread < ThreadCount; ++Thread) {
      Threads.emplace_back([&] {
        Start.arrive_and_wait();
        for (int Round = 0; Round < Rounds; ++Round) {
          TSvgCanvas::Lock();
          TSvgCanvas::Lock();  // the same thread again: must not deadlock
          if (Inside.exchange(true)) ++Overlaps;
          ++Counter;
          Inside.store(false);
          TSvgCanvas::Unlock();
          // Still held once: no other thread may enter yet.
          if (Inside.exchange(true)) ++Overlaps;
          ++Counter;
          Inside.store(false);
          TSvgCanvas::Unlock();
        }
      });
    }
  }
  EXPECT_EQ(Overlaps.load(), 0);
  EXPECT_EQ(Counter, 2L * ThreadCount * Rounds);
}

TEST(ThreadsLock, HostSharedBetweenThreadsIsSafeUnderTheLock) {
  // Each thread sets the shared host's paint and offset and draws with them; under the
  // lock no thread sees another's state, so each document is its single-threaded self.
  constexpr int Rounds = 300;
  const auto DrawRound = [](TSvgCanvas& Canvas, int Thread) {
    const TAlphaColor Color = 0xFF000000u | (0x111111u * static_cast<TAlphaColor>(Thread + 1));
    Canvas.SetFill(TBrush(TBrushKind::Solid, Color));
    Canvas.GetStroke() = TStrokeBrush(TBrushKind::Solid, Color, static_cast<float>(Thread + 1));
    Canvas.SetOffset({static_cast<float>(Thread), 0});
    Canvas.FillRect({0, 0, 10, 10}, 0, 0, AllCorners, 1);
    Canvas.DrawLine({0, 0}, {5, 5}, 1);
    Canvas.FillPolygon({{0, 0}, {1, 1}, {2, 0}}, 1);
  };
  std::vector<std::string> Expected;
  for (int Thread = 0; Thread < ThreadCount; ++Thread) {
    TMemoryStream Stream;
    TNullCanvas Host(64, 64);
    {
      TSvgCanvas Canvas(&Stream, &Host);
      for (int Round = 0; Round < Rounds; ++Round) DrawRound(Canvas, Thread);
    }
    Expected.emplace_back(Stream.View());
  }

  TNullCanvas SharedHost(64, 64);
  std::vector<TMemoryStream> Streams(ThreadCount);
  std::latch Start(ThreadCount);
  {
    std::vector<std::jthread> Threads;
    for (int Thread = 0; Thread < ThreadCount; ++Thread) {
      Threads.emplace_back([&, Thread] {
        TSvgCanvas Canvas(&Streams[Thread], &SharedHost);
        Start.arrive_and_wait();
        for (int Round = 0; Round < Rounds; ++Round) {
          TSvgCanvas::Lock();
          DrawRound(Canvas, Thread);
          TSvgCanvas::Unlock();
        }
      });
    }
  }
  for (int Thread = 0; Thread < ThreadCount; ++Thread)
    EXPECT_EQ(Streams[Thread].View(), Expected[Thread]) << "thread " << Thread;
}

}  // namespace
}  // namespace fsvg::test
