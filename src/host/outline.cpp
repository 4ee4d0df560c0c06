// The outline of every shape as every host paints it, with its length and the stroke
// limits it decides; the corner outline of a rectangle, which a faithful recording also
// writes as a path.
#include "fsvg/outline.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "fsvg/errors.h"
#include "host/ellipsearc.h"

namespace fsvg {

namespace {

// Distance of a quarter ellipse's control points from its ends, as a fraction of the radius.
constexpr double Kappa = 0.5522847498307936;

}  // namespace

std::size_t RectOutline(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, TCornerType ACornerType,
                        TRectOutline& Steps) {
  const TRectF Edges = Normalized(ARect);
  const double Left = Edges.Left, Top = Edges.Top, Right = Edges.Right, Bottom = Edges.Bottom;
  const double Rx = std::clamp<double>(XRadius, 0, (Right - Left) / 2);
  const double Ry = std::clamp<double>(YRadius, 0, (Bottom - Top) / 2);
  if (!(Rx > 0 && Ry > 0)) ACorners = {};
  // Each corner: its point, then the offsets from it to where the outline enters and
  // leaves the corner's cut.
  struct TCornerShape {
    TCorner Corner;
    double X, Y, InX, InY, OutX, OutY;
  };
  const TCornerShape Shapes[] = {
      {TCorner::TopLeft, Left, Top, 0, Ry, Rx, 0},
      {TCorner::TopRight, Right, Top, -Rx, 0, 0, Ry},
      {TCorner::BottomRight, Right, Bottom, 0, -Ry, -Rx, 0},
      {TCorner::BottomLeft, Left, Bottom, Rx, 0, 0, -Ry},
  };
  std::size_t Count = 0;
  const auto LineTo = [&](double X, double Y) { Steps[Count++] = {{.X = X, .Y = Y}, false}; };
  for (const TCornerShape& S : Shapes) {
    if (!ACorners.Contains(S.Corner)) {
      LineTo(S.X, S.Y);
      continue;
    }
    const double OutX = S.X + S.OutX, OutY = S.Y + S.OutY;
    LineTo(S.X + S.InX, S.Y + S.InY);
    switch (ACornerType) {
      case TCornerType::Round:
        Steps[Count++] = {{S.X + S.InX * (1 - Kappa), S.Y + S.InY * (1 - Kappa), S.X + S.OutX * (1 - Kappa),
                           S.Y + S.OutY * (1 - Kappa), OutX, OutY},
                          true};
        break;
      case TCornerType::Bevel:
        LineTo(OutX, OutY);
        break;
      case TCornerType::InnerRound:
        // A quarter ellipse centred on the corner point, bulging into the rectangle.
        Steps[Count++] = {{S.X + S.InX + S.OutX * Kappa, S.Y + S.InY + S.OutY * Kappa, S.X + S.OutX + S.InX * Kappa,
                           S.Y + S.OutY + S.InY * Kappa, OutX, OutY},
                          true};
        break;
      case TCornerType::InnerLine:
        LineTo(S.X + S.InX + S.OutX, S.Y + S.InY + S.OutY);
        LineTo(OutX, OutY);
        break;
    }
  }
  return Count;
}

void CheckThickness(const TStrokeBrush& ABrush) {
  if (!std::isfinite(ABrush.Thickness)) throw EArgumentError("Stroke thickness must be finite");
  if (ABrush.Thickness < 0) throw EArgumentError("Stroke thickness must not be negative");
}

double LargestStretch(double M11, double M12, double M21, double M22) {
  return (std::hypot(M11 + M22, M12 - M21) + std::hypot(M11 - M22, M12 + M21)) / 2;
}

TOutline TOutline::Rect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, TCornerType ACornerType) {
  TRectOutline Steps;
  const std::size_t Count = RectOutline(ARect, XRadius, YRadius, ACorners, ACornerType, Steps);
  TOutline Outline;
  Outline.MoveTo(Steps[0].X, Steps[0].Y);
  for (std::size_t I = 1; I < Count; ++I) {
    const TOutlineStep& S = Steps[I];
    if (S.Curve)
      Outline.CurveTo(S.X1, S.Y1, S.X2, S.Y2, S.X, S.Y);
    else
      Outline.LineTo(S.X, S.Y);
  }
  Outline.Close();
  return Outline;
}

