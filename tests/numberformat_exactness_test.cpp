// The number formatter against a slow reference, over millions of values: random
// singles and doubles of every magnitude, exact ties at the rounding place and values
// around powers of ten, for every number of decimals. The reference lets
// std::to_chars round (fixed at the allowed number of places, which it does exactly
// with halves to even) and applies the significant-digit rule and the switch to
// scientific notation itself; the formatter shares none of that code.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <random>
#include <string>

#include "numberformat.h"

namespace fsvg::test {
namespace {

std::string ToChars(double Value, std::chars_format Format, int Precision) {
  char Text[512];
  const auto Result = std::to_chars(Text, Text + sizeof Text, Value, Format, Precision);
  return std::string(Text, Result.ptr);
}

// "1.50000e+12" becomes "1.5E12".
std::string Scientific(double Magnitude, int Significant) {
  const std::string Text = ToChars(Magnitude, std::chars_format::scientific, Significant - 1);
  const std::size_t E = Text.find('e');
  std::string Mantissa = Text.substr(0, E);
  if (Mantissa.find('.') != std::string::npos) {
    Mantissa.erase(Mantissa.find_last_not_of('0') + 1);
    if (Mantissa.back() == '.') Mantissa.pop_back();
  }
  std::string Exponent = Text.substr(E + 1);
  std::string Sign;
  if (Exponent[0] == '-') Sign = "-";
  Exponent.erase(0, 1);
  Exponent.erase(0, std::min(Exponent.find_first_not_of('0'), Exponent.size() - 1));
  return Mantissa + "E" + Sign + Exponent;
}

std::string Reference(double Value, int Decimals) {
  if (std::isnan(Value)) return "NaN";
  if (std::isinf(Value)) return Value < 0 ? "-Infinity" : "Infinity";
  const std::string Sign = std::signbit(Value) ? "-" : "";
  const int Significant = Decimals + 8;
  const double Magnitude = std::fabs(Value);
  // The digits of the integer part, before any rounding.
  const int IntegerDigits =
      Magnitude >= 1e19 ? 20 : static_cast<int>(std::to_string(static_cast<std::uint64_t>(Magnitude)).size());
  if (IntegerDigits <= Significant) {
    std::string Text = ToChars(Magnitude, std::chars_format::fixed, std::min(Decimals, Significant - IntegerDigits));
    if (Text.find('.') != std::string::npos) {
      Text.erase(Text.find_last_not_of('0') + 1);
      if (Text.back() == '.') Text.pop_back();
    }
    // Rounding may carry into one more digit: 10^Significant is written in scientific.
    if (static_cast<int>(std::min(Text.find('.'), Text.size())) <= Significant) return Text == "0" ? Text : Sign + Text;
  }
  return Sign + Scientific(Magnitude, Significant);
}

std::string Formatted(double Value, int Decimals) {
  char Text[detail::MaxRealLength + 8];
  // Bytes past the returned length must not matter: fill them with a marker.
  std::fill(std::begin(Text), std::end(Text), '#');
  const std::size_t Length = detail::FormatReal(Value, Decimals, Text);
  return std::string(Text, Length);
}

// Formats Count values from Next with every number of decimals in Decimals and
// expects each to equal the reference; reports the first few differences.
void ExpectExact(std::size_t Count, std::initializer_list<int> DecimalsList, const std::function<double()>& Next) {
  int Failures = 0;
  for (std::size_t Index = 0; Index < Count; ++Index) {
    const double Value = Next();
    for (int Decimals : DecimalsList) {
      const std::string Expected = Reference(Value, Decimals);
      const std::string Actual = Formatted(Value, Decimals);
      if (Actual == Expected) continue;
      if (++Failures <= 10) {
        char Hex[64];
        std::snprintf(Hex, sizeof Hex, "%a", Value);
        ADD_FAILURE() << "value " << Hex << " (" << ToChars(Value, std::chars_format::general, 17) << "), " << Decimals
                      << " decimals: got \"" << Actual << "\", expected \"" << Expected << "\"";
      }
    }
  }
  EXPECT_EQ(Failures, 0);
}

constexpr auto AllDecimals = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

// A double with a random 53-bit significand and a binary exponent in [Low, High].
double RandomDouble(std::mt19937_64& Random, int Low, int High) {
  const double Unit = 1.0 + static_cast<double>(Random() >> 12) * 0x1p-52;
  const double Magnitude = std::ldexp(Unit, std::uniform_int_distribution<int>(Low, High)(Random));
  return (Random() & 1) ? -Magnitude : Magnitude;
}

float RandomSingle(std::mt19937_64& Random, int Low, int High) {
  const float Unit = 1.0f + static_cast<float>(Random() >> 41) * 0x1p-23f;
  const float Magnitude = std::ldexp(Unit, std::uniform_int_distribution<int>(Low, High)(Random));
  return (Random() & 1) ? -Magnitude : Magnitude;
}

TEST(NumberFormatExactness, SinglesOfDrawingMagnitudes) {
  // What a drawing passes: singles from 2^-20 to 2^40, widened; four decimals as in
  // the canvas, and every other count on a share of them.
  std::mt19937_64 Random(1);
  ExpectExact(1500000, {4}, [&] { return static_cast<double>(RandomSingle(Random, -20, 40)); });
  ExpectExact(50000, AllDecimals, [&] { return static_cast<double>(RandomSingle(Random, -20, 40)); });
}

TEST(NumberFormatExactness, DoublesOfDrawingMagnitudes) {
  // Sums, products and trigonometry give doubles with all 53 bits in use.
  std::mt19937_64 Random(2);
  ExpectExact(1000000, {4}, [&] { return RandomDouble(Random, -20, 45); });
  ExpectExact(50000, AllDecimals, [&] { return RandomDouble(Random, -40, 60); });
}

TEST(NumberFormatExactness, DoublesWithShortSignificands) {
  // Doubles whose significand ends in nine, ten or more zero bits fall on either side
  // of the formatter's fast path for products that are exact; sums of two singles (a
  // coordinate plus an offset) land there too.
  std::mt19937_64 Random(5);
  ExpectExact(600000, {4}, [&] {
    const auto Bits = std::bit_cast<std::uint64_t>(RandomDouble(Random, -20, 30));
    const int Cleared = 9 + static_cast<int>(Random() % 44);
    return std::bit_cast<double>(Bits & ~((std::uint64_t{1} << Cleared) - 1));
  });
  ExpectExact(600000, {4},
              [&] { return static_cast<double>(RandomSingle(Random, -20, 26)) + RandomSingle(Random, -20, 26); });
}

TEST(NumberFormatExactness, EveryBitPattern) {
  // Random bit patterns reach subnormals, the largest magnitudes, infinities and NaNs.
  std::mt19937_64 Random(3);
  ExpectExact(500000, {4},
              [&] { return static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(Random()))); });
  ExpectExact(500000, {4}, [&] { return std::bit_cast<double>(Random()); });
  ExpectExact(20000, AllDecimals, [&] { return std::bit_cast<double>(Random()); });
}

