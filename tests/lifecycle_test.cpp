// Opening and closing documents: over a caller's stream, over a file name, with a
// missing canvas and a missing stream (files that cannot be written: files_test.cpp).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

namespace fs = std::filesystem;

TEST(Lifecycle, EmptyDocumentIsHeaderThenFooter) {
  TNullCanvas Host;
  TMemoryStream Stream;
  { TSvgCanvas Canvas(&Stream, &Host); }
  EXPECT_EQ(Stream.View(), Header + "</svg>");
}

TEST(Lifecycle, CallersStreamStaysOpenAndEndsWithTheFooter) {
  TNullCanvas Host;
  std::ostringstream Target;
  TOStreamAdapter Stream(Target);
  {
    TSvgCanvas Canvas(&Stream, &Host);
    Canvas.FillRect({0, 0, 1, 1}, 0, 0, AllCorners, 1);
  }
  Stream.WriteBuffer("\nmore", 5);  // still the caller's, still usable
  const std::string Text = Target.str();
  EXPECT_EQ(Text.substr(Text.size() - 11), "</svg>\nmore");
}

TEST(Lifecycle, FileIsCreatedOrTruncatedAndClosed) {
  TScratch Dir;
  const fs::path Path = Dir.Path() / "out.svg";
  {
    std::ofstream Old(Path);
    Old << std::string(10000, 'x');
  }
  TNullCanvas Host;
  {
    TSvgCanvas Canvas(Path, &Host);
    Canvas.Clear(0xFF00FF00);
  }
  EXPECT_EQ(ReadFile(Path), Header + "<rect x=\"0\" y=\"0\" width=\"0\" height=\"0\" fill=\"#00FF00\"/>\n</svg>");
}

TEST(Lifecycle, NullCanvasIsRefusedAfterTheTeardown) {
  TScratch Dir;
  const fs::path Path = Dir.Path() / "refused.svg";
  {
    std::ofstream Old(Path);
    Old << "old contents";
  }
  try {
    TSvgCanvas Canvas(Path, nullptr);
    FAIL() << "no error";
  } catch (const ESvgError& E) {
    EXPECT_STREQ(E.what(), "Canvas parameter is required");
  }
  // The file was created (truncated), holds only the footer, and is closed: it can be
  // removed and re-created at once.
  EXPECT_EQ(ReadFile(Path), "</svg>");

  TCountingStream Stream;
  EXPECT_THROW(TSvgCanvas(&Stream, nullptr), ESvgError);
  EXPECT_EQ(Stream.Text, "</svg>");
  EXPECT_EQ(Stream.Calls, 1u);
  Stream.WriteBuffer("x", 1);  // not closed: still takes bytes

  // Even with no stream at all the error is the same.
  EXPECT_THROW(TSvgCanvas(static_cast<TStream*>(nullptr), nullptr), ESvgError);
  EXPECT_THROW(TSvgCanvas(fs::path(), nullptr), ESvgError);
}

TEST(Lifecycle, NoStreamMeansNothingWrittenButTheHostStillPaints) {
  TScratch Dir;
  const fs::path Before = fs::current_path();
  fs::current_path(Dir.Path());
  TRecordingCanvas Host;
  {
    TSvgCanvas Canvas(fs::path(), &Host);
    Canvas.FillRect({0, 0, 1, 1}, 0, 0, AllCorners, 1);
    Canvas.FillText({0, 0, 1, 1}, u"x", false, 1, {}, TTextAlign::Center);
  }
  {
    TSvgCanvas Canvas(static_cast<TStream*>(nullptr), &Host);
    Canvas.DrawLine({0, 0}, {1, 1}, 1);
  }
  EXPECT_EQ(Host.Calls.size(), 3u);
  EXPECT_TRUE(fs::is_empty(Dir.Path()));
  fs::current_path(Before);
}

TEST(Lifecycle, FailedHeaderWriteTearsDownBeforeRaising) {
  TNullCanvas Host;
  TCountingStream Stream;
  Stream.FailAt = 1;
  EXPECT_THROW(TSvgCanvas(&Stream, &Host), EWriteError);
  EXPECT_EQ(Stream.Text, "</svg>");  // the teardown still closed the document
}

TEST(Lifecycle, FooterFailureIsSwallowedByTheDestructor) {
  TNullCanvas Host;
  TCountingStream Stream;
  Stream.FailAt = 2;
  { TSvgCanvas Canvas(&Stream, &Host); }
  EXPECT_EQ(Stream.Text, Header);
  EXPECT_EQ(Stream.Calls, 2u);
}

TEST(Streams, OStreamAdapterRaisesWhenTheStreamFails) {
  std::ostringstream Target;
  Target.setstate(std::ios::badbit);
  TOStreamAdapter Stream(Target);
  EXPECT_THROW(Stream.WriteBuffer("x", 1), EWriteError);
  TNullCanvas Host;
  EXPECT_THROW(TSvgCanvas(&Stream, &Host), EWriteError);
}

TEST(Streams, FileStreamBuffering) {
  TScratch Dir;
  const fs::path Path = Dir.Path() / "buffered.txt";
  {
    TFileStream Line(Path);
    Line.WriteBuffer("abc", 3);
    EXPECT_EQ(ReadFile(Path), "");
    Line.WriteBuffer("\n", 1);
    EXPECT_EQ(ReadFile(Path), "abc\n");  // a line reaches the file when it ends
  }
  {
    TFileStream Full(Path, TFileBuffering::Full, 8);
    Full.WriteBuffer("line\n", 5);
    EXPECT_EQ(ReadFile(Path), "");  // truncated, and nothing handed over yet
    Full.WriteBuffer("0123456789", 10);
    EXPECT_EQ(ReadFile(Path), "line\n0123456789");
    Full.WriteBuffer("x", 1);
    Full.Flush();
    EXPECT_EQ(ReadFile(Path), "line\n0123456789x");
    Full.Close();
    EXPECT_FALSE(Full.IsOpen());
    EXPECT_THROW(Full.WriteBuffer("y", 1), EWriteError);
  }
}

TEST(Streams, MemoryStreamGrowsAndKeepsEveryByte) {
  TMemoryStream Stream;
  std::string Expected;
  for (int Index = 0; Index < 5000; ++Index) {
    const std::string Piece = std::to_string(Index) + ";";
    Stream.WriteBuffer(Piece.data(), Piece.size());
    Expected += Piece;
  }
  EXPECT_EQ(Stream.View(), Expected);
  const std::size_t Capacity = Stream.Capacity();
  Stream.Clear();
  EXPECT_EQ(Stream.Size(), 0u);
  EXPECT_EQ(Stream.Capacity(), Capacity);
}

}  // namespace
}  // namespace fsvg::test