TOutline TOutline::Ellipse(const TRectF& ARect) {
  const TRectF Edges = Normalized(ARect);
  TOutline Outline = Arc(Edges.CenterPoint(), {Edges.Width() / 2, Edges.Height() / 2}, 0, 360);
  Outline.Close();
  return Outline;
}

TOutline TOutline::Arc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle) {
  TOutline Outline;
  // No sweep leaves no mark, not even a round cap's dot.
  if (SweepAngle == 0) return Outline;
  const detail::TEllipse Ellipse{Center.X, Center.Y, Radius.X, Radius.Y};
  const double Start = static_cast<double>(StartAngle) * std::numbers::pi / 180;
  const double Sweep = std::clamp<double>(SweepAngle, -360, 360) * std::numbers::pi / 180;
  std::array<TArcCurve, 4> Curves;
  const std::size_t Count = detail::EllipseCurves(Ellipse, Start, Sweep, Curves);
  double X, Y, TX, TY;
  Ellipse.At(Start, X, Y, TX, TY);
  Outline.MoveTo(X, Y);
  for (std::size_t I = 0; I < Count; ++I) Outline.CurveTo(Curves[I]);
  return Outline;
}

TOutline TOutline::Line(const TPointF& APt1, const TPointF& APt2) {
  TOutline Outline;
  Outline.MoveTo(APt1.X, APt1.Y);
  Outline.LineTo(APt2.X, APt2.Y);
  return Outline;
}

TOutline TOutline::Polygon(const TPolygon& Points) {
  TOutline Outline;
  if (Points.empty()) return Outline;
  Outline.MoveTo(Points[0].X, Points[0].Y);
  for (std::size_t I = 1; I < Points.size(); ++I) Outline.LineTo(Points[I].X, Points[I].Y);
  Outline.Close();
  return Outline;
}

TOutline TOutline::Path(const TPathData& APath) {
  TOutline Outline;
  Outline.FillRule = APath.FillRule;
  const TPointF* P = APath.Points().data();
  for (const TPathVerb Verb : APath.Verbs()) {
    switch (Verb) {
      case TPathVerb::MoveTo:
        Outline.MoveTo(P[0].X, P[0].Y);
        break;
      case TPathVerb::LineTo:
        Outline.LineTo(P[0].X, P[0].Y);
        break;
      case TPathVerb::QuadCurveTo: {
        // The cubic that is the quadratic: controls two thirds of the way to its control.
        const double X = Outline.FX, Y = Outline.FY, QX = P[0].X, QY = P[0].Y, EX = P[1].X, EY = P[1].Y;
        Outline.CurveTo(X + 2 * (QX - X) / 3, Y + 2 * (QY - Y) / 3, EX + 2 * (QX - EX) / 3, EY + 2 * (QY - EY) / 3, EX,
                        EY);
        break;
      }
      case TPathVerb::CurveTo:
        Outline.CurveTo(P[0].X, P[0].Y, P[1].X, P[1].Y, P[2].X, P[2].Y);
        break;
      case TPathVerb::ArcTo: {
        std::array<TArcCurve, 4> Curves;
        const auto Flags = static_cast<unsigned>(P[1].Y);
        const std::size_t Count =
            ArcToCurves({static_cast<float>(Outline.FX), static_cast<float>(Outline.FY)}, P[0], P[1].X,
                        (Flags & TPathData::LargeArcFlag) != 0, (Flags & TPathData::SweepFlag) != 0, P[2], Curves);
        for (std::size_t I = 0; I < Count; ++I) Outline.CurveTo(Curves[I]);
        break;
      }
      case TPathVerb::ClosePath:
        Outline.Close();
        break;
    }
    P += PathVerbPoints[static_cast<std::size_t>(Verb)];
  }
  return Outline;
}

