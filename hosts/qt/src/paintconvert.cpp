// Qt's values as the canvas's: points, rectangles, colours, blend modes, paths,
// gradients and pixels.
#include "paintconvert.h"

#include <QLinearGradient>
#include <QPixmap>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <vector>

namespace fsvg::detail {

TPointF ToPoint(const QPointF& P) { return {static_cast<float>(P.x()), static_cast<float>(P.y())}; }

TRectF ToRect(const QRectF& R) {
  return {static_cast<float>(R.left()), static_cast<float>(R.top()), static_cast<float>(R.right()),
          static_cast<float>(R.bottom())};
}

TAlphaColor ToColor(const QColor& C) { return C.rgba(); }

TBlendMode ToBlend(QPainter::CompositionMode Mode) {
  switch (Mode) {
    case QPainter::CompositionMode_Multiply:
      return TBlendMode::Multiply;
    case QPainter::CompositionMode_Screen:
      return TBlendMode::Screen;
    case QPainter::CompositionMode_Overlay:
      return TBlendMode::Overlay;
    case QPainter::CompositionMode_Darken:
      return TBlendMode::Darken;
    case QPainter::CompositionMode_Lighten:
      return TBlendMode::Lighten;
    case QPainter::CompositionMode_Difference:
      return TBlendMode::Difference;
    default:
      return TBlendMode::Normal;
  }
}

bool HasCurves(const QPainterPath& Shape) {
  for (int I = 0; I < Shape.elementCount(); ++I)
    if (Shape.elementAt(I).isCurveTo()) return true;
  return false;
}

TPathData ToPath(const QPainterPath& Path) {
  TPathData Result;
  Result.FillRule = Path.fillRule() == Qt::OddEvenFill ? TFillRule::EvenOdd : TFillRule::NonZero;
  QPointF Start;
  int Steps = 0;
  for (int I = 0; I < Path.elementCount(); ++I) {
    const QPainterPath::Element E = Path.elementAt(I);
    if (E.isMoveTo()) {
      Result.MoveTo(ToPoint(E));
      Start = E;
      Steps = 0;
      continue;
    }
    const bool Last = I + 1 == Path.elementCount() || Path.elementAt(I + 1).isMoveTo();
    if (E.isLineTo()) {
      if (!(Last && Steps > 1 && QPointF(E) == Start)) Result.LineTo(ToPoint(E));
    } else {  // a curve's two further points follow it
      Result.CurveTo(ToPoint(E), ToPoint(Path.elementAt(I + 1)), ToPoint(Path.elementAt(I + 2)));
      I += 2;
    }
    ++Steps;
    const QPointF End = Path.elementAt(I);
    const bool SubpathEnds = I + 1 == Path.elementCount() || Path.elementAt(I + 1).isMoveTo();
    if (SubpathEnds && Steps > 1 && End == Start) Result.ClosePath();
  }
  return Result;
}

TGradientSpread ToSpread(QGradient::Spread Spread) {
  switch (Spread) {
    case QGradient::ReflectSpread:
      return TGradientSpread::Reflect;
    case QGradient::RepeatSpread:
      return TGradientSpread::Repeat;
    default:
      return TGradientSpread::Pad;
  }
}

// Gradient coordinates mapped by Map into the painter's: a linear gradient's isolines
// stay parallel under an affine map, so its end is placed along their new normal; a
// radial one keeps its shape under rotation and uniform scale only, and gets the mean
// scale otherwise.
std::shared_ptr<const TGradient> ToGradient(const QGradient& G, const QTransform& Map) {
  std::vector<TGradientStop> Stops;
  for (const auto& [Offset, Color] : G.stops()) Stops.push_back({static_cast<float>(Offset), ToColor(Color)});
  if (Stops.empty()) return nullptr;
  const double Det = Map.determinant();
  if (!std::isfinite(Det) || Det == 0) return nullptr;
  if (G.type() == QGradient::LinearGradient) {
    const auto& L = static_cast<const QLinearGradient&>(G);
    const QPointF V = L.finalStop() - L.start();
    const QPointF W((Map.m22() * V.x() - Map.m12() * V.y()) / Det, (-Map.m21() * V.x() + Map.m11() * V.y()) / Det);
    const double WW = QPointF::dotProduct(W, W);
    if (WW == 0) return nullptr;
    const QPointF Start = Map.map(L.start());
    const QPointF End = Start + W * (QPointF::dotProduct(V, V) / WW);
    return TGradient::Linear(ToPoint(Start), ToPoint(End), std::move(Stops), ToSpread(G.spread()));
  }
  const auto& R = static_cast<const QRadialGradient&>(G);
  const double Radius = R.centerRadius() * std::sqrt(std::abs(Det));
  if (!(Radius > 0)) return nullptr;
  return TGradient::Radial(ToPoint(Map.map(R.center())), static_cast<float>(Radius), ToPoint(Map.map(R.focalPoint())),
                           std::move(Stops), ToSpread(G.spread()));
}

bool WholePixelMove(const QTransform& Map) {
  return Map.type() <= QTransform::TxTranslate && Map.dx() == std::round(Map.dx()) && Map.dy() == std::round(Map.dy());
}

TBitmap ToBitmap(const QImage& Image) {
  const QImage Argb = Image.convertToFormat(QImage::Format_ARGB32);
  std::vector<TAlphaColor> Pixels(static_cast<std::size_t>(Argb.width()) * Argb.height());
  for (int Y = 0; Y < Argb.height(); ++Y) {
    const auto* Row = reinterpret_cast<const TAlphaColor*>(Argb.constScanLine(Y));
    std::copy(Row, Row + Argb.width(), Pixels.begin() + static_cast<std::ptrdiff_t>(Y) * Argb.width());
  }
  return TBitmap(Argb.width(), Argb.height(), std::move(Pixels));
}

QImage ToImage(const QPixmap& Pixmap, const QColor& PenColor) {
  if (Pixmap.depth() != 1) return Pixmap.toImage();
  QImage Image = Pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int Y = 0; Y < Image.height(); ++Y) {
    auto* Row = reinterpret_cast<QRgb*>(Image.scanLine(Y));
    for (int X = 0; X < Image.width(); ++X) Row[X] = qGray(Row[X]) < 128 ? PenColor.rgba() : 0;
  }
  return Image;
}

}  // namespace fsvg::detail
