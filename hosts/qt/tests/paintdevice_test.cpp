// Unit tests of the QPainter devices: the same painter calls on Qt's raster image and,
// through the device, on the Qt host canvas give the same pixels; the SVG device writes
// its outputs and reports what it cannot do.
#include "fsvg/qtpaintdevice.h"

#include <gtest/gtest.h>

#include <QBitmap>
#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <cstdlib>
#include <functional>

#include "fsvg/qtcanvas.h"
#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

// The share of a 64-pixel square's pixels whose grey levels differ by more than a quarter
// of their range.
double Differing(const QImage& A, const QImage& B) {
  int Count = 0;
  for (int I = 0; I < 4096; ++I)
    Count += std::abs(qGray(A.pixel(I % 64, I / 64)) - qGray(B.pixel(I % 64, I / 64))) > 64;
  return Count / 4096.0;
}

QImage Pattern() {
  QImage Tile(4, 4, QImage::Format_ARGB32);
  Tile.fill(Qt::yellow);
  Tile.setPixel(1, 2, 0xFF0000FF);
  return Tile;
}

struct TScene {
  const char* Name;
  std::function<void(QPainter&)> Draw;
};

const TScene Scenes[] = {
    {"rects_and_pens",
     [](QPainter& P) {
       P.setPen(QPen(Qt::red, 5, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin));
       P.setBrush(Qt::blue);
       P.drawRect(10, 10, 40, 30);
       P.drawRect(QRectF(56, 10, 0, 30));               // a line, with the pen's caps
       P.drawRect(QRectF(50, 46, 6, 1));                // an area, so no caps
       P.setRenderHint(QPainter::Antialiasing, false);  // whole pixels
       P.setPen(QPen(Qt::black, 2));
       P.drawRect(QRectF(4.3, 46.6, 40, 12));
       P.drawLine(4, 62, 40, 62);
       P.setPen(QPen(Qt::black, 0));  // a hairline: in the pixel row its centre lies in
       P.drawLine(QLineF(20.3, 6.6, 60.3, 6.6));
       P.scale(2, 2);
       P.setPen(Qt::black);  // a unit, two pixels wide: centred on a pixel edge
       P.drawLine(10, 1, 30, 1);
       P.shear(0, 0.1);  // no pixel grid to align to
       P.drawLine(29, 23, 31, 25);
     }},
    {"gradients",
     [](QPainter& P) {
       QLinearGradient Ramp(0.2, 0, 1, 1);
       Ramp.setCoordinateMode(QGradient::ObjectBoundingMode);
       Ramp.setColorAt(0, Qt::red);
       Ramp.setColorAt(1, Qt::green);
       P.setBrush(Ramp);
       P.setPen(QPen(Qt::black, 2));  // a curve flattened as Qt's stroker does it
       P.rotate(10);
       P.drawEllipse(10, 5, 50, 40);
       QRadialGradient Glow(50, 50, 12, 45, 45);
       Glow.setColorAt(0, Qt::white);
       Glow.setColorAt(1, Qt::black);
       QBrush Shrunk(Glow);  // its radius scaled with the brush
       Shrunk.setTransform(QTransform::fromScale(0.9, 0.9));
       P.setBrush(Shrunk);
       P.drawRect(35, 35, 30, 30);
       P.fillRect(0, 50, 9, 9, QRadialGradient(4, 54, 0));    // of no radius: painted by Qt
       P.fillRect(0, 23, 9, 9, QRadialGradient(4, 27, 0.5));  // under a pixel: still a gradient
       QLinearGradient Across(0, 0, 1, 0.2);  // black to white across the device, whatever the transform
       Across.setCoordinateMode(QGradient::StretchToDeviceMode);
       P.fillRect(10, 0, 50, 4, Across);
       P.fillRect(0, 36, 9, 9, QLinearGradient(4, 40, 4, 40));  // of no length: painted by Qt
     }},
    {"paths_polygons_points",
     [](QPainter& P) {
       QPainterPath Ring;  // a circle with a square hole: even-odd, a path's own rule
       Ring.addRect(15, 15, 20, 20);
       Ring.addEllipse(5, 5, 40, 40);  // its last curve the path's end
       P.setBrush(Qt::darkGreen);
       P.drawPath(Ring);
       const QPointF Star[] = {{50, 36}, {58, 61}, {37, 46}, {63, 46}, {42, 61}};
       P.drawPolygon(Star, 5, Qt::WindingFill);
       P.setPen(QPen(Qt::magenta, 3, Qt::SolidLine, Qt::RoundCap));
       P.drawPolyline(Star, 3);
       P.drawPoint(5, 60);
       P.setPen(QPen(QBrush(), 3));  // a pen of no paint: no dot
       P.drawPoint(10, 60);
       P.setPen(QPen(Qt::magenta, 3, Qt::SolidLine, Qt::SquareCap));
       P.drawPoint(15, 60);
       P.setPen(QPen(QConicalGradient(), 3));  // painted by Qt, as no canvas can
       P.drawPoint(20, 60);
     }},
    {"clips_and_opacity",
     [](QPainter& P) {
       P.setClipRect(10, 10, 40, 40);
       P.setClipRect(QRectF(20, 0, 40, 30.5), Qt::IntersectClip);  // not on whole pixels: a path
       P.fillRect(0, 0, 64, 64, Qt::red);
       P.setClipRegion(QRegion(0, 40, 30, 20, QRegion::Ellipse));
       P.setOpacity(0.5);
       P.fillRect(0, 0, 64, 64, Qt::blue);
       P.setClipping(false);
       P.drawLine(0, 63, 63, 0);
       P.setClipping(true);  // again, and in force at the end, which takes it back
       P.fillRect(0, 0, 64, 64, Qt::blue);
     }},
    {"images_and_textures",
     [](QPainter& P) {
       P.drawImage(QRectF(0, 0, 16, 16), Pattern(), QRectF(0.5, 1.5, 1, 3));
       P.drawTiledPixmap(QRectF(20, 0, 30, 20), QPixmap::fromImage(Pattern()), QPointF(1.5, 0));
       P.setPen(QPen(QConicalGradient(50, 50, 0), 3));  // painted by Qt, as no canvas can
       P.setBrush(QConicalGradient(50, 50, 0));
       P.drawRect(40, 40, 20, 20);
       P.setRenderHint(QPainter::SmoothPixmapTransform);  // drawn pixel for pixel, kept sharp
       P.drawImage(3, 26, Pattern(), 0, 0, 8, 1);
       P.drawImage(QPointF(3.5, 28), Pattern());  // half a pixel across: smoothed
       P.setPen(Qt::red);                         // a bitmap's set pixels in the pen's colour, the rest not painted
       P.drawPixmap(3, 40, QBitmap::fromImage(Pattern().convertToFormat(QImage::Format_Mono)));
     }},
    {"blends",
     [](QPainter& P) {
       P.fillRect(0, 0, 40, 64, Qt::yellow);
       P.setCompositionMode(QPainter::CompositionMode_Multiply);
       P.fillRect(20, 10, 40, 40, Qt::cyan);
       P.setCompositionMode(QPainter::CompositionMode_Screen);
       P.fillRect(0, 50, 64, 8, QPixmap::fromImage(Pattern()));
     }},
    {"thin_pens",
     [](QPainter& P) {
       P.drawEllipse(4, 4, 30, 20);
       QPainterPath Leaf(QPointF(40, 34));
       Leaf.lineTo(50, 44);
       Leaf.quadTo(60, 34, 40, 34);
       P.drawPath(Leaf);
       P.drawArc(4, 30, 30, 30, 0, 90 * 16);
       QPen Dashed(Qt::blue, 1, Qt::DashLine);
       Dashed.setDashOffset(1);
       P.setPen(Dashed);
       P.drawEllipse(36, 4, 24, 24);
       P.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap));
       P.drawLine(40, 60, 60, 52);
       P.drawLine(62, 40, 62, 20);
       P.drawLine(2, 40, 2, 60);
       P.drawLine(QLineF(5, 2, 4, 2));
       P.drawLine(8, 2, 9, 2);
       P.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap));
       P.drawLine(36, 48, 60, 46);
       P.setPen(QPen(Qt::darkRed, 3, Qt::DotLine));
       P.drawArc(10, 36, 40, 24, 0, 180 * 16);
       P.setPen(QPen(Qt::black, 3));  // 1.5 pixels wide under the scale: not a thin line
       P.scale(0.5, 0.5);
       P.drawLine(8, 124, 56, 124);
       P.setPen(QPen(Qt::darkGreen, 0));  // a hairline: one pixel wide whatever the scale
       P.drawLine(8, 124, 60, 100);
       P.drawEllipse(100, 60, 20, 16);
       P.setPen(QPen(Qt::darkGreen, 2));  // one pixel wide under the scale
       P.drawEllipse(8, 96, 24, 12);
       QPen Cosmetic(Qt::blue, 2);  // 2 pixels wide whatever the scale
       Cosmetic.setCosmetic(true);
       P.setPen(Cosmetic);
       P.drawLine(8, 112, 56, 112);
     }},
    {"textures_and_origins",
     [](QPainter& P) {
       P.setPen(Qt::NoPen);
       P.setBrush(QPixmap::fromImage(Pattern()));
       P.drawRect(0, 0, 20, 20);
       P.setBrush(QPixmap::fromImage(Pattern().mirrored()));
       P.drawRect(0, 22, 20, 20);
       P.setRenderHint(QPainter::SmoothPixmapTransform);
       P.drawRect(22, 22, 20, 20);
       QBrush Turned(QPixmap::fromImage(Pattern()));  // texels through the brush's transform, then the origin
       Turned.setTransform(QTransform().rotate(30).scale(2, 1));
       P.setBrush(Turned);
       P.setBrushOrigin(2, 1);
       P.drawRect(44, 22, 20, 20);
       QImage Coarse = Pattern();  // two units a texel
       Coarse.setDevicePixelRatio(0.5);
       P.setBrush(Coarse);
       P.drawRect(0, 44, 20, 20);
       P.setBrush(Qt::NoBrush);
       P.setPen(Qt::black);
       P.drawRect(44, 44, 16, 16);
       P.scale(1.5, 1.25);  // a pattern: the texture Qt paints it with, a texel a device pixel
       P.translate(1, 0.5);
       Turned.setStyle(Qt::Dense1Pattern);  // the first pattern; only the brush's move counts
       P.setBrush(Turned);
       P.drawRect(14, 0, 13, 14);
       P.setRenderHint(QPainter::NonCosmeticBrushPatterns);  // laid as a texture is
       P.drawRect(29, 0, 12, 14);
     }},
    {"text",  // on the pixel rows Qt puts it on, in the family Qt found, at Qt's thinnest weight
     [](QPainter& P) {
       QFont Font("Sans Serif");
       Font.setPixelSize(12);
       Font.setWeight(QFont::Thin);
       P.setFont(Font);
       QLinearGradient Down(0, 0, 0, 1);  // text takes the pen's gradient, over its box
       Down.setCoordinateMode(QGradient::ObjectBoundingMode);
       P.setPen(QPen(Down, 1));
       P.drawText(QPointF(2, 20.3), "Hi");
       Font.setPointSize(12);  // 16 pixels at 96 dots an inch
       P.setFont(Font);
       P.drawText(2, 40, "Hi tilt it");
       Font.setFamily("DejaVu Sans");  // found as asked: named once
       Font.setUnderline(true);        // Qt draws the line across, as a line
       P.setPen(QColor(0, 0, 0, 128));
       P.setFont(Font);
       P.scale(1.25, 1.25);
       P.drawText(QPointF(1.3, 50), "Illit rate");
       P.drawText(QPointF(30, 10), QString::fromUtf8("\u05E9\u05DC\u05D5\u05DD"));  // right to left
       P.rotate(3);
       P.drawText(QPointF(2, 30), "Tilt");
       P.resetTransform();
       P.scale(1, -1);  // mirrored: where the text is, no pixel row for its baseline
       P.drawText(QPointF(40, -40.3), "Up");
     }},
};

