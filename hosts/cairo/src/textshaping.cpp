// Text for the Cairo host: the UTF-8 Cairo takes, the font selected for a call, glyphs
// shaped and kerned, the measurer the shared layout asks for widths, and the glyph
// outlines a painted text fills. Measuring and painting place glyphs the same way, so a
// line breaks exactly where its painted width says it must.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "checks.h"
#include "fsvg/cairocanvas.h"
#include "fsvg/hostcanvas.h"
#include "textshaping.h"

#ifdef FSVG_CAIRO_HAS_FREETYPE
#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

namespace fsvg {

namespace detail {

namespace {

// FreeType refuses a font whose size in device pixels exceeds this.
constexpr double MaxFontPixels = 65535;

// A noncharacter starting at Text[I]: U+FDD0 to U+FDEF, or a code point ending in FFFE
// or FFFF, whose high surrogate ends in 3F and whose low one is DFFE or DFFF. Returns
// the number of units it takes, 0 for any other character.
std::size_t NoncharacterAt(std::u16string_view Text, std::size_t I) {
  const char16_t Unit = Text[I];
  if ((Unit >= 0xFDD0 && Unit <= 0xFDEF) || Unit >= 0xFFFE) return 1;
  const bool High = (Unit & 0xFC3F) == 0xD83F;  // D800 to DBFF, ending in 3F
  return High && I + 1 < Text.size() && (Text[I + 1] == 0xDFFE || Text[I + 1] == 0xDFFF) ? 2 : 0;
}

/// The glyphs of Text in Font, unkerned, each placed at the sum of the advances before it.
std::vector<cairo_glyph_t> TextToGlyphs(cairo_scaled_font_t* Font, std::u16string_view Text) {
  const std::string Utf8 = CairoText(Text);
  cairo_glyph_t* Glyphs = nullptr;
  int Count = 0;
  const cairo_status_t Status = cairo_scaled_font_text_to_glyphs(Font, 0, 0, Utf8.data(), static_cast<int>(Utf8.size()),
                                                                 &Glyphs, &Count, nullptr, nullptr, nullptr);
  const std::unique_ptr<cairo_glyph_t, decltype(&cairo_glyph_free)> Owned(Glyphs, &cairo_glyph_free);
  CheckStatus(Status);
  return {Glyphs, Glyphs + Count};
}

/// The kerning between two glyphs of one scaled font, from the font's kerning table, as
/// text shapers (and so SVG renderers) apply it. Without FreeType, or for a font without
/// kerning, every pair is zero. Keeps the font's face locked while it lives.
class TKerning {
 public:
  TKerning([[maybe_unused]] cairo_scaled_font_t* Font, [[maybe_unused]] double Size) {
#ifdef FSVG_CAIRO_HAS_FREETYPE
    if (cairo_scaled_font_get_type(Font) != CAIRO_FONT_TYPE_FT) return;
    FFace = cairo_ft_scaled_font_lock_face(Font);
    if (FFace == nullptr) return;
    FFont = Font;
    if (FT_HAS_KERNING(FFace) && FFace->units_per_EM != 0) FUnitsToSize = Size / FFace->units_per_EM;
#endif
  }
  ~TKerning() {
#ifdef FSVG_CAIRO_HAS_FREETYPE
    if (FFont != nullptr) cairo_ft_scaled_font_unlock_face(FFont);
#endif
  }
  TKerning(const TKerning&) = delete;
  TKerning& operator=(const TKerning&) = delete;

  /// Whether any pair can be kerned.
  bool Kerns() const { return FUnitsToSize != 0; }
  /// The shift of Right's origin when it follows Left, in font-size units.
  double Between([[maybe_unused]] unsigned long Left, [[maybe_unused]] unsigned long Right) const {
#ifdef FSVG_CAIRO_HAS_FREETYPE
    FT_Vector Kerning{};
    if (Kerns() && FT_Get_Kerning(FFace, static_cast<FT_UInt>(Left), static_cast<FT_UInt>(Right), FT_KERNING_UNSCALED,
                                  &Kerning) == 0)
      return Kerning.x * FUnitsToSize;
#endif
    return 0;
  }

