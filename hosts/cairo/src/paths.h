// Outlines on a cairo_t, the clip, and the fill or stroke that paints them. Every shape
// comes as the one TOutline every host paints; its length decides the stroke limits.
#pragma once

#include <cairo.h>

#include "fsvg/hostcanvas.h"

namespace fsvg::detail {

/// Adds the steps of Outline to Context's path, which has none yet, and sets its fill rule.
void AddOutline(cairo_t* Context, const TOutline& Outline);
/// Intersects the clip of Context, which has no path, with every step of Clip, oldest
/// first, each through the scale, then its own matrix and offset. Returns false when a
/// step leaves nothing (a matrix that flattens its rectangle or path). Context's matrix
/// is left changed.
bool ApplyClip(cairo_t* Context, const TClip& Clip, double Scale);

/// Fills the current path with ABrush (a bitmap laid over Bounds), or clears it when the
/// brush leaves no mark.
void FillPath(cairo_t* Context, const TBrush& ABrush, double Opacity, const TRectF& Bounds);
/// Strokes Outline, the current path, with ABrush's thickness (one device pixel for a
/// hairline), dash and offset, cap, join and miter limit, or clears it when the stroke
/// leaves no mark. Throws EArgumentError, painting nothing,
/// for a stroke TOutline::CheckStroke refuses under Context's matrix.
void StrokePath(cairo_t* Context, const TStrokeBrush& ABrush, double Opacity, const TOutline& Outline);

}  // namespace fsvg::detail
