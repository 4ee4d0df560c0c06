// The QPainter devices: TCanvasPaintDevice over a caller's canvas, and TSvgPaintDevice,
// which opens an output and a recording for each painter session and closes them at
// its end. Both answer Qt's metrics from their size and resolution.
#include <QFile>
#include <QtGlobal>
#include <filesystem>
#include <limits>

#include "fsvg/qtpaintdevice.h"
#include "paintengine.h"

namespace fsvg {
namespace {

int DeviceMetric(QPaintDevice::PaintDeviceMetric Metric, int Width, int Height, int Dpi) {
  switch (Metric) {
    case QPaintDevice::PdmWidth:
      return Width;
    case QPaintDevice::PdmHeight:
      return Height;
    case QPaintDevice::PdmWidthMM:
      return qRound(Width * 25.4 / Dpi);
    case QPaintDevice::PdmHeightMM:
      return qRound(Height * 25.4 / Dpi);
    case QPaintDevice::PdmNumColors:
      return std::numeric_limits<int>::max();
    case QPaintDevice::PdmDepth:
      return 32;
    case QPaintDevice::PdmDpiX:
    case QPaintDevice::PdmDpiY:
    case QPaintDevice::PdmPhysicalDpiX:
    case QPaintDevice::PdmPhysicalDpiY:
      return Dpi;
    case QPaintDevice::PdmDevicePixelRatio:
      return 1;
    case QPaintDevice::PdmDevicePixelRatioScaled:
      return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
    default:
      return 0;
  }
}

// Writes to a Qt output device, which must be open for writing.
class TQIODeviceStream final : public TStream {
 public:
  explicit TQIODeviceStream(QIODevice& Device) : FDevice(Device) {}
  void WriteBuffer(const void* Buffer, std::size_t Count) override {
    const char* Data = static_cast<const char*>(Buffer);
    while (Count > 0) {
      const qint64 Written = FDevice.write(Data, static_cast<qint64>(Count));
      if (Written <= 0)
        throw EWriteError("fsvg: cannot write to the output device: " + FDevice.errorString().toStdString());
      Data += Written;
      Count -= static_cast<std::size_t>(Written);
    }
  }