 private:
#ifdef FSVG_CAIRO_HAS_FREETYPE
  cairo_scaled_font_t* FFont = nullptr;
  FT_Face FFace = nullptr;
#endif
  double FUnitsToSize = 0;
};

/// Moves each glyph by the kerning of the pairs before it; returns the total shift.
double ApplyKerning(cairo_scaled_font_t* Font, double Size, std::vector<cairo_glyph_t>& Glyphs) {
  const TKerning Kerning(Font, Size);
  double Shift = 0;
  if (!Kerning.Kerns()) return Shift;
  for (std::size_t I = 1; I < Glyphs.size(); ++I) {
    Shift += Kerning.Between(Glyphs[I - 1].index, Glyphs[I].index);
    Glyphs[I].x += Shift;
  }
  return Shift;
}

/// The advance of a line as ShapeText gives it for the line alone, built up a piece at
/// a time, so that word wrap measures each longer candidate line by its new word only.
/// The sums run in ShapeText's order (Cairo places each glyph at the running sum of the
/// advances before it), so a line breaks exactly where its painted width says it must.
class TLineAdvance {
 public:
  /// Appends the glyphs of Piece, which must start at a character boundary.
  void Append(cairo_scaled_font_t* Font, double Size, std::u16string_view Piece) {
    const std::vector<cairo_glyph_t> Placed = TextToGlyphs(Font, Piece);
    // Each glyph's own advance, measured at the origin so that nothing rounds it.
    std::vector<double> Advances(Placed.size());
    for (std::size_t I = 0; I < Placed.size(); ++I) {
      cairo_glyph_t Glyph{Placed[I].index, 0, 0};
      cairo_text_extents_t Extents;
      cairo_scaled_font_glyph_extents(Font, &Glyph, 1, &Extents);
      Advances[I] = Extents.x_advance;
    }
    // The face stays locked only while no Cairo call runs.
    const TKerning Kerning(Font, Size);
    for (std::size_t I = 0; I < Placed.size(); ++I) {
      if (FHasGlyph) FShift += Kerning.Between(FLastGlyph, Placed[I].index);
      FLastX = FPen;
      FLastAdvance = Advances[I];
      FPen += Advances[I];
      FLastGlyph = Placed[I].index;
      FHasGlyph = true;
    }
  }
  /// The pen position after the last glyph (0 before any), kerned, summed as ShapeText sums it.
  double Advance() const { return FLastX + ((FLastX + FLastAdvance) - FLastX) + FShift; }

 private:
  double FPen = 0, FLastX = 0, FLastAdvance = 0, FShift = 0;
  unsigned long FLastGlyph = 0;
  bool FHasGlyph = false;
};

/// The glyphs of Text in Font, kerned, placed from (0, 0) on the baseline; Advance
/// receives the pen position after the last glyph.
std::vector<cairo_glyph_t> ShapeText(cairo_scaled_font_t* Font, double Size, std::u16string_view Text,
                                     double& Advance) {
  Advance = 0;
  if (Text.empty()) return {};
  std::vector<cairo_glyph_t> Result = TextToGlyphs(Font, Text);
  if (Result.empty()) return Result;
  cairo_text_extents_t Last;
  cairo_scaled_font_glyph_extents(Font, &Result.back(), 1, &Last);
  // The last glyph's position before kerning moves it.
  const double LastX = Result.back().x;
  Advance = LastX + Last.x_advance + ApplyKerning(Font, Size, Result);
  return Result;
}

/// Runs measured in one scaled font as ShapeText places them; a line being wrapped
/// grows a piece at a time.
class TCairoMeasurer : public TTextMeasurer {
 public:
  TCairoMeasurer(cairo_scaled_font_t* Font, double Size) : FFont(cairo_scaled_font_reference(Font)), FSize(Size) {}
  ~TCairoMeasurer() override { cairo_scaled_font_destroy(FFont); }
  TCairoMeasurer(const TCairoMeasurer&) = delete;
  TCairoMeasurer& operator=(const TCairoMeasurer&) = delete;

