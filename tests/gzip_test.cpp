// The gzip stream: what reaches the stream under it decompresses to what was written,
// all of it at each Flush, in room lent or copied and in writes larger than its buffer.
// When the stream under it fails, or a .svgz file meets a full disk, the error reaches
// the drawing call, later writes are refused, and what was written decompresses to whole
// elements. (That gunzip reads a whole .svgz and rsvg renders it is CTest's.)
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <zlib.h>

#include <cstring>
#include <functional>
#include <random>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

namespace fs = std::filesystem;

// What zlib makes of a gzip member, as far as it can be decoded.
std::string Inflated(std::string_view Data) {
  z_stream Z{};
  inflateInit2(&Z, 15 + 16);
  Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Data.data()));
  Z.avail_in = static_cast<uInt>(Data.size());
  std::string Out;
  for (int Result = Z_OK; Result == Z_OK;) {
    char Buffer[65536];
    Z.next_out = reinterpret_cast<Bytef*>(Buffer);
    Z.avail_out = sizeof Buffer;
    Result = inflate(&Z, Z_NO_FLUSH);
    Out.append(Buffer, sizeof Buffer - Z.avail_out);
  }
  inflateEnd(&Z);
  return Out;
}

// Element Index: Length random characters of 64, which deflate shrinks by a quarter only.
void DrawElement(TSvgCanvas& Canvas, int Index, std::size_t Length = 3000) {
  std::mt19937 Random(static_cast<unsigned>(Index));
  std::u16string Text(Length, u'0');
  for (char16_t& Unit : Text) Unit = static_cast<char16_t>(u'0' + Random() % 64);
  Canvas.FillText({0, 0, 10, 10}, Text, false, 1, {}, TTextAlign::Leading);
}

// The plain document of elements 0 to Count - 1, unclosed.
std::string Plain(int Count) {
  TMemoryStream Stream;
  TNullCanvas Host(100, 100);
  TSvgCanvas Canvas(&Stream, &Host);
  for (int Index = 0; Index < Count; ++Index) DrawElement(Canvas, Index);
  return std::string(Stream.View());
}

TEST(Gzip, FlushMakesEveryElementReadableAndCloseTheWholeDocument) {
  TMemoryStream Compressed, Expected;
  TNullCanvas Host(100, 100);
  TGzipStream Gzip(&Compressed);
  TSvgCanvas Canvas(&Gzip, &Host), Reference(&Expected, &Host);
  const auto Draw = [&](int Index, std::size_t Length) {
    DrawElement(Canvas, Index, Length);
    DrawElement(Reference, Index, Length);
  };
  for (int Index = 0; Index < 50; ++Index) Draw(Index, 3000);  // past one buffer
  Gzip.Flush();
  EXPECT_EQ(Inflated(Compressed.View()), Expected.View());
  Draw(50, TGzipStream::InputSize + 1);  // more than the whole buffer
  Canvas.Close();
  Reference.Close();
  Gzip.Close();
  EXPECT_EQ(Inflated(Compressed.View()), Expected.View());
}

// Draws until a call raises; returns its message, after checking that the next call is
// refused and that Decoded (read afterwards) is the document up to an element's end.
std::string DrawUntilRefused(TSvgCanvas& Canvas, const std::function<std::string()>& Decoded) {
  std::string Message = "no error";
  for (int Index = 0; Index < 400 && Message == "no error"; ++Index)
    Message = ErrorOf<std::exception>([&] { DrawElement(Canvas, Index); });
  EXPECT_EQ(ErrorOf<EWriteError>([&] { DrawElement(Canvas, 0); }),
            "Cannot write to the gzip stream: a write to the stream under it failed, and the compressed data ends "
            "there");
  ErrorOf([&] { Canvas.Close(); });  // the footer is refused too
  const std::string Text = Decoded();
  EXPECT_TRUE(Text.ends_with("</text>\n")) << Text.size();
  EXPECT_TRUE(Plain(400).starts_with(Text));
  return Message;
}

TEST(Gzip, AFailingStreamOrAFullDiskLeavesWholeElements) {
  TNullCanvas Host(100, 100);
  for (const std::size_t FailAt : {2u, 3u}) {
    TCountingStream Stream;
    Stream.FailAt = FailAt;
    TGzipStream Gzip(&Stream);
    TSvgCanvas Canvas(&Gzip, &Host);
    EXPECT_EQ(DrawUntilRefused(Canvas, [&] { return Inflated(Stream.Text); }), "injected write failure");
    EXPECT_THROW(Gzip.Close(), EWriteError);  // no trailer after a failure
  }
  TScratch Scratch;
  const fs::path Mount = Scratch.Path / "small", File = Mount / "out.svgz", Filler = Mount / "filler";
  fs::create_directory(Mount);
  if (::mount("tmpfs", Mount.c_str(), "tmpfs", 0, "size=1m") != 0) GTEST_SKIP() << "no tmpfs here; CI runs as root";
  for (const std::size_t Free : {120 * 1024, 300 * 1024, 700 * 1024}) {
    fs::remove(File);
    std::ofstream(Filler, std::ios::binary) << std::string(1024 * 1024 - Free, 'f');
    TSvgCanvas Canvas(File, &Host);
    EXPECT_NE(DrawUntilRefused(Canvas, [&] { return Inflated(ReadFile(File)); }).find(std::strerror(ENOSPC)),
              std::string::npos);
  }
  ::umount(Mount.c_str());
}

}  // namespace
}  // namespace fsvg::test
