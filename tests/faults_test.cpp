// Fault injection at every point of a scene that draws every primitive: a stream that
// fails at its k-th write (once, or from then on, as a full disk does) and a host canvas
// that fails at its k-th call, for every k. The fault must reach the drawing call
// unchanged, the bytes before it must stay, the canvas must record the next element
// whole, and the destructor must still write the footer.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

// A type the library cannot know: if it arrives, nothing caught and re-raised it.
struct TInjectedFault {
  std::size_t At;
};

// Keeps every accepted write as one chunk; write FailAt throws, and with Sticky every
// write after it too.
class TFaultStream : public TStream {
 public:
  void WriteBuffer(const void* Buffer, std::size_t Count) override {
    ++Calls;
    if (FailAt != 0 && (Calls == FailAt || (Sticky && Calls > FailAt))) throw TInjectedFault{Calls};
    Chunks.emplace_back(static_cast<const char*>(Buffer), Count);
  }
  std::string Text() const {
    std::string All;
    for (const std::string& Chunk : Chunks) All += Chunk;
    return All;
  }

  std::size_t Calls = 0;
  std::size_t FailAt = 0;
  bool Sticky = false;
  std::vector<std::string> Chunks;
};

struct TStep {
  const char* Name;
  std::function<void(TSvgCanvas&)> Draw;
};

// Every drawing primitive, both overloads where there are two, radii with and without,
// one paint that leaves no mark, and a text long enough to be encoded on the heap.
std::vector<TStep> Scene() {
  const TBrush Fill(TBrushKind::Solid, 0xFF336699);
  const TStrokeBrush Stroke(TBrushKind::Solid, 0x80112233, 1.5f);
  const TPolygon Triangle{{0.5f, 1.25f}, {100.125f, 3}, {7, 1e7f}};
  const std::u16string Long = std::u16string(300, u'\u00E9') + u"<&>\"";
  return {
      {"Clear", [](TSvgCanvas& C) { C.Clear(0xFFFFFFFF); }},
      {"ClearRect",
       [](TSvgCanvas& C) {
         C.ClearRect({1, 2, 30, 40}, 0x80FF0000);
       }},
      {"FillRect",
       [](TSvgCanvas& C) {
         C.FillRect({1, 2, 3, 4}, 0, 0, AllCorners, 1);
       }},
      {"FillRect radii",
       [=](TSvgCanvas& C) {
         C.FillRect({-1, 2.5f, 30, 40}, 4, 2, AllCorners, 0.5f, Fill);
       }},
      {"DrawRect",
       [](TSvgCanvas& C) {
         C.DrawRect({1, 2, 3, 4}, 0, 0, {}, 1);
       }},
      {"DrawRect radii",
       [=](TSvgCanvas& C) {
         C.DrawRect({1, 2, 3, 4}, 2, 3, {TCorner::TopLeft}, 0.25f, Stroke);
       }},
      {"DrawLine",
       [](TSvgCanvas& C) {
         C.DrawLine({0, 0}, {10, 20}, 1);
       }},
      {"DrawLine brush",
       [=](TSvgCanvas& C) {
         C.DrawLine({-5, 1e9f}, {3.25f, -7}, 0.75f, Stroke);
       }},
      {"DrawLine no stroke",
       [](TSvgCanvas& C) {
         C.DrawLine({0, 0}, {1, 1}, 1, TStrokeBrush(TBrushKind::None, 0xFF000000));
       }},
      {"FillEllipse",
       [](TSvgCanvas& C) {
         C.FillEllipse({0, 0, 10, 20}, 1);
       }},
      {"FillEllipse brush",
       [=](TSvgCanvas& C) {
         C.FillEllipse({5, 5, 7, 9}, 0.5f, Fill);
       }},
      {"DrawEllipse",
       [](TSvgCanvas& C) {
         C.DrawEllipse({0, 0, 10, 20}, 1);
       }},
      {"DrawEllipse brush",
       [=](TSvgCanvas& C) {
         C.DrawEllipse({5, 5, 7, 9}, 0.5f, Stroke);
       }},
      {"FillArc",
       [](TSvgCanvas& C) {
         C.FillArc({50, 50}, {10, 20}, 30, 90, 1);
       }},
      {"FillArc brush",
       [=](TSvgCanvas& C) {
         C.FillArc({50, 50}, {10, 20}, 0, 400, 1, Fill);
       }},
      {"DrawArc",
       [](TSvgCanvas& C) {
         C.DrawArc({50, 50}, {10, 20}, 0, -200, 1);
       }},
      {"DrawArc brush",
       [=](TSvgCanvas& C) {
         C.DrawArc({50, 50}, {-10, 20}, 45, 45, 0.5f, Stroke);
       }},
      {"FillPolygon", [=](TSvgCanvas& C) { C.FillPolygon(Triangle, 0.5f); }},
      {"DrawPolygon", [=](TSvgCanvas& C) { C.DrawPolygon(Triangle, 1); }},
      {"FillText",
       [](TSvgCanvas& C) {
         C.FillText({1, 2, 3, 4}, u"a<b>&\"c\"", false, 1, {}, TTextAlign::Leading);
       }},
      {"FillText long",
       [=](TSvgCanvas& C) {
         C.FillText({0, 0, 9, 9}, Long, true, 0.5f, {}, TTextAlign::Center);
       }},
  };
}

