// The text of real numbers: chosen examples, then millions of values against a slow
// reference, for every number of places. (What the writers make of integers, colours
// and text is in the golden scene, tests/golden/scene.svg.)
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <iterator>
#include <limits>
#include <random>
#include <sstream>

#include "encoders/numberformat.h"
#include "support/numberref.h"

namespace fsvg::test {
namespace {

// Out starts filled, so a byte the formatter fails to write shows.
std::string Formatted(double Value, int Decimals = 4) {
  char Out[detail::MaxRealLength];
  std::fill(std::begin(Out), std::end(Out), '#');
  return std::string(Out, detail::FormatReal(Value, Decimals, Out));
}

// The documented examples: halves to even, no signed zero, twelve significant digits at
// most, scientific from 10^12 up once rounded, and carries into it (found by fuzzing).
TEST(Numbers, DocumentedExamples) {
  const double Max = std::numeric_limits<double>::max(), Carry = std::bit_cast<double>(0x4197d783fffffd61ull);
  const double Values[] = {12.5,     -0.25, 1.0f / 3.0f,    1234.56789f,    -1.99999f,       0.03125,        0.09375,
                           -0.00004, -0.0,  99999999.99999, 12345678901.25, 100000000000.25, 999999999999.5, -2.5e300,
                           Max,      NAN,   -INFINITY};
  std::istringstream Expected(
      "12.5 -0.25 0.3333 1234.5679 -2 0.0312 0.0938 0 0 100000000 12345678901.2 100000000000 1E12 -2.5E300 "
      "1.79769313486E308 NaN -Infinity");
  for (const double Value : Values) EXPECT_EQ(Formatted(Value), *std::istream_iterator<std::string>(Expected)) << Value;
  // Other places keep twelve digits (the sweep has the carries), and never "-0".
  EXPECT_EQ(Formatted(12345678.1234567, 6), "12345678.1235");
  EXPECT_EQ(Formatted(Carry, 0), "100000000");
  EXPECT_EQ(Formatted(-0.004, 2), "0");
}

TEST(Numbers, RealNumbersAgreeWithTheReference) {
  const auto All = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  // Formats Value with each number of places and expects the reference; reports the first failure only.
  const auto Expect = [&](double Value, std::initializer_list<int> Places = {4}) {
    if (HasFailure()) return;
    for (const int Decimals : Places)
      EXPECT_EQ(Formatted(Value, Decimals), ReferenceReal(Value, Decimals))
          << std::hexfloat << Value << ", " << Decimals;
  };
  std::mt19937_64 Random(1);
  const auto Magnitude = [&](int Low, int High) {
    return std::ldexp(1.0 + static_cast<double>(Random() >> 12) * 0x1p-52,
                      std::uniform_int_distribution<int>(Low, High)(Random)) *
           ((Random() & 1) ? -1 : 1);
  };
  const auto Single = [&](int Low, int High) { return static_cast<double>(static_cast<float>(Magnitude(Low, High))); };
  // Singles as a drawing passes them, doubles with all 53 bits, doubles whose low bits
  // are zero (either side of the formatter's exact fast path), sums of two singles.
  for (int Index = 0; Index < 800000; ++Index) {
    Expect(Single(-20, 40), {4, Index % 7});
    if (Index < 500000) Expect(Magnitude(-20, 45));
    if (Index >= 300000) continue;
    const int Cleared = 9 + static_cast<int>(Random() % 44);
    Expect(std::bit_cast<double>(std::bit_cast<std::uint64_t>(Magnitude(-20, 30)) & ~((1ull << Cleared) - 1)));
    Expect(Single(-20, 26) + Single(-20, 26));
    // Every bit pattern: subnormals, the largest magnitudes, infinities and NaNs.
    Expect(std::bit_cast<float>(static_cast<std::uint32_t>(Random())));
    if (Index >= 100000) continue;
    // Exact ties (2k + 1) / 2^(p + 1) at p places, and the doubles next to them.
    const double Tie = std::ldexp(static_cast<double>(2 * (Random() >> (24 + Random() % 40)) + 1),
                                  -static_cast<int>(Random() % 12) - 1);
    Expect(Random() % 3 == 0 ? Tie : std::nextafter(Tie, (Random() & 1) ? 0.0 : 1e300), All);
    if (Index >= 30000) continue;
    // At every number of places: any double's bits, and magnitudes far out either way.
    Expect(std::bit_cast<double>(Random()), All);
    Expect(Magnitude(-40, 60), All);
  }
  // Both sides of every power of ten and of every point where rounding carries a digit.
  for (int Exponent = -12; Exponent <= 22; ++Exponent)
    for (int Decimals = 0; Decimals <= 10; ++Decimals)
      for (double Centre : {std::pow(10.0, Exponent), std::pow(10.0, Exponent) - 0.5 * std::pow(10.0, -Decimals)})
        for (double Step = 0, Below = Centre, Above = Centre; Step < 8; ++Step) {
          for (const double Value : {Below, -Above}) Expect(Value, All);
          Below = std::nextafter(Below, 0.0);
          Above = std::nextafter(Above, 1e300);
        }
}

}  // namespace
}  // namespace fsvg::test
