// The one routine that gives real numbers their text in the SVG output, and its short
// path for the usual drawing value, inline for the element writers.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fsvg/export.h"

namespace fsvg::detail {

/// Room FormatReal needs in its output buffer.
inline constexpr std::size_t MaxRealLength = 32;

/// Writes Value into Out (at least MaxRealLength bytes) and returns the length.
/// Fixed point, rounded exactly (halves to even) to Decimals places but to no more
/// than Decimals + 8 significant digits, trailing zeros and a bare point trimmed,
/// "0" for anything that rounds to zero. From 10^(Decimals + 8) up, once rounded:
/// scientific notation ("1.5E12"). "NaN", "Infinity", "-Infinity" otherwise.
/// Decimals is 0 to 10. Independent of every locale setting; never allocates.
FSVG_API std::size_t FormatReal(double Value, int Decimals, char* Out);

// Two decimal digits for every value below 100.
inline constexpr std::array<char, 200> DigitPairs = [] {
  std::array<char, 200> Pairs{};
  for (std::size_t Value = 0; Value < 100; ++Value) {
    Pairs[2 * Value] = static_cast<char>('0' + Value / 10);
    Pairs[2 * Value + 1] = static_cast<char>('0' + Value % 10);
  }
  return Pairs;
}();

// The four digits of Value (below 10^4) as characters in one integer, the first in
// the lowest byte (x * 5243 >> 19 is x / 100 for x < 10^4).
inline std::uint32_t FourDigits(std::uint32_t Value) {
  const std::uint32_t High = (Value * 5243) >> 19;
  const std::uint32_t Low = Value - High * 100;
  const auto Pair = [](std::uint32_t Index) {
    std::uint16_t Text;
    std::memcpy(&Text, &DigitPairs[2 * Index], 2);
    if constexpr (std::endian::native == std::endian::big) Text = __builtin_bswap16(Text);
    return std::uint32_t{Text};
  };
  return Pair(High) | Pair(Low) << 16;
}

// Stores the four characters of Text, the first in the lowest byte, at Out.
inline void StoreFour(std::uint32_t Text, char* Out) {
  if constexpr (std::endian::native == std::endian::big) Text = __builtin_bswap32(Text);
  std::memcpy(Out, &Text, 4);
}

// The text of Units / 10^4 (Units < 10^8, not zero): at most four whole digits, at
// most four places. Every coordinate of a drawing comes here, so no branch depends on
// the digits but whether there are places at all, and the length comes from
// comparisons. The digits are stored four at a time: the whole part with its leading
// zeros shifted out, then the point and the places, of which the trailing zeros are
// left behind.
inline std::size_t ComposeFour(bool Negative, std::uint64_t Units, char* Out) {
  const auto Whole = static_cast<std::uint32_t>(Units) / 10000;
  const auto Fraction = static_cast<std::uint32_t>(Units) - Whole * 10000;
  const int WholeDigits = 1 + (Whole >= 10) + (Whole >= 100) + (Whole >= 1000);
  Out[0] = '-';
  char* const Point = Out + Negative + WholeDigits;
  StoreFour(FourDigits(Whole) >> (8 * (4 - WholeDigits)), Point - WholeDigits);
  if (Fraction == 0) return static_cast<std::size_t>(Point - Out);
  Point[0] = '.';
  const std::uint32_t Places = FourDigits(Fraction);
  StoreFour(Places, Point + 1);
  // A '0' is a zero byte once the text is xored with "0000": the trailing zeros are
  // the high zero bytes, and some byte is not zero, since the places are not.
  const int TrailingZeros = __builtin_clz(Places ^ 0x30303030u) / 8;
  return static_cast<std::size_t>(Point + 5 - TrailingZeros - Out);
}

// round(Magnitude * 10^4), halves to even, for Magnitude < 10^8 when the product
// is exact in a double: the significand's ten low bits are zero, so it has at most 43
// significant bits, and times 625 (ten bits) at most 53. Every single widened to
// double passes, and so does a sum of singles at drawing magnitudes: almost every
// coordinate. The product's integer and fractional parts are then exact too, and the
// rounding is two comparisons.
inline std::uint64_t ScaleExact4(double Magnitude) {
  const double Scaled = Magnitude * 1e4;
  const auto Truncated = static_cast<std::uint64_t>(static_cast<std::int64_t>(Scaled));
  const double Rest = Scaled - static_cast<double>(Truncated);
  return Truncated + ((Rest > 0.5) | ((Rest == 0.5) & (Truncated & 1)));
}

/// FormatReal(Value, 4, Out), with a short path for the usual drawing value: a single
/// (or a sum of singles) below 10^4.
FSVG_API std::size_t FormatReal4(double Value, char* Out);

}  // namespace fsvg::detail
