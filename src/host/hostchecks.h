// The refusals of values no call may take, shared by the host canvas's calls and its
// clip chain: made before any host paints, so a host never sees such a value.
#pragma once

#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>

#include "fsvg/errors.h"
#include "fsvg/paint.h"
#include "fsvg/path.h"
#include "fsvg/types.h"

namespace fsvg::detail {

// Out of line and cold, so that a drawing call's checks are a few compares and a branch
// that is never taken.
[[noreturn, gnu::cold, gnu::noinline]] inline void RefuseNotFinite(const char* Message) {
  throw EArgumentError(Message);
}

// Throws EArgumentError with Message when one of Values is NaN or an infinity.
inline void RequireFinite(std::initializer_list<float> Values, const char* Message) {
  for (const float Value : Values)
    if (!std::isfinite(Value)) [[unlikely]]
      RefuseNotFinite(Message);
}
inline void RequireFinite(const TPointF& Point, const char* Message) { RequireFinite({Point.X, Point.Y}, Message); }
inline void RequireFinite(const TRectF& Rect, const char* Message) {
  RequireFinite({Rect.Left, Rect.Top, Rect.Right, Rect.Bottom}, Message);
}
inline void RequireFinite(const TPolygon& Points, const char* Message) {
  for (const TPointF& Point : Points) RequireFinite(Point, Message);
}

// Throws EArgumentError when APath has a number that is not finite, or a step before its
// first MoveTo (a line, curve, arc or close with no point to start from). Call names the
// call for the message.
inline void RequireUsable(const TPathData& APath, std::string_view Call) {
  const auto Refuse = [Call](const char* What) { throw EArgumentError(std::string(Call) + What); };
  for (const TPointF& Point : APath.Points())
    if (!std::isfinite(Point.X) || !std::isfinite(Point.Y)) [[unlikely]]
      Refuse(": the path must be finite");
  if (!APath.IsEmpty() && APath.Verbs().front() != TPathVerb::MoveTo) [[unlikely]]
    Refuse(": the path must begin with MoveTo");
}

// Throws EArgumentError when ABrush's dash, offset or miter limit cannot be painted: a
// custom dash length negative or not finite, a custom array of zeros alone, an offset
// not finite, a miter limit below 1 or not finite. Call names the call for the message.
inline void RequireStrokable(const TStrokeBrush& ABrush, std::string_view Call) {
  const auto Refuse = [Call](const char* What) { throw EArgumentError(std::string(Call) + What); };
  if (ABrush.Dash == TStrokeDash::Custom) [[unlikely]] {
    bool Zero = true;
    for (const float Dash : ABrush.DashArray) {
      if (!(Dash >= 0) || !std::isfinite(Dash)) Refuse(": a dash length must be finite and not negative");
      Zero = Zero && Dash == 0;
    }
    if (Zero && !ABrush.DashArray.empty()) Refuse(": a dash array must not be all zeros");
  }
  if (!std::isfinite(ABrush.DashOffset)) [[unlikely]]
    Refuse(": the dash offset must be finite");
  if (!(ABrush.MiterLimit >= 1) || !std::isfinite(ABrush.MiterLimit)) [[unlikely]]
    Refuse(": the miter limit must be finite and at least 1");
}

// Throws EArgumentError when AFont's weight lies outside 100 to 900.
inline void RequireWeight(const TFont& AFont, std::string_view Call) {
  if (AFont.Weight < 100 || AFont.Weight > 900) [[unlikely]]
    throw EArgumentError(std::string(Call) + ": the font weight must be 100 to 900");
}

}  // namespace fsvg::detail
