// Checks and helpers every part of the Cairo host shares: a Cairo status as a library
// error, opacity, and colours and gradients as Cairo sources.
#pragma once

#include <cairo.h>

#include "fsvg/errors.h"
#include "fsvg/hostcanvas.h"

namespace fsvg::detail {

/// Throws EHostError naming Cairo's reason when Status is not success.
void CheckStatus(cairo_status_t Status);

/// AOpacity clamped to [0, 1].
double ClampedOpacity(float AOpacity);

/// Sets Color, its alpha multiplied by Opacity, as the source of Context.
void SetSourceColor(cairo_t* Context, TAlphaColor Color, double Opacity);

/// Sets ABrush's gradient, or its colour, as the source; false, and nothing set, for a
/// None brush.
bool SetSourceBrush(cairo_t* Context, const TBrush& ABrush, double Opacity);
/// Sets Gradient as Context's source, every stop's alpha multiplied by Opacity; a
/// degenerate gradient as its last stop's colour.
void SetSourceGradient(cairo_t* Context, const TGradient& Gradient, double Opacity);

}  // namespace fsvg::detail
