// TCairoCanvas: the outlines of rectangles, ellipses and arcs, the measuring of text for
// the shared layout, and the Cairo calls that paint them. Every operation paints through
// a cairo_t of its own, and the one text is measured on is replaced once in error, so a
// Cairo error state never outlives the call that caused it.
#include "fsvg/cairocanvas.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <exception>
#include <iterator>
#include <numbers>
#include <stdexcept>
#include <string>

#include "fsvg/streams.h"

#ifdef FSVG_CAIRO_HAS_FREETYPE
#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

namespace fsvg {

namespace {

constexpr double Pi = std::numbers::pi;
// Cairo refuses image surfaces wider or taller than this.
constexpr double MaxSurfaceSide = 32767;
constexpr const char* DefaultFontFamily = "DejaVu Sans";
// FreeType refuses a font whose size in device pixels exceeds this.
constexpr double MaxFontPixels = 65535;

void RequireFinite(double Value, const char* What) {
  if (!std::isfinite(Value)) throw std::invalid_argument(std::string(What) + " must be finite");
}

void RequireFinite(const TPointF& Point, const char* What) {
  RequireFinite(Point.X, What);
  RequireFinite(Point.Y, What);
}

void RequireFinite(const TRectF& Rect, const char* What) {
  RequireFinite(Rect.Left, What);
  RequireFinite(Rect.Top, What);
  RequireFinite(Rect.Right, What);
  RequireFinite(Rect.Bottom, What);
}

// The arguments every rounded-rectangle call takes.
void RequireFiniteRoundRect(const TRectF& Rect, float XRadius, float YRadius) {
  RequireFinite(Rect, "Rectangle");
  RequireFinite(XRadius, "Corner radius");
  RequireFinite(YRadius, "Corner radius");
}

void RequireFiniteArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle) {
  RequireFinite(Center, "Arc centre");
  RequireFinite(Radius, "Arc radius");
  RequireFinite(StartAngle, "Arc start angle");
  RequireFinite(SweepAngle, "Arc sweep angle");
}

double CheckedOpacity(float AOpacity) {
  RequireFinite(AOpacity, "Opacity");
  return std::clamp(static_cast<double>(AOpacity), 0.0, 1.0);
}

void CheckStroke(const TStrokeBrush& ABrush) {
  RequireFinite(ABrush.Thickness, "Stroke thickness");
  if (ABrush.Thickness < 0) throw std::invalid_argument("Stroke thickness must not be negative");
}

// A whole number of pixels as text; a count beyond every integer type (a huge scale
// makes one) is written in exponent form rather than converted.
std::string PixelCount(double Count) {
  if (Count < 1e18) return std::to_string(static_cast<long long>(Count));
  char Text[32];
  return std::string(Text, std::to_chars(Text, Text + sizeof Text, Count, std::chars_format::scientific).ptr);
}

void CheckStatus(cairo_status_t Status) {
  if (Status != CAIRO_STATUS_SUCCESS) throw Exception(std::string("Cairo: ") + cairo_status_to_string(Status));
}

/// The normalised edges of a rectangle that may be given right to left or bottom to top.
struct TEdges {
  double Left, Top, Right, Bottom;
};

TEdges Normalize(const TRectF& Rect) {
  return {std::min<double>(Rect.Left, Rect.Right), std::min<double>(Rect.Top, Rect.Bottom),
          std::max<double>(Rect.Left, Rect.Right), std::max<double>(Rect.Top, Rect.Bottom)};
}

void SetSourceColor(cairo_t* Context, TAlphaColor Color, double Opacity) {
  cairo_set_source_rgba(Context, ((Color >> 16) & 0xFF) / 255.0, ((Color >> 8) & 0xFF) / 255.0, (Color & 0xFF) / 255.0,
                        ((Color >> 24) & 0xFF) / 255.0 * Opacity);
}

// Every kind of brush but None paints with its colour.
bool SetSourceBrush(cairo_t* Context, const TBrush& ABrush, double Opacity) {
  if (ABrush.Kind == TBrushKind::None) return false;
  SetSourceColor(Context, ABrush.Color, Opacity);
  return true;
}

constexpr cairo_line_join_t LineJoins[] = {CAIRO_LINE_JOIN_MITER, CAIRO_LINE_JOIN_ROUND, CAIRO_LINE_JOIN_BEVEL};
static_assert(std::size(LineJoins) == static_cast<std::size_t>(TStrokeJoin::Bevel) + 1);

void FillPath(cairo_t* Context, const TBrush& ABrush, double Opacity) {
  if (SetSourceBrush(Context, ABrush, Opacity))
    cairo_fill(Context);
  else
    cairo_new_path(Context);
}

void StrokePath(cairo_t* Context, const TStrokeBrush& ABrush, double Opacity) {
  // A zero thickness leaves no mark, and Cairo refuses a dash pattern of zero length.
  if (ABrush.Thickness == 0 || !SetSourceBrush(Context, ABrush, Opacity)) {
    cairo_new_path(Context);
    return;
  }
  cairo_set_line_width(Context, ABrush.Thickness);
  cairo_set_line_cap(Context, ABrush.Cap == TStrokeCap::Round ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(Context, LineJoins[static_cast<std::size_t>(ABrush.Join)]);
  // SVG's default miter limit, so that a recording of this canvas renders the same joins.
  cairo_set_miter_limit(Context, 4);
  const std::span<const float> Pattern = DashPattern(ABrush.Dash);
  std::array<double, 6> Dashes{};
  for (std::size_t I = 0; I < Pattern.size() && I < Dashes.size(); ++I) Dashes[I] = Pattern[I] * ABrush.Thickness;
  cairo_set_dash(Context, Dashes.data(), static_cast<int>(std::min(Pattern.size(), Dashes.size())), 0);
  cairo_stroke(Context);
}

/// Adds the closed outline of a rectangle as RectOutline gives it.
void AddRectPath(cairo_t* Context, const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners,
                 TCornerType ACornerType) {
  TRectOutline Steps;
  const std::size_t Count = RectOutline(ARect, XRadius, YRadius, ACorners, ACornerType, Steps);
  cairo_new_path(Context);
  for (std::size_t I = 0; I < Count; ++I) {
    const TOutlineStep& S = Steps[I];
    if (S.Curve)
      cairo_curve_to(Context, S.X1, S.Y1, S.X2, S.Y2, S.X, S.Y);
    else
      cairo_line_to(Context, S.X, S.Y);
  }
  cairo_close_path(Context);
}

/// Adds an open elliptical arc from StartAngle over SweepAngle (degrees, 0 along +X,
/// positive towards +Y, clamped to one turn), as cubic Béziers of at most a quarter turn.
void AddArcPath(cairo_t* Context, const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle) {
  const double Sweep = std::clamp<double>(SweepAngle, -360, 360) * Pi / 180;
  const int Segments = std::max(1, static_cast<int>(std::ceil(std::abs(Sweep) / (Pi / 2) - 1e-9)));
  const double Step = Sweep / Segments;
  // Control-point distance of one segment, as a fraction of the radius.
  const double H = 4.0 / 3.0 * std::tan(Step / 4);
  const double Cx = Center.X, Cy = Center.Y, Rx = Radius.X, Ry = Radius.Y;
  double Angle = static_cast<double>(StartAngle) * Pi / 180;
  double Cos0 = std::cos(Angle), Sin0 = std::sin(Angle);
  cairo_new_path(Context);
  cairo_move_to(Context, Cx + Rx * Cos0, Cy + Ry * Sin0);
  for (int I = 0; I < Segments; ++I) {
    Angle += Step;
    const double Cos1 = std::cos(Angle), Sin1 = std::sin(Angle);
    cairo_curve_to(Context, Cx + Rx * (Cos0 - H * Sin0), Cy + Ry * (Sin0 + H * Cos0), Cx + Rx * (Cos1 + H * Sin1),
                   Cy + Ry * (Sin1 - H * Cos1), Cx + Rx * Cos1, Cy + Ry * Sin1);
    Cos0 = Cos1;
    Sin0 = Sin1;
  }
}

void AddEllipsePath(cairo_t* Context, const TRectF& ARect) {
  const TPointF Center = ARect.CenterPoint();
  AddArcPath(Context, Center, {std::abs(ARect.Width()) / 2, std::abs(ARect.Height()) / 2}, 0, 360);
  cairo_close_path(Context);
}

void AddPolygonPath(cairo_t* Context, const TPolygon& Points) {
  cairo_new_path(Context);
  for (const TPointF& Point : Points) cairo_line_to(Context, Point.X, Point.Y);
  if (!Points.empty()) cairo_close_path(Context);
}

void CheckPolygon(const TPolygon& Points) {
  for (const TPointF& Point : Points) RequireFinite(Point, "Polygon point");
}

/// UTF-16 as UTF-8 for Cairo. An unpaired surrogate becomes U+FFFD, and so does each
/// noncharacter (U+FDD0 to U+FDEF, and the last two code points of every plane), which
/// Cairo refuses as invalid text.
std::string ToUtf8String(std::u16string_view Text) {
  std::string Result;
  Result.reserve(Text.size());
  for (std::size_t I = 0; I < Text.size(); ++I) {
    char32_t Code = Text[I];
    if (Code >= 0xD800 && Code <= 0xDBFF && I + 1 < Text.size() && Text[I + 1] >= 0xDC00 && Text[I + 1] <= 0xDFFF) {
      Code = 0x10000 + ((Code - 0xD800) << 10) + (Text[I + 1] - 0xDC00);
      ++I;
    } else if (Code >= 0xD800 && Code <= 0xDFFF) {
      Code = 0xFFFD;
    }
    if ((Code >= 0xFDD0 && Code <= 0xFDEF) || (Code & 0xFFFE) == 0xFFFE) Code = 0xFFFD;
    if (Code < 0x80) {
      Result += static_cast<char>(Code);
    } else if (Code < 0x800) {
      Result += static_cast<char>(0xC0 | (Code >> 6));
      Result += static_cast<char>(0x80 | (Code & 0x3F));
    } else if (Code < 0x10000) {
      Result += static_cast<char>(0xE0 | (Code >> 12));
      Result += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
      Result += static_cast<char>(0x80 | (Code & 0x3F));
    } else {
      Result += static_cast<char>(0xF0 | (Code >> 18));
      Result += static_cast<char>(0x80 | ((Code >> 12) & 0x3F));
      Result += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
      Result += static_cast<char>(0x80 | (Code & 0x3F));
    }
  }
  return Result;
}

/// The glyphs of Text in Font, unkerned, each placed at the sum of the advances before it.
std::vector<cairo_glyph_t> TextToGlyphs(cairo_scaled_font_t* Font, std::u16string_view Text) {
  const std::string Utf8 = ToUtf8String(Text);
  cairo_glyph_t* Glyphs = nullptr;
  int Count = 0;
  CheckStatus(cairo_scaled_font_text_to_glyphs(Font, 0, 0, Utf8.data(), static_cast<int>(Utf8.size()), &Glyphs, &Count,
                                               nullptr, nullptr, nullptr));
  std::vector<cairo_glyph_t> Result(Glyphs, Glyphs + Count);
  cairo_glyph_free(Glyphs);
  return Result;
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
  /// The pen position after the last glyph, kerned, summed as ShapeText sums it.
  double Advance() const { return FHasGlyph ? FLastX + ((FLastX + FLastAdvance) - FLastX) + FShift : 0; }

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

/// Where the PNG writer callback sends the bytes, and the error it caught: an
/// exception must not unwind through Cairo's C frames.
struct TPngSink {
  TFileStream* File;
  std::exception_ptr Error;
};

cairo_status_t WritePngBytes(void* Closure, const unsigned char* Data, unsigned int Length) {
  auto* Sink = static_cast<TPngSink*>(Closure);
  try {
    Sink->File->WriteBuffer(Data, Length);
    return CAIRO_STATUS_SUCCESS;
  } catch (...) {
    Sink->Error = std::current_exception();
    return CAIRO_STATUS_WRITE_ERROR;
  }
}

}  // namespace

TCairoCanvas::TCairoCanvas(std::int32_t AWidth, std::int32_t AHeight, float AScale, TCanvasQuality AQuality)
    : TCanvas(AWidth, AHeight, AScale, AQuality), FSurface(CreateSurface()) {
  FMeasureSurface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
  CheckStatus(cairo_surface_status(FMeasureSurface.get()));
  MeasureContext();
}

TCairoCanvas::~TCairoCanvas() = default;

TCairoCanvas::TSurfacePtr TCairoCanvas::CreateSurface() const {
  // A small allowance keeps a product like 100 * 1.1 from growing by a whole pixel.
  const double Width = std::ceil(GetWidth() * static_cast<double>(GetScale()) - 1e-4);
  const double Height = std::ceil(GetHeight() * static_cast<double>(GetScale()) - 1e-4);
  if (Width > MaxSurfaceSide || Height > MaxSurfaceSide)
    throw Exception("TCairoCanvas: a surface of " + PixelCount(Width) + " x " + PixelCount(Height) +
                    " device pixels is larger than Cairo allows (32767 per side)");
  TSurfacePtr Surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(Width), static_cast<int>(Height)));
  CheckStatus(cairo_surface_status(Surface.get()));
  return Surface;
}

