// Text layout shared by every host that paints text: alignment and flags, font and line
// metrics, the measurer a host supplies, and LayoutText, which breaks and places the
// lines from the measurer's widths alone.
/// @file
/// The text layout every host that paints text shares: metrics, the measurer a host supplies, LayoutText.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "fsvg/export.h"
#include "fsvg/types.h"

namespace fsvg {
/// @addtogroup hostcanvas
/// @{

/// Options of text layout.
enum class TFillTextFlag {
  RightToLeft  ///< lay the text out from right to left
};
/// A set of text layout options.
using TFillTextFlags = TSet<TFillTextFlag>;

/// Alignment of text within its rectangle, on either axis.
enum class TTextAlign {
  Center,   ///< centred
  Leading,  ///< at the left (horizontally) or top (vertically) edge
  Trailing  ///< at the right (horizontally) or bottom (vertically) edge
};

/// Vertical metrics of a font as a host lays text out, in logical units.
///
///     fsvg::TFontMetrics Metrics = Canvas.GetFontMetrics();
///     float Baseline = Line.Rect.Top + Metrics.Ascent;  // Line from MeasureLines
///     float NextBaseline = Baseline + Metrics.LineHeight;
struct TFontMetrics {
  float Ascent = 0;      ///< baseline down from the top of a line
  float Descent = 0;     ///< bottom of a line down from the baseline
  float LineHeight = 0;  ///< distance between the baselines of two lines
};

/// Line metrics filled in by MeasureLines. The recording canvas reads them only under
/// TSvgOptions::TextLayout, to write each line where the host put it.
///
///     fsvg::TLineMetricInfo Lines;
///     Canvas.MeasureLines(Lines, {0, 0, 200, 100}, u"One two three", true, {}, fsvg::TTextAlign::Leading);
///     for (const auto& Line : Lines.Metrics) { /* Line.Index, Line.Length, Line.Rect */ }
class TLineMetricInfo {
 public:
  /// One laid-out line.
  struct TLineMetric {
    std::size_t Index = 0;   ///< first UTF-16 unit of the line within the text
    std::size_t Length = 0;  ///< its number of UTF-16 units
    TRectF Rect;             ///< the bounds it takes; its baseline lies at Rect.Top + the font's ascent
  };
  std::vector<TLineMetric> Metrics;  ///< the lines, first to last
};

/// How wide runs of text are in one font: all that a host supplies to the shared text
/// layout (LayoutText). A host implements RunWidth. Word wrap measures each line as it
/// grows a word at a time through StartLine and AppendToLine; by default those measure
/// the whole line again with RunWidth, which takes time quadratic in the length of a
/// line, so a host that can extend a measurement by a piece (carrying the kerning
/// across the join) overrides both and wraps in linear time.
///
///     struct TMonospace : TTextMeasurer {
///       double RunWidth(std::u16string_view Run) override { return 7.0 * Run.size(); }
///     };  // returned by a host's DoCreateTextMeasurer
/// @ingroup writinghost
class FSVG_API TTextMeasurer {
 public:
  virtual ~TTextMeasurer();
  /// The advance of Run set alone on one line, in logical units: where the pen stands
  /// after its last glyph, kerning included; 0 for an empty run. May be called between
  /// AppendToLine calls and must leave the line being built as it is.
  virtual double RunWidth(std::u16string_view Run) = 0;
  /// Begins a new, empty line.
  virtual void StartLine();
  /// Appends Piece, which starts at a character boundary, to the line begun by the
  /// last StartLine, and returns the advance of the whole line as RunWidth would give it.
  virtual double AppendToLine(std::u16string_view Piece);

 private:
  std::u16string FLine;
};

/// Lays AText out in ARect as every host that paints text does, filling ALines with
/// one metric per line, first to last (none for an empty text):
/// - Paragraphs end at line feeds; a carriage return before a line feed belongs to the
///   break. Each paragraph takes one line at least, an empty one too.
/// - With WordWrap, a paragraph breaks at the last space that keeps the line within the
///   rectangle's width (spaces at the break belong to neither line); a word wider than
///   the rectangle takes a line of its own and overflows it.
/// - Each line is as wide as AMeasurer's RunWidth of its text, and is placed by
///   ATextAlign: Leading at the left edge, Trailing at the right, Center between them.
///   RightToLeft swaps Leading and Trailing; glyphs still run in stored order.
/// - The lines are ALineHeight apart and high; the block of them is placed by
///   AVTextAlign: Leading at the top edge, Trailing at the bottom, Center between.
/// - A painter puts each line's baseline at its Rect.Top plus the font's ascent.
///
/// ARect may be given right to left or bottom to top. Throws EArgumentError when
/// an edge of ARect is not finite; an error of AMeasurer's reaches the caller unchanged.
/// ALines is left as it was whenever the layout throws.
/// @ingroup writinghost
FSVG_API void LayoutText(TLineMetricInfo& ALines, TTextMeasurer& AMeasurer, float ALineHeight, const TRectF& ARect,
                         std::u16string_view AText, bool WordWrap, TFillTextFlags Flags, TTextAlign ATextAlign,
                         TTextAlign AVTextAlign);

/// @}
}  // namespace fsvg
