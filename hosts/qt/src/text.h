// Text for the Qt host: the current font as a QFont, runs measured kerned as they are
// painted, and the outlines of laid-out lines added for painting. Qt rounds a font's
// pixel size to a whole pixel and its advances to 1/64 of one, so every font is made at
// the reference size RefSize, where advances are exact in the font's own units, and
// scaled from there: text then lays out the same at every size, as SVG renderers do.
#pragma once

#include <QFont>
#include <QPainterPath>

#include <memory>
#include <string_view>

#include "fsvg/hostcanvas.h"

namespace fsvg::qthost {

/// The size fonts are made at: the em of most outline fonts.
inline constexpr double RefSize = 2048;

/// AFont's family (DejaVu Sans when empty) at RefSize, unhinted and kerned. Throws
/// EMisuseError without a QGuiApplication, EArgumentError for a size that is not finite,
/// not positive or, stretched by DeviceStretch (a font to paint with), beyond 65535
/// device pixels; one only measured has no device size.
QFont RefFont(const TFont& AFont, double DeviceStretch = 0);

/// The metrics of AFont (made by RefFont) at Size.
TFontMetrics FontMetrics(const QFont& AFont, double Size);

/// A measurer of runs in AFont (made by RefFont) at Size.
std::unique_ptr<TTextMeasurer> CreateMeasurer(const QFont& AFont, double Size);

/// Adds the outline of every line of Lines (parts of Text) to Path, in AFont (made by
/// RefFont) at Size, each line from its Rect's left edge on the baseline Ascent below its top.
void AddTextPath(QPainterPath& Path, const QFont& AFont, double Size, std::u16string_view Text,
                 const TLineMetricInfo& Lines, float Ascent);

}  // namespace fsvg::qthost
