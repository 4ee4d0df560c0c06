// Bitmap brushes: the patterns they record (golden/patterns.txt), one image a bitmap
// however many shapes and brushes paint with it, the bytes of a drawing that records
// none, and a pattern torn by a failed write. The fidelity scene patterns shows that
// both hosts paint what is recorded.
#include <gtest/gtest.h>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

std::shared_ptr<const TBitmap> Pixels(TAlphaColor Second = 0xFF0000FF) {
  return std::make_shared<const TBitmap>(2, 1, std::vector<TAlphaColor>{0xFFFF0000, Second});
}

// Each wrap over each kind of shape, under an offset and a matrix; a second bitmap of
// the same pixels; its nearest pixels in an image of their own; one stretched over no height and one placed
// beyond every float, which paint nothing. Unless Held, the bitmap brushes hold no bitmap.
std::string Record(const TSvgOptions& Options, bool Held = true) {
  TNullCanvas Host(100, 100);
  TCountingStream Stream;
  {
    TSvgCanvas C(&Stream, &Host, Options);
    const auto Pixels = [Held](TAlphaColor Second = 0xFF0000FF) { return Held ? test::Pixels(Second) : nullptr; };
    C.FillRect({10, 10, 20, 20}, 0, 0, {}, 1, TBrush(Pixels(), TBitmapWrap::Tile, 0xFF808080));
    C.DrawEllipse({10, 10, 20, 20}, 1, TStrokeBrush(Pixels(), TBitmapWrap::Tile, 0xFF808080));
    C.FillRect({30, 10, 40, 20}, 0, 0, {}, 1, TBrush(Pixels(), TBitmapWrap::Tile, 0xFF808080, true));
    Host.SetOffset({5, 5});
    C.FillArc({50, 50}, {10, 20}, 0, 90, 0.5f, TBrush(Pixels(), TBitmapWrap::Stretch, 0xFF808080));
    Host.SetMatrix({2, 0, 0, 0, 2, 0, 0, 0, 1});
    C.FillEllipse({0, 0, 30, 10}, 1, TBrush(Pixels(0xFF00FF00), TBitmapWrap::TileFromOrigin, 0xFF808080));
    C.DrawLine({0, 0}, {10, 0}, 1, TStrokeBrush(Pixels(), TBitmapWrap::Stretch, 0xFF808080));
    C.FillArc({3e38f, 0}, {3e38f, 3e38f}, 0, 90, 1, TBrush(Pixels(), TBitmapWrap::Stretch, 0xFF808080));
    C.SetFill(TBrush(Pixels(), TBitmapWrap::Stretch, 0xFF808080));
    C.FillText({0, 0, 40, 20}, u"a", false, 1, {}, TTextAlign::Leading);
  }
  return Stream.Text;
}

TEST(Patterns, AreDefinedOnceAPlaceWithTheirPixelsOnce) {
  TSvgOptions Options;
  Options.Gradients = true;
  Options.Transforms = true;
  const std::string Recorded = Record(Options);
  EXPECT_EQ(Recorded, ReadFile(FSVG_GOLDEN_DIR "/patterns.txt")) << "recorded, to review:\n" << Recorded;
  EXPECT_EQ(ScanDocument(Recorded), "");
}

// 10,000 fills with one brush, tiled from the origin wherever they are, write one
// pattern. A write failing inside a pattern's pixels leaves it undefined, closed by
// what comes next, and the next fill defines it again.
TEST(Patterns, AreWrittenOnceForManyFillsAndAgainAfterATornWrite) {
  TNullCanvas Host(100, 100);
  TCountingStream Stream;
  TSvgOptions Options;
  Options.Gradients = true;
  TSvgCanvas C(&Stream, &Host, Options);
  for (int I = 0; I < 10000; ++I) {
    const auto Left = static_cast<float>(I % 90);
    C.FillRect({Left, 10, Left + 10, 20}, 0, 0, {}, 1, TBrush(Pixels(), TBitmapWrap::TileFromOrigin, 0));
  }
  EXPECT_EQ(CountOf(Stream.Text, "<pattern"), 1u);
  const TBrush Brush(Pixels(0), TBitmapWrap::Tile, 0);
  Stream.FailAt = Stream.Calls + 2;
  EXPECT_THROW(C.FillRect({0, 0, 10, 10}, 0, 0, {}, 1, Brush), EWriteError);
  C.FillRect({0, 0, 10, 10}, 0, 0, {}, 1, Brush);
  C.Close();
  EXPECT_EQ(CountOf(Stream.Text, "<image"), 3u);
  EXPECT_EQ(ScanDocument(Stream.Text), "");
}

// A brush of no bitmap records no pattern (by default a bitmap brush records its colour:
// the golden of the fidelity scene patterns).
TEST(Patterns, ABrushOfNoBitmapRecordsNone) {
  TSvgOptions Unused;
  Unused.Gradients = true;
  EXPECT_FALSE(Holds(Record(Unused, false), "<pattern"));
}

}  // namespace
}  // namespace fsvg::test