std::int32_t TCairoCanvas::GetPixelWidth() const { return cairo_image_surface_get_width(FSurface.get()); }
std::int32_t TCairoCanvas::GetPixelHeight() const { return cairo_image_surface_get_height(FSurface.get()); }

TAlphaColor TCairoCanvas::Pixel(std::int32_t X, std::int32_t Y) const {
  if (X < 0 || Y < 0 || X >= GetPixelWidth() || Y >= GetPixelHeight())
    throw std::out_of_range("TCairoCanvas::Pixel: (" + std::to_string(X) + ", " + std::to_string(Y) +
                            ") lies outside the surface");
  cairo_surface_flush(FSurface.get());
  const unsigned char* Row = cairo_image_surface_get_data(FSurface.get()) +
                             static_cast<std::ptrdiff_t>(Y) * cairo_image_surface_get_stride(FSurface.get());
  // ARGB32 pixels are native-endian 32-bit words, premultiplied by alpha.
  const std::uint32_t Premultiplied = reinterpret_cast<const std::uint32_t*>(Row)[X];
  const std::uint32_t Alpha = Premultiplied >> 24;
  if (Alpha == 0) return 0;
  auto Unpremultiply = [Alpha](std::uint32_t Channel) { return (Channel * 255 + Alpha / 2) / Alpha; };
  return Alpha << 24 | Unpremultiply((Premultiplied >> 16) & 0xFF) << 16 |
         Unpremultiply((Premultiplied >> 8) & 0xFF) << 8 | Unpremultiply(Premultiplied & 0xFF);
}

