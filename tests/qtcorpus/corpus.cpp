// The corpus driver: each scene's widget rendered into a QImage, through QSvgGenerator and
// through TSvgPaintDevice; both documents rendered by one renderer (the fidelity tests'
// tools, with their arguments) over white and compared with the image pixel by pixel.
// Our documents must also pass the tests' structure check (ScanDocument).
#include "corpus.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>
#include <QSvgGenerator>
#include <cstdio>
#include <cstdlib>

#include "fsvg/qtpaintdevice.h"
#include "support/pixels.h"
#include "support/scratch.h"
#include "support/structure.h"

namespace fsvg::corpus {
namespace {

// The document Svg rendered by Tool, a picture of Size over white; none when the renderer fails.
QImage Render(const std::vector<std::string>& Tool, const QString& Svg, const QSize& Size) {
  const std::string Png = Svg.toStdString() + "." + Tool[0] + ".png";
  test::Render(Tool, Svg.toStdString(), Png, Size.width(), Size.height(), Png + ".log");
  QImage Image(QString::fromStdString(Png));
  if (Image.isNull()) return Image;
  if (Tool[0] == "chromium")
    Image = Image.copy(0, 0, Size.width() * test::ChromiumScale, Size.height() * test::ChromiumScale);
  if (Image.size() != Size) Image = Image.scaled(Size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  QImage OverWhite(Size, QImage::Format_RGB32);
  OverWhite.fill(Qt::white);
  QPainter(&OverWhite).drawImage(0, 0, Image);
  return OverWhite;
}

// The percentage of pixels differing (MarkDiffering); they are painted red over the
// reference in the image saved as Diff.
double Differing(const QImage& Reference, const QImage& Rendered, const QString& Diff) {
  if (Rendered.isNull()) return 100;
  QImage Marked = Reference;
  const double Percent =
      test::MarkDiffering(reinterpret_cast<std::uint32_t*>(Marked.bits()),
                          reinterpret_cast<const std::uint32_t*>(Rendered.constBits()), Marked.sizeInBytes() / 4);
  Marked.save(Diff);
  return Percent;
}

}  // namespace

int Run(int argc, char** argv, const std::string& Program, const std::function<std::vector<TScene>()>& Scenes) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY RENDERER TOOL...\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication Application(argc, argv);
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QApplication::setPalette(QApplication::style()->standardPalette());
  // Unhinted text, as the renderers draw theirs (the tests give fontconfig the fidelity
  // tests' unhinted configuration too).
  QFont Font = QApplication::font();
  Font.setHintingPreference(QFont::PreferNoHinting);
  QApplication::setFont(Font);
  const QString Output = QString::fromLocal8Bit(argv[1]);
  const std::vector<std::string> Tool(argv + 2, argv + argc);
  QDir().mkpath(Output);
  QFile Table(Output + "/" + QString::fromStdString(Program + "." + Tool[0] + ".tsv"));
  if (!Table.open(QIODevice::WriteOnly)) return 1;
  int Failed = 0;
  for (const TScene& Scene : Scenes()) {
    const std::unique_ptr<QWidget> Window = Scene.Make();
    Window->show();
    QApplication::processEvents();
    QWidget* Widget = Scene.Part ? Scene.Part(*Window) : Window.get();
    const QSize Size = Widget->size();
    const QString Base = Output + "/" + QString::fromStdString(Program + "." + Scene.Name + "." + Tool[0]);
    QImage Reference(Size, QImage::Format_RGB32);
    Reference.fill(Qt::white);
    Widget->render(&Reference);
    Reference.save(Base + ".reference.png");
    {
      QSvgGenerator Generator;
      Generator.setFileName(Base + ".qsvg.svg");
      Generator.setSize(Size);
      Generator.setViewBox(QRect(QPoint(), Size));
      Generator.setResolution(Reference.logicalDpiX());
      Widget->render(&Generator);
    }
    TSvgPaintDevice Device;
    Device.SetFileName(Base + ".fsvg.svg");
    Device.SetSize(Size);
    Device.SetResolution(Reference.logicalDpiX());
    Widget->render(&Device);
    QString Error;
    try {
      Device.Close();
    } catch (const std::exception& E) {
      Error = E.what();
    }
    const double Ours = Differing(Reference, Render(Tool, Base + ".fsvg.svg", Size), Base + ".fsvg.diff.png");
    const double Theirs = Differing(Reference, Render(Tool, Base + ".qsvg.svg", Size), Base + ".qsvg.diff.png");
    const double Limit = Scene.Text ? 2.0 : 0.5;
    // Every id defined before it is referred to and once, every group closed.
    const std::string Fault = test::ScanDocument(test::ReadFile((Base + ".fsvg.svg").toStdString()));
    // A render that is read wrongly, refers forward or does worse than QSvgGenerator
    // always fails; one over its limit alone fails unless FSVG_QTCORPUS_LIMITS is
    // "report", which prints the limits without holding them.
    const bool Sound = Error.isEmpty() && Fault.empty() && Ours <= Theirs;
    const bool Passed = Sound && Ours <= Limit;
    Failed += !Sound || (!Passed && qgetenv("FSVG_QTCORPUS_LIMITS") != "report");
    const QStringList Cells = {QString::fromStdString(Program + "/" + Scene.Name),
                               QString::fromStdString(Tool[0]),
                               Scene.Text ? "text" : "shapes",
                               QString::number(Ours, 'f', 3),
                               QString::number(Theirs, 'f', 3),
                               QString::number(Limit, 'f', 1),
                               Passed  ? "ok"
                               : Sound ? "FAILED over the limit"
                                       : "FAILED " + Error};
    const QString Row = Cells.join('\t') + (Fault.empty() ? "\n" : " (" + QString::fromStdString(Fault) + ")\n");
    Table.write(Row.toUtf8());
    std::fputs(Row.toLocal8Bit().constData(), stdout);
  }
  return Failed == 0 ? 0 : 1;
}

}  // namespace fsvg::corpus
