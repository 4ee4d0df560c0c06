// Checks and helpers every part of the Cairo host shares (see checks.h).
#include "checks.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <string>

namespace fsvg::detail {

void CheckStatus(cairo_status_t Status) {
  if (Status != CAIRO_STATUS_SUCCESS) throw EHostError(std::string("Cairo: ") + cairo_status_to_string(Status));
}

double ClampedOpacity(float AOpacity) { return std::clamp(static_cast<double>(AOpacity), 0.0, 1.0); }

namespace {

// Color's channels as Cairo takes them, from 0 to 1, its alpha times Opacity.
struct TChannels {
  double Red, Green, Blue, Alpha;
};
TChannels Channels(TAlphaColor Color, double Opacity) {
  return {((Color >> 16) & 0xFF) / 255.0, ((Color >> 8) & 0xFF) / 255.0, (Color & 0xFF) / 255.0,
          (Color >> 24) / 255.0 * Opacity};
}

}  // namespace

void SetSourceColor(cairo_t* Context, TAlphaColor Color, double Opacity) {
  const auto [Red, Green, Blue, Alpha] = Channels(Color, Opacity);
  cairo_set_source_rgba(Context, Red, Green, Blue, Alpha);
}

TImagePtr PremultipliedImage(const TBitmap& ABitmap, std::int32_t Left, std::int32_t Top, std::int32_t Width,
                             std::int32_t Height, double Opacity) {
  TImagePtr Image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, Width, Height), cairo_surface_destroy);
  CheckStatus(cairo_surface_status(Image.get()));
  unsigned char* const Data = cairo_image_surface_get_data(Image.get());
  const int Stride = cairo_image_surface_get_stride(Image.get());
  for (std::int32_t Y = 0; Y < Height; ++Y) {
    const TAlphaColor* const In = ABitmap.Row(Top + Y) + Left;
    auto* const Out = reinterpret_cast<std::uint32_t*>(Data + static_cast<std::ptrdiff_t>(Y) * Stride);
    for (std::int32_t X = 0; X < Width; ++X) Out[X] = Premultiplied(In[X], Opacity);
  }
  cairo_surface_mark_dirty(Image.get());
  return Image;
}

// Every kind of brush but None paints: a gradient brush with its gradient when it holds
// one, a bitmap brush with its pixels when it holds some, every other with its colour.
bool SetSourceBrush(cairo_t* Context, const TBrush& ABrush, double Opacity, const TRectF& Bounds) {
  if (ABrush.Kind == TBrushKind::None) return false;
  if (const TGradient* Gradient = ABrush.GetGradient()) {
    SetSourceGradient(Context, *Gradient, Opacity);
  } else if (const TBitmap* Bitmap = ABrush.GetBitmap()) {
    // The pattern maps user space to the bitmap's pixels, repeated every copy over.
    const TBitmapPlacement At = BitmapPlacement(ABrush, Bounds);
    if (!At.IsPaintable()) return false;
    const TImagePtr Image = PremultipliedImage(*Bitmap, 0, 0, Bitmap->GetWidth(), Bitmap->GetHeight(), Opacity);
    const std::unique_ptr<cairo_pattern_t, decltype(&cairo_pattern_destroy)> Pattern(
        cairo_pattern_create_for_surface(Image.get()), cairo_pattern_destroy);
    cairo_matrix_t ToPixels;
    cairo_matrix_init(&ToPixels, 1 / At.ScaleX, 0, 0, 1 / At.ScaleY, -At.X / At.ScaleX, -At.Y / At.ScaleY);
    cairo_pattern_set_matrix(Pattern.get(), &ToPixels);
    cairo_pattern_set_extend(Pattern.get(), CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(Pattern.get(), ABrush.HighSpeed ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_set_source(Context, Pattern.get());
  } else {
    SetSourceColor(Context, ABrush.Color, Opacity);
  }
  return true;
}

// The pattern takes the user space in force when it is set: the shape's, offset and
// transformed as the shape is. The radial ramp runs from a circle of no radius at the
// focal point out to the gradient's circle, as SVG's does.
void SetSourceGradient(cairo_t* Context, const TGradient& Gradient, double Opacity) {
  if (Gradient.IsDegenerate()) return SetSourceColor(Context, Gradient.Stops.back().Color, Opacity);
  static constexpr cairo_extend_t Extends[] = {CAIRO_EXTEND_PAD, CAIRO_EXTEND_REFLECT, CAIRO_EXTEND_REPEAT};
  const TGradient& G = Gradient;
  const std::unique_ptr<cairo_pattern_t, decltype(&cairo_pattern_destroy)> Pattern(
      G.Kind == TGradientKind::Linear
          ? cairo_pattern_create_linear(G.Start.X, G.Start.Y, G.End.X, G.End.Y)
          : cairo_pattern_create_radial(G.Focal.X, G.Focal.Y, 0, G.Center.X, G.Center.Y, G.Radius),
      cairo_pattern_destroy);
  cairo_pattern_set_extend(Pattern.get(), Extends[static_cast<std::size_t>(G.Spread)]);
  for (const TGradientStop& Stop : G.Stops) {
    const auto [Red, Green, Blue, Alpha] = Channels(Stop.Color, Opacity);
    cairo_pattern_add_color_stop_rgba(Pattern.get(), Stop.Offset, Red, Green, Blue, Alpha);
  }
  cairo_set_source(Context, Pattern.get());
}

}  // namespace fsvg::detail
