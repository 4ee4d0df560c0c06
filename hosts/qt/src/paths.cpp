// Outlines as QPainterPaths and the fill or stroke that paints them (see paths.h).
#include "paths.h"

#include <QPainter>

#include <QPen>
#include <array>
#include <vector>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>

namespace fsvg::qthost {

namespace {

constexpr double Pi = std::numbers::pi;

// SVG's miter turns into a bevel beyond the limit; Qt's plain one is clipped instead.
constexpr Qt::PenJoinStyle LineJoins[] = {Qt::SvgMiterJoin, Qt::RoundJoin, Qt::BevelJoin};
static_assert(std::size(LineJoins) == static_cast<std::size_t>(TStrokeJoin::Bevel) + 1);

double Distance(double X1, double Y1, double X2, double Y2) { return std::hypot(X2 - X1, Y2 - Y1); }

// The largest factor by which Matrix stretches a length (its largest singular value).
double LargestStretch(const QTransform& M) {
  return (std::hypot(M.m11() + M.m22(), M.m12() - M.m21()) + std::hypot(M.m11() - M.m22(), M.m12() + M.m21())) / 2;
}

}  // namespace

double AddRectPath(QPainterPath& Path, const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners,
                   TCornerType ACornerType) {
  TRectOutline Steps;
  const std::size_t Count = RectOutline(ARect, XRadius, YRadius, ACorners, ACornerType, Steps);
  // The path closes from the last step's end back to the first's.
  double X = Steps[Count - 1].X, Y = Steps[Count - 1].Y, Length = 0;
  Path.moveTo(X, Y);
  for (std::size_t I = 0; I < Count; ++I) {
    const TOutlineStep& S = Steps[I];
    if (S.Curve) {
      Path.cubicTo(S.X1, S.Y1, S.X2, S.Y2, S.X, S.Y);
      Length += Distance(X, Y, S.X1, S.Y1) + Distance(S.X1, S.Y1, S.X2, S.Y2) + Distance(S.X2, S.Y2, S.X, S.Y);
    } else {
      Path.lineTo(S.X, S.Y);
      Length += Distance(X, Y, S.X, S.Y);
    }
    X = S.X;
    Y = S.Y;
  }
  Path.closeSubpath();
  return Length;
}

double AddArcPath(QPainterPath& Path, const TPointF& Center, const TPointF& Radius, float StartAngle,
                  float SweepAngle) {
  const double Sweep = std::clamp<double>(SweepAngle, -360, 360) * Pi / 180;
  const int Segments = std::max(1, static_cast<int>(std::ceil(std::abs(Sweep) / (Pi / 2) - 1e-9)));
  const double Step = Sweep / Segments;
  // Control-point distance of one segment, as a fraction of the radius.
  const double H = 4.0 / 3.0 * std::tan(Step / 4);
  const double Cx = Center.X, Cy = Center.Y, Rx = Radius.X, Ry = Radius.Y;
  double Angle = static_cast<double>(StartAngle) * Pi / 180;
  double Cos0 = std::cos(Angle), Sin0 = std::sin(Angle);
  Path.moveTo(Cx + Rx * Cos0, Cy + Ry * Sin0);
  for (int I = 0; I < Segments; ++I) {
    Angle += Step;
    const double Cos1 = std::cos(Angle), Sin1 = std::sin(Angle);
    Path.cubicTo(Cx + Rx * (Cos0 - H * Sin0), Cy + Ry * (Sin0 + H * Cos0), Cx + Rx * (Cos1 + H * Sin1),
                 Cy + Ry * (Sin1 - H * Cos1), Cx + Rx * Cos1, Cy + Ry * Sin1);
    Cos0 = Cos1;
    Sin0 = Sin1;
  }
  // A quarter turn or less of a unit circle has a control polygon no longer than its
  // arc plus its two legs twice over; the ellipse stretches it by at most its larger radius.
  return (std::abs(Sweep) + 4 * Segments * std::abs(H)) * std::max(std::abs(Rx), std::abs(Ry));
}

double AddEllipsePath(QPainterPath& Path, const TRectF& ARect) {
  const TRectF Edges = Normalized(ARect);
  const double Length = AddArcPath(Path, Edges.CenterPoint(), {Edges.Width() / 2, Edges.Height() / 2}, 0, 360);
  Path.closeSubpath();
  return Length;
}

double AddLinePath(QPainterPath& Path, const TPointF& APt1, const TPointF& APt2) {
  Path.moveTo(APt1.X, APt1.Y);
  Path.lineTo(APt2.X, APt2.Y);
  return Distance(APt1.X, APt1.Y, APt2.X, APt2.Y);
}

double AddPolygonPath(QPainterPath& Path, const TPolygon& Points) {
  double Length = 0;
  for (std::size_t I = 0; I < Points.size(); ++I) {
    if (I == 0)
      Path.moveTo(Points[I].X, Points[I].Y);
    else
      Path.lineTo(Points[I].X, Points[I].Y);
    const TPointF& Next = Points[(I + 1) % Points.size()];
    Length += Distance(Points[I].X, Points[I].Y, Next.X, Next.Y);
  }
  if (!Points.empty()) Path.closeSubpath();
  return Length;
}

QColor ToQColor(TAlphaColor Color, float AOpacity) {
  QColor Result(static_cast<int>((Color >> 16) & 0xFF), static_cast<int>((Color >> 8) & 0xFF),
                static_cast<int>(Color & 0xFF));
  Result.setAlphaF(static_cast<float>(((Color >> 24) & 0xFF) / 255.0 * std::clamp(AOpacity, 0.f, 1.f)));
  return Result;
}

void CheckStroke(const TStrokeBrush& ABrush) {
  if (!std::isfinite(ABrush.Thickness)) throw EArgumentError("Stroke thickness must be finite");
  if (ABrush.Thickness < 0) throw EArgumentError("Stroke thickness must not be negative");
}

double AddPathData(QPainterPath& Path, const TPathData& APath) {
  Path.setFillRule(APath.FillRule == TFillRule::EvenOdd ? Qt::OddEvenFill : Qt::WindingFill);
  const TPointF* P = APath.Points().data();
  double Length = 0;
  const auto To = [&](double X, double Y) {
    const QPointF From = Path.currentPosition();
    Length += Distance(From.x(), From.y(), X, Y);
  };
  for (const TPathVerb Verb : APath.Verbs()) {
    switch (Verb) {
      case TPathVerb::MoveTo:
        Path.moveTo(P[0].X, P[0].Y);
        break;
      case TPathVerb::LineTo:
        To(P[0].X, P[0].Y);
        Path.lineTo(P[0].X, P[0].Y);
        break;
      case TPathVerb::QuadCurveTo:
        To(P[0].X, P[0].Y);
        Length += Distance(P[0].X, P[0].Y, P[1].X, P[1].Y);
        Path.quadTo(P[0].X, P[0].Y, P[1].X, P[1].Y);
        break;
      case TPathVerb::CurveTo:
        To(P[0].X, P[0].Y);
        Length += Distance(P[0].X, P[0].Y, P[1].X, P[1].Y) + Distance(P[1].X, P[1].Y, P[2].X, P[2].Y);
        Path.cubicTo(P[0].X, P[0].Y, P[1].X, P[1].Y, P[2].X, P[2].Y);
        break;
      case TPathVerb::ArcTo: {
        std::array<TArcCurve, 4> Curves;
        const auto Flags = static_cast<unsigned>(P[1].Y);
        const QPointF From = Path.currentPosition();
        const std::size_t Count =
            ArcToCurves({static_cast<float>(From.x()), static_cast<float>(From.y())}, P[0], P[1].X,
                        (Flags & TPathData::LargeArcFlag) != 0, (Flags & TPathData::SweepFlag) != 0, P[2], Curves);
        for (std::size_t I = 0; I < Count; ++I) {
          const TArcCurve& C = Curves[I];
          To(C.X1, C.Y1);
          Length += Distance(C.X1, C.Y1, C.X2, C.Y2) + Distance(C.X2, C.Y2, C.X, C.Y);
          Path.cubicTo(C.X1, C.Y1, C.X2, C.Y2, C.X, C.Y);
        }
        break;
      }
      case TPathVerb::ClosePath: {
        const QPointF Last = Path.currentPosition();
        Path.closeSubpath();
        Length += Distance(Last.x(), Last.y(), Path.currentPosition().x(), Path.currentPosition().y());
        break;
      }
    }
    P += PathVerbPoints[static_cast<std::size_t>(Verb)];
  }
  return Length;
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
      AddPathData(Shape, S.Path);
    } else {
      const TRectF R = Normalized(S.Rect);
      Shape.addRect(
          QRectF(R.Left, R.Top, static_cast<double>(R.Right) - R.Left, static_cast<double>(R.Bottom) - R.Top));
    }
    QPainterPath Region = Transform.map(Shape);
    if (S.Kind == TClipKind::ExcludeRect) {
      QPainterPath Outside;
      Outside.setFillRule(Qt::OddEvenFill);
      Outside.addRect(QRectF(-1, -1, Device.width() + 2, Device.height() + 2));
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
// after it.
QBrush ToQBrush(const TBrush& ABrush, float AOpacity) {
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

void FillPath(QPainter& Painter, QPainterPath& Path, const TBrush& ABrush, float AOpacity, Qt::FillRule Rule) {
  // Every kind of brush but None paints.
  if (ABrush.Kind == TBrushKind::None) return;
  Path.setFillRule(Rule);
  Painter.fillPath(Path, ToQBrush(ABrush, AOpacity));
}

void StrokePath(QPainter& Painter, const QPainterPath& Path, const TStrokeBrush& ABrush, float AOpacity,
                double Length) {
  // A zero thickness leaves no mark; Qt would draw it as a one-pixel cosmetic pen.
  if (ABrush.Thickness == 0 || ABrush.Kind == TBrushKind::None) return;
  const std::span<const float> Pattern = DashPattern(ABrush.Dash);
  double PatternLength = 0;
  for (const float Dash : Pattern) PatternLength += Dash * ABrush.Thickness;
  const double Stretch = LargestStretch(Painter.combinedTransform());
  if (!(ABrush.Thickness * Stretch <= MaxStrokeWidth))
    throw EArgumentError("A stroke would be wider than 8388608 device pixels under this transform");
  if (!Pattern.empty() && !(Length * Stretch / PatternLength <= MaxDashes))
    throw EArgumentError("A dashed stroke would be cut into more than 1000000 dashes under this transform");
  QPen Pen(ToQBrush(ABrush, AOpacity), ABrush.Thickness);
  Pen.setCapStyle(ABrush.Cap == TStrokeCap::Round ? Qt::RoundCap : Qt::FlatCap);
  Pen.setJoinStyle(LineJoins[static_cast<std::size_t>(ABrush.Join)]);
  // Qt measures the miter from the join's centre in half widths, SVG from edge to edge in
  // whole widths: 2 here is SVG's default limit of 4.
  Pen.setMiterLimit(2);
  if (!Pattern.empty()) {
    // Qt's pattern is in multiples of the pen width already, as DashPattern's is.
    QList<qreal> Dashes(Pattern.begin(), Pattern.end());
    Pen.setDashPattern(Dashes);
  }
  Painter.strokePath(Path, Pen);
}

}  // namespace fsvg::qthost
