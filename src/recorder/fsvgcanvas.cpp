// The recording canvas: the document's lifecycle, the value writers, and one function
// per drawing call, each reading as forward to the host, decide visibility, write the
// element. The line machinery is in svgline.h, the pieces elements share in
// svgelements.h.
#include "fsvg/fsvgcanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <memory>

#include "encoders/numberformat.h"
#include "encoders/pngwriter.h"
#include "encoders/textencoding.h"
#include "svgelements.h"
#include "svgline.h"

namespace fsvg {

using detail::TColorValue;
using detail::TLine;

namespace {

// The header up to the end of the root's opening tag, which the options may extend.
constexpr std::string_view HeaderStart =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
constexpr std::string_view Footer = "</svg>";

// Whether O asks for the plain recording: every switch off, and the plain places.
bool IsPlain(const TSvgOptions& O) {
  return !detail::AnySwitch(O) && !O.Gradients && O.DecimalPlaces == detail::PlainDecimalPlaces;
}

// Where a closed canvas writes: every write is refused, so a drawing call after Close
// paints the host and then raises instead of losing its element without a word.
class TClosedStream final : public TStream {
 public:
  void WriteBuffer(const void*, std::size_t) override {
    throw EMisuseError("TSvgCanvas: the document is closed; nothing more can be recorded");
  }
};

TClosedStream ClosedStream;

// Whether Code may start (Start) or continue an XML name; the colon is left out, so the
// name is one an XML namespace processor takes too.
bool IsNameCharacter(char32_t Code, bool Start) {
  static constexpr char32_t StartRanges[][2] = {{'A', 'Z'},       {'_', '_'},       {'a', 'z'},        {0xC0, 0xD6},
                                                {0xD8, 0xF6},     {0xF8, 0x2FF},    {0x370, 0x37D},    {0x37F, 0x1FFF},
                                                {0x200C, 0x200D}, {0x2070, 0x218F}, {0x2C00, 0x2FEF},  {0x3001, 0xD7FF},
                                                {0xF900, 0xFDCF}, {0xFDF0, 0xFFFD}, {0x10000, 0xEFFFF}};
  static constexpr char32_t MoreRanges[][2] = {{'-', '.'}, {'0', '9'}, {0xB7, 0xB7}, {0x300, 0x36F}, {0x203F, 0x2040}};
  const auto In = [Code](const auto& Ranges) {
    for (const auto& Range : Ranges)
      if (Code >= Range[0] && Code <= Range[1]) return true;
    return false;
  };
  return In(StartRanges) || (!Start && In(MoreRanges));
}

// Whether Prefix followed by a letter and digits is an XML name without a colon.
bool IsIdPrefix(std::u16string_view Prefix) {
  for (std::size_t Index = 0; Index < Prefix.size(); ++Index) {
    char32_t Code = Prefix[Index];
    if (Code >= 0xD800 && Code <= 0xDBFF && Index + 1 < Prefix.size() && Prefix[Index + 1] >= 0xDC00 &&
        Prefix[Index + 1] <= 0xDFFF)
      Code = 0x10000 + ((Code - 0xD800) << 10) + (Prefix[++Index] - 0xDC00);
    if (!IsNameCharacter(Code, Index == 0)) return false;
  }
  return true;
}

}  // namespace

void Check(bool Value, const char* Text) {
  if (!Value) throw ESvgError(Text);
}

bool detail::IsNameOrEmpty(std::u16string_view Text) { return IsIdPrefix(Text); }

TBytes ToUtf8(std::u16string_view Text) {
  TBytes Bytes(detail::Utf8Length(Text, detail::TTextEncoding::Plain));
  detail::EncodeUtf8(Text, detail::TTextEncoding::Plain, Bytes.data());
  return Bytes;
}

// ---------------------------------------------------------------------------
// Lifecycle

TSvgOptions TSvgOptions::Faithful() {
  TSvgOptions Options;
  Options.DocumentSize = Options.Transforms = Options.ArcOffset = Options.CornerShapes = Options.ColorAlpha =
      Options.StrokeStyle = Options.TextLayout = Options.Gradients = true;
  return Options;
}

TSvgCanvas::TSvgCanvas(TStream* Stream, TCanvas* Canvas) : TSvgCanvas(Stream, Canvas, TSvgOptions{}) {}

TSvgCanvas::TSvgCanvas(const std::filesystem::path& FileName, TCanvas* Canvas)
    : TSvgCanvas(FileName, Canvas, TSvgOptions{}) {}

TSvgCanvas::TSvgCanvas(TStream* Stream, TCanvas* Canvas, const TSvgOptions& Options)
    : FStream(Stream), FOptions(Options), FPlain(IsPlain(Options)) {
  Open(Canvas);
}

TSvgCanvas::TSvgCanvas(const std::filesystem::path& FileName, TCanvas* Canvas, const TSvgOptions& Options)
    : FOptions(Options), FPlain(IsPlain(Options)) {
  if (!FileName.empty()) {
    FOwnedStream = std::make_unique<TFileStream>(FileName, TFileBuffering::Reserved);
    FStream = FOwnedStream.get();
    if (FileName.extension() == ".svgz") {
      FOwnedGzip = std::make_unique<TGzipStream>(FStream);
      FStream = FOwnedGzip.get();
    }
  }
  Open(Canvas);
}

// A constructor that throws runs no destructor, so the teardown happens here: the
// footer goes to the stream (the document was never opened) and an owned file closes;
// the error that made the constructor fail is the one that leaves it.
void TSvgCanvas::Open(TCanvas* Canvas) {
  try {
    Check(Canvas != nullptr, "Canvas parameter is required");
    Check(FOptions.DecimalPlaces >= 0 && FOptions.DecimalPlaces <= 6, "DecimalPlaces must be 0 to 6");
    FCanvas = Canvas;
    Check(IsIdPrefix(FOptions.IdPrefix), "IdPrefix must be empty or an XML name without a colon");
    const TBytes Prefix = ToUtf8(FOptions.IdPrefix);
    FIdPrefix.assign(Prefix.begin(), Prefix.end());
    WriteHeader();
  } catch (...) {
    try {
      Finish();
    } catch (...) {
    }
    throw;
  }
}

// The footer, then the owned compression's and file's close, each attempted whatever
// the others did; the first error is the one raised. Afterwards every write is refused.
void TSvgCanvas::Finish() {
  FClosed = true;
  std::exception_ptr Error;
  try {
    if (FTornImage) CloseTornImage();
    Write(OpenGroupsEnd() + std::string(Footer));
  } catch (...) {
    Error = std::current_exception();
  }
  FStream = &ClosedStream;
  if (FOwnedGzip) {
    try {
      FOwnedGzip->Close();
    } catch (...) {
      if (!Error) Error = std::current_exception();
    }
    FOwnedGzip.reset();
  }
  if (FOwnedStream) {
    try {
      FOwnedStream->Close();
    } catch (...) {
      if (!Error) Error = std::current_exception();
    }
    FOwnedStream.reset();
  }
  if (Error) std::rethrow_exception(Error);
}

void TSvgCanvas::Close() {
  if (!FClosed) Finish();
}

// A destructor cannot raise: a close that fails here is reported on the standard error
// stream, as a caller who must know calls Close first. A caller's stream may throw a
// type of its own, which must not reach std::terminate either.
TSvgCanvas::~TSvgCanvas() {
  if (FClosed) return;
  try {
    Finish();
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "fsvgcanvas: the document could not be closed: %s\n", Error.what());
  } catch (...) {
    std::fprintf(stderr, "fsvgcanvas: the document could not be closed: an exception of an unknown type\n");
  }
}

