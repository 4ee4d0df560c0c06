// The paint engine's images and tiled pixmaps: each a canvas bitmap drawn into its target.
#include <QImage>
#include <QPixmap>
#include <cmath>

#include "paintconvert.h"
#include "paintengine.h"

namespace fsvg::detail {

// The source is cut to whole pixels inside the image, and the target to match.
void TCanvasPaintEngine::PaintImage(const QRectF& Rect, const QImage& Image, const QRectF& Source) {
  const QRect Whole = Source.toAlignedRect() & Image.rect();
  if (Whole.isEmpty() || Source.width() <= 0 || Source.height() <= 0) return;
  const double ScaleX = Rect.width() / Source.width();
  const double ScaleY = Rect.height() / Source.height();
  const QRectF Target(Rect.x() + (Whole.x() - Source.x()) * ScaleX, Rect.y() + (Whole.y() - Source.y()) * ScaleY,
                      Whole.width() * ScaleX, Whole.height() * ScaleY);
  const QImage Part = Whole == Image.rect() ? Image : Image.copy(Whole);
  // A source between pixel edges shows part of its edge pixels: the wider image is cut.
  TCanvasSaveState* Saved = Whole == Source ? nullptr : FCanvas->SaveState();
  if (Saved) FCanvas->IntersectClipRect(ToRect(Rect));
  // Drawn pixel for pixel, an image looks the same smoothed or not; nearest pixels keep
  // it so where a renderer paints at a finer scale (Chromium) or the document is zoomed.
  const QTransform Device = FTransform * FBase;
  const QPointF At = Device.map(Target.topLeft());
  const bool PixelForPixel = Device.type() <= QTransform::TxTranslate && Target.size() == QSizeF(Whole.size()) &&
                             At.x() == std::round(At.x()) && At.y() == std::round(At.y());
  FCanvas->DrawBitmap(ToBitmap(Part), {0, 0, static_cast<float>(Whole.width()), static_cast<float>(Whole.height())},
                      ToRect(Target), Opacity(), !Hinted(QPainter::SmoothPixmapTransform) || PixelForPixel);
  if (Saved) FCanvas->RestoreState(Saved);
}

void TCanvasPaintEngine::drawPixmap(const QRectF& Rect, const QPixmap& Pixmap, const QRectF& Source) {
  Drawing([&] { PaintImage(Rect, ToImage(Pixmap, painter()->pen().color()), Source); });
}

void TCanvasPaintEngine::drawImage(const QRectF& Rect, const QImage& Image, const QRectF& Source,
                                   Qt::ImageConversionFlags) {
  Drawing([&] { PaintImage(Rect, Image, Source); });
}

// Repeated images inside Rect, the first tile at Rect's corner less Offset.
void TCanvasPaintEngine::drawTiledPixmap(const QRectF& Rect, const QPixmap& Pixmap, const QPointF& Offset) {
  Drawing([&] {
    const double W = Pixmap.width();
    const double H = Pixmap.height();
    if (Pixmap.isNull() || Rect.isEmpty()) return;
    const double Tiles = std::ceil(Rect.width() / W + 1) * std::ceil(Rect.height() / H + 1);
    if (Tiles > 1e6) throw EArgumentError("fsvg: a tiled pixmap needs more than a million tiles");
    const TBitmap Tile = ToBitmap(ToImage(Pixmap, painter()->pen().color()));
    TCanvasSaveState* Saved = FCanvas->SaveState();
    FCanvas->IntersectClipRect(ToRect(Rect));
    const double Left = Rect.x() - std::fmod(Offset.x(), W) - (std::fmod(Offset.x(), W) < 0 ? W : 0);
    const double Top = Rect.y() - std::fmod(Offset.y(), H) - (std::fmod(Offset.y(), H) < 0 ? H : 0);
    for (double Y = Top; Y < Rect.bottom(); Y += H)
      for (double X = Left; X < Rect.right(); X += W)
        FCanvas->DrawBitmap(Tile, {0, 0, static_cast<float>(W), static_cast<float>(H)}, ToRect(QRectF(X, Y, W, H)),
                            Opacity(), !Hinted(QPainter::SmoothPixmapTransform));
    FCanvas->RestoreState(Saved);
  });
}

}  // namespace fsvg::detail
