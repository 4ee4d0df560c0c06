// Unit tests of TQtCanvas: device pixels after the transform (scale, matrix, offset) and
// clearing, strokes Qt cannot paint refused, text measured at any size as it is kerned,
// a caller's device, and PNG files.
#include "fsvg/qtcanvas.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstdlib>
#include <functional>

namespace fsvg {
namespace {

const TBrush RedBrush(TBrushKind::Solid, 0xFFFF0000);

std::size_t CountPainted(const TQtCanvas& Canvas) {
  std::size_t Count = 0;
  for (std::int32_t Y = 0; Y < Canvas.GetPixelHeight(); ++Y)
    for (std::int32_t X = 0; X < Canvas.GetPixelWidth(); ++X) Count += Canvas.Pixel(X, Y) != 0;
  return Count;
}

TEST(QtCanvas, ScaleMatrixOffsetAndClearing) {
  TQtCanvas Scaled(50, 40, 2);
  EXPECT_EQ(TQtCanvas(100, 10, 1.1f).GetPixelWidth(), 110);
  Scaled.FillRect({10, 10, 20, 20}, 0, 0, AllCorners, 1, RedBrush);
  EXPECT_EQ(CountPainted(Scaled), 400u);
  // A quarter turn, x' = -y + 100, y' = x, applied after the offset; Clear ignores both.
  TQtCanvas Turned(100, 100);
  Turned.SetMatrix({0, 1, 0, -1, 0, 0, 100, 0, 1});
  Turned.SetOffset({0, 5});
  Turned.FillRect({10, 10, 30, 20}, 0, 0, AllCorners, 0.5f, RedBrush);
  EXPECT_EQ(CountPainted(Turned), 200u);
  EXPECT_EQ(Turned.Pixel(80, 20), 0x80FF0000);  // not premultiplied
  Turned.ClearRect({25, 20, 15, 18}, 0x00000000);
  EXPECT_EQ(CountPainted(Turned), 180u);
  Turned.Clear(0xFF00FF00);
  EXPECT_EQ(CountPainted(Turned), 10000u);
  EXPECT_THROW(Turned.Pixel(100, 0), EArgumentError);
}

// The area painted, in device pixels: the sum of every pixel's coverage.
double Coverage(const TQtCanvas& Canvas) {
  double Sum = 0;
  for (std::int32_t Y = 0; Y < Canvas.GetPixelHeight(); ++Y)
    for (std::int32_t X = 0; X < Canvas.GetPixelWidth(); ++X) Sum += (Canvas.Pixel(X, Y) >> 24) / 255.0;
  return Sum;
}

TEST(QtCanvas, ArcsAndCornersCoverTheirArea) {
  const TStrokeBrush Pen(TBrushKind::Solid, 0xFFFF0000, 2);
  const struct {
    std::function<void(TCanvas&)> Draw;
    double Area;
  } Cases[] = {
      {[](TCanvas& C) {
         C.FillArc({50, 50}, {40, 40}, 0, 180, 1, RedBrush);
       },
       2513.27},  // a half disc
      {[](TCanvas& C) {
         C.FillArc({50, 50}, {40, 20}, -90, -90, 1, RedBrush);
       },
       228.32},  // arc to chord
      {[](TCanvas& C) {
         C.FillArc({50, 50}, {40, 40}, 30, 720, 1, RedBrush);
       },
       5026.55},  // one turn at most
      {[&Pen](TCanvas& C) {
         C.DrawArc({50, 50}, {40, 40}, 0, 90, 1, Pen);
       },
       125.66},
      {[](TCanvas& C) {
         C.FillRect({10, 10, 90, 90}, 20, 20, AllCorners, 1, RedBrush);
       },
       6056.64},
      {[&Pen](TCanvas& C) {
         C.DrawRect({10, 10, 90, 90}, 0, 0, AllCorners, 1, Pen);
       },
       640},
      {[&Pen](TCanvas& C) {
         C.DrawLine({10, 50}, {90, 50}, 1, Pen);
       },
       160},
      {[](TCanvas& C) {
         C.FillPolygon({{10, 10}, {90, 10}, {10, 90}}, 1);
       },
       3200},
  };
  for (const auto& Case : Cases) {
    TQtCanvas Canvas(100, 100);
    Case.Draw(Canvas);
    EXPECT_NEAR(Coverage(Canvas), Case.Area, Case.Area / 25);  // Qt's coverage is coarse on thin edges
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
  EXPECT_EQ(CountPainted(Canvas), 0u);
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
  EXPECT_GT(CountPainted(Canvas), 50u);
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

}  // namespace
}  // namespace fsvg

int main(int argc, char** argv) {
  // Headless, test discovery too; no window is ever shown.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const QGuiApplication Application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
