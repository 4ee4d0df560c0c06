// Outlines as QPainterPaths and the fill or stroke that paints them (see paths.h).
#include "paths.h"

#include <QPainter>
#include <QPen>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace fsvg::qthost {

namespace {

// SVG's miter turns into a bevel beyond the limit; Qt's plain one is clipped instead.
constexpr Qt::PenCapStyle LineCaps[] = {Qt::FlatCap, Qt::RoundCap, Qt::SquareCap};
static_assert(std::size(LineCaps) == static_cast<std::size_t>(TStrokeCap::Square) + 1);
constexpr Qt::PenJoinStyle LineJoins[] = {Qt::SvgMiterJoin, Qt::RoundJoin, Qt::BevelJoin};
static_assert(std::size(LineJoins) == static_cast<std::size_t>(TStrokeJoin::Bevel) + 1);

}  // namespace

QPainterPath ToPainterPath(const TOutline& Outline) {
  QPainterPath Path;
  Path.setFillRule(Outline.FillRule == TFillRule::EvenOdd ? Qt::OddEvenFill : Qt::WindingFill);
  for (const TOutline::TStep& S : Outline.Steps()) {
    switch (S.Verb) {
      case TOutline::TVerb::MoveTo:
        Path.moveTo(S.X, S.Y);
        break;
      case TOutline::TVerb::LineTo:
        Path.lineTo(S.X, S.Y);
        break;
      case TOutline::TVerb::CurveTo:
        Path.cubicTo(S.X1, S.Y1, S.X2, S.Y2, S.X, S.Y);
        break;
      case TOutline::TVerb::Close:
        Path.closeSubpath();
        break;
    }
  }
  return Path;
}

QColor ToQColor(TAlphaColor Color, float AOpacity) {
  QColor Result(static_cast<int>((Color >> 16) & 0xFF), static_cast<int>((Color >> 8) & 0xFF),
                static_cast<int>(Color & 0xFF));
  Result.setAlphaF(static_cast<float>(((Color >> 24) & 0xFF) / 255.0 * std::clamp(AOpacity, 0.f, 1.f)));
  return Result;
}

bool ApplyClip(QPainter& Painter, const TClip& Clip, double Scale, const QSizeF& Device) {
  std::vector<const TClipStep*> Steps;
  for (const TClipStep* S = Clip.get(); S != nullptr; S = S->Parent.get()) Steps.push_back(S);
  const QTransform Drawing = Painter.transform();
  Painter.setTransform(QTransform());
  bool First = true;
  for (auto It = Steps.rbegin(); It != Steps.rend(); ++It) {
    const TClipStep& S = **It;
    const TMatrix& M = S.Matrix;
    const QTransform Transform = QTransform::fromTranslate(S.Offset.X, S.Offset.Y) *
                                 QTransform(M.m11, M.m12, M.m21, M.m22, M.m31, M.m32) *
                                 QTransform::fromScale(Scale, Scale);
    // A flattened rectangle or path covers nothing: intersecting leaves nothing, and
    // excluding it takes nothing away.
    if (!Transform.isInvertible()) {
      if (S.Kind == TClipKind::ExcludeRect) continue;
      return false;
    }
    QPainterPath Shape;
    if (S.Kind == TClipKind::IntersectPath) {
      Shape = ToPainterPath(TOutline::Path(S.Path));
    } else {
      const TRectF R = Normalized(S.Rect);
      Shape.addRect(
          QRectF(R.Left, R.Top, static_cast<double>(R.Right) - R.Left, static_cast<double>(R.Bottom) - R.Top));
    }
    QPainterPath Region = Transform.map(Shape);
    if (S.Kind == TClipKind::ExcludeRect) {
      QPainterPath Outside;
      Outside.setFillRule(Qt::OddEvenFill);
      Outside.addRect(QRectF(0, 0, Device.width(), Device.height()));
      Outside.addPath(Region);
      Region = Outside;
    }
    Painter.setClipPath(Region, First ? Qt::ReplaceClip : Qt::IntersectClip);
    First = false;
  }
  Painter.setTransform(Drawing);
  return true;
}

