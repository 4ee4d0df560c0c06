// The recording canvas: document lifecycle, the value writers, one function per
// drawing operation (forward to the host, decide visibility, write the element), and
// the calls that the host alone answers.
#include "fsvg/fsvgcanvas.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>

#include "numberformat.h"
#include "textencoding.h"

namespace fsvg {

namespace {

constexpr std::u16string_view Header =
    u"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\">\n";
constexpr std::string_view Footer = "</svg>";

// Two upper-case hexadecimal digits for every byte value.
constexpr std::array<char, 512> HexPairs = [] {
  constexpr char Digits[] = "0123456789ABCDEF";
  std::array<char, 512> Pairs{};
  for (std::size_t Byte = 0; Byte < 256; ++Byte) {
    Pairs[2 * Byte] = Digits[Byte >> 4];
    Pairs[2 * Byte + 1] = Digits[Byte & 15];
  }
  return Pairs;
}();

// A radius within this of zero counts as zero.
constexpr double RadiusTolerance = 1e-12;

bool IsZero(double Value) { return std::fabs(Value) <= RadiusTolerance; }

}  // namespace

void Check(bool Value, const char* Text) {
  if (!Value) throw ESvgError(Text);
}

// ---------------------------------------------------------------------------
// Lifecycle

TSvgCanvas::TSvgCanvas(TStream* Stream, TCanvas* Canvas) : FStream(Stream) { Open(Canvas); }

TSvgCanvas::TSvgCanvas(const std::filesystem::path& FileName, TCanvas* Canvas) {
  if (!FileName.empty()) {
    FOwnedStream = std::make_unique<TFileStream>(FileName, TFileBuffering::Reserved);
    FStream = FOwnedStream.get();
  }
  Open(Canvas);
}

// A constructor that throws runs no destructor, so the teardown happens here: the
// footer goes to the stream (the document was never opened) and an owned file closes.
void TSvgCanvas::Open(TCanvas* Canvas) {
  try {
    Check(Canvas != nullptr, "Canvas parameter is required");
    FCanvas = Canvas;
    WriteHeader();
  } catch (...) {
    WriteFooter();
    CloseOwnedStream();
    throw;
  }
}

TSvgCanvas::~TSvgCanvas() {
  WriteFooter();
  CloseOwnedStream();
}

void TSvgCanvas::WriteHeader() { Write(Header); }

void TSvgCanvas::WriteFooter() noexcept {
  try {
    Write(Footer);
  } catch (...) {
    // Destruction cannot fail; a caller that must know owns the stream and checks it.
  }
}

void TSvgCanvas::CloseOwnedStream() noexcept {
  if (!FOwnedStream) return;
  FStream = nullptr;
  try {
    FOwnedStream->Close();
  } catch (...) {
    // As for the footer: the file is closed whatever the outcome.
  }
  FOwnedStream.reset();
}

// ---------------------------------------------------------------------------
// Building a line

namespace {

// Room for one element line, or one value: in the stream's own buffer when it lends
// room (the line is then built where it is to stay, and not copied), else on the stack
// for every fixed-shape element and the usual polygon or text, and in one heap block
// beyond that. Write hands the line over: committed in place, or written whole.
class TLineRoom {
 public:
  TLineRoom(std::size_t Size, TStream* Stream) : FStream(Stream) {
    if (std::uint8_t* const Lent = Stream != nullptr ? Stream->AcquireBuffer(Size) : nullptr) {
      FStart = reinterpret_cast<char*>(Lent);
      FLent = true;
    } else if (Size > FSmall.size()) {
      FLarge = std::make_unique_for_overwrite<char[]>(Size);
      FStart = FLarge.get();
    }
  }
  TLineRoom(const TLineRoom&) = delete;
  TLineRoom& operator=(const TLineRoom&) = delete;

  char* Start() const { return FStart; }

  void Write(std::string_view Line) {
    if (FLent) {
      FStream->CommitBuffer(Line.size());
    } else if (FStream != nullptr && !Line.empty()) {
      FStream->WriteBuffer(Line.data(), Line.size());
    }
  }

 private:
  TStream* const FStream;
  bool FLent = false;
  std::array<char, 2048> FSmall;
  std::unique_ptr<char[]> FLarge;
  char* FStart = FSmall.data();
};

// A line is built at a cursor, into room made beforehand for the whole of it, so no
// piece checks for space. The cursor lives in this small object of its own, apart from
// the room, so that it stays in a register while the characters are stored; the line
// then reaches the stream in a single write.
class TLine {
 public:
  explicit TLine(const TLineRoom& Room) : FStart(Room.Start()), FEnd(Room.Start()) {}