 private:
  QIODevice& FDevice;
};

}  // namespace

TCanvasPaintDevice::TCanvasPaintDevice(TCanvas& Canvas, int Dpi)
    : FCanvas(Canvas),
      FDpi(Dpi > 0 ? Dpi : throw EArgumentError("fsvg: a paint device needs a positive resolution")),
      FEngine(std::make_unique<detail::TCanvasPaintEngine>([this] { return &FCanvas; }, [] {})) {}

TCanvasPaintDevice::~TCanvasPaintDevice() = default;

QPaintEngine* TCanvasPaintDevice::paintEngine() const { return FEngine.get(); }

void TCanvasPaintDevice::RethrowError() {
  if (auto Error = FEngine->TakeError()) std::rethrow_exception(Error);
}

int TCanvasPaintDevice::metric(PaintDeviceMetric Metric) const {
  return DeviceMetric(Metric, FCanvas.GetWidth(), FCanvas.GetHeight(), FDpi);
}

// One painter session's output, from the innermost sink to the canvas drawn on.
class TSvgPaintDevice::TSession {
 public:
  std::unique_ptr<TFileStream> File;
  std::unique_ptr<TGzipStream> Gzip;
  std::unique_ptr<TQIODeviceStream> Device;
  std::unique_ptr<TNullCanvas> Null;
  std::unique_ptr<TSvgCanvas> Svg;
  std::unique_ptr<TTeeCanvas> Tee;
  // The host as the session found it: the tee brings the host to each call's paint,
  // matrix and clip and leaves it so, and a caller's host is the caller's again after.
  TCanvasSaveState* HostState = nullptr;
};

TSvgPaintDevice::TSvgPaintDevice()
    : FEngine(std::make_unique<detail::TCanvasPaintEngine>([this] { return Open(); }, [this] { Finish(); })) {}

TSvgPaintDevice::~TSvgPaintDevice() {
  if (auto Error = FEngine->TakeError()) {
    try {
      std::rethrow_exception(Error);
    } catch (const std::exception& E) {
      qWarning("TSvgPaintDevice: %s", E.what());
    }
  }
}

void TSvgPaintDevice::SetFileName(const QString& FileName) {
  FFileName = FileName;
  FOutput = nullptr;
}

void TSvgPaintDevice::SetOutputDevice(QIODevice* Device) {
  FOutput = Device;
  FFileName.clear();
}

void TSvgPaintDevice::SetSize(const QSize& Size) {
  if (Size.width() < 0 || Size.height() < 0) throw EArgumentError("fsvg: a paint device's size cannot be negative");
  FSize = Size;
}

void TSvgPaintDevice::SetResolution(int Dpi) {
  if (Dpi <= 0) throw EArgumentError("fsvg: a paint device needs a positive resolution");
  FDpi = Dpi;
}

void TSvgPaintDevice::SetTitle(const QString& Title) { FOptions.Title = Title.toStdU16String(); }

void TSvgPaintDevice::SetDescription(const QString& Description) {
  FOptions.Description = Description.toStdU16String();
}

void TSvgPaintDevice::Close() {
  if (auto Error = FEngine->TakeError()) std::rethrow_exception(Error);
}

QPaintEngine* TSvgPaintDevice::paintEngine() const { return FEngine.get(); }

int TSvgPaintDevice::metric(PaintDeviceMetric Metric) const {
  const bool Boxed = !FViewBox.isEmpty();
  return DeviceMetric(Metric, Boxed ? qCeil(FViewBox.width()) : FSize.width(),
                      Boxed ? qCeil(FViewBox.height()) : FSize.height(), FDpi);
}

TCanvas* TSvgPaintDevice::Open() {
  auto Session = std::make_unique<TSession>();
  TStream* Output = nullptr;
  if (!FFileName.isEmpty()) {
    Session->File = std::make_unique<TFileStream>(std::filesystem::path(QFile::encodeName(FFileName).toStdString()),
                                                  TFileBuffering::Full);
    Output = Session->File.get();
    if (FFileName.endsWith(QLatin1String(".svgz"), Qt::CaseInsensitive)) {
      Session->Gzip = std::make_unique<TGzipStream>(Output);
      Output = Session->Gzip.get();
    }
  } else if (FOutput) {
    Session->Device = std::make_unique<TQIODeviceStream>(*FOutput);
    Output = Session->Device.get();
  } else {
    throw EMisuseError("fsvg: TSvgPaintDevice has neither a file name nor an output device to record into");
  }
  TCanvas* Host = FHost;
  if (!Host) {
    Session->Null = std::make_unique<TNullCanvas>(FSize.width(), FSize.height());
    Host = Session->Null.get();
  }
  Session->Svg = std::make_unique<TSvgCanvas>(Output, Host, FOptions);
  Session->Tee = std::make_unique<TTeeCanvas>(*Session->Svg);
  Session->HostState = Host->SaveState();
  QTransform Base;
  if (!FViewBox.isEmpty())
    Base = QTransform::fromTranslate(-FViewBox.x(), -FViewBox.y()) *
           QTransform::fromScale(FSize.width() / FViewBox.width(), FSize.height() / FViewBox.height());
  FEngine->SetBase(Base);
  FSession = std::move(Session);
  return FSession->Tee.get();
}

void TSvgPaintDevice::Finish() {
  const std::unique_ptr<TSession> Session = std::move(FSession);
  if (!Session) return;
  Session->Tee.reset();
  Session->Svg->GetCanvas().RestoreState(Session->HostState);
  Session->Svg->Close();
  if (Session->Gzip) Session->Gzip->Close();
  if (Session->File) Session->File->Close();
}

}  // namespace fsvg
