// Streams that lend room for writing in place, and the canvas building its lines there:
// whichever way a line reaches a stream, the bytes are the same.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

// Every kind of element, short and long lines, and a protected writer's value.
class TWriterScene : public TSvgCanvas {
 public:
  using TSvgCanvas::TSvgCanvas;
  void Draw() {
    const TBrush Fill(TBrushKind::Solid, 0xFF336699);
    const TStrokeBrush Stroke(TBrushKind::Solid, 0x80112233, 1.5f);
    Clear(0xFFFFFFFF);
    ClearRect({1, 2, 30, 40}, 0x80FF0000);
    FillRect({10.5f, 20.25f, 110, 70}, 4, 4, AllCorners, 0.5f, Fill);
    DrawRect({-3, 1e9f, 5, 6}, 0, 0, AllCorners, 1, Stroke);
    DrawLine({0.125f, 1}, {99999.5f, -2}, 0.75f, Stroke);
    FillEllipse({0, 0, 33, 21}, 1, Fill);
    DrawEllipse({0, 0, 1e-9f, 1}, 1, Stroke);
    FillArc({50, 50}, {20, 10}, 30, 400, 1, Fill);
    DrawArc({50, 50}, {-20, 10}, 30, -75, 1, Stroke);
    SetFill(Fill);
    FillPolygon(TPolygon(300, TPointF{1.5f, 2.5f}), 1);
    DrawPolygon({{0.5f, 1.25f}, {100.125f, 3}, {7, 1e7f}}, 1);
    FillText({5, 6, 7, 8}, u"Item 123 <\u00E9> & \U0001F600", false, 1, {}, TTextAlign::Leading);
    FillText({5, 6, 7, 8}, std::u16string(3000, u'"'), false, 1, {}, TTextAlign::Leading);
    Write(3.25);
    WriteColor(0xFF0A0B0C);
    WriteEscaped(u"<&>");
  }
};

void Record(TStream& Stream) {
  TNullCanvas Host(640, 480);
  TWriterScene Canvas(&Stream, &Host);
  Canvas.Draw();
}

TEST(Lending, EveryWayALineReachesAStreamGivesTheSameBytes) {
  TCountingStream Plain;  // lends nothing: every line is copied in
  Record(Plain);
  ASSERT_GT(Plain.Text.size(), 20000u);

  TMemoryStream Roomy;  // lends every line
  Roomy.Reserve(1 << 20);
  Record(Roomy);
  EXPECT_TRUE(Roomy.View() == Plain.Text);

  TMemoryStream Growing;  // lends once it has grown
  Record(Growing);
  EXPECT_TRUE(Growing.View() == Plain.Text);

  TScratch Scratch;
  for (const auto& [Buffering, Size] : {std::pair{TFileBuffering::Line, std::size_t{64 * 1024}},
                                        {TFileBuffering::Full, std::size_t{64 * 1024}},
                                        {TFileBuffering::Full, std::size_t{100}}}) {
    const auto Path = Scratch.Path() / "lent.svg";
    {
      TFileStream File(Path, Buffering, Size);
      Record(File);
      File.Close();
    }
    EXPECT_TRUE(ReadFile(Path) == Plain.Text) << Size;
  }
}

TEST(Lending, MemoryStreamLendsOnlyRoomItHas) {
  TMemoryStream Stream;
  EXPECT_EQ(Stream.AcquireBuffer(10), nullptr);
  Stream.Reserve(16);
  std::uint8_t* Room = Stream.AcquireBuffer(10);
  ASSERT_NE(Room, nullptr);
  std::memcpy(Room, "abcdefghij", 10);
  Stream.CommitBuffer(4);
  EXPECT_EQ(Stream.View(), "abcd");
  EXPECT_EQ(Stream.AcquireBuffer(13), nullptr);  // 12 left
  EXPECT_EQ(Stream.Capacity(), 16u);
}

TEST(Lending, CommittingMoreThanWasLentIsRefused) {
  TMemoryStream Memory;
  Memory.Reserve(64);
  ASSERT_NE(Memory.AcquireBuffer(8), nullptr);
  EXPECT_THROW(Memory.CommitBuffer(9), std::length_error);
  // A write in between takes the room back.
  ASSERT_NE(Memory.AcquireBuffer(8), nullptr);
  Memory.WriteBuffer("xy", 2);
  EXPECT_THROW(Memory.CommitBuffer(1), std::length_error);
  EXPECT_EQ(Memory.View(), "xy");

  TCountingStream Plain;
  EXPECT_EQ(Plain.AcquireBuffer(8), nullptr);
  EXPECT_THROW(Plain.CommitBuffer(1), std::length_error);
  EXPECT_NO_THROW(Plain.CommitBuffer(0));
}

TEST(Lending, FileStreamLendsFromItsBufferAndFlushesAsAWriteWould) {
  TScratch Scratch;
  const auto Path = Scratch.Path() / "lent.txt";
  TFileStream File(Path, TFileBuffering::Line, 8);
  EXPECT_EQ(File.AcquireBuffer(9), nullptr);  // more than the whole buffer
  std::uint8_t* Room = File.AcquireBuffer(4);
  ASSERT_NE(Room, nullptr);
  std::memcpy(Room, "ab\n?", 4);
  File.CommitBuffer(3);  // ends with a line feed: flushed
  EXPECT_EQ(ReadFile(Path), "ab\n");
  EXPECT_THROW(File.CommitBuffer(1), std::length_error);
  File.Close();
  EXPECT_THROW(File.AcquireBuffer(1), EWriteError);
}

}  // namespace
}  // namespace fsvg::test
