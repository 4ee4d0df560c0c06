// Text for the Qt host (see text.h).
#include "text.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

namespace fsvg::qthost {

namespace {

// FreeType renders no glyph larger than this many device pixels.
constexpr double MaxFontPixels = 65535;

QString ToQString(std::u16string_view Text) {
  return QString::fromUtf16(Text.data(), static_cast<qsizetype>(Text.size()));
}

// A device of 72 dots an inch, on which a font's point size is its pixel size.
const QImage& PointIsPixel() {
  static const QImage Device = [] {
    QImage Image(1, 1, QImage::Format_ARGB32_Premultiplied);
    Image.setDotsPerMeterX(2835);
    Image.setDotsPerMeterY(2835);
    return Image;
  }();
  return Device;
}

/// Runs in one font, scaled from RefSize; QFontMetricsF shapes each run whole, so
/// kerning runs across the line.
class TQtMeasurer : public TTextMeasurer {
 public:
  TQtMeasurer(const QFont& AFont, double Size) : FMetrics(AFont), FScale(Size / RefSize) {}
  double RunWidth(std::u16string_view Run) override {
    return Run.empty() ? 0 : FMetrics.horizontalAdvance(ToQString(Run)) * FScale;
  }

 private:
  QFontMetricsF FMetrics;
  double FScale;
};

}  // namespace

QFont RefFont(const TFont& AFont, double DeviceStretch) {
  if (QGuiApplication::instance() == nullptr) throw EMisuseError("TQtCanvas: text needs a QGuiApplication");
  if (!std::isfinite(AFont.Size)) throw EArgumentError("Font size must be finite");
  if (!(AFont.Size > 0)) throw EArgumentError("Font size must be positive");
  if (DeviceStretch * AFont.Size > MaxFontPixels) throw EArgumentError("Font size must not exceed 65535 device pixels");
  // Qt paints with the first of the families it has; its weights are the CSS ones.
  QStringList Families;
  for (const std::u16string& Family : FontFamilies(AFont)) Families.append(ToQString(Family));
  if (Families.empty()) Families.append(QStringLiteral("DejaVu Sans"));
  QFont Font;
  Font.setFamilies(Families);
  Font.setWeight(static_cast<QFont::Weight>(AFont.Weight));
  constexpr QFont::Style Styles[] = {QFont::StyleNormal, QFont::StyleItalic, QFont::StyleOblique};
  static_assert(std::size(Styles) == static_cast<std::size_t>(TFontSlant::Oblique) + 1);
  Font.setStyle(Styles[static_cast<std::size_t>(AFont.Slant)]);
  Font.setPointSizeF(RefSize);
  // Unhinted outlines and kerning: the layout of SVG renderers.
  Font.setHintingPreference(QFont::PreferNoHinting);
  Font.setKerning(true);
  return QFont(Font, &PointIsPixel());
}

TFontMetrics FontMetrics(const QFont& AFont, double Size) {
  const QFontMetricsF Metrics(AFont);
  const double Scale = Size / RefSize;
  return {static_cast<float>(Metrics.ascent() * Scale), static_cast<float>(Metrics.descent() * Scale),
          static_cast<float>(std::max(Metrics.lineSpacing(), Metrics.ascent() + Metrics.descent()) * Scale)};
}

std::unique_ptr<TTextMeasurer> CreateMeasurer(const QFont& AFont, double Size) {
  return std::make_unique<TQtMeasurer>(AFont, Size);
}

void AddTextPath(QPainterPath& Path, const QFont& AFont, double Size, std::u16string_view Text,
                 const TLineMetricInfo& Lines, float Ascent) {
  const double Scale = Size / RefSize;
  QPainterPath Glyphs;
  // Each line's characters keep their stored order, as every host paints them: a
  // left-to-right override before the line, which holds to its end, keeps Qt from
  // reordering right-to-left runs.
  for (const TLineMetricInfo::TLineMetric& Line : Lines.Metrics)
    Glyphs.addText(Line.Rect.Left / Scale, (Line.Rect.Top + Ascent) / Scale, AFont,
                   QChar(0x202D) + ToQString(Text.substr(Line.Index, Line.Length)));
  Path.addPath(QTransform::fromScale(Scale, Scale).map(Glyphs));
}

}  // namespace fsvg::qthost
