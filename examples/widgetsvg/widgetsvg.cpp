// Any widget to SVG: a small form styled by Fusion, rendered by Qt through the SVG paint
// device. The same few lines record any QWidget (or any QPainter code) of a program.
//
//   fsvg_widgetsvg OUTPUT.svg     (or OUTPUT.svgz)
#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyleFactory>
#include <cstdio>

#include "fsvg/qtpaintdevice.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.svg\n", argv[0]);
    return 2;
  }
  QApplication Application(argc, argv);
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QWidget Form;
  auto* Layout = new QFormLayout(&Form);
  Layout->addRow("Name", new QLineEdit("Ada"));
  Layout->addRow("Volume", new QSlider(Qt::Horizontal));
  Layout->addRow("", new QCheckBox("Remember me"));
  Layout->addRow("", new QPushButton("Sign in"));
  Form.resize(280, 150);
  Form.ensurePolished();

  fsvg::TSvgPaintDevice Svg;
  Svg.SetFileName(QString::fromLocal8Bit(argv[1]));
  Svg.SetSize(Form.size());
  Svg.SetTitle("A form");
  Form.render(&Svg);
  try {
    Svg.Close();
  } catch (const fsvg::Exception& E) {
    std::fprintf(stderr, "%s\n", E.what());
    return 1;
  }
  return 0;
}
