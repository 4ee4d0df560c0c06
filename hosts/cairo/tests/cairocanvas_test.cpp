// Unit tests of TCairoCanvas: device pixels at known places after each operation, the
// transform (scale, matrix, offset), the quality's smoothing, opacity, clearing, the
// refusal of strokes Cairo cannot paint, text (conversion to UTF-8, the default family,
// layout, measuring), PNG files and surface limits.
#include "fsvg/cairocanvas.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "fsvg/errors.h"
#include "fsvg/fsvgcanvas.h"
#include "fsvg/streams.h"
#include "support/testcanvas.h"

namespace fsvg {
namespace {

// The tests' fonts (fonts.conf), chosen before fontconfig first reads its configuration.
[[maybe_unused]] const int FontConfig = setenv("FONTCONFIG_FILE", FSVG_TEST_FONTS_CONF, 1);

constexpr TAlphaColor Red = 0xFFFF0000;
const TBrush RedBrush(TBrushKind::Solid, Red);
TStrokeBrush RedStroke(float Thickness) { return TStrokeBrush(TBrushKind::Solid, Red, Thickness); }

std::uint32_t Alpha(const TCairoCanvas& Canvas, std::int32_t X, std::int32_t Y) { return Canvas.Pixel(X, Y) >> 24; }

// The pixels with any paint, or with Fine those partly covered at a level that is not a
// multiple of 1/16.
std::size_t CountPainted(const TCairoCanvas& Canvas, bool Fine = false) {
  std::size_t Count = 0;
  for (std::int32_t Y = 0; Y < Canvas.GetPixelHeight(); ++Y)
    for (std::int32_t X = 0; X < Canvas.GetPixelWidth(); ++X)
      Count += Fine ? Alpha(Canvas, X, Y) % 16 != 0 && Alpha(Canvas, X, Y) != 255 : Alpha(Canvas, X, Y) != 0;
  return Count;
}

// Fills Text, wrapped or not, in a 10 by 10 rectangle at the origin.
void PaintText(TCanvas& C, std::u16string_view Text = u"x", bool Wrap = false) {
  C.FillText({0, 0, 10, 10}, Text, Wrap, 1, {}, TTextAlign::Leading);
}

TEST(CairoCanvas, ScaleMatrixOffsetQualityAndClearing) {
  TCairoCanvas Canvas(50, 40, 2, TCanvasQuality::HighPerformance);
  EXPECT_EQ(Canvas.GetPixelWidth(), 100);
  EXPECT_EQ(Canvas.GetPixelHeight(), 80);
  EXPECT_EQ(TCairoCanvas(100, 10, 1.1f).GetPixelWidth(), 110);
  Canvas.FillRect({10, 10, 20, 20}, 0, 0, AllCorners, 1, RedBrush);  // scale multiplies logical units
  EXPECT_EQ(CountPainted(Canvas), 400u);
  EXPECT_EQ(Alpha(Canvas, 20, 20), 255u);
  EXPECT_EQ(Alpha(Canvas, 39, 39), 255u);
  // A quarter turn, x' = -y + 100, y' = x, applied after the offset; Clear ignores both.
  TCairoCanvas Turned(100, 100);
  Turned.SetMatrix({0, 1, 0, -1, 0, 0, 100, 0, 1});
  Turned.SetOffset({0, 5});
  Turned.FillRect({10, 10, 30, 20}, 0, 0, AllCorners, 1, RedBrush);  // y in [15, 25]: x' in [75, 85]
  EXPECT_EQ(CountPainted(Turned), 200u);
  EXPECT_EQ(Alpha(Turned, 80, 20), 255u);
  Turned.ClearRect({25, 20, 15, 18}, 0x00000000);  // replaces, through offset and matrix; right to left
  EXPECT_EQ(CountPainted(Turned), 180u);
  Turned.Clear(0x8000FFFF);  // replaces the red too
  EXPECT_EQ(Turned.Pixel(80, 20), 0x8000FFFFu);
  EXPECT_EQ(CountPainted(Turned), 10000u);
  Turned.SetMatrix({1, 0, 0, 0, 0, 0, 0, 0, 1});  // singular: nothing is painted
  Turned.SetSize(10, 10);
  Turned.FillRect({0, 0, 10, 10}, 0, 0, AllCorners, 1, RedBrush);
  PaintText(Turned);
  EXPECT_EQ(CountPainted(Turned), 0u);  // and SetSize made a fresh, transparent surface
  // HighPerformance smooths edges with 16 levels of coverage, HighQuality with more.
  for (const TCanvasQuality Quality : {TCanvasQuality::HighPerformance, TCanvasQuality::HighQuality}) {
    TCairoCanvas Slanted(20, 20, 1, Quality);
    Slanted.FillPolygon({{1, 1}, {19, 7}, {5, 19}}, 1);
    EXPECT_EQ(CountPainted(Slanted, true) > 0, Quality == TCanvasQuality::HighQuality);
  }
}

TEST(CairoCanvas, StrokesCairoCannotPaintAreRefusedAndPaintNothing) {
  // The steps of the unpaintable scene (tests/scenes.txt), each refused but the matrices.
  TCairoCanvas Canvas(10, 10);
  TSvgCanvas Recorder(std::filesystem::path(), &Canvas);  // records nothing
  test::TScript Script(Recorder);
  for (const test::TStep& Step : test::Load(FSVG_TEST_SCENES, "unpaintable").Steps)
    if (Step.Name() == "SetMatrix")
      Script.Draw(Step);
    else
      EXPECT_THROW(Script.Draw(Step), EArgumentError) << Step.Name();
  EXPECT_EQ(CountPainted(Canvas), 0u);
  // The limits, met exactly and passed: a million dashes (dots 2 long on a line 10 long
  // scaled by 200000, on a square's 40 scaled by 50000), a stroke 8388608 device pixels wide.
  struct TLimit {
    float Scale, Thickness;
    TStrokeDash Dash;
    int Kind;
    bool Painted;
  };
  const TLimit Limits[] = {
      {200000, 1, TStrokeDash::Dot, 1, true},    {200001, 1, TStrokeDash::Dot, 1, false},
      {50000, 1, TStrokeDash::Dot, 5, true},     {50001, 1, TStrokeDash::Dot, 5, false},
      {2, 4194304, TStrokeDash::Solid, 1, true}, {2, 4194304.5f, TStrokeDash::Solid, 1, false},
  };
  for (const TLimit& Limit : Limits) {
    TCairoCanvas Canvas(10, 10);
    Canvas.SetMatrix({Limit.Scale, 0, 0, 0, Limit.Scale, 0, 0, 0, 1});
    TStrokeBrush Brush = RedStroke(Limit.Thickness);
    Brush.Dash = Limit.Dash;
    const std::string Error = test::ErrorOf<EArgumentError>([&] {
      Limit.Kind == 1 ? Canvas.DrawLine({0, 0}, {10, 0}, 1, Brush)
                      : Canvas.DrawRect({0, 0, 10, 10}, 0, 0, AllCorners, 1, Brush);
    });
    EXPECT_EQ(Error == "no error", Limit.Painted) << Error;
    EXPECT_EQ(CountPainted(Canvas) > 0, Limit.Painted) << Limit.Scale;
  }
}

TEST(CairoCanvas, PixelsSurfaceLimitsAndPngFiles) {
  TCairoCanvas Canvas(8, 1);
  for (const auto& [X, Y] : {std::pair{-1, 0}, {8, 0}, {0, 1}}) EXPECT_THROW(Canvas.Pixel(X, Y), EArgumentError);
  // Cairo's largest side, and one more.
  EXPECT_NO_THROW(TCairoCanvas(32767, 1));
  EXPECT_NO_THROW(TCairoCanvas(1, 32767));
  EXPECT_EQ(test::ErrorOf<EArgumentError>([] { TCairoCanvas(32768, 1); }),
            "TCairoCanvas: a surface of 32768 x 1 device pixels is larger than Cairo allows (32767 per side)");
  EXPECT_THROW(TCairoCanvas(1, 32768), EArgumentError);
  Canvas.FillRect({0, 0, 4, 1}, 0, 0, AllCorners, 1, RedBrush);
  EXPECT_THROW(Canvas.SetSize(40000, 10), EArgumentError);  // the old surface and size stay
  EXPECT_EQ(Canvas.Pixel(3, 0), Red);
  EXPECT_EQ(Canvas.GetWidth(), 8);
  // What the fidelity scenes cannot show, on a fresh (transparent) canvas: a rectangle
  // given right to left, a radius zero on one axis (square corners), an opacity above 1
  // (taken as 1: a colour of alpha 0x80 stays at 0x80), paint that leaves no mark (None
  // brushes, zero thickness, an opacity below 0, an arc without sweep, even with round
  // caps), and an arc of one degree.
  TCairoCanvas Shapes(100, 100);
  TStrokeBrush Round = RedStroke(4);
  Round.Cap = TStrokeCap::Round;
  Shapes.FillRect({50, 40, 10, 10}, 0, 20, AllCorners, 2, TBrush(TBrushKind::Solid, 0x80FF0000));
  Shapes.FillRect({60, 60, 90, 90}, 0, 0, AllCorners, 1, TBrush(TBrushKind::None, Red));
  Shapes.FillRect({60, 60, 90, 90}, 0, 0, AllCorners, -1, RedBrush);
  Shapes.DrawRect({60, 60, 90, 90}, 0, 0, AllCorners, 1, TStrokeBrush(TBrushKind::None, Red, 4));
  Shapes.DrawLine({60, 70}, {90, 70}, 1, RedStroke(0));
  Shapes.DrawArc({75, 80}, {10, 10}, 0, 0, 1, Round);
  EXPECT_EQ(CountPainted(Shapes), 1200u);
  EXPECT_EQ(Alpha(Shapes, 10, 10), 128u);
  EXPECT_EQ(Alpha(Shapes, 49, 39), 128u);
  Shapes.DrawArc({75, 20}, {10, 10}, 0, 1, 1, Round);
  EXPECT_EQ(Alpha(Shapes, 85, 20), 255u);
  // A file in a folder that does not exist, a full device, an image without pixels.
  const std::filesystem::path Dir = std::filesystem::temp_directory_path() / ("fsvgcairo-" + std::to_string(getpid()));
  EXPECT_NE(test::ErrorOf<EFCreateError>([&] { Canvas.SaveToPNG(Dir / "out.png"); }).find(Dir.string()),
            std::string::npos);
  EXPECT_THROW(Canvas.SaveToPNG("/dev/full"), EWriteError);
  EXPECT_THROW(TCairoCanvas(0, 0).SaveToPNG(Dir.string() + ".png"), EWriteError);
  EXPECT_FALSE(std::filesystem::exists(Dir.string() + ".png"));
}

// Text: DejaVu Sans is what CI installs; the expectations hold for any scalable font.
TEST(CairoText, Utf16MetricsKerningAlignmentAndWrapping) {
  TCairoCanvas Canvas(400, 200);
  Canvas.GetFont() = TFont(u"DejaVu Sans", 20);
  const TFontMetrics Metrics = Canvas.GetFontMetrics();
  EXPECT_GT(Metrics.Ascent, 10);
  EXPECT_GT(Metrics.Descent, 1);
  EXPECT_GE(Metrics.LineHeight, Metrics.Ascent + Metrics.Descent);
  EXPECT_FLOAT_EQ(Canvas.TextHeight(u""), Metrics.LineHeight);
  const float Short = Canvas.TextWidth(u"abc");
  EXPECT_EQ(Canvas.TextWidth(u""), 0);
  const float Height = Canvas.TextHeight(u"abc");
  Canvas.GetFont().Size = 40;  // unhinted metrics scale linearly with the size
  EXPECT_NEAR(Canvas.TextWidth(u"abc"), 2 * Short, 0.05);
  EXPECT_NEAR(Canvas.TextHeight(u"a\nb\r\nc"), 6 * Height, 0.05);
#ifdef FSVG_CAIRO_HAS_FREETYPE
  // DejaVu Sans kerns "AV"; "HH" has no kerning.
  EXPECT_LT(Canvas.TextWidth(u"AV"), Canvas.TextWidth(u"A") + Canvas.TextWidth(u"V") - 1);
  EXPECT_NEAR(Canvas.TextWidth(u"HH"), 2 * Canvas.TextWidth(u"H"), 0.01);
#endif
  Canvas.GetFont().Size = 20;
  const float Wide = Canvas.TextWidth(u"Hello Hello");
  // An empty family is DejaVu Sans, spelt exactly: the tests' fonts.conf gives a family
  // fontconfig does not know another face.
  for (const char16_t* Family : {u"", u"No Such Family"}) {
    Canvas.GetFont().Family = Family;
    EXPECT_EQ(Canvas.TextWidth(u"Hello Hello") == Wide, *Family == 0);
  }
  Canvas.GetFont().Family = u"DejaVu Sans";
  // Word wrap breaks at the last space that keeps a line within the rectangle, as the
  // Cairo host measures it (a double space stays inside a line); a long word overflows.
  TLineMetricInfo Lines;
  const auto Broken = [&](const TRectF& Rect, std::u16string_view Text) {
    Canvas.MeasureLines(Lines, Rect, Text, true, {}, TTextAlign::Leading, TTextAlign::Leading);
    std::vector<std::size_t> Spans;
    for (const auto& Line : Lines.Metrics) Spans.insert(Spans.end(), {Line.Index, Line.Length});
    return Spans;
  };
  EXPECT_EQ(Broken({0, 0, Canvas.TextWidth(u"aaa  aaa") + 0.5f, 200}, u"aaa aaa aaa  aaa"),
            (std::vector<std::size_t>{0, 7, 8, 8}));
  EXPECT_EQ(Broken({0, 0, 10, 200}, u"aaa widerthanten"), (std::vector<std::size_t>{0, 3, 4, 12}));
  EXPECT_GT(Lines.Metrics[1].Rect.Width(), 10);
  // Word wrap measures kerned pairs ("AV") as they are painted: a line breaks just where
  // its width says it must.
  for (const float Slack : {0.01f, -0.01f})
    EXPECT_EQ(Broken({0, 0, Canvas.TextWidth(u"AV AV") + Slack, 20}, u"AV AV").size(), Slack > 0 ? 2u : 4u);
}

// Misuse and hostile values: a failed call leaves the canvas usable, text Cairo would refuse
// is painted, and sizes it cannot hold are refused cleanly.
TEST(CairoMisuseTest, HostileTextAndSizesLeaveTheCanvasUsable) {
  TCairoCanvas Canvas(100, 20, 2);
  // Sizes that are not finite or positive, and sizes FreeType cannot render: in the
  // measuring context, and in device pixels at scale 2. Nothing is painted.
  for (const float Size : {NAN, INFINITY, 0.0f, 1e5f, 4e4f}) {
    Canvas.GetFont().Size = Size;
    EXPECT_THROW(PaintText(Canvas), EArgumentError) << Size;
    EXPECT_EQ(CountPainted(Canvas), 0u);
  }
  Canvas.GetFont().Size = 12;
  EXPECT_NO_THROW(PaintText(Canvas));
  // Sizes FreeType cannot render under a matrix that stretches the y axis alone, or
  // shears it.
  for (const TMatrix& Matrix : {TMatrix{1, 0, 0, 0, 100, 0, 0, 0, 1}, TMatrix{0.5f, 0.5f, 0, -1, 100, 0, 0, 0, 1}}) {
    TCairoCanvas Tall(10, 10);
    Tall.SetMatrix(Matrix);
    Tall.GetFont().Size = 925;  // 92500 and 66063 device pixels high
    EXPECT_THROW(PaintText(Tall), EArgumentError);
  }
  // Noncharacters (Cairo refuses them) and unpaired surrogates paint as U+FFFD; their
  // neighbours, and pairs that only look like them, as themselves (DejaVu Sans has no
  // glyph for these: its .notdef is narrower than U+FFFD).
  for (const std::u16string_view Text : {u"K\uFFFEK", u"K\uFFFFK", u"K\uFDD0K", u"K\uFDEFK", u"K\U0001FFFEK",
                                         u"K\U0010FFFFK", u"K\xD800K", u"K\xDFFFK"}) {
    EXPECT_EQ(Canvas.TextWidth(Text), Canvas.TextWidth(u"K\uFFFDK")) << int{Text[1]};
    EXPECT_NO_THROW(PaintText(Canvas, Text, true));
  }
  for (const std::u16string_view Text : {u"K\uFDCFK", u"K\uFDF0K", u"K\U000103FFK", u"K\U0001FFFDK"})
    EXPECT_NE(Canvas.TextWidth(Text), Canvas.TextWidth(u"K\uFFFDK")) << int{Text[1]};
  // Device sizes beyond any integer type are reported, not converted.
  const std::string Huge = test::ErrorOf<EArgumentError>([] { TCairoCanvas(10, 10, FLT_MAX); });
  EXPECT_EQ(Huge.find("TCairoCanvas: a surface of 3.4"), 0u) << Huge;
}

}  // namespace
}  // namespace fsvg
