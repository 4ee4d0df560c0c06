// Opening and closing documents (over a caller's stream, a file, a missing canvas
// or stream), and the streams: every way a line reaches one gives the same bytes; memory
// growth, also from its own bytes; lending room and committing it; a failing std::ostream.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

namespace fs = std::filesystem;

void Document(TStream& Stream) {
  TNullCanvas Host(640, 480);
  TOpenCanvas Canvas(&Stream, &Host);
  DrawScene(Canvas);
}

// Every way a line reaches a stream gives the same bytes. A missing canvas is refused
// after the teardown, which leaves the footer alone in the stream or the file (truncated,
// and closed). No stream, or an empty file name: nothing is written anywhere, but the
// host paints.
TEST(Streams, EveryStreamGetsTheSameDocumentAMissingCanvasOnlyTheFooter) {
  TCountingStream Plain;         // lends nothing: every line is copied in
  TMemoryStream Roomy, Growing;  // lends every line; lends once grown
  Roomy.Reserve(1 << 20);
  std::ostringstream Target;
  TOStreamAdapter Adapter(Target);
  for (TStream* Stream : std::initializer_list<TStream*>{&Plain, &Roomy, &Growing, &Adapter}) Document(*Stream);
  Adapter.WriteBuffer("\nmore", 5);  // still the caller's, still usable
  ASSERT_TRUE(Plain.Text.starts_with(Header + "<rect x=\"0\" y=\"0\" width=\"640\"") && Plain.Text.ends_with("</svg>"));
  EXPECT_TRUE(Roomy.View() == Plain.Text && Growing.View() == Plain.Text && Target.str() == Plain.Text + "\nmore");
  TScratch Scratch;
  const fs::path Path = Scratch.Path() / "out.svg";
  for (const auto& [Buffering, Size] : {std::pair{TFileBuffering::Line, 1 << 16},
                                        {TFileBuffering::Full, 1 << 16},
                                        {TFileBuffering::Full, 100},
                                        {TFileBuffering::Line, 1}}) {
    TFileStream File(Path, Buffering, static_cast<std::size_t>(Size));
    Document(File);
    File.Close();
    EXPECT_TRUE(ReadFile(Path) == Plain.Text) << Size;
  }
  EXPECT_EQ(ErrorOf<ESvgError>([&] { TSvgCanvas(Path, nullptr); }), "Canvas parameter is required");
  EXPECT_EQ(ReadFile(Path), "</svg>");
  TCountingStream Stream;
  EXPECT_EQ((ErrorOf<ESvgError>([&] { TSvgCanvas(&Stream, nullptr); }), Stream.Text), "</svg>");
  EXPECT_THROW(TSvgCanvas(static_cast<TStream*>(nullptr), nullptr), ESvgError);
  EXPECT_THROW(TSvgCanvas(fs::path(), nullptr), ESvgError);
  const fs::path Before = fs::current_path();
  fs::current_path(Scratch.Path());
  fs::remove(Path);
  TRecordingCanvas Painted;
  {
    TOpenCanvas Silent(fs::path(), &Painted), Nowhere(static_cast<TStream*>(nullptr), &Painted);
    DrawScene(Silent);
    DrawScene(Nowhere);
  }
  fs::current_path(Before);
  EXPECT_EQ(Painted.Calls.size(), 2 * (SceneSize() - 1));
  EXPECT_TRUE(fs::is_empty(Scratch.Path()));
}

