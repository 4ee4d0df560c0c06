// What a host canvas measures of text by default: the shared layout over the measurer
// the host makes (none: no line), and the text's bounds, width and height taken from
// those lines; metrics in proportion to the font's size.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <string_view>

#include "fsvg/hostcanvas.h"
#include "fsvg/textlayout.h"

namespace fsvg {

std::unique_ptr<TTextMeasurer> TCanvas::DoCreateTextMeasurer() const { return nullptr; }

void TCanvas::DoMeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                             TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  const std::unique_ptr<TTextMeasurer> Measurer = DoCreateTextMeasurer();
  if (!Measurer) {
    ALines.Metrics.clear();
    return;
  }
  LayoutText(ALines, *Measurer, GetFontMetrics().LineHeight, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
}

void TCanvas::DoMeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags,
                            TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  TLineMetricInfo Lines;
  DoMeasureLines(Lines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
  if (Lines.Metrics.empty()) {
    ARect.Right = ARect.Left;
    ARect.Bottom = ARect.Top;
    return;
  }
  TRectF Bounds = Lines.Metrics.front().Rect;
  for (const TLineMetricInfo::TLineMetric& Line : Lines.Metrics) {
    Bounds.Left = std::min(Bounds.Left, Line.Rect.Left);
    Bounds.Right = std::max(Bounds.Right, Line.Rect.Right);
  }
  Bounds.Bottom = Lines.Metrics.back().Rect.Bottom;
  ARect = Bounds;
}

float TCanvas::DoTextWidth(std::u16string_view AText) {
  TLineMetricInfo Lines;
  DoMeasureLines(Lines, {}, AText, false, {}, TTextAlign::Leading, TTextAlign::Leading);
  float Widest = 0;
  for (const TLineMetricInfo::TLineMetric& Line : Lines.Metrics) Widest = std::max(Widest, Line.Rect.Width());
  return Widest;
}

float TCanvas::DoTextHeight(std::u16string_view AText) {
  TLineMetricInfo Lines;
  DoMeasureLines(Lines, {}, AText, false, {}, TTextAlign::Leading, TTextAlign::Leading);
  return static_cast<float>(std::max<std::size_t>(1, Lines.Metrics.size()) *
                            static_cast<double>(GetFontMetrics().LineHeight));
}

TFontMetrics TCanvas::DoGetFontMetrics() const {
  const float Size = GetFont().Size;
  return {0.8f * Size, 0.2f * Size, 1.2f * Size};
}

}  // namespace fsvg
