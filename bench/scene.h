// The benchmark scenes: N elements of one kind (or a mix of all kinds) with varied
// non-integer coordinates, colours and opacities, generated from a fixed seed so that
// every configuration and every run draws the same picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fsvg/hostcanvas.h"

namespace fsvg::bench {

/// What one element is.
enum class TElementKind : std::uint8_t { Rect, Line, Ellipse, Polygon, Text, Path };

/// One drawing call. V holds the rectangle (Left, Top, Right, Bottom) of a rect, an
/// ellipse or a text, the two ends of a line, or the three points of a polygon.
struct TElement {
  TElementKind Kind = TElementKind::Rect;
  std::uint16_t Label = 0;  ///< index into TScene::Labels for a text
  TAlphaColor Color = 0xFF000000;
  float Opacity = 1;
  float Thickness = 1;  ///< a line's stroke width
  float V[6] = {};
};

/// The scenes the benchmark draws.
enum class TSceneKind { Rects, Lines, Ellipses, Polygons, Texts, Mix, Paths, Clipped };

inline constexpr TSceneKind AllScenes[] = {TSceneKind::Rects,    TSceneKind::Lines,  TSceneKind::Ellipses,
                                           TSceneKind::Polygons, TSceneKind::Texts,  TSceneKind::Mix,
                                           TSceneKind::Paths,    TSceneKind::Clipped};

/// The canvas every scene fits in, in logical units.
inline constexpr int SceneWidth = 1000;
inline constexpr int SceneHeight = 1000;
/// The font every text is drawn with.
inline constexpr std::u16string_view SceneFontFamily = u"sans-serif";
inline constexpr float SceneFontSize = 12;

/// The clip of the clipped scene (the mix drawn under one clip rectangle).
inline constexpr TRectF SceneClip{0, 0, SceneWidth * 0.75f, SceneHeight * 0.75f};

/// The steps of a path element, eight segments with curves and a close; PathPoints gives
/// the points they take, all from the element's six numbers.
inline constexpr TPathVerb PathVerbs[] = {
    TPathVerb::MoveTo,      TPathVerb::LineTo,  TPathVerb::QuadCurveTo, TPathVerb::CurveTo, TPathVerb::LineTo,
    TPathVerb::QuadCurveTo, TPathVerb::CurveTo, TPathVerb::LineTo,      TPathVerb::CurveTo, TPathVerb::ClosePath};
inline constexpr std::size_t PathPointCount = 17;

/// The points of a path element: around (V[0], V[1]), moved by V[2] .. V[5].
inline void PathPoints(const TElement& E, TPointF (&Points)[PathPointCount]) {
  const float X = E.V[0], Y = E.V[1], A = E.V[2], B = E.V[3], C = E.V[4], D = E.V[5];
  const float Xs[PathPointCount] = {X,     X + A, X + A + B, X + A, X + B, X + C, X,     X + D, X + C,
                                    X + D, X + B, X + A,     X + C, X + B, X + D, X + A, X + C};
  const float Ys[PathPointCount] = {Y,     Y,     Y + C, Y + D, Y + D, Y + A, Y + B, Y + C, Y + D,
                                    Y + A, Y + B, Y + C, Y + A, Y + D, Y + B, Y + C, Y + A};
  for (std::size_t I = 0; I < PathPointCount; ++I) Points[I] = {Xs[I], Ys[I]};
}

/// A generated scene and the text labels its elements refer to.
struct TScene {
  TSceneKind Kind = TSceneKind::Rects;
  std::vector<TElement> Elements;
  std::vector<std::u16string> Labels;  ///< "Item 0" .. "Item 999"
  std::vector<std::string> Utf8Labels;
};

/// Makes a scene of Count elements; the same arguments give the same scene.
TScene MakeScene(TSceneKind Kind, std::size_t Count);

/// "rect", "line", ... as used on the command line and in the table.
std::string_view SceneName(TSceneKind Kind);
/// The scene named Name; throws std::invalid_argument for an unknown name.
TSceneKind SceneByName(std::string_view Name);

/// Sets the font every text is drawn with on Canvas, and sizes the reused polygon.
template <typename TTarget>
void PrepareDrawing(TTarget& Canvas, TPolygon& Polygon) {
  Polygon.resize(3);
  Canvas.GetFont().Family = SceneFontFamily;
  Canvas.GetFont().Size = SceneFontSize;
}

/// Draws the scene's elements First to Last (not included) on a canvas PrepareDrawing
/// has prepared, with the TCanvas drawing calls (a TSvgCanvas or a host canvas).
/// Polygon is a reused three-point buffer, so that drawing allocates nothing.
template <typename TTarget>
void DrawElements(TTarget& Canvas, const TScene& Scene, std::size_t First, std::size_t Last, TPolygon& Polygon) {
  for (std::size_t Index = First; Index < Last; ++Index) {
    const TElement& E = Scene.Elements[Index];
    switch (E.Kind) {
      case TElementKind::Rect:
        Canvas.FillRect(TRectF{E.V[0], E.V[1], E.V[2], E.V[3]}, 0, 0, AllCorners, E.Opacity,
                        TBrush(TBrushKind::Solid, E.Color));
        break;
      case TElementKind::Line:
        Canvas.DrawLine(TPointF{E.V[0], E.V[1]}, TPointF{E.V[2], E.V[3]}, E.Opacity,
                        TStrokeBrush(TBrushKind::Solid, E.Color, E.Thickness));
        break;
      case TElementKind::Ellipse:
        Canvas.FillEllipse(TRectF{E.V[0], E.V[1], E.V[2], E.V[3]}, E.Opacity, TBrush(TBrushKind::Solid, E.Color));
        break;
      case TElementKind::Polygon:
        Polygon[0] = {E.V[0], E.V[1]};
        Polygon[1] = {E.V[2], E.V[3]};
        Polygon[2] = {E.V[4], E.V[5]};
        Canvas.GetFill().Color = E.Color;
        Canvas.FillPolygon(Polygon, E.Opacity);
        break;
      case TElementKind::Text:
        Canvas.GetFill().Color = E.Color;
        Canvas.FillText(TRectF{E.V[0], E.V[1], E.V[2], E.V[3]}, Scene.Labels[E.Label], false, E.Opacity, {},
                        TTextAlign::Leading, TTextAlign::Center);
        break;
      case TElementKind::Path: {
        // One path rebuilt in place: after the first, drawing allocates nothing.
        thread_local TPathData Path;
        TPointF P[PathPointCount];
        PathPoints(E, P);
        Path.Clear();
        Path.MoveTo(P[0]).LineTo(P[1]).QuadCurveTo(P[2], P[3]).CurveTo(P[4], P[5], P[6]).LineTo(P[7]);
        Path.QuadCurveTo(P[8], P[9]).CurveTo(P[10], P[11], P[12]).LineTo(P[13]).CurveTo(P[14], P[15], P[16]);
        Path.ClosePath();
        Canvas.FillPath(Path, E.Opacity, TBrush(TBrushKind::Solid, E.Color));
        break;
      }
    }
  }
}

/// Draws the whole scene on Canvas.
template <typename TTarget>
void DrawScene(TTarget& Canvas, const TScene& Scene, TPolygon& Polygon) {
  PrepareDrawing(Canvas, Polygon);
  if (Scene.Kind == TSceneKind::Clipped) Canvas.IntersectClipRect(SceneClip);
  DrawElements(Canvas, Scene, 0, Scene.Elements.size(), Polygon);
}

}  // namespace fsvg::bench
