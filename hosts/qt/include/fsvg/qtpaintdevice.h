// Paint devices that let any QPainter code draw on a TCanvas: TCanvasPaintDevice paints
// on a canvas the caller gives (a host, or a TTeeCanvas that records while it paints),
// and TSvgPaintDevice records to an SVG file or QIODevice with the setters of Qt's own
// SVG generator. Every QPainter operation becomes TCanvas calls; what the canvas cannot
// paint exactly is mapped to the closest it can (docs/qt-device.md lists each feature).
/// @file
/// TCanvasPaintDevice and TSvgPaintDevice: QPainter over a TCanvas (component fsvg::fsvgqt).
#pragma once

#include <QIODevice>
#include <QPaintDevice>
#include <QRectF>
#include <QSize>
#include <QString>
#include <exception>
#include <memory>

#include "fsvg/fsvgcanvas.h"

class QPaintEngine;

namespace fsvg {
/// @addtogroup hostcanvas
/// @{

namespace detail {
class TCanvasPaintEngine;
}

/// A QPaintDevice whose painter draws on Canvas (owned by the caller, alive while painted
/// on). A painter's begin opens a scene and saves the canvas state; its end restores both.
/// An error of the canvas (or a perspective transform, EArgumentError) stops the painting:
/// QPainter::end returns false and RethrowError throws it. Qt sees no exception.
///
///     fsvg::TCanvasPaintDevice Device(Canvas);
///     QPainter Painter(&Device);
///     Painter.drawEllipse(10, 10, 80, 60);
class TCanvasPaintDevice : public QPaintDevice {
 public:
  /// A device of the canvas's size, at Dpi dots per inch (the fonts' point size).
  explicit TCanvasPaintDevice(TCanvas& Canvas, int Dpi = 96);
  ~TCanvasPaintDevice() override;
  TCanvasPaintDevice(const TCanvasPaintDevice&) = delete;
  TCanvasPaintDevice& operator=(const TCanvasPaintDevice&) = delete;
  /// The engine that turns the painter's operations into canvas calls.
  QPaintEngine* paintEngine() const override;
  /// Throws the first error met since the last call (none: returns), and forgets it.
  void RethrowError();

 protected:
  /// Size and resolution as given; depth 32.
  int metric(PaintDeviceMetric Metric) const override;

 private:
  TCanvas& FCanvas;
  int FDpi;
  std::unique_ptr<detail::TCanvasPaintEngine> FEngine;
};

/// A QPaintDevice that records what a painter draws as an SVG 1.1 document, one per
/// painter session: begin opens the output, end closes the document. The output is the
/// file (gzip-compressed when its name ends in .svgz) or else the QIODevice given, which
/// must be open for writing. The picture is painted on a host at the same time when one
/// is given (SetHost), else on a TNullCanvas of the document's size.
///
///     fsvg::TSvgPaintDevice Svg;
///     Svg.SetFileName("form.svg");
///     Svg.SetSize(Widget.size());
///     Widget.render(&Svg);
///     Svg.Close();  // throws what went wrong, if anything did
class TSvgPaintDevice : public QPaintDevice {
 public:
  /// A device of 100 x 100 pixels at 96 dots per inch, with TSvgOptions::Faithful.
  TSvgPaintDevice();
  /// Reports (with qWarning) an error nobody asked Close for.
  ~TSvgPaintDevice() override;
  TSvgPaintDevice(const TSvgPaintDevice&) = delete;
  TSvgPaintDevice& operator=(const TSvgPaintDevice&) = delete;

  /// Records into the file FileName (replacing the output device).
  void SetFileName(const QString& FileName);
  /// The file recorded into; empty when there is none.
  QString FileName() const { return FFileName; }
  /// Records into Device (owned by the caller; replaces the file name).
  void SetOutputDevice(QIODevice* Device);
  /// The output device; null when there is none.
  QIODevice* OutputDevice() const { return FOutput; }
  /// The document's size in pixels (its width and height).
  void SetSize(const QSize& Size);
  /// The document's size in pixels.
  QSize Size() const { return FSize; }
  /// The painter's coordinates that fill the document; empty (the default) for the
  /// size itself.
  void SetViewBox(const QRectF& ViewBox) { FViewBox = ViewBox; }
  /// The view box; empty when the size is used.
  QRectF ViewBox() const { return FViewBox; }
  /// Dots per inch the painter's fonts and millimetres go by.
  void SetResolution(int Dpi);
  /// Dots per inch.
  int Resolution() const { return FDpi; }
  /// The document's title.
  void SetTitle(const QString& Title);
  /// The document's description.
  void SetDescription(const QString& Description);
  /// The recording options (title and description included).
  void SetOptions(const TSvgOptions& Options) { FOptions = Options; }
  /// The recording options.
  const TSvgOptions& Options() const { return FOptions; }
  /// Paints on Host too while recording (owned by the caller), and leaves its state
  /// (paint, font, matrix, clip) as each painter found it; null for none.
  void SetHost(TCanvas* Host) { FHost = Host; }
  /// Throws the first error of the last painter session (a file that cannot be created,
  /// a failed write, a perspective transform), and forgets it.
  void Close();
  /// The engine that records the painter's operations.
  QPaintEngine* paintEngine() const override;

 protected:
  /// Size (the view box's, when there is one) and resolution; depth 32.
  int metric(PaintDeviceMetric Metric) const override;

 private:
  class TSession;
  friend class detail::TCanvasPaintEngine;
  // Opens the output and the recording; null when it fails (the error is kept).
  TCanvas* Open();
  // Ends the document and closes the output, keeping the first error.
  void Finish();
  QString FFileName;
  QIODevice* FOutput = nullptr;
  QSize FSize{100, 100};
  QRectF FViewBox;
  int FDpi = 96;
  TSvgOptions FOptions = TSvgOptions::Faithful();
  TCanvas* FHost = nullptr;
  std::unique_ptr<TSession> FSession;
  std::unique_ptr<detail::TCanvasPaintEngine> FEngine;
};

/// @}
}  // namespace fsvg
