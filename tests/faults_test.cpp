// The fault sweep: the scene of every primitive and writer, over a stream that fails at
// its k-th write and over a host that fails at its k-th call, for every k, with and
// without lent room. (A stream that fails from then on, as a full disk does, is the file
// tests'.) The fault reaches the
// drawing call unchanged, the bytes before it stay, the next element is whole, and the
// destructor still writes the footer. In the clipping steps, which leave groups open and
// write them lazily, a fault leaves a document whose groups are balanced and whose ids
// are defined before use.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

constexpr std::size_t None = std::string::npos;

struct TRun {
  TCountingStream Stream;
  TRecordingCanvas Host{640, 480};
  std::vector<std::size_t> Writes, Paints;  // stream and host calls made by the end of each step
  std::vector<std::size_t> Failed;          // the steps that raised; None for the constructor

  // The text with writes First to Last (1-based) left out.
  std::string Without(std::size_t First, std::size_t Last) const {
    return First > Last ? Stream.Text
                        : Stream.Text.substr(0, First > 1 ? Stream.Ends[First - 2] : 0) +
                              Stream.Text.substr(Stream.Ends[Last - 1]);
  }
};

std::unique_ptr<TRun> Record(bool Lend, std::size_t FailAt = 0, std::size_t HostFailAt = 0) {
  auto Run = std::make_unique<TRun>();
  Run->Stream.Lend = Lend;
  Run->Stream.FailAt = FailAt;
  Run->Host.FailAt = HostFailAt;
  try {
    TOpenCanvas Canvas(&Run->Stream, &Run->Host);
    TScript Script = ScriptOn(Canvas);
    for (std::size_t Index = 0; Index < SceneSteps().size(); ++Index) {
      try {
        Script.Draw(SceneSteps()[Index]);
      } catch (const std::runtime_error& Error) {
        EXPECT_STREQ(Error.what(), HostFailAt != 0 ? "host failed" : "injected write failure");
        Run->Failed.push_back(Index);
      }
      Run->Writes.push_back(Run->Stream.Calls);
      Run->Paints.push_back(Run->Host.Calls.size());
    }
  } catch (const EWriteError& Error) {
    EXPECT_STREQ(Error.what(), "injected write failure");
    Run->Failed.push_back(None);
  }
  return Run;
}

TEST(Faults, StreamFailingAtEachWrite) {
  for (const bool Lend : {false, true}) {
    const auto Reference = Record(Lend);
    ASSERT_TRUE(Reference->Failed.empty());
    const std::size_t Steps = SceneSteps().size(), Writes = Reference->Stream.Calls;
    for (std::size_t At = 1; At <= Writes; ++At) {
      SCOPED_TRACE("at write " + std::to_string(At) + (Lend ? ", lent" : ""));
      const auto Faulty = Record(Lend, At);
      const auto Owner = static_cast<std::size_t>(
          std::lower_bound(Reference->Writes.begin(), Reference->Writes.end(), At) - Reference->Writes.begin());
      // The header: the constructor raises after writing the footer.
      if (At == 1) {
        EXPECT_EQ(Faulty->Failed, std::vector{None});
        EXPECT_EQ(Faulty->Stream.Text, "</svg>");
        continue;
      }
      // The host was painted for every call, whatever the stream did. Only the failing
      // element is missing, from the failed write on; the footer's failure does not
      // escape the destructor.
      EXPECT_EQ(Faulty->Failed, Owner < Steps ? std::vector{Owner} : std::vector<std::size_t>{});
      if (Owner >= ClipStep() && Owner < Steps) {
        EXPECT_EQ(ScanDocument(Faulty->Stream.Text), "");
        continue;
      }
      EXPECT_EQ(Faulty->Host.Calls, Reference->Host.Calls);
      EXPECT_EQ(Faulty->Stream.Text, Reference->Without(At, Owner < Steps ? Reference->Writes[Owner] : At));
    }
    // A host failing at its k-th call: that step raises and writes nothing at all.
    for (std::size_t At = 1; At <= Reference->Host.Calls.size(); ++At) {
      SCOPED_TRACE("host call " + std::to_string(At));
      const auto Faulty = Record(Lend, 0, At);
      const auto Owner = static_cast<std::size_t>(
          std::lower_bound(Reference->Paints.begin(), Reference->Paints.end(), At) - Reference->Paints.begin());
      EXPECT_EQ(Faulty->Failed, std::vector{Owner});
      EXPECT_EQ(ScanDocument(Faulty->Stream.Text), "");
      if (Owner >= ClipStep()) continue;
      EXPECT_EQ(Faulty->Host.Calls, Reference->Host.Calls);
      EXPECT_EQ(Faulty->Stream.Text,
                Reference->Without((Owner > 0 ? Reference->Writes[Owner - 1] : 1) + 1, Reference->Writes[Owner]));
    }
  }
}

}  // namespace
}  // namespace fsvg::test
