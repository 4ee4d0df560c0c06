// Unit tests of TCairoCanvas: device pixels at known places after each operation, the
// transform (scale, matrix, offset), opacity, clearing, text layout, and the errors.
#include "fsvg/cairocanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fsvg/streams.h"

namespace fsvg {
namespace {

constexpr TAlphaColor Red = 0xFFFF0000;
TBrush RedBrush() { return TBrush(TBrushKind::Solid, Red); }
TStrokeBrush RedStroke(float Thickness) { return TStrokeBrush(TBrushKind::Solid, Red, Thickness); }

std::uint32_t Alpha(TAlphaColor Color) { return Color >> 24; }

struct TPixel {
  std::int32_t X, Y;
};

// A pixel counts as painted when the shape covers (nearly) all of it, and as empty
// when it covers (nearly) none: anti-aliased edge pixels are neither.
bool IsPainted(const TCairoCanvas& Canvas, TPixel P) { return Alpha(Canvas.Pixel(P.X, P.Y)) > 200; }
bool IsEmpty(const TCairoCanvas& Canvas, TPixel P) { return Alpha(Canvas.Pixel(P.X, P.Y)) < 20; }

std::size_t CountPainted(const TCairoCanvas& Canvas) {
  std::size_t Count = 0;
  for (std::int32_t Y = 0; Y < Canvas.GetPixelHeight(); ++Y)
    for (std::int32_t X = 0; X < Canvas.GetPixelWidth(); ++X) Count += Alpha(Canvas.Pixel(X, Y)) != 0;
  return Count;
}

struct TShapeCase {
  const char* Name;
  std::function<void(TCairoCanvas&)> Draw;
  std::vector<TPixel> Painted;
  std::vector<TPixel> Empty;
};

void PrintTo(const TShapeCase& Case, std::ostream* Out) { *Out << Case.Name; }

const TRectF Square{10, 10, 90, 90};

// Each case paints once on a 100 x 100 canvas, then checks pixels inside the shape,
// outside it and on the corners and edges that tell similar shapes apart.
const TShapeCase ShapeCases[] = {
    {"FillRect",
     [](TCairoCanvas& C) {
       C.FillRect({10, 10, 50, 40}, 0, 0, AllCorners, 1, RedBrush());
     },
     {{10, 10}, {49, 39}, {30, 25}},
     {{9, 9}, {50, 25}, {30, 40}}},
    {"FillRectGivenRightToLeft",
     [](TCairoCanvas& C) {
       C.FillRect({50, 40, 10, 10}, 0, 0, AllCorners, 1, RedBrush());
     },
     {{10, 10}, {49, 39}},
     {{9, 9}, {50, 40}}},
    {"RoundCorners",
     [](TCairoCanvas& C) { C.FillRect(Square, 20, 20, AllCorners, 1, RedBrush()); },
     {{30, 10}, {10, 30}, {17, 17}, {82, 82}, {50, 50}},
     {{10, 10}, {12, 12}, {89, 89}, {87, 12}}},
    {"RoundTopLeftOnly",
     [](TCairoCanvas& C) { C.FillRect(Square, 20, 20, TCorners{TCorner::TopLeft}, 1, RedBrush()); },
     {{89, 10}, {10, 89}, {89, 89}},
     {{10, 10}, {12, 12}}},
    {"RadiusClampedToHalfTheSize",
     [](TCairoCanvas& C) { C.FillRect(Square, 1000, 1000, AllCorners, 1, RedBrush()); },
     {{50, 11}, {11, 50}, {50, 50}},
     {{13, 13}, {86, 86}}},
    {"ZeroRadiusOnOneAxisIsSquare",
     [](TCairoCanvas& C) { C.FillRect(Square, 20, 0, AllCorners, 1, RedBrush()); },
     {{10, 10}, {89, 89}},
     {}},
    {"BevelCorners",
     [](TCairoCanvas& C) { C.FillRect(Square, 20, 20, AllCorners, 1, RedBrush(), TCornerType::Bevel); },
     {{22, 22}, {30, 10}, {10, 30}},
     {{17, 17}, {12, 12}}},
    {"InnerRoundCorners",
     [](TCairoCanvas& C) { C.FillRect(Square, 20, 20, AllCorners, 1, RedBrush(), TCornerType::InnerRound); },
     {{28, 28}, {27, 27}, {10, 35}, {35, 10}, {50, 50}},
     {{10, 10}, {20, 20}, {79, 79}}},
    {"InnerLineCorners",
     [](TCairoCanvas& C) { C.FillRect(Square, 20, 20, AllCorners, 1, RedBrush(), TCornerType::InnerLine); },
     {{31, 31}, {25, 31}, {31, 25}, {50, 50}},
     {{10, 10}, {27, 27}, {29, 29}, {75, 75}}},
    {"DrawRectCentresTheStroke",
     [](TCairoCanvas& C) {
       C.DrawRect({20, 20, 80, 80}, 0, 0, AllCorners, 1, RedStroke(4));
     },
     {{18, 50}, {21, 50}, {50, 78}, {81, 50}},
     {{16, 50}, {23, 50}, {50, 50}}},
    {"DrawLineFlatCap",
     [](TCairoCanvas& C) {
       C.DrawLine({10, 50}, {90, 50}, 1, RedStroke(4));
     },
     {{50, 48}, {50, 51}, {10, 50}, {89, 50}},
     {{50, 45}, {50, 53}, {8, 50}, {91, 50}}},
    {"DrawLineRoundCap",
     [](TCairoCanvas& C) {
       TStrokeBrush Stroke = RedStroke(6);
       Stroke.Cap = TStrokeCap::Round;
       C.DrawLine({10, 50}, {90, 50}, 1, Stroke);
     },
     {{91, 50}, {8, 50}},
     {{94, 50}, {5, 50}}},
    {"DashedLineHasGaps",
     [](TCairoCanvas& C) {
       TStrokeBrush Stroke = RedStroke(4);
       Stroke.Dash = TStrokeDash::Dash;  // 12 on, 4 off
       C.DrawLine({0, 50}, {100, 50}, 1, Stroke);
     },
     {{1, 50}, {10, 50}, {17, 50}},
     {{13, 50}, {14, 50}, {29, 50}}},
    {"FillEllipse",
     [](TCairoCanvas& C) {
       C.FillEllipse({10, 20, 90, 80}, 1, RedBrush());
     },
     {{50, 50}, {50, 21}, {11, 50}, {88, 50}},
     {{12, 22}, {50, 18}, {87, 77}}},
    {"DrawEllipse",
     [](TCairoCanvas& C) {
       C.DrawEllipse({10, 20, 90, 80}, 1, RedStroke(2));
     },
     {{50, 20}, {10, 50}, {89, 50}},
     {{50, 50}, {50, 23}}},
    {"FillArcQuarterIsTheSegmentOffTheChord",
     [](TCairoCanvas& C) {
       C.FillArc({50, 50}, {40, 40}, 0, 90, 1, RedBrush());
     },
     {{75, 75}, {85, 60}},
     {{55, 55}, {50, 50}, {30, 70}, {75, 25}}},
    {"FillArcOver180CoversTheCentre",
     [](TCairoCanvas& C) {
       C.FillArc({50, 50}, {40, 40}, 0, 270, 1, RedBrush());
     },
     {{50, 50}, {30, 30}, {30, 70}, {60, 40}},
     {{80, 20}, {5, 50}}},
    {"FillArcNegativeSweepGoesTowardsMinusY",
     [](TCairoCanvas& C) {
       C.FillArc({50, 50}, {40, 40}, 0, -90, 1, RedBrush());
     },
     {{75, 25}},
     {{75, 75}, {50, 50}}},
    {"FillArcWholeTurnIsTheEllipse",
     [](TCairoCanvas& C) {
       C.FillArc({50, 50}, {40, 20}, 30, 360, 1, RedBrush());
     },
     {{50, 50}, {12, 50}, {50, 32}},
     {{50, 28}, {15, 35}}},
    {"DrawArcLeavesTheChord",
     [](TCairoCanvas& C) {
       C.DrawArc({50, 50}, {40, 40}, 180, 90, 1, RedStroke(4));
     },
     {{21, 21}, {11, 45}, {45, 11}},
     {{30, 30}, {78, 78}, {50, 89}}},
    {"FillPolygonUsesTheCurrentFill",
     [](TCairoCanvas& C) {
       C.SetFill(RedBrush());
       C.FillPolygon({{10, 10}, {90, 10}, {10, 90}}, 1);
     },
     {{20, 20}, {11, 80}},
     {{80, 80}, {52, 52}}},
    {"DrawPolygonIsClosed",
     [](TCairoCanvas& C) {
       C.SetStroke(RedStroke(4));
       C.DrawPolygon({{10, 10}, {90, 10}, {10, 90}}, 1);
     },
     {{10, 50}, {50, 10}, {49, 49}},
     {{30, 30}, {80, 80}}},
    {"GradientBrushPaintsItsColor",
     [](TCairoCanvas& C) { C.FillRect(Square, 0, 0, AllCorners, 1, TBrush(TBrushKind::Gradient, Red)); },
     {{50, 50}},
     {}},
    {"NoneBrushPaintsNothing",
     [](TCairoCanvas& C) {
       C.FillRect(Square, 0, 0, AllCorners, 1, TBrush(TBrushKind::None, Red));
       C.DrawRect(Square, 0, 0, AllCorners, 1, TStrokeBrush(TBrushKind::None, Red, 4));
     },
     {},
     {{50, 50}, {10, 10}}},
    {"ZeroThicknessPaintsNothing",
     [](TCairoCanvas& C) {
       C.DrawLine({10, 50}, {90, 50}, 1, RedStroke(0));
     },
     {},
     {{50, 50}}},
};

class ShapeTest : public ::testing::TestWithParam<TShapeCase> {};

TEST_P(ShapeTest, PaintsInsideAndLeavesOutside) {
  TCairoCanvas Canvas(100, 100);
  GetParam().Draw(Canvas);
  for (TPixel P : GetParam().Painted)
    EXPECT_TRUE(IsPainted(Canvas, P)) << "(" << P.X << ", " << P.Y << ") should be painted";
  for (TPixel P : GetParam().Empty) EXPECT_TRUE(IsEmpty(Canvas, P)) << "(" << P.X << ", " << P.Y << ") should be empty";
}

INSTANTIATE_TEST_SUITE_P(Cairo, ShapeTest, ::testing::ValuesIn(ShapeCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(CairoCanvas, StartsTransparentAtScaledSize) {
  TCairoCanvas Canvas(50, 40, 2);
  EXPECT_EQ(Canvas.GetPixelWidth(), 100);
  EXPECT_EQ(Canvas.GetPixelHeight(), 80);
  EXPECT_EQ(CountPainted(Canvas), 0u);
  EXPECT_EQ(TCairoCanvas(100, 10, 1.1f).GetPixelWidth(), 110);
}

TEST(CairoCanvas, ScaleMultipliesLogicalUnits) {
  TCairoCanvas Canvas(50, 40, 2);
  Canvas.FillRect({10, 10, 20, 20}, 0, 0, AllCorners, 1, RedBrush());
  EXPECT_TRUE(IsPainted(Canvas, {20, 20}));
  EXPECT_TRUE(IsPainted(Canvas, {39, 39}));
  EXPECT_TRUE(IsEmpty(Canvas, {19, 19}));
  EXPECT_TRUE(IsEmpty(Canvas, {40, 40}));
}

TEST(CairoCanvas, ClearReplacesEveryPixelAndIgnoresTheOffset) {
  TCairoCanvas Canvas(20, 10);
  Canvas.FillRect({0, 0, 20, 10}, 0, 0, AllCorners, 1, RedBrush());
  Canvas.SetOffset({5, 5});
  Canvas.Clear(0x800000FF);
  // Replaced, not blended over the red.
  EXPECT_EQ(Canvas.Pixel(0, 0), 0x800000FFu);
  EXPECT_EQ(Canvas.Pixel(19, 9), 0x800000FFu);
}

TEST(CairoCanvas, ClearRectReplacesItsPixelsAtTheOffset) {
  TCairoCanvas Canvas(100, 100);
  Canvas.Clear(Red);
  Canvas.SetOffset({10, 20});
  Canvas.ClearRect({0, 0, 30, 30}, 0x00000000);
  EXPECT_EQ(Canvas.Pixel(10, 20), 0u);
  EXPECT_EQ(Canvas.Pixel(39, 49), 0u);
  EXPECT_EQ(Canvas.Pixel(9, 20), Red);
  EXPECT_EQ(Canvas.Pixel(40, 49), Red);
  EXPECT_EQ(Canvas.Pixel(0, 0), Red);
}

TEST(CairoCanvas, OffsetMovesEveryShape) {
  TCairoCanvas Canvas(100, 100);
  Canvas.SetOffset({30, 40});
  Canvas.FillRect({0, 0, 10, 10}, 0, 0, AllCorners, 1, RedBrush());
  Canvas.FillArc({10, 10}, {5, 5}, 0, 360, 1, RedBrush());
  Canvas.SetFill(RedBrush());
  Canvas.FillPolygon({{50, 0}, {60, 0}, {60, 10}, {50, 10}}, 1);
  EXPECT_TRUE(IsPainted(Canvas, {35, 45}));
  EXPECT_TRUE(IsPainted(Canvas, {40, 50}));
  EXPECT_TRUE(IsPainted(Canvas, {85, 45}));
  EXPECT_TRUE(IsEmpty(Canvas, {5, 5}));
  EXPECT_TRUE(IsEmpty(Canvas, {10, 10}));
  EXPECT_TRUE(IsEmpty(Canvas, {55, 5}));
}

TEST(CairoCanvas, OpacityMultipliesTheColorAlpha) {
  struct TCase {
    TAlphaColor Color;
    float Opacity;
    std::uint32_t Alpha;
  };
  for (TCase Case : {TCase{Red, 0.5f, 128}, TCase{0x80FF0000, 0.5f, 64}, TCase{Red, 2.0f, 255}, TCase{Red, -1.0f, 0},
                     TCase{0x00FF0000, 1.0f, 0}}) {
    TCairoCanvas Canvas(10, 10);
    Canvas.FillRect({0, 0, 10, 10}, 0, 0, AllCorners, Case.Opacity, TBrush(TBrushKind::Solid, Case.Color));
    EXPECT_NEAR(Alpha(Canvas.Pixel(5, 5)), Case.Alpha, 1) << std::hex << Case.Color << " at " << Case.Opacity;
    if (Case.Alpha > 0) {
      EXPECT_NEAR((Canvas.Pixel(5, 5) >> 16) & 0xFF, 0xFF, 2);
    }
  }
}

TEST(CairoCanvas, MatrixIsRowVectorAndAppliesAfterTheOffset) {
  TCairoCanvas Canvas(100, 100);
  // A quarter turn: x' = -y + 100, y' = x.
  TMatrix Turn;
  Turn.m11 = 0, Turn.m12 = 1, Turn.m21 = -1, Turn.m22 = 0, Turn.m31 = 100;
  Canvas.SetMatrix(Turn);
  Canvas.SetOffset({0, 5});
  // Offset first: y in [15, 25], so x' in [75, 85] and y' in [10, 30].
  Canvas.FillRect({10, 10, 30, 20}, 0, 0, AllCorners, 1, RedBrush());
  EXPECT_TRUE(IsPainted(Canvas, {80, 20}));
  EXPECT_TRUE(IsEmpty(Canvas, {87, 20}));
  EXPECT_TRUE(IsEmpty(Canvas, {20, 15}));
  // Clear ignores the matrix too.
  Canvas.Clear(Red);
  EXPECT_EQ(CountPainted(Canvas), 100u * 100u);
}

TEST(CairoCanvas, SingularMatrixPaintsNothing) {
  TCairoCanvas Canvas(20, 20);
  TMatrix Flat;
  Flat.m22 = 0;
  Canvas.SetMatrix(Flat);
  Canvas.FillRect({0, 0, 20, 20}, 0, 0, AllCorners, 1, RedBrush());
  Canvas.FillText({0, 0, 20, 20}, u"x", false, 1, {}, TTextAlign::Leading);
  EXPECT_EQ(CountPainted(Canvas), 0u);
}

TEST(CairoCanvas, SetSizeRecreatesTheSurface) {
  TCairoCanvas Canvas(10, 10, 2);
  Canvas.Clear(Red);
  Canvas.SetSize(30, 5);
  EXPECT_EQ(Canvas.GetPixelWidth(), 60);
  EXPECT_EQ(Canvas.GetPixelHeight(), 10);
  EXPECT_EQ(CountPainted(Canvas), 0u);
}

TEST(CairoCanvas, BadInputThrowsAndPaintsNothing) {
  const float NaN = std::nanf("");
  const std::function<void(TCairoCanvas&)> Calls[] = {
      [&](TCairoCanvas& C) {
        C.FillRect({0, 0, NaN, 10}, 0, 0, AllCorners, 1, RedBrush());
      },
      [&](TCairoCanvas& C) {
        C.FillRect({0, 0, 10, 10}, NaN, 0, AllCorners, 1, RedBrush());
      },
      [&](TCairoCanvas& C) {
        C.FillRect({0, 0, 10, 10}, 0, 0, AllCorners, NaN, RedBrush());
      },
      [&](TCairoCanvas& C) {
        C.DrawLine({0, 0}, {10, 10}, 1, RedStroke(-1));
      },
      [&](TCairoCanvas& C) {
        C.DrawLine({0, 0}, {10, 10}, 1, RedStroke(INFINITY));
      },
      [&](TCairoCanvas& C) {
        C.FillArc({5, 5}, {5, 5}, 0, NaN, 1, RedBrush());
      },
      [&](TCairoCanvas& C) {
        C.DrawArc({5, NaN}, {5, 5}, 0, 90, 1, RedStroke(1));
      },
      [&](TCairoCanvas& C) {
        C.FillPolygon({{0, 0}, {10, NaN}, {0, 10}}, 1);
      },
      [&](TCairoCanvas& C) {
        C.GetFont().Size = 0;
        C.FillText({0, 0, 10, 10}, u"x", false, 1, {}, TTextAlign::Leading);
      },
      [&](TCairoCanvas& C) {
        C.GetFont().Size = NaN;
        C.TextWidth(u"x");
      },
      [&](TCairoCanvas& C) {
        TMatrix M;
        M.m31 = NaN;
        C.SetMatrix(M);
      },
  };
  for (std::size_t I = 0; I < std::size(Calls); ++I) {
    TCairoCanvas Canvas(10, 10);
    Canvas.SetFill(RedBrush());
    EXPECT_THROW(Calls[I](Canvas), std::invalid_argument) << "call " << I;
    EXPECT_EQ(CountPainted(Canvas), 0u) << "call " << I;
  }
}

TEST(CairoCanvas, PixelOutsideTheSurfaceThrows) {
  TCairoCanvas Canvas(10, 5);
  EXPECT_THROW(Canvas.Pixel(-1, 0), std::out_of_range);
  EXPECT_THROW(Canvas.Pixel(10, 0), std::out_of_range);
  EXPECT_THROW(Canvas.Pixel(0, 5), std::out_of_range);
}

TEST(CairoCanvas, SurfaceTooLargeThrowsAndKeepsTheOldOne) {
  EXPECT_THROW(TCairoCanvas(40000, 10), Exception);
  TCairoCanvas Canvas(10, 10);
  Canvas.Clear(Red);
  EXPECT_THROW(Canvas.SetSize(40000, 10), Exception);
  EXPECT_EQ(Canvas.GetPixelWidth(), 10);
  EXPECT_EQ(Canvas.Pixel(9, 9), Red);
}

class PngTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FDir = std::filesystem::temp_directory_path() /
           ("fsvgcairo_test_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(FDir);
    std::filesystem::create_directories(FDir);
  }
  void TearDown() override { std::filesystem::remove_all(FDir); }
  std::filesystem::path FDir;
};

TEST_F(PngTest, SavedPixelsReadBack) {
  TCairoCanvas Canvas(8, 6);
  Canvas.FillRect({0, 0, 4, 6}, 0, 0, AllCorners, 1, RedBrush());
  const std::filesystem::path File = FDir / "out.png";
  Canvas.SaveToPNG(File);
  cairo_surface_t* Loaded = cairo_image_surface_create_from_png(File.c_str());
  ASSERT_EQ(cairo_surface_status(Loaded), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(Loaded), 8);
  EXPECT_EQ(cairo_image_surface_get_height(Loaded), 6);
  const auto* Row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(Loaded));
  EXPECT_EQ(Row[0], Red);
  EXPECT_EQ(Row[7], 0u);
  cairo_surface_destroy(Loaded);
}

TEST_F(PngTest, FailuresNameThePath) {
  TCairoCanvas Canvas(8, 6);
  const std::filesystem::path Missing = FDir / "no-such-dir" / "out.png";
  try {
    Canvas.SaveToPNG(Missing);
    FAIL() << "no exception";
  } catch (const EFCreateError& Error) {
    EXPECT_NE(std::string(Error.what()).find(Missing.string()), std::string::npos) << Error.what();
  }
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_THROW(Canvas.SaveToPNG("/dev/full"), EWriteError);
  }
  TCairoCanvas Empty(0, 0);
  EXPECT_THROW(Empty.SaveToPNG(FDir / "empty.png"), EWriteError);
  EXPECT_FALSE(std::filesystem::exists(FDir / "empty.png"));
}

// Text: DejaVu Sans is what CI installs; the expectations hold for any scalable font.
class TextTest : public ::testing::Test {
 protected:
  TextTest() : FCanvas(400, 200) {
    FCanvas.GetFont().Family = u"DejaVu Sans";
    FCanvas.GetFont().Size = 20;
    FCanvas.SetFill(TBrush(TBrushKind::Solid, 0xFF000000));
  }
  TCairoCanvas FCanvas;
};

TEST_F(TextTest, MetricsAreThoseOfTheFont) {
  const TFontMetrics Metrics = FCanvas.GetFontMetrics();
  EXPECT_GT(Metrics.Ascent, 10);
  EXPECT_GT(Metrics.Descent, 1);
  EXPECT_LT(Metrics.Descent, Metrics.Ascent);
  EXPECT_GE(Metrics.LineHeight, Metrics.Ascent + Metrics.Descent);
  EXPECT_FLOAT_EQ(FCanvas.TextHeight(u""), Metrics.LineHeight);
}

TEST_F(TextTest, WidthGrowsWithLengthAndSize) {
  const float Short = FCanvas.TextWidth(u"abc");
  const float Long = FCanvas.TextWidth(u"abcabc");
  EXPECT_GT(Short, 0);
  EXPECT_NEAR(Long, 2 * Short, 0.01);
  EXPECT_EQ(FCanvas.TextWidth(u""), 0);
  // The widest line counts.
  EXPECT_FLOAT_EQ(FCanvas.TextWidth(u"abc\nabcabc\na"), Long);
  const float Height = FCanvas.TextHeight(u"abc");
  FCanvas.GetFont().Size = 40;
  // Unhinted metrics scale linearly with the size.
  EXPECT_NEAR(FCanvas.TextWidth(u"abc"), 2 * Short, 0.05);
  EXPECT_NEAR(FCanvas.TextHeight(u"abc"), 2 * Height, 0.05);
  EXPECT_NEAR(FCanvas.TextHeight(u"a\nb\r\nc"), 6 * Height, 0.05);
}

TEST_F(TextTest, KerningTightensPairs) {
#ifndef FSVG_CAIRO_HAS_FREETYPE
  GTEST_SKIP() << "built without cairo-ft: text is laid out unkerned";
#endif
  // DejaVu Sans kerns "AV" and "To"; "HH" has no kerning.
  EXPECT_LT(FCanvas.TextWidth(u"AV"), FCanvas.TextWidth(u"A") + FCanvas.TextWidth(u"V") - 1);
  EXPECT_LT(FCanvas.TextWidth(u"To"), FCanvas.TextWidth(u"T") + FCanvas.TextWidth(u"o") - 1);
  EXPECT_NEAR(FCanvas.TextWidth(u"HH"), 2 * FCanvas.TextWidth(u"H"), 0.01);
}

TEST_F(TextTest, MeasureTextFollowsTheAlignment) {
  const float Width = FCanvas.TextWidth(u"Hello");
  const float Height = FCanvas.TextHeight(u"Hello");
  struct TCase {
    TTextAlign Horizontal, Vertical;
    float Left, Top;
  };
  for (TCase Case : {TCase{TTextAlign::Leading, TTextAlign::Leading, 10, 20},
                     TCase{TTextAlign::Trailing, TTextAlign::Trailing, 310 - Width, 120 - Height},
                     TCase{TTextAlign::Center, TTextAlign::Center, 160 - Width / 2, 70 - Height / 2}}) {
    TRectF Rect{10, 20, 310, 120};
    FCanvas.MeasureText(Rect, u"Hello", false, {}, Case.Horizontal, Case.Vertical);
    EXPECT_NEAR(Rect.Left, Case.Left, 0.01);
    EXPECT_NEAR(Rect.Top, Case.Top, 0.01);
    EXPECT_NEAR(Rect.Width(), Width, 0.01);
    EXPECT_NEAR(Rect.Height(), Height, 0.01);
  }
  // Right to left mirrors Leading and Trailing.
  TRectF Rect{10, 20, 310, 120};
  FCanvas.MeasureText(Rect, u"Hello", false, {TFillTextFlag::RightToLeft}, TTextAlign::Leading, TTextAlign::Leading);
  EXPECT_NEAR(Rect.Right, 310, 0.01);
  Rect = {10, 20, 310, 120};
  FCanvas.MeasureText(Rect, u"", false, {}, TTextAlign::Center, TTextAlign::Center);
  EXPECT_EQ(Rect, (TRectF{10, 20, 10, 20}));
}

TEST_F(TextTest, WordWrapBreaksAtSpaces) {
  const float Pair = FCanvas.TextWidth(u"aaa  aaa");
  const float LineHeight = FCanvas.GetFontMetrics().LineHeight;
  TLineMetricInfo Lines;
  FCanvas.MeasureLines(Lines, {0, 0, Pair + 0.5f, 200}, u"aaa aaa aaa  aaa", true, {}, TTextAlign::Leading,
                       TTextAlign::Leading);
  ASSERT_EQ(Lines.Metrics.size(), 2u);
  EXPECT_EQ(Lines.Metrics[0].Index, 0u);
  EXPECT_EQ(Lines.Metrics[0].Length, 7u);
  EXPECT_EQ(Lines.Metrics[1].Index, 8u);
  EXPECT_EQ(Lines.Metrics[1].Length, 8u);  // the double space stays inside the line
  EXPECT_NEAR(Lines.Metrics[1].Rect.Top - Lines.Metrics[0].Rect.Top, LineHeight, 0.01);
  // Without WordWrap only line feeds break; a word wider than the rectangle overflows.
  FCanvas.MeasureLines(Lines, {0, 0, 10, 200}, u"aaa aaa\r\nwiderthanten\n", false, {}, TTextAlign::Leading,
                       TTextAlign::Leading);
  ASSERT_EQ(Lines.Metrics.size(), 3u);
  EXPECT_EQ(Lines.Metrics[0].Length, 7u);
  EXPECT_EQ(Lines.Metrics[1].Index, 9u);
  EXPECT_EQ(Lines.Metrics[2].Length, 0u);
  FCanvas.MeasureLines(Lines, {0, 0, 10, 200}, u"aaa widerthanten", true, {}, TTextAlign::Leading, TTextAlign::Leading);
  ASSERT_EQ(Lines.Metrics.size(), 2u);
  EXPECT_GT(Lines.Metrics[1].Rect.Width(), 10);
}

TEST_F(TextTest, FillTextPaintsInsideItsLayout) {
  TRectF Bounds{50, 50, 350, 150};
  FCanvas.MeasureText(Bounds, u"Hxg \u03A9 \u0416", false, {}, TTextAlign::Trailing, TTextAlign::Center);
  FCanvas.FillText({50, 50, 350, 150}, u"Hxg \u03A9 \u0416", false, 1, {}, TTextAlign::Trailing, TTextAlign::Center);
  std::size_t Inside = 0, Outside = 0;
  for (std::int32_t Y = 0; Y < 200; ++Y)
    for (std::int32_t X = 0; X < 400; ++X) {
      if (Alpha(FCanvas.Pixel(X, Y)) == 0) continue;
      const bool In = X >= Bounds.Left - 1 && X <= Bounds.Right + 1 && Y >= Bounds.Top && Y <= Bounds.Bottom;
      ++(In ? Inside : Outside);
    }
  EXPECT_GT(Inside, 100u);
  EXPECT_EQ(Outside, 0u);
}

TEST_F(TextTest, FillTextHonoursBrushOffsetAndOpacity) {
  FCanvas.SetFill(TBrush(TBrushKind::None, 0xFF000000));
  FCanvas.FillText({0, 0, 400, 200}, u"Hidden", false, 1, {}, TTextAlign::Leading, TTextAlign::Leading);
  EXPECT_EQ(CountPainted(FCanvas), 0u);

  FCanvas.SetFill(TBrush(TBrushKind::Solid, 0xFF000000));
  FCanvas.SetOffset({0, 100});
  FCanvas.FillText({0, 0, 400, 50}, u"\u2588\u2588\u2588", false, 0.5f, {}, TTextAlign::Leading, TTextAlign::Leading);
  std::uint32_t Strongest = 0;
  for (std::int32_t Y = 0; Y < 200; ++Y)
    for (std::int32_t X = 0; X < 400; ++X) {
      const std::uint32_t A = Alpha(FCanvas.Pixel(X, Y));
      if (A != 0) {
        EXPECT_GE(Y, 98);  // the block may reach a hair above the ascent
      }
      Strongest = std::max(Strongest, A);
    }
  EXPECT_NEAR(Strongest, 128u, 2);
}

}  // namespace
}  // namespace fsvg