void TCairoCanvas::SaveToPNG(const std::filesystem::path& FileName) const {
  if (GetPixelWidth() == 0 || GetPixelHeight() == 0)
    throw EWriteError(FileName.string() + ": an image without pixels cannot be saved as PNG");
  cairo_surface_flush(FSurface.get());
  TFileStream File(FileName, TFileBuffering::Full);
  TPngSink Sink{&File, nullptr};
  const cairo_status_t Status = cairo_surface_write_to_png_stream(FSurface.get(), WritePngBytes, &Sink);
  if (Sink.Error) std::rethrow_exception(Sink.Error);
  if (Status != CAIRO_STATUS_SUCCESS) throw EWriteError(FileName.string() + ": " + cairo_status_to_string(Status));
  File.Close();
}

void TCairoCanvas::Flush() { cairo_surface_flush(FSurface.get()); }

bool TCairoCanvas::DoBeginScene(PClipRects, std::uintptr_t) {
  return cairo_surface_status(FSurface.get()) == CAIRO_STATUS_SUCCESS;
}

void TCairoCanvas::DoEndScene() { Flush(); }

void TCairoCanvas::DoSetSize() { FSurface = CreateSurface(); }

void TCairoCanvas::DoSetMatrix() {
  const TMatrix& M = GetMatrix();
  for (float Entry : {M.m11, M.m12, M.m13, M.m21, M.m22, M.m23, M.m31, M.m32, M.m33})
    RequireFinite(Entry, "Matrix entry");
}

