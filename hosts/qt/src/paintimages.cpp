// The paint engine's images, each a canvas bitmap drawn into its target, and tiled
// pixmaps, each one fill with the pixmap as a bitmap brush.
#include <QImage>
#include <QPixmap>
#include <memory>

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
  const bool PixelForPixel = Target.size() == QSizeF(Whole.size()) &&
                             WholePixelMove(QTransform::fromTranslate(Target.x(), Target.y()) * ToCanvas());
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

// Repeated images inside Rect, the first tile at Rect's corner less Offset: one fill of
// Rect with the pixmap as a pattern tiling from that corner, whatever the number of tiles.
void TCanvasPaintEngine::drawTiledPixmap(const QRectF& Rect, const QPixmap& Pixmap, const QPointF& Offset) {
  Drawing([&] {
    if (Pixmap.isNull() || Rect.isEmpty()) return;
    // Recorded without its pixels, the pattern is the pixmap's mean colour.
    const QImage Tile = ToImage(Pixmap, painter()->pen().color());
    const QColor Mean = Tile.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
    const TBrush Tiles(std::make_shared<const TBitmap>(ToBitmap(Tile)), TBitmapWrap::TileFromOrigin, ToColor(Mean),
                       !Hinted(QPainter::SmoothPixmapTransform));
    const QPointF Corner = Rect.topLeft() - Offset;
    QPainterPath Shape;
    Shape.addRect(Rect);
    FillIn(QTransform::fromTranslate(Corner.x(), Corner.y()), Shape, Tiles);
  });
}

}  // namespace fsvg::detail
