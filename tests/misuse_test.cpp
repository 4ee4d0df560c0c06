// The host canvas's bookkeeping under misuse: a refused restore (its matrix refused)
// leaves the current state in force, a stale saved state is refused, and the scene count
// cannot overflow.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

#include "fsvg/hostcanvas.h"

namespace fsvg {
namespace {

// A host that refuses every matrix while Refuse is set.
struct TRefusingCanvas : TNullCanvas {
  bool Refuse = false;
  void DoSetMatrix() override {
    if (Refuse) throw std::runtime_error("refused");
  }
};

// A state restored once cannot be restored again, even when the next one saved could
// reuse its memory.
TEST(HostMisuseTest, RefusedAndStaleRestoresKeepTheState) {
  TRefusingCanvas Canvas;
  Canvas.SetMatrix({2, 0, 0, 0, 2, 0, 0, 0, 1});
  TCanvasSaveState* Saved = Canvas.SaveState();
  Canvas.SetMatrix({1, 0, 0, 0, 1, 0, 5, 0, 1});
  Canvas.GetFill().Color = 0xFF00FF00;
  Canvas.Refuse = true;
  EXPECT_THROW(Canvas.RestoreState(Saved), std::runtime_error);
  // The matrix in force before stays, with its meaning, and so does the rest of the state.
  EXPECT_TRUE(Canvas.GetFill().Color == 0xFF00FF00u && Canvas.GetMatrix().m31 == 5 &&
              Canvas.GetMatrixMeaning() == TMatrixMeaning::Translate);
  Canvas.Refuse = false;
  Canvas.RestoreState(Saved);
  EXPECT_EQ(Canvas.GetMatrix().m11, 2);
  TCanvasSaveState* Next = Canvas.SaveState();
  EXPECT_THROW(Canvas.RestoreState(Saved), std::invalid_argument);
  EXPECT_EQ(Canvas.GetSavingStateCount(), 1);
  Canvas.RestoreState(Next);
}

TEST(HostMisuseTest, SceneCountStopsAtItsLimit) {
  TNullCanvas Canvas;
  constexpr std::int32_t Limit = std::numeric_limits<std::int32_t>::max();
  for (std::int32_t I = 0; I < Limit; ++I) Canvas.BeginScene();
  EXPECT_THROW(Canvas.BeginScene(), std::overflow_error);
  EXPECT_EQ(Canvas.GetBeginSceneCount(), Limit);
}

}  // namespace
}  // namespace fsvg
