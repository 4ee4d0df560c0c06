// The recording canvas's own lifecycle and the document calls it hands on: making the
// recording (the host and the document), closing it, the raw writers for derived classes,
// and groups and links. The drawing calls are in svgshapes.cpp, svgtext.cpp and
// svgimages.cpp; the document in svgdocument.h.
#include "fsvg/fsvgcanvas.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>

#include "encoders/textencoding.h"
#include "svgrecording.h"

namespace fsvg {

using detail::TLine;

void Check(bool Value, const char* Text) {
  if (!Value) throw ESvgError(Text);
}

TSvgOptions TSvgOptions::Faithful() {
  TSvgOptions Options;
  Options.DocumentSize = Options.Transforms = Options.ArcOffset = Options.CornerShapes = Options.ColorAlpha =
      Options.StrokeStyle = Options.TextLayout = Options.FontStyle = Options.Gradients = true;
  return Options;
}

TSvgCanvas::TSvgCanvas(TStream* Stream, TCanvas* Canvas) : TSvgCanvas(Stream, Canvas, TSvgOptions{}) {}

TSvgCanvas::TSvgCanvas(const std::filesystem::path& FileName, TCanvas* Canvas)
    : TSvgCanvas(FileName, Canvas, TSvgOptions{}) {}

TSvgCanvas::TSvgCanvas(TStream* Stream, TCanvas* Canvas, const TSvgOptions& Options)
    : FRecording(std::make_unique<TRecording>(Canvas, Stream, Options)) {
  FRecording->Start();
}

TSvgCanvas::TSvgCanvas(const std::filesystem::path& FileName, TCanvas* Canvas, const TSvgOptions& Options)
    : FRecording(std::make_unique<TRecording>(Canvas, FileName, Options)) {
  FRecording->Start();
}

void TSvgCanvas::TRecording::Start() {
  try {
    Check(Canvas != nullptr, "Canvas parameter is required");
    Document.Start(Canvas->GetWidth(), Canvas->GetHeight());
  } catch (...) {
    try {
      Document.Finish();
    } catch (...) {
    }
    throw;
  }
}

void TSvgCanvas::Close() {
  if (!FRecording->Document.IsClosed()) FRecording->Finish();
}

// The host's layers begun through this canvas are laid down, so that the picture is
// whole when the document is; the document is finished whatever the host does.
void TSvgCanvas::TRecording::Finish() {
  std::exception_ptr Error;
  try {
    for (std::size_t Open = std::min<std::size_t>(Document.LayerCount(), Canvas->GetLayerCount()); Open > 0; --Open)
      Canvas->EndLayer();
  } catch (...) {
    Error = std::current_exception();
  }
  Document.Finish();
  if (Error) std::rethrow_exception(Error);
}

// A destructor cannot raise: a close that fails here is reported on the standard error
// stream, as a caller who must know calls Close first. A caller's stream may throw a
// type of its own, which must not reach std::terminate either.
TSvgCanvas::~TSvgCanvas() {
  if (FRecording->Document.IsClosed()) return;
  try {
    FRecording->Finish();
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "fsvgcanvas: the document could not be closed: %s\n", Error.what());
  } catch (...) {
    std::fprintf(stderr, "fsvgcanvas: the document could not be closed: an exception of an unknown type\n");
  }
}

void TSvgCanvas::Write(std::span<const std::uint8_t> Data) {
  FRecording->Document.Write({reinterpret_cast<const char*>(Data.data()), Data.size()});
}

void TSvgCanvas::Write(std::string_view Text) { FRecording->Document.Write(Text); }

void TSvgCanvas::Write(std::u16string_view Text) {
  FRecording->Document.WriteLine(detail::EncodedRoom(Text),
                                 [&](TLine& Line) { Line.PutText(Text, detail::TTextEncoding::Plain); });
}

void TSvgCanvas::WriteEscaped(std::u16string_view Text) {
  FRecording->Document.WriteLine(detail::EncodedRoom(Text),
                                 [&](TLine& Line) { Line.PutText(Text, detail::TTextEncoding::Xml); });
}

void TSvgCanvas::Write(double Value) {
  FRecording->Document.WriteLine(detail::MaxRealLength, [&](TLine& Line) { Line.Put(Value); });
}

void TSvgCanvas::Write(std::int32_t Value) {
  FRecording->Document.WriteLine(TLine::MaxIntegerLength, [&](TLine& Line) { Line.Put(Value); });
}

void TSvgCanvas::WriteColor(TAlphaColor Color) {
  FRecording->Document.WriteLine(TLine::ColorLength, [&](TLine& Line) { Line.Put(detail::TColorValue{Color}); });
}

void TSvgCanvas::BeginGroup(std::u16string_view Id, std::u16string_view Title, std::u16string_view Classes) {
  FRecording->Document.BeginGroup(Id, Title, Classes);
}

void TSvgCanvas::EndGroup() { FRecording->Document.EndFrame(detail::TFrameKind::Group); }
void TSvgCanvas::BeginLink(std::u16string_view Url) { FRecording->Document.BeginLink(Url); }
void TSvgCanvas::EndLink() { FRecording->Document.EndFrame(detail::TFrameKind::Link); }

// The host begins the layer first (and refuses bad values); a write that fails ends it
// again, so that the host's layers and the document's stay matched.
void TSvgCanvas::BeginLayer(float Opacity, TBlendMode Blend) {
  TCanvas& Host = GetCanvas();
  Host.BeginLayer(Opacity, Blend);
  try {
    FRecording->Document.BeginLayer(Opacity, Blend);
  } catch (...) {
    Host.EndLayer();
    throw;
  }
}

// A layer the document cannot end (a group or link begun in it is open) is not ended on
// the host either.
void TSvgCanvas::EndLayer() {
  FRecording->Document.RequireFrame(detail::TFrameKind::Layer);
  GetCanvas().EndLayer();
  FRecording->Document.EndFrame(detail::TFrameKind::Layer);
}

}  // namespace fsvg
