// The conformance suite every raster host passes, a typed test over its canvas class:
// device pixels after the transform (scale, matrix, offset), clearing and resizing, the
// area every shape covers, SVG's joins, bitmaps, gradients, clips, the strokes no host
// paints (decided by the outline's length), sizes, pixels and PNG files, and text:
// metrics, kerning (unless FSVG_TEST_UNKERNED), refused sizes. A host's test
// program instantiates it with its canvas, which takes (width, height, scale):
//   INSTANTIATE_TYPED_TEST_SUITE_P(Cairo, HostSuite, TCairoCanvas);
#pragma once

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>

#include "fsvg/fsvgcanvas.h"
#include "support/testcanvas.h"

namespace fsvg::test {

constexpr TAlphaColor Red = 0xFFFF0000;
inline TStrokeBrush RedStroke(float Thickness, TStrokeDash Dash = TStrokeDash::Solid) {
  TStrokeBrush Brush(TBrushKind::Solid, Red, Thickness);
  Brush.Dash = Dash;
  return Brush;
}

// The area painted, in device pixels: the sum of every pixel's coverage.
template <typename THost>
double Coverage(const THost& Canvas) {
  double Sum = 0;
  for (std::int32_t Y = 0; Y < Canvas.GetPixelHeight(); ++Y)
    for (std::int32_t X = 0; X < Canvas.GetPixelWidth(); ++X) Sum += (Canvas.Pixel(X, Y) >> 24) / 255.0;
  return Sum;
}

// Fills Text in a 10 by 10 rectangle at the origin.
inline void PaintText(TCanvas& C, std::u16string_view Text = u"x") {
  C.FillText({0, 0, 10, 10}, Text, false, 1, {}, TTextAlign::Leading);
}

// The tests' fonts (fonts.conf), chosen before fontconfig first reads its configuration.
[[maybe_unused]] inline const int FontConfig = setenv("FONTCONFIG_FILE", FSVG_TEST_FONTS_CONF, 1);

template <typename THost>
class HostSuite : public testing::Test {};
TYPED_TEST_SUITE_P(HostSuite);

TYPED_TEST_P(HostSuite, ScaleMatrixOffsetClearingAndSize) {
  TypeParam Scaled(50, 40, 2);
  EXPECT_EQ(Scaled.GetPixelHeight(), 80);
  EXPECT_EQ(TypeParam(100, 10, 1.1f).GetPixelWidth(), 110);
  // Scale multiplies logical units, a pen's width too: a band 20 units square, 40 pixels.
  Scaled.DrawRect({10, 10, 20, 20}, 0, 0, AllCorners, 1, RedStroke(10));
  TStrokeBrush Hairline = RedStroke(1);  // a device pixel wide whatever the scale
  Hairline.Hairline = true;
  Scaled.DrawLine({10, 35.25f}, {30, 35.25f}, 1, Hairline);
  EXPECT_EQ(Coverage(Scaled), 1640);
  // A quarter turn, x' = -y + 100, y' = x, applied after the offset; Clear ignores both.
  TypeParam Turned(100, 100);
  Turned.SetMatrix({0, 1, 0, -1, 0, 0, 100});
  Turned.SetOffset({0, 5});
  Turned.FillRect({10, 10, 30, 20}, 0, 0, AllCorners, 0.5f);  // y in [15, 25]: x' in [75, 85]
  EXPECT_NEAR(Coverage(Turned), 100.39, 0.01);                // 200 pixels at 128/255
                                                              // not premultiplied
  Turned.ClearRect({25, 20, 15, 18}, 0x40000000);             // replaces; right to left
  EXPECT_NEAR(Coverage(Turned), 95.37, 0.01);
  Turned.SetMatrix({.m22 = 0});  // singular: nothing is painted, a hairline neither, but Clear clears
  Turned.FillRect({0, 0, 100, 100}, 0, 0, AllCorners, 1);
  Turned.DrawLine({}, {90, 90}, 1, Hairline);
  EXPECT_NEAR(Coverage(Turned), 95.37, 0.01);
  Turned.Clear(0x806600FF);
  EXPECT_EQ(Turned.Pixel(80, 20), 0x806600FFu);
  Turned.SetSize(10, 10);  // a fresh, transparent surface
  PaintText(Turned);
  EXPECT_EQ(Coverage(Turned), 0);
}

// The areas the steps of the shapes scene (tests/scenes.txt) cover, each alone.
inline const double Areas[] = {228.32, 6056.64, 640,   160,     3200, 602.35,  0,      0,
                               0,      0,       13.26, 4986.28, 80,   5026.55, 2133.33};

// A join of 40 degrees is mitred under SVG's default limit of 4 (from 29 degrees on), so
// its tip, 8.8 above the join, is painted where a bevel would end 1 above it.
TYPED_TEST_P(HostSuite, ShapesCoverTheirAreaAndJoinsAreMitred) {
  const std::vector<TStep> Steps = Load(FSVG_TEST_SCENES, "shapes").Steps;
  ASSERT_EQ(Steps.size(), std::size(Areas));
  for (std::size_t Step = 0; Step < Steps.size(); ++Step) {
    TypeParam Canvas(100, 100);
    TSvgCanvas Svg(std::filesystem::path(), &Canvas);  // which passes each call to the host
    TScript(Svg).Draw(Steps[Step]);
    EXPECT_NEAR(Coverage(Canvas), Areas[Step], Areas[Step] / 25) << Step;  // Qt's coverage is coarse on thin edges
    EXPECT_TRUE(Step != 12 || Canvas.Pixel(10, 50) == 0);                  // dots 2 long, 2 apart
    EXPECT_TRUE(Step != 0 || Canvas.Pixel(20, 40) >> 24 == 255);           // the arc's segment lies up and left
  }
  TypeParam Canvas(100, 100);
  const TPathData Peak = TPathData().MoveTo({29.48f, 76.38f}).LineTo({50, 20}).LineTo({70.52f, 76.38f});
  Canvas.GetStroke() = RedStroke(6);
  Canvas.DrawPath(Peak, 1);  // with the canvas's own Stroke
  EXPECT_GT(Canvas.Pixel(49, 14) >> 24, 200u);
  Canvas.GetStroke().Join = TStrokeJoin::Bevel;
  TypeParam Cut(100, 100);
  Cut.DrawPath(Peak, 1, Canvas.GetStroke());
  EXPECT_EQ(Cut.Pixel(49, 14), 0u);
}

// The lower two rows and right two columns of a red bitmap whose right column holds a
// translucent green and a blue, the red column drawn left of the canvas: the other's
// nearest pixels fill it.
// A gradient's hard stops (green, whose blue is 0 beside a green of odd value: each
// channel read from its own bits); a bitmap brush's texels, tiled and stretched; images
// smoothed, blended between their pixels.
TYPED_TEST_P(HostSuite, BitmapsAndGradients) {
  TypeParam Canvas(10, 20);
  Canvas.DrawBitmap(TBitmap(3, 3, {Red, Red, Red, Red, Red, 0x8000FF00, Red, Red, 0xFF0000FF}), {1, 1, 3, 3},
                    {-10, 0, 10, 20}, 1, true);
  EXPECT_EQ(Canvas.Pixel(5, 9), 0x8000FF00u);
  EXPECT_EQ(Canvas.Pixel(5, 10), 0xFF0000FFu);
  const TBrush Ramp(
      TGradient::Linear({2, 0}, {8, 0}, {{0, Red}, {0.5f, Red}, {0.5f, 0xFF00FF00}, {1, 0xFF00FF00}, {1, Red}},
                        TGradientSpread::Repeat),
      Red);
  Canvas.Clear(0);
  Canvas.FillRect({0, 0, 10, 20}, 0, 0, AllCorners, 0.5f, Ramp);
  EXPECT_EQ(Canvas.Pixel(0, 0), 0x8000FF00u);  // repeated: a quarter of the ramp before its start
  EXPECT_EQ(Canvas.Pixel(6, 0), 0x8000FF00u);
  EXPECT_EQ(Canvas.Pixel(9, 0), 0x80FF0000u);
  // A bitmap brush's texels, nearest, one a unit from the shape's corner on every row.
  const auto Texels = std::make_shared<const TBitmap>(2, 1, std::vector<TAlphaColor>{Red, 0xFF0000FF});
  Canvas.FillRect({0.25f, 0, 10, 20}, 0, 0, AllCorners, 1, TBrush(Texels, TBitmapWrap::Tile, 0, true));
  EXPECT_EQ(Canvas.Pixel(2, 11), Red);
  EXPECT_EQ(Canvas.Pixel(3, 11), 0xFF0000FFu);
  // Stretched over a shape 8 wide and 5 high, from its corner: texels 4 by 2.5 pixels.
  const auto Rows = std::make_shared<const TBitmap>(2, 2, std::vector<TAlphaColor>{Red, 0xFF0000FF, 0xFF0000FF, Red});
  Canvas.FillRect({2, 5, 10, 10}, 0, 0, AllCorners, 1, TBrush(Rows, TBitmapWrap::Stretch, 0, true));
  EXPECT_EQ(Canvas.Pixel(5, 5), Red);
  EXPECT_EQ(Canvas.Pixel(2, 9), 0xFF0000FFu);
  Canvas.DrawBitmap(TBitmap(2, 1, {Red, 0xFF0000FF}), {0, 0, 2, 1}, {0, 0, 10, 20}, 1, false);  // smooth, edges padded
  EXPECT_EQ(Canvas.Pixel(0, 0), Red);
  EXPECT_NE(Canvas.Pixel(5, 0), 0xFF0000FFu);
  // An outline's texels smoothly, the red and blue stretched 5 units wide blended between.
  Canvas.DrawRect({0, 12, 10, 18}, 0, 0, AllCorners, 1, TStrokeBrush(Texels, TBitmapWrap::Stretch, 0, 4));
  EXPECT_NEAR(Canvas.Pixel(5, 12) >> 16 & 0xFF, 0x66, 2);
  // Stretched along a line, no width to stretch over: the texels have no place, nothing is painted.
  Canvas.Clear(0);
  Canvas.DrawLine({5, 0}, {5, 20}, 1, TStrokeBrush(Texels, TBitmapWrap::Stretch, 0, 4));
  EXPECT_EQ(Canvas.Pixel(5, 5), 0u);
  Canvas.DrawBitmap(TBitmap(1, 1, {Red}), {0, 0, 1, 1}, {0, 0, 10, 20}, 0.5f, true);  // at half opacity
  EXPECT_NEAR(Canvas.Pixel(5, 5) >> 24, 128, 1);
}

// Clips through the offset and scale they were set under: inside a rectangle, outside
// one, inside a triangle (the clips scene of tests/scenes.txt).
TYPED_TEST_P(HostSuite, ClipsKeepTheirRegion) {
  TypeParam Canvas(50, 50, 2);
  TSvgCanvas Svg(std::filesystem::path(), &Canvas);
  TScript(Svg).Run(Load(FSVG_TEST_SCENES, "clips").Steps);
  EXPECT_NEAR(Coverage(Canvas), 1750, 2);
  // An exclusion at the corner leaves the rest painted to the edges, and text, whose
  // overlay overlaps its letter, the winding rule; a flattened rectangle covers nothing:
  // intersecting it leaves nothing, excluding it takes nothing away.
  TypeParam Plain(20, 20), Clipped(20, 20);
  Clipped.ExcludeClipRect({19, 19, 20, 20});
  for (TypeParam* C : {&Plain, &Clipped}) {
    PaintText(*C, u"o\u0338");
    C->SetMatrix({.m22 = 0});
  }
  EXPECT_EQ(Coverage(Clipped), Coverage(Plain));
  const double Text = Coverage(Plain);
  Plain.IntersectClipRect({0, 0, 5, 5});
  Clipped.ExcludeClipRect({0, 0, 5, 5});
  for (TypeParam* C : {&Plain, &Clipped}) {
    C->SetMatrix({});
    C->FillRect({0, 0, 20, 20}, 0, 0, AllCorners, 1);
  }
  EXPECT_EQ(Coverage(Plain), Text);
  EXPECT_EQ(Coverage(Clipped), 399);
}

// A layer at half opacity, no darker where the squares in it overlap; a multiplying layer
// over a blue backdrop, each call inside it clipped.
TYPED_TEST_P(HostSuite, LayersCompositeAsOnePicture) {
  TypeParam Canvas(20, 10, 2);  // the pixels below are device pixels, two a unit
  Canvas.BeginScene();          // whose painter lays the layer down, then paints on as before
  Canvas.SetFill(TBrush(TBrushKind::Solid, 0xFFFFFF00));
  Canvas.BeginLayer(0.5f);
  Canvas.FillRect({0, 0, 6, 10}, 0, 0, AllCorners, 1);
  Canvas.FillRect({4, 0, 8, 10}, 0, 0, AllCorners, 1);
  Canvas.EndLayer();
  Canvas.FillRect({10, 0, 20, 10}, 0, 0, AllCorners, 1, TBrush(TBrushKind::Solid, 0xFF2F6BD8));
  Canvas.EndScene();
  EXPECT_EQ(Canvas.Pixel(10, 10), Canvas.Pixel(0, 10));
  EXPECT_NEAR(Canvas.Pixel(14, 0) >> 24, 128, 1);
  Canvas.IntersectClipRect({0, 0, 15, 10});
  Canvas.BeginLayer(1, TBlendMode::Multiply);
  Canvas.SetMatrix({2, 0, 0, 0, 2});  // the layer's picture is laid down untransformed
  Canvas.FillRect({5, 0, 10, 5}, 0, 0, AllCorners, 1);
  Canvas.EndLayer();
  EXPECT_EQ(Canvas.Pixel(24, 10), 0xFF2F6B00u);  // yellow times the backdrop
  EXPECT_EQ(Canvas.Pixel(34, 10), 0xFF2F6BD8u);
}

// A thickness that is not finite or is negative; each shape at the largest stretch that
// strokes it and one that refuses it: a million dashes (dots 2 long on a square's 40, off
// the origin, its closing side's 10 counted too, stretched by 50000; on a circle of length
// 10 pi starting at the origin, dashed by its curves' control polygons: at least its own
// length, and within 11% of it), a stroke 8388608 device pixels wide. The matrix turns an
// eighth and stretches the x axis twice as much as the y axis: the largest stretch, read
// from all four entries, decides.
TYPED_TEST_P(HostSuite, StrokesNoHostCanPaintAreRefused) {
  TypeParam Canvas(10, 10);
  EXPECT_THROW(Canvas.DrawEllipse({0, 0, 9, 9}, 1, RedStroke(NAN)), EArgumentError);
  EXPECT_ERROR(EArgumentError, Canvas.DrawPath(TPathData().MoveTo({0, 0}).LineTo({9, 9}), 1, RedStroke(-1)),
               "Stroke thickness must not be negative");
  const float Scales[][2] = {{35355, 35356}, {40517, 45022}, {1.4142135f, 1.4142137f}};
  for (int Shape = 0; Shape < 3; ++Shape)
    for (const int Refused : {0, 1}) {
      const float Scale = Scales[Shape][Refused];
      Canvas.SetMatrix({Scale, Scale, 0, -Scale / 2, Scale / 2});  // the x axis Scale * sqrt(2) long
      const TStrokeBrush Brush = Shape < 2 ? RedStroke(1, TStrokeDash::Dot) : RedStroke(4194304);
      const std::string Error = ErrorOf<EArgumentError>([&] {
        if (Shape == 0) Canvas.DrawRect({0, 1, 10, 11}, 0, 0, AllCorners, 1, Brush);
        if (Shape == 1) Canvas.DrawEllipse({-10, -5, 0, 5}, 1, Brush);
        if (Shape == 2) Canvas.DrawLine({0, 0}, {10, 0}, 1, Brush);
      });
      EXPECT_EQ(Error, Refused == 0 ? "no error"
                       : Shape < 2  ? "A dashed stroke would be cut into more than 1000000 dashes under this transform"
                                    : "A stroke would be wider than 8388608 device pixels under this transform");
    }
}

TYPED_TEST_P(HostSuite, PixelsSizesAndPngFiles) {
  TypeParam Canvas(1, 8);
  for (const auto& [X, Y] : {std::pair{-1, 0}, {0, 8}}) EXPECT_THROW(Canvas.Pixel(X, Y), EArgumentError);
  EXPECT_TRUE(Holds(ErrorOf<EArgumentError>([&] { Canvas.Pixel(1, 0); }), "::Pixel: (1, 0) lies outside"));
  // A scene begins on a usable surface. The raster's largest side, and one more; device
  // sizes beyond any integer type.
  EXPECT_TRUE(Canvas.BeginScene());
  TypeParam(32767, 1);
  TypeParam(1, 32767);
  EXPECT_THROW(TypeParam(32768, 1), EArgumentError);
  EXPECT_THROW(TypeParam(1, 32768), EArgumentError);
  EXPECT_TRUE(Holds(ErrorOf<EArgumentError>([] { TypeParam(10, 10, FLT_MAX); }), " 3.4"));
  Canvas.FillRect({0, 0, 1, 4}, 0, 0, AllCorners, 1);
  EXPECT_THROW(Canvas.SetSize(40000, 10), EArgumentError);  // the old surface stays
  EXPECT_EQ(Canvas.GetWidth(), 1);
  EXPECT_EQ(Canvas.Pixel(0, 3), 0xFF000000u);
  // A full device, an image without pixels.
  EXPECT_ERROR(EWriteError, Canvas.SaveToPNG("/dev/full"),
               "Cannot write to \"/dev/full\": No space left on device");  // the image encoded, the file full
  EXPECT_ERROR(EWriteError, TypeParam(1, 0).SaveToPNG("none.png"),
               "none.png: an image without pixels cannot be saved as PNG");
}

// DejaVu Sans and Serif are what CI installs; the expectations hold for any scalable fonts.
TYPED_TEST_P(HostSuite, TextMetricsScaleAndBadSizesAreRefused) {
  TypeParam Canvas(100, 20, 2);
  Canvas.GetFont() = TFont(u"DejaVu Sans", 20);
  const TFontMetrics Metrics = Canvas.GetFontMetrics();
  EXPECT_NEAR(Metrics.Ascent, 20 * 1901 / 2048.f, 0.01);
  EXPECT_NEAR(Metrics.Descent, 20 * 483 / 2048.f, 0.01);
  EXPECT_NEAR(Metrics.LineHeight, 20 * 2384 / 2048.f, 0.01);
  EXPECT_EQ(Canvas.TextHeight(u"a b"), Metrics.LineHeight);  // one line, unwrapped
  EXPECT_NEAR(Canvas.TextWidth(u"abc"), 35.947, 0.01);       // a, b and c: 1255, 1300 and 1126 of 2048 units an em
  Canvas.GetFont().Size = 2048;                              // a pixel a font unit
#ifndef FSVG_TEST_UNKERNED
  // DejaVu Sans kerns "AV", at every size.
  EXPECT_LT(Canvas.TextWidth(u"AV"), Canvas.TextWidth(u"A") + Canvas.TextWidth(u"V") - 1);
#endif
  // The first family there is, at any size: unhinted metrics scale linearly.
  Canvas.GetFont() = TFont(u"No Such Family , DejaVu Serif", 0.5f);
  EXPECT_NEAR(Canvas.TextWidth(u"iii"), 0.4797, 0.001);  // 655 units an em each
  // No family is DejaVu Sans, spelt exactly: the tests' fonts give a family they do not
  // know another face.
  Canvas.GetFont().Family = u"";
  EXPECT_NEAR(Canvas.TextWidth(u"iii"), 0.4167, 0.001);  // 569 units an em each
  // Sizes that are not finite or positive, refused when measuring too, and sizes FreeType
  // cannot render: 32768 at scale 2 across and 1 down (one device pixel beyond its
  // largest, which 32767.5 is): the width alone refuses it; and 1400 under a matrix that
  // turns an eighth and, with the scale, makes the x axis 2.8 long and the y axis 71 (the
  // area over the x axis's length): the height alone refuses it.
  for (const auto& [Size, Refusal] :
       {std::pair{NAN, "Font size must be finite"}, {0.0f, "Font size must be positive"}}) {
    Canvas.GetFont().Size = Size;
    EXPECT_ERROR(EArgumentError, Canvas.TextWidth(u"x"), Refusal);
  }
  Canvas.SetMatrix({.m22 = 0.5f});
  Canvas.GetFont().Size = 32768;
  EXPECT_ERROR(EArgumentError, PaintText(Canvas), "Font size must not exceed 65535 device pixels");
  Canvas.GetFont().Size = 32767.5f;
  PaintText(Canvas, u" ");
  Canvas.SetMatrix({1, 1, 0, -25, 25});
  Canvas.GetFont().Size = 1400;
  EXPECT_ERROR(EArgumentError, PaintText(Canvas), "Font size must not exceed 65535 device pixels");
  EXPECT_EQ(Coverage(Canvas), 0);
  Canvas.SetMatrix({});
  Canvas.GetFont().Size = 20;
  PaintText(Canvas);
  EXPECT_GT(Coverage(Canvas), 80);
}

// The glyphs a text is painted with: DejaVu Sans's em of 2048 units, pens on the
// baselines, a space that inks nothing, and outlines that, filled at the pens, cover what
// the text covers.
TYPED_TEST_P(HostSuite, GlyphOutlinesPaintAsTheText) {
  const TRectF Box{10, 5, 110, 55};
  TypeParam Text(120, 60);
  Text.GetFont() = TFont(u"DejaVu Sans", 20);
  Text.FillText(Box, u"Ab c\nVA", false, 1, {}, TTextAlign::Leading, TTextAlign::Leading);
  TGlyphLines Glyphs;
  Text.MeasureGlyphs(Glyphs, Box, u"Ab c\nVA", false, {}, TTextAlign::Leading, TTextAlign::Leading);
  ASSERT_EQ(Glyphs.Lines.size(), 2u);
  const TGlyphRun& Run = Glyphs.Lines[0].Runs.at(0);
  EXPECT_EQ(Run.Face->GetUnitsPerEm(), 2048);
  ASSERT_EQ(Run.Glyphs.size(), 4u);
  EXPECT_NEAR(Run.Glyphs[0].Pen.X, 10, 0.01);
  EXPECT_NEAR(Run.Glyphs[0].Pen.Y, 5 + 20 * 1901 / 2048.f, 0.01);
  EXPECT_NEAR(Run.Glyphs[1].Pen.X, 10 + 20 * 1401 / 2048.f, 0.01);
  EXPECT_TRUE(Run.Face->Outline(Run.Glyphs[2].Id).IsEmpty());
  EXPECT_EQ(Run.Face->Outline(Run.Glyphs[0].Id).Points()[1], (TPointF{426, -551}));  // font units, y down
  EXPECT_NEAR(Run.Face->Outline(Run.Glyphs[1].Id).Points()[1].Y, -694.333, 0.01);    // "b"'s first curve's control
  EXPECT_NEAR(Glyphs.Lines[1].Runs[0].Glyphs[1].Pen.X, 10 + Text.TextWidth(u"VA") - Text.TextWidth(u"A"),
              0.01);  // kerned as measured
  TypeParam Filled(120, 60);
  for (const TGlyphLines::TGlyphLine& Line : Glyphs.Lines)
    for (const TGlyphRun& Each : Line.Runs)
      for (const TPlacedGlyph& Glyph : Each.Glyphs) {
        const float Scale = Each.Size / Each.Face->GetUnitsPerEm();
        Filled.SetMatrix({Scale, 0, 0, 0, Scale, 0, Glyph.Pen.X, Glyph.Pen.Y});
        Filled.FillPath(Each.Face->Outline(Glyph.Id), 1);
      }
  EXPECT_NEAR(Coverage(Filled), Coverage(Text), Coverage(Text) * 0.005);
  // The bold of the same family and slant, and its italic, are faces of their own.
  std::string Key = Run.Face->GetKey();
  EXPECT_TRUE(Key.starts_with("DejaVu Sans/Book/"));  // the face's own names
  Text.GetFont().Weight = 700;
  for (const TFontSlant Slant : {TFontSlant::Normal, TFontSlant::Italic}) {
    Text.GetFont().Slant = Slant;
    TGlyphLines Other;
    Text.MeasureGlyphs(Other, Box, u"A", false, {}, TTextAlign::Leading);
    const std::string Next = Other.Lines.at(0).Runs.at(0).Face->GetKey();
    EXPECT_NE(Next, Key);
    Key = Next;
  }
}

REGISTER_TYPED_TEST_SUITE_P(HostSuite, ScaleMatrixOffsetClearingAndSize, ShapesCoverTheirAreaAndJoinsAreMitred,
                            BitmapsAndGradients, ClipsKeepTheirRegion, LayersCompositeAsOnePicture,
                            StrokesNoHostCanPaintAreRefused, PixelsSizesAndPngFiles,
                            TextMetricsScaleAndBadSizesAreRefused, GlyphOutlinesPaintAsTheText);

}  // namespace fsvg::test
