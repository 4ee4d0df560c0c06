// Qt's values as the canvas's, for the paint engine.
#pragma once

#include <QColor>
#include <QGradient>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <memory>

#include "fsvg/hostcanvas.h"

class QPixmap;

namespace fsvg::detail {

TPointF ToPoint(const QPointF& P);
TRectF ToRect(const QRectF& R);
TAlphaColor ToColor(const QColor& C);
// The blend mode of a composition mode the canvas blends by; source-over for the rest.
TBlendMode ToBlend(QPainter::CompositionMode Mode);
bool HasCurves(const QPainterPath& Shape);
// Qt closes a subpath by a line back to its start; the canvas gets an explicit close
// instead of that line (after two steps or more), so that the stroke joins there instead
// of capping both ends.
TPathData ToPath(const QPainterPath& Path);
// A gradient in coordinates mapped by Map into the painter's; null for one the canvas
// cannot paint (no stops, a map without inverse, no length or radius).
std::shared_ptr<const TGradient> ToGradient(const QGradient& G, const QTransform& Map);
TBitmap ToBitmap(const QImage& Image);
// Whether Map moves by whole pixels alone: an image or a texture it lays lies a texel a
// pixel, where smoothing changes nothing.
bool WholePixelMove(const QTransform& Map);
// A one-bit pixmap paints its set pixels in the pen's colour and leaves the rest.
QImage ToImage(const QPixmap& Pixmap, const QColor& PenColor);

}  // namespace fsvg::detail
