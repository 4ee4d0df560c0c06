// The demo picture: a small sales dashboard drawn on any TCanvas (a host alone, or a
// TTeeCanvas that paints and records). Shared by the demo program and the
// fidelity test that compares its raster with its SVG.
#pragma once

#include "fsvg/fsvgcanvas.h"

namespace fsvg::demo {

/// The dashboard's size in logical units.
inline constexpr std::int32_t DashboardWidth = 800;
inline constexpr std::int32_t DashboardHeight = 520;
/// The one font family the dashboard writes with.
inline constexpr char16_t DashboardFont[] = u"DejaVu Sans";

/// Draws the dashboard on Canvas, whose host should be DashboardWidth x DashboardHeight.
/// AscentPerEm is the font's ascent as a fraction of its size: text is laid out so that
/// its baseline falls on the rectangle's bottom, where the recorded SVG puts it.
void DrawDashboard(TCanvas& Canvas, float AscentPerEm);

}  // namespace fsvg::demo
