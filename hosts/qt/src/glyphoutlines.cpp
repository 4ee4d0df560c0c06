// Glyph outlines for the Qt host: each laid-out line shaped as the painting shapes it
// (QPainterPath::addText: the font at the reference size, the line inside a
// left-to-right override), its glyph runs read from a QTextLayout of the same text, and a
// face's outlines from its QRawFont, scaled from the reference size to font units.
#include <QGlyphRun>
#include <QRawFont>
#include <QString>
#include <QTextLayout>

#include <memory>
#include <string>

#include "fsvg/qtcanvas.h"
#include "text.h"

namespace fsvg {

namespace {

// A QRawFont at the reference size, known by its names, weight and style.
class TQtGlyphFace final : public TGlyphFace {
 public:
  TQtGlyphFace(const QRawFont& Font, std::string Key)
      : TGlyphFace(std::move(Key), static_cast<float>(Font.unitsPerEm())), FFont(Font) {}

  TPathData Outline(std::uint32_t AGlyph) const override {
    const QPainterPath Path = FFont.pathForGlyph(AGlyph);
    const double ToUnits = FFont.unitsPerEm() / FFont.pixelSize();
    const auto At = [&](int I) {
      const QPainterPath::Element& E = Path.elementAt(I);
      return TPointF{static_cast<float>(E.x * ToUnits), static_cast<float>(E.y * ToUnits)};
    };
    TPathData Result;
    for (int I = 0; I < Path.elementCount(); ++I) {
      switch (Path.elementAt(I).type) {
        case QPainterPath::MoveToElement:
          if (!Result.IsEmpty()) Result.ClosePath();
          Result.MoveTo(At(I));
          break;
        case QPainterPath::LineToElement:
          Result.LineTo(At(I));
          break;
        case QPainterPath::CurveToElement:
          Result.CurveTo(At(I), At(I + 1), At(I + 2));
          break;
        case QPainterPath::CurveToDataElement:  // taken with the curve
          break;
      }
    }
    if (!Result.IsEmpty()) Result.ClosePath();
    return Result;
  }

 private:
  QRawFont FFont;
};

std::string FaceKey(const QRawFont& Font) {
  const QString Key = Font.familyName() + u'/' + Font.styleName() + u'/' + QString::number(Font.weight()) + u'/' +
                      QString::number(static_cast<int>(Font.style()));
  return Key.toStdString();
}

}  // namespace

void TQtCanvas::DoMeasureGlyphs(TGlyphLines& AGlyphs, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                                TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  AGlyphs.Lines.clear();
  TLineMetricInfo Lines;
  MeasureLines(Lines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
  const float Ascent = GetFontMetrics().Ascent;
  const QFont Font = qthost::RefFont(GetFont());
  const double Scale = GetFont().Size / qthost::RefSize;
  // One face object a key, so that the runs of a text share it.
  std::vector<std::shared_ptr<const TGlyphFace>> Faces;
  const auto FaceFor = [&](const QRawFont& Raw) {
    std::string Key = FaceKey(Raw);
    for (const std::shared_ptr<const TGlyphFace>& Face : Faces)
      if (Face->GetKey() == Key) return Face;
    return Faces.emplace_back(std::make_shared<TQtGlyphFace>(Raw, std::move(Key)));
  };
  for (const TLineMetricInfo::TLineMetric& Line : Lines.Metrics) {
    const std::u16string_view Text = AText.substr(Line.Index, Line.Length);
    QTextLayout Layout(
        QChar(0x202D) + QString::fromUtf16(Text.data(), static_cast<qsizetype>(Text.size())) + QChar(0x202C), Font);
    Layout.setCacheEnabled(true);
    Layout.beginLayout();
    const QTextLine Laid = Layout.createLine();
    Layout.endLayout();
    TGlyphLines::TGlyphLine Result;
    if (Laid.isValid()) {
      const double Baseline = static_cast<double>(Line.Rect.Top) + Ascent;
      // The text's own glyphs, without the override's marks.
      for (const QGlyphRun& Run : Laid.glyphRuns(1, static_cast<int>(Text.size()))) {
        TGlyphRun Glyphs{FaceFor(Run.rawFont()), GetFont().Size, {}};
        const QList<quint32> Ids = Run.glyphIndexes();
        const QList<QPointF> Positions = Run.positions();
        for (qsizetype I = 0; I < Ids.size(); ++I)  // a position for each glyph
          Glyphs.Glyphs.push_back({Ids[I],
                                   {static_cast<float>(Line.Rect.Left + Positions[I].x() * Scale),
                                    static_cast<float>(Baseline + (Positions[I].y() - Laid.ascent()) * Scale)}});
        Result.Runs.push_back(std::move(Glyphs));
      }
    }
    AGlyphs.Lines.push_back(std::move(Result));
  }
}

}  // namespace fsvg
