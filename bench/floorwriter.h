// The floor: the least work that can produce the recording canvas's bytes for a
// benchmark scene. One reserved buffer, literals copied with their length known at
// compile time, and an integer-based number formatter that is exact for the values
// the scenes hold (singles below 10^8, widened to double).
#pragma once

#include <cstddef>

#include "scene.h"

namespace fsvg::bench {

/// An upper bound on the bytes WriteFloor produces for Scene.
std::size_t FloorCapacity(const TScene& Scene);

/// Writes the whole document for Scene (header, one line per element, footer) at Out,
/// which has room for FloorCapacity(Scene) bytes, and returns the number written.
/// Throws std::domain_error for a number outside the floor formatter's range.
std::size_t WriteFloor(const TScene& Scene, char* Out);

/// The floor's number formatter alone: a single (widened to double) with |Value| < 10^8
/// as the recording canvas writes it. Returns the end. Throws std::domain_error outside
/// that range.
char* FloorReal(double Value, char* Out);

}  // namespace fsvg::bench
