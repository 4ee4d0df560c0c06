// Fuzz target: the real-number writer against a slow reference built another way. The
// reference expands the double into its exact decimal digits with a small big-integer,
// then rounds those digits as text, so no floating-point or std::to_chars step is shared
// with the writer.
//
// Input: eight bytes are the double's bits (every NaN, infinity and subnormal included);
// an optional ninth byte picks the decimal places (0 to 10), four by default as in the
// canvas.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzzsupport.h"
#include "numberformat.h"

namespace {

// A non-negative integer in base 10^9, least significant limb first.
class TBigInteger {
 public:
  explicit TBigInteger(std::uint64_t Value) {
    do {
      FLimbs.push_back(static_cast<std::uint32_t>(Value % Base));
      Value /= Base;
    } while (Value != 0);
  }

  void Multiply(std::uint32_t Factor) {
    std::uint64_t Carry = 0;
    for (std::uint32_t& Limb : FLimbs) {
      const std::uint64_t Product = std::uint64_t{Limb} * Factor + Carry;
      Limb = static_cast<std::uint32_t>(Product % Base);
      Carry = Product / Base;
    }
    while (Carry != 0) {
      FLimbs.push_back(static_cast<std::uint32_t>(Carry % Base));
      Carry /= Base;
    }
  }

  std::string Digits() const {
    std::string Text = std::to_string(FLimbs.back());
    for (std::size_t Index = FLimbs.size() - 1; Index-- > 0;) {
      const std::string Limb = std::to_string(FLimbs[Index]);
      Text += std::string(9 - Limb.size(), '0') + Limb;
    }
    return Text;
  }

