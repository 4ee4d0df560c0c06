// Gradients: the lines they record (golden/gradients.txt), brushes equal by their
// gradients' values, and the gradients refused when made (golden/refused-gradients.txt).
// The fidelity scene gradients-by-design shows that every call paints and records them
// alike, and its golden that by default they are written as their colours.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

using G = TGradient;
using enum TGradientSpread;

auto Ramp(TGradientSpread Spread = Repeat) {
  return G::Linear({0, 0}, {10.126f, 0}, {{0, 0xFFFF0000}, {1.f / 3, 0x80000000}, {1, 0xFF0000FF}}, Spread);
}

// The gradients scene.
std::string Record(const TSvgOptions& Options) {
  TNullCanvas Host(100, 100);
  TCountingStream Stream;
  Stream.Lend = true;
  {
    TSvgCanvas C(&Stream, &Host, Options);
    TScript(C).Run(Load(FSVG_TEST_SCENES, "gradients").Steps);
  }
  return Stream.Text;
}

TEST(Gradients, AreDefinedOnceBeforeTheirFirstUse) {
  TSvgOptions Options;
  Options.Gradients = true;
  Options.ColorAlpha = true;  // no alpha of the representing colour beside a gradient
  Options.IdPrefix = u"doc-";
  Options.DecimalPlaces = 2;
  const std::string Recorded = Record(Options);
  EXPECT_EQ(Recorded, ReadFile(FSVG_GOLDEN_DIR "/gradients.txt")) << "recorded, to review:\n" << Recorded;
}

TEST(Gradients, BrushesAreEqualWhenTheirGradientsAre) {
  EXPECT_TRUE(TBrush(Ramp(), 1) == TBrush(Ramp(), 1));
  EXPECT_FALSE(TBrush(Ramp(), 1) == TBrush(Ramp(Pad), 1));
}

// Each row: x y x2 y2 (linear) or x y r fx fy (radial), the spread, the stops' offsets,
// and after a colon the message.
TEST(Gradients, AreRefusedWhenMade) {
  std::ifstream Rows(FSVG_GOLDEN_DIR "/refused-gradients.txt");
  ASSERT_TRUE(Rows.is_open());
  for (std::string Row; std::getline(Rows, Row);) {
    std::istringstream In(Row);
    std::vector<float> N;
    std::vector<TGradientStop> Stops;
    for (std::string Word; In >> Word && Word != ":";) N.push_back(std::stof(Word));
    const std::size_t Geometry = N[0];
    for (std::size_t I = Geometry + 2; I < N.size(); ++I) Stops.push_back({N[I], 0});
    const auto Spread = static_cast<TGradientSpread>(N[Geometry + 1]);
    EXPECT_EQ(ErrorOf<EArgumentError>([&] {
                if (Geometry == 4) G::Linear({N[1], N[2]}, {N[3], N[4]}, Stops, Spread);
                if (Geometry == 5) G::Radial({N[1], N[2]}, N[3], {N[4], N[5]}, Stops, Spread);
              }),
              "TGradient:" + Row.substr(Row.find(':') + 1));
  }
}

}  // namespace
}  // namespace fsvg::test
