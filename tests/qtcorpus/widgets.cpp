// The corpus of standard widgets, each painted by the Fusion style through QWidget::render
// (the benchmarks record them too).
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
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
      Of<QPushButton>("push_button", true, {120, 32}, [](auto& W) { W.setText("Sign in"); }),
      Of<QCheckBox>("check_box", true, {140, 24},
                    [](auto& W) {
                      W.setText("Remember me");
                      W.setChecked(true);
                    }),
      Of<QRadioButton>("radio_button", true, {140, 24},
                       [](auto& W) {
                         W.setText("Express");
                         W.setChecked(true);
                       }),
      Of<QSlider>("slider", false, {160, 28},
                  [](auto& W) {
                    W.setOrientation(Qt::Horizontal);
                    W.setValue(40);
                  }),
      Of<QProgressBar>("progress_bar", true, {200, 26}, [](auto& W) { W.setValue(65); }),
      Of<QComboBox>("combo_box", true, {150, 30},
                    [](auto& W) {
                      W.addItems({"Oranges", "Apples"});
                    }),
      Of<QSpinBox>("spin_box", true, {100, 30}, [](auto& W) { W.setValue(42); }),
      Of<QLineEdit>("line_edit", true, {180, 30}, [](auto& W) { W.setText("Ada Lovelace"); }),
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
      Of<QScrollBar>("scroll_bar", false, {20, 160}, [](auto& W) { W.setValue(30); }),
      Of<QGroupBox>("group_box", true, {200, 100},
                    [](auto& W) {
                      W.setTitle("Delivery");
                      (new QVBoxLayout(&W))->addWidget(new QRadioButton("Express"));
                    }),
  };
}

}  // namespace fsvg::corpus
