// The value writers: real numbers (chosen examples, then millions of values against a
// slow reference), integers, colours, and UTF-16 text plain and escaped for XML, each
// written alone, in one stream call, into exactly the room it asked for.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <limits>
#include <random>

#include "numberformat.h"
#include "support/numberref.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

// What one writer call adds to a stream that lends exactly the room asked for.
template <typename Writer>
std::string Written(Writer&& Call) {
  TCountingStream Stream;
  Stream.Lend = true;
  TNullCanvas Host;
  TOpenCanvas Canvas(&Stream, &Host);
  Stream.Text.clear();
  const std::size_t Before = Stream.Calls;
  Call(Canvas);
  EXPECT_LE(Stream.Calls - Before, 1u);
  return Stream.Text;
}

std::string Formatted(double Value, int Decimals = 4) {
  char Out[detail::MaxRealLength];
  return std::string(Out, detail::FormatReal(Value, Decimals, Out));
}

TEST(Writers, RealNumbers) {
  const double Max = std::numeric_limits<double>::max();
  const struct {
    double Value;
    int Decimals;
    const char* Expected;
  } Cases[] = {
      {12.5, 4, "12.5"},
      {3, 4, "3"},
      {100, 4, "100"},
      {-0.25, 4, "-0.25"},
      {1.0f / 3.0f, 4, "0.3333"},
      {2.0f / 3.0f, 4, "0.6667"},
      {0.1f, 4, "0.1"},
      {1234.56789f, 4, "1234.5679"},
      {-1.99999f, 4, "-2"},
      {0.00006f, 4, "0.0001"},
      {0.00004f, 4, "0"},
      {123456789.123456, 4, "123456789.123"},
      // Exact halves go to the even last digit; nothing rounds to a signed zero.
      {0.03125, 4, "0.0312"},
      {0.09375, 4, "0.0938"},
      {-0.03125, 4, "-0.0312"},
      {2.5e-5, 4, "0"},
      {-0.0, 4, "0"},
      {-1e-300, 4, "0"},
      {std::numeric_limits<double>::denorm_min(), 4, "0"},
      // Twelve significant digits at most; from 10^12 up, once rounded, scientific.
      {99999999.99999, 4, "100000000"},
      {12345678901.25, 4, "12345678901.2"},
      {999999999999.4, 4, "999999999999"},
      {999999999999.5, 4, "1E12"},
      {1.5e12, 4, "1.5E12"},
      {-2.5e300, 4, "-2.5E300"},
      {Max, 4, "1.79769313486E308"},
      {123456789012345678.0, 4, "1.23456789012E17"},
      {std::numeric_limits<double>::quiet_NaN(), 4, "NaN"},
      {std::numeric_limits<double>::infinity(), 4, "Infinity"},
      {-Max * 2, 4, "-Infinity"},
      // Other numbers of places; rounding that carries into the scientific range (found by fuzzing).
      {std::bit_cast<double>(0x4197d783fffffd61ull), 0, "1E8"},
      {-99999999.5, 0, "-1E8"},
      {99999999.4, 0, "99999999"},
      {999999999.95, 1, "1E9"},
      {9999999999.99999, 10, "9999999999.99999046"},
  };
  for (const auto& Case : Cases) EXPECT_EQ(Formatted(Case.Value, Case.Decimals), Case.Expected) << Case.Value;
  EXPECT_EQ(Written([](TOpenCanvas& C) { C.Write(-1.5e12); }), "-1.5E12");
}

// Formats Count values from Next with each number of places and expects the reference.
void ExpectExact(std::size_t Count, std::initializer_list<int> Places, const std::function<double()>& Next) {
  int Failures = 0;
  for (std::size_t Index = 0; Index < Count; ++Index) {
    const double Value = Next();
    for (const int Decimals : Places)
      if (Formatted(Value, Decimals) != ReferenceReal(Value, Decimals) && ++Failures <= 10)
        ADD_FAILURE() << std::hexfloat << Value << " with " << Decimals << " places: " << Formatted(Value, Decimals)
                      << ", expected " << ReferenceReal(Value, Decimals);
  }
}

