// What the pixel comparisons count as a difference, for the fidelity harness and the Qt
// corpus alike.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace fsvg::test {

/// Whether two 0xAARRGGBB pixels (both opaque, over white) differ by more than 10% of a
/// channel's range in red, green or blue.
inline bool Differ(std::uint32_t A, std::uint32_t B) {
  for (const int Shift : {0, 8, 16})
    if (std::abs(int(A >> Shift & 0xFF) - int(B >> Shift & 0xFF)) > 25) return true;
  return false;
}

}  // namespace fsvg::test
