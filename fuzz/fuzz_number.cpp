// Fuzz target: the real-number text against the slow reference of the tests
// (tests/support/numberref.h), which lets std::to_chars round and applies the rules of
// significant digits and scientific notation itself.
//
// Input: eight bytes are the double's bits (every NaN, infinity and subnormal included);
// an optional ninth byte picks the places (0 to 10), four by default as in the canvas.
#include <cstdint>
#include <cstring>

#include "encoders/numberformat.h"
#include "fuzzsupport.h"
#include "support/numberref.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  if (Size < 8) return 0;
  double Value;
  std::memcpy(&Value, Data, 8);
  const int Decimals = Size > 8 ? Data[8] % 11 : 4;
  char Out[fsvg::detail::MaxRealLength];
  const std::string Actual(Out, fsvg::detail::FormatReal(Value, Decimals, Out));
  const std::string Expected = fsvg::test::ReferenceReal(Value, Decimals);
  if (Actual != Expected) fsvg::fuzz::Fail("the reference gives " + Expected, Actual);
  return 0;
}