// ---------------------------------------------------------------------------
// Writers

void TSvgCanvas::Write(std::span<const std::uint8_t> Data) {
  if (FStream != nullptr && !Data.empty()) FStream->WriteBuffer(Data.data(), Data.size());
}

void TSvgCanvas::Write(std::string_view Text) {
  if (FStream != nullptr && !Text.empty()) FStream->WriteBuffer(Text.data(), Text.size());
}

void TSvgCanvas::Write(std::u16string_view Text) {
  detail::WriteLine(FStream, detail::EncodedRoom(Text), FOptions.DecimalPlaces,
                    [&](TLine& Line) { Line.PutText(Text, detail::TTextEncoding::Plain); });
}

void TSvgCanvas::WriteEscaped(std::u16string_view Text) {
  detail::WriteLine(FStream, detail::EncodedRoom(Text), FOptions.DecimalPlaces,
                    [&](TLine& Line) { Line.PutText(Text, detail::TTextEncoding::Xml); });
}

void TSvgCanvas::Write(double Value) {
  detail::WriteLine(FStream, detail::MaxRealLength, FOptions.DecimalPlaces, [&](TLine& Line) { Line.Put(Value); });
}

void TSvgCanvas::Write(std::int32_t Value) {
  detail::WriteLine(FStream, TLine::MaxIntegerLength, FOptions.DecimalPlaces, [&](TLine& Line) { Line.Put(Value); });
}

void TSvgCanvas::WriteColor(TAlphaColor Color) {
  detail::WriteLine(FStream, TLine::ColorLength, FOptions.DecimalPlaces,
                    [&](TLine& Line) { Line.Put(TColorValue{Color}); });
}

// The XML declaration and the root's opening tag, with the document's size, title and
// description when the options ask for them; one write.
void TSvgCanvas::WriteHeader() {
  const std::size_t Room = detail::FixedLineRoom + detail::OptionsRoom + detail::EncodedRoom(FOptions.Title) +
                           detail::EncodedRoom(FOptions.Description);
  detail::WriteLine(FStream, Room, FOptions.DecimalPlaces, [&](TLine& Line) {
    Line.Put(HeaderStart);
    if (FOptions.DocumentSize) {
      const std::int32_t Width = FCanvas->GetWidth();
      const std::int32_t Height = FCanvas->GetHeight();
      Line.Attr("width", Width);
      Line.Attr("height", Height);
      Line.Attr("viewBox", [&] {
        Line.Put("0 0 ");
        Line.Put(Width);
        Line.Put(' ');
        Line.Put(Height);
      });
    }
    Line.Put(">\n");
    const auto PutElement = [&](std::string_view Open, std::u16string_view Text, std::string_view Close) {
      if (Text.empty()) return;
      Line.Put(Open);
      Line.PutText(Text, detail::TTextEncoding::Xml);
      Line.Put(Close);
    };
    PutElement("<title>", FOptions.Title, "</title>\n");
    PutElement("<desc>", FOptions.Description, "</desc>\n");
  });
}

