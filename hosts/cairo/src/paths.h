// Outlines on a cairo_t (rectangles with their corners, ellipses, arcs, lines, polygons)
// and the fill or stroke that paints them. Each Add* function starts a new path and
// returns the outline's length in user units, at least its true length (a curve counts
// as its control polygon), which bounds the number of dashes a stroke of it needs.
#pragma once

#include <cairo.h>

#include "fsvg/hostcanvas.h"

namespace fsvg::detail {

/// The closed outline of a rectangle as RectOutline gives it.
double AddRectPath(cairo_t* Context, const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners,
                   TCornerType ACornerType);
/// An open elliptical arc from StartAngle over SweepAngle (degrees, 0 along +X, positive
/// towards +Y, clamped to one turn), as cubic Béziers of at most a quarter turn.
double AddArcPath(cairo_t* Context, const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle);
/// The closed ellipse inscribed in ARect.
double AddEllipsePath(cairo_t* Context, const TRectF& ARect);
/// The segment from APt1 to APt2.
double AddLinePath(cairo_t* Context, const TPointF& APt1, const TPointF& APt2);
/// The closed polygon through Points; no path for no points.
double AddPolygonPath(cairo_t* Context, const TPolygon& Points);

/// The subpaths of APath (arcs as ArcToCurves gives them), with its fill rule set.
double AddPathData(cairo_t* Context, const TPathData& APath);
/// Intersects Context's clip with every step of Clip, oldest first, each through the
/// scale, then its own matrix and offset. Returns false when a step leaves nothing (a
/// matrix that flattens its rectangle or path). Context's matrix is left changed.
bool ApplyClip(cairo_t* Context, const TClip& Clip, double Scale);

/// Fills the current path with ABrush, or clears it for a None brush.
void FillPath(cairo_t* Context, const TBrush& ABrush, double Opacity);
/// Strokes the current path of the given Length with ABrush's thickness, dash, cap and
/// join, or clears it when the stroke leaves no mark. Throws EArgumentError, painting
/// nothing, for a stroke the transform makes wider than MaxStrokeWidth device pixels or
/// a dashed one it would cut into more than MaxDashes dashes.
void StrokePath(cairo_t* Context, const TStrokeBrush& ABrush, double Opacity, double Length);

/// The widest stroke, in device pixels: Cairo's coordinates end at 2^23 pixels, and a
/// far wider pen takes it seconds to minutes to run along a curve.
inline constexpr double MaxStrokeWidth = 8388608;
/// The most dashes a stroke may be cut into, counted in device space. Cairo walks every
/// dash, and more than this many under a huge scale or shear leave it stepping for
/// minutes, or for ever once the steps are lost in the length's rounding.
inline constexpr double MaxDashes = 1e6;

}  // namespace fsvg::detail
