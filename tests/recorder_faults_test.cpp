// What a hostile host may answer when the recording keeps its text layout: lines that
// overlap, and widths, metrics and positions no number can write. Each is refused by the
// call, in lent room that checks for overrun, and nothing is written.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

struct TWidthEach : TTextMeasurer {
  explicit TWidthEach(double Width) : Width(Width) {}
  double Width;
  double RunWidth(std::u16string_view Run) override { return Width * static_cast<double>(Run.size()); }
};

// Every character Width wide; its own metrics unless Ascent is 0; Overlapping lines
// of the whole text each, when not 0, instead of the layout.
struct THostileCanvas : TNullCanvas {
  using TNullCanvas::TNullCanvas;
  std::size_t Overlapping = 0;
  double Width = 10;
  float Ascent = 0, LineHeight = 0;
  std::unique_ptr<TTextMeasurer> DoCreateTextMeasurer() const override { return std::make_unique<TWidthEach>(Width); }
  TFontMetrics DoGetFontMetrics() const override {
    return Ascent == 0 ? TCanvas::DoGetFontMetrics() : TFontMetrics{Ascent, 0, LineHeight};
  }
  void DoMeasureLines(TLineMetricInfo& Lines, const TRectF& R, std::u16string_view Text, bool Wrap, TFillTextFlags F,
                      TTextAlign H, TTextAlign V) override {
    TCanvas::DoMeasureLines(Lines, R, Text, Wrap, F, H, V);
    if (Overlapping != 0) Lines.Metrics.assign(Overlapping, {0, Text.size(), {0, 0, 10, 10}});
  }
};

TEST(RecorderFaults, HostileLayoutAnswersAreRefusedAndWriteNothing) {
  const char* Overlap = "TSvgCanvas: the host laid out lines that hold more than the text";
  const char* Placed = "TSvgCanvas: the host laid a line of text out where no number can place it";
  const struct {
    std::size_t Overlapping;
    double Width;
    float Ascent, LineHeight, Size;
    const char* Error;
  } Cases[] = {{20, 10, 0, 0, 12, Overlap},
               {0, NAN, 0, 0, 12, Placed},
               {0, INFINITY, 0, 0, 12, Placed},
               {0, 1e300, 0, 0, 12, Placed},
               {0, 10, NAN, 14, 12, "TSvgCanvas: the host's font metrics are not finite"},
               {0, 10, 10, INFINITY, 12, Placed},
               {0, 10, 0, 0, FLT_MAX, Placed}};
  for (const auto& Case : Cases) {
    THostileCanvas Host(100, 50);
    Host.Overlapping = Case.Overlapping;
    Host.Width = Case.Width;
    Host.Ascent = Case.Ascent;
    Host.LineHeight = Case.LineHeight;
    Host.GetFont().Size = Case.Size;
    TCountingStream Stream;
    Stream.Lend = true;
    TSvgCanvas Canvas(&Stream, &Host, TSvgOptions::Faithful());
    const std::string Before = Stream.Text;
    const std::u16string Text = Case.Overlapping != 0 ? std::u16string(1000, u'"') : u"two\nlines";
    EXPECT_EQ(ErrorOf([&] { Canvas.FillText({0, 0, 100, 40}, Text, true, 1, {}, TTextAlign::Center); }), Case.Error);
    EXPECT_EQ(Stream.Text, Before);
  }
}

}  // namespace
}  // namespace fsvg::test