namespace {

// Whether Text holds a character of a right-to-left script (Hebrew, Arabic, Syriac,
// Thaana, N'Ko and their kin, their presentation forms, the right-to-left scripts
// beyond the BMP) or a right-to-left mark, embedding, override or isolate. Renderers
// reorder such a line; the host paints it in stored order.
bool HoldsRightToLeft(std::u16string_view Text) {
  for (const char16_t Unit : Text) {
    if ((Unit >= 0x0590 && Unit <= 0x08FF) || (Unit >= 0xFB1D && Unit <= 0xFDFF) ||
        (Unit >= 0xFE70 && Unit <= 0xFEFE) || Unit == 0x200F || Unit == 0x202B || Unit == 0x202E || Unit == 0x2067 ||
        (Unit >= 0xD802 && Unit <= 0xD803) || (Unit >= 0xD83A && Unit <= 0xD83B))
      return true;
  }
  return false;
}

// The room the runs of a laid-out text take, each encoded, once the host's answer is
// known to be writable: the runs together hold no more of the text than there is (a
// host whose lines overlap would have the line hold its text many times over), and
// every edge of every line and the font's ascent are finite (a measurer or metrics
// answering NaN, an infinity or a width beyond the float range, as a font size near
// the float range makes the default metrics do, would put them into the document).
// Refused before anything is written.
std::size_t LaidTextRoom(const TLineMetricInfo& Lines, std::u16string_view AText, float Ascent) {
  if (!std::isfinite(Ascent)) throw EHostError("TSvgCanvas: the host's font metrics are not finite");
  std::size_t Units = 0;
  std::size_t Room = 0;
  for (const TLineMetricInfo::TLineMetric& Run : Lines.Metrics) {
    const TRectF& R = Run.Rect;
    if (!std::isfinite(R.Left) || !std::isfinite(R.Top) || !std::isfinite(R.Right) || !std::isfinite(R.Bottom))
      throw EHostError("TSvgCanvas: the host laid a line of text out where no number can place it");
    if (Run.Length == 0 || Run.Index >= AText.size()) continue;
    const std::u16string_view Text = AText.substr(Run.Index, Run.Length);
    Units += Text.size();
    if (Units > AText.size()) throw EHostError("TSvgCanvas: the host laid out lines that hold more than the text");
    Room += detail::EncodedRoom(Text);
  }
  return Room;
}
}  // namespace

TPointF TSvgCanvas::ArcOffset() const { return FOptions.ArcOffset ? FCanvas->GetOffset() : TPointF{}; }

// ---------------------------------------------------------------------------
// Rectangles and clearing
//
// Each drawing call paints on the host first, then, when the paint leaves a mark,
// builds its element line and writes it in one piece.

using detail::IsBrushVisible;
using detail::IsStrokeVisible;
using detail::WriteElement;

void TSvgCanvas::Clear(TAlphaColor Color) {
  FCanvas->Clear(Color);
  SyncClip();
  WriteElement(FStream, 0, FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    Line.Open("rect");
    Line.Attr("x", "0");
    Line.Attr("y", "0");
    Line.Attr("width", FCanvas->GetWidth());
    Line.Attr("height", FCanvas->GetHeight());
    detail::PutFillColor(Line, Color, Options);
    Line.CloseEmpty();
  });
}

void TSvgCanvas::ClearRect(const TRectF& ARect, TAlphaColor AColor) {
  FCanvas->ClearRect(ARect, AColor);
  SyncClip();
  WriteElement(FStream, 0, FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    detail::PutRectGeometry(Line, ARect, FCanvas->GetOffset(), Options);
    detail::PutTransform(Line, *FCanvas, Options);
    detail::PutFillColor(Line, AColor, Options);
    Line.CloseEmpty();
  });
}

void TSvgCanvas::FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          TCornerType ACornerType) {
  FillRect(ARect, XRadius, YRadius, ACorners, AOpacity, GetFill(), ACornerType);
}

void TSvgCanvas::FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          const TBrush& ABrush, TCornerType ACornerType) {
  FCanvas->FillRect(ARect, XRadius, YRadius, ACorners, AOpacity, ABrush, ACornerType);
  if (!IsBrushVisible(ABrush)) return;
  SyncClip();
  const std::string_view Paint = GradientRef(ABrush, FCanvas->GetOffset());
  WriteElement(FStream, Paint.size(), FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    detail::PutRectShape(Line, ARect, XRadius, YRadius, ACorners, ACornerType, FCanvas->GetOffset(), Options);
    detail::PutTransform(Line, *FCanvas, Options);
    detail::PutFillTail(Line, AOpacity, ABrush, Options, Paint);
    Line.CloseEmpty();
  });
}

void TSvgCanvas::DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          TCornerType ACornerType) {
  DrawRect(ARect, XRadius, YRadius, ACorners, AOpacity, GetStroke(), ACornerType);
}

void TSvgCanvas::DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          const TStrokeBrush& ABrush, TCornerType ACornerType) {
  FCanvas->DrawRect(ARect, XRadius, YRadius, ACorners, AOpacity, ABrush, ACornerType);
  if (!IsStrokeVisible(ABrush)) return;
  SyncClip();
  const std::string_view Paint = GradientRef(ABrush, FCanvas->GetOffset());
  WriteElement(FStream, Paint.size(), FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    detail::PutRectShape(Line, ARect, XRadius, YRadius, ACorners, ACornerType, FCanvas->GetOffset(), Options);
    detail::PutTransform(Line, *FCanvas, Options);
    detail::PutStrokeTail(Line, AOpacity, ABrush, Options, Paint);
    Line.Attr("fill", "none");
    Line.CloseEmpty();
  });
}

// ---------------------------------------------------------------------------
// Lines

void TSvgCanvas::DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity) {
  DrawLine(APt1, APt2, AOpacity, GetStroke());
}