// The gradient is in the painter's logical coordinates, the shape's own. Qt keeps one
// stop an offset, so a stop at the offset of the one before it (a sharp step) goes just
// after it. A bitmap is a texture under a brush transform that maps its pixels to where
// they lie, its alpha multiplied by the opacity as the Cairo host does it.
QBrush ToQBrush(const TBrush& ABrush, float AOpacity, const TRectF& Bounds) {
  if (const TBitmap* Bitmap = ABrush.GetBitmap()) {
    const TBitmapPlacement At = BitmapPlacement(ABrush, Bounds);
    if (!At.IsPaintable()) return Qt::NoBrush;
    QImage Image(Bitmap->GetWidth(), Bitmap->GetHeight(), QImage::Format_ARGB32_Premultiplied);
    const double Opacity = std::clamp(static_cast<double>(AOpacity), 0.0, 1.0);
    for (std::int32_t Y = 0; Y < Bitmap->GetHeight(); ++Y) {
      const TAlphaColor* const In = Bitmap->Row(Y);
      auto* const Out = reinterpret_cast<std::uint32_t*>(Image.scanLine(Y));
      for (std::int32_t X = 0; X < Bitmap->GetWidth(); ++X) Out[X] = Premultiplied(In[X], Opacity);
    }
    QBrush Texture(Image);
    Texture.setTransform(QTransform(At.ScaleX, 0, 0, At.ScaleY, At.X, At.Y));
    return Texture;
  }
  const TGradient* const G = ABrush.GetGradient();
  if (G == nullptr) return ToQColor(ABrush.Color, AOpacity);
  if (G->IsDegenerate()) return ToQColor(G->Stops.back().Color, AOpacity);
  static constexpr QGradient::Spread Spreads[] = {QGradient::PadSpread, QGradient::ReflectSpread,
                                                  QGradient::RepeatSpread};
  QLinearGradient Linear(G->Start.X, G->Start.Y, G->End.X, G->End.Y);
  QRadialGradient Radial(G->Center.X, G->Center.Y, G->Radius, G->Focal.X, G->Focal.Y);
  QGradient& Ramp = G->Kind == TGradientKind::Linear ? static_cast<QGradient&>(Linear) : Radial;
  Ramp.setSpread(Spreads[static_cast<std::size_t>(G->Spread)]);
  QGradientStops Stops;
  constexpr double Step = 1e-9;
  for (const TGradientStop& Stop : G->Stops) {
    double Offset = Stop.Offset;
    if (!Stops.empty() && Offset <= Stops.back().first) {
      if (Offset + Step <= 1)
        Offset = Stops.back().first + Step;
      else
        Stops.back().first = Offset - Step;  // at the end, the one before moves back instead
    }
    Stops.append({Offset, ToQColor(Stop.Color, AOpacity)});
  }
  Ramp.setStops(Stops);
  return Ramp;
}

void FillPath(QPainter& Painter, const QPainterPath& Path, const TBrush& ABrush, float AOpacity, const TRectF& Bounds) {
  // Every kind of brush but None paints; a bitmap smoothly, as renderers draw patterns,
  // unless it asks for its nearest pixels.
  if (ABrush.Kind == TBrushKind::None) return;
  Painter.setRenderHint(QPainter::SmoothPixmapTransform, !ABrush.HighSpeed);
  Painter.fillPath(Path, ToQBrush(ABrush, AOpacity, Bounds));
}

void StrokePath(QPainter& Painter, const QPainterPath& Path, const TStrokeBrush& ABrush, float AOpacity,
                const TOutline& Outline) {
  // A zero thickness leaves no mark; Qt would draw it as a one-pixel cosmetic pen.
  if ((ABrush.Thickness == 0 && !ABrush.Hairline) || ABrush.Kind == TBrushKind::None) return;
  const QTransform& M = Painter.combinedTransform();
  Outline.CheckStroke(ABrush, LargestStretch(M.m11(), M.m12(), M.m21(), M.m22()));
  Painter.setRenderHint(QPainter::SmoothPixmapTransform, !ABrush.HighSpeed);
  // A hairline is Qt's pen of width 0: one device pixel wide, its dashes in device pixels.
  QPen Pen(ToQBrush(ABrush, AOpacity, Outline.BrushBounds(ABrush)), ABrush.Hairline ? 0 : ABrush.Thickness);
  Pen.setCapStyle(LineCaps[static_cast<std::size_t>(ABrush.Cap)]);
  Pen.setJoinStyle(LineJoins[static_cast<std::size_t>(ABrush.Join)]);
  // Qt's limit is SVG's ratio of miter length to width, measured: under 4 a join is
  // mitred from 29.0 degrees on, as 2 asin(1/4) says; under 2, from 60.
  Pen.setMiterLimit(ABrush.MiterLimit);
  const std::vector<float> Pattern = DashPattern(ABrush);
  if (!Pattern.empty()) {
    // Qt's pattern and offset are in multiples of the pen width already, as ours are.
    QList<qreal> Dashes(Pattern.begin(), Pattern.end());
    Pen.setDashPattern(Dashes);
    Pen.setDashOffset(ABrush.DashOffset);
  }
  Painter.strokePath(Path, Pen);
}

}  // namespace fsvg::qthost
