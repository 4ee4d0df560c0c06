// The one routine that gives real numbers their text in the SVG output, and its short
// path for the usual drawing value, inline for the element writers.
#pragma once

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

// The eight decimal digits of Whole * 10^4 + Fraction (both below 10^4) as characters
// in one integer, the first digit in the lowest byte. Each step splits every lane in
// two at once: each half by 100 (x * 10486 >> 20 is x / 100 for x < 10^4), then each
// pair by 10 (x * 103 >> 10 is x / 10 for x < 100). No lane's product reaches the next
// lane, and what a shift brings down from a higher lane the mask drops.
inline std::uint64_t EightDigits(std::uint64_t Whole, std::uint64_t Fraction) {
  const std::uint64_t Halves = Whole | Fraction << 32;
  const std::uint64_t Hundreds = ((Halves * 10486) >> 20) & 0x0000007F0000007FULL;
  const std::uint64_t Pairs = Hundreds | (Halves - Hundreds * 100) << 16;
  const std::uint64_t Tens = ((Pairs * 103) >> 10) & 0x000F000F000F000FULL;
  const std::uint64_t Digits = Tens | (Pairs - Tens * 10) << 8;
  return Digits | 0x3030303030303030ULL;
}

// Stores the four characters of Text, the first in the lowest byte, at Out.
inline void StoreFour(std::uint32_t Text, char* Out) {
  if constexpr (std::endian::native == std::endian::big) Text = __builtin_bswap32(Text);
  std::memcpy(Out, &Text, 4);
}

// The text of Units / 10^4 (Units < 10^8, not zero): at most four whole digits, at
// most four places. Every coordinate of a drawing comes here, so no branch depends on
// the digits, and the length comes from comparisons and one count of zero bits. The
// digits are stored four at a time: the whole part with its leading zeros shifted
// out, then the point and the places, of which the trailing zeros are left behind.
inline std::size_t ComposeFour(bool Negative, std::uint64_t Units, char* Out) {
  const std::uint64_t Whole = Units / 10000;
  const std::uint64_t Fraction = Units - Whole * 10000;
  const int WholeDigits = 1 + (Whole >= 10) + (Whole >= 100) + (Whole >= 1000);
  const std::uint64_t Digits = EightDigits(Whole, Fraction);
  Out[0] = '-';
  char* const Point = Out + Negative + WholeDigits;
  StoreFour(static_cast<std::uint32_t>(Digits) >> (8 * (4 - WholeDigits)), Point - WholeDigits);
  if (Fraction == 0) return static_cast<std::size_t>(Point - Out);
  // The places' values without their '0' bits: the trailing zeros are the high zero bytes.
  const auto Places = static_cast<std::uint32_t>(Digits >> 32);
  const int TrailingZeros = std::countl_zero(Places & 0x0F0F0F0Fu) / 8;
  Point[0] = '.';
  StoreFour(Places, Point + 1);
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
