// The paint engine's text: each text item becomes FillText calls, placed where Qt's
// raster engine puts its glyphs.
#include <QFontInfo>
#include <QTextItem>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "paintconvert.h"
#include "paintengine.h"

namespace fsvg::detail {

// Where Qt's raster engine puts a text's glyphs when the painter neither rotates nor
// shears nor mirrors: each baseline on a whole device pixel (halves down), each glyph's
// left edge at most a quarter of a pixel left of its place (Qt's glyph cache has four
// horizontal positions, rounding down). One SVG text element moves all its glyphs
// alike: the text is cut where a glyph's move would differ from its run's by more than
// ShiftTolerance, and each run moved by the middle of its glyphs' moves. Most labels
// stay whole; a run is a text element of its own.
std::vector<TCanvasPaintEngine::TTextRun> TCanvasPaintEngine::RasterRuns(const QPointF& Point,
                                                                         const QTextItem& Item) const {
  constexpr double ShiftTolerance = 1.0 / 16;
  const QString Text = Item.text();
  const QTransform Device = ToCanvas();
  if (Device.type() > QTransform::TxScale || Device.m11() <= 0 || Device.m22() <= 0)
    return {{0, Text.size(), Point, Item.width()}};
  const QPointF At = Device.map(Point);
  const QTransform Back = Device.inverted();
  const double Baseline = std::floor(At.y() + 0.5);
  if (Item.renderFlags().testFlag(QTextItem::RightToLeft))
    return {{0, Text.size(), Back.map(QPointF(At.x(), Baseline)), Item.width()}};
  QTextLayout Layout(Text, Item.font(), paintDevice());
  Layout.beginLayout();
  const QTextLine Line = Layout.createLine();
  Layout.endLayout();
  std::vector<TTextRun> Runs;
  qsizetype Start = 0;
  double Low = 0;
  double High = -1;  // no glyph yet
  auto Close = [&](qsizetype End) {
    const double Left = Line.cursorToX(static_cast<int>(Start));
    const double Shift = High < Low ? 0 : (Low + High) / 2;
    const QPointF Origin = Back.map(QPointF(At.x() + Left * Device.m11() - Shift, Baseline));
    Runs.push_back({Start, End - Start, Origin, Line.cursorToX(static_cast<int>(End)) - Left});
  };
  for (qsizetype I = 0; I < Text.size(); ++I) {
    if (Text[I].isSpace() || !Layout.isValidCursorPosition(static_cast<int>(I))) continue;
    const double Left = At.x() + Line.cursorToX(static_cast<int>(I)) * Device.m11();
    const double Shift = Left - std::floor(Left * 4) / 4;
    if (High >= Low && (std::max(High, Shift) - std::min(Low, Shift) > 2 * ShiftTolerance)) {
      Close(I);
      Start = I;
      High = -1;
    }
    Low = High < Low ? Shift : std::min(Low, Shift);
    High = High < Shift ? Shift : High;
  }
  Close(Text.size());
  return Runs;
}

// One run of text at its baseline: the rectangle is as high as the font's ascent, so
// that a recording that writes text at the rectangle's bottom and one that writes it
// where the host lays out its first line agree.
void TCanvasPaintEngine::drawTextItem(const QPointF& Point, const QTextItem& Item) {
  Drawing([&] {
    const QFont Font = Item.font();
    TFont& Target = FCanvas->GetFont();
    // The family Qt painted with first (fontconfig resolves an alias such as "Sans Serif",
    // which renderers do not know), then the one asked for.
    const QString Painted = QFontInfo(Font).family();
    Target.Family = (Painted.isEmpty() || Painted == Font.family() ? Font.family() : Painted + ", " + Font.family())
                        .toStdU16String();
    const double Dpi = paintDevice()->logicalDpiY();
    Target.Size = static_cast<float>(Font.pixelSize() > 0 ? Font.pixelSize() : Font.pointSizeF() * Dpi / 72);
    Target.Weight = std::clamp(static_cast<int>(Font.weight()), 100, 900);
    Target.Slant = Font.style() == QFont::StyleItalic    ? TFontSlant::Italic
                   : Font.style() == QFont::StyleOblique ? TFontSlant::Oblique
                                                         : TFontSlant::Normal;
    const QRectF Bounds(Point.x(), Point.y() - Item.ascent(), Item.width(), Item.ascent() + Item.descent());
    TBrush Fill;
    const QPen& Pen = painter()->pen();
    if (!MakeFill(Pen.brush(), Bounds, Fill)) Fill = TBrush(TBrushKind::Solid, ToColor(Pen.color()));
    FCanvas->SetFill(Fill);
    const float Ascent = FCanvas->GetFontMetrics().Ascent;
    TFillTextFlags Flags;
    if (Item.renderFlags().testFlag(QTextItem::RightToLeft)) Flags.Include(TFillTextFlag::RightToLeft);
    const QString Text = Item.text();
    for (const TTextRun& Run : RasterRuns(Point, Item)) {
      const float X = static_cast<float>(Run.Origin.x());
      const float Y = static_cast<float>(Run.Origin.y());
      FCanvas->FillText({X, Y - Ascent, X + std::max(1.0f, static_cast<float>(Run.Width)), Y},
                        Text.mid(Run.Start, Run.Length).toStdU16String(), false, Opacity(), Flags, TTextAlign::Leading,
                        TTextAlign::Leading);
    }
  });
}

}  // namespace fsvg::detail