void TSvgCanvas::DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush) {
  FCanvas->DrawLine(APt1, APt2, AOpacity, ABrush);
  if (!IsStrokeVisible(ABrush)) return;
  const TPointF Offset = FCanvas->GetOffset();
  SyncClip();
  const std::string_view Paint = GradientRef(ABrush, Offset);
  WriteElement(FStream, Paint.size(), FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    Line.Open("line");
    Line.Attr("x1", static_cast<double>(APt1.X) + Offset.X);
    Line.Attr("y1", static_cast<double>(APt1.Y) + Offset.Y);
    Line.Attr("x2", static_cast<double>(APt2.X) + Offset.X);
    Line.Attr("y2", static_cast<double>(APt2.Y) + Offset.Y);
    detail::PutTransform(Line, *FCanvas, Options);
    detail::PutStrokeTail(Line, AOpacity, ABrush, Options, Paint);
    Line.CloseEmpty();
  });
}

// ---------------------------------------------------------------------------
// Ellipses

void TSvgCanvas::FillEllipse(const TRectF& ARect, float AOpacity) { FillEllipse(ARect, AOpacity, GetFill()); }

void TSvgCanvas::FillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush) {
  FCanvas->FillEllipse(ARect, AOpacity, ABrush);
  if (!IsBrushVisible(ABrush)) return;
  SyncClip();
  const std::string_view Paint = GradientRef(ABrush, FCanvas->GetOffset());
  WriteElement(FStream, Paint.size(), FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    detail::PutEllipseGeometry(Line, ARect, FCanvas->GetOffset(), Options);
    detail::PutTransform(Line, *FCanvas, Options);
    detail::PutFillTail(Line, AOpacity, ABrush, Options, Paint);
    Line.CloseEmpty();
  });
}

void TSvgCanvas::DrawEllipse(const TRectF& ARect, float AOpacity) { DrawEllipse(ARect, AOpacity, GetStroke()); }

void TSvgCanvas::DrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush) {
  FCanvas->DrawEllipse(ARect, AOpacity, ABrush);
  if (!IsStrokeVisible(ABrush)) return;
  SyncClip();
  const std::string_view Paint = GradientRef(ABrush, FCanvas->GetOffset());
  WriteElement(FStream, Paint.size(), FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    detail::PutEllipseGeometry(Line, ARect, FCanvas->GetOffset(), Options);
    detail::PutTransform(Line, *FCanvas, Options);
    detail::PutStrokeTail(Line, AOpacity, ABrush, Options, Paint);
    Line.Attr("fill", "none");
    Line.CloseEmpty();
  });
}

// ---------------------------------------------------------------------------
// Arcs

void TSvgCanvas::FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity) {
  FillArc(Center, Radius, StartAngle, SweepAngle, AOpacity, GetFill());
}

void TSvgCanvas::FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity, const TBrush& ABrush) {
  FCanvas->FillArc(Center, Radius, StartAngle, SweepAngle, AOpacity, ABrush);
  if (!IsBrushVisible(ABrush)) return;
  SyncClip();
  const std::string_view Paint = GradientRef(ABrush, ArcOffset());
  WriteElement(FStream, Paint.size(), FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    detail::PutArcPath(Line, Center, Radius, StartAngle, SweepAngle, ArcOffset());
    detail::PutTransform(Line, *FCanvas, Options);
    detail::PutFillTail(Line, AOpacity, ABrush, Options, Paint);
    Line.CloseEmpty();
  });
}

void TSvgCanvas::DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity) {
  DrawArc(Center, Radius, StartAngle, SweepAngle, AOpacity, GetStroke());
}

void TSvgCanvas::DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity, const TStrokeBrush& ABrush) {
  FCanvas->DrawArc(Center, Radius, StartAngle, SweepAngle, AOpacity, ABrush);
  if (!IsStrokeVisible(ABrush)) return;
  SyncClip();
  const std::string_view Paint = GradientRef(ABrush, ArcOffset());
  WriteElement(FStream, Paint.size(), FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    detail::PutArcPath(Line, Center, Radius, StartAngle, SweepAngle, ArcOffset());
    detail::PutTransform(Line, *FCanvas, Options);
    detail::PutStrokeTail(Line, AOpacity, ABrush, Options, Paint);
    Line.Attr("fill", "none");
    Line.CloseEmpty();
  });
}

// ---------------------------------------------------------------------------
// Polygons

void TSvgCanvas::FillPolygon(const TPolygon& Points, float AOpacity) {
  FCanvas->FillPolygon(Points, AOpacity);
  if (Points.size() < 2 || !IsBrushVisible(GetFill())) return;
  const TPointF Offset = FCanvas->GetOffset();
  SyncClip();
  const std::string_view Paint = GradientRef(GetFill(), Offset);
  WriteElement(FStream, detail::PointListRoom(Points, 0) + Paint.size(), FPlain, FOptions,
               [&](TLine& Line, const auto& Options) {
                 Line.Open("polygon");
                 Line.Attr("points", [&] { detail::PutPointList(Line, Points, Offset, false); });
                 detail::PutTransform(Line, *FCanvas, Options);
                 detail::PutFillTail(Line, AOpacity, GetFill(), Options, Paint);
                 Line.CloseEmpty();
               });
}

