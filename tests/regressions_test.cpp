// Regressions found by the fuzz targets (fuzz/), each an input that once broke a check.
#include <gtest/gtest.h>

#include <cstring>

#include "numberformat.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

std::string Formatted(double Value, int Decimals) {
  char Out[detail::MaxRealLength];
  return std::string(Out, detail::FormatReal(Value, Decimals, Out));
}

double FromBits(std::uint64_t Bits) {
  double Value;
  std::memcpy(&Value, &Bits, sizeof Value);
  return Value;
}

// fuzz_number: rounding that carries up to 10^(Decimals + 8) must switch to the
// scientific form, for every number of decimals, on either side of zero.
TEST(RegressionsFromFuzzing, CarryIntoTheScientificRange) {
  const struct {
    double Value;
    int Decimals;
    const char* Expected;
  } Cases[] = {
      // Found with a fast path for values below 10^8 that wrote "100000000".
      {FromBits(0x4197d783fffffd61), 0, "1E8"},
      {-FromBits(0x4197d783fffffd61), 0, "-1E8"},
      {99999999.5, 0, "1E8"},
      {99999999.4, 0, "99999999"},
      {999999999.95, 1, "1E9"},
      {99999999.99996, 4, "100000000"},
      {999999999999.5, 4, "1E12"},
      {9999999999.99999, 10, "9999999999.99999046"},
  };
  for (const auto& Case : Cases)
    EXPECT_EQ(Formatted(Case.Value, Case.Decimals), Case.Expected) << Case.Value << " with " << Case.Decimals;
}

}  // namespace
}  // namespace fsvg::test
