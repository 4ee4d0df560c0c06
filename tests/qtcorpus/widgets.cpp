// The corpus of standard widgets, each painted by the Fusion style through QWidget::render
// (the benchmarks record them too). Buttons, check boxes, sliders, spin boxes, line edits
// and scroll bars are shown by Qt's own widget gallery (styles.cpp).
#include <QCalendarWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeView>
#include <QVBoxLayout>

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
      Of<QComboBox>("combo_box", true, {150, 30},
                    [](auto& W) {
                      W.addItems({"Oranges", "Apples"});
                    }),
      Of<QTabWidget>("tab_widget", true, {240, 120},
                     [](auto& W) {
                       W.addTab(new QLabel("First page"), "General");
                       W.addTab(new QWidget, "Advanced");
                     }),
      // More columns than its viewport shows: the third is clipped, the rest scrolled off.
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
      Of<QGroupBox>("group_box", true, {200, 100},
                    [](auto& W) {
                      W.setTitle("Delivery");
                      (new QVBoxLayout(&W))->addWidget(new QRadioButton("Express"));
                    }),
  };
}

}  // namespace fsvg::corpus