  double RunWidth(std::u16string_view Run) override {
    double Advance;
    ShapeText(FFont, FSize, Run, Advance);
    return Advance;
  }
  void StartLine() override { FLine = {}; }
  double AppendToLine(std::u16string_view Piece) override {
    FLine.Append(FFont, FSize, Piece);
    return FLine.Advance();
  }

 private:
  cairo_scaled_font_t* FFont;
  double FSize;
  TLineAdvance FLine;
};

struct TFontOptionsDeleter {
  void operator()(cairo_font_options_t* Options) const noexcept { cairo_font_options_destroy(Options); }
};

// Selects into Context the face of Font: through fontconfig, the first of its families
// that is installed, at its weight and slant; without FreeType, Cairo's own choice for
// the first family, bold from 600 on. Fontconfig resolves families it does not know
// to its default sans face.
void SelectFace(cairo_t* Context, const TFont& Font) {
  std::vector<std::u16string> Families = FontFamilies(Font);
  if (Families.empty()) Families.emplace_back(u"DejaVu Sans");
#ifdef FSVG_CAIRO_HAS_FREETYPE
  // The face of the font asked for last is kept: a new face for every call would miss
  // Cairo's cache of scaled fonts, and load the font file again each time.
  struct TFaceDeleter {
    void operator()(cairo_font_face_t* Face) const noexcept { cairo_font_face_destroy(Face); }
  };
  thread_local TFont Last{u"", 0};
  thread_local std::unique_ptr<cairo_font_face_t, TFaceDeleter> Face;
  if (!Face || Last.Family != Font.Family || Last.Weight != Font.Weight || Last.Slant != Font.Slant) {
    constexpr int Slants[] = {FC_SLANT_ROMAN, FC_SLANT_ITALIC, FC_SLANT_OBLIQUE};
    static_assert(std::size(Slants) == static_cast<std::size_t>(TFontSlant::Oblique) + 1);
    const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> Pattern(FcPatternCreate(), &FcPatternDestroy);
    for (const std::u16string& Family : Families)
      FcPatternAddString(Pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(CairoText(Family).c_str()));
    FcPatternAddInteger(Pattern.get(), FC_WEIGHT, FcWeightFromOpenType(Font.Weight));
    FcPatternAddInteger(Pattern.get(), FC_SLANT, Slants[static_cast<std::size_t>(Font.Slant)]);
    FcConfigSubstitute(nullptr, Pattern.get(), FcMatchPattern);
    Face.reset(cairo_ft_font_face_create_for_pattern(Pattern.get()));
    Last = Font;
  }
  cairo_set_font_face(Context, Face.get());
#else
  constexpr cairo_font_slant_t Slants[] = {CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_SLANT_OBLIQUE};
  cairo_select_font_face(Context, CairoText(Families.front()).c_str(), Slants[static_cast<std::size_t>(Font.Slant)],
                         Font.Weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
#endif
}

}  // namespace

std::string CairoText(std::u16string_view Text) {
  std::u16string Accepted;
  Accepted.reserve(Text.size());
  for (std::size_t I = 0; I < Text.size(); ++I) {
    const std::size_t Units = NoncharacterAt(Text, I);
    Accepted += Units == 0 ? Text[I] : u'\uFFFD';
    if (Units == 2) ++I;
  }
  const TBytes Utf8 = ToUtf8(Accepted);
  return std::string(Utf8.begin(), Utf8.end());
}

std::vector<cairo_glyph_t> ShapeLine(cairo_scaled_font_t* Font, double Size, std::u16string_view Text,
                                     const TLineMetricInfo::TLineMetric& Line, float Ascent) {
  double Advance;
  std::vector<cairo_glyph_t> Placed = ShapeText(Font, Size, Text.substr(Line.Index, Line.Length), Advance);
  for (cairo_glyph_t& Glyph : Placed) {
    Glyph.x += Line.Rect.Left;
    Glyph.y += Line.Rect.Top + Ascent;
  }
  return Placed;
}

void AddTextPath(cairo_t* Context, cairo_scaled_font_t* Font, double Size, std::u16string_view Text,
                 const TLineMetricInfo& Lines, float Ascent) {
  for (const TLineMetricInfo::TLineMetric& Line : Lines.Metrics) {
    const std::vector<cairo_glyph_t> Placed = ShapeLine(Font, Size, Text, Line, Ascent);
    cairo_glyph_path(Context, Placed.data(), static_cast<int>(Placed.size()));
  }
}

}  // namespace detail

using namespace detail;

void TCairoCanvas::SelectFont(cairo_t* Context) const {
  const TFont& Font = GetFont();
  if (!std::isfinite(Font.Size)) throw EArgumentError("Font size must be finite");
  if (!(Font.Size > 0)) throw EArgumentError("Font size must be positive");
  // FreeType renders no glyph larger than 65535 device pixels, and Cairo leaks memory on
  // its way to that error, so such a size is refused first. The two scales are those
  // Cairo takes from the transform: the length X of the x axis, and the area over it
  // divided by X. Both are compared multiplied by X: a singular transform (X 0, no area)
  // then passes without a division.
  cairo_matrix_t Device;
  cairo_get_matrix(Context, &Device);
  const double XScale = std::hypot(Device.xx, Device.yx);
  const double Area = std::abs(Device.xx * Device.yy - Device.xy * Device.yx);
  if (std::max(XScale * XScale, Area) * Font.Size > MaxFontPixels * XScale)
    throw EArgumentError("Font size must not exceed 65535 device pixels");
  SelectFace(Context, Font);
  cairo_set_font_size(Context, Font.Size);
  // Unhinted outlines and unrounded advances: the layout is then the same at every
  // scale, and it matches SVG renderers, which lay text out the same way.
  std::unique_ptr<cairo_font_options_t, TFontOptionsDeleter> Options(cairo_font_options_create());
  cairo_font_options_set_hint_style(Options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(Options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(Options.get(), CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(Context, Options.get());
}

cairo_t* TCairoCanvas::MeasureContext() const {
  // Cairo keeps a context's first error for good (a font size FreeType cannot render
  // is one), so a context in error is replaced rather than left to fail every later call.
  if (!FMeasureContext || cairo_status(FMeasureContext.get()) != CAIRO_STATUS_SUCCESS) {
    FMeasureContext.reset(cairo_create(FMeasureSurface.get()));
    CheckStatus(cairo_status(FMeasureContext.get()));
  }
  return FMeasureContext.get();
}

TFontMetrics TCairoCanvas::DoGetFontMetrics() const {
  cairo_t* Context = MeasureContext();
  SelectFont(Context);
  cairo_font_extents_t Extents;
  cairo_font_extents(Context, &Extents);
  CheckStatus(cairo_status(Context));
  return {static_cast<float>(Extents.ascent), static_cast<float>(Extents.descent),
          static_cast<float>(std::max(Extents.height, Extents.ascent + Extents.descent))};
}

std::unique_ptr<TTextMeasurer> TCairoCanvas::DoCreateTextMeasurer() const {
  cairo_t* Context = MeasureContext();
  SelectFont(Context);
  CheckStatus(cairo_status(Context));
  return std::make_unique<TCairoMeasurer>(cairo_get_scaled_font(Context), GetFont().Size);
}

}  // namespace fsvg
