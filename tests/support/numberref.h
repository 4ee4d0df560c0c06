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

inline std::string ToChars(double Value, std::chars_format Format, int Precision) {
  char Text[512];
  return std::string(Text, std::to_chars(Text, Text + sizeof Text, Value, Format, Precision).ptr);
}

// Trailing zeros of a fraction, and then a bare point, removed.
inline std::string Trimmed(std::string Text) {
  if (Text.find('.') == std::string::npos) return Text;
  Text.erase(Text.find_last_not_of('0') + 1);
  if (Text.back() == '.') Text.pop_back();
  return Text;
}

inline std::string ReferenceReal(double Value, int Decimals) {
  if (std::isnan(Value)) return "NaN";
  if (std::isinf(Value)) return Value < 0 ? "-Infinity" : "Infinity";
  const std::string Sign = std::signbit(Value) ? "-" : "";
  const int Significant = Decimals + 8;
  const double Magnitude = std::fabs(Value);
  const int IntegerDigits =
      Magnitude >= 1e19 ? 20 : static_cast<int>(std::to_string(static_cast<std::uint64_t>(Magnitude)).size());
  if (IntegerDigits <= Significant) {
    const std::string Text =
        Trimmed(ToChars(Magnitude, std::chars_format::fixed, std::min(Decimals, Significant - IntegerDigits)));
    // Rounding may carry into one digit more: 10^Significant is written in scientific.
    if (static_cast<int>(std::min(Text.find('.'), Text.size())) <= Significant) return Text == "0" ? Text : Sign + Text;
  }
  // "1.50000e+12" becomes "1.5E12".
  const std::string Text = ToChars(Magnitude, std::chars_format::scientific, Significant - 1);
  const std::size_t E = Text.find('e');
  const int Exponent = std::stoi(Text.substr(E + 1));
  return Sign + Trimmed(Text.substr(0, E)) + "E" + std::to_string(Exponent);
}

}  // namespace fsvg::test
