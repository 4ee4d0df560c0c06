// Configuration 5: Qt's QSvgGenerator (Qt 6's beside the Qt host, else Qt 5's) into a QBuffer, painted with QPainter on
// the offscreen platform. The QGuiApplication exists before the run starts; fonts load on the first text, inside the
// run, as they would in a program.
#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QSvgGenerator>
#include <vector>

#include "configs.h"

namespace fsvg::bench {

namespace {

QColor ColorOf(const TElement& E) {
  QColor Color((E.Color >> 16) & 0xFF, (E.Color >> 8) & 0xFF, E.Color & 0xFF);
  Color.setAlphaF(E.Opacity);
  return Color;
}

void Draw(QPainter& Painter, const TScene& Scene, const std::vector<QString>& Labels) {
  QFont Font(QStringLiteral("sans-serif"));
  Font.setPixelSize(static_cast<int>(SceneFontSize));
  Painter.setFont(Font);
  if (Scene.Kind == TSceneKind::Clipped)
    Painter.setClipRect(QRectF(SceneClip.Left, SceneClip.Top, SceneClip.Width(), SceneClip.Height()));
  for (const TElement& E : Scene.Elements) {
    switch (E.Kind) {
      case TElementKind::Rect:
        Painter.setPen(Qt::NoPen);
        Painter.setBrush(ColorOf(E));
        Painter.drawRect(QRectF(QPointF(E.V[0], E.V[1]), QPointF(E.V[2], E.V[3])));
        break;
      case TElementKind::Line:
        Painter.setPen(QPen(ColorOf(E), E.Thickness));
        Painter.drawLine(QLineF(E.V[0], E.V[1], E.V[2], E.V[3]));
        break;
      case TElementKind::Ellipse:
        Painter.setPen(Qt::NoPen);
        Painter.setBrush(ColorOf(E));
        Painter.drawEllipse(QRectF(QPointF(E.V[0], E.V[1]), QPointF(E.V[2], E.V[3])));
        break;
      case TElementKind::Polygon: {
        const QPointF Points[3] = {{E.V[0], E.V[1]}, {E.V[2], E.V[3]}, {E.V[4], E.V[5]}};
        Painter.setPen(Qt::NoPen);
        Painter.setBrush(ColorOf(E));
        Painter.drawPolygon(Points, 3);
        break;
      }
      case TElementKind::Text:
        Painter.setPen(ColorOf(E));
        Painter.drawText(QPointF(E.V[0], E.V[3]), Labels[E.Label]);
        break;
      case TElementKind::Path: {
        TPointF P[PathPointCount];
        PathPoints(E, P);
        const auto Q = [&P](std::size_t I) { return QPointF(P[I].X, P[I].Y); };
        QPainterPath Path(Q(0));
        Path.lineTo(Q(1));
        Path.quadTo(Q(2), Q(3));
        Path.cubicTo(Q(4), Q(5), Q(6));
        Path.lineTo(Q(7));
        Path.quadTo(Q(8), Q(9));
        Path.cubicTo(Q(10), Q(11), Q(12));
        Path.lineTo(Q(13));
        Path.cubicTo(Q(14), Q(15), Q(16));
        Path.closeSubpath();
        Painter.setPen(Qt::NoPen);
        Painter.setBrush(ColorOf(E));
        Painter.drawPath(Path);
        break;
      }
    }
  }
}

}  // namespace

void RunQt(const TRunInput& Input, TProbe& Probe) {
  static int Argc = 1;
  static char Name[] = "fsvg_bench";
  static char* Argv[] = {Name, nullptr};
  QGuiApplication Application(Argc, Argv);
  std::vector<QString> Labels;
  for (const std::string& Label : Input.Scene->Utf8Labels) Labels.push_back(QString::fromStdString(Label));

  Probe.Baseline();
  Probe.Start();
  QBuffer Buffer;
  Buffer.open(QIODevice::WriteOnly);
  {
    QSvgGenerator Generator;
    Generator.setOutputDevice(&Buffer);
    Generator.setSize(QSize(SceneWidth, SceneHeight));
    Generator.setViewBox(QRect(0, 0, SceneWidth, SceneHeight));
    QPainter Painter;
    if (!Painter.begin(&Generator)) {
      Probe.Fail("QPainter cannot begin on the QSvgGenerator");
      return;
    }
    Draw(Painter, *Input.Scene, Labels);
    Painter.end();
  }
  Buffer.close();
  Probe.Stop();
  Probe.Sample.Bytes = static_cast<std::uint64_t>(Buffer.data().size());
}

}  // namespace fsvg::bench
