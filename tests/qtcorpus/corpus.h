// The outside corpus: widgets painted by Qt's own code (its Fusion style, its example
// programs), each rendered three ways: by Qt's raster engine into an image (the
// reference), through Qt's SVG generator and through TSvgPaintDevice; both documents are
// rendered by one SVG renderer and the pixels that differ from the reference counted.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fsvg::corpus {

// One render: a widget made afresh, whether it paints text (which renderers shape each
// their own way, so more pixels may differ), and the part of it rendered (the whole
// widget when Part is empty).
struct TScene {
  std::string Name;
  bool Text = true;
  std::function<std::unique_ptr<QWidget>()> Make;
  std::function<QWidget*(QWidget&)> Part;
};

// Runs every scene through the renderer named on the command line and writes one row a
// scene to OUTPUT/PROGRAM.RENDERER.tsv; returns 0 when every render keeps to its limit
// and to QSvgGenerator's count, 1 otherwise.
//   PROGRAM OUTPUT_DIRECTORY rsvg RSVG_CONVERT
//   PROGRAM OUTPUT_DIRECTORY resvg NODE RENDER_SCRIPT
//   PROGRAM OUTPUT_DIRECTORY chromium CHROMIUM FONTS_CONF
int Run(int argc, char** argv, const std::string& Program, const std::function<std::vector<TScene>()>& Scenes);

// The standard widgets, sized, checked and filled in.
std::vector<TScene> WidgetScenes();

}  // namespace fsvg::corpus
