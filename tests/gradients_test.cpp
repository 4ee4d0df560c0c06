// Gradients: the lines they record (golden/gradients.txt), brushes equal by their
// gradients' values, and a spread no enumerator names refused (the other gradients
// refused when made are steps of the refusals scene).
// The fidelity scene gradients-by-design shows that every call paints and records them
// alike, and its golden that by default they are written as their colours.
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

}  // namespace
}  // namespace fsvg::test