 private:
  static constexpr std::uint64_t Base = 1000000000;
  std::vector<std::uint32_t> FLimbs;
};

// |Value| exactly as Digits / 10^FractionDigits; Digits has no leading zeros ("0" for 0).
struct TExact {
  std::string Digits;
  int FractionDigits = 0;
};

TExact ExactDecimal(double Magnitude) {
  if (Magnitude == 0) return {"0", 0};
  int Exponent = 0;
  // frexp gives [0.5, 1); times 2^53 it is an integer: Magnitude = Mantissa * 2^Exponent.
  const double Fraction = std::frexp(Magnitude, &Exponent);
  auto Mantissa = static_cast<std::uint64_t>(std::ldexp(Fraction, 53));
  Exponent -= 53;
  while (Mantissa % 2 == 0 && Exponent < 0) {
    Mantissa /= 2;
    ++Exponent;
  }
  TBigInteger Number(Mantissa);
  if (Exponent >= 0) {
    for (int Step = 0; Step < Exponent; ++Step) Number.Multiply(2);
    return {Number.Digits(), 0};
  }
  // m * 2^-k = m * 5^k / 10^k.
  for (int Step = 0; Step < -Exponent; ++Step) Number.Multiply(5);
  return {Number.Digits(), -Exponent};
}

// Keeps the first Keep digits of Digits (Keep may exceed its length: zeros follow) and
// rounds the rest away, halves to even. Returns the kept digits, possibly one longer
// after a carry.
std::string RoundDigits(const std::string& Digits, int Keep) {
  if (Keep < 0) return "0";
  std::string Kept = Digits.substr(0, static_cast<std::size_t>(std::min<int>(Keep, static_cast<int>(Digits.size()))));
  Kept.resize(static_cast<std::size_t>(Keep), '0');
  const std::string Rest =
      static_cast<std::size_t>(Keep) < Digits.size() ? Digits.substr(static_cast<std::size_t>(Keep)) : "";
  bool Up = false;
  if (!Rest.empty()) {
    const bool TailNonZero = Rest.find_first_not_of('0', 1) != std::string::npos;
    if (Rest[0] > '5' || (Rest[0] == '5' && TailNonZero))
      Up = true;
    else if (Rest[0] == '5')
      Up = !Kept.empty() && (Kept.back() - '0') % 2 == 1;  // an exact half: to even
  }
  if (Up) {
    int Index = static_cast<int>(Kept.size()) - 1;
    while (Index >= 0 && Kept[static_cast<std::size_t>(Index)] == '9') Kept[static_cast<std::size_t>(Index--)] = '0';
    if (Index < 0)
      Kept.insert(Kept.begin(), '1');
    else
      ++Kept[static_cast<std::size_t>(Index)];
  }
  if (Kept.empty()) Kept = "0";
  return Kept;
}

std::string StripLeadingZeros(std::string Digits) {
  const std::size_t First = Digits.find_first_not_of('0');
  return First == std::string::npos ? "0" : Digits.substr(First);
}

// Significant digits of Exact, rounded, as "d.dddEexp" without trailing zeros.
std::string Scientific(const TExact& Exact, int Significant, bool Negative) {
  const int Exponent = static_cast<int>(Exact.Digits.size()) - Exact.FractionDigits - 1;
  std::string Mantissa = RoundDigits(Exact.Digits, Significant);
  int FinalExponent = Exponent;
  if (static_cast<int>(Mantissa.size()) > Significant) {  // 9.99..5 became 10.00..
    Mantissa.pop_back();
    ++FinalExponent;
  }
  while (Mantissa.size() > 1 && Mantissa.back() == '0') Mantissa.pop_back();
  std::string Text = Negative ? "-" : "";
  Text += Mantissa[0];
  if (Mantissa.size() > 1) Text += "." + Mantissa.substr(1);
  return Text + "E" + std::to_string(FinalExponent);
}

std::string Reference(double Value, int Decimals) {
  if (std::isnan(Value)) return "NaN";
  if (std::isinf(Value)) return Value < 0 ? "-Infinity" : "Infinity";
  const int Significant = Decimals + 8;
  const bool Negative = std::signbit(Value);
  const TExact Exact = ExactDecimal(std::fabs(Value));

  const int IntegerDigits = std::max(1, static_cast<int>(Exact.Digits.size()) - Exact.FractionDigits);
  if (Exact.Digits != "0" && IntegerDigits > Significant) return Scientific(Exact, Significant, Negative);

  // Align to a whole number of "Places" decimals: Digits / 10^FractionDigits rounded to
  // Places decimals is the first (length - FractionDigits + Places) digits of Digits.
  const int Places = std::min(Decimals, Significant - IntegerDigits);
  const int Keep = static_cast<int>(Exact.Digits.size()) - Exact.FractionDigits + Places;
  const std::string Scaled = StripLeadingZeros(RoundDigits(Exact.Digits, Keep));
  if (Scaled == "0") return "0";
  // Scaled / 10^Places at or above 10^Significant: the scientific form.
  if (static_cast<int>(Scaled.size()) - Places > Significant) return Scientific(Exact, Significant, Negative);

  std::string Padded = Scaled;
  if (static_cast<int>(Padded.size()) <= Places)
    Padded.insert(0, static_cast<std::size_t>(Places) + 1 - Padded.size(), '0');
  std::string Whole = Padded.substr(0, Padded.size() - static_cast<std::size_t>(Places));
  std::string Fraction = Padded.substr(Padded.size() - static_cast<std::size_t>(Places));
  while (!Fraction.empty() && Fraction.back() == '0') Fraction.pop_back();
  std::string Text = Negative ? "-" : "";
  Text += Whole;
  if (!Fraction.empty()) Text += "." + Fraction;
  return Text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  if (Size < 8) return 0;
  std::uint64_t Bits;
  std::memcpy(&Bits, Data, 8);
  double Value;
  std::memcpy(&Value, &Bits, 8);
  const int Decimals = Size > 8 ? Data[8] % 11 : 4;

  char Out[fsvg::detail::MaxRealLength + 1];
  const std::size_t Length = fsvg::detail::FormatReal(Value, Decimals, Out);
  if (Length == 0 || Length > fsvg::detail::MaxRealLength) fsvg::fuzz::Fail("length out of range", "");
  const std::string Actual(Out, Length);
  const std::string Expected = Reference(Value, Decimals);
  if (Actual != Expected) {
    char Context[160];
    std::snprintf(Context, sizeof Context, "bits 0x%016llx, decimals %d: expected %s",
                  static_cast<unsigned long long>(Bits), Decimals, Expected.c_str());
    fsvg::fuzz::Fail(Context, Actual);
  }
  if (!fsvg::fuzz::IsRealNumber(Actual)) fsvg::fuzz::Fail("not in the number grammar", Actual);
  return 0;
}
