// Text for the Cairo host: UTF-16 to the UTF-8 Cairo takes, glyphs placed and kerned as
// the shared layout measures them, and their outlines added for painting.
#pragma once

#include <cairo.h>

#include <string>
#include <string_view>
#include <vector>

#include "fsvg/hostcanvas.h"

namespace fsvg::detail {

/// Text as UTF-8 Cairo accepts: ToUtf8's bytes (an unpaired surrogate is U+FFFD), with
/// each noncharacter, which Cairo refuses as invalid text, as U+FFFD too.
std::string CairoText(std::u16string_view Text);

/// The glyphs of one line of Lines (a part of Text), kerned and placed from the line's
/// Rect's left edge on the baseline Ascent below its top: what AddTextPath paints.
std::vector<cairo_glyph_t> ShapeLine(cairo_scaled_font_t* Font, double Size, std::u16string_view Text,
                                     const TLineMetricInfo::TLineMetric& Line, float Ascent);

/// Adds the outline of every line of Lines (parts of Text) to Context's path, each line's
/// glyphs kerned and placed from its Rect's left edge on the baseline Ascent below its top.
void AddTextPath(cairo_t* Context, cairo_scaled_font_t* Font, double Size, std::u16string_view Text,
                 const TLineMetricInfo& Lines, float Ascent);

}  // namespace fsvg::detail
