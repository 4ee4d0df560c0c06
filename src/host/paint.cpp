// The dash patterns every host paints and a faithful recording writes (the presets, and
// a stroke brush's own), where a bitmap brush's pixels lie, and the families of a font's
// list.
#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string_view>

#include "fsvg/outline.h"
#include "fsvg/paint.h"

namespace fsvg {

namespace {

// Dash patterns in multiples of the thickness, by TStrokeDash.
constexpr float Dash[] = {3, 1}, Dot[] = {1, 1}, DashDot[] = {3, 1, 1, 1}, DashDotDot[] = {3, 1, 1, 1, 1, 1};
constexpr std::span<const float> DashPatterns[] = {{}, Dash, Dot, DashDot, DashDotDot, {}};
static_assert(std::size(DashPatterns) == static_cast<std::size_t>(TStrokeDash::Custom) + 1);

}  // namespace

std::span<const float> DashPattern(TStrokeDash Dash) { return DashPatterns[static_cast<std::size_t>(Dash)]; }

std::vector<float> DashPattern(const TStrokeBrush& ABrush) {
  if (ABrush.Dash != TStrokeDash::Custom) {
    const std::span<const float> Preset = DashPattern(ABrush.Dash);
    return {Preset.begin(), Preset.end()};
  }
  std::vector<float> Pattern = ABrush.DashArray;
  // An odd list, on and off in turn, swaps its roles on each repeat: twice over it is whole.
  if (Pattern.size() % 2 != 0) Pattern.insert(Pattern.end(), ABrush.DashArray.begin(), ABrush.DashArray.end());
  return Pattern;
}

TBitmapPlacement BitmapPlacement(const TBrush& ABrush, const TRectF& Bounds) {
  const TRectF Edges = Normalized(Bounds);
  switch (ABrush.Wrap) {
    case TBitmapWrap::Tile:
      return {Edges.Left, Edges.Top, 1, 1};
    case TBitmapWrap::TileFromOrigin:
      return {};
    case TBitmapWrap::Stretch:
      break;
  }
  const TBitmap& Bitmap = *ABrush.Bitmap;
  return {Edges.Left, Edges.Top, (static_cast<double>(Edges.Right) - Edges.Left) / Bitmap.GetWidth(),
          (static_cast<double>(Edges.Bottom) - Edges.Top) / Bitmap.GetHeight()};
}

std::vector<std::u16string> FontFamilies(const TFont& AFont) {
  std::vector<std::u16string> Families;
  const std::u16string_view List = AFont.Family;
  for (std::size_t Start = 0; Start <= List.size();) {
    const std::size_t End = std::min(List.find(u',', Start), List.size());
    std::u16string_view Name = List.substr(Start, End - Start);
    const auto Space = [](char16_t Unit) { return Unit == u' ' || Unit == u'\t' || Unit == u'\n' || Unit == u'\r'; };
    while (!Name.empty() && Space(Name.front())) Name.remove_prefix(1);
    while (!Name.empty() && Space(Name.back())) Name.remove_suffix(1);
    if (Name.size() >= 2 && (Name.front() == u'"' || Name.front() == u'\'') && Name.back() == Name.front())
      Name = Name.substr(1, Name.size() - 2);
    if (!Name.empty()) Families.emplace_back(Name);
    Start = End + 1;
  }
  return Families;
}

}  // namespace fsvg
