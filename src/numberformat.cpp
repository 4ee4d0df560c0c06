// Exact fixed-point formatting of doubles with integer arithmetic: a double is
// m * 2^e exactly, so value * 10^p is m * 10^p * 2^e, which a 128-bit integer holds
// for every value this path sees. Only magnitudes of 10^12 and up go through
// std::to_chars, in scientific form.
#include "numberformat.h"

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
  std::size_t Length = static_cast<std::size_t>(MantissaEnd - Text);
  std::memcpy(Out, Text, Length);
  Out[Length++] = 'E';
  ++Exponent;  // past 'e'
  if (*Exponent == '+') ++Exponent;
  if (*Exponent == '-') Out[Length++] = *Exponent++;
  while (*Exponent == '0' && Exponent + 1 < End) ++Exponent;
  while (Exponent < End) Out[Length++] = *Exponent++;
  return Length;
}

}  // namespace

std::size_t FormatReal(double Value, int Decimals, char* Out) {
  assert(Decimals >= 0 && Decimals <= 10);
  if (std::isnan(Value)) return CopyText("NaN", Out);
  if (std::isinf(Value)) return CopyText(Value < 0 ? "-Infinity" : "Infinity", Out);

  const int Significant = Decimals + 8;
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

}  // namespace fsvg::detail
