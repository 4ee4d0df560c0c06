// fsvg_glyphbytes: the size of text recorded as glyph outlines against the text element.
// Records N labels "Item 0" to "Item N-1" over the Cairo host three ways (the default
// text element, outlines with their selectable overlay, outlines alone) and prints, for
// each, the bytes a label takes (the document's bytes less the empty document's, over N)
// and the glyphs defined. Counts bytes only; it never times.
//
//   fsvg_glyphbytes [N]     (10000 by default)
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fsvg/cairocanvas.h"
#include "fsvg/fsvgcanvas.h"

namespace {

struct TRecorded {
  std::size_t Bytes = 0;
  std::size_t Definitions = 0;
};

// The document of Count labels under Options.
TRecorded Record(int Count, const fsvg::TSvgOptions& Options) {
  fsvg::TCairoCanvas Host(200, 40);
  Host.GetFont() = fsvg::TFont(u"DejaVu Sans", 12);
  fsvg::TMemoryStream Stream;
  {
    fsvg::TSvgCanvas Canvas(&Stream, &Host, Options);
    for (int I = 0; I < Count; ++I) {
      const std::string Label = "Item " + std::to_string(I);
      Canvas.FillText({10, 10, 190, 30}, std::u16string(Label.begin(), Label.end()), false, 1, {},
                      fsvg::TTextAlign::Leading);
    }
  }
  const std::string_view Text = Stream.View();
  TRecorded Result{Text.size(), 0};
  for (std::size_t At = Text.find("<defs><path"); At != std::string::npos; At = Text.find("<defs><path", At + 1))
    ++Result.Definitions;
  return Result;
}

}  // namespace

int main(int argc, char** argv) {
  const int Count = argc > 1 ? std::atoi(argv[1]) : 10000;
  if (Count <= 0) {
    std::fprintf(stderr, "usage: %s [N > 0]\n", argv[0]);
    return 2;
  }
  fsvg::TSvgOptions Outlines;
  Outlines.GlyphOutlines = true;
  fsvg::TSvgOptions Bare = Outlines;
  Bare.SelectableText = false;
  const std::pair<const char*, fsvg::TSvgOptions> Rows[] = {
      {"text element (default)", {}}, {"GlyphOutlines + SelectableText", Outlines}, {"GlyphOutlines alone", Bare}};
  std::printf("| recording of %d labels \"Item N\" | bytes/label | glyphs defined |\n|---|---:|---:|\n", Count);
  for (const auto& [Name, Options] : Rows) {
    const TRecorded Empty = Record(0, Options);
    const TRecorded Full = Record(Count, Options);
    std::printf("| %s | %.1f | %zu |\n", Name, static_cast<double>(Full.Bytes - Empty.Bytes) / Count, Full.Definitions);
  }
  return 0;
}