void TSvgCanvas::DrawPolygon(const TPolygon& Points, float AOpacity) {
  FCanvas->DrawPolygon(Points, AOpacity);
  if (Points.size() < 2 || !IsStrokeVisible(GetStroke())) return;
  const TPointF Offset = FCanvas->GetOffset();
  SyncClip();
  const std::string_view Paint = GradientRef(GetStroke(), Offset);
  WriteElement(FStream, detail::PointListRoom(Points, 1) + Paint.size(), FPlain, FOptions,
               [&](TLine& Line, const auto& Options) {
                 // The plain outline is a polyline that ends where it began, with no join there;
                 // with the stroke's style recorded it is a closed polygon, joined at every vertex.
                 if (Options.StrokeStyle)
                   Line.Open("polygon");
                 else
                   Line.Open("polyline");
                 Line.Attr("points", [&] { detail::PutPointList(Line, Points, Offset, !Options.StrokeStyle); });
                 detail::PutTransform(Line, *FCanvas, Options);
                 detail::PutStrokeTail(Line, AOpacity, GetStroke(), Options, Paint);
                 Line.Attr("fill", "none");
                 Line.CloseEmpty();
               });
}

// ---------------------------------------------------------------------------
// Paths

void TSvgCanvas::FillPath(const TPathData& APath, float AOpacity) { FillPath(APath, AOpacity, GetFill()); }

void TSvgCanvas::FillPath(const TPathData& APath, float AOpacity, const TBrush& ABrush) {
  FCanvas->FillPath(APath, AOpacity, ABrush);
  if (APath.IsEmpty() || !IsBrushVisible(ABrush)) return;
  const TPointF Offset = FCanvas->GetOffset();
  SyncClip();
  const std::string_view Paint = GradientRef(ABrush, Offset);
  WriteElement(FStream, detail::PathRoom(APath) + Paint.size(), FPlain, FOptions,
               [&](TLine& Line, const auto& Options) {
                 Line.Open("path");
                 Line.Attr("d", [&] { detail::PutPathData(Line, APath, Offset); });
                 if (APath.FillRule == TFillRule::EvenOdd) Line.Attr("fill-rule", "evenodd");
                 detail::PutTransform(Line, *FCanvas, Options);
                 detail::PutFillTail(Line, AOpacity, ABrush, Options, Paint);
                 Line.CloseEmpty();
               });
}

void TSvgCanvas::DrawPath(const TPathData& APath, float AOpacity) { DrawPath(APath, AOpacity, GetStroke()); }

void TSvgCanvas::DrawPath(const TPathData& APath, float AOpacity, const TStrokeBrush& ABrush) {
  FCanvas->DrawPath(APath, AOpacity, ABrush);
  if (APath.IsEmpty() || !IsStrokeVisible(ABrush)) return;
  const TPointF Offset = FCanvas->GetOffset();
  SyncClip();
  const std::string_view Paint = GradientRef(ABrush, Offset);
  WriteElement(FStream, detail::PathRoom(APath) + Paint.size(), FPlain, FOptions,
               [&](TLine& Line, const auto& Options) {
                 Line.Open("path");
                 Line.Attr("d", [&] { detail::PutPathData(Line, APath, Offset); });
                 detail::PutTransform(Line, *FCanvas, Options);
                 detail::PutStrokeTail(Line, AOpacity, ABrush, Options, Paint);
                 // A path's caps and joins are part of its shape: recorded whatever the options.
                 if (!Options.StrokeStyle) detail::PutStrokeStyle(Line, ABrush);
                 Line.Attr("fill", "none");
                 Line.CloseEmpty();
               });
}

// ---------------------------------------------------------------------------
// Images
//
// An image line has no bound, so it is not built whole: its head (geometry, opacity,
// transform, rendering) is built in a line room, then the PNG's base64 text streams out
// in pieces, then the line's end. The line has no line feed inside. A write that fails
// after the head leaves the line torn, and whatever is written next closes it first.

void TSvgCanvas::DrawBitmap(const TBitmap& ABitmap, const TRectF& Source, const TRectF& Dest, float AOpacity,
                            bool HighSpeed) {
  FCanvas->DrawBitmap(ABitmap, Source, Dest, AOpacity, HighSpeed);
  if (!(Dest.Left < Dest.Right && Dest.Top < Dest.Bottom)) return;
  const TPointF Offset = FCanvas->GetOffset();
  SyncClip();
  if (FStream == nullptr) return;
  detail::TLineRoom Room(detail::FixedLineRoom + detail::OptionsRoom, nullptr);
  TLine Line(Room, FOptions.DecimalPlaces);
  const auto PutHead = [&](const auto& Options) {
    Line.Open("image");
    Line.Attr("x", static_cast<double>(Dest.Left) + Offset.X);
    Line.Attr("y", static_cast<double>(Dest.Top) + Offset.Y);
    Line.Attr("width", static_cast<double>(Dest.Right) - Dest.Left);
    Line.Attr("height", static_cast<double>(Dest.Bottom) - Dest.Top);
    Line.Attr("preserveAspectRatio", "none");
    const double Opacity = std::clamp(static_cast<double>(AOpacity), 0.0, 1.0);
    if (Opacity < 1) Line.Attr("opacity", Opacity);
    detail::PutTransform(Line, *FCanvas, Options);
    // Nearest pixels, said so that each renderer finds its own word: Chromium reads
    // optimizeSpeed as smooth but takes pixelated, and drops the later optimizeSpeed
    // declaration it does not know; resvg takes a style's last declaration whatever it
    // says, and knows only optimizeSpeed; the attribute serves renderers without style.
    if (HighSpeed) {
      Line.Attr("image-rendering", "optimizeSpeed");
      Line.Attr("style", "image-rendering:pixelated;image-rendering:optimizeSpeed");
    }
    Line.Attr("xmlns:xlink", "http://www.w3.org/1999/xlink");
    Line.Put(" xlink:href=\"data:image/png;base64,");
  };
  if (FPlain)
    PutHead(detail::TPlainSwitches{});
  else
    PutHead(FOptions);
  Write(Line.Text());
  FTornImage = true;
  const auto Whole = [](float Edge) { return static_cast<std::int32_t>(Edge); };
  detail::WritePngBase64(*FStream, ABitmap,
                         {Whole(Source.Left), Whole(Source.Top), Whole(Source.Right) - Whole(Source.Left),
                          Whole(Source.Bottom) - Whole(Source.Top)});
  Write(std::string_view("\"/>\n"));
  FTornImage = false;
}

