// Alignment to the device pixel grid: the rounding every host and the recorder share.
#include <cmath>
#include <limits>

#include "fsvg/hostcanvas.h"

namespace fsvg {

namespace {

// nearest(x) as a double, or nothing when x cannot be held in a signed 64-bit integer.
// Exact halves go to the even neighbour (the default floating-point rounding mode).
bool NearestInteger(double X, double& Result) {
  // 2^63 is exactly representable; anything at or beyond it, or NaN, is out of range.
  constexpr double Limit = 9223372036854775808.0;
  if (!(X > -Limit && X < Limit)) return false;
  Result = static_cast<double>(std::llrint(X));
  return true;
}

bool IsUsableScale(double Scale) { return Scale > 0 && std::isfinite(Scale); }

// Value as a float, or Fallback when Value lies beyond the float range (a conversion
// that would be undefined).
float NarrowOr(double Value, float Fallback) {
  return std::fabs(Value) <= std::numeric_limits<float>::max() ? static_cast<float>(Value) : Fallback;
}

}  // namespace

float SnapToPixel(float Value, float Scale, TMatrixMeaning Kind, float Translation) {
  const double V = Value;
  const double S = Scale;
  const double T = Kind == TMatrixMeaning::Translate ? static_cast<double>(Translation) : 0.0;
  if (Kind == TMatrixMeaning::Unknown || !IsUsableScale(S)) return Value;
  // The 0.0001 is added after scaling, so an exact half goes to the higher pixel.
  double Nearest;
  if (!NearestInteger((V + T) * S + 0.0001, Nearest)) return Value;
  return NarrowOr(Nearest / S - T, Value);
}

float SnapSpanToPixels(float Start, float Length, float Scale, float Fallback) {
  const double S = Scale;
  double Nearest;
  const double Rounded = IsUsableScale(S) && NearestInteger(static_cast<double>(Length) * S, Nearest)
                             ? Nearest / S
                             : static_cast<double>(Length);
  return NarrowOr(Start + Rounded, Fallback);
}

}  // namespace fsvg