TCairoCanvas::TContextPtr TCairoCanvas::BeginPaint(bool UseOffset) const {
  TContextPtr Context(cairo_create(FSurface.get()));
  CheckStatus(cairo_status(Context.get()));
  const TMatrix& M = GetMatrix();
  for (float Entry : {M.m11, M.m12, M.m21, M.m22, M.m31, M.m32}) RequireFinite(Entry, "Matrix entry");
  // Row vectors: x' = x*m11 + y*m21 + m31, y' = x*m12 + y*m22 + m32. The projective
  // column (m13, m23, m33) has no meaning for a 2D affine painter and is ignored.
  cairo_matrix_t Transform;
  cairo_matrix_init_scale(&Transform, GetScale(), GetScale());
  cairo_matrix_t Canvas;
  cairo_matrix_init(&Canvas, M.m11, M.m12, M.m21, M.m22, M.m31, M.m32);
  cairo_matrix_multiply(&Transform, &Canvas, &Transform);
  if (UseOffset) {
    cairo_matrix_t Offset;
    cairo_matrix_init_translate(&Offset, GetOffset().X, GetOffset().Y);
    cairo_matrix_multiply(&Transform, &Offset, &Transform);
  }
  // A singular matrix flattens every shape to no area: there is nothing to paint.
  cairo_matrix_t Inverse = Transform;
  if (cairo_matrix_invert(&Inverse) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_set_matrix(Context.get(), &Transform);
  if (cairo_status(Context.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  switch (GetQuality()) {
    case TCanvasQuality::HighPerformance:
      cairo_set_antialias(Context.get(), CAIRO_ANTIALIAS_FAST);
      break;
    case TCanvasQuality::HighQuality:
      cairo_set_antialias(Context.get(), CAIRO_ANTIALIAS_BEST);
      break;
    case TCanvasQuality::SystemDefault:
      cairo_set_antialias(Context.get(), CAIRO_ANTIALIAS_DEFAULT);
      break;
  }
  return Context;
}

void TCairoCanvas::DoClear(TAlphaColor Color) {
  TContextPtr Context(cairo_create(FSurface.get()));
  cairo_set_operator(Context.get(), CAIRO_OPERATOR_SOURCE);
  SetSourceColor(Context.get(), Color, 1);
  cairo_paint(Context.get());
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoClearRect(const TRectF& ARect, TAlphaColor AColor) {
  RequireFinite(ARect, "Rectangle");
  TContextPtr Context = BeginPaint();
  if (!Context) return;
  const TEdges E = Normalize(ARect);
  cairo_rectangle(Context.get(), E.Left, E.Top, E.Right - E.Left, E.Bottom - E.Top);
  cairo_set_operator(Context.get(), CAIRO_OPERATOR_SOURCE);
  SetSourceColor(Context.get(), AColor, 1);
  cairo_fill(Context.get());
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoFillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                              const TBrush& ABrush, TCornerType ACornerType) {
  RequireFiniteRoundRect(ARect, XRadius, YRadius);
  const double Opacity = CheckedOpacity(AOpacity);
  TContextPtr Context = BeginPaint();
  if (!Context) return;
  AddRectPath(Context.get(), ARect, XRadius, YRadius, ACorners, ACornerType);
  FillPath(Context.get(), ABrush, Opacity);
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoDrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                              const TStrokeBrush& ABrush, TCornerType ACornerType) {
  RequireFiniteRoundRect(ARect, XRadius, YRadius);
  const double Opacity = CheckedOpacity(AOpacity);
  CheckStroke(ABrush);
  TContextPtr Context = BeginPaint();
  if (!Context) return;
  AddRectPath(Context.get(), ARect, XRadius, YRadius, ACorners, ACornerType);
  StrokePath(Context.get(), ABrush, Opacity);
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoDrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush) {
  RequireFinite(APt1, "Line point");
  RequireFinite(APt2, "Line point");
  const double Opacity = CheckedOpacity(AOpacity);
  CheckStroke(ABrush);
  TContextPtr Context = BeginPaint();
  if (!Context) return;
  cairo_move_to(Context.get(), APt1.X, APt1.Y);
  cairo_line_to(Context.get(), APt2.X, APt2.Y);
  StrokePath(Context.get(), ABrush, Opacity);
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoFillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush) {
  RequireFinite(ARect, "Rectangle");
  const double Opacity = CheckedOpacity(AOpacity);
  TContextPtr Context = BeginPaint();
  if (!Context) return;
  AddEllipsePath(Context.get(), ARect);
  FillPath(Context.get(), ABrush, Opacity);
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoDrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush) {
  RequireFinite(ARect, "Rectangle");
  const double Opacity = CheckedOpacity(AOpacity);
  CheckStroke(ABrush);
  TContextPtr Context = BeginPaint();
  if (!Context) return;
  AddEllipsePath(Context.get(), ARect);
  StrokePath(Context.get(), ABrush, Opacity);
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoFillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                             float AOpacity, const TBrush& ABrush) {
  RequireFiniteArc(Center, Radius, StartAngle, SweepAngle);
  const double Opacity = CheckedOpacity(AOpacity);
  TContextPtr Context = BeginPaint();
  if (!Context || SweepAngle == 0) return;
  // Filling the open path fills the region between the arc and its chord.
  AddArcPath(Context.get(), Center, Radius, StartAngle, SweepAngle);
  FillPath(Context.get(), ABrush, Opacity);
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoDrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                             float AOpacity, const TStrokeBrush& ABrush) {
  RequireFiniteArc(Center, Radius, StartAngle, SweepAngle);
  const double Opacity = CheckedOpacity(AOpacity);
  CheckStroke(ABrush);
  TContextPtr Context = BeginPaint();
  if (!Context || SweepAngle == 0) return;
  AddArcPath(Context.get(), Center, Radius, StartAngle, SweepAngle);
  StrokePath(Context.get(), ABrush, Opacity);
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoFillPolygon(const TPolygon& Points, float AOpacity) {
  CheckPolygon(Points);
  const double Opacity = CheckedOpacity(AOpacity);
  TContextPtr Context = BeginPaint();
  if (!Context) return;
  AddPolygonPath(Context.get(), Points);
  FillPath(Context.get(), GetFill(), Opacity);
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::DoDrawPolygon(const TPolygon& Points, float AOpacity) {
  CheckPolygon(Points);
  const double Opacity = CheckedOpacity(AOpacity);
  CheckStroke(GetStroke());
  TContextPtr Context = BeginPaint();
  if (!Context) return;
  AddPolygonPath(Context.get(), Points);
  StrokePath(Context.get(), GetStroke(), Opacity);
  CheckStatus(cairo_status(Context.get()));
}

void TCairoCanvas::SelectFont(cairo_t* Context) const {
  const TFont& Font = GetFont();
  RequireFinite(Font.Size, "Font size");
  if (!(Font.Size > 0)) throw std::invalid_argument("Font size must be positive");
  // FreeType renders no glyph larger than 65535 device pixels, and Cairo leaks memory on
  // its way to that error, so such a size is refused first. The two scales are those
  // Cairo takes from the transform: the length of the x axis, and the area over it.
  cairo_matrix_t Device;
  cairo_get_matrix(Context, &Device);
  const double XScale = std::hypot(Device.xx, Device.yx);
  const double YScale = XScale == 0 ? 0 : std::abs(Device.xx * Device.yy - Device.xy * Device.yx) / XScale;
  if (std::max(XScale, YScale) * Font.Size > MaxFontPixels)
    throw std::invalid_argument("Font size must not exceed 65535 device pixels");
  // Fontconfig resolves a family it does not know to its default sans face.
  const std::string Family = Font.Family.empty() ? std::string(DefaultFontFamily) : ToUtf8String(Font.Family);
  cairo_select_font_face(Context, Family.c_str(), CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
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

void TCairoCanvas::DoFillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                              TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  const double Opacity = CheckedOpacity(AOpacity);
  TLineMetricInfo Lines;
  MeasureLines(Lines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
  const float Ascent = GetFontMetrics().Ascent;  // selects the font into the measuring context
  TContextPtr Context = BeginPaint();
  if (!Context || !SetSourceBrush(Context.get(), GetFill(), Opacity)) return;
  SelectFont(Context.get());
  // Glyph outlines filled as one path: exact sub-pixel positions under any transform
  // (shown glyphs would snap each to a whole device pixel), and one coverage for the
  // whole text, so overlapping glyphs do not darken under a translucent fill.
  cairo_scaled_font_t* Font = cairo_get_scaled_font(FMeasureContext.get());
  std::vector<cairo_glyph_t> Placed;
  for (const TLineMetricInfo::TLineMetric& Line : Lines.Metrics) {
    double Advance;
    Placed = ShapeText(Font, GetFont().Size, AText.substr(Line.Index, Line.Length), Advance);
    for (cairo_glyph_t& Glyph : Placed) {
      Glyph.x += Line.Rect.Left;
      Glyph.y += Line.Rect.Top + Ascent;
    }
    cairo_glyph_path(Context.get(), Placed.data(), static_cast<int>(Placed.size()));
  }
  cairo_fill(Context.get());
  CheckStatus(cairo_status(Context.get()));
}

}  // namespace fsvg
