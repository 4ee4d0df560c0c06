// TQtCanvas: a raster host canvas that paints, anti-aliased, through QPainter, into a
// premultiplied ARGB32 QImage it owns or onto any QPaintDevice a caller gives (a widget
// during its paint event, a printer page). A TSvgCanvas can record over it, so a Qt
// application gets its picture and the SVG of it from one drawing.
/// @file
/// TQtCanvas, the raster host over QPainter (component fsvg::fsvgqt).
#pragma once

#include <QImage>
#include <QPaintDevice>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "fsvg/outlinecanvas.h"

class QPainter;

namespace fsvg {
/// @addtogroup hostcanvas
/// @{

/// A host canvas over QPainter. Offset, then matrix, then scale apply to everything but
/// Clear. Text uses Qt's fonts (fontconfig; DejaVu Sans when Family is empty), kerned,
/// unhinted, laid out by the shared LayoutText with each line GetFontMetrics().LineHeight
/// high; text and its measuring need a QGuiApplication (EMisuseError without one).
/// Values TCanvas refuses never reach it. It throws EArgumentError for a thickness that
/// is not finite or is negative, a font size that is not finite, not positive or beyond
/// 65535 device pixels, a stroke the transform makes wider than 8388608 device pixels or,
/// dashed, cuts into more than a million dashes; EHostError when QPainter cannot begin.
///
///     fsvg::TQtCanvas Host(640, 480);                // a QImage of its own
///     { fsvg::TSvgCanvas Canvas("chart.svg", &Host); Canvas.FillEllipse({10, 10, 90, 90}, 1); }
///     Host.SaveToPNG("chart.png");                    // the same picture, painted
class TQtCanvas : public TOutlineCanvas {
 public:
  /// A canvas over a QImage of its own, Width*Scale x Height*Scale device pixels (rounded
  /// up), transparent. Throws EArgumentError for a negative size, a scale that is not
  /// positive or an image beyond 32767 device pixels a side, EHostError when Qt cannot
  /// allocate it.
  explicit TQtCanvas(std::int32_t AWidth, std::int32_t AHeight, float AScale = 1,
                     TCanvasQuality AQuality = TCanvasQuality::SystemDefault);
  /// A canvas painting on ADevice, which the caller owns and keeps alive while this canvas
  /// paints; a widget only during its paint event. Its size is the device's in
  /// device-independent pixels, its scale the device's pixel ratio (which QPainter applies).
  explicit TQtCanvas(QPaintDevice& ADevice, TCanvasQuality AQuality = TCanvasQuality::SystemDefault);
  ~TQtCanvas() override;

  /// The image painted into; a null image when this canvas paints on a caller's device.
  const QImage& Image() const { return FImage; }
  /// The image width in device pixels (0 on a caller's device).
  std::int32_t GetPixelWidth() const { return FImage.width(); }
  /// The image height in device pixels (0 on a caller's device).
  std::int32_t GetPixelHeight() const { return FImage.height(); }
  /// The device pixel at (X, Y) as 0xAARRGGBB, not premultiplied. Throws EArgumentError
  /// outside the image (always, on a caller's device).
  TAlphaColor Pixel(std::int32_t X, std::int32_t Y) const;
  /// Writes the image as a PNG file. Throws EFCreateError when the file cannot be
  /// created, EWriteError when it cannot be written or there is no image to save; both
  /// name the path and the reason.
  void SaveToPNG(const std::filesystem::path& FileName) const;

 protected:
  /// Refuses a scene when there is nothing to paint on; else begins the one painter the
  /// scene's operations share (EHostError when QPainter cannot begin).
  bool DoBeginScene(PClipRects AClipRects, std::uintptr_t AContextHandle) override;
  /// Ends the scene's painter.
  void DoEndScene() override;
  /// Re-creates an owned image, transparent, at the new size; throws as the constructor.
  /// A caller's device keeps its size: only the logical size changes.
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
  /// Begins painting into a transparent image of the device's size. Throws EHostError
  /// when Qt cannot allocate it.
  void DoBeginLayer(float Opacity, TBlendMode Blend) override;
  /// Paints the layer's image over the device under it, at the opacity, by the blend
  /// mode's composition mode.
  void DoEndLayer(float Opacity, TBlendMode Blend) override;
  /// The metrics of the current Font. Throws EArgumentError for a bad font size.
  TFontMetrics DoGetFontMetrics() const override;
  /// Measures runs in the current Font, kerned, as they are painted. Throws
  /// EArgumentError for a bad font size.
  std::unique_ptr<TTextMeasurer> DoCreateTextMeasurer() const override;
  /// The glyphs DoFillText paints, line by line, in the faces Qt shapes them in; throws
  /// as DoFillText.
  void DoMeasureGlyphs(TGlyphLines& AGlyphs, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                       TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) override;

 private:
  /// Ends a painter of one call, or restores the scene's painter to the state it had.
  struct TPainterEnd {
    bool Restore = false;  ///< the scene's painter, saved: restored, not ended
    void operator()(QPainter* Painter) const;
  };
  /// A painter for one drawing operation.
  using TPainter = std::unique_ptr<QPainter, TPainterEnd>;
  /// A painter for one drawing operation, antialiased, with the offset, the matrix and the
  /// scale set when Transformed (else the device's own pixels), or null when the matrix is
  /// singular and so nothing drawn would cover any area: within a scene the scene's own,
  /// saved and restored when the operation ends; outside one, a painter of its own. Throws
  /// EHostError when QPainter cannot begin.
  TPainter BeginPaint(bool Transformed = true);
  QImage CreateImage() const;
  /// Within a scene, moves the scene's painter onto FDevice after it changed.
  void RebeginScenePainter();
  /// Begins Painter on FDevice; EHostError when QPainter cannot.
  void BeginOnDevice(QPainter& Painter) const;

  QImage FImage;
  QPaintDevice* FDevice;  // FImage, the caller's device, or the innermost layer's image
  // The open layers' images, outermost first, each with the device it covers; held by
  // pointer, so that FDevice stays valid as the list grows.
  struct TLayerImage {
    QImage Image;
    QPaintDevice* Under;
  };
  std::vector<std::unique_ptr<TLayerImage>> FLayers;
  bool FOwnsImage;
  std::unique_ptr<QPainter> FScenePainter;  // open from the outermost BeginScene to its EndScene
};

/// @}
}  // namespace fsvg
