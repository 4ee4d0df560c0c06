// The conformance suite every raster host passes, a typed test over its canvas class:
// device pixels after the transform (scale, matrix, offset), clearing and resizing, the
// area every shape covers, SVG's joins, bitmaps, the strokes no host paints (decided by
// the outline's length), sizes, pixels and PNG files, and text: metrics, kerning (unless
// FSVG_TEST_UNKERNED), refused sizes. A host's test
// program instantiates it with its canvas, which takes (width, height, scale):
//   INSTANTIATE_TYPED_TEST_SUITE_P(Cairo, HostSuite, TCairoCanvas);
#pragma once

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <filesystem>
#include <string>

#include "fsvg/fsvgcanvas.h"
#include "support/testcanvas.h"

namespace fsvg::test {

constexpr TAlphaColor Red = 0xFFFF0000;
inline const TBrush RedBrush(TBrushKind::Solid, Red);
inline TStrokeBrush RedStroke(float Thickness, TStrokeDash Dash = TStrokeDash::Solid) {
  TStrokeBrush Brush(TBrushKind::Solid, Red, Thickness);
  Brush.Dash = Dash;
  return Brush;
}

template <typename THost>
std::uint32_t Alpha(const THost& Canvas, std::int32_t X, std::int32_t Y) {
  return Canvas.Pixel(X, Y) >> 24;
}

// The area painted, in device pixels: the sum of every pixel's coverage.
template <typename THost>
double Coverage(const THost& Canvas) {
  double Sum = 0;
  for (std::int32_t Y = 0; Y < Canvas.GetPixelHeight(); ++Y)
    for (std::int32_t X = 0; X < Canvas.GetPixelWidth(); ++X) Sum += Alpha(Canvas, X, Y) / 255.0;
  return Sum;
}

// Fills Text, wrapped or not, in a 10 by 10 rectangle at the origin.
inline void PaintText(TCanvas& C, std::u16string_view Text = u"x", bool Wrap = false) {
  C.FillText({0, 0, 10, 10}, Text, Wrap, 1, {}, TTextAlign::Leading);
}

template <typename THost>
class HostSuite : public testing::Test {};
TYPED_TEST_SUITE_P(HostSuite);

TYPED_TEST_P(HostSuite, ScaleMatrixOffsetClearingAndSize) {
  TypeParam Scaled(50, 40, 2);
  EXPECT_EQ(Scaled.GetPixelHeight(), 80);
  EXPECT_EQ(TypeParam(100, 10, 1.1f).GetPixelWidth(), 110);
  Scaled.FillRect({10, 10, 20, 20}, 0, 0, AllCorners, 1, RedBrush);  // scale multiplies logical units
  EXPECT_EQ(Coverage(Scaled), 400);
  // A quarter turn, x' = -y + 100, y' = x, applied after the offset; Clear ignores both.
  TypeParam Turned(100, 100);
  Turned.SetMatrix({0, 1, 0, -1, 0, 0, 100, 0, 1});
  Turned.SetOffset({0, 5});
  Turned.FillRect({10, 10, 30, 20}, 0, 0, AllCorners, 0.5f, RedBrush);  // y in [15, 25]: x' in [75, 85]
  EXPECT_NEAR(Coverage(Turned), 100.39, 0.01);                          // 200 pixels at 128/255
  EXPECT_EQ(Turned.Pixel(80, 20), 0x80FF0000u);                         // not premultiplied
  Turned.ClearRect({25, 20, 15, 18}, 0x00000000);                       // replaces; right to left
  EXPECT_NEAR(Coverage(Turned), 90.35, 0.01);
  Turned.SetMatrix({1, 0, 0, 0, 0, 0, 0, 0, 1});  // singular: nothing is painted, but Clear clears
  Turned.FillRect({0, 0, 100, 100}, 0, 0, AllCorners, 1, RedBrush);
  EXPECT_NEAR(Coverage(Turned), 90.35, 0.01);
  Turned.Clear(0x8000FFFF);
  EXPECT_EQ(Turned.Pixel(10, 90), 0x8000FFFFu);
  Turned.SetSize(10, 10);  // a fresh, transparent surface
  PaintText(Turned);
  EXPECT_EQ(Coverage(Turned), 0);
}

// Paints shape Kind, of the area Areas[Kind] in pixels, on a canvas 100 by 100.
inline void PaintShape(TCanvas& C, int Kind) {
  const TStrokeBrush Pen = RedStroke(2);
  TStrokeBrush Round = RedStroke(4);
  Round.Cap = TStrokeCap::Round;
  TPathData Path;
  if (Kind == 0) C.FillArc({50, 50}, {40, 20}, -90, -90, 1);  // arc to chord
  if (Kind == 1) C.FillArc({50, 50}, {40, 40}, 30, 720, 1);   // one turn at most
  if (Kind == 2) C.FillRect({10, 10, 90, 90}, 20, 20, AllCorners, 1);
  if (Kind == 3) C.DrawRect({10, 10, 90, 90}, 0, 0, AllCorners, 1, Pen);
  if (Kind == 4) C.DrawLine({10, 50}, {90, 50}, 1, Pen);
  if (Kind == 5) C.FillPolygon({{10, 10}, {90, 10}, {10, 90}}, 1);
  // Right to left, a radius zero on one axis (square corners), an opacity above 1 taken
  // as 1: a colour of alpha 0x80 stays at 0x80.
  if (Kind == 6) C.FillRect({50, 40, 10, 10}, 0, 20, AllCorners, 2, TBrush(TBrushKind::Solid, 0x80FF0000));
  if (Kind == 7) {  // paint that leaves no mark, an arc without sweep even with round caps
    C.FillRect({10, 10, 90, 90}, 0, 0, AllCorners, 1, TBrush(TBrushKind::None, Red));
    C.FillRect({10, 10, 90, 90}, 0, 0, AllCorners, -1);
    C.DrawRect({10, 10, 90, 90}, 0, 0, AllCorners, 1, TStrokeBrush(TBrushKind::None, Red, 4));
    C.DrawLine({10, 50}, {90, 50}, 1, RedStroke(0));
    C.DrawArc({50, 50}, {10, 10}, 0, 0, 1, Round);
  }
  if (Kind == 8) C.DrawArc({50, 50}, {10, 10}, 0, 1, 1, Round);  // one degree and its caps
  if (Kind == 9) {                                               // a square with a square hole, filled even-odd
    Path.MoveTo({10, 10}).LineTo({90, 10}).LineTo({90, 90}).LineTo({10, 90}).ClosePath();
    Path.MoveTo({30, 30}).LineTo({70, 30}).LineTo({70, 70}).LineTo({30, 70}).ClosePath();
    Path.FillRule = TFillRule::EvenOdd;
    C.FillPath(Path, 1);
  }
}
inline const double Areas[] = {228.32, 5026.55, 6056.64, 640, 160, 3200, 602.35, 0, 13.26, 4800};

// A join of 40 degrees is mitred under SVG's default limit of 4 (from 29 degrees on), so
// its tip, 8.8 above the join, is painted where a bevel would end 1 above it.
TYPED_TEST_P(HostSuite, ShapesCoverTheirAreaAndJoinsAreMitred) {
  for (int Kind = 0; Kind < 10; ++Kind) {
    TypeParam Canvas(100, 100);
    PaintShape(Canvas, Kind);
    EXPECT_NEAR(Coverage(Canvas), Areas[Kind], Areas[Kind] / 25) << Kind;  // Qt's coverage is coarse on thin edges
  }
  TypeParam Canvas(100, 100);
  Canvas.DrawPath(TPathData().MoveTo({29.48f, 76.38f}).LineTo({50, 20}).LineTo({70.52f, 76.38f}), 1, RedStroke(6));
  EXPECT_GT(Alpha(Canvas, 49, 14), 200u);
}

// Of a red, a translucent green and a blue pixel, the last two, each drawn 10 pixels wide
// and sharp.
TYPED_TEST_P(HostSuite, BitmapsDrawTheirSourceRectangle) {
  TypeParam Canvas(20, 10);
  Canvas.DrawBitmap(TBitmap(3, 1, {Red, 0x8000FF00, 0xFF0000FF}), {1, 0, 3, 1}, {0, 0, 20, 10}, 1, true);
  EXPECT_EQ(Canvas.Pixel(9, 5), 0x8000FF00u);
  EXPECT_EQ(Canvas.Pixel(10, 5), 0xFF0000FFu);
}

TYPED_TEST_P(HostSuite, StrokesNoHostCanPaintAreRefusedAndPaintNothing) {
  // The unpaintable scene: every step but its matrices and scales (14 of 45) refused.
  TypeParam Canvas(10, 10);
  TSvgCanvas Recorder(std::filesystem::path(), &Canvas);  // records nothing
  TScript Script(Recorder);
  std::size_t Refused = 0;
  for (const TStep& Step : Load(FSVG_TEST_SCENES, "unpaintable").Steps)
    Refused += ErrorOf<EArgumentError>([&] { Script.Draw(Step); }) != "no error";
  EXPECT_EQ(Refused, 31u);
  EXPECT_EQ(Coverage(Canvas), 0);
  // The limits, met exactly and passed: a million dashes (dots 2 long on a square's 40
  // scaled by 50000), a stroke 8388608 device pixels wide. A circle of length 10 pi, starting at the origin, is dashed
  // by the length of its curves' control polygons: at least its own, and within 11% of it.
  struct TLimit {
    float Scale, Thickness;
    int Shape;
    bool Painted;
  };
  const TLimit Limits[] = {
      {50000, 1, 1, true},  {50001, 1, 1, false},  {57300, 1, 2, true},
      {63670, 1, 2, false}, {2, 4194304, 3, true}, {2, 4194304.5f, 3, false},
  };
  for (const TLimit& Limit : Limits) {
    TypeParam Canvas(10, 10);
    Canvas.SetMatrix({Limit.Scale, 0, 0, 0, Limit.Scale, 0, 0, 0, 1});
    const TStrokeBrush Brush = RedStroke(Limit.Thickness, Limit.Shape < 3 ? TStrokeDash::Dot : TStrokeDash::Solid);
    const std::string Error = ErrorOf<EArgumentError>([&] {
      if (Limit.Shape == 1) Canvas.DrawRect({0, 0, 10, 10}, 0, 0, AllCorners, 1, Brush);
      if (Limit.Shape == 2) Canvas.DrawEllipse({-10, -5, 0, 5}, 1, Brush);
      if (Limit.Shape == 3) Canvas.DrawLine({0, 0}, {10, 0}, 1, Brush);
    });
    EXPECT_EQ(Error == "no error", Limit.Painted) << Error;
    EXPECT_EQ(Coverage(Canvas) > 0, Limit.Painted) << Limit.Scale;
  }
}

TYPED_TEST_P(HostSuite, PixelsSizesAndPngFiles) {
  TypeParam Canvas(8, 1);
  for (const auto& [X, Y] : {std::pair{-1, 0}, {8, 0}, {0, 1}}) EXPECT_THROW(Canvas.Pixel(X, Y), EArgumentError);
  // A scene begins on a usable surface. The raster's largest side, and one more; device
  // sizes beyond any integer type.
  EXPECT_TRUE(Canvas.BeginScene());
  EXPECT_NO_THROW(TypeParam(32767, 1));
  EXPECT_NO_THROW(TypeParam(1, 32767));
  EXPECT_THROW(TypeParam(32768, 1), EArgumentError);
  EXPECT_THROW(TypeParam(1, 32768), EArgumentError);
  EXPECT_NE(ErrorOf<EArgumentError>([] { TypeParam(10, 10, FLT_MAX); }).find(" 3.4"), std::string::npos);
  Canvas.FillRect({0, 0, 4, 1}, 0, 0, AllCorners, 1, RedBrush);
  EXPECT_THROW(Canvas.SetSize(40000, 10), EArgumentError);  // the old surface and size stay
  EXPECT_EQ(Canvas.Pixel(3, 0), Red);
  EXPECT_EQ(Canvas.GetWidth(), 8);
  // A file in a folder that does not exist, a full device, an image without pixels.
  const std::filesystem::path Dir = std::filesystem::temp_directory_path() / "fsvghost-no-such-folder";
  EXPECT_THROW(Canvas.SaveToPNG(Dir / "out.png"), EFCreateError);
  EXPECT_THROW(Canvas.SaveToPNG("/dev/full"), EWriteError);
  EXPECT_THROW(TypeParam(0, 0).SaveToPNG(Dir.string() + ".png"), EWriteError);
  EXPECT_FALSE(std::filesystem::exists(Dir.string() + ".png"));
}

// DejaVu Sans is what CI installs; the expectations hold for any scalable font.
TYPED_TEST_P(HostSuite, TextMetricsScaleAndBadSizesAreRefused) {
  TypeParam Canvas(100, 20, 2);
  Canvas.GetFont() = TFont(u"DejaVu Sans", 20);
  const TFontMetrics Metrics = Canvas.GetFontMetrics();
  EXPECT_NEAR(Metrics.Ascent, 20 * 1901 / 2048.f, 0.01);
  EXPECT_NEAR(Metrics.Descent, 20 * 483 / 2048.f, 0.01);
  EXPECT_NEAR(Metrics.LineHeight, 20 * 2384 / 2048.f, 0.01);
  EXPECT_FLOAT_EQ(Canvas.TextHeight(u""), Metrics.LineHeight);
  const float Short = Canvas.TextWidth(u"abc");
  EXPECT_EQ(Canvas.TextWidth(u""), 0);
#ifndef FSVG_TEST_UNKERNED
  // DejaVu Sans kerns "AV"; "HH" has no kerning.
  EXPECT_LT(Canvas.TextWidth(u"AV"), Canvas.TextWidth(u"A") + Canvas.TextWidth(u"V") - 1);
  EXPECT_NEAR(Canvas.TextWidth(u"HH"), 2 * Canvas.TextWidth(u"H"), 0.01);
#endif
  Canvas.GetFont().Size = 40;  // unhinted metrics scale linearly with the size
  EXPECT_NEAR(Canvas.TextWidth(u"abc"), 2 * Short, 0.05);
  EXPECT_NEAR(Canvas.TextHeight(u"a\nb\r\nc"), 6 * Metrics.LineHeight, 0.05);
  // Sizes that are not finite or positive, and sizes FreeType cannot render: 40000 at
  // scale 2, and 925 under a matrix that stretches the y axis alone.
  for (const float Size : {NAN, INFINITY, 0.0f, 4e4f}) {
    Canvas.GetFont().Size = Size;
    EXPECT_THROW(PaintText(Canvas), EArgumentError) << Size;
  }
  Canvas.SetMatrix({1, 0, 0, 0, 100, 0, 0, 0, 1});
  Canvas.GetFont().Size = 925;
  EXPECT_THROW(PaintText(Canvas), EArgumentError);
  EXPECT_EQ(Coverage(Canvas), 0);
  Canvas.SetMatrix({});
  Canvas.GetFont().Size = 20;
  PaintText(Canvas, u"A");
  EXPECT_GT(Coverage(Canvas), 80);
}

REGISTER_TYPED_TEST_SUITE_P(HostSuite, ScaleMatrixOffsetClearingAndSize, ShapesCoverTheirAreaAndJoinsAreMitred,
                            BitmapsDrawTheirSourceRectangle, StrokesNoHostCanPaintAreRefusedAndPaintNothing,
                            PixelsSizesAndPngFiles, TextMetricsScaleAndBadSizesAreRefused);

}  // namespace fsvg::test
