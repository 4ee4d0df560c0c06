// Exact fixed-point formatting of doubles with integer arithmetic: a double is
// m * 2^e exactly, so value * 10^p is m * 10^p * 2^e, which a 128-bit integer holds
// for every value this path sees. Only magnitudes of 10^12 and up go through
// std::to_chars, in scientific form.
//
// Drawing coordinates are almost always below 10^8, where every decimal place is
// kept. That case has its own path, with the places known at compile time (so the
// divisions become multiplications). The usual case of all, four places and a value
// whose scaled form is exact in a double, takes a few comparisons to round and stores
// its digits four at a time; the rest is out of line.
#include "numberformat.h"

#include <array>
#include <bit>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace fsvg::detail {

namespace {

__extension__ using TUInt128 = unsigned __int128;

constexpr std::uint64_t Pow10[] = {1ULL,
                                   10ULL,
                                   100ULL,
                                   1000ULL,
                                   10000ULL,
                                   100000ULL,
                                   1000000ULL,
                                   10000000ULL,
                                   100000000ULL,
                                   1000000000ULL,
                                   10000000000ULL,
                                   100000000000ULL,
                                   1000000000000ULL,
                                   10000000000000ULL,
                                   100000000000000ULL,
                                   1000000000000000ULL,
                                   10000000000000000ULL,
                                   100000000000000000ULL,
                                   1000000000000000000ULL};

int DigitCount(std::uint64_t Value) {
  int Count = 1;
  while (Count < 19 && Value >= Pow10[Count]) ++Count;
  return Count;
}

std::size_t CopyText(const char* Text, char* Out) {
  const std::size_t Length = std::strlen(Text);
  std::memcpy(Out, Text, Length);
  return Length;
}

// round(Mantissa * 2^Exponent * 10^Places), halves to even. The caller guarantees the
// value is below 10^(Places + 9) < 2^64 after scaling.
std::uint64_t ScaleAndRound(std::uint64_t Mantissa, int Exponent, int Places) {
  if (Exponent >= 0) return (Mantissa << Exponent) * Pow10[Places];
  const int Shift = -Exponent;
  const TUInt128 Scaled = static_cast<TUInt128>(Mantissa) * Pow10[Places];
  // Mantissa * 10^Places < 2^53 * 2^34 = 2^87, so a shift of 88 or more leaves less
  // than one half: the result rounds to zero.
  if (Shift >= 88) return 0;
  std::uint64_t Quotient = static_cast<std::uint64_t>(Scaled >> Shift);
  const TUInt128 Remainder = Scaled & ((static_cast<TUInt128>(1) << Shift) - 1);
  const TUInt128 Half = static_cast<TUInt128>(1) << (Shift - 1);
  if (Remainder > Half || (Remainder == Half && (Quotient & 1) != 0)) ++Quotient;
  return Quotient;
}

// The mantissa [Text, MantissaEnd), then std::to_chars's exponent [Exponent, End) restyled:
// "e+15" becomes "E15", "e-07" "E-7". No caller's exponent is zero: its leading zeros go.
std::size_t RestyleExponent(const char* Text, const char* MantissaEnd, const char* Exponent, const char* End,
                            char* Out) {
  std::size_t Length = static_cast<std::size_t>(MantissaEnd - Text);
  std::memcpy(Out, Text, Length);
  Out[Length++] = 'E';
  ++Exponent;  // past 'e'
  if (*Exponent == '+') ++Exponent;
  if (*Exponent == '-') Out[Length++] = *Exponent++;
  while (*Exponent == '0') ++Exponent;
  while (Exponent < End) Out[Length++] = *Exponent++;
  return Length;
}

// "1.23450000000e+15" from std::to_chars becomes "1.2345E15".
std::size_t FormatScientific(double Value, int Significant, char* Out) {
  char Text[64];
  const auto Result = std::to_chars(Text, Text + sizeof Text, Value, std::chars_format::scientific, Significant - 1);
  char* const End = Result.ptr;
  char* Exponent = static_cast<char*>(std::memchr(Text, 'e', static_cast<std::size_t>(End - Text)));
  char* MantissaEnd = Exponent;
  if (std::memchr(Text, '.', static_cast<std::size_t>(Exponent - Text)) != nullptr) {
    while (MantissaEnd[-1] == '0') --MantissaEnd;
    if (MantissaEnd[-1] == '.') --MantissaEnd;
  }
  return RestyleExponent(Text, MantissaEnd, Exponent, End, Out);
}

// Two decimal digits for every value below 100.
constexpr std::array<char, 200> DigitPairs = [] {
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

// The text of Units / 10^4 (Units < 10^8): at most four whole digits, at most four
// places. Every coordinate of a drawing comes here, so no branch depends on the digits
// but whether there are places at all. The digits are stored four at a time: the
// whole part with its leading zeros shifted out, then the point and the places, of
// which the trailing zeros are left behind. A '0' is a zero byte once a text is xored
// with "0000", so both counts are counts of zero bytes.
inline std::size_t ComposeFour(bool Negative, std::uint32_t Units, char* Out) {
  const std::uint32_t Whole = Units / 10000;
  const std::uint32_t Fraction = Units - Whole * 10000;
  const std::uint32_t WholeText = FourDigits(Whole);
  // The first digits are the low bytes; the last digit always stays.
  const int LeadingZeros = std::countr_zero((WholeText ^ 0x30303030u) | 0x01000000u) / 8;
  Out[0] = '-';
  char* const WholeStart = Out + (Negative & (Units != 0));
  StoreFour(WholeText >> (8 * LeadingZeros), WholeStart);
  char* const Point = WholeStart + 4 - LeadingZeros;
  if (Fraction == 0) return static_cast<std::size_t>(Point - Out);
  Point[0] = '.';
  const std::uint32_t Places = FourDigits(Fraction);
  StoreFour(Places, Point + 1);
  // Some place is not zero, so some byte is not (which __builtin_clz needs).
  return static_cast<std::size_t>(Point + 5 - __builtin_clz(Places ^ 0x30303030u) / 8 - Out);
}

// Below this, |v| * 10^4 rounds to less than 10^8: four whole digits at most.
constexpr double ScaledFourLimit = 99999999.5;

// round(Scaled), halves to even, for 0 <= Scaled < ScaledFourLimit. Scaled and the
// rest after truncation are exact, so an odd integer rounds up from a half and an
// even one only above it: above the double just below 0.5, or above 0.5.
inline std::uint32_t RoundHalfEven(double Scaled) {
  static constexpr double Half[] = {0.5, 0.49999999999999994};
  const auto Truncated = static_cast<std::int32_t>(Scaled);
  const double Rest = Scaled - static_cast<double>(Truncated);
  return static_cast<std::uint32_t>(Truncated) + (Rest > Half[Truncated & 1]);
}

// Writes the Count digits of Value, leading zeros included, ending at End.
void PutDigitsBackwards(std::uint64_t Value, int Count, char* End) {
  for (; Count >= 2; Count -= 2) {
    End -= 2;
    std::memcpy(End, &DigitPairs[static_cast<std::size_t>(2 * (Value % 100))], 2);
    Value /= 100;
  }
  if (Count == 1) End[-1] = static_cast<char>('0' + Value % 10);
}

// Below SmallLimit[Decimals] the integer part has at most eight digits and at most
// twelve less Decimals, so every one of the Decimals places fits within twelve
// significant digits, and so does a carry to the limit itself (its places are zeros).
constexpr double SmallLimit[] = {1e8, 1e8, 1e8, 1e8, 1e8, 1e7, 1e6, 1e5, 1e4, 1e3, 1e2};
static_assert(std::size(SmallLimit) == 11);

constexpr std::uint64_t Pow5(int Exponent) { return Exponent == 0 ? 1 : 5 * Pow5(Exponent - 1); }

// round(Mantissa * 2^Exponent * 10^Decimals), halves to even, for a value below
// SmallLimit (so Exponent <= -26 and the result is below 10^18). 10^d = 5^d * 2^d: up
// to four places, Mantissa * 5^d < 2^53 * 2^10 fits 64 bits and 2^d joins the shift.
template <int Decimals>
std::uint64_t ScaleSmall(std::uint64_t Mantissa, int Exponent) {
  if constexpr (Decimals <= 4) {
    const std::uint64_t Scaled = Mantissa * Pow5(Decimals);
    const int Shift = -(Exponent + Decimals);
    // Scaled < 2^63: a shift of 64 or more leaves less than one half.
    if (Shift >= 64) return 0;
    const std::uint64_t Quotient = Scaled >> Shift;
    const std::uint64_t Remainder = Scaled & ((std::uint64_t{1} << Shift) - 1);
    const std::uint64_t Half = std::uint64_t{1} << (Shift - 1);
    return Quotient + ((Remainder > Half) | ((Remainder == Half) & Quotient & 1));
  } else {
    return ScaleAndRound(Mantissa, Exponent, Decimals);
  }
}

// The fixed-point text of Units / 10^Decimals (Units not zero, below 10^18), digit pair
// by digit pair. Kept out of line so that the short path stays short.
template <int Decimals>
[[gnu::noinline]] std::size_t WriteFixed(bool Negative, std::uint64_t Units, char* Out) {
  constexpr std::uint64_t Scale = Pow10[Decimals];
  char* Cursor = Out;
  *Cursor = '-';
  Cursor += Negative;
  // Rounding may carry up to 10^8 exactly: nine digits at most.
  const auto Whole = static_cast<std::uint32_t>(Units / Scale);
  int WholeDigits = 1;
  while (WholeDigits < 9 && Whole >= Pow10[WholeDigits]) ++WholeDigits;
  Cursor += WholeDigits;
  PutDigitsBackwards(Whole, WholeDigits, Cursor);
  if constexpr (Decimals > 0) {
    const std::uint64_t Fraction = Units % Scale;
    if (Fraction != 0) {
      *Cursor = '.';
      PutDigitsBackwards(Fraction, Decimals, Cursor + 1 + Decimals);
      Cursor += 1 + Decimals;
      while (Cursor[-1] == '0') --Cursor;
    }
  }
  return static_cast<std::size_t>(Cursor - Out);
}

// The fixed-point text of (-1)^Negative * Units / 10^Decimals, Units below 10^18.
template <int Decimals>
inline std::size_t FormatUnits(bool Negative, std::uint64_t Units, char* Out) {
  if constexpr (Decimals == 4) {
    if (Units < 10000 * Pow10[Decimals]) return ComposeFour(Negative, static_cast<std::uint32_t>(Units), Out);
  }
  if (Units == 0) {
    Out[0] = '0';
    return 1;
  }
  return WriteFixed<Decimals>(Negative, Units, Out);
}

// The fixed-point text of a finite Value with 2^-1022 <= |Value| < SmallLimit, split
// by the caller: Value = (-1)^Negative * Mantissa * 2^Exponent.
template <int Decimals>
std::size_t FormatSmall(bool Negative, std::uint64_t Mantissa, int Exponent, char* Out) {
  return FormatUnits<Decimals>(Negative, ScaleSmall<Decimals>(Mantissa, Exponent), Out);
}

using TFormatSmall = std::size_t (*)(bool, std::uint64_t, int, char*);
constexpr TFormatSmall FormatSmallFor[] = {nullptr,        FormatSmall<1>, FormatSmall<2>, FormatSmall<3>,
                                           FormatSmall<4>, FormatSmall<5>, FormatSmall<6>, FormatSmall<7>,
                                           FormatSmall<8>, FormatSmall<9>, FormatSmall<10>};

// Every value the short path leaves: zero, subnormals, large magnitudes, non-finite
// values.
[[gnu::noinline]] std::size_t FormatGeneral(double Value, int Decimals, char* Out) {
  if (std::isnan(Value)) return CopyText("NaN", Out);
  if (std::isinf(Value)) return CopyText(Value < 0 ? "-Infinity" : "Infinity", Out);

  constexpr int Significant = MaxSignificantDigits;
  const double Magnitude = std::fabs(Value);
  const double Limit = static_cast<double>(Pow10[Significant]);
  if (Magnitude >= Limit) return FormatScientific(Value, Significant, Out);
  if (Magnitude == 0) {
    Out[0] = '0';
    return 1;
  }

  const std::uint64_t Bits = std::bit_cast<std::uint64_t>(Magnitude);
  const int BiasedExponent = static_cast<int>(Bits >> 52);
  std::uint64_t Mantissa = Bits & ((std::uint64_t{1} << 52) - 1);
  int Exponent = -1074;
  if (BiasedExponent != 0) {
    Mantissa |= std::uint64_t{1} << 52;
    Exponent = BiasedExponent - 1075;
  }

  // Fewer decimals when the integer part is long, so that at most Significant digits
  // are formed in all.
  const std::uint64_t IntegerPart =
      Exponent >= 0 ? Mantissa << Exponent : (Exponent <= -64 ? 0 : Mantissa >> -Exponent);
  const int IntegerDigits = DigitCount(IntegerPart);
  const int Places = Decimals < Significant - IntegerDigits ? Decimals : Significant - IntegerDigits;

  const std::uint64_t Scaled = ScaleAndRound(Mantissa, Exponent, Places);
  if (Scaled == 0) {
    Out[0] = '0';
    return 1;
  }
  if (Places == 0 && Scaled >= Pow10[Significant]) return FormatScientific(Value, Significant, Out);

  std::size_t Length = 0;
  if (Value < 0) Out[Length++] = '-';
  const std::uint64_t Whole = Scaled / Pow10[Places];
  std::uint64_t Fraction = Scaled % Pow10[Places];
  Length = static_cast<std::size_t>(std::to_chars(Out + Length, Out + MaxRealLength, Whole).ptr - Out);
  if (Fraction != 0) {
    int Digits = Places;
    while (Fraction % 10 == 0) {
      Fraction /= 10;
      --Digits;
    }
    Out[Length++] = '.';
    for (int Index = Digits - 1; Index >= 0; --Index) {
      Out[Length + static_cast<std::size_t>(Index)] = static_cast<char>('0' + Fraction % 10);
      Fraction /= 10;
    }
    Length += static_cast<std::size_t>(Digits);
  }
  return Length;
}

// Every value the four-place path leaves: other places, long significands, large
// magnitudes, non-finite values.
[[gnu::noinline]] std::size_t FormatOther(double Value, int Decimals, char* Out) {
  const std::uint64_t Bits = std::bit_cast<std::uint64_t>(Value);
  const auto BiasedExponent = static_cast<int>((Bits >> 52) & 0x7FF);
  // Zero and subnormals have a biased exponent of 0; NaN fails the comparison.
  if (std::fabs(Value) < SmallLimit[Decimals] && BiasedExponent != 0 && Decimals != 0) {
    const std::uint64_t Mantissa = (Bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    return FormatSmallFor[Decimals]((Bits >> 63) != 0, Mantissa, BiasedExponent - 1075, Out);
  }
  return FormatGeneral(Value, Decimals, Out);
}

}  // namespace

std::size_t FormatFloatExact(float Value, char* Out) {
  if (!std::isfinite(Value)) return FormatGeneral(Value, 0, Out);
  if (Value == 0) {
    Out[0] = '0';
    return 1;
  }
  const float Magnitude = std::fabs(Value);
  char Text[64];
  if (Magnitude >= 1e-5f && Magnitude < 1e12f) {
    const auto Result = std::to_chars(Text, Text + sizeof Text, Value, std::chars_format::fixed);
    const auto Length = static_cast<std::size_t>(Result.ptr - Text);
    std::memcpy(Out, Text, Length);
    return Length;
  }
  const auto Result = std::to_chars(Text, Text + sizeof Text, Value, std::chars_format::scientific);
  const char* const Exponent =
      static_cast<const char*>(std::memchr(Text, 'e', static_cast<std::size_t>(Result.ptr - Text)));
  return RestyleExponent(Text, Exponent, Exponent, Result.ptr, Out);
}

// The usual case of all, four places and |Value| * 10^4 exact in a double, is the one
// branch that falls through: the significand's ten low bits are zero, so it has at
// most 43 significant bits, and times 625 (ten bits) at most 53. Every single widened
// to double passes, and so does a sum of singles at drawing magnitudes.
std::size_t FormatReal(double Value, int Decimals, char* Out) {
  assert(Decimals >= 0 && Decimals <= 10);
  const std::uint64_t Bits = std::bit_cast<std::uint64_t>(Value);
  const double Scaled = std::fabs(Value) * 1e4;
  // NaN fails the comparison.
  if (Decimals == 4 && (Bits & 0x3FF) == 0 && Scaled < ScaledFourLimit) [[likely]]
    return ComposeFour((Bits >> 63) != 0, RoundHalfEven(Scaled), Out);
  return FormatOther(Value, Decimals, Out);
}

}  // namespace fsvg::detail
