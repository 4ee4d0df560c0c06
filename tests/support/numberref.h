// A slow reference for the real-number text, built another way than the formatter: it
// lets std::to_chars round (fixed, at the places allowed, exactly and halves to even)
// and applies the significant-digit rule and the switch to scientific notation itself.
// The exactness tests and the number fuzz target compare the formatter with it.
#pragma once

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace fsvg::test {

// Value with Precision places, trailing zeros of a fraction and then a bare point removed.
inline std::string ToChars(double Value, std::chars_format Format, int Precision) {
  char Text[512];
  std::string Result(Text, std::to_chars(Text, Text + sizeof Text, Value, Format, Precision).ptr);
  const std::size_t E = std::min(Result.find('e'), Result.size());
  if (Result.find('.') == std::string::npos) return Result;
  const std::size_t Kept = Result.find_last_not_of('0', E - 1);
  return Result.substr(0, Result[Kept] == '.' ? Kept : Kept + 1) + Result.substr(E);
}

inline std::string ReferenceReal(double Value, int Decimals) {
  if (std::isnan(Value)) return "NaN";
  if (std::isinf(Value)) return Value < 0 ? "-Infinity" : "Infinity";
  const std::string Sign = std::signbit(Value) ? "-" : "";
  const int Significant = 12;
  const double Magnitude = std::fabs(Value);
  const int IntegerDigits =
      Magnitude >= 1e19 ? 20 : static_cast<int>(std::to_string(static_cast<std::uint64_t>(Magnitude)).size());
  if (IntegerDigits <= Significant) {
    const std::string Text =
        ToChars(Magnitude, std::chars_format::fixed, std::min(Decimals, Significant - IntegerDigits));
    // Rounding may carry into one digit more: 10^Significant is written in scientific.
    if (static_cast<int>(std::min(Text.find('.'), Text.size())) <= Significant) return Text == "0" ? Text : Sign + Text;
  }
  // "1.50000e+12" becomes "1.5E12".
  const std::string Text = ToChars(Magnitude, std::chars_format::scientific, Significant - 1);
  const std::size_t E = Text.find('e');
  return Sign + Text.substr(0, E) + "E" + std::to_string(std::stoi(Text.substr(E + 1)));
}

}  // namespace fsvg::test
