// Glyph outlines for the Cairo host: the runs of a laid-out text are the glyphs its
// painting shapes (ShapeLine, line by line, in the font selected for painting), and a
// face's outlines are Cairo's own glyph paths at a size of one font unit a unit.
#include <memory>
#include <string>
#include <vector>

#include "checks.h"
#include "fsvg/cairocanvas.h"
#include "textshaping.h"

#ifdef FSVG_CAIRO_HAS_FREETYPE
#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

namespace fsvg {

namespace {

// The em of a face whose units are unknown (no FreeType): outlines are then taken at
// this size, the em of most outline fonts.
constexpr float NominalUnitsPerEm = 2048;

// A Cairo font face, referenced, known by its names (and the emboldening or slant Cairo
// adds to it), or by its address where FreeType cannot name it.
class TCairoGlyphFace final : public TGlyphFace {
 public:
  TCairoGlyphFace(cairo_font_face_t* Face, std::string Key, float UnitsPerEm)
      : TGlyphFace(std::move(Key), UnitsPerEm), FFace(cairo_font_face_reference(Face)) {}
  ~TCairoGlyphFace() override { cairo_font_face_destroy(FFace); }
  TCairoGlyphFace(const TCairoGlyphFace&) = delete;
  TCairoGlyphFace& operator=(const TCairoGlyphFace&) = delete;

  // The glyph's path at a size of units per em, unhinted, so that each unit of the path
  // is a font unit.
  TPathData Outline(std::uint32_t AGlyph) const override {
    struct TSurfaceDeleter {
      void operator()(cairo_surface_t* S) const noexcept { cairo_surface_destroy(S); }
    };
    struct TContextDeleter {
      void operator()(cairo_t* C) const noexcept { cairo_destroy(C); }
    };
    struct TPathDeleter {
      void operator()(cairo_path_t* P) const noexcept { cairo_path_destroy(P); }
    };
    struct TOptionsDeleter {
      void operator()(cairo_font_options_t* O) const noexcept { cairo_font_options_destroy(O); }
    };
    const std::unique_ptr<cairo_surface_t, TSurfaceDeleter> Surface(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
    const std::unique_ptr<cairo_t, TContextDeleter> Context(cairo_create(Surface.get()));
    cairo_set_font_face(Context.get(), FFace);
    cairo_set_font_size(Context.get(), GetUnitsPerEm());
    const std::unique_ptr<cairo_font_options_t, TOptionsDeleter> Options(cairo_font_options_create());
    cairo_font_options_set_hint_style(Options.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(Options.get(), CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(Context.get(), Options.get());
    const cairo_glyph_t Glyph{AGlyph, 0, 0};
    cairo_glyph_path(Context.get(), &Glyph, 1);
    const std::unique_ptr<cairo_path_t, TPathDeleter> Path(cairo_copy_path(Context.get()));
    detail::CheckStatus(Path->status);
    TPathData Result;
    for (int I = 0; I < Path->num_data; I += Path->data[I].header.length) {
      const cairo_path_data_t* Data = &Path->data[I];
      const auto At = [Data](int K) {
        return TPointF{static_cast<float>(Data[K].point.x), static_cast<float>(Data[K].point.y)};
      };
      switch (Data->header.type) {
        case CAIRO_PATH_MOVE_TO:
          Result.MoveTo(At(1));
          break;
        case CAIRO_PATH_LINE_TO:
          Result.LineTo(At(1));
          break;
        case CAIRO_PATH_CURVE_TO:
          Result.CurveTo(At(1), At(2), At(3));
          break;
        case CAIRO_PATH_CLOSE_PATH:
          Result.ClosePath();
          break;
      }
    }
    return Result;
  }

 private:
  cairo_font_face_t* FFace;
};

// The face Font's glyphs are in, with its units per em and its key.
std::shared_ptr<const TGlyphFace> FaceOf(cairo_scaled_font_t* Font) {
  cairo_font_face_t* Face = cairo_scaled_font_get_font_face(Font);
#ifdef FSVG_CAIRO_HAS_FREETYPE
  if (cairo_scaled_font_get_type(Font) == CAIRO_FONT_TYPE_FT) {
    const FT_Face FtFace = cairo_ft_scaled_font_lock_face(Font);
    if (FtFace != nullptr) {
      std::string Key = FtFace->family_name != nullptr ? FtFace->family_name : "";
      Key += '/';
      Key += FtFace->style_name != nullptr ? FtFace->style_name : "";
      Key += '/' + std::to_string(FtFace->num_glyphs) + '/' + std::to_string(FtFace->face_index) + '/' +
             std::to_string(cairo_ft_font_face_get_synthesize(Face));
      const float UnitsPerEm = FtFace->units_per_EM != 0 ? FtFace->units_per_EM : NominalUnitsPerEm;
      cairo_ft_scaled_font_unlock_face(Font);
      return std::make_shared<TCairoGlyphFace>(Face, std::move(Key), UnitsPerEm);
    }
  }
#endif
  return std::make_shared<TCairoGlyphFace>(Face, "cairo/" + std::to_string(reinterpret_cast<std::uintptr_t>(Face)),
                                           NominalUnitsPerEm);
}

}  // namespace

void TCairoCanvas::DoMeasureGlyphs(TGlyphLines& AGlyphs, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                                   TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  AGlyphs.Lines.clear();
  TLineMetricInfo Lines;
  MeasureLines(Lines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
  // As DoFillText: the metrics select the font into the measuring context, whose scaled
  // font shapes every line.
  const float Ascent = GetFontMetrics().Ascent;
  cairo_scaled_font_t* Font = cairo_get_scaled_font(FMeasureContext.get());
  detail::CheckStatus(cairo_scaled_font_status(Font));
  const std::shared_ptr<const TGlyphFace> Face = FaceOf(Font);
  for (const TLineMetricInfo::TLineMetric& Line : Lines.Metrics) {
    TGlyphRun Run{Face, GetFont().Size, {}};
    for (const cairo_glyph_t& Glyph : detail::ShapeLine(Font, GetFont().Size, AText, Line, Ascent))
      Run.Glyphs.push_back(
          {static_cast<std::uint32_t>(Glyph.index), {static_cast<float>(Glyph.x), static_cast<float>(Glyph.y)}});
    AGlyphs.Lines.push_back({{std::move(Run)}});
  }
}

}  // namespace fsvg
