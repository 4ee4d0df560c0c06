// The fidelity scenes: pictures drawn through a TSvgCanvas over a TCairoCanvas, each
// with the share of pixels by which the raster and the rendered SVG may differ.
// Recorded with TSvgOptions::Faithful(), every scene must agree within 0.5% (2% for a
// scene with text); the limits below are those of the default recording.
#pragma once

#include <cstdint>
#include <span>

#include "fsvg/cairocanvas.h"
#include "fsvg/fsvgcanvas.h"

namespace fsvg::fidelity {

struct TScene {
  const char* Name;
  std::int32_t Width;
  std::int32_t Height;
  /// The scene has text, which renderers shape and smooth each their own way.
  bool Text;
  /// At most this percentage of the pixels may differ.
  double MaxPercent;
  /// A difference by design must show at least this percentage (0: none expected). It
  /// keeps the documented differences honest and proves the comparison can see them.
  double MinPercent;
  /// Draws on Canvas, whose host is Host (for font metrics); Host is Width x Height.
  void (*Draw)(TSvgCanvas& Canvas, TCairoCanvas& Host);
};

/// Every scene, in a fixed order.
std::span<const TScene> Scenes();

}  // namespace fsvg::fidelity
