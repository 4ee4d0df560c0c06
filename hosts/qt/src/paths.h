// Outlines as QPainterPaths, the clip, and the colours and pens that paint them. Every
// shape comes as the one TOutline every host paints; its length decides the stroke limits.
#pragma once

#include <QBrush>
#include <QColor>
#include <QPainterPath>
#include <QSizeF>

#include "fsvg/hostcanvas.h"

class QPainter;

namespace fsvg::qthost {

/// Outline as a QPainterPath, with its fill rule.
QPainterPath ToPainterPath(const TOutline& Outline);

/// Clips Painter to every step of Clip, oldest first, each under the offset and matrix
/// it was set under and then Scale; an excluded rectangle is cut out of one around the
/// whole Device. Leaves the painter's transform as it was. False when the clip leaves
/// nothing to paint (a step flattened to no area).
bool ApplyClip(QPainter& Painter, const TClip& Clip, double Scale, const QSizeF& Device);

/// Color with its alpha multiplied by AOpacity, clamped to [0, 1].
QColor ToQColor(TAlphaColor Color, float AOpacity);
/// ABrush as Qt paints it, its alpha multiplied by AOpacity: its gradient when it holds
/// one (a degenerate one as its last stop's colour), its pixels laid over a shape of
/// bounds Bounds when it holds some (no brush for pixels that cannot be painted), else its
/// colour.
QBrush ToQBrush(const TBrush& ABrush, float AOpacity, const TRectF& Bounds);
/// Fills Path with ABrush by its own fill rule (nothing for a None brush), a bitmap laid
/// over Bounds.
void FillPath(QPainter& Painter, const QPainterPath& Path, const TBrush& ABrush, float AOpacity, const TRectF& Bounds);
/// Strokes Path, which is Outline, with ABrush's thickness (a cosmetic pen for a
/// hairline), dash and offset, cap, join and miter limit (nothing when the stroke leaves
/// no mark). Throws EArgumentError, painting nothing, for a stroke
/// TOutline::CheckStroke refuses under the painter's transform.
void StrokePath(QPainter& Painter, const QPainterPath& Path, const TStrokeBrush& ABrush, float AOpacity,
                const TOutline& Outline);

}  // namespace fsvg::qthost
