// The dash patterns every host paints and a faithful recording writes.
#include <cstddef>
#include <iterator>

#include "fsvg/paint.h"

namespace fsvg {

namespace {

// Dash patterns in multiples of the thickness, by TStrokeDash.
constexpr float Dash[] = {3, 1}, Dot[] = {1, 1}, DashDot[] = {3, 1, 1, 1}, DashDotDot[] = {3, 1, 1, 1, 1, 1};
constexpr std::span<const float> DashPatterns[] = {{}, Dash, Dot, DashDot, DashDotDot, {}};
static_assert(std::size(DashPatterns) == static_cast<std::size_t>(TStrokeDash::Custom) + 1);

}  // namespace

std::span<const float> DashPattern(TStrokeDash Dash) { return DashPatterns[static_cast<std::size_t>(Dash)]; }

}  // namespace fsvg
