// Outlines as QPainterPaths (rectangles with their corners, ellipses, arcs, lines,
// polygons), the colours and pens that paint them, and the checks Qt's rasterizer needs.
// Each outline builder returns the outline's length in user units, at least its true
// length (a curve counts as its control polygon), which bounds the number of dashes a
// stroke of it needs.
#pragma once

#include <QBrush>
#include <QColor>
#include <QPainterPath>
#include <QSizeF>

#include "fsvg/hostcanvas.h"

class QPainter;

namespace fsvg::qthost {

/// The closed outline of a rectangle as RectOutline gives it.
double AddRectPath(QPainterPath& Path, const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners,
                   TCornerType ACornerType);
/// An open elliptical arc from StartAngle over SweepAngle (degrees, 0 along +X, positive
/// towards +Y, clamped to one turn), as cubic Béziers of at most a quarter turn: the
/// curves the Cairo host paints.
double AddArcPath(QPainterPath& Path, const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle);
/// The closed ellipse inscribed in ARect.
double AddEllipsePath(QPainterPath& Path, const TRectF& ARect);
/// The segment from APt1 to APt2.
double AddLinePath(QPainterPath& Path, const TPointF& APt1, const TPointF& APt2);
/// The closed polygon through Points; no path for no points.
double AddPolygonPath(QPainterPath& Path, const TPolygon& Points);
/// Every step of APath, its arcs as the cubic curves ArcToCurves gives (the curves every
/// host paints), with its fill rule.
double AddPathData(QPainterPath& Path, const TPathData& APath);

/// Clips Painter to every step of Clip, oldest first, each under the offset and matrix
/// it was set under and then Scale; an excluded rectangle is cut out of one around the
/// whole Device. Leaves the painter's transform as it was. False when the clip leaves
/// nothing to paint (a step flattened to no area).
bool ApplyClip(QPainter& Painter, const TClip& Clip, double Scale, const QSizeF& Device);

/// Color with its alpha multiplied by AOpacity, clamped to [0, 1].
QColor ToQColor(TAlphaColor Color, float AOpacity);
/// ABrush as Qt paints it, its alpha multiplied by AOpacity: its gradient when it holds
/// one (a degenerate one as its last stop's colour), else its colour.
QBrush ToQBrush(const TBrush& ABrush, float AOpacity);
/// Throws EArgumentError for a thickness that is not finite or is negative.
void CheckStroke(const TStrokeBrush& ABrush);

/// Fills Path with ABrush (nothing for a None brush), by Rule: non-zero winding unless a
/// path asks for even-odd.
void FillPath(QPainter& Painter, QPainterPath& Path, const TBrush& ABrush, float AOpacity,
              Qt::FillRule Rule = Qt::WindingFill);
/// Strokes Path of the given Length with ABrush's thickness, dash, cap and join (nothing
/// when the stroke leaves no mark). Throws EArgumentError, painting nothing, for a stroke
/// the transform makes wider than MaxStrokeWidth device pixels or a dashed one it would
/// cut into more than MaxDashes dashes.
void StrokePath(QPainter& Painter, const QPainterPath& Path, const TStrokeBrush& ABrush, float AOpacity, double Length);

/// The widest stroke, in device pixels: the raster engine's spans hold 16-bit positions
/// and a far wider pen only costs time.
inline constexpr double MaxStrokeWidth = 8388608;
/// The most dashes a stroke may be cut into, counted in device space: Qt's dasher walks
/// every dash.
inline constexpr double MaxDashes = 1e6;

}  // namespace fsvg::qthost