void PrepareHost(TRecordingCanvas& Host) {
  Host.SetOffset({0.5f, -2});
  Host.GetFont().Family = u"Fira \"Sans\" & <Co>";
  Host.GetFont().Size = 13.5f;
  Host.SetStroke(TStrokeBrush(TBrushKind::Solid, 0xFF00FF00, 2));
  Host.SetFill(TBrush(TBrushKind::Solid, 0xFF0000FF));
}

// The fault-free run: every chunk written, the host's calls, and for each step the
// 1-based range of stream calls it made.
struct TReference {
  std::vector<std::string> Chunks;
  std::vector<std::string> HostCalls;
  std::vector<std::pair<std::size_t, std::size_t>> StepCalls;  // [first, last]; first > last: none
  std::size_t Calls = 0;
};

TReference RecordReference(const std::vector<TStep>& Steps) {
  TReference Reference;
  TFaultStream Stream;
  TRecordingCanvas Host(640, 480);
  PrepareHost(Host);
  {
    TSvgCanvas Canvas(&Stream, &Host);
    for (const TStep& Step : Steps) {
      const std::size_t Before = Stream.Calls;
      Step.Draw(Canvas);
      Reference.StepCalls.emplace_back(Before + 1, Stream.Calls);
    }
  }
  Reference.Chunks = Stream.Chunks;
  Reference.HostCalls = Host.Calls;
  Reference.Calls = Stream.Calls;
  return Reference;
}

// The reference text with the 1-based chunks First..Last left out.
std::string TextWithout(const TReference& Reference, std::size_t First, std::size_t Last) {
  std::string Text;
  for (std::size_t Index = 1; Index <= Reference.Chunks.size(); ++Index)
    if (Index < First || Index > Last) Text += Reference.Chunks[Index - 1];
  return Text;
}

std::size_t FaultPoints = 0;

class Faults : public ::testing::Test {
 protected:
  static void TearDownTestSuite() {
    std::printf("[ faults   ] %zu fault points exercised\n", FaultPoints);
    ::testing::Test::RecordProperty("FaultPoints", static_cast<int>(FaultPoints));
  }
  const std::vector<TStep> Steps = Scene();
  const TReference Reference = RecordReference(Steps);
};

TEST_F(Faults, SceneCoversEveryPrimitiveAndBothOverloads) {
  // Header, footer, and at least one write per visible step: the sweep below is only as
  // good as the scene, so the scene is checked too.
  ASSERT_EQ(Reference.Chunks.size(), Reference.Calls);
  std::size_t Invisible = 0;
  for (const auto& [First, Last] : Reference.StepCalls) Invisible += First > Last;
  EXPECT_EQ(Invisible, 1u);
  EXPECT_EQ(Reference.HostCalls.size(), Steps.size());
  EXPECT_EQ(Reference.Chunks.front() + Reference.Chunks[1].substr(0, 5), Header + "<rect");
  EXPECT_EQ(Reference.Chunks.back(), "</svg>");
}

