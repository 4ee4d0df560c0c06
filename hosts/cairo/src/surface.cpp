// The Cairo host's surface: made at the canvas's size times its scale, read a pixel at a
// time, saved as PNG, flushed at the end of a scene, and made afresh when the size changes.
#include <charconv>
#include <cmath>
#include <exception>
#include <string>

#include "checks.h"
#include "fsvg/cairocanvas.h"
#include "fsvg/streams.h"

namespace fsvg {

namespace {

using detail::CheckStatus;

// Cairo refuses image surfaces wider or taller than this.
constexpr double MaxSurfaceSide = 32767;

// A whole number of pixels as text; a count beyond every integer type (a huge scale
// makes one) is written in exponent form rather than converted.
std::string PixelCount(double Count) {
  if (Count < 1e18) return std::to_string(static_cast<long long>(Count));
  char Text[32];
  return std::string(Text, std::to_chars(Text, Text + sizeof Text, Count, std::chars_format::scientific).ptr);
}

/// Where the PNG writer callback sends the bytes, and the error it caught: an
/// exception must not unwind through Cairo's C frames.
struct TPngSink {
  TFileStream* File;
  std::exception_ptr Error;
};

cairo_status_t WritePngBytes(void* Closure, const unsigned char* Data, unsigned int Length) {
  auto* Sink = static_cast<TPngSink*>(Closure);
  try {
    Sink->File->WriteBuffer(Data, Length);
    return CAIRO_STATUS_SUCCESS;
  } catch (...) {
    Sink->Error = std::current_exception();
    return CAIRO_STATUS_WRITE_ERROR;
  }
}

}  // namespace

TCairoCanvas::TCairoCanvas(std::int32_t AWidth, std::int32_t AHeight, float AScale, TCanvasQuality AQuality)
    : TOutlineCanvas(AWidth, AHeight, AScale, AQuality), FSurface(CreateSurface()) {
  FMeasureSurface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
  CheckStatus(cairo_surface_status(FMeasureSurface.get()));
  MeasureContext();
}

TCairoCanvas::~TCairoCanvas() = default;

TCairoCanvas::TSurfacePtr TCairoCanvas::CreateSurface() const {
  // A small allowance keeps a product like 100 * 1.1 from growing by a whole pixel.
  const double Width = std::ceil(GetWidth() * static_cast<double>(GetScale()) - 1e-4);
  const double Height = std::ceil(GetHeight() * static_cast<double>(GetScale()) - 1e-4);
  if (Width > MaxSurfaceSide || Height > MaxSurfaceSide)
    throw EArgumentError("TCairoCanvas: a surface of " + PixelCount(Width) + " x " + PixelCount(Height) +
                         " device pixels is larger than Cairo allows (32767 per side)");
  TSurfacePtr Surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(Width), static_cast<int>(Height)));
  CheckStatus(cairo_surface_status(Surface.get()));
  return Surface;
}

std::int32_t TCairoCanvas::GetPixelWidth() const { return cairo_image_surface_get_width(FSurface.get()); }
std::int32_t TCairoCanvas::GetPixelHeight() const { return cairo_image_surface_get_height(FSurface.get()); }

TAlphaColor TCairoCanvas::Pixel(std::int32_t X, std::int32_t Y) const {
  if (X < 0 || Y < 0 || X >= GetPixelWidth() || Y >= GetPixelHeight())
    throw EArgumentError("TCairoCanvas::Pixel: (" + std::to_string(X) + ", " + std::to_string(Y) +
                         ") lies outside the surface");
  cairo_surface_flush(FSurface.get());
  const unsigned char* Row = cairo_image_surface_get_data(FSurface.get()) +
                             static_cast<std::ptrdiff_t>(Y) * cairo_image_surface_get_stride(FSurface.get());
  // ARGB32 pixels are native-endian 32-bit words, premultiplied by alpha.
  const std::uint32_t Premultiplied = reinterpret_cast<const std::uint32_t*>(Row)[X];
  const std::uint32_t Alpha = Premultiplied >> 24;
  if (Alpha == 0) return 0;
  auto Unpremultiply = [Alpha](std::uint32_t Channel) { return (Channel * 255 + Alpha / 2) / Alpha; };
  return Alpha << 24 | Unpremultiply((Premultiplied >> 16) & 0xFF) << 16 |
         Unpremultiply((Premultiplied >> 8) & 0xFF) << 8 | Unpremultiply(Premultiplied & 0xFF);
}

void TCairoCanvas::SaveToPNG(const std::filesystem::path& FileName) const {
  if (GetPixelWidth() * GetPixelHeight() == 0)
    throw EWriteError(FileName.string() + ": an image without pixels cannot be saved as PNG");
  cairo_surface_flush(FSurface.get());
  TFileStream File(FileName, TFileBuffering::Full);
  TPngSink Sink{&File, nullptr};
  const cairo_status_t Status = cairo_surface_write_to_png_stream(FSurface.get(), WritePngBytes, &Sink);
  if (Sink.Error) std::rethrow_exception(Sink.Error);
  if (Status != CAIRO_STATUS_SUCCESS) throw EWriteError(FileName.string() + ": " + cairo_status_to_string(Status));
  File.Close();
}

void TCairoCanvas::Flush() { cairo_surface_flush(FSurface.get()); }

bool TCairoCanvas::DoBeginScene(PClipRects, std::uintptr_t) {
  return cairo_surface_status(FSurface.get()) == CAIRO_STATUS_SUCCESS;
}

void TCairoCanvas::DoEndScene() { Flush(); }

void TCairoCanvas::DoSetSize() { FSurface = CreateSurface(); }

}  // namespace fsvg
