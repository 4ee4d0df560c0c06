// The text layout every host that paints text shares: paragraphs, word wrap from the
// host's measurer, and the placing of the lines in their rectangle.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "fsvg/errors.h"
#include "fsvg/outline.h"
#include "fsvg/textlayout.h"

namespace fsvg {

TTextMeasurer::~TTextMeasurer() = default;

void TTextMeasurer::StartLine() { FLine.clear(); }

double TTextMeasurer::AppendToLine(std::u16string_view Piece) {
  FLine += Piece;
  return RunWidth(FLine);
}

void LayoutText(TLineMetricInfo& ALines, TTextMeasurer& AMeasurer, float ALineHeight, const TRectF& ARect,
                std::u16string_view AText, bool WordWrap, TFillTextFlags Flags, TTextAlign ATextAlign,
                TTextAlign AVTextAlign) {
  for (const float Edge : {ARect.Left, ARect.Top, ARect.Right, ARect.Bottom})
    if (!std::isfinite(Edge)) throw EArgumentError("Text rectangle must be finite");
  const TRectF Edges = Normalized(ARect);
  const double Left = Edges.Left, Top = Edges.Top, Right = Edges.Right, Bottom = Edges.Bottom;
  // Each line's width waits in its Rect.Right until the lines are placed.
  std::vector<TLineMetricInfo::TLineMetric> Lines;
  const auto AddLine = [&](std::size_t Start, std::size_t End) {
    const double Width = Start == End ? 0 : AMeasurer.RunWidth(AText.substr(Start, End - Start));
    Lines.push_back({Start, End - Start, {0, 0, static_cast<float>(Width), 0}});
  };
  std::size_t ParagraphStart = 0;
  while (!AText.empty() && ParagraphStart <= AText.size()) {
    std::size_t ParagraphEnd = std::min(AText.find(u'\n', ParagraphStart), AText.size());
    const std::size_t Next = ParagraphEnd + 1;
    if (ParagraphEnd > ParagraphStart && AText[ParagraphEnd - 1] == u'\r') --ParagraphEnd;
    if (!WordWrap) {
      AddLine(ParagraphStart, ParagraphEnd);
    } else {
      // The measurer's line runs from LineStart to the end of the word just appended;
      // a line that grows too wide keeps the words before it, and the word starts the next.
      std::size_t LineStart = ParagraphStart, LineEnd = ParagraphStart, Pos = ParagraphStart;
      bool HasWord = false;
      AMeasurer.StartLine();
      while (Pos < ParagraphEnd) {
        std::size_t WordStart = Pos;
        while (WordStart < ParagraphEnd && AText[WordStart] == u' ') ++WordStart;
        if (WordStart == ParagraphEnd) break;
        std::size_t WordEnd = WordStart;
        while (WordEnd < ParagraphEnd && AText[WordEnd] != u' ') ++WordEnd;
        const double Longer = AMeasurer.AppendToLine(AText.substr(LineEnd, WordEnd - LineEnd));
        if (HasWord && Longer > Right - Left) {
          AddLine(LineStart, LineEnd);
          LineStart = WordStart;
          AMeasurer.StartLine();
          AMeasurer.AppendToLine(AText.substr(WordStart, WordEnd - WordStart));
        }
        LineEnd = WordEnd;
        HasWord = true;
        Pos = WordEnd;
      }
      AddLine(LineStart, HasWord ? LineEnd : LineStart);
    }
    if (Next > AText.size()) break;
    ParagraphStart = Next;
  }

  // Right-to-left text mirrors the horizontal alignment.
  TTextAlign Horizontal = ATextAlign;
  if (Flags.Contains(TFillTextFlag::RightToLeft) && Horizontal != TTextAlign::Center)
    Horizontal = Horizontal == TTextAlign::Leading ? TTextAlign::Trailing : TTextAlign::Leading;
  const double BlockHeight = Lines.size() * static_cast<double>(ALineHeight);
  double BlockTop = Top;
  if (AVTextAlign == TTextAlign::Center) BlockTop = (Top + Bottom - BlockHeight) / 2;
  if (AVTextAlign == TTextAlign::Trailing) BlockTop = Bottom - BlockHeight;
  for (std::size_t I = 0; I < Lines.size(); ++I) {
    TRectF& Rect = Lines[I].Rect;
    const double LineWidth = Rect.Right;
    double LineLeft = Left;
    if (Horizontal == TTextAlign::Center) LineLeft = (Left + Right - LineWidth) / 2;
    if (Horizontal == TTextAlign::Trailing) LineLeft = Right - LineWidth;
    Rect.Left = static_cast<float>(LineLeft);
    Rect.Right = static_cast<float>(LineLeft + LineWidth);
    Rect.Top = static_cast<float>(BlockTop + I * static_cast<double>(ALineHeight));
    Rect.Bottom = Rect.Top + ALineHeight;
  }
  ALines.Metrics = std::move(Lines);
}

}  // namespace fsvg