  // The text built so far.
  std::string_view Text() const { return {FStart, static_cast<std::size_t>(FEnd - FStart)}; }

  // A literal: its length is known here, so the copy is a few moves.
  template <std::size_t N>
  void Put(const char (&Literal)[N]) {
    std::memcpy(FEnd, Literal, N - 1);
    FEnd += N - 1;
  }
  void Put(std::string_view Text) {
    std::memcpy(FEnd, Text.data(), Text.size());
    FEnd += Text.size();
  }
  void Put(double Value) { FEnd += detail::FormatReal(Value, TSvgCanvas::GetMaxDecimalPlaces(), FEnd); }
  void Put(std::int32_t Value) { FEnd = std::to_chars(FEnd, FEnd + MaxIntegerLength, Value).ptr; }
  void PutColor(TAlphaColor Color) {
    *FEnd = '#';
    std::memcpy(FEnd + 1, &HexPairs[2 * ((Color >> 16) & 0xFF)], 2);
    std::memcpy(FEnd + 3, &HexPairs[2 * ((Color >> 8) & 0xFF)], 2);
    std::memcpy(FEnd + 5, &HexPairs[2 * (Color & 0xFF)], 2);
    FEnd += ColorLength;
  }
  void PutText(std::u16string_view Text, detail::TTextEncoding Encoding) {
    auto* const End = detail::EncodeUtf8(Text, Encoding, reinterpret_cast<std::uint8_t*>(FEnd));
    FEnd = reinterpret_cast<char*>(End);
  }

  static constexpr std::size_t MaxIntegerLength = 11;  // "-2147483648"
  static constexpr std::size_t ColorLength = 7;        // "#RRGGBB"