void TOutline::MoveTo(double X, double Y) {
  FSteps.push_back({{.X = X, .Y = Y}, TVerb::MoveTo});
  FX = FStartX = X;
  FY = FStartY = Y;
}

void TOutline::LineTo(double X, double Y) {
  FSteps.push_back({{.X = X, .Y = Y}, TVerb::LineTo});
  FLength += std::hypot(X - FX, Y - FY);
  FX = X;
  FY = Y;
}

void TOutline::CurveTo(double X1, double Y1, double X2, double Y2, double X, double Y) {
  FSteps.push_back({{X1, Y1, X2, Y2, X, Y}, TVerb::CurveTo});
  FLength += std::hypot(X1 - FX, Y1 - FY) + std::hypot(X2 - X1, Y2 - Y1) + std::hypot(X - X2, Y - Y2);
  FX = X;
  FY = Y;
}

void TOutline::CurveTo(const TArcCurve& C) { CurveTo(C.X1, C.Y1, C.X2, C.Y2, C.X, C.Y); }

void TOutline::Close() {
  FSteps.push_back({{.X = FStartX, .Y = FStartY}, TVerb::Close});
  FLength += std::hypot(FStartX - FX, FStartY - FY);
  FX = FStartX;
  FY = FStartY;
}

TRectF TOutline::Bounds() const {
  if (FSteps.empty()) return {};
  double Low[2] = {INFINITY, INFINITY}, High[2] = {-INFINITY, -INFINITY}, From[2] = {};
  const auto Include = [&](int Axis, double Value) {
    Low[Axis] = std::min(Low[Axis], Value);
    High[Axis] = std::max(High[Axis], Value);
  };
  for (const TStep& S : FSteps) {
    const double Ends[2] = {S.X, S.Y};
    if (S.Verb == TVerb::CurveTo) {
      // Where the curve's derivative along an axis, a quadratic in t, is zero inside (0, 1).
      const double C1[2] = {S.X1, S.Y1}, C2[2] = {S.X2, S.Y2};
      for (int Axis = 0; Axis < 2; ++Axis) {
        const double P0 = From[Axis], P1 = C1[Axis], P2 = C2[Axis], P3 = Ends[Axis];
        const double A = -P0 + 3 * P1 - 3 * P2 + P3, B = 2 * (P0 - 2 * P1 + P2), C = P1 - P0;
        const auto At = [&](double T) {
          if (!(T > 0 && T < 1)) return;
          const double U = 1 - T;
          Include(Axis, U * U * U * P0 + 3 * U * U * T * P1 + 3 * U * T * T * P2 + T * T * T * P3);
        };
        if (std::abs(A) < 1e-12) {
          if (B != 0) At(-C / B);
          continue;
        }
        const double Discriminant = B * B - 4 * A * C;
        if (Discriminant < 0) continue;
        At((-B + std::sqrt(Discriminant)) / (2 * A));
        At((-B - std::sqrt(Discriminant)) / (2 * A));
      }
    }
    Include(0, Ends[0]);
    Include(1, Ends[1]);
    From[0] = Ends[0];
    From[1] = Ends[1];
  }
  return {static_cast<float>(Low[0]), static_cast<float>(Low[1]), static_cast<float>(High[0]),
          static_cast<float>(High[1])};
}

void TOutline::CheckStroke(const TStrokeBrush& ABrush, double Stretch) const {
  // A hairline is one device pixel wide, and its dashes are multiples of that pixel.
  if (!ABrush.Hairline && !(ABrush.Thickness * Stretch <= MaxStrokeWidth))
    throw EArgumentError("A stroke would be wider than 8388608 device pixels under this transform");
  double PatternLength = 0;
  for (const float Dash : DashPattern(ABrush)) PatternLength += Dash * (ABrush.Hairline ? 1 : ABrush.Thickness);
  if (PatternLength > 0 && !(FLength * Stretch / PatternLength <= MaxDashes))
    throw EArgumentError("A dashed stroke would be cut into more than 1000000 dashes under this transform");
}

}  // namespace fsvg
