// The corner outline of a rectangle: the one shape every host paints for FillRect and
// DrawRect, and that a faithful recording writes as a path.
#include <algorithm>
#include <cstddef>

#include "fsvg/outline.h"

namespace fsvg {

namespace {

// Distance of a quarter ellipse's control points from its ends, as a fraction of the radius.
constexpr double Kappa = 0.5522847498307936;

}  // namespace

std::size_t RectOutline(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, TCornerType ACornerType,
                        TRectOutline& Steps) {
  const TRectF Edges = Normalized(ARect);
  const double Left = Edges.Left, Top = Edges.Top, Right = Edges.Right, Bottom = Edges.Bottom;
  const double Rx = std::clamp<double>(XRadius, 0, (Right - Left) / 2);
  const double Ry = std::clamp<double>(YRadius, 0, (Bottom - Top) / 2);
  if (!(Rx > 0 && Ry > 0)) ACorners = {};
  // Each corner: its point, then the offsets from it to where the outline enters and
  // leaves the corner's cut.
  struct TCornerShape {
    TCorner Corner;
    double X, Y, InX, InY, OutX, OutY;
  };
  const TCornerShape Shapes[] = {
      {TCorner::TopLeft, Left, Top, 0, Ry, Rx, 0},
      {TCorner::TopRight, Right, Top, -Rx, 0, 0, Ry},
      {TCorner::BottomRight, Right, Bottom, 0, -Ry, -Rx, 0},
      {TCorner::BottomLeft, Left, Bottom, Rx, 0, 0, -Ry},
  };
  std::size_t Count = 0;
  const auto LineTo = [&](double X, double Y) { Steps[Count++] = {false, 0, 0, 0, 0, X, Y}; };
  for (const TCornerShape& S : Shapes) {
    if (!ACorners.Contains(S.Corner)) {
      LineTo(S.X, S.Y);
      continue;
    }
    const double OutX = S.X + S.OutX, OutY = S.Y + S.OutY;
    LineTo(S.X + S.InX, S.Y + S.InY);
    switch (ACornerType) {
      case TCornerType::Round:
        Steps[Count++] = {true,
                          S.X + S.InX * (1 - Kappa),
                          S.Y + S.InY * (1 - Kappa),
                          S.X + S.OutX * (1 - Kappa),
                          S.Y + S.OutY * (1 - Kappa),
                          OutX,
                          OutY};
        break;
      case TCornerType::Bevel:
        LineTo(OutX, OutY);
        break;
      case TCornerType::InnerRound:
        // A quarter ellipse centred on the corner point, bulging into the rectangle.
        Steps[Count++] = {true,
                          S.X + S.InX + S.OutX * Kappa,
                          S.Y + S.InY + S.OutY * Kappa,
                          S.X + S.OutX + S.InX * Kappa,
                          S.Y + S.OutY + S.InY * Kappa,
                          OutX,
                          OutY};
        break;
      case TCornerType::InnerLine:
        LineTo(S.X + S.InX + S.OutX, S.Y + S.InY + S.OutY);
        LineTo(OutX, OutY);
        break;
    }
  }
  return Count;
}

}  // namespace fsvg
