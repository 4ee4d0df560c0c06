// TCairoCanvas: a raster host canvas that paints, anti-aliased, into a Cairo ARGB32
// image surface. A TSvgCanvas can record over it, so one drawing gives both a picture
// and its SVG; the fidelity tests compare the two.
/// @file
/// TCairoCanvas, the raster host over Cairo (component fsvg::fsvgcairo).
#pragma once

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fsvg/outlinecanvas.h"

namespace fsvg {
/// @addtogroup hostcanvas
/// @{

/// A host canvas over a Cairo image surface of Width*Scale x Height*Scale device pixels
/// (rounded up). Starts transparent. Offset, then matrix, then scale apply to everything
/// but Clear. Text uses Cairo's fonts (fontconfig; DejaVu Sans when Family is empty),
/// kerned, laid out by the shared LayoutText with each line GetFontMetrics().LineHeight
/// high.
/// Values TCanvas refuses never reach it. It throws EArgumentError for a thickness that
/// is not finite or is negative, a font size that is not finite, not positive or beyond
/// 65535 device pixels, a stroke the transform makes wider than 8388608 device pixels or,
/// dashed, cuts into more than a million dashes; EHostError when Cairo fails.
///
///     fsvg::TCairoCanvas Host(640, 480);
///     { fsvg::TSvgCanvas Canvas("chart.svg", &Host); Canvas.Clear(0xFFFFFFFF); }
///     Host.SaveToPNG("chart.png");
class TCairoCanvas : public TOutlineCanvas {
 public:
  /// Throws EArgumentError for a negative size, a scale that is not positive or a
  /// surface beyond 32767 device pixels a side, EHostError when Cairo cannot make it.
  explicit TCairoCanvas(std::int32_t AWidth, std::int32_t AHeight, float AScale = 1,
                        TCanvasQuality AQuality = TCanvasQuality::SystemDefault);
  ~TCairoCanvas() override;

  /// The surface painted into; owned by this canvas and replaced by SetSize.
  cairo_surface_t* Surface() const { return FSurface.get(); }
  /// The surface width in device pixels.
  std::int32_t GetPixelWidth() const;
  /// The surface height in device pixels.
  std::int32_t GetPixelHeight() const;
  /// The device pixel at (X, Y) as 0xAARRGGBB, not premultiplied.
  /// Throws EArgumentError outside the surface.
  TAlphaColor Pixel(std::int32_t X, std::int32_t Y) const;
  /// Writes the surface as a PNG file. Throws EFCreateError when the file cannot be
  /// created, EWriteError when it cannot be written; both name the path and the reason.
  void SaveToPNG(const std::filesystem::path& FileName) const;

  /// Finishes pending painting so that Surface()'s pixels can be read.
  void Flush() override;

 protected:
  /// Refuses a scene only when the surface is unusable.
  bool DoBeginScene(PClipRects AClipRects, std::uintptr_t AContextHandle) override;
  /// Flushes the surface.
  void DoEndScene() override;
  /// Re-creates the surface, transparent, at the new size; throws as the constructor.
  void DoSetSize() override;

  /// @name Painting hooks
  /// Each paints as TCanvas describes it and throws as the class comment says for bad
  /// values.
  /// @{

  void DoFillOutline(const TOutline& Outline, const TBrush& ABrush, float AOpacity) override;
  void DoStrokeOutline(const TOutline& Outline, const TStrokeBrush& ABrush, float AOpacity) override;
  void DoClear(TAlphaColor Color) override;
  void DoClearRect(const TRectF& ARect, TAlphaColor AColor) override;
  void DoFillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity, TFillTextFlags Flags,
                  TTextAlign ATextAlign, TTextAlign AVTextAlign) override;
  void DoDrawBitmap(const TBitmap& ABitmap, const TRectF& Source, const TRectF& Dest, float AOpacity,
                    bool HighSpeed) override;
  /// @}
  /// Begins painting into a transparent surface of the canvas's size. Throws EHostError
  /// when Cairo cannot make it.
  void DoBeginLayer(float Opacity, TBlendMode Blend) override;
  /// Paints the layer's surface over the one under it, with the opacity as alpha and the
  /// blend mode's Cairo operator.
  void DoEndLayer(float Opacity, TBlendMode Blend) override;
  /// The metrics of the current Font. Throws EArgumentError for a bad font size.
  TFontMetrics DoGetFontMetrics() const override;
  /// Measures runs in the current Font, kerned, as they are painted; word wrap extends
  /// a line a piece at a time. Throws EArgumentError for a bad font size.
  std::unique_ptr<TTextMeasurer> DoCreateTextMeasurer() const override;
  /// The glyphs DoFillText paints, line by line, in the face of the current Font;
  /// throws as DoFillText.
  void DoMeasureGlyphs(TGlyphLines& AGlyphs, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                       TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) override;

 private:
  struct TSurfaceDeleter {
    void operator()(cairo_surface_t* Surface) const noexcept { cairo_surface_destroy(Surface); }
  };
  using TSurfacePtr = std::unique_ptr<cairo_surface_t, TSurfaceDeleter>;
  struct TContextDeleter {
    void operator()(cairo_t* Context) const noexcept { cairo_destroy(Context); }
  };
  using TContextPtr = std::unique_ptr<cairo_t, TContextDeleter>;

  TSurfacePtr CreateSurface() const;
  /// The surface painting goes to: the innermost layer's, else the canvas's.
  cairo_surface_t* Target() const { return FLayers.empty() ? FSurface.get() : FLayers.back().get(); }
  /// A fresh context for one drawing operation with the offset, matrix and scale set,
  /// or null when the matrix is singular and so nothing drawn would cover any area.
  TContextPtr BeginPaint() const;
  /// The context text is measured on, replaced first when an earlier call left it in error.
  cairo_t* MeasureContext() const;
  /// Selects the current Font into Context; throws for a bad size.
  void SelectFont(cairo_t* Context) const;

  TSurfacePtr FSurface;
  // The open layers' surfaces, outermost first.
  std::vector<TSurfacePtr> FLayers;
  // Text is measured on a context of its own with the identity transform, so the
  // layout is the same in logical units whatever the scale and matrix.
  TSurfacePtr FMeasureSurface;
  mutable TContextPtr FMeasureContext;
};

/// @}
}  // namespace fsvg
