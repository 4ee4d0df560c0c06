// Unit tests of TQtCanvas: the conformance suite every host passes, and what is the Qt
// host's own: a recorded image read back by Qt's PNG reader, a device it cannot paint on.
#include "fsvg/qtcanvas.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstdlib>

#include "support/hostsuite.h"

namespace fsvg::test {
namespace {

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, HostSuite, TQtCanvas);

// A recorded image decodes (Qt's PNG reader checks every chunk's CRC) to the source
// rectangle's pixels exactly. Rows of noise, 48 KiB each, fill more than a chunk of output
// every row and again at the end; rows of translucent ramps between them take the row
// filters that predict.
TEST(QtCanvas, RecordedImageDecodesToItsPixels) {
  constexpr std::uint32_t Width = 12288;
  std::vector<TAlphaColor> Pixels(Width * 48);
  std::uint32_t Noise = 1;
  for (std::uint32_t I = 0; I < Pixels.size(); ++I) {
    Noise = Noise * 1664525 + 1013904223;
    const std::uint32_t X = I % Width, Y = I / Width;
    Pixels[I] = Y % 4 == 0 ? Noise : X << 24 | (X * Y / 8 & 0xFF) << 16 | Y << 8 | 0x40;
  }
  TQtCanvas Host(10, 10);
  TMemoryStream Stream;
  TSvgCanvas(&Stream, &Host).DrawBitmap(TBitmap(Width, 48, Pixels), {7, 2, Width - 6, 47}, {0, 0, 5, 5}, 1, false);
  const std::string_view Svg = Stream.View();
  const std::size_t Start = Svg.find("base64,") + 7;
  const QByteArray Png = QByteArray::fromBase64(QByteArray(Svg.data() + Start, Svg.find('"', Start) - Start));
  const QImage Source(reinterpret_cast<const uchar*>(Pixels.data()), Width, 48, QImage::Format_ARGB32);
  EXPECT_EQ(Png[Png.indexOf("IDAT") - 2], '\x80');  // the first of chunks of 32 KiB (0x8000 bytes)
  EXPECT_TRUE(QImage::fromData(Png).convertToFormat(QImage::Format_ARGB32) == Source.copy(7, 2, Width - 13, 45));
}

// A device QPainter cannot paint on is reported, not passed over; an image of no pixels
// refuses its scene. On an image of pixel ratio 2 the canvas is half the image's pixels
// wide, and a layer's picture is as sharp as the image: a half unit is one device pixel.
TEST(QtCanvas, DevicesItCannotPaintOnAreReportedAndPixelRatiosKept) {
  EXPECT_FALSE(TQtCanvas(0, 3).BeginScene());
  QImage Indexed(4, 4, QImage::Format_Indexed8);
  EXPECT_ERROR(EHostError, TQtCanvas(Indexed).Clear(0), "TQtCanvas: QPainter cannot paint on the device");
  QImage Image(8, 8, QImage::Format_ARGB32_Premultiplied);
  Image.setDevicePixelRatio(2);
  Image.fill(Qt::transparent);
  TQtCanvas Host(Image);
  EXPECT_EQ(Host.GetWidth(), 4);
  Host.BeginLayer(1);
  Host.FillRect({0, 0, 1.5f, 1.5f}, 0, 0, AllCorners, 1);
  Host.EndLayer();
  EXPECT_EQ(Image.pixel(2, 2), 0xFF000000u);
  EXPECT_EQ(Image.pixel(3, 3), 0u);
}

}  // namespace
}  // namespace fsvg::test

int main(int argc, char** argv) {
  // Headless, test discovery too; no window is ever shown.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const QGuiApplication Application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
