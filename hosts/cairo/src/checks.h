// Checks and helpers every part of the Cairo host shares: a Cairo status as a library
// error, opacity, and colours and gradients as Cairo sources.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>

#include "fsvg/errors.h"
#include "fsvg/hostcanvas.h"

namespace fsvg::detail {

/// Throws EHostError naming Cairo's reason when Status is not success.
void CheckStatus(cairo_status_t Status);

/// AOpacity clamped to [0, 1].
double ClampedOpacity(float AOpacity);

/// Sets Color, its alpha multiplied by Opacity, as the source of Context.
void SetSourceColor(cairo_t* Context, TAlphaColor Color, double Opacity);

/// An image surface owned.
using TImagePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

/// The pixels of ABitmap in the rectangle at (Left, Top) of Width by Height (inside it),
/// their alpha multiplied by Opacity, premultiplied in an image surface of their own.
/// Throws EHostError when Cairo cannot hold them.
TImagePtr PremultipliedImage(const TBitmap& ABitmap, std::int32_t Left, std::int32_t Top, std::int32_t Width,
                             std::int32_t Height, double Opacity);

/// Sets ABrush's gradient, its bitmap laid over a shape of bounds Bounds, or its colour,
/// as the source; false, and nothing set, for a None brush and a bitmap stretched to
/// nothing.
bool SetSourceBrush(cairo_t* Context, const TBrush& ABrush, double Opacity, const TRectF& Bounds);
/// Sets Gradient as Context's source, every stop's alpha multiplied by Opacity; a
/// degenerate gradient as its last stop's colour.
void SetSourceGradient(cairo_t* Context, const TGradient& Gradient, double Opacity);

}  // namespace fsvg::detail
