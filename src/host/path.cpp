// TPathData's steps, the conversion of SVG's endpoint arc into cubic Béziers, and the one
// loop that turns part of an ellipse into them: every arc a host paints comes from it,
// so an arc is the same curve whichever host paints it.
#include "fsvg/path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "host/ellipsearc.h"

namespace fsvg {

TPathData& TPathData::MoveTo(const TPointF& P) {
  FVerbs.push_back(TPathVerb::MoveTo);
  FPoints.push_back(P);
  return *this;
}

TPathData& TPathData::LineTo(const TPointF& P) {
  FVerbs.push_back(TPathVerb::LineTo);
  FPoints.push_back(P);
  return *this;
}

TPathData& TPathData::QuadCurveTo(const TPointF& Control, const TPointF& End) {
  FVerbs.push_back(TPathVerb::QuadCurveTo);
  FPoints.insert(FPoints.end(), {Control, End});
  return *this;
}

TPathData& TPathData::CurveTo(const TPointF& Control1, const TPointF& Control2, const TPointF& End) {
  FVerbs.push_back(TPathVerb::CurveTo);
  FPoints.insert(FPoints.end(), {Control1, Control2, End});
  return *this;
}

TPathData& TPathData::ArcTo(const TPointF& Radius, float XAxisRotationDegrees, bool LargeArc, bool Sweep,
                            const TPointF& End) {
  FVerbs.push_back(TPathVerb::ArcTo);
  const float Flags = static_cast<float>((LargeArc ? LargeArcFlag : 0) | (Sweep ? SweepFlag : 0));
  FPoints.insert(FPoints.end(), {Radius, {XAxisRotationDegrees, Flags}, End});
  return *this;
}

TPathData& TPathData::ClosePath() {
  FVerbs.push_back(TPathVerb::ClosePath);
  return *this;
}

void TPathData::Clear() {
  FVerbs.clear();
  FPoints.clear();
}

namespace {

// The angle from (UX, UY) to (VX, VY), in (-pi, pi].
double AngleBetween(double UX, double UY, double VX, double VY) {
  return std::atan2(UX * VY - UY * VX, UX * VX + UY * VY);
}

}  // namespace

namespace detail {

void TEllipse::At(double Angle, double& X, double& Y, double& TX, double& TY) const {
  const double C = std::cos(Angle), S = std::sin(Angle);
  X = CX + RX * CosPhi * C - RY * SinPhi * S;
  Y = CY + RX * SinPhi * C + RY * CosPhi * S;
  TX = -RX * CosPhi * S - RY * SinPhi * C;
  TY = -RX * SinPhi * S + RY * CosPhi * C;
}

// Each curve leaves and reaches the ellipse along its tangent, its controls a third of
// the tangent times 4 tan(step / 4) away: the usual cubic of a circular arc, mapped.
std::size_t EllipseCurves(const TEllipse& E, double Theta, double Delta, std::array<TArcCurve, 4>& Curves) {
  const auto Count =
      static_cast<std::size_t>(std::clamp(std::ceil(std::fabs(Delta) / (std::numbers::pi / 2) - 1e-9), 1.0, 4.0));
  const double Step = Delta / static_cast<double>(Count);
  const double H = 4.0 / 3.0 * std::tan(Step / 4);
  double X0, Y0, TX0, TY0;
  E.At(Theta, X0, Y0, TX0, TY0);
  for (std::size_t Index = 0; Index < Count; ++Index) {
    double X, Y, TX, TY;
    E.At(Theta + Step * static_cast<double>(Index + 1), X, Y, TX, TY);
    Curves[Index] = {X0 + H * TX0, Y0 + H * TY0, X - H * TX, Y - H * TY, X, Y};
    X0 = X;
    Y0 = Y;
    TX0 = TX;
    TY0 = TY;
  }
  return Count;
}

}  // namespace detail

// The centre parametrisation of the arc as SVG's implementation notes give it, then the
// ellipse's curves from the start's angle over the arc's.
std::size_t ArcToCurves(const TPointF& From, const TPointF& Radius, float XAxisRotationDegrees, bool LargeArc,
                        bool Sweep, const TPointF& End, std::array<TArcCurve, 4>& Curves) {
  const double X1 = From.X, Y1 = From.Y, X2 = End.X, Y2 = End.Y;
  if (X1 == X2 && Y1 == Y2) return 0;
  double RX = std::fabs(static_cast<double>(Radius.X)), RY = std::fabs(static_cast<double>(Radius.Y));
  if (RX == 0 || RY == 0) {
    Curves[0] = {X1, Y1, X2, Y2, X2, Y2};
    return 1;
  }
  const double Phi = std::fmod(static_cast<double>(XAxisRotationDegrees), 360.0) * std::numbers::pi / 180;
  const double CosPhi = std::cos(Phi), SinPhi = std::sin(Phi);
  const double DX = (X1 - X2) / 2, DY = (Y1 - Y2) / 2;
  const double PX = CosPhi * DX + SinPhi * DY, PY = -SinPhi * DX + CosPhi * DY;
  // Radii too small to join both ends are scaled up until they just do.
  const double Lambda = (PX * PX) / (RX * RX) + (PY * PY) / (RY * RY);
  if (Lambda > 1) {
    RX *= std::sqrt(Lambda);
    RY *= std::sqrt(Lambda);
  }
  const double Numerator = RX * RX * RY * RY - RX * RX * PY * PY - RY * RY * PX * PX;
  const double Denominator = RX * RX * PY * PY + RY * RY * PX * PX;
  const double Root = std::sqrt(std::max(0.0, Numerator / Denominator)) * (LargeArc != Sweep ? 1 : -1);
  const double CPX = Root * RX * PY / RY, CPY = -Root * RY * PX / RX;
  const detail::TEllipse Ellipse{
      CosPhi * CPX - SinPhi * CPY + (X1 + X2) / 2, SinPhi * CPX + CosPhi * CPY + (Y1 + Y2) / 2, RX, RY, CosPhi, SinPhi};
  const double Theta = AngleBetween(1, 0, (PX - CPX) / RX, (PY - CPY) / RY);
  double Delta = AngleBetween((PX - CPX) / RX, (PY - CPY) / RY, (-PX - CPX) / RX, (-PY - CPY) / RY);
  if (!Sweep && Delta > 0) Delta -= 2 * std::numbers::pi;
  if (Sweep && Delta < 0) Delta += 2 * std::numbers::pi;
  const std::size_t Count = detail::EllipseCurves(Ellipse, Theta, Delta, Curves);
  // The last curve ends exactly on the path's own end point.
  Curves[Count - 1].X = X2;
  Curves[Count - 1].Y = Y2;
  return Count;
}

}  // namespace fsvg
