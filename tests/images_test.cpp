// Images: the recorded line, and the refusals. (The Qt host's tests decode a large image
// back to its pixels.)
#include <gtest/gtest.h>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

// A tiny image drawn cropped through a tee (which brings the offset to the host), smooth
// and fast: the caller's values reach the host, and the line holds the PNG of the source
// rectangle, two rows of 0x80FF0000 and 0xFF00FF00 (reviewed: it decodes to them, the
// second row filtered Up, to zeros).
TEST(Images, RecordedAsOneImageLine) {
  const std::vector<TAlphaColor> Pixels = {0xFF0000FF, 0x80FF0000, 0xFF00FF00, 0xFF0000FF, 0x80FF0000, 0xFF00FF00};
  const std::string Png =
      "xmlns:xlink=\"http://www.w3.org/1999/xlink\" xlink:href=\"data:image/png;base64,"
      "iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAYAAABytg0kAAAAFUlEQVR4nGP4z8DQwPCf4T8TAxQAAC39A4BTpHM+AAAAAElFTkSuQmCC\"/>\n";
  const std::pair<bool, std::string> Cases[] = {
      {false, R"(<image x="13" y="24" width="50.5" height="20" preserveAspectRatio="none" )"},
      {true, R"(<image x="13" y="24" width="50.5" height="20" preserveAspectRatio="none" opacity="0.25" )"
             R"(image-rendering="optimizeSpeed" style="image-rendering:pixelated;image-rendering:optimizeSpeed" )"}};
  for (const auto& [HighSpeed, Line] : Cases) {
    TRecordingCanvas Host;
    TCountingStream Stream;
    TSvgCanvas Canvas(&Stream, &Host);
    TTeeCanvas Tee(Canvas);
    Tee.SetOffset({3, 4});
    Tee.DrawBitmap(TBitmap(3, 2, Pixels), {1, 0, 3, 2}, {10, 20, 60.5f, 40}, HighSpeed ? 0.25f : 1, HighSpeed);
    EXPECT_EQ(Host.Calls.back(),
              "DrawBitmap(3,[1,0,3,2],[10,20,60.5,40]," + Arg(HighSpeed ? 0.25 : 1) + "," + Arg(HighSpeed) + ")");
    EXPECT_EQ(Stream.Text, Header + Line + Png);
  }
}

// A stream that fails partway through an image leaves its line torn: the next element,
// the end of a group, or the footer closes it first, so that it and the footer stay outside (they
// went into its data).
TEST(Images, ATornLineIsClosedBeforeTheNextElement) {
  TNullCanvas Host;
  TCountingStream Stream;
  {
    TSvgCanvas Canvas(&Stream, &Host);
    const auto Tear = [&] {
      Stream.FailAt = Stream.Calls + 2;  // the PNG's text, after the line's head
      EXPECT_THROW(Canvas.DrawBitmap(TBitmap(1, 1, {0}), {0, 0, 1, 1}, {0, 0, 1, 1}, 1, false), EWriteError);
    };
    Canvas.BeginGroup(u"a");
    Tear();
    Canvas.EndGroup();
    Tear();
    Canvas.FillEllipse({0, 0, 1, 1}, 1);
    Tear();
  }
  EXPECT_TRUE(Holds(Stream.Text, "base64,\"/>\n</g>\n"));
  EXPECT_TRUE(Holds(Stream.Text, "base64,\"/>\n<ellipse "));
  EXPECT_TRUE(Stream.Text.ends_with("base64,\"/>\n</svg>"));
}

// A bitmap whose size does not match its pixels (owned or viewed) or that was moved from
// is refused before the host paints. (The rectangles and opacities refused, and destinations of no width or
// height, which paint and record nothing, are in the refusals scene.)
TEST(Images, RefusedBeforeTheHostPaints) {
  TRecordingCanvas Host;
  TCountingStream Stream;
  TSvgCanvas Canvas(&Stream, &Host);
  const TBitmap Bitmap(4, 4, std::vector<TAlphaColor>(16));
  const TRectF Whole{0, 0, 4, 4};
  EXPECT_ERROR(EArgumentError, TBitmap(-1, 0, std::vector<TAlphaColor>()), "TBitmap: the size must not be negative");
  TBitmap(0, 0, std::vector<TAlphaColor>());  // of no pixels: allowed
  EXPECT_ERROR(EArgumentError, TBitmap(2, 2, Bitmap.Pixels().first(3)),
               "TBitmap: the pixel count must be the width times the height");
  // A bitmap moved from is empty: it no longer views the pixels it gave away.
  TBitmap Source(Bitmap);
  TBitmap Target(std::move(Source));
  EXPECT_TRUE(Source.Pixels().empty());
  Source = std::move(Target);
  EXPECT_EQ(Target.GetHeight(), 0);
  EXPECT_ERROR(EArgumentError, Canvas.DrawBitmap(Target, Whole, Whole, 1, false),
               "DrawBitmap: the source rectangle must lie inside the bitmap and not be empty");
  EXPECT_TRUE(Host.Calls.empty());
  EXPECT_EQ(Stream.Text, Header);
  Target = Bitmap;  // a copy views pixels of its own
  EXPECT_EQ(Target.Pixels().size(), 16u);
}

}  // namespace
}  // namespace fsvg::test
