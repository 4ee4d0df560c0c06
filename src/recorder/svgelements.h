// The pieces several element lines share, each writing whole attributes: a rectangle's
// and an ellipse's geometry, the radius pair, a rectangle's outline as the host cuts its
// corners, the fill and stroke tails, the transform, point lists, an arc's path and a path's data.
// Always inlined, so the line's cursor stays in a register (a call would put it in
// memory and reload it after every character stored). Positions add the host's offset,
// read once for the element; a piece that the options extend takes the switches an
// element is built against (TPlainSwitches or TSvgOptions).
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

#include "fsvg/fsvgcanvas.h"
#include "svgline.h"
#include "svgnames.h"

namespace fsvg::detail {

// A radius within this of zero counts as zero.
inline constexpr double RadiusTolerance = 1e-12;

inline bool IsZero(double Value) { return std::fabs(Value) <= RadiusTolerance; }

inline bool IsBrushVisible(const TBrush& ABrush) { return ABrush.Kind != TBrushKind::None; }

inline bool IsStrokeVisible(const TStrokeBrush& ABrush) {
  // Strictly positive: 0, negative and NaN thicknesses leave no mark, but for a hairline.
  return ABrush.Kind != TBrushKind::None && (ABrush.Hairline || static_cast<double>(ABrush.Thickness) > 0.0);
}

// The width ABrush is recorded with: its thickness, or for a hairline the width that is
// one device pixel under the element's matrix (the host's when the options record it)
// and the host's scale. A matrix that scales unevenly or shears gets the width whose
// square is the pixel's area in user units, 1/sqrt(|det|): a line along an axis the
// matrix stretches less comes out wider than a pixel, a line along one it stretches
// more narrower. A matrix that flattens everything gets one pixel at the host's scale.
template <typename TSwitches>
double StrokeWidth(const TStrokeBrush& ABrush, const TCanvas& Canvas, const TSwitches& Options) {
  if (!ABrush.Hairline) return ABrush.Thickness;
  double Stretch = 1;
  if (Options.Transforms && Canvas.GetMatrixMeaning() != TMatrixMeaning::Identity) {
    const TMatrix& M = Canvas.GetMatrix();
    Stretch = std::sqrt(std::fabs(static_cast<double>(M.m11) * M.m22 - static_cast<double>(M.m12) * M.m21));
    if (!(Stretch > 0) || !std::isfinite(Stretch)) Stretch = 1;
  }
  return 1 / (Stretch * Canvas.GetScale());
}

// Room for the dash pattern, offset and miter limit of ABrush beyond a fixed-shape line.
inline std::size_t StrokeStyleRoom(const TStrokeBrush& ABrush) {
  return (2 * ABrush.DashArray.size() + 2) * (MaxRealLength + 1) + 64;
}

// Whether an element is built for a recording with some option on. Such a recording
// shows a rectangle or an ellipse given right to left or bottom to top as the host
// paints it, normalised (a negative width or radius would draw nothing), its size
// taken in double (the edges of a rectangle spanning the float range lie further
// apart than a float holds). The plain recording writes the size as given.
// Whether the options show it so: any switch on (a recording that only changes the
// places of its numbers is the plain one otherwise).
constexpr bool Normalizes(const TPlainSwitches&) { return false; }
// A clip's rectangle, written as the host clips it whatever the options.
struct TNormalizing {};
constexpr bool Normalizes(const TNormalizing&) { return true; }
inline bool Normalizes(const TSvgOptions& Options) { return AnySwitch(Options); }

// The lesser of two edges, and their distance, as the host paints between them.
inline double Least(float A, float B) { return std::min<double>(A, B); }
inline double Apart(float A, float B) { return std::fabs(static_cast<double>(B) - A); }

template <typename TSwitches>
[[gnu::always_inline]] inline void PutRectGeometry(TLine& Line, const TRectF& ARect, TPointF Offset,
                                                   const TSwitches& Options) {
  Line.Open("rect");
  if (Normalizes(Options)) {
    Line.Attr("x", Least(ARect.Left, ARect.Right) + Offset.X);
    Line.Attr("y", Least(ARect.Top, ARect.Bottom) + Offset.Y);
    Line.Attr("width", Apart(ARect.Left, ARect.Right));
    Line.Attr("height", Apart(ARect.Top, ARect.Bottom));
  } else {
    Line.Attr("x", static_cast<double>(ARect.Left) + Offset.X);
    Line.Attr("y", static_cast<double>(ARect.Top) + Offset.Y);
    Line.Attr("width", static_cast<double>(ARect.Width()));
    Line.Attr("height", static_cast<double>(ARect.Height()));
  }
}

template <typename TSwitches>
[[gnu::always_inline]] inline void PutEllipseGeometry(TLine& Line, const TRectF& ARect, TPointF Offset,
                                                      const TSwitches& Options) {
  Line.Open("ellipse");
  if (Normalizes(Options)) {
    Line.Attr("cx", (static_cast<double>(ARect.Left) + ARect.Right) / 2 + Offset.X);
    Line.Attr("cy", (static_cast<double>(ARect.Top) + ARect.Bottom) / 2 + Offset.Y);
    Line.Attr("rx", Apart(ARect.Left, ARect.Right) / 2);
    Line.Attr("ry", Apart(ARect.Top, ARect.Bottom) / 2);
  } else {
    const TPointF Center = ARect.CenterPoint();
    Line.Attr("cx", static_cast<double>(Center.X) + Offset.X);
    Line.Attr("cy", static_cast<double>(Center.Y) + Offset.Y);
    Line.Attr("rx", static_cast<double>(ARect.Width()) / 2.0);
    Line.Attr("ry", static_cast<double>(ARect.Height()) / 2.0);
  }
}

// A rectangle's outline as the host paints it, offset: a rect when no corner is cut,
// else a path of the outline's steps. Written under the options only.
template <typename TSwitches>
void PutRectOutline(TLine& Line, const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners,
                    TCornerType ACornerType, TPointF Offset, const TSwitches& Options) {
  TRectOutline Steps;
  const std::size_t Count = RectOutline(ARect, XRadius, YRadius, ACorners, ACornerType, Steps);
  if (Count == 4) return PutRectGeometry(Line, ARect, Offset, Options);
  const auto PutXY = [&](double X, double Y) {
    Line.Put(X + Offset.X);
    Line.Put(' ');
    Line.Put(Y + Offset.Y);
  };
  Line.Open("path");
  Line.Attr("d", [&] {
    Line.Put("M ");
    PutXY(Steps[0].X, Steps[0].Y);
    for (std::size_t Index = 1; Index < Count; ++Index) {
      const TOutlineStep& S = Steps[Index];
      if (S.Curve) {
        Line.Put(" C ");
        PutXY(S.X1, S.Y1);
        Line.Put(' ');
        PutXY(S.X2, S.Y2);
        Line.Put(' ');
      } else {
        Line.Put(" L ");
      }
      PutXY(S.X, S.Y);
    }
    Line.Put(" Z");
  });
}

// Both radii, unchanged, when either would round a corner: a y-radius alone counts
// only when some corner is to be rounded.
[[gnu::always_inline]] inline void PutRadii(TLine& Line, float XRadius, float YRadius, TCorners ACorners) {
  if (IsZero(XRadius) && (IsZero(YRadius) || ACorners.IsEmpty())) return;
  Line.Attr("rx", static_cast<double>(XRadius));
  Line.Attr("ry", static_cast<double>(YRadius));
}

// A colour's alpha as the attribute Name, when the options record it and the colour is
// not opaque.
template <std::size_t N, typename TSwitches>
[[gnu::always_inline]] inline void PutAlpha(TLine& Line, const char (&Name)[N], TAlphaColor Color,
                                            const TSwitches& Options) {
  if (!Options.ColorAlpha || Color >> 24 == 0xFF) return;
  Line.Attr(Name, static_cast<double>(Color >> 24) / 255.0);
}

// A filled or outlined rectangle: the plain rect with its radius pair, or the host's
// own outline when the options ask for the corners' shapes.
template <typename TSwitches>
[[gnu::always_inline]] inline void PutRectShape(TLine& Line, const TRectF& ARect, float XRadius, float YRadius,
                                                TCorners ACorners, TCornerType ACornerType, TPointF Offset,
                                                const TSwitches& Options) {
  // Under the options a rectangle no corner of which is rounded (the usual one) skips
  // the outline, which would come out as the same plain rect.
  if (Options.CornerShapes && !ACorners.IsEmpty() && XRadius > 0 && YRadius > 0)
    return PutRectOutline(Line, ARect, XRadius, YRadius, ACorners, ACornerType, Offset, Options);
  PutRectGeometry(Line, ARect, Offset, Options);
  if (!Options.CornerShapes) PutRadii(Line, XRadius, YRadius, ACorners);
}

// A paint's colour as the attribute Name: currentColor for the options' theme colour,
// which the root carries, so that a page restyles it; else #RRGGBB.
template <std::size_t N, typename TSwitches>
[[gnu::always_inline]] inline void PutColor(TLine& Line, const char (&Name)[N], TAlphaColor Color,
                                            const TSwitches& Options) {
  if (Options.ThemeColor == Color) [[unlikely]]
    return Line.Attr(Name, "currentColor");
  Line.Attr(Name, TColorValue{Color});
}

// A fill colour and, under the options, its alpha.
template <typename TSwitches>
[[gnu::always_inline]] inline void PutFillColor(TLine& Line, TAlphaColor Color, const TSwitches& Options) {
  PutColor(Line, "fill", Color, Options);
  PutAlpha(Line, "fill-opacity", Color, Options);
}

// A paint server's reference, url(#Id).
[[gnu::always_inline]] inline void PutPaintRef(TLine& Line, std::string_view Id) {
  Line.Put("url(#");
  Line.Put(Id);
  Line.Put(')');
}

// opacity, then the fill: the gradient Paint names when the options record gradients
// and the brush has one, else the colour.
template <typename TSwitches>
[[gnu::always_inline]] inline void PutFillTail(TLine& Line, float AOpacity, const TBrush& ABrush,
                                               const TSwitches& Options, std::string_view Paint = {}) {
  Line.Attr("opacity", static_cast<double>(AOpacity));
  if (Options.Gradients && !Paint.empty()) return Line.Attr("fill", [&] { PutPaintRef(Line, Paint); });
  PutFillColor(Line, ABrush.Color, Options);
}

// Dash pattern and offset, cap, join and miter limit where they are not SVG's defaults,
// the dashes in multiples of Width, the width the stroke is recorded with.
inline void PutStrokeStyle(TLine& Line, const TStrokeBrush& ABrush, double Width) {
  const std::vector<float> Dashes = DashPattern(ABrush);
  if (!Dashes.empty()) {
    Line.Attr("stroke-dasharray", [&] {
      for (std::size_t Index = 0; Index < Dashes.size(); ++Index) {
        if (Index != 0) Line.Put(',');
        Line.Put(static_cast<double>(Dashes[Index]) * Width);
      }
    });
    if (ABrush.DashOffset != 0) Line.Attr("stroke-dashoffset", static_cast<double>(ABrush.DashOffset) * Width);
  }
  if (ABrush.Cap != TStrokeCap::Flat) Line.Attr("stroke-linecap", detail::CapName(ABrush.Cap));
  if (ABrush.Join != TStrokeJoin::Miter) Line.Attr("stroke-linejoin", detail::JoinName(ABrush.Join));
  if (ABrush.MiterLimit != 4) Line.Attr("stroke-miterlimit", static_cast<double>(ABrush.MiterLimit));
}

// stroke-width (Width), the stroke's gradient (as for PutFillTail) or colour, its style
// under the options, then opacity.
template <typename TSwitches>
[[gnu::always_inline]] inline void PutStrokeTail(TLine& Line, float AOpacity, const TStrokeBrush& ABrush, double Width,
                                                 const TSwitches& Options, std::string_view Paint = {}) {
  Line.Attr("stroke-width", Width);
  if (Options.Gradients && !Paint.empty()) {
    Line.Attr("stroke", [&] { PutPaintRef(Line, Paint); });
  } else {
    PutColor(Line, "stroke", ABrush.Color, Options);
    PutAlpha(Line, "stroke-opacity", ABrush.Color, Options);
  }
  if (Options.StrokeStyle) PutStrokeStyle(Line, ABrush, Width);
  Line.Attr("opacity", static_cast<double>(AOpacity));
}

// A matrix as the transform function matrix(...), each entry exact.
inline void PutMatrixFunction(TLine& Line, const TMatrix& M) {
  Line.Put("matrix(");
  Line.PutExact(M.m11);
  for (const float Entry : {M.m12, M.m21, M.m22, M.m31, M.m32}) {
    Line.Put(' ');
    Line.PutExact(Entry);
  }
  Line.Put(')');
}

// A matrix as transform="matrix(...)", unless it is the identity.
inline void PutMatrix(TLine& Line, const TMatrix& M) {
  if (M == TMatrix{}) return;
  Line.Attr("transform", [&] { PutMatrixFunction(Line, M); });
}

// The host's matrix, when the options record it and it is not the identity. The host
// adds the offset first and then applies the matrix, as SVG applies a transform to the
// element's own coordinates, which carry the offset. Each entry is written exactly (a
// scale of 0.00015 rounded to four places would be 0.0002, and a rotation's entries
// rounded so would move a point 20,000 units out by half a pixel).
template <typename TSwitches>
[[gnu::always_inline]] inline void PutTransform(TLine& Line, const TCanvas& Canvas, const TSwitches& Options) {
  if (!Options.Transforms || Canvas.GetMatrixMeaning() == TMatrixMeaning::Identity) return;
  PutMatrix(Line, Canvas.GetMatrix());
}

[[gnu::always_inline]] inline void PutPoint(TLine& Line, const TPointF& APoint, TPointF Offset) {
  Line.Put(static_cast<double>(APoint.X) + Offset.X);
  Line.Put(',');
  Line.Put(static_cast<double>(APoint.Y) + Offset.Y);
}

// The points of a list, offset, separated by spaces; Closed repeats the first.
[[gnu::always_inline]] inline void PutPointList(TLine& Line, const TPolygon& Points, TPointF Offset, bool Closed) {
  PutPoint(Line, Points.front(), Offset);
  for (std::size_t Index = 1; Index < Points.size(); ++Index) {
    Line.Put(' ');
    PutPoint(Line, Points[Index], Offset);
  }
  if (Closed) {
    Line.Put(' ');
    PutPoint(Line, Points.front(), Offset);
  }
}

// Room for a polygon's or polyline's points beyond a fixed-shape line: Extra points
// besides the polygon's own.
// An image's pixels as the nearest ones, said so that each renderer finds its own word:
// Chromium reads optimizeSpeed as smooth but takes pixelated, and drops the later
// optimizeSpeed declaration it does not know; resvg takes a style's last declaration
// whatever it says, and knows only optimizeSpeed; the attribute serves renderers without
// style.
inline void PutNearestPixels(TLine& Line) {
  Line.Attr("image-rendering", "optimizeSpeed");
  Line.Attr("style", "image-rendering:pixelated;image-rendering:optimizeSpeed");
}

inline std::size_t PointListRoom(const TPolygon& Points, std::size_t Extra) {
  return (Points.size() + Extra) * (2 * MaxRealLength + 2);
}

// The path of an arc: a move to the start point and elliptical-arc commands. Angles
// are turned into radians in single precision; the end angle is their sum in double.
// The arc takes Offset, which is zero unless the options ask for the host's offset.
// The flags follow the sweep: large-arc when the sweep, less whole turns, exceeds 180
// degrees; sweep-flag for a positive sweep (reversed when exactly one radius is
// negative, which mirrors the ellipse). A sweep of a whole turn or more draws the whole
// ellipse as two half arcs through the point opposite the start, since an arc whose
// ends coincide draws nothing.
[[gnu::always_inline]] inline void PutArcPath(TLine& Line, const TPointF& Center, const TPointF& Radius,
                                              float StartAngle, float SweepAngle, TPointF Offset) {
  constexpr double DegreesToRadians = std::numbers::pi / 180;
  const double CX = static_cast<double>(Center.X) + Offset.X;
  const double CY = static_cast<double>(Center.Y) + Offset.Y;
  const double RX = Radius.X;
  const double RY = Radius.Y;
  const float Start = static_cast<float>(StartAngle * DegreesToRadians);
  const float Sweep = static_cast<float>(SweepAngle * DegreesToRadians);
  const double End = static_cast<double>(Start) + Sweep;
  const auto PutPointAt = [&](double Angle) {
    Line.Put(CX + RX * std::cos(Angle));
    Line.Put(' ');
    Line.Put(CY + RY * std::sin(Angle));
  };
  const auto PutRadiiAndFlags = [&](std::string_view Flags) {
    Line.Put(" A ");
    Line.Put(RX);
    Line.Put(' ');
    Line.Put(RY);
    Line.Put(Flags);
  };

  const double Degrees = std::fabs(static_cast<double>(SweepAngle));
  const bool Mirrored = (RX < 0) != (RY < 0);
  const bool Positive = (SweepAngle >= 0 || std::isnan(SweepAngle)) != Mirrored;

  Line.Open("path");
  Line.Attr("d", [&] {
    Line.Put("M ");
    PutPointAt(Start);
    if (Degrees >= 360) {
      const std::string_view Flags = Positive ? " 0 0 1 " : " 0 0 0 ";
      PutRadiiAndFlags(Flags);
      PutPointAt(static_cast<double>(Start) + std::copysign(std::numbers::pi, SweepAngle));
      PutRadiiAndFlags(Flags);
      PutPointAt(Start);
      return;
    }
    const bool Large = Degrees > 180;
    PutRadiiAndFlags(Large ? (Positive ? " 0 1 1 " : " 0 1 0 ") : (Positive ? " 0 0 1 " : " 0 0 0 "));
    PutPointAt(End);
  });
}

// Room for a path's data beyond a fixed-shape line: every point and a letter a step.
inline std::size_t PathRoom(const TPathData& APath) {
  return (APath.Points().size() + APath.Verbs().size()) * (2 * MaxRealLength + 4);
}

// A path's steps as absolute commands, each point offset: M, L, Q, C, A (the radii and
// rotation as given, the two flags) and Z.
inline void PutPathData(TLine& Line, const TPathData& APath, TPointF Offset) {
  static constexpr std::string_view Commands[] = {"M", "L", "Q", "C", "A", "Z"};
  static_assert(std::size(Commands) == PathVerbPoints.size());
  const auto PutXY = [&](const TPointF& P) {
    Line.Put(' ');
    Line.Put(static_cast<double>(P.X) + Offset.X);
    Line.Put(' ');
    Line.Put(static_cast<double>(P.Y) + Offset.Y);
  };
  const TPointF* Point = APath.Points().data();
  bool First = true;
  for (const TPathVerb Verb : APath.Verbs()) {
    if (!First) Line.Put(' ');
    First = false;
    Line.Put(Commands[static_cast<std::size_t>(Verb)]);
    if (Verb == TPathVerb::ArcTo) {
      const auto Flags = static_cast<unsigned>(Point[1].Y);
      Line.Put(' ');
      Line.Put(static_cast<double>(Point[0].X));
      Line.Put(' ');
      Line.Put(static_cast<double>(Point[0].Y));
      Line.Put(' ');
      Line.Put(static_cast<double>(Point[1].X));
      Line.Put((Flags & TPathData::LargeArcFlag) != 0 ? " 1" : " 0");
      Line.Put((Flags & TPathData::SweepFlag) != 0 ? " 1" : " 0");
      PutXY(Point[2]);
    } else {
      for (std::size_t Index = 0; Index < PathVerbPoints[static_cast<std::size_t>(Verb)]; ++Index) PutXY(Point[Index]);
    }
    Point += PathVerbPoints[static_cast<std::size_t>(Verb)];
  }
}

}  // namespace fsvg::detail
