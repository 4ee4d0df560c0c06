// Outlines on a cairo_t and the fill or stroke that paints them (see paths.h).
#include "paths.h"

#include <algorithm>
#include <vector>

#include "checks.h"

namespace fsvg::detail {

namespace {

constexpr cairo_line_cap_t LineCaps[] = {CAIRO_LINE_CAP_BUTT, CAIRO_LINE_CAP_ROUND, CAIRO_LINE_CAP_SQUARE};
static_assert(std::size(LineCaps) == static_cast<std::size_t>(TStrokeCap::Square) + 1);
constexpr cairo_line_join_t LineJoins[] = {CAIRO_LINE_JOIN_MITER, CAIRO_LINE_JOIN_ROUND, CAIRO_LINE_JOIN_BEVEL};
static_assert(std::size(LineJoins) == static_cast<std::size_t>(TStrokeJoin::Bevel) + 1);

}  // namespace

void AddOutline(cairo_t* Context, const TOutline& Outline) {
  cairo_set_fill_rule(Context,
                      Outline.FillRule == TFillRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  for (const TOutline::TStep& S : Outline.Steps()) {
    switch (S.Verb) {
      case TOutline::TVerb::MoveTo:
        cairo_move_to(Context, S.X, S.Y);
        break;
      case TOutline::TVerb::LineTo:
        cairo_line_to(Context, S.X, S.Y);
        break;
      case TOutline::TVerb::CurveTo:
        cairo_curve_to(Context, S.X1, S.Y1, S.X2, S.Y2, S.X, S.Y);
        break;
      case TOutline::TVerb::Close:
        cairo_close_path(Context);
        break;
    }
  }
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
    if (S.Kind == TClipKind::IntersectPath) {
      cairo_set_matrix(Context, &Transform);
      AddOutline(Context, TOutline::Path(S.Path));
    } else {
      cairo_set_fill_rule(Context, CAIRO_FILL_RULE_EVEN_ODD);
      if (S.Kind == TClipKind::ExcludeRect) {
        // The excluded rectangle inside one over the whole surface, filled even-odd.
        cairo_identity_matrix(Context);
        cairo_surface_t* Target = cairo_get_target(Context);
        cairo_rectangle(Context, 0, 0, cairo_image_surface_get_width(Target), cairo_image_surface_get_height(Target));
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

void FillPath(cairo_t* Context, const TBrush& ABrush, double Opacity, const TRectF& Bounds) {
  if (SetSourceBrush(Context, ABrush, Opacity, Bounds))
    cairo_fill(Context);
  else
    cairo_new_path(Context);
}

void StrokePath(cairo_t* Context, const TStrokeBrush& ABrush, double Opacity, const TOutline& Outline) {
  // A zero thickness leaves no mark, and Cairo refuses a dash pattern of zero length.
  if ((ABrush.Thickness == 0 && !ABrush.Hairline) ||
      !SetSourceBrush(Context, ABrush, Opacity, Outline.BrushBounds(ABrush))) {
    cairo_new_path(Context);
    return;
  }
  // A refused stroke paints nothing: the context, its path with it, ends with the call.
  cairo_matrix_t Device;
  cairo_get_matrix(Context, &Device);
  Outline.CheckStroke(ABrush, LargestStretch(Device.xx, Device.yx, Device.xy, Device.yy));
  // A hairline is stroked one pixel wide under the identity: the path is held in device
  // space already, and the source keeps the matrix it was set under.
  const double Width = ABrush.Hairline ? 1 : ABrush.Thickness;
  std::vector<double> Dashes;
  for (const float Dash : DashPattern(ABrush)) Dashes.push_back(Dash * Width);
  if (ABrush.Hairline) cairo_identity_matrix(Context);
  cairo_set_line_width(Context, Width);
  cairo_set_line_cap(Context, LineCaps[static_cast<std::size_t>(ABrush.Cap)]);
  cairo_set_line_join(Context, LineJoins[static_cast<std::size_t>(ABrush.Join)]);
  // Cairo's limit is SVG's, the ratio of a miter's length to the stroke's width.
  cairo_set_miter_limit(Context, ABrush.MiterLimit);
  cairo_set_dash(Context, Dashes.data(), static_cast<int>(Dashes.size()), ABrush.DashOffset * Width);
  cairo_stroke(Context);
  if (ABrush.Hairline) cairo_set_matrix(Context, &Device);
}

}  // namespace fsvg::detail