// Every refusal of the streams and the host in its own words.
TEST(Streams, RefusalsSayWhatWentWrong) {
  std::ostringstream Failed;
  Failed.setstate(std::ios::badbit);
  EXPECT_NO_THROW(TOStreamAdapter(Failed).WriteBuffer("", 0));
  struct TThrowingBuffer : std::streambuf {
    bool Odd = false;  // throws what is not a std::exception
    int overflow(int) override { throw Odd ? throw 42 : std::runtime_error("disk gone"); }
  } Buffer;
  std::ostream Throwing(&Buffer);
  Throwing.exceptions(std::ios::badbit);
  TScratch Scratch;
  const fs::path Path = Scratch.Path() / "closed.svg";
  TFileStream Closed(Path), Fresh(Scratch.Path() / "fresh.svg");
  Closed.Close();
  TMemoryStream Memory;
  TCountingStream Plain;  // lends nothing, so takes no commit
  TNullCanvas Host;
  const std::pair<std::function<void()>, std::string> Cases[] = {
      {[&] { TOStreamAdapter(Failed).WriteBuffer("x", 1); },
       "Stream write error: the std::ostream is in a failed state"},
      {[&] { TOStreamAdapter(Throwing).WriteBuffer("x", 1); }, "Stream write error: disk gone"},
      {[&] { Throwing.clear(), Buffer.Odd = true, TOStreamAdapter(Throwing).WriteBuffer("x", 1); },
       "Stream write error: the std::ostream threw an exception"},
      {[&] { Closed.WriteBuffer("x", 1); }, "Cannot write to \"" + Path.string() + "\": the file is closed"},
      {[&] { TFileStream{fs::path()}; }, "Cannot create file \"\". The file name is empty"},
      {[&] { Fresh.CommitBuffer(1); }, "CommitBuffer for more than was acquired"},
      {[&] { Memory.CommitBuffer(1); }, "CommitBuffer for more than was acquired"},
      {[&] { Plain.TStream::CommitBuffer(1); }, "CommitBuffer without a buffer acquired"},
      {[&] { TNullCanvas(-1, 0); }, "Canvas size must not be negative"},
      {[&] { Host.SetSize(0, -1); }, "Canvas size must not be negative"},
      {[&] { TNullCanvas(1, 1, 0); }, "Canvas scale must be positive"},
      {[&] { Host.EndScene(); }, "EndScene without a matching BeginScene"},
      {[&] { Host.RestoreState(nullptr); },
       "RestoreState: the state was not saved by this canvas, or was restored already"}};
  for (const auto& Case : Cases) EXPECT_EQ(ErrorOf(Case.first), Case.second);
  // What the buffer threw is nested in the EWriteError (the table's third case).
  try {
    Throwing.clear(), TOStreamAdapter(Throwing).WriteBuffer("x", 1);
  } catch (const EWriteError& Error) {
    EXPECT_THROW(std::rethrow_if_nested(Error), int);
  }
}

TEST(Streams, MemoryStreamGrowsLendsAndCommits) {
  TMemoryStream Stream;
  EXPECT_EQ(Stream.AcquireBuffer(1), nullptr);  // no room yet (committing then is refused)
  std::string Expected;
  for (int Index = 0; Index < 5000; ++Index) {
    const std::string Piece = Index % 7 == 0 ? "x" : std::to_string(Index) + ";";
    Stream.WriteBuffer(Piece.data(), Piece.size());
    Expected += Piece;
  }
  EXPECT_EQ(Stream.View(), Expected);
  Stream.Clear();
  EXPECT_TRUE(Stream.Size() == 0u && Stream.Capacity() >= Expected.size());
  TMemoryStream Small;
  Small.Reserve(16);
  std::uint8_t* Room = Small.AcquireBuffer(10);
  ASSERT_NE(Room, nullptr);
  std::memcpy(Room, "abcdefghij", 10);
  Small.CommitBuffer(4);
  EXPECT_EQ(Small.AcquireBuffer(13), nullptr);  // 12 left: lends only room it has
  EXPECT_THROW(Small.CommitBuffer(1), std::length_error);
  ASSERT_NE(Small.AcquireBuffer(12), nullptr);
  EXPECT_THROW(Small.CommitBuffer(13), std::length_error);
  ASSERT_NE(Small.AcquireBuffer(8), nullptr);
  Small.WriteBuffer("xy", 2);  // a write takes the lent room back
  EXPECT_THROW(Small.CommitBuffer(1), std::length_error);
  Small.Reserve(8);  // never shrinks
  EXPECT_TRUE(Small.Capacity() == 16u && Small.View() == "abcdxy");
  Small.WriteBuffer(Small.Data(), 6);   // itself, in the room it has
  Small.WriteBuffer(Small.Data(), 12);  // itself, while it grows
  EXPECT_EQ(Small.View(), "abcdxyabcdxyabcdxyabcdxy");
  TCountingStream Plain;  // a stream that lends nothing takes no commit
  EXPECT_EQ(Plain.TStream::AcquireBuffer(8), nullptr);
  EXPECT_NO_THROW(Plain.TStream::CommitBuffer(0));
}

}  // namespace
}  // namespace fsvg::test
