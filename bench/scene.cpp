// Scene generation with a small fixed-seed generator (splitmix64), so that scenes do
// not depend on the standard library's distributions.
#include "scene.h"

#include <stdexcept>

namespace fsvg::bench {

namespace {

class TRandom {
 public:
  explicit TRandom(std::uint64_t Seed) : FState(Seed) {}

  std::uint64_t Next() {
    std::uint64_t Z = (FState += 0x9E3779B97F4A7C15ULL);
    Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBULL;
    return Z ^ (Z >> 31);
  }
  /// A float in [Low, High), with all 24 bits of a float's precision in use.
  float Uniform(float Low, float High) {
    const float Unit = static_cast<float>(Next() >> 40) * 0x1p-24f;
    return Low + Unit * (High - Low);
  }

 private:
  std::uint64_t FState;
};

constexpr float Thicknesses[] = {0.75f, 1, 1.5f, 2, 3.25f};

void FillElement(TElement& E, TElementKind Kind, TRandom& Random) {
  E.Kind = Kind;
  E.Color = 0xFF000000u | static_cast<TAlphaColor>(Random.Next() & 0xFFFFFF);
  E.Opacity = Random.Uniform(0.25f, 1);
  switch (Kind) {
    case TElementKind::Rect:
    case TElementKind::Ellipse:
    case TElementKind::Text: {
      const float Left = Random.Uniform(0, SceneWidth - 60);
      const float Top = Random.Uniform(0, SceneHeight - 60);
      E.V[0] = Left;
      E.V[1] = Top;
      E.V[2] = Left + Random.Uniform(1, 60);
      E.V[3] = Top + Random.Uniform(1, 60);
      break;
    }
    case TElementKind::Line:
      for (int Index = 0; Index < 4; ++Index) E.V[Index] = Random.Uniform(0, SceneWidth);
      E.Thickness = Thicknesses[Random.Next() % std::size(Thicknesses)];
      break;
    case TElementKind::Path:  // a corner and the four distances PathPoints moves it by
      E.V[0] = Random.Uniform(0, SceneWidth - 100);
      E.V[1] = Random.Uniform(0, SceneHeight - 100);
      for (int Index = 2; Index < 6; ++Index) E.V[Index] = Random.Uniform(0, 50);
      break;
    case TElementKind::Polygon: {
      const float X = Random.Uniform(0, SceneWidth - 50);
      const float Y = Random.Uniform(0, SceneHeight - 50);
      for (int Index = 0; Index < 6; Index += 2) {
        E.V[Index] = X + Random.Uniform(0, 50);
        E.V[Index + 1] = Y + Random.Uniform(0, 50);
      }
      break;
    }
  }
  if (Kind == TElementKind::Text) E.Label = static_cast<std::uint16_t>(Random.Next() % 1000);
}

}  // namespace

TScene MakeScene(TSceneKind Kind, std::size_t Count) {
  TScene Scene;
  Scene.Kind = Kind;
  for (int Index = 0; Index < 1000; ++Index) {
    const std::string Text = "Item " + std::to_string(Index);
    Scene.Utf8Labels.push_back(Text);
    Scene.Labels.emplace_back(Text.begin(), Text.end());
  }
  // The clipped scene draws the mix's very elements.
  TRandom Random(0x5EED0000u + static_cast<unsigned>(Kind == TSceneKind::Clipped ? TSceneKind::Mix : Kind));
  Scene.Elements.resize(Count);
  for (std::size_t Index = 0; Index < Count; ++Index) {
    TElementKind ElementKind;
    switch (Kind) {
      case TSceneKind::Rects:
        ElementKind = TElementKind::Rect;
        break;
      case TSceneKind::Lines:
        ElementKind = TElementKind::Line;
        break;
      case TSceneKind::Ellipses:
        ElementKind = TElementKind::Ellipse;
        break;
      case TSceneKind::Polygons:
        ElementKind = TElementKind::Polygon;
        break;
      case TSceneKind::Texts:
        ElementKind = TElementKind::Text;
        break;
      case TSceneKind::Paths:
        ElementKind = TElementKind::Path;
        break;
      default:
        ElementKind = static_cast<TElementKind>(Index % 5);
        break;
    }
    FillElement(Scene.Elements[Index], ElementKind, Random);
  }
  return Scene;
}

std::string_view SceneName(TSceneKind Kind) {
  switch (Kind) {
    case TSceneKind::Rects:
      return "rect";
    case TSceneKind::Lines:
      return "line";
    case TSceneKind::Ellipses:
      return "ellipse";
    case TSceneKind::Polygons:
      return "polygon";
    case TSceneKind::Texts:
      return "text";
    case TSceneKind::Mix:
      return "mix";
    case TSceneKind::Paths:
      return "path";
    case TSceneKind::Clipped:
      return "clipped";
  }
  return "?";
}

TSceneKind SceneByName(std::string_view Name) {
  for (TSceneKind Kind : AllScenes)
    if (SceneName(Kind) == Name) return Kind;
  throw std::invalid_argument("unknown scene \"" + std::string(Name) +
                              "\" (rect, line, ellipse, polygon, text, mix, path, clipped)");
}

}  // namespace fsvg::bench