TEST(NumberFormatExactness, ExactTiesAndTheirNeighbours) {
  // (2k + 1) / 2^(p + 1) lies exactly halfway between two numbers of p decimals;
  // the doubles next to it lie just off the halfway point.
  std::mt19937_64 Random(4);
  std::uint64_t Step = 0;
  double Tie = 0;
  ExpectExact(600000, {4}, [&] {
    const std::uint64_t Phase = Step++ % 3;
    if (Phase == 0) {
      const int Places = static_cast<int>(Random() % 5);
      const std::uint64_t Odd = 2 * (Random() >> (24 + Random() % 40)) + 1;
      Tie = std::ldexp(static_cast<double>(Odd), -(Places + 1)) * ((Random() & 1) ? -1 : 1);
      return Tie;
    }
    return std::nextafter(Tie, Phase == 1 ? -INFINITY : INFINITY);
  });
  ExpectExact(20000, AllDecimals, [&] {
    const int Places = static_cast<int>(Random() % 11);
    const std::uint64_t Odd = 2 * (Random() >> (24 + Random() % 40)) + 1;
    return std::ldexp(static_cast<double>(Odd), -(Places + 1));
  });
}

TEST(NumberFormatExactness, AroundPowersOfTen) {
  // Where the number of integer digits, the places kept and the notation change: a few
  // doubles on both sides of every power of ten and of every point where rounding
  // carries into a new digit (10^k - 10^-d / 2).
  std::vector<double> Values;
  for (int Exponent = -12; Exponent <= 22; ++Exponent) {
    const double Power = std::pow(10.0, Exponent);
    for (int Decimals = 0; Decimals <= 10; ++Decimals) {
      for (double Centre : {Power, Power - 0.5 * std::pow(10.0, -Decimals)}) {
        double Below = Centre, Above = Centre;
        for (int Step = 0; Step < 8; ++Step) {
          Values.push_back(Below);
          Values.push_back(-Above);
          Below = std::nextafter(Below, 0.0);
          Above = std::nextafter(Above, INFINITY);
        }
      }
    }
  }
  std::size_t Index = 0;
  ExpectExact(Values.size(), AllDecimals, [&] { return Values[Index++]; });
}

}  // namespace
}  // namespace fsvg::test