QByteArray Record(TSvgPaintDevice& Device, const std::function<void(QPainter&)>& Draw) {
  QBuffer Buffer;
  Buffer.open(QIODevice::WriteOnly);
  Device.SetOutputDevice(&Buffer);
  QPainter Painter(&Device);
  Painter.setRenderHint(QPainter::Antialiasing);
  Draw(Painter);
  Painter.end();
  return Buffer.data();
}

// Each scene above painted on Qt's raster image and, through the device, on the Qt host
// gives the same pixels; its document, reviewed against them, is the golden: every
// change to what the device writes shows there.
TEST(SvgPaintDevice, ScenesPaintAsQtsRasterAndRecordAsReviewed) {
  QByteArray Recorded;
  QImage Painted(64, 64, QImage::Format_ARGB32_Premultiplied);
  TQtCanvas Host(Painted);
  TCanvasPaintDevice Through(Host);  // each scene's painter begins with none of the last one's state
  for (const TScene& Scene : Scenes) {
    const auto Paint = [&](QPaintDevice& Device) {
      QPainter Painter(&Device);
      Painter.setRenderHint(QPainter::Antialiasing);
      Scene.Draw(Painter);
    };
    QImage Reference(64, 64, QImage::Format_ARGB32_Premultiplied);
    Reference.fill(Qt::white);  // where black ink shows: over transparency its grey is the same
    Paint(Reference);
    Host.Clear(0xFFFFFFFF);
    Paint(Through);
    Through.RethrowError();
    EXPECT_THROW(Host.EndScene(), EMisuseError);  // each painter's scene ended
    EXPECT_LT(Differing(Reference, Painted), 0.01) << Scene.Name;
    TSvgPaintDevice Device;
    Device.SetSize({64, 64});
    Device.SetTitle(Scene.Name);
    Device.SetDescription("As Qt paints it");
    Device.SetHost(&Host);  // whose lines the text is written on
    Recorded += "== " + QByteArray(Scene.Name) + "\n" + Record(Device, Scene.Draw) + "\n";
  }
  Host.Clear(0xFFFFFFFF);
  Host.IntersectClipRect({0, 0, 8, 64});  // a painter's clip is cut from the canvas's own
  QPainter Clipped(&Through);
  Clipped.setClipRect(0, 0, 64, 64);
  Clipped.fillRect(0, 0, 64, 64, Qt::red);
  Clipped.end();
  EXPECT_EQ(Painted.pixel(9, 0), 0xFFFFFFFFu);
  QFile Golden(FSVG_QT_GOLDEN);
  ASSERT_TRUE(Golden.open(QIODevice::ReadOnly));
  EXPECT_EQ(Recorded.toStdString(), Golden.readAll().toStdString()) << "recorded, to review:\n"
                                                                    << Recorded.toStdString();
}

