// Unit tests of TCairoCanvas: the conformance suite every host passes, and what is the
// Cairo host's own: the quality's smoothing, the surface's limit in its words, the errors
// Cairo reports, and text (conversion to UTF-8, the default family, layout, measuring,
// characters Cairo refuses).
#include "fsvg/cairocanvas.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <vector>

#include "support/hostsuite.h"

// cairo_status(3) answers "out of memory" when Countdown, less one at each call, reaches
// 0; the program's own definition takes precedence for the host too.
static int Countdown = 0;
extern "C" cairo_status_t cairo_status(cairo_t* Context) {
  static const auto Real = reinterpret_cast<decltype(&cairo_status)>(dlsym(RTLD_NEXT, "cairo_status"));
  return --Countdown == 0 ? CAIRO_STATUS_NO_MEMORY : Real(Context);
}

namespace fsvg::test {
namespace {

INSTANTIATE_TYPED_TEST_SUITE_P(Cairo, HostSuite, TCairoCanvas);

// The pixels partly covered at a level that is not a multiple of 1/16.
std::size_t CountFine(const TCairoCanvas& Canvas) {
  std::size_t Count = 0;
  for (std::int32_t Y = 0; Y < Canvas.GetPixelHeight(); ++Y)
    for (std::int32_t X = 0; X < Canvas.GetPixelWidth(); ++X)
      Count += (Canvas.Pixel(X, Y) >> 24) % 16 != 0 && Canvas.Pixel(X, Y) >> 24 != 255;
  return Count;
}

TEST(CairoCanvas, QualitySmoothingAndTheSurfaceLimitInItsWords) {
  // HighPerformance smooths edges with 16 levels of coverage, HighQuality with more.
  for (const TCanvasQuality Quality : {TCanvasQuality::HighPerformance, TCanvasQuality::HighQuality}) {
    TCairoCanvas Slanted(20, 20, 1, Quality);
    Slanted.FillPolygon({{1, 1}, {19, 7}, {5, 19}}, 1);
    EXPECT_EQ(CountFine(Slanted) > 0, Quality == TCanvasQuality::HighQuality);
  }
  EXPECT_ERROR(EArgumentError, TCairoCanvas(32768, 1),
               "TCairoCanvas: a surface of 32768 x 1 device pixels is larger than Cairo allows (32767 per side)");
}

// The tests' scene and a layer raise the error Cairo reports at each status the host reads ("E"),
// but for those that decide whether to paint, or to replace the measuring context (".");
// the last run reads fewer statuses than it is given.
TEST(CairoCanvas, RaisesTheErrorsCairoReports) {
  std::string Raised;
  for (int At = 1; Countdown <= 0; ++At) {  // until a run reads fewer statuses
    TCairoCanvas Canvas(10, 10);
    Countdown = At;
    Raised += ErrorOf<EHostError>([&] {
                DrawScene(TOpenCanvas(std::filesystem::path(), &Canvas));
                Canvas.BeginLayer(1);
                Canvas.EndLayer();
              }) == "no error"
                  ? '.'
                  : 'E';
  }
  Countdown = 0;
  EXPECT_EQ(Raised,
            "EE.EE.EE.EE.EE.EE.EE.EE.EE.EE.EE.EE.EE.EE.EE.EE.EE.EE.E.E.E.EE.E.E.E.EE.E.E.E.EE.EE.EE.EE.E.E.E.EE.E.E.E."
            "EE.E.E.E.EE.E.E.E.EE.E.E.E.EE.E.E.E.EE.E.E.E.EE.E.E.E.EE.E.E.E.EE.E.E.E.EE.EE.EE.EE.EEEE.EE.EE.EE.");
}

// Text: DejaVu Sans is what CI installs; the expectations hold for any scalable font.
TEST(CairoText, Wrapping) {
  TCairoCanvas Canvas(400, 200);
  // Word wrap breaks at the last space that keeps a line within the rectangle, as the
  // Cairo host measures it (a double space stays inside a line); a long word overflows.
  TLineMetricInfo Lines;
  const auto Broken = [&](const TRectF& Rect, std::u16string_view Text) {
    Canvas.MeasureLines(Lines, Rect, Text, true, {}, TTextAlign::Leading, TTextAlign::Leading);
    std::vector<std::size_t> Spans;
    for (const auto& Line : Lines.Metrics) Spans.insert(Spans.end(), {Line.Index, Line.Length});
    return Spans;
  };
  EXPECT_EQ(Broken({0, 0, Canvas.TextWidth(u"aaa  aaa") + 0.5f, 200}, u"aaa aaa aaa  aaa"),
            (std::vector<std::size_t>{0, 7, 8, 8}));
  EXPECT_EQ(Broken({0, 0, 10, 200}, u"aaa widerthanten"), (std::vector<std::size_t>{0, 3, 4, 12}));
  EXPECT_GT(Lines.Metrics[1].Rect.Width(), 10);
  // Word wrap measures kerned pairs ("AV") as they are painted: a line breaks just where
  // its width says it must.
  for (const float Slack : {0.01f, -0.01f})
    EXPECT_EQ(Broken({0, 0, Canvas.TextWidth(u"AV AV") + Slack, 20}, u"AV AV").size(), Slack > 0 ? 2u : 4u);
}

// Noncharacters (Cairo refuses them) and unpaired surrogates paint as U+FFFD; their
// neighbours, and pairs that only look like them, as themselves (DejaVu Sans has no
// glyph for these: its .notdef is narrower than U+FFFD).
TEST(CairoText, CharactersCairoRefusesPaintAsReplacements) {
  TCairoCanvas Canvas(100, 20);
  for (const std::u16string_view Text : {u"K\uFFFEK", u"K\uFFFFK", u"K\uFDD0K", u"K\uFDEFK", u"K\U0001FFFEK",
                                         u"K\U0010FFFFK", u"K\xD800K", u"K\xDFFFK"}) {
    EXPECT_EQ(Canvas.TextWidth(Text), Canvas.TextWidth(u"K\uFFFDK"));
    PaintText(Canvas, Text);  // painted, not refused
  }
  for (const std::u16string_view Text : {u"K\uFDCFK", u"K\uFDF0K", u"K\U000103FFK", u"K\U0001FFFDK"})
    EXPECT_NE(Canvas.TextWidth(Text), Canvas.TextWidth(u"K\uFFFDK"));
}

}  // namespace
}  // namespace fsvg::test
