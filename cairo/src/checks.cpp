// Checks and helpers every part of the Cairo host shares (see checks.h).
#include "checks.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace fsvg::detail {

void CheckStatus(cairo_status_t Status) {
  if (Status != CAIRO_STATUS_SUCCESS) throw EHostError(std::string("Cairo: ") + cairo_status_to_string(Status));
}

void CheckStroke(const TStrokeBrush& ABrush) {
  if (!std::isfinite(ABrush.Thickness)) throw EArgumentError("Stroke thickness must be finite");
  if (ABrush.Thickness < 0) throw EArgumentError("Stroke thickness must not be negative");
}

double ClampedOpacity(float AOpacity) { return std::clamp(static_cast<double>(AOpacity), 0.0, 1.0); }

void SetSourceColor(cairo_t* Context, TAlphaColor Color, double Opacity) {
  cairo_set_source_rgba(Context, ((Color >> 16) & 0xFF) / 255.0, ((Color >> 8) & 0xFF) / 255.0, (Color & 0xFF) / 255.0,
                        ((Color >> 24) & 0xFF) / 255.0 * Opacity);
}

// Every kind of brush but None paints with its colour.
bool SetSourceBrush(cairo_t* Context, const TBrush& ABrush, double Opacity) {
  if (ABrush.Kind == TBrushKind::None) return false;
  SetSourceColor(Context, ABrush.Color, Opacity);
  return true;
}

}  // namespace fsvg::detail