// The torn line's data stops where the stream failed; a renderer shows a broken image.
void TSvgCanvas::CloseTornImage() {
  Write(std::string_view("\"/>\n"));
  FTornImage = false;
}

// ---------------------------------------------------------------------------
// Clipping
//
// The host keeps the clip; the document follows it lazily. FOpenClips holds the steps
// whose groups are open, a prefix of some chain of the host's. Before an element, the
// groups of steps no longer in the host's chain are closed and one group is opened for
// each step of the chain beyond them, so the nesting of groups intersects the clips as
// the host does. Each write is made before the state it records changes: a write that
// fails leaves the groups as the document has them, and the next element tries again.

void TSvgCanvas::IntersectClipRect(const TRectF& ARect) { FCanvas->IntersectClipRect(ARect); }
void TSvgCanvas::ExcludeClipRect(const TRectF& ARect) { FCanvas->ExcludeClipRect(ARect); }
void TSvgCanvas::IntersectClipPath(const TPathData& APath) { FCanvas->IntersectClipPath(APath); }

std::string TSvgCanvas::ClipGroupsEnd() const {
  std::string End;
  for (std::size_t Level = 0; Level < FOpenClips.size(); ++Level) End += "</g>\n";
  return End;
}

void TSvgCanvas::OpenClipGroups() {
  const TClip& Target = FCanvas->GetClip();
  // The deepest open step that the host's chain still holds.
  const TClipStep* Kept = Target.get();
  while (Kept != nullptr && (Kept->Depth > FOpenClips.size() || FOpenClips[Kept->Depth - 1].get() != Kept))
    Kept = Kept->Parent.get();
  const std::size_t KeptDepth = Kept != nullptr ? Kept->Depth : 0;
  while (FOpenClips.size() > KeptDepth) {
    Write(std::string_view("</g>\n"));
    FOpenClips.pop_back();
    FOpenClip = FOpenClips.empty() ? nullptr : FOpenClips.back().get();
  }
  std::vector<TClip> New;
  for (TClip Step = Target; Step && Step.get() != Kept; Step = Step->Parent) New.push_back(Step);
  for (auto Step = New.rbegin(); Step != New.rend(); ++Step) OpenClipGroup(*Step);
}

// The step's shape in the document's coordinates: offset, and transformed by the matrix
// it was set under, whatever the options (a clip is set under a matrix and then used by
// drawing under another, often the identity). An excluded rectangle is the even-odd region
// between a rectangle around the page and it, its corners mapped here so that the outer
// rectangle stays in the page's own coordinates.
void TSvgCanvas::OpenClipGroup(const TClip& Step) {
  const TClipStep& S = *Step;
  const TMatrix& Matrix = S.Matrix;
  const std::size_t Room = detail::FixedLineRoom + detail::OptionsRoom + detail::PathRoom(S.Path);
  detail::TLineRoom ShapeRoom(Room, nullptr);
  TLine Shape(ShapeRoom, FOptions.DecimalPlaces);
  if (S.Kind == TClipKind::IntersectRect) {
    detail::PutRectGeometry(Shape, S.Rect, S.Offset, detail::TNormalizing{});
    detail::PutMatrix(Shape, Matrix);
  } else if (S.Kind == TClipKind::IntersectPath) {
    Shape.Open("path");
    Shape.Attr("d", [&] {
      if (S.Path.IsEmpty()) Shape.Put("M 0 0");
      detail::PutPathData(Shape, S.Path, S.Offset);
    });
    if (S.Path.FillRule == TFillRule::EvenOdd) Shape.Attr("clip-rule", "evenodd");
    detail::PutMatrix(Shape, Matrix);
  } else {
    // The rectangle's corners, mapped, inside the canvas and the corners' bounds grown by
    // a unit: no renderer takes any part of the page as outside that outer rectangle.
    // In double, where no mapped corner of finite input overflows.
    const TRectF& R = S.Rect;
    const double Xs[] = {R.Left, R.Right, R.Right, R.Left}, Ys[] = {R.Top, R.Top, R.Bottom, R.Bottom};
    double Inner[8];
    double Left = -1, Top = -1, Right = FCanvas->GetWidth() + 1.0, Bottom = FCanvas->GetHeight() + 1.0;
    for (std::size_t Index = 0; Index < 4; ++Index) {
      const double X = Xs[Index] + S.Offset.X, Y = Ys[Index] + S.Offset.Y;
      Inner[2 * Index] = X * Matrix.m11 + Y * Matrix.m21 + Matrix.m31;
      Inner[2 * Index + 1] = X * Matrix.m12 + Y * Matrix.m22 + Matrix.m32;
      Left = std::min(Left, std::floor(Inner[2 * Index]) - 1);
      Top = std::min(Top, std::floor(Inner[2 * Index + 1]) - 1);
      Right = std::max(Right, std::ceil(Inner[2 * Index]) + 1);
      Bottom = std::max(Bottom, std::ceil(Inner[2 * Index + 1]) + 1);
    }
    const double Outer[] = {Left, Top, Right, Top, Right, Bottom, Left, Bottom};
    Shape.Open("path");
    Shape.Attr("d", [&] {
      for (const double* Ring : std::initializer_list<const double*>{Outer, Inner}) {
        for (std::size_t Index = 0; Index < 4; ++Index) {
          Shape.Put(Index != 0 ? " L " : Ring == Outer ? "M " : " M ");
          Shape.Put(Ring[2 * Index]);
          Shape.Put(' ');
          Shape.Put(Ring[2 * Index + 1]);
        }
        Shape.Put(" Z");
      }
    });
    Shape.Attr("clip-rule", "evenodd");
  }
  Shape.CloseEmpty();
  const std::string_view Content = Shape.Text();
  auto Found = FClipIds.find(std::string(Content));
  if (Found == FClipIds.end()) {
    const std::string Id = FIdPrefix + "c" + std::to_string(FLastId + 1);
    // The content ends in "/>\n": the definition is one line.
    Write("<clipPath id=\"" + Id + "\">" + std::string(Content.substr(0, Content.size() - 1)) + "</clipPath>\n");
    ++FLastId;
    Found = FClipIds.emplace(std::string(Content), Id).first;
  }
  Write("<g clip-path=\"url(#" + Found->second + ")\">\n");
  FOpenClips.push_back(Step);
  FOpenClip = Step.get();
}

