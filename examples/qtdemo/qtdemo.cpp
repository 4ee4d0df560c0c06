// The Qt demo: a window showing the sales dashboard live, painted by TQtCanvas on the
// widget in its paint event. "Save as SVG…" (File menu, Ctrl+S) repaints the window
// through a TTeeCanvas over a TSvgCanvas, so the document records the very drawing the
// window shows.
//
//   fsvg_qtdemo                                  opens the window
//   fsvg_qtdemo --screenshot PNG --svg SVG       paints once off screen, writes both, exits
#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "dashboard.h"
#include "fsvg/fsvgcanvas.h"
#include "fsvg/qtcanvas.h"

namespace {

/// The dashboard, painted on the widget; recorded too while a file name is pending.
class TDashboardView : public QWidget {
 public:
  TDashboardView() { setFixedSize(fsvg::demo::DashboardWidth, fsvg::demo::DashboardHeight); }

  /// Records the next painting into FileName; the error of the last recording, if any.
  void RecordNextPaint(const std::string& FileName) { FPendingSvg = FileName; }
  const std::string& LastError() const { return FError; }

 protected:
  void paintEvent(QPaintEvent*) override {
    FError.clear();
    try {
      fsvg::TQtCanvas Host(*this);
      Host.GetFont() = fsvg::TFont(fsvg::demo::DashboardFont, 100);
      const float AscentPerEm = Host.GetFontMetrics().Ascent / 100;
      if (FPendingSvg.empty()) {
        fsvg::demo::DrawDashboard(Host, AscentPerEm);
        return;
      }
      const std::string FileName = std::exchange(FPendingSvg, {});
      fsvg::TSvgCanvas Svg(FileName, &Host);
      fsvg::TTeeCanvas Canvas(Svg);
      fsvg::demo::DrawDashboard(Canvas, AscentPerEm);
      Svg.Close();
    } catch (const fsvg::Exception& Error) {
      // An exception must not leave a paint event: Qt's event loop cannot pass it on.
      FError = Error.what();
    }
  }

 private:
  std::string FPendingSvg;
  std::string FError;
};

int Screenshot(TDashboardView& View, const char* Png, const char* Svg) {
  View.RecordNextPaint(Svg);
  // grab() runs the paint event on a pixmap: the window's picture, never shown.
  const QPixmap Picture = View.grab();
  if (!View.LastError().empty()) {
    std::fprintf(stderr, "%s: %s\n", Svg, View.LastError().c_str());
    return 1;
  }
  if (!Picture.save(QString::fromLocal8Bit(Png), "PNG")) {
    std::fprintf(stderr, "%s: cannot write the PNG file\n", Png);
    return 1;
  }
  std::printf("wrote %s and %s\n", Png, Svg);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool Offscreen = argc == 5 && std::strcmp(argv[1], "--screenshot") == 0 && std::strcmp(argv[3], "--svg") == 0;
  if (argc != 1 && !Offscreen) {
    std::fprintf(stderr, "usage: %s [--screenshot PNG --svg SVG]\n", argv[0]);
    return 2;
  }
  if (Offscreen) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication Application(argc, argv);
  auto* View = new TDashboardView;
  if (Offscreen) {
    const int Result = Screenshot(*View, argv[2], argv[4]);
    delete View;
    return Result;
  }
  QMainWindow Window;
  Window.setWindowTitle(QStringLiteral("fsvgcanvas: the dashboard painted by TQtCanvas"));
  Window.setCentralWidget(View);  // the window owns the view
  QAction* Save = Window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("Save as &SVG…"));
  Save->setShortcut(QKeySequence::Save);
  QObject::connect(Save, &QAction::triggered, &Window, [&Window, View] {
    const QString Name = QFileDialog::getSaveFileName(&Window, QStringLiteral("Save as SVG"),
                                                      QStringLiteral("dashboard.svg"), QStringLiteral("SVG (*.svg)"));
    if (Name.isEmpty()) return;
    View->RecordNextPaint(Name.toLocal8Bit().toStdString());
    View->repaint();  // paints now, recording
    if (!View->LastError().empty())
      QMessageBox::warning(&Window, QStringLiteral("Save as SVG"), QString::fromStdString(View->LastError()));
  });
  Window.show();
  return Application.exec();
}
