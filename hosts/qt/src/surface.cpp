// The Qt host's target: an image of its own, made at the canvas's size times its scale,
// read a pixel at a time, saved as PNG and made afresh when the size changes; or a
// device a caller gives.
#include <QBuffer>
#include <QByteArray>
#include <QRgb>

#include <charconv>
#include <cmath>
#include <string>

#include <QPainter>

#include "fsvg/qtcanvas.h"
#include "fsvg/streams.h"

namespace fsvg {

namespace {

// The raster engine keeps positions in 16-bit spans: no image side may pass this.
constexpr double MaxImageSide = 32767;

// A whole number of pixels as text; a count beyond every integer type (a huge scale
// makes one) is written in exponent form rather than converted.
std::string PixelCount(double Count) {
  if (Count < 1e18) return std::to_string(static_cast<long long>(Count));
  char Text[32];
  return std::string(Text, std::to_chars(Text, Text + sizeof Text, Count, std::chars_format::scientific).ptr);
}

// A device's size in device-independent pixels: a widget gives it so, an image or a
// pixmap in its own pixels, which its pixel ratio divides.
std::int32_t Independent(const QPaintDevice& ADevice, int Pixels) {
  if (ADevice.devType() == QInternal::Widget) return Pixels;
  return static_cast<std::int32_t>(std::lround(Pixels / ADevice.devicePixelRatioF()));
}

}  // namespace

TQtCanvas::TQtCanvas(std::int32_t AWidth, std::int32_t AHeight, float AScale, TCanvasQuality AQuality)
    : TOutlineCanvas(AWidth, AHeight, AScale, AQuality), FImage(CreateImage()), FDevice(&FImage), FOwnsImage(true) {}

TQtCanvas::TQtCanvas(QPaintDevice& ADevice, TCanvasQuality AQuality)
    : TOutlineCanvas(Independent(ADevice, ADevice.width()), Independent(ADevice, ADevice.height()),
                     static_cast<float>(ADevice.devicePixelRatioF()), AQuality),
      FDevice(&ADevice),
      FOwnsImage(false) {}

TQtCanvas::~TQtCanvas() = default;

QImage TQtCanvas::CreateImage() const {
  // A small allowance keeps a product like 100 * 1.1 from growing by a whole pixel.
  const double Width = std::ceil(GetWidth() * static_cast<double>(GetScale()) - 1e-4);
  const double Height = std::ceil(GetHeight() * static_cast<double>(GetScale()) - 1e-4);
  if (Width > MaxImageSide || Height > MaxImageSide)
    throw EArgumentError("TQtCanvas: an image of " + PixelCount(Width) + " x " + PixelCount(Height) +
                         " device pixels is larger than Qt paints (32767 per side)");
  if (Width == 0 || Height == 0) return {};
  QImage Image(static_cast<int>(Width), static_cast<int>(Height), QImage::Format_ARGB32_Premultiplied);
  if (Image.isNull()) throw EHostError("TQtCanvas: Qt cannot allocate the image");
  Image.fill(Qt::transparent);
  return Image;
}

TAlphaColor TQtCanvas::Pixel(std::int32_t X, std::int32_t Y) const {
  if (X < 0 || Y < 0 || X >= GetPixelWidth() || Y >= GetPixelHeight())
    throw EArgumentError("TQtCanvas::Pixel: (" + std::to_string(X) + ", " + std::to_string(Y) +
                         ") lies outside the image");
  // QImage::pixel gives a premultiplied image's pixel premultiplied.
  return qUnpremultiply(FImage.pixel(X, Y));
}

void TQtCanvas::SaveToPNG(const std::filesystem::path& FileName) const {
  if (FImage.isNull()) throw EWriteError(FileName.string() + ": an image without pixels cannot be saved as PNG");
  QByteArray Bytes;
  QBuffer Buffer(&Bytes);
  Buffer.open(QIODevice::WriteOnly);
  if (!FImage.save(&Buffer, "PNG")) throw EWriteError(FileName.string() + ": Qt cannot encode the image as PNG");
  // Through the library's file stream, for its errors that name the path and the reason.
  TFileStream File(FileName, TFileBuffering::Full);
  File.WriteBuffer(Bytes.constData(), static_cast<std::size_t>(Bytes.size()));
  File.Close();
}

// One painter for a scene: beginning one for every operation cost more than painting
// most of them.
bool TQtCanvas::DoBeginScene(PClipRects, std::uintptr_t) {
  if (FOwnsImage && FImage.isNull()) return false;
  auto Painter = std::make_unique<QPainter>();
  BeginOnDevice(*Painter);
  FScenePainter = std::move(Painter);
  return true;
}

void TQtCanvas::DoEndScene() { FScenePainter.reset(); }

void TQtCanvas::BeginOnDevice(QPainter& Painter) const {
  if (!Painter.begin(FDevice)) throw EHostError("TQtCanvas: QPainter cannot paint on the device");
}

void TQtCanvas::DoSetSize() {
  if (!FOwnsImage) return;
  // Inside a layer, painting goes on into the layer's image; else the scene's painter
  // ends on the image being replaced and begins on the new one.
  const bool OnImage = FLayers.empty();
  if (OnImage && FScenePainter && FScenePainter->isActive()) FScenePainter->end();
  FImage = CreateImage();
  if (OnImage) RebeginScenePainter();
}

// The scene's painter, when a scene is open, ends where it painted and begins on FDevice
// (a layer's image, or the image again), unless that has no pixels.
void TQtCanvas::RebeginScenePainter() {
  if (!FScenePainter) return;
  if (FScenePainter->isActive()) FScenePainter->end();
  if (FDevice->width() > 0 && FDevice->height() > 0) BeginOnDevice(*FScenePainter);
}

}  // namespace fsvg
