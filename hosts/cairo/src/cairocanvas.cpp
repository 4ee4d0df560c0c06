// TCairoCanvas's drawing hooks. Every operation paints through a cairo_t of its own, set
// up by BeginPaint with the clip, offset, matrix and scale, so a Cairo error state never
// outlives the call that caused it. Every shape comes as the one TOutline every host
// paints (TOutlineCanvas), filled or stroked here; values the canvas takes are checked
// by TCanvas before a hook runs, and the stroke's thickness and limits by the outline.
#include "fsvg/cairocanvas.h"

#include <iterator>

#include "checks.h"
#include "paths.h"
#include "textshaping.h"

namespace fsvg {

using namespace detail;

namespace {

// Cairo's operator for each blend mode, in TBlendMode's order.
constexpr cairo_operator_t BlendOperators[] = {
    CAIRO_OPERATOR_OVER,   CAIRO_OPERATOR_MULTIPLY, CAIRO_OPERATOR_SCREEN,    CAIRO_OPERATOR_OVERLAY,
    CAIRO_OPERATOR_DARKEN, CAIRO_OPERATOR_LIGHTEN,  CAIRO_OPERATOR_DIFFERENCE};
static_assert(std::size(BlendOperators) == static_cast<std::size_t>(TBlendMode::Difference) + 1);

}  // namespace

TCairoCanvas::TContextPtr TCairoCanvas::BeginPaint() const {
  TContextPtr Context(cairo_create(Target()));
  CheckStatus(cairo_status(Context.get()));
  // The clip first, each step through the offset and matrix it was set under.
  if (GetClip() && !ApplyClip(Context.get(), GetClip(), GetScale())) return nullptr;
  const TMatrix& M = GetMatrix();
  // Row vectors: x' = x*m11 + y*m21 + m31, y' = x*m12 + y*m22 + m32. The projective
  // column (m13, m23, m33) has no meaning for a 2D affine painter and is ignored.
  cairo_matrix_t Transform;
  cairo_matrix_init_scale(&Transform, GetScale(), GetScale());
  cairo_matrix_t Canvas;
  cairo_matrix_init(&Canvas, M.m11, M.m12, M.m21, M.m22, M.m31, M.m32);
  cairo_matrix_multiply(&Transform, &Canvas, &Transform);
  cairo_matrix_t Offset;
  cairo_matrix_init_translate(&Offset, GetOffset().X, GetOffset().Y);
  cairo_matrix_multiply(&Transform, &Offset, &Transform);
  // A singular matrix flattens every shape to no area: there is nothing to paint.
  cairo_matrix_t Inverse = Transform;
  if (cairo_matrix_invert(&Inverse) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_set_matrix(Context.get(), &Transform);
  if (cairo_status(Context.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  switch (GetQuality()) {
    case TCanvasQuality::HighPerformance:
      cairo_set_antialias(Context.get(), CAIRO_ANTIALIAS_FAST);
      break;
    case TCanvasQuality::HighQuality:
      cairo_set_antialias(Context.get(), CAIRO_ANTIALIAS_BEST);
      break;
    case TCanvasQuality::SystemDefault:  // as a new context antialiases
      break;
  }
  return Context;
}

// Clear replaces every pixel the clip leaves.
void TCairoCanvas::DoClear(TAlphaColor Color) {
  TContextPtr Context(cairo_create(Target()));
  if (GetClip() && !ApplyClip(Context.get(), GetClip(), GetScale())) return;
  cairo_set_operator(Context.get(), CAIRO_OPERATOR_SOURCE);
  SetSourceColor(Context.get(), Color, 1);
  cairo_paint(Context.get());
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoClearRect(const TRectF& ARect, TAlphaColor AColor) {
  TContextPtr Context = BeginPaint();
  if (!Context) return;
  const TRectF Edges = Normalized(ARect);
  cairo_rectangle(Context.get(), Edges.Left, Edges.Top, static_cast<double>(Edges.Right) - Edges.Left,
                  static_cast<double>(Edges.Bottom) - Edges.Top);
  cairo_set_operator(Context.get(), CAIRO_OPERATOR_SOURCE);
  SetSourceColor(Context.get(), AColor, 1);
  cairo_fill(Context.get());
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoFillOutline(const TOutline& Outline, const TBrush& ABrush, float AOpacity) {
  TContextPtr Context = BeginPaint();
  if (!Context) return;
  AddOutline(Context.get(), Outline);
  detail::FillPath(Context.get(), ABrush, ClampedOpacity(AOpacity), Outline.BrushBounds(ABrush));
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoStrokeOutline(const TOutline& Outline, const TStrokeBrush& ABrush, float AOpacity) {
  TContextPtr Context = BeginPaint();
  if (!Context) return;
  AddOutline(Context.get(), Outline);
  StrokePath(Context.get(), ABrush, ClampedOpacity(AOpacity), Outline);
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoFillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                              TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  TLineMetricInfo Lines;
  MeasureLines(Lines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
  const float Ascent = GetFontMetrics().Ascent;  // selects the font into the measuring context
  TContextPtr Context = BeginPaint();
  if (!Context || !SetSourceBrush(Context.get(), GetFill(), ClampedOpacity(AOpacity), ARect)) return;
  SelectFont(Context.get());
  // Glyph outlines filled as one path: exact sub-pixel positions under any transform
  // (shown glyphs would snap each to a whole device pixel), and one coverage for the
  // whole text, so overlapping glyphs do not darken under a translucent fill.
  AddTextPath(Context.get(), cairo_get_scaled_font(FMeasureContext.get()), GetFont().Size, AText, Lines, Ascent);
  cairo_fill(Context.get());
  CheckStatus(cairo_status(Context.get()));
}

// The source's pixels, premultiplied, in an image surface of their own, scaled onto the
// destination and clipped to it. The pattern pads its edges, so that a smooth filter
// does not fade a scaled image's border into transparency.
void TCairoCanvas::DoDrawBitmap(const TBitmap& ABitmap, const TRectF& Source, const TRectF& Dest, float AOpacity,
                                bool HighSpeed) {
  TContextPtr Context = BeginPaint();
  if (!Context) return;
  const auto Left = static_cast<std::int32_t>(Source.Left), Top = static_cast<std::int32_t>(Source.Top);
  const auto Width = static_cast<std::int32_t>(Source.Right) - Left;
  const auto Height = static_cast<std::int32_t>(Source.Bottom) - Top;
  const TImagePtr Image = PremultipliedImage(ABitmap, Left, Top, Width, Height, 1);
  const double DestWidth = static_cast<double>(Dest.Right) - Dest.Left;
  const double DestHeight = static_cast<double>(Dest.Bottom) - Dest.Top;
  cairo_rectangle(Context.get(), Dest.Left, Dest.Top, DestWidth, DestHeight);
  cairo_clip(Context.get());
  cairo_translate(Context.get(), Dest.Left, Dest.Top);
  cairo_scale(Context.get(), DestWidth / Width, DestHeight / Height);
  cairo_set_source_surface(Context.get(), Image.get(), 0, 0);
  cairo_pattern_t* const Pattern = cairo_get_source(Context.get());
  cairo_pattern_set_extend(Pattern, CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(Pattern, HighSpeed ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
  cairo_paint_with_alpha(Context.get(), ClampedOpacity(AOpacity));
  CheckStatus(cairo_status(Context.get()));
}

// A layer paints into a surface of the canvas's own size, so that every position maps
// to the same device pixel as on the canvas; it is laid down unclipped and untransformed,
// since each call inside was clipped and transformed when it painted.
void TCairoCanvas::DoBeginLayer(float, TBlendMode) { FLayers.push_back(CreateSurface()); }

void TCairoCanvas::DoEndLayer(float Opacity, TBlendMode Blend) {
  const TSurfacePtr Layer = std::move(FLayers.back());
  FLayers.pop_back();
  TContextPtr Context(cairo_create(Target()));
  cairo_set_source_surface(Context.get(), Layer.get(), 0, 0);
  cairo_set_operator(Context.get(), BlendOperators[static_cast<std::size_t>(Blend)]);
  cairo_paint_with_alpha(Context.get(), Opacity);
  CheckStatus(cairo_status(Context.get()));
}

}  // namespace fsvg
