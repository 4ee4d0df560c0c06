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
enum class TElementKind : std::uint8_t { Rect, Line, Ellipse, Polygon, Text };

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
enum class TSceneKind { Rects, Lines, Ellipses, Polygons, Texts, Mix };

inline constexpr TSceneKind AllScenes[] = {TSceneKind::Rects,    TSceneKind::Lines, TSceneKind::Ellipses,
                                           TSceneKind::Polygons, TSceneKind::Texts, TSceneKind::Mix};

/// The canvas every scene fits in, in logical units.
inline constexpr int SceneWidth = 1000;
inline constexpr int SceneHeight = 1000;
/// The font every text is drawn with.
inline constexpr std::u16string_view SceneFontFamily = u"sans-serif";
inline constexpr float SceneFontSize = 12;

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
    }
  }
}

/// Draws the whole scene on Canvas.
template <typename TTarget>
void DrawScene(TTarget& Canvas, const TScene& Scene, TPolygon& Polygon) {
  PrepareDrawing(Canvas, Polygon);
  DrawElements(Canvas, Scene, 0, Scene.Elements.size(), Polygon);
}

}  // namespace fsvg::bench