// An output device that takes a byte a write until it holds five, then none, which the
// device refuses rather than wait on.
struct TFullDevice final : QIODevice {
  QByteArray Taken;
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* Data, qint64) override { return Taken.size() < 5 ? (Taken += *Data, 1) : 0; }
};

TEST(SvgPaintDevice, ReportsWhatItCannotDoMeasuresAndMapsItsViewBox) {
  TFullDevice Full;
  Full.open(QIODevice::WriteOnly);
  TRecordingCanvas Host;
  EXPECT_THROW(TCanvasPaintDevice(Host, 0), EArgumentError);
  Host.RefuseScene = true;
  TCanvasPaintDevice Refused(Host);
  QPainter().begin(&Refused);
  EXPECT_ERROR(EHostError, Refused.RethrowError(), "fsvg: the canvas under the paint device refused to begin a scene");
  Host.RefuseScene = false;
  // A million tiles: one fill, in their mean colour. The scene's end fails: reported.
  Host.FailAt = Host.Calls.size() + 7;
  QPainter(&Refused).drawTiledPixmap(0, 0, 3996, 4000, QPixmap::fromImage(Pattern()), 0, 1);
  EXPECT_EQ(Host.Calls.end()[-4], "FillPath(01115(0,1)(3996,1)(3996,4001)(0,4001):1,1,brush:3:4293914383)");
  EXPECT_THROW(Refused.RethrowError(), std::runtime_error);
  QBrush Unmoved(Qt::Dense1Pattern);  // moved by no number: refused, as a texture so moved is
  Unmoved.setTransform(QTransform::fromScale(NAN, 1));
  QPainter(&Refused).fillRect(0, 0, 5, 5, Unmoved);
  EXPECT_ERROR(EArgumentError, Refused.RethrowError(), "SetMatrix: the matrix must be finite");
  TSvgPaintDevice Device;
  Device.SetSize({5, 0});
  EXPECT_ERROR(EArgumentError, Device.SetSize({-1, 5}), "fsvg: a paint device's size cannot be negative");
  Device.SetOutputDevice(&Full);
  Device.SetFileName({});  // the last one set counts: neither now
  EXPECT_FALSE(QPainter().begin(&Device));
  EXPECT_ERROR(EMisuseError, Device.Close(),
               "fsvg: TSvgPaintDevice has neither a file name nor an output device to record into");
  Record(Device, [](QPainter& P) {
    P.setTransform(QTransform(1, 0, 0.01, 0, 1, 0, 0, 0, 1));
    P.drawRect(1, 1, 5, 5);
  });
  EXPECT_ERROR(EArgumentError, Device.Close(),
               "fsvg: a perspective transform cannot be painted on a canvas, whose matrix is affine");
  Device.SetFileName("/nonexistent/device.svg");
  QPainter().begin(&Device);
  EXPECT_THROW(Device.Close(), EFCreateError);
  Device.SetFileName("/dev/full");  // refused as the painter ends, when the buffered file is closed
  QPainter Painter(&Device);
  EXPECT_FALSE(Painter.end());
  Device.SetOutputDevice(&Full);
  QPainter(&Device).drawRect(1, 1, 5, 5);
  EXPECT_ERROR(EWriteError, Device.Close(), "fsvg: cannot write to the output device: Unknown error");
  EXPECT_EQ(Full.Taken, "<?xml");
  const QTemporaryDir Dir;  // a file name ending in .svgz is written compressed
  Device.SetFileName(Dir.filePath("a.SVGZ"));
  QPainter().begin(&Device);
  EXPECT_TRUE(ReadFile(Dir.filePath("a.SVGZ").toStdString()).starts_with("\x1f\x8b"));
  // Millimetres at the resolution, which must be positive; the view box maps the
  // painter's coordinates onto the size.
  Device.SetSize({254, 127});
  Device.SetResolution(2);
  EXPECT_EQ(Device.widthMM(), 3226);
  EXPECT_EQ(Device.heightMM(), 1613);
  EXPECT_ERROR(EArgumentError, Device.SetResolution(0), "fsvg: a paint device needs a positive resolution");
  Device.SetViewBox({10, 0, 127, 63.5});
  // Two device pixels a unit. A pattern keeps a texel a device pixel, as under Qt's
  // window: its element is moved, not scaled. What Qt paints as a picture is painted in
  // those pixels, anywhere in the view box.
  EXPECT_TRUE(
      Record(Device, [](QPainter& P) {
        P.fillRect(11, 1, 30, 30, Qt::Dense1Pattern);
        P.fillRect(130, 0, 5, 5, QConicalGradient());
      }).contains("-10 0)\" opacity=\"1\" fill=\"url(#g1)\"/>\n<image x=\"240\" y=\"0\" width=\"10\" height=\"10\""));
}

}  // namespace
}  // namespace fsvg::test