// ---------------------------------------------------------------------------
// Text

void TSvgCanvas::FillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                          TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  FCanvas->FillText(ARect, AText, WordWrap, AOpacity, Flags, ATextAlign, AVTextAlign);
  // Text is always recorded: plainly at the rectangle's left and bottom edges, or, under
  // the options, as the host lays it out, one run a line on the host's baselines. A host
  // that lays out no lines (a null host measures none) gets the plain placing.
  TLineMetricInfo Lines;
  if (FOptions.TextLayout && !AText.empty())
    FCanvas->MeasureLines(Lines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
  const float Ascent = Lines.Metrics.empty() ? 0 : FCanvas->GetFontMetrics().Ascent;
  const std::size_t TextRoom = Lines.Metrics.empty() ? detail::EncodedRoom(AText) : LaidTextRoom(Lines, AText, Ascent);
  const TPointF Offset = FCanvas->GetOffset();
  const TFont& Font = GetFont();
  const std::size_t Extra =
      detail::EncodedRoom(Font.Family) + TextRoom + Lines.Metrics.size() * (2 * detail::MaxRealLength + 128);
  SyncClip();
  const std::string_view Paint = GradientRef(GetFill(), Offset);
  WriteElement(FStream, Extra + Paint.size(), FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    const bool Laid = Options.TextLayout && !Lines.Metrics.empty();
    const bool RightToLeft = Laid && Flags.Contains(TFillTextFlag::RightToLeft);
    Line.Open("text");
    if (!Laid) {
      Line.Attr("x", static_cast<double>(ARect.Left) + Offset.X);
      Line.Attr("y", static_cast<double>(ARect.Bottom) + Offset.Y);
    }
    Line.Attr("font-family", [&] { Line.PutText(Font.Family, detail::TTextEncoding::Xml); });
    Line.Attr("font-size", static_cast<double>(Font.Size));
    detail::PutTransform(Line, *FCanvas, Options);
    detail::PutFillTail(Line, AOpacity, GetFill(), Options, Paint);
    if (!Laid) {
      Line.Put('>');
      Line.PutText(AText, detail::TTextEncoding::Xml);
      Line.Put("</text>\n");
      return;
    }
    // Spaces as the host keeps them, each line on the host's baseline. Right-to-left
    // text is directed so, while each run keeps the stored order the host paints its
    // glyphs in (no neutral moves to the other end), centred on its line: renderers
    // disagree on which end a right-to-left run starts at, never on its middle. A
    // left-to-right line that holds right-to-left characters keeps its stored order
    // the same way; other lines need no markup.
    if (RightToLeft) {
      Line.Attr("direction", "rtl");
      Line.Attr("text-anchor", "middle");
    }
    Line.Attr("xml:space", "preserve");
    Line.Put('>');
    for (const TLineMetricInfo::TLineMetric& Run : Lines.Metrics) {
      if (Run.Length == 0 || Run.Index >= AText.size()) continue;
      Line.Open("tspan");
      Line.Attr("x",
                (RightToLeft ? (static_cast<double>(Run.Rect.Left) + Run.Rect.Right) / 2 : Run.Rect.Left) + Offset.X);
      Line.Attr("y", static_cast<double>(Run.Rect.Top) + Ascent + Offset.Y);
      const std::u16string_view Text = AText.substr(Run.Index, Run.Length);
      const bool Override = RightToLeft || HoldsRightToLeft(Text);
      if (Override) {
        Line.Attr("direction", "ltr");
        Line.Attr("unicode-bidi", "bidi-override");
      }
      Line.Put('>');
      // The override once more as characters, left-to-right override to pop
      // directional formatting, which resvg keeps where it ignores unicode-bidi.
      if (Override) Line.Put("&#x202D;");
      Line.PutText(Text, detail::TTextEncoding::Xml);
      if (Override) Line.Put("&#x202C;");
      Line.Put("</tspan>");
    }
    Line.Put("</text>\n");
  });
}

