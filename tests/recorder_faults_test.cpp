// What a hostile host may answer when the recording keeps its text layout: lines that
// overlap, and widths, metrics and positions no number can write. Each is refused by the
// call, in lent room that checks for overrun, and nothing is written.
#include <gtest/gtest.h>

#include <cfloat>
#include <tuple>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

// Every character Width wide (a static: the measurer is a canvas of its own), and
// Overlapping lines of the whole text each, when not 0, instead of the layout.
struct THostileCanvas : TLayingCanvas {
  using TLayingCanvas::TLayingCanvas;
  static inline double Width = 10;
  std::size_t Overlapping = 0;
  float Ascent = 0;  // the font's ascent, when not 0
  TFontMetrics DoGetFontMetrics() const override {
    TFontMetrics Metrics = TCanvas::DoGetFontMetrics();
    if (Ascent != 0) Metrics.Ascent = Ascent;
    return Metrics;
  }
  double RunWidth(std::u16string_view Run) override { return Width * static_cast<double>(Run.size()); }
  std::unique_ptr<TTextMeasurer> DoCreateTextMeasurer() const override { return std::make_unique<THostileCanvas>(); }
  void DoMeasureLines(TLineMetricInfo& Lines, const TRectF& R, std::u16string_view Text, bool Wrap, TFillTextFlags F,
                      TTextAlign H, TTextAlign V) override {
    TCanvas::DoMeasureLines(Lines, R, Text, Wrap, F, H, V);
    if (Overlapping != 0) Lines.Metrics.assign(Overlapping, {0, Text.size(), {0, 0, 10, 10}});
  }
};

// The metrics answer a NaN ascent, and the default ones overflow for a size of FLT_MAX.
TEST(RecorderFaults, HostileLayoutAnswersAreRefusedAndWriteNothing) {
  const char* Placed = "TSvgCanvas: the host laid a line of text out where no number can place it";
  const std::tuple<std::size_t, double, float, const char*> Cases[] = {
      {20, 10, 12, "TSvgCanvas: the host laid out lines that hold more than the text"},
      {0, NAN, 12, Placed},
      {0, INFINITY, 12, Placed},
      {0, 1e300, 12, Placed},
      {0, 10, 0, "TSvgCanvas: the host's font metrics are not finite"},
      {0, 10, FLT_MAX, Placed}};
  for (const auto& [Overlapping, Width, Size, Error] : Cases) {
    THostileCanvas Host(100, 50);
    Host.Overlapping = Overlapping;
    THostileCanvas::Width = Width;
    Host.GetFont().Size = Size == 0 ? 12 : Size;
    Host.Ascent = Size == 0 ? NAN : 0;
    TCountingStream Stream;
    Stream.Lend = true;
    TSvgCanvas Canvas(&Stream, &Host, TSvgOptions::Faithful());
    const std::u16string Text = Overlapping != 0 ? u"\"" : u"two\nlines";
    EXPECT_EQ(ErrorOf([&] { Canvas.FillText({0, 0, 100, 40}, Text, true, 1, {}, TTextAlign::Leading); }), Error);
    EXPECT_EQ(Stream.Calls, 1u);  // the header alone
  }
}

// The room a laid-out text is given: its runs' text (one long line of quotes, each six
// bytes escaped) and each line's markup (many short right-to-left lines), in lent room
// that refuses an overrun. A laid-out line keeps its stored order by an override when it
// is right to left or holds a right-to-left mark or character (of a script beyond the BMP
// too), and only then.
TEST(RecorderFaults, LaidOutTextFitsItsRoomAndKeepsItsOrder) {
  std::u16string ShortLines;
  for (int Line = 0; Line < 500; ++Line) ShortLines += u"\n\"";
  const std::tuple<std::u16string, bool, bool> Cases[] = {{std::u16string(1000, u'"'), true, true},
                                                          {ShortLines, true, true},
                                                          {u"a\u202B", false, true},
                                                          {u"a\U00010800", false, true},
                                                          {u"a\U0001E800", false, true},
                                                          {u"a\U0001F300", false, false}};
  for (const auto& [Text, RightToLeft, Overridden] : Cases) {
    THostileCanvas Host(100, 50);
    THostileCanvas::Width = 10;
    TCountingStream Stream;
    Stream.Lend = true;
    TSvgCanvas Canvas(&Stream, &Host, TSvgOptions::Faithful());
    const TFillTextFlags Flags = RightToLeft ? TFillTextFlags{TFillTextFlag::RightToLeft} : TFillTextFlags{};
    Canvas.FillText({0, 0, 100, 40}, Text, false, 1, Flags, TTextAlign::Leading);
    EXPECT_EQ(Stream.Calls, 2u);
    EXPECT_EQ(Holds(Stream.Text, "bidi-override"), Overridden);
  }
}

}  // namespace
}  // namespace fsvg::test