 private:
  char* const FStart;
  char* FEnd;
};

// Room for a line of fixed shape: the longest, a whole-turn arc, has fourteen numbers
// and well under 200 bytes of literals.
constexpr std::size_t FixedLineRoom = 16 * detail::MaxRealLength + 256;

// Room for Text encoded: six bytes a unit at most ("&quot;"), or, for a long text,
// its exact length, so that a long text does not take six times its size.
std::size_t EncodedRoom(std::u16string_view Text) {
  constexpr std::size_t Bound = 6;
  return Text.size() <= 1024 ? Bound * Text.size() : detail::Utf8Length(Text, detail::TTextEncoding::Xml);
}

bool IsBrushVisible(const TBrush& ABrush) { return ABrush.Kind != TBrushKind::None; }

bool IsStrokeVisible(const TStrokeBrush& ABrush) {
  // Strictly positive: 0, negative and NaN thicknesses leave no mark.
  return ABrush.Kind != TBrushKind::None && static_cast<double>(ABrush.Thickness) > 0.0;
}

// Element pieces shared by several elements, always inlined: the line's cursor then
// stays in a register, where a call would put it in memory and reload it after every
// character stored. Positions add the host's offset, read once for the element.

[[gnu::always_inline]] inline void PutRectGeometry(TLine& Line, const TRectF& ARect, TPointF Offset) {
  Line.Put("<rect x=\"");
  Line.Put(static_cast<double>(ARect.Left) + Offset.X);
  Line.Put("\" y=\"");
  Line.Put(static_cast<double>(ARect.Top) + Offset.Y);
  Line.Put("\" width=\"");
  Line.Put(static_cast<double>(ARect.Width()));
  Line.Put("\" height=\"");
  Line.Put(static_cast<double>(ARect.Height()));
}

[[gnu::always_inline]] inline void PutEllipseGeometry(TLine& Line, const TRectF& ARect, TPointF Offset) {
  const TPointF Center = ARect.CenterPoint();
  Line.Put("<ellipse cx=\"");
  Line.Put(static_cast<double>(Center.X) + Offset.X);
  Line.Put("\" cy=\"");
  Line.Put(static_cast<double>(Center.Y) + Offset.Y);
  Line.Put("\" rx=\"");
  Line.Put(static_cast<double>(ARect.Width()) / 2.0);
  Line.Put("\" ry=\"");
  Line.Put(static_cast<double>(ARect.Height()) / 2.0);
}

// Both radii, unchanged, when either would round a corner: a y-radius alone counts
// only when some corner is to be rounded.
[[gnu::always_inline]] inline void PutRadii(TLine& Line, float XRadius, float YRadius, TCorners ACorners) {
  if (IsZero(XRadius) && (IsZero(YRadius) || ACorners.IsEmpty())) return;
  Line.Put("\" rx=\"");
  Line.Put(static_cast<double>(XRadius));
  Line.Put("\" ry=\"");
  Line.Put(static_cast<double>(YRadius));
}

[[gnu::always_inline]] inline void PutFillTail(TLine& Line, float AOpacity, const TBrush& ABrush) {
  Line.Put("\" opacity=\"");
  Line.Put(static_cast<double>(AOpacity));
  Line.Put("\" fill=\"");
  Line.PutColor(ABrush.Color);
}

[[gnu::always_inline]] inline void PutStrokeTail(TLine& Line, float AOpacity, const TStrokeBrush& ABrush) {
  Line.Put("\" stroke-width=\"");
  Line.Put(static_cast<double>(ABrush.Thickness));
  Line.Put("\" stroke=\"");
  Line.PutColor(ABrush.Color);
  Line.Put("\" opacity=\"");
  Line.Put(static_cast<double>(AOpacity));
}

[[gnu::always_inline]] inline void PutPoint(TLine& Line, const TPointF& APoint, TPointF Offset) {
  Line.Put(static_cast<double>(APoint.X) + Offset.X);
  Line.Put(",");
  Line.Put(static_cast<double>(APoint.Y) + Offset.Y);
}

[[gnu::always_inline]] inline void PutPointList(TLine& Line, const TPolygon& Points, TPointF Offset) {
  PutPoint(Line, Points.front(), Offset);
  for (std::size_t Index = 1; Index < Points.size(); ++Index) {
    Line.Put(" ");
    PutPoint(Line, Points[Index], Offset);
  }
}

// Room for a polygon's or polyline's line: Extra points besides the polygon's own.
std::size_t PointListRoom(const TPolygon& Points, std::size_t Extra) {
  return FixedLineRoom + (Points.size() + Extra) * (2 * detail::MaxRealLength + 2);
}

// The path data of an arc: a move to the start point and elliptical-arc commands.
// Angles are turned into radians in single precision; the end angle is their sum in
// double. The arc ignores the host's offset. The flags follow the sweep: large-arc
// when the sweep, less whole turns, exceeds 180 degrees; sweep-flag for a positive
// sweep (reversed when exactly one radius is negative, which mirrors the ellipse). A
// sweep of a whole turn or more draws the whole ellipse as two half arcs through the
// point opposite the start, since an arc whose ends coincide draws nothing.
[[gnu::always_inline]] inline void PutArcPath(TLine& Line, const TPointF& Center, const TPointF& Radius,
                                              float StartAngle, float SweepAngle) {
  constexpr double DegreesToRadians = std::numbers::pi / 180;
  const double CX = Center.X, CY = Center.Y, RX = Radius.X, RY = Radius.Y;
  const float Start = static_cast<float>(StartAngle * DegreesToRadians);
  const float Sweep = static_cast<float>(SweepAngle * DegreesToRadians);
  const double End = static_cast<double>(Start) + Sweep;
  const auto PutPointAt = [&](double Angle) {
    Line.Put(CX + RX * std::cos(Angle));
    Line.Put(" ");
    Line.Put(CY + RY * std::sin(Angle));
  };
  const auto PutRadiiAndFlags = [&](std::string_view Flags) {
    Line.Put(" A ");
    Line.Put(RX);
    Line.Put(" ");
    Line.Put(RY);
    Line.Put(Flags);
  };

  const double Degrees = std::fabs(static_cast<double>(SweepAngle));
  const bool Mirrored = (RX < 0) != (RY < 0);
  const bool Positive = (SweepAngle >= 0 || std::isnan(SweepAngle)) != Mirrored;

  Line.Put("<path d=\"M ");
  PutPointAt(Start);
  if (Degrees >= 360) {
    const std::string_view Flags = Positive ? " 0 0 1 " : " 0 0 0 ";
    PutRadiiAndFlags(Flags);
    PutPointAt(static_cast<double>(Start) + (SweepAngle >= 0 ? std::numbers::pi : -std::numbers::pi));
    PutRadiiAndFlags(Flags);
    PutPointAt(Start);
    return;
  }
  const bool Large = Degrees > 180;
  PutRadiiAndFlags(Large ? (Positive ? " 0 1 1 " : " 0 1 0 ") : (Positive ? " 0 0 1 " : " 0 0 0 "));
  PutPointAt(End);
}

}  // namespace

// ---------------------------------------------------------------------------
// Writers

void TSvgCanvas::Write(std::span<const std::uint8_t> Data) {
  if (FStream != nullptr && !Data.empty()) FStream->WriteBuffer(Data.data(), Data.size());
}

void TSvgCanvas::Write(std::string_view Text) {
  if (FStream != nullptr && !Text.empty()) FStream->WriteBuffer(Text.data(), Text.size());
}

namespace {

// One element line, or a value written on its own: built by Build in room for Size
// bytes and handed to the stream in one piece.
template <typename Builder>
[[gnu::always_inline]] inline void WriteLine(TStream* Stream, std::size_t Size, Builder&& Build) {
  TLineRoom Room(Size, Stream);
  TLine Line(Room);
  Build(Line);
  Room.Write(Line.Text());
}

}  // namespace

void TSvgCanvas::Write(std::u16string_view Text) {
  WriteLine(FStream, EncodedRoom(Text), [&](TLine& Line) { Line.PutText(Text, detail::TTextEncoding::Plain); });
}

void TSvgCanvas::WriteEscaped(std::u16string_view Text) {
  WriteLine(FStream, EncodedRoom(Text), [&](TLine& Line) { Line.PutText(Text, detail::TTextEncoding::Xml); });
}

void TSvgCanvas::Write(double Value) {
  WriteLine(FStream, detail::MaxRealLength, [&](TLine& Line) { Line.Put(Value); });
}

void TSvgCanvas::Write(std::int32_t Value) {
  WriteLine(FStream, TLine::MaxIntegerLength, [&](TLine& Line) { Line.Put(Value); });
}

void TSvgCanvas::WriteColor(TAlphaColor Color) {
  WriteLine(FStream, TLine::ColorLength, [&](TLine& Line) { Line.PutColor(Color); });
}

// ---------------------------------------------------------------------------
// Rectangles and clearing
//
// Each drawing call paints on the host first, then, when the paint leaves a mark,
// builds its element line and writes it in one piece: a failing stream leaves no part
// of an element behind.

void TSvgCanvas::Clear(TAlphaColor Color) {
  FCanvas->Clear(Color);
  WriteLine(FStream, FixedLineRoom, [&](TLine& Line) {
    Line.Put("<rect x=\"0\" y=\"0\" width=\"");
    Line.Put(FCanvas->GetWidth());
    Line.Put("\" height=\"");
    Line.Put(FCanvas->GetHeight());
    Line.Put("\" fill=\"");
    Line.PutColor(Color);
    Line.Put("\"/>\n");
  });
}

void TSvgCanvas::ClearRect(const TRectF& ARect, TAlphaColor AColor) {
  FCanvas->ClearRect(ARect, AColor);
  WriteLine(FStream, FixedLineRoom, [&](TLine& Line) {
    PutRectGeometry(Line, ARect, FCanvas->GetOffset());
    Line.Put("\" fill=\"");
    Line.PutColor(AColor);
    Line.Put("\"/>\n");
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
  WriteLine(FStream, FixedLineRoom, [&](TLine& Line) {
    PutRectGeometry(Line, ARect, FCanvas->GetOffset());
    PutRadii(Line, XRadius, YRadius, ACorners);
    PutFillTail(Line, AOpacity, ABrush);
    Line.Put("\"/>\n");
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
  WriteLine(FStream, FixedLineRoom, [&](TLine& Line) {
    PutRectGeometry(Line, ARect, FCanvas->GetOffset());
    PutRadii(Line, XRadius, YRadius, ACorners);
    PutStrokeTail(Line, AOpacity, ABrush);
    Line.Put("\" fill=\"none\"/>\n");
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
  WriteLine(FStream, FixedLineRoom, [&](TLine& Line) {
    Line.Put("<line x1=\"");
    Line.Put(static_cast<double>(APt1.X) + Offset.X);
    Line.Put("\" y1=\"");
    Line.Put(static_cast<double>(APt1.Y) + Offset.Y);
    Line.Put("\" x2=\"");
    Line.Put(static_cast<double>(APt2.X) + Offset.X);
    Line.Put("\" y2=\"");
    Line.Put(static_cast<double>(APt2.Y) + Offset.Y);
    PutStrokeTail(Line, AOpacity, ABrush);
    Line.Put("\"/>\n");
  });
}

// ---------------------------------------------------------------------------
// Ellipses

void TSvgCanvas::FillEllipse(const TRectF& ARect, float AOpacity) { FillEllipse(ARect, AOpacity, GetFill()); }

void TSvgCanvas::FillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush) {
  FCanvas->FillEllipse(ARect, AOpacity, ABrush);
  if (!IsBrushVisible(ABrush)) return;
  WriteLine(FStream, FixedLineRoom, [&](TLine& Line) {
    PutEllipseGeometry(Line, ARect, FCanvas->GetOffset());
    PutFillTail(Line, AOpacity, ABrush);
    Line.Put("\"/>\n");
  });
}

void TSvgCanvas::DrawEllipse(const TRectF& ARect, float AOpacity) { DrawEllipse(ARect, AOpacity, GetStroke()); }

void TSvgCanvas::DrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush) {
  FCanvas->DrawEllipse(ARect, AOpacity, ABrush);
  if (!IsStrokeVisible(ABrush)) return;
  WriteLine(FStream, FixedLineRoom, [&](TLine& Line) {
    PutEllipseGeometry(Line, ARect, FCanvas->GetOffset());
    PutStrokeTail(Line, AOpacity, ABrush);
    Line.Put("\" fill=\"none\"/>\n");
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
  WriteLine(FStream, FixedLineRoom, [&](TLine& Line) {
    PutArcPath(Line, Center, Radius, StartAngle, SweepAngle);
    PutFillTail(Line, AOpacity, ABrush);
    Line.Put("\"/>\n");
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
  WriteLine(FStream, FixedLineRoom, [&](TLine& Line) {
    PutArcPath(Line, Center, Radius, StartAngle, SweepAngle);
    PutStrokeTail(Line, AOpacity, ABrush);
    Line.Put("\" fill=\"none\"/>\n");
  });
}

// ---------------------------------------------------------------------------
// Polygons

void TSvgCanvas::FillPolygon(const TPolygon& Points, float AOpacity) {
  FCanvas->FillPolygon(Points, AOpacity);
  if (Points.size() < 2 || !IsBrushVisible(GetFill())) return;
  WriteLine(FStream, PointListRoom(Points, 0), [&](TLine& Line) {
    Line.Put("<polygon points=\"");
    PutPointList(Line, Points, FCanvas->GetOffset());
    PutFillTail(Line, AOpacity, GetFill());
    Line.Put("\"/>\n");
  });
}

void TSvgCanvas::DrawPolygon(const TPolygon& Points, float AOpacity) {
  FCanvas->DrawPolygon(Points, AOpacity);
  if (Points.size() < 2 || !IsStrokeVisible(GetStroke())) return;
  const TPointF Offset = FCanvas->GetOffset();
  WriteLine(FStream, PointListRoom(Points, 1), [&](TLine& Line) {
    Line.Put("<polyline points=\"");
    PutPointList(Line, Points, Offset);
    // The outline ends where it began.
    Line.Put(" ");
    PutPoint(Line, Points.front(), Offset);
    PutStrokeTail(Line, AOpacity, GetStroke());
    Line.Put("\" fill=\"none\"/>\n");
  });
}

// ---------------------------------------------------------------------------
// Text

void TSvgCanvas::FillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                          TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  FCanvas->FillText(ARect, AText, WordWrap, AOpacity, Flags, ATextAlign, AVTextAlign);
  // Text is always recorded, at the rectangle's left and bottom edges.
  const TPointF Offset = FCanvas->GetOffset();
  const TFont& Font = GetFont();
  WriteLine(FStream, FixedLineRoom + EncodedRoom(Font.Family) + EncodedRoom(AText), [&](TLine& Line) {
    Line.Put("<text x=\"");
    Line.Put(static_cast<double>(ARect.Left) + Offset.X);
    Line.Put("\" y=\"");
    Line.Put(static_cast<double>(ARect.Bottom) + Offset.Y);
    Line.Put("\" font-family=\"");
    Line.PutText(Font.Family, detail::TTextEncoding::Xml);
    Line.Put("\" font-size=\"");
    Line.Put(static_cast<double>(Font.Size));
    PutFillTail(Line, AOpacity, GetFill());
    Line.Put("\">");
    Line.PutText(AText, detail::TTextEncoding::Xml);
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

}  // namespace fsvg
