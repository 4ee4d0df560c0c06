// The corpus of Qt's basic drawing example: its render area, set through the window's
// own controls, over every shape, then each pen style, cap and join and each brush it
// offers; antialiased (the raster engine's aliased edges have no SVG 1.1 equivalent a
// renderer follows), and once transformed.
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <tuple>

#include "corpus.h"
#include "renderarea.h"
#include "window.h"

namespace {

// The window's controls in the order it makes them.
enum TControl { Shape, PenStyle, PenCap, PenJoin, BrushStyle };

struct TSetting {
  TControl Control;
  int Index;
};

fsvg::corpus::TScene Scene(const QString& Name, std::vector<TSetting> Settings, int PenWidth,
                           bool Transformed = false) {
  const bool Text = Settings.front().Index == 11;  // the Text shape, and
  return {Name.toStdString(), Text,
          [=] {
            auto Drawing = std::make_unique<Window>();
            const QList<QComboBox*> Boxes = Drawing->findChildren<QComboBox*>();
            for (const TSetting& Setting : Settings) {
              Boxes[Setting.Control]->setCurrentIndex(Setting.Index);
              emit Boxes[Setting.Control]->activated(Setting.Index);
            }
            Drawing->findChild<QSpinBox*>()->setValue(PenWidth);
            const QList<QCheckBox*> Checks = Drawing->findChildren<QCheckBox*>();
            Checks[0]->setChecked(true);
            Checks[1]->setChecked(Transformed);
            return Drawing;
          },
          [](QWidget& Drawing) -> QWidget* { return Drawing.findChild<RenderArea*>(); }};
}

}  // namespace

namespace fsvg::corpus {

std::vector<TScene> basicdrawingScenes() {
  std::vector<fsvg::corpus::TScene> Result;
  const Window Controls;
  const QList<QComboBox*> Boxes = Controls.findChildren<QComboBox*>();
  auto Label = [&](TControl Control, int Index) { return Boxes[Control]->itemText(Index).toLower().replace(' ', '_'); };
  for (int I = 0; I < Boxes[Shape]->count(); ++I) Result.push_back(Scene("shape_" + Label(Shape, I), {{Shape, I}}, 2));
  // Pens on the path, which has a join and two ends; caps and joins on the polyline, 8
  // wide; brushes in the ellipse.
  for (int I = 1; I < Boxes[PenStyle]->count() - 1; ++I)
    Result.push_back(Scene("pen_" + Label(PenStyle, I), {{Shape, 6}, {PenStyle, I}}, 3));
  const std::tuple<const char*, TControl, int, int> Sweeps[] = {
      {"cap_", PenCap, 8, 8}, {"join_", PenJoin, 8, 8}, {"brush_", BrushStyle, 3, 1}};
  for (const auto& [Prefix, Control, Over, Width] : Sweeps)
    for (int I = 0; I < Boxes[Control]->count(); ++I)
      Result.push_back(Scene(Prefix + Label(Control, I), {{Shape, Over}, {Control, I}}, Width));
  Result.push_back(Scene("cosmetic_pen", {{Shape, 4}}, 0));
  Result.push_back(Scene("transformed", {{Shape, 3}, {BrushStyle, 0}}, 2, true));
  return Result;
}

}  // namespace fsvg::corpus
