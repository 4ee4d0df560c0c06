// The gzip stream: what reaches the stream under it decompresses to what was written,
// all of it at each Flush, in room lent or copied and in writes larger than its buffer.
// When the stream under it fails, or a .svgz file meets a full disk, the error reaches
// the drawing call, later writes are refused, and what was written decompresses to whole
// elements. (That gunzip reads a whole .svgz and rsvg renders it is CTest's.)
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

// What zlib makes of a gzip member (of a document under 4 MiB), as far as it can be decoded.
std::string Inflated(std::string_view Data) {
  z_stream Z{};
  inflateInit2(&Z, 15 + 16);
  Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Data.data()));
  Z.avail_in = static_cast<uInt>(Data.size());
  std::string Out(4 << 20, '\0');
  Z.next_out = reinterpret_cast<Bytef*>(Out.data());
  Z.avail_out = static_cast<uInt>(Out.size());
  inflate(&Z, Z_FINISH);
  inflateEnd(&Z);
  return Out.substr(0, Z.total_out);
}

// Element Index: Length random characters of 64, which deflate shrinks by a quarter only.
void DrawElement(TSvgCanvas& Canvas, int Index, std::size_t Length = 3000) {
  std::mt19937 Random(static_cast<unsigned>(Index));
  std::u16string Text(Length, u'0');
  for (char16_t& Unit : Text) Unit = static_cast<char16_t>(u'0' + Random() % 64);
  Canvas.FillText({0, 0, 10, 10}, Text, false, 1, {}, TTextAlign::Leading);
}

// Draws until a call raises; returns its message, after checking that the next call is
// refused and that Decoded (read afterwards) is Plain up to an element's end.
std::string DrawUntilRefused(TSvgCanvas& Canvas, std::string_view Plain, const std::function<std::string()>& Decoded) {
  std::string Message = "no error";
  for (int Index = 0; Index < 400 && Message == "no error"; ++Index)
    Message = ErrorOf<std::exception>([&] { DrawElement(Canvas, Index); });
  EXPECT_THROW(DrawElement(Canvas, 0), EWriteError);
  ErrorOf([&] { Canvas.Close(); });  // the footer is refused too
  EXPECT_TRUE(Decoded().ends_with("</text>\n"));
  EXPECT_TRUE(Plain.starts_with(Decoded()));
  return Message;
}

// Every element drawn can be read after a Flush, all of the document after Close, and
// what reached the stream after a failure or a full disk ends at an element's end.
TEST(Gzip, FlushCloseAFailureAndAFullDiskLeaveWholeElements) {
  TNullCanvas Host(100, 100);
  TMemoryStream Compressed, Expected, Unclosed;
  TGzipStream Gzip(&Compressed);
  TSvgCanvas Canvas(&Gzip, &Host), Reference(&Expected, &Host);
  for (TSvgCanvas* Into : {&Canvas, &Reference})
    for (int Index = 0; Index < 400; ++Index) DrawElement(*Into, Index);  // past several buffers
  Gzip.Flush();
  EXPECT_EQ(Inflated(Compressed.View()), Expected.View());
  for (TSvgCanvas* Into : {&Canvas, &Reference}) {
    DrawElement(*Into, 400, TGzipStream::InputSize + 1);  // more than its buffer
    Into->Close();
  }
  Gzip.Close();
  EXPECT_EQ(Inflated(Compressed.View()), Expected.View());
  {
    TGzipStream Pieces(&Unclosed, 9);  // given pieces that straddle its buffer
    for (std::size_t At = 0; At < Expected.Size(); At += 1000)
      Pieces.WriteBuffer(Expected.Data() + At, std::min<std::size_t>(1000, Expected.Size() - At));
  }  // destroyed unclosed: closed all the same
  EXPECT_EQ(Inflated(Unclosed.View()), Expected.View());
  TCountingStream Stream;
  Stream.FailAt = 2;  // the header's batch reaches it, the next fails
  TGzipStream Failing(&Stream);
  TSvgCanvas Cut(&Failing, &Host);
  EXPECT_EQ(DrawUntilRefused(Cut, Expected.View(), [&] { return Inflated(Stream.Text); }), "injected write failure");
  // No trailer after a failure.
  EXPECT_EQ(ErrorOf([&] { Failing.Close(); }), "Cannot write to the gzip stream: the stream under it failed earlier");
  TScratch Scratch;
  const std::filesystem::path File = Scratch.Path / "out.svgz", Filler = Scratch.Path / "filler";
  if (::mount("tmpfs", Scratch.Path.c_str(), "tmpfs", 0, "size=1m") != 0) GTEST_SKIP() << "no tmpfs; CI runs as root";
  for (const std::size_t Free : {120 * 1024, 300 * 1024, 700 * 1024}) {
    std::filesystem::remove(File);
    std::ofstream(Filler, std::ios::binary) << std::string(1024 * 1024 - Free, 'f');
    TSvgCanvas Named(File, &Host);
    EXPECT_TRUE(Holds(DrawUntilRefused(Named, Expected.View(), [&] { return Inflated(ReadFile(File)); }),
                      std::strerror(ENOSPC)));
  }
  ::umount(Scratch.Path.c_str());
}

// A file name is written compressed when its extension is .svgz; a name of a dot and
// svgz alone has none.
TEST(Gzip, ANameWithTheExtensionIsCompressed) {
  TNullCanvas Host;
  TScratch Scratch;
  for (const auto& [Name, Start] : {std::pair{"a.svgz", "\x1f\x8b"}, {"..svgz", "\x1f\x8b"}, {".svgz", "<?"}}) {
    TSvgCanvas(Scratch.Path / Name, &Host).Close();
    EXPECT_EQ(ReadFile(Scratch.Path / Name).substr(0, 2), Start);
  }
}

}  // namespace
}  // namespace fsvg::test
