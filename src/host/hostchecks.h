// The refusals of values no call may take, shared by the host canvas's calls and its
// clip chain: made before any host paints, so a host never sees such a value.
#pragma once

#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>

#include "fsvg/errors.h"
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

}  // namespace fsvg::detail