void TSvgCanvas::MeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags,
                             TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  FCanvas->MeasureText(ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
}

void TSvgCanvas::MeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                              TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  FCanvas->MeasureLines(ALines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
}

float TSvgCanvas::TextWidth(std::u16string_view AText) { return FCanvas->TextWidth(AText); }
float TSvgCanvas::TextHeight(std::u16string_view AText) { return FCanvas->TextHeight(AText); }

// ---------------------------------------------------------------------------
// Answered by the host canvas alone

void TSvgCanvas::Lock() { TCanvas::Lock(); }
void TSvgCanvas::Unlock() { TCanvas::Unlock(); }

void TSvgCanvas::SetSize(std::int32_t AWidth, std::int32_t AHeight) { FCanvas->SetSize(AWidth, AHeight); }

bool TSvgCanvas::BeginScene(PClipRects AClipRects, std::uintptr_t AContextHandle) {
  return FCanvas->BeginScene(AClipRects, AContextHandle);
}

void TSvgCanvas::EndScene() { FCanvas->EndScene(); }
void TSvgCanvas::Flush() { FCanvas->Flush(); }
TCanvasSaveState* TSvgCanvas::SaveState() { return FCanvas->SaveState(); }
void TSvgCanvas::RestoreState(const TCanvasSaveState* State) { FCanvas->RestoreState(State); }

std::int32_t TSvgCanvas::GetBeginSceneCount() const { return FCanvas->GetBeginSceneCount(); }
TCanvasQuality TSvgCanvas::GetQuality() const { return FCanvas->GetQuality(); }
TStrokeBrush& TSvgCanvas::GetStroke() const { return FCanvas->GetStroke(); }
TBrush& TSvgCanvas::GetFill() const { return FCanvas->GetFill(); }
void TSvgCanvas::SetFill(const TBrush& Value) { FCanvas->SetFill(Value); }
TFont& TSvgCanvas::GetFont() const { return FCanvas->GetFont(); }
std::int32_t TSvgCanvas::GetWidth() const { return FCanvas->GetWidth(); }
std::int32_t TSvgCanvas::GetHeight() const { return FCanvas->GetHeight(); }
TPointF TSvgCanvas::GetOffset() const { return FCanvas->GetOffset(); }
void TSvgCanvas::SetOffset(const TPointF& Value) { FCanvas->SetOffset(Value); }
std::int32_t TSvgCanvas::GetClippingChangeCount() const { return FCanvas->GetClippingChangeCount(); }
std::int32_t TSvgCanvas::GetSavingStateCount() const { return FCanvas->GetSavingStateCount(); }

// ---------------------------------------------------------------------------
// Pixel alignment

float TSvgCanvas::AlignToPixelHorizontally(float Value) const {
  return SnapToPixel(Value, FCanvas->GetScale(), FCanvas->GetMatrixMeaning(), FCanvas->GetMatrix().m31);
}

float TSvgCanvas::AlignToPixelVertically(float Value) const {
  return SnapToPixel(Value, FCanvas->GetScale(), FCanvas->GetMatrixMeaning(), FCanvas->GetMatrix().m32);
}

TPointF TSvgCanvas::AlignToPixel(const TPointF& Value) const {
  // One reading of the matrix kind serves both axes.
  const TMatrixMeaning Kind = FCanvas->GetMatrixMeaning();
  const float Scale = FCanvas->GetScale();
  const TMatrix& Matrix = FCanvas->GetMatrix();
  return {SnapToPixel(Value.X, Scale, Kind, Matrix.m31), SnapToPixel(Value.Y, Scale, Kind, Matrix.m32)};
}

// The top-left corner snaps through the host's own alignment; the size becomes a
// whole number of device pixels, whatever the matrix.
TRectF TSvgCanvas::AlignToPixel(const TRectF& Rect) const {
  const float Scale = FCanvas->GetScale();
  const float Left = FCanvas->AlignToPixelHorizontally(Rect.Left);
  const float Top = FCanvas->AlignToPixelVertically(Rect.Top);
  return {Left, Top, SnapSpanToPixels(Left, Rect.Width(), Scale, Rect.Right),
          SnapSpanToPixels(Top, Rect.Height(), Scale, Rect.Bottom)};
}

// ---------------------------------------------------------------------------
// Gradients
//
// Defined lazily, as clip paths are: just before the first element that paints with one,
// on a line of its own, keyed by its content (the gradient in the element's coordinates),
// so every later use of an equal gradient at the same place, by whatever brush, reuses
// the id, and the memory holds one entry per distinct definition. The id is kept only
// once the definition is written.

std::string_view TSvgCanvas::DefineGradient(const TGradient& Gradient, TPointF Offset) {
  detail::TLineRoom Room(detail::GradientRoom(Gradient), nullptr);
  TLine Body(Room, FOptions.DecimalPlaces);
  detail::PutGradientBody(Body, Gradient, Offset);
  std::string Content(Body.Text());
  auto Found = FGradientIds.find(Content);
  if (Found == FGradientIds.end()) {
    std::string Id = FIdPrefix + "g" + std::to_string(FLastGradientId + 1);
    const char* const Element = detail::IsWrittenLinear(Gradient) ? "linearGradient" : "radialGradient";
    Write("<defs><" + std::string(Element) + " id=\"" + Id + "\"" + Content + "</defs>\n");
    ++FLastGradientId;
    Found = FGradientIds.emplace(std::move(Content), std::move(Id)).first;
  }
  return Found->second;
}

}  // namespace fsvg
