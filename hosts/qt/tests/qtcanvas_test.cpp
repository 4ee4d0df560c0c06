// Unit tests of TQtCanvas: device pixels after the transform (scale, matrix, offset) and
// clearing, strokes Qt cannot paint refused, text measured at any size as it is kerned,
// a caller's device, PNG files, and a recorded image read back by Qt's PNG reader.
#include "fsvg/qtcanvas.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstdlib>

#include "fsvg/fsvgcanvas.h"

namespace fsvg {
namespace {

const TBrush RedBrush(TBrushKind::Solid, 0xFFFF0000);

// The area painted, in device pixels: the sum of every pixel's coverage.
double Coverage(const TQtCanvas& Canvas) {
  double Sum = 0;
  for (std::int32_t Y = 0; Y < Canvas.GetPixelHeight(); ++Y)
    for (std::int32_t X = 0; X < Canvas.GetPixelWidth(); ++X) Sum += (Canvas.Pixel(X, Y) >> 24) / 255.0;
  return Sum;
}

TEST(QtCanvas, ScaleMatrixOffsetAndClearing) {
  TQtCanvas Scaled(50, 40, 2);
  EXPECT_EQ(TQtCanvas(100, 10, 1.1f).GetPixelWidth(), 110);
  Scaled.FillRect({10, 10, 20, 20}, 0, 0, AllCorners, 1, RedBrush);
  EXPECT_EQ(Coverage(Scaled), 400);
  // A quarter turn, x' = -y + 100, y' = x, applied after the offset; Clear ignores both.
  TQtCanvas Turned(100, 100);
  Turned.SetMatrix({0, 1, 0, -1, 0, 0, 100, 0, 1});
  Turned.SetOffset({0, 5});
  Turned.FillRect({10, 10, 30, 20}, 0, 0, AllCorners, 0.5f, RedBrush);
  EXPECT_NEAR(Coverage(Turned), 100.39, 0.01);  // 200 pixels at 128/255
  EXPECT_EQ(Turned.Pixel(80, 20), 0x80FF0000);  // not premultiplied
  Turned.ClearRect({25, 20, 15, 18}, 0x00000000);
  EXPECT_NEAR(Coverage(Turned), 90.35, 0.01);
  Turned.Clear(0xFF00FF00);
  EXPECT_EQ(Coverage(Turned), 10000);
  EXPECT_THROW(Turned.Pixel(100, 0), EArgumentError);
}

// Paints shape Kind (0 to 7), of the area Areas[Kind].
void Paint(TCanvas& C, int Kind) {
  const TStrokeBrush Pen(TBrushKind::Solid, 0xFFFF0000, 2);
  if (Kind == 0) C.FillArc({50, 50}, {40, 40}, 0, 180, 1, RedBrush);    // a half disc
  if (Kind == 1) C.FillArc({50, 50}, {40, 20}, -90, -90, 1, RedBrush);  // arc to chord
  if (Kind == 2) C.FillArc({50, 50}, {40, 40}, 30, 720, 1, RedBrush);   // one turn at most
  if (Kind == 3) C.DrawArc({50, 50}, {40, 40}, 0, 90, 1, Pen);
  if (Kind == 4) C.FillRect({10, 10, 90, 90}, 20, 20, AllCorners, 1, RedBrush);
  if (Kind == 5) C.DrawRect({10, 10, 90, 90}, 0, 0, AllCorners, 1, Pen);
  if (Kind == 6) C.DrawLine({10, 50}, {90, 50}, 1, Pen);
  if (Kind == 7) C.FillPolygon({{10, 10}, {90, 10}, {10, 90}}, 1);
}
const double Areas[] = {2513.27, 228.32, 5026.55, 125.66, 6056.64, 640, 160, 3200};

TEST(QtCanvas, ArcsAndCornersCoverTheirArea) {
  for (int Kind = 0; Kind < 8; ++Kind) {
    TQtCanvas Canvas(100, 100);
    Paint(Canvas, Kind);
    EXPECT_NEAR(Coverage(Canvas), Areas[Kind], Areas[Kind] / 25) << Kind;  // Qt's coverage is coarse on thin edges
  }
}

TEST(QtCanvas, StrokesQtCannotPaintAreRefused) {
  TQtCanvas Canvas(100, 100);
  TStrokeBrush Pen(TBrushKind::Solid, 0xFF000000, -1);
  EXPECT_THROW(Canvas.DrawLine({0, 0}, {10, 10}, 1, Pen), EArgumentError);
  Pen.Thickness = 1e7;
  EXPECT_THROW(Canvas.DrawRect({0, 0, 10, 10}, 0, 0, AllCorners, 1, Pen), EArgumentError);
  Pen.Thickness = 1e-3f;
  Pen.Dash = TStrokeDash::Dot;
  EXPECT_THROW(Canvas.DrawLine({0, 0}, {1e4, 0}, 1, Pen), EArgumentError);
  EXPECT_EQ(Coverage(Canvas), 0);
}

TEST(QtCanvas, TextIsKernedAndScalesWithItsSize) {
  TQtCanvas Canvas(100, 100);
  Canvas.GetFont() = TFont(u"DejaVu Sans", 10.3f);
  const float Small = Canvas.TextWidth(u"AV Hello");
  EXPECT_LT(Canvas.TextWidth(u"AV"), Canvas.TextWidth(u"A") + Canvas.TextWidth(u"V"));
  Canvas.GetFont().Size = 103;
  EXPECT_FLOAT_EQ(Canvas.TextWidth(u"AV Hello"), Small * 10);
  EXPECT_NEAR(Canvas.GetFontMetrics().Ascent, 103 * 1901 / 2048.f, 1e-3);
  Canvas.GetFont().Size = 70000;
  EXPECT_THROW(Canvas.FillText({0, 0, 100, 100}, u"A", false, 1, {}, TTextAlign::Leading), EArgumentError);
  Canvas.GetFont().Size = 20;
  Canvas.FillText({0, 0, 100, 100}, u"A", false, 1, {}, TTextAlign::Leading);
  EXPECT_GT(Coverage(Canvas), 20);
}

TEST(QtCanvas, PaintsOnACallersDeviceAndSavesPng) {
  QImage Image(20, 10, QImage::Format_ARGB32_Premultiplied);
  Image.fill(Qt::transparent);
  {
    TQtCanvas Canvas(Image);
    EXPECT_EQ(Canvas.GetWidth(), 20);
    Canvas.FillEllipse({0, 0, 10, 10}, 1, RedBrush);
    EXPECT_THROW(Canvas.SaveToPNG("x.png"), EWriteError);
  }
  EXPECT_EQ(Image.pixel(5, 5), 0xFFFF0000);
  EXPECT_THROW(TQtCanvas(4, 4).SaveToPNG("/nonexistent/x.png"), EFCreateError);
}

// A recorded image decodes (Qt's PNG reader checks every chunk's CRC) to the source
// rectangle's pixels exactly. Rows of noise make the PNG several chunks long; rows of
// translucent ramps between them take the row filters that predict.
TEST(QtCanvas, RecordedImageDecodesToItsPixels) {
  std::vector<TAlphaColor> Pixels(4096 * 48);
  std::uint32_t Noise = 1;
  for (std::uint32_t I = 0; I < Pixels.size(); ++I) {
    Noise = Noise * 1664525 + 1013904223;
    const std::uint32_t X = I % 4096, Y = I / 4096;
    Pixels[I] = Y % 4 == 0 ? Noise : X << 24 | (X * Y / 8 & 0xFF) << 16 | Y << 8 | 0x40;
  }
  TQtCanvas Host(10, 10);
  TMemoryStream Stream;
  TSvgCanvas(&Stream, &Host).DrawBitmap(TBitmap(4096, 48, Pixels), {7, 2, 4090, 47}, {0, 0, 5, 5}, 1, false);
  const std::string_view Svg = Stream.View();
  const std::size_t Start = Svg.find("base64,") + 7;
  const QByteArray Png = QByteArray::fromBase64(QByteArray(Svg.data() + Start, Svg.find('"', Start) - Start));
  const QImage Image = QImage::fromData(Png).convertToFormat(QImage::Format_ARGB32);
  std::vector<TAlphaColor> Decoded, Expected;
  for (int Y = 0; Y < Image.height(); ++Y)
    for (int X = 0; X < Image.width(); ++X) Decoded.push_back(Image.pixel(X, Y));
  for (std::size_t Y = 2; Y < 47; ++Y) Expected.insert(Expected.end(), &Pixels[Y * 4096 + 7], &Pixels[Y * 4096 + 4090]);
  EXPECT_EQ(Decoded, Expected);
}

}  // namespace
}  // namespace fsvg

int main(int argc, char** argv) {
  // Headless, test discovery too; no window is ever shown.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const QGuiApplication Application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
