// Paint servers: gradients and bitmap brushes. Gradients: the lines they record
// (golden/gradients.txt), brushes equal by their gradients' values, and a spread no
// enumerator names refused (the other gradients refused when made are steps of the
// refusals scene); the fidelity scene gradients-by-design shows that every call paints
// and records them alike, and its golden that by default they are written as their
// colours. Bitmap brushes: what the patterns scene of tests/scenes.txt records
// (golden/patterns.txt), one image a bitmap however many shapes and brushes paint with
// it, and a pattern torn by a failed write; the fidelity scene patterns shows that both
// hosts paint what is recorded.
#include <gtest/gtest.h>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

using G = TGradient;
using enum TGradientSpread;

auto Ramp(TGradientSpread Spread = Repeat) {
  return G::Linear({0, 0}, {10.126f, 0}, {{0, 0xFFFF0000}, {1.f / 3, 0x80000000}, {1, 0xFF0000FF}}, Spread);
}

TEST(Gradients, AreDefinedOnceBeforeTheirFirstUse) {
  TSvgOptions Options;
  Options.Gradients = true;
  Options.ColorAlpha = true;  // no alpha of the representing colour beside a gradient
  Options.IdPrefix = u"doc-";
  Options.DecimalPlaces = 2;
  TNullCanvas Host(100, 100);
  const std::string Recorded = RecordScene("gradients", Host, Options);
  EXPECT_EQ(Recorded, ReadFile(FSVG_GOLDEN_DIR "/gradients.txt")) << "recorded, to review:\n" << Recorded;
}

TEST(Gradients, BrushesAreEqualByTheirGradientsAndUnknownSpreadsAreRefused) {
  EXPECT_TRUE(TBrush(Ramp(), 1) == TBrush(Ramp(), 1));
  EXPECT_FALSE(TBrush(Ramp(), 1) == TBrush(Ramp(Pad), 1));
  EXPECT_ERROR(EArgumentError, Ramp(static_cast<TGradientSpread>(3)),
               "TGradient: the spread must be Pad, Reflect or Repeat");
}

TEST(Patterns, AreDefinedOnceAPlaceWithTheirPixelsOnce) {
  TSvgOptions Options;
  Options.Gradients = true;
  Options.Transforms = true;
  TNullCanvas Host(100, 100);
  const std::string Recorded = RecordScene("patterns", Host, Options);
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
    C.FillRect({Left, 10, Left + 10, 20}, 0, 0, {}, 1,
               TBrush(std::make_shared<const TBitmap>(verbs::Image(2)), TBitmapWrap::TileFromOrigin, 0));
  }
  EXPECT_EQ(CountOf(Stream.Text, "<pattern"), 1u);
  const TBrush Brush(std::make_shared<const TBitmap>(verbs::Image(3)), TBitmapWrap::Tile, 0);
  Stream.FailAt = Stream.Calls + 2;
  EXPECT_THROW(C.FillRect({0, 0, 10, 10}, 0, 0, {}, 1, Brush), EWriteError);
  C.FillRect({0, 0, 10, 10}, 0, 0, {}, 1, Brush);
  C.Close();
  EXPECT_EQ(CountOf(Stream.Text, "<image"), 3u);
  EXPECT_EQ(ScanDocument(Stream.Text), "");
}

}  // namespace
}  // namespace fsvg::test
