// The one routine that gives real numbers their text in the SVG output.
#pragma once

#include <cstddef>

#include "fsvg/export.h"

namespace fsvg::detail {

/// Room FormatReal needs in its output buffer.
inline constexpr std::size_t MaxRealLength = 32;

/// Significant digits a real number keeps at most, whatever its places.
inline constexpr int MaxSignificantDigits = 12;

/// Writes Value into Out (at least MaxRealLength bytes) and returns the length.
/// Fixed point, rounded exactly (halves to even) to Decimals places but to no more
/// than twelve significant digits, trailing zeros and a bare point trimmed, "0" for
/// anything that rounds to zero. From 10^12 up, once rounded: scientific notation
/// ("1.5E12"). "NaN", "Infinity", "-Infinity" otherwise. Decimals is 0 to 10.
/// Independent of every locale setting; never allocates.
FSVG_API std::size_t FormatReal(double Value, int Decimals, char* Out);

/// Writes a single-precision Value into Out (at least MaxRealLength bytes) with the
/// fewest significant digits that read back as the same float, and returns the length:
/// fixed point for magnitudes from 10^-5 to below 10^12 ("0.00015", "0.8660254"),
/// scientific beyond in FormatReal's form ("4E-7", "-3.4E38"); "0" for both zeros;
/// "NaN", "Infinity", "-Infinity". Independent of every locale setting.
FSVG_API std::size_t FormatFloatExact(float Value, char* Out);

}  // namespace fsvg::detail