TEST(Writers, RealNumbersAgreeWithTheReference) {
  const auto All = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  std::mt19937_64 Random(1);
  const auto Magnitude = [&](int Low, int High) {
    return std::ldexp(1.0 + static_cast<double>(Random() >> 12) * 0x1p-52,
                      std::uniform_int_distribution<int>(Low, High)(Random)) *
           ((Random() & 1) ? -1 : 1);
  };
  // Singles as a drawing passes them, doubles with all 53 bits, doubles whose low bits
  // are zero (either side of the formatter's exact fast path), sums of two singles.
  ExpectExact(800000, {4}, [&] { return static_cast<double>(static_cast<float>(Magnitude(-20, 40))); });
  ExpectExact(500000, {4}, [&] { return Magnitude(-20, 45); });
  ExpectExact(300000, {4}, [&] {
    const int Cleared = 9 + static_cast<int>(Random() % 44);
    return std::bit_cast<double>(std::bit_cast<std::uint64_t>(Magnitude(-20, 30)) & ~((1ull << Cleared) - 1));
  });
  ExpectExact(300000, {4}, [&] {
    return static_cast<double>(static_cast<float>(Magnitude(-20, 26))) + static_cast<float>(Magnitude(-20, 26));
  });
  // Every bit pattern: subnormals, the largest magnitudes, infinities and NaNs.
  ExpectExact(300000, {4},
              [&] { return static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(Random()))); });
  ExpectExact(30000, All, [&] { return std::bit_cast<double>(Random()); });
  ExpectExact(30000, All, [&] { return Magnitude(-40, 60); });
  // Exact ties (2k + 1) / 2^(p + 1) at p places, and the doubles next to them.
  ExpectExact(100000, All, [&] {
    const double Tie = std::ldexp(static_cast<double>(2 * (Random() >> (24 + Random() % 40)) + 1),
                                  -static_cast<int>(Random() % 12) - 1);
    return Random() % 3 == 0 ? Tie : std::nextafter(Tie, (Random() & 1) ? 0.0 : 1e300);
  });
  // Both sides of every power of ten and of every point where rounding carries a digit.
  std::vector<double> Edges;
  for (int Exponent = -12; Exponent <= 22; ++Exponent)
    for (int Decimals = 0; Decimals <= 10; ++Decimals)
      for (double Centre : {std::pow(10.0, Exponent), std::pow(10.0, Exponent) - 0.5 * std::pow(10.0, -Decimals)})
        for (double Step = 0, Below = Centre, Above = Centre; Step < 8; ++Step) {
          Edges.insert(Edges.end(), {Below, -Above});
          Below = std::nextafter(Below, 0.0), Above = std::nextafter(Above, 1e300);
        }
  std::size_t Next = 0;
  ExpectExact(Edges.size(), All, [&] { return Edges[Next++]; });
}

TEST(Writers, IntegersColoursAndBytes) {
  EXPECT_EQ(Written([](TOpenCanvas& C) { C.Write(std::int32_t{-2147483647 - 1}); }), "-2147483648");
  EXPECT_EQ(Written([](TOpenCanvas& C) { C.Write(std::int32_t{0}); }), "0");
  EXPECT_EQ(Written([](TOpenCanvas& C) { C.WriteColor(0x800A0BFC); }), "#0A0BFC");
  EXPECT_EQ(Written([](TOpenCanvas& C) { C.WriteColor(0xFFF0E1D2); }), "#F0E1D2");
  const std::uint8_t Bytes[] = {'<', 0, 0xFF};
  EXPECT_EQ(Written([&](TOpenCanvas& C) { C.Write(std::span(Bytes)); }), std::string("<\0\xFF", 3));
  EXPECT_EQ(Written([&](TOpenCanvas& C) {
              C.Write(std::span(Bytes, 0));
              C.Write(std::string_view());
            }),
            "");
}

TEST(Writers, TextAsUtf8PlainAndEscaped) {
  const std::string Replacement = "\xEF\xBF\xBD";
  const struct {
    std::u16string Text;
    std::string Plain, Xml;
  } Cases[] = {
      {u"plain <&\"> kept", "plain <&\"> kept", "plain &lt;&amp;&quot;&gt; kept"},
      {u"0123456789abcdefXYZ", "0123456789abcdefXYZ", "0123456789abcdefXYZ"},
      {u"\u00E9\u03B1\u0416\u20AC\uFFFD", "\xC3\xA9\xCE\xB1\xD0\x96\xE2\x82\xAC\xEF\xBF\xBD", ""},
      {u"\U0001F600x\U00010000\U0010FFFD", "\xF0\x9F\x98\x80x\xF0\x90\x80\x80\xF4\x8F\xBF\xBD", ""},
      // Units from U+8000 up, and C0 controls, among the first eight of a plain run.
      {u"\u8000abcdefgh",
       "\xE8\x80\x80"
       "abcdefgh",
       ""},
      {u"abcdefg\uFFFFhijklmnop", "abcdefg\xEF\xBF\xBFhijklmnop", "abcdefg" + Replacement + "hijklmnop"},
      {u"abc\u0001defghijk\u001F",
       "abc\x01"
       "defghijk\x1F",
       "abc" + Replacement + "defghijk" + Replacement},
      {u"12345678\t\n\r\u007F\uFFFE>", "12345678\t\n\r\x7F\xEF\xBF\xBE>", "12345678\t\n\r\x7F" + Replacement + "&gt;"},
      // An unpaired surrogate, high or low, leading or trailing, becomes U+FFFD.
      {std::u16string{u'a', char16_t(0xD800), u'b'}, "a" + Replacement + "b", ""},
      {std::u16string{char16_t(0xDC00), u'b', char16_t(0xDBFF)}, Replacement + "b" + Replacement, ""},
      {std::u16string{char16_t(0xDBFF), char16_t(0xDBFF), char16_t(0xDFFF)}, Replacement + "\xF4\x8F\xBF\xBF", ""},
  };
  for (const auto& Case : Cases) {
    const std::string Xml = Case.Xml.empty() ? Case.Plain : Case.Xml;
    // Once, and long enough that its room is counted exactly.
    for (const int Times : {1, 120}) {
      std::u16string Text;
      std::string Plain, Escaped;
      for (int Time = 0; Time < Times; ++Time)
        Text += Case.Text + u"|", Plain += Case.Plain + "|", Escaped += Xml + "|";
      EXPECT_EQ(Written([&](TOpenCanvas& C) { C.Write(std::u16string_view(Text)); }), Plain);
      EXPECT_EQ(Written([&](TOpenCanvas& C) { C.WriteEscaped(Text); }), Escaped);
      const TBytes Bytes = ToUtf8(Text);
      EXPECT_EQ(std::string(Bytes.begin(), Bytes.end()), Plain);
    }
  }
}

}  // namespace
}  // namespace fsvg::test
