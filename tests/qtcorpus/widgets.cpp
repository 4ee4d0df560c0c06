// The corpus of standard widgets, each painted by the Fusion style through QWidget::render
// (the benchmarks record them too). Buttons, check boxes, radio buttons in group boxes,
// sliders, spin boxes, line edits, scroll bars, a combo box and a tab widget are shown by
// Qt's own widget gallery (styles.cpp), whose progress bar is empty and table bare.
#include <QCalendarWidget>
#include <QProgressBar>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTreeView>

#include "corpus.h"

namespace fsvg::corpus {
namespace {

// A W of the given size, set up by Setup.
template <typename W>
TScene Of(const char* Name, bool Text, QSize Size, void (*Setup)(W&)) {
  return {Name, Text,
          [=] {
            auto Widget = std::make_unique<W>();
            Setup(*Widget);
            Widget->resize(Size);
            return std::unique_ptr<QWidget>(std::move(Widget));
          },
          nullptr};
}

}  // namespace

std::vector<TScene> WidgetScenes() {
  return {
      Of<QProgressBar>("progress_bar", true, {200, 26}, [](auto& W) { W.setValue(65); }),
      Of<QTableWidget>("table_widget", true, {260, 140},
                       [](auto& W) {
                         W.setRowCount(6);
                         W.setColumnCount(6);
                         for (int I = 0; I < 36; ++I) W.setItem(I / 6, I % 6, new QTableWidgetItem(QString::number(I)));
                       }),
      Of<QCalendarWidget>("calendar", true, {300, 220}, [](auto& W) { W.setSelectedDate(QDate(2024, 5, 15)); }),
      Of<QTreeView>("tree_view", true, {220, 140},
                    [](auto& W) {
                      auto* Model = new QStandardItemModel(&W);
                      auto* Fruit = new QStandardItem("Fruit");
                      Fruit->appendRow(new QStandardItem("Apple"));
                      Model->appendRow(Fruit);
                      Model->appendRow(new QStandardItem("Vegetables"));
                      W.setModel(Model);
                      W.expandAll();
                    }),
  };
}

}  // namespace fsvg::corpus