TEST_F(Faults, StreamFailingAtEachWrite) {
  for (const bool Sticky : {false, true}) {
    for (std::size_t At = 1; At <= Reference.Calls; ++At) {
      SCOPED_TRACE((Sticky ? "from write " : "at write ") + std::to_string(At));
      ++FaultPoints;
      TFaultStream Stream;
      Stream.FailAt = At;
      Stream.Sticky = Sticky;
      TRecordingCanvas Host(640, 480);
      PrepareHost(Host);

      if (At == 1) {
        // The header: the constructor raises the stream's fault after its teardown.
        try {
          TSvgCanvas Canvas(&Stream, &Host);
          ADD_FAILURE() << "the constructor did not raise";
        } catch (const TInjectedFault& Fault) {
          EXPECT_EQ(Fault.At, 1u);
        }
        EXPECT_EQ(Stream.Text(), Sticky ? "" : "</svg>");
        continue;
      }

      std::vector<std::string> Failed;
      {
        TSvgCanvas Canvas(&Stream, &Host);
        for (std::size_t Index = 0; Index < Steps.size(); ++Index) {
          try {
            Steps[Index].Draw(Canvas);
          } catch (const TInjectedFault& Fault) {
            Failed.push_back(Steps[Index].Name);
            // A sticky fault raises again from every later element, at later writes.
            if (Sticky) {
              EXPECT_GE(Fault.At, At) << Steps[Index].Name;
            } else {
              EXPECT_EQ(Fault.At, At) << Steps[Index].Name;
            }
          }
        }
      }  // the destructor writes the footer, or swallows its failure

      // The host was painted for every call, whatever the stream did.
      EXPECT_EQ(Host.Calls, Reference.HostCalls);
      if (Sticky) {
        // Nothing after the fault; every visible element from the failing one on raised.
        EXPECT_EQ(Stream.Text(), TextWithout(Reference, At, Reference.Calls));
        std::size_t Expected = 0;
        for (const auto& [First, Last] : Reference.StepCalls) Expected += First <= Last && Last >= At;
        EXPECT_EQ(Failed.size(), Expected);
        continue;
      }
      // Exactly the step that made write At failed; the rest of its element is missing and
      // everything after it, the footer included, is whole.
      std::size_t ElementEnd = At;
      std::string Owner;
      for (std::size_t Index = 0; Index < Steps.size(); ++Index)
        if (Reference.StepCalls[Index].first <= At && At <= Reference.StepCalls[Index].second) {
          ElementEnd = Reference.StepCalls[Index].second;
          Owner = Steps[Index].Name;
        }
      if (At == Reference.Calls) {
        EXPECT_TRUE(Failed.empty()) << "the footer's fault escaped from " << Failed.front();
      } else {
        EXPECT_EQ(Failed, std::vector<std::string>{Owner});
      }
      EXPECT_EQ(Stream.Text(), TextWithout(Reference, At, ElementEnd));
    }
  }
}

TEST_F(Faults, HostFailingAtEachCall) {
  for (std::size_t At = 1; At <= Reference.HostCalls.size(); ++At) {
    SCOPED_TRACE("host call " + std::to_string(At));
    ++FaultPoints;
    TFaultStream Stream;
    TRecordingCanvas Host(640, 480);
    PrepareHost(Host);
    Host.OnCall = [&] { Host.Throw = Host.Calls.size() == At; };
    std::vector<std::size_t> Failed;
    {
      TSvgCanvas Canvas(&Stream, &Host);
      for (std::size_t Index = 0; Index < Steps.size(); ++Index) {
        try {
          Steps[Index].Draw(Canvas);
        } catch (const std::runtime_error& Error) {
          EXPECT_STREQ(Error.what(), "host failed");
          Failed.push_back(Index);
        }
      }
    }
    // The one step that called the host At-th raised, and wrote nothing at all.
    ASSERT_EQ(Failed, std::vector<std::size_t>{At - 1});
    const auto [First, Last] = Reference.StepCalls[At - 1];
    EXPECT_EQ(Stream.Text(), TextWithout(Reference, First, Last));
    EXPECT_EQ(Host.Calls, Reference.HostCalls);
  }
}

TEST(FaultsAtConstruction, MissingCanvasWinsOverAFailingStream) {
  // The footer of a refused document fails too: the caller still learns the real cause.
  for (const bool Sticky : {false, true}) {
    TFaultStream Stream;
    Stream.FailAt = 1;
    Stream.Sticky = Sticky;
    try {
      TSvgCanvas Canvas(&Stream, nullptr);
      ADD_FAILURE() << "a null canvas was accepted";
    } catch (const ESvgError& Error) {
      EXPECT_STREQ(Error.what(), "Canvas parameter is required");
    }
    EXPECT_EQ(Stream.Text(), "");
  }
}

}  // namespace
}  // namespace fsvg::test
