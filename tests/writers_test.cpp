// The value writers: real numbers, integers, colours, texts and byte blocks, each
// alone in an otherwise empty stream, and the number of stream calls each makes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

// Exposes the protected writers over a counting stream.
class TWriterCanvas : public TSvgCanvas {
 public:
  explicit TWriterCanvas(TCountingStream* Stream) : TSvgCanvas(Stream, &Host) {}
  using TSvgCanvas::Write;
  using TSvgCanvas::WriteColor;
  using TSvgCanvas::WriteEscaped;

 private:
  inline static TNullCanvas Host;
};

// What a single writer call adds to the stream, and how many stream calls it makes.
struct TWritten {
  std::string Text;
  std::size_t Calls;
};

template <typename Writer>
TWritten Written(Writer&& Call) {
  TCountingStream Stream;
  TWriterCanvas Canvas(&Stream);
  const std::size_t Before = Stream.Calls;
  Stream.Text.clear();
  Call(Canvas);
  return {Stream.Text, Stream.Calls - Before};
}

std::string Real(double Value) {
  return Written([&](TWriterCanvas& C) { C.Write(Value); }).Text;
}

TEST(RealWriter, GivesTheDocumentedTextForEachExample) {
  const struct {
    double Value;
    const char* Expected;
  } Cases[] = {
      {12.5, "12.5"},
      {3, "3"},
      {0, "0"},
      {100, "100"},
      {-0.25, "-0.25"},
      {1.0f / 3.0f, "0.3333"},
      {2.0f / 3.0f, "0.6667"},
      {0.1f, "0.1"},
      {1234.56789f, "1234.5679"},
      {99.99995f, "99.9999"},
      {-1.99999f, "-2"},
      {0.00006f, "0.0001"},
      {0.00004f, "0"},
      {123456789.123456, "123456789.123"},
      {16777216.25, "16777216.25"},
  };
  for (const auto& Case : Cases) EXPECT_EQ(Real(Case.Value), Case.Expected) << Case.Value;
}

TEST(RealWriter, ChoicesAtTheEdges) {
  const struct {
    double Value;
    const char* Expected;
  } Cases[] = {
      // Exact halves go to the even last digit.
      {0.03125, "0.0312"},
      {0.09375, "0.0938"},
      {-0.03125, "-0.0312"},
      {2.5e-5, "0"},
      {7.5e-5, "0.0001"},
      // Nothing rounds to a signed zero.
      {-0.0, "0"},
      {-0.00004, "0"},
      {-1e-300, "0"},
      {std::numeric_limits<double>::denorm_min(), "0"},
      // Twelve significant digits at most; the switch to scientific at 10^12.
      {99999999.99999, "100000000"},
      {12345678901.25, "12345678901.2"},
      {999999999999.4, "999999999999"},
      {999999999999.5, "1E12"},
      {1e12, "1E12"},
      {1.5e12, "1.5E12"},
      {-2.5e300, "-2.5E300"},
      {1e20, "1E20"},
      {123456789012345678.0, "1.23456789012E17"},
      {std::numeric_limits<double>::max(), "1.79769313486E308"},
      // Non-finite values stay well-formed XML.
      {std::numeric_limits<double>::quiet_NaN(), "NaN"},
      {std::numeric_limits<double>::infinity(), "Infinity"},
      {-std::numeric_limits<double>::infinity(), "-Infinity"},
  };
  for (const auto& Case : Cases) EXPECT_EQ(Real(Case.Value), Case.Expected) << Case.Value;
}

TEST(StringWriter, EncodesUtf16AsUtf8InOneCall) {
  const struct {
    std::u16string Text;
    std::string Expected;
  } Cases[] = {
      {u"plain <&\"> kept", "plain <&\"> kept"},
      {u"\u00E9\u03B1\u0416", "\xC3\xA9\xCE\xB1\xD0\x96"},
      {u"\u20AC\uFFFD", "\xE2\x82\xAC\xEF\xBF\xBD"},
      {u"\U0001F600x\U00010000", "\xF0\x9F\x98\x80x\xF0\x90\x80\x80"},
      // An unpaired surrogate, high or low, leading or trailing, becomes U+FFFD.
      {std::u16string{u'a', char16_t(0xD800), u'b'},
       "a\xEF\xBF\xBD"
       "b"},
      {std::u16string{char16_t(0xDC00), u'b'},
       "\xEF\xBF\xBD"
       "b"},
      {std::u16string{u'a', char16_t(0xDBFF)}, "a\xEF\xBF\xBD"},
  };
  for (const auto& Case : Cases) {
    const TWritten Out = Written([&](TWriterCanvas& C) { C.Write(std::u16string_view(Case.Text)); });
    EXPECT_EQ(Out.Text, Case.Expected);
    EXPECT_EQ(Out.Calls, 1u);
    const TBytes Bytes = ToUtf8(Case.Text);
    EXPECT_EQ(std::string(Bytes.begin(), Bytes.end()), Case.Expected);
  }
}

}  // namespace
}  // namespace fsvg::test
