// The corpus of Qt's styles example: its widget gallery in Qt's Fusion style, and in the
// example's own Norwegian Wood style (wood and marble textures as pattern brushes,
// gradients, rounded buttons), each set before the gallery is made, which then shows it.
#include <QApplication>

#include "corpus.h"
#include "norwegianwoodstyle.h"
#include "widgetgallery.h"

namespace fsvg::corpus {

std::vector<TScene> stylesScenes() {
  return {{"fusion", true,
           [] {
             QApplication::setStyle("Fusion");
             return std::unique_ptr<QWidget>(new WidgetGallery);
           },
           nullptr},
          {"norwegianwood", true,
           [] {
             QApplication::setStyle(new NorwegianWoodStyle);
             return std::unique_ptr<QWidget>(new WidgetGallery);
           },
           nullptr}};
}

}  // namespace fsvg::corpus
