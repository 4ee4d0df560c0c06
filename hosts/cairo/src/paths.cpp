// Outlines on a cairo_t and the fill or stroke that paints them (see paths.h).
#include "paths.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <span>
#include <vector>

#include "checks.h"

namespace fsvg::detail {

namespace {

constexpr double Pi = std::numbers::pi;

constexpr cairo_line_join_t LineJoins[] = {CAIRO_LINE_JOIN_MITER, CAIRO_LINE_JOIN_ROUND, CAIRO_LINE_JOIN_BEVEL};
static_assert(std::size(LineJoins) == static_cast<std::size_t>(TStrokeJoin::Bevel) + 1);

double Distance(double X1, double Y1, double X2, double Y2) { return std::hypot(X2 - X1, Y2 - Y1); }

// The largest factor by which Matrix stretches a length (its largest singular value),
// in a form that cannot overflow before the result does.
double LargestStretch(const cairo_matrix_t& M) {
  return (std::hypot(M.xx + M.yy, M.yx - M.xy) + std::hypot(M.xx - M.yy, M.yx + M.xy)) / 2;
}

}  // namespace

double AddRectPath(cairo_t* Context, const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners,
                   TCornerType ACornerType) {
  TRectOutline Steps;
  const std::size_t Count = RectOutline(ARect, XRadius, YRadius, ACorners, ACornerType, Steps);
  cairo_new_path(Context);
  // The path closes from the last step's end back to the first's.
  double X = Steps[Count - 1].X, Y = Steps[Count - 1].Y, Length = 0;
  for (std::size_t I = 0; I < Count; ++I) {
    const TOutlineStep& S = Steps[I];
    if (S.Curve) {
      cairo_curve_to(Context, S.X1, S.Y1, S.X2, S.Y2, S.X, S.Y);
      Length += Distance(X, Y, S.X1, S.Y1) + Distance(S.X1, S.Y1, S.X2, S.Y2) + Distance(S.X2, S.Y2, S.X, S.Y);
    } else {
      cairo_line_to(Context, S.X, S.Y);
      Length += Distance(X, Y, S.X, S.Y);
    }
    X = S.X;
    Y = S.Y;
  }
  cairo_close_path(Context);
  return Length;
}

double AddArcPath(cairo_t* Context, const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle) {
  const double Sweep = std::clamp<double>(SweepAngle, -360, 360) * Pi / 180;
  const int Segments = std::max(1, static_cast<int>(std::ceil(std::abs(Sweep) / (Pi / 2) - 1e-9)));
  const double Step = Sweep / Segments;
  // Control-point distance of one segment, as a fraction of the radius.
  const double H = 4.0 / 3.0 * std::tan(Step / 4);
  const double Cx = Center.X, Cy = Center.Y, Rx = Radius.X, Ry = Radius.Y;
  double Angle = static_cast<double>(StartAngle) * Pi / 180;
  double Cos0 = std::cos(Angle), Sin0 = std::sin(Angle);
  cairo_new_path(Context);
  cairo_move_to(Context, Cx + Rx * Cos0, Cy + Ry * Sin0);
  for (int I = 0; I < Segments; ++I) {
    Angle += Step;
    const double Cos1 = std::cos(Angle), Sin1 = std::sin(Angle);
    cairo_curve_to(Context, Cx + Rx * (Cos0 - H * Sin0), Cy + Ry * (Sin0 + H * Cos0), Cx + Rx * (Cos1 + H * Sin1),
                   Cy + Ry * (Sin1 - H * Cos1), Cx + Rx * Cos1, Cy + Ry * Sin1);
    Cos0 = Cos1;
    Sin0 = Sin1;
  }
  // A quarter turn or less of a unit circle has a control polygon no longer than its
  // arc plus its two legs twice over; the ellipse stretches it by at most its larger radius.
  return (std::abs(Sweep) + 4 * Segments * std::abs(H)) * std::max(std::abs(Rx), std::abs(Ry));
}

double AddEllipsePath(cairo_t* Context, const TRectF& ARect) {
  const TRectF Edges = Normalized(ARect);
  const double Length = AddArcPath(Context, Edges.CenterPoint(), {Edges.Width() / 2, Edges.Height() / 2}, 0, 360);
  cairo_close_path(Context);
  return Length;
}

double AddLinePath(cairo_t* Context, const TPointF& APt1, const TPointF& APt2) {
  cairo_new_path(Context);
  cairo_move_to(Context, APt1.X, APt1.Y);
  cairo_line_to(Context, APt2.X, APt2.Y);
  return Distance(APt1.X, APt1.Y, APt2.X, APt2.Y);
}

double AddPolygonPath(cairo_t* Context, const TPolygon& Points) {
  cairo_new_path(Context);
  double Length = 0;
  for (std::size_t I = 0; I < Points.size(); ++I) {
    cairo_line_to(Context, Points[I].X, Points[I].Y);
    const TPointF& Next = Points[(I + 1) % Points.size()];
    Length += Distance(Points[I].X, Points[I].Y, Next.X, Next.Y);
  }
  if (!Points.empty()) cairo_close_path(Context);
  return Length;
}

double AddPathData(cairo_t* Context, const TPathData& APath) {
  cairo_new_path(Context);
  cairo_set_fill_rule(Context,
                      APath.FillRule == TFillRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  const TPointF* P = APath.Points().data();
  // The current point and the subpath's start, as the path gives them.
  double X = 0, Y = 0, StartX = 0, StartY = 0, Length = 0;
  const auto Step = [&](double ToX, double ToY, double Along) {
    Length += Along;
    X = ToX;
    Y = ToY;
  };
  for (const TPathVerb Verb : APath.Verbs()) {
    switch (Verb) {
      case TPathVerb::MoveTo:
        cairo_move_to(Context, P[0].X, P[0].Y);
        StartX = P[0].X;
        StartY = P[0].Y;
        Step(P[0].X, P[0].Y, 0);
        break;
      case TPathVerb::LineTo:
        cairo_line_to(Context, P[0].X, P[0].Y);
        Step(P[0].X, P[0].Y, Distance(X, Y, P[0].X, P[0].Y));
        break;
      case TPathVerb::QuadCurveTo: {
        // The cubic that is the quadratic: controls two thirds of the way to its control.
        const double QX = P[0].X, QY = P[0].Y, EX = P[1].X, EY = P[1].Y;
        cairo_curve_to(Context, X + 2 * (QX - X) / 3, Y + 2 * (QY - Y) / 3, EX + 2 * (QX - EX) / 3,
                       EY + 2 * (QY - EY) / 3, EX, EY);
        Step(EX, EY, Distance(X, Y, QX, QY) + Distance(QX, QY, EX, EY));
        break;
      }
      case TPathVerb::CurveTo:
        cairo_curve_to(Context, P[0].X, P[0].Y, P[1].X, P[1].Y, P[2].X, P[2].Y);
        Step(P[2].X, P[2].Y,
             Distance(X, Y, P[0].X, P[0].Y) + Distance(P[0].X, P[0].Y, P[1].X, P[1].Y) +
                 Distance(P[1].X, P[1].Y, P[2].X, P[2].Y));
        break;
      case TPathVerb::ArcTo: {
        std::array<TArcCurve, 4> Curves;
        const auto Flags = static_cast<unsigned>(P[1].Y);
        const std::size_t Count =
            ArcToCurves({static_cast<float>(X), static_cast<float>(Y)}, P[0], P[1].X,
                        (Flags & TPathData::LargeArcFlag) != 0, (Flags & TPathData::SweepFlag) != 0, P[2], Curves);
        for (std::size_t I = 0; I < Count; ++I) {
          const TArcCurve& C = Curves[I];
          cairo_curve_to(Context, C.X1, C.Y1, C.X2, C.Y2, C.X, C.Y);
          Length += Distance(X, Y, C.X1, C.Y1) + Distance(C.X1, C.Y1, C.X2, C.Y2) + Distance(C.X2, C.Y2, C.X, C.Y);
          X = C.X;
          Y = C.Y;
        }
        Step(P[2].X, P[2].Y, 0);
        break;
      }
      case TPathVerb::ClosePath:
        cairo_close_path(Context);
        Step(StartX, StartY, Distance(X, Y, StartX, StartY));
        break;
    }
    P += PathVerbPoints[static_cast<std::size_t>(Verb)];
  }
  return Length;
}

bool ApplyClip(cairo_t* Context, const TClip& Clip, double Scale) {
  std::vector<const TClipStep*> Steps;
  for (const TClipStep* S = Clip.get(); S != nullptr; S = S->Parent.get()) Steps.push_back(S);
  for (auto It = Steps.rbegin(); It != Steps.rend(); ++It) {
    const TClipStep& S = **It;
    cairo_matrix_t Transform, Step;
    cairo_matrix_init_scale(&Transform, Scale, Scale);
    cairo_matrix_init(&Step, S.Matrix.m11, S.Matrix.m12, S.Matrix.m21, S.Matrix.m22, S.Matrix.m31, S.Matrix.m32);
    cairo_matrix_multiply(&Transform, &Step, &Transform);
    cairo_matrix_t Offset;
    cairo_matrix_init_translate(&Offset, S.Offset.X, S.Offset.Y);
    cairo_matrix_multiply(&Transform, &Offset, &Transform);
    cairo_matrix_t Inverse = Transform;
    const bool Flat = cairo_matrix_invert(&Inverse) != CAIRO_STATUS_SUCCESS;
    // A flattened rectangle or path covers nothing: intersecting leaves nothing, and
    // excluding it takes nothing away.
    if (Flat) {
      if (S.Kind == TClipKind::ExcludeRect) continue;
      return false;
    }
    cairo_new_path(Context);
    if (S.Kind == TClipKind::IntersectPath) {
      cairo_set_matrix(Context, &Transform);
      AddPathData(Context, S.Path);
    } else {
      cairo_set_fill_rule(Context, CAIRO_FILL_RULE_EVEN_ODD);
      if (S.Kind == TClipKind::ExcludeRect) {
        // The excluded rectangle inside one around the whole surface, filled even-odd.
        cairo_identity_matrix(Context);
        cairo_surface_t* Target = cairo_get_target(Context);
        cairo_rectangle(Context, -1, -1, cairo_image_surface_get_width(Target) + 2.0,
                        cairo_image_surface_get_height(Target) + 2.0);
      }
      cairo_set_matrix(Context, &Transform);
      const TRectF R = Normalized(S.Rect);
      cairo_rectangle(Context, R.Left, R.Top, static_cast<double>(R.Right) - R.Left,
                      static_cast<double>(R.Bottom) - R.Top);
    }
    cairo_clip(Context);
  }
  cairo_set_fill_rule(Context, CAIRO_FILL_RULE_WINDING);
  return true;
}

void FillPath(cairo_t* Context, const TBrush& ABrush, double Opacity) {
  if (SetSourceBrush(Context, ABrush, Opacity))
    cairo_fill(Context);
  else
    cairo_new_path(Context);
}

void StrokePath(cairo_t* Context, const TStrokeBrush& ABrush, double Opacity, double Length) {
  // A zero thickness leaves no mark, and Cairo refuses a dash pattern of zero length.
  if (ABrush.Thickness == 0 || !SetSourceBrush(Context, ABrush, Opacity)) {
    cairo_new_path(Context);
    return;
  }
  const std::span<const float> Pattern = DashPattern(ABrush.Dash);
  std::array<double, 6> Dashes{};
  const std::size_t DashCount = std::min(Pattern.size(), Dashes.size());
  double PatternLength = 0;
  for (std::size_t I = 0; I < DashCount; ++I) {
    Dashes[I] = Pattern[I] * ABrush.Thickness;
    PatternLength += Dashes[I];
  }
  // Under a huge scale or shear Cairo's pen (a polygon whose vertices grow with the root
  // of its device width) and its dasher (a step a dash) grow without bound.
  cairo_matrix_t Device;
  cairo_get_matrix(Context, &Device);
  const double Stretch = LargestStretch(Device);
  if (!(ABrush.Thickness * Stretch <= MaxStrokeWidth)) {
    cairo_new_path(Context);
    throw EArgumentError("A stroke would be wider than 8388608 device pixels under this transform");
  }
  if (DashCount != 0 && !(Length * Stretch / PatternLength <= MaxDashes)) {
    cairo_new_path(Context);
    throw EArgumentError("A dashed stroke would be cut into more than 1000000 dashes under this transform");
  }
  cairo_set_line_width(Context, ABrush.Thickness);
  cairo_set_line_cap(Context, ABrush.Cap == TStrokeCap::Round ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(Context, LineJoins[static_cast<std::size_t>(ABrush.Join)]);
  // SVG's default miter limit, so that a recording of this canvas renders the same joins.
  cairo_set_miter_limit(Context, 4);
  cairo_set_dash(Context, Dashes.data(), static_cast<int>(DashCount), 0);
  cairo_stroke(Context);
}

}  // namespace fsvg::detail
