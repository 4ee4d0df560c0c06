// Glyph outlines: the faces' shared destructor, and the canvas's MeasureGlyphs, which
// refuses what FillText refuses and hands the rest to the host.
#include "fsvg/glyphs.h"

#include "fsvg/hostcanvas.h"
#include "hostchecks.h"

namespace fsvg {

TGlyphFace::~TGlyphFace() = default;

void TCanvas::MeasureGlyphs(TGlyphLines& AGlyphs, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                            TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  detail::RequireFinite(ARect, "MeasureGlyphs: the rectangle must be finite");
  detail::RequireFinite({GetFont().Size}, "MeasureGlyphs: the font size must be finite");
  detail::RequireWeight(GetFont(), "MeasureGlyphs");
  TGlyphLines Glyphs;
  DoMeasureGlyphs(Glyphs, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
  AGlyphs = std::move(Glyphs);
}

void TCanvas::DoMeasureGlyphs(TGlyphLines& AGlyphs, const TRectF&, std::u16string_view, bool, TFillTextFlags,
                              TTextAlign, TTextAlign) {
  AGlyphs.Lines.clear();
}

}  // namespace fsvg
