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
#include "svgnames.h"
#include "textencoding.h"

namespace fsvg {

namespace {

// The header up to the end of the root's opening tag, which the options may extend.
constexpr std::string_view HeaderStart =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
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

// Room for a line of fixed shape: the longest, a whole-turn arc, has fourteen numbers
// and well under 200 bytes of literals.
constexpr std::size_t FixedLineRoom = 16 * detail::MaxRealLength + 256;
// What the options may add to a line at most: a rectangle's outline as a path of up to
// 34 numbers, a transform of six, a dash pattern of six, two alphas, and their names.
constexpr std::size_t OptionsRoom = 48 * detail::MaxRealLength + 512;

// Whether any switch of O is on.
bool AnySwitch(const TSvgOptions& O) {
  return O.DocumentSize || O.Transforms || O.ArcOffset || O.CornerShapes || O.ColorAlpha || O.StrokeStyle ||
         O.TextLayout;
}

}  // namespace

void Check(bool Value, const char* Text) {
  if (!Value) throw ESvgError(Text);
}

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
      Options.StrokeStyle = Options.TextLayout = true;
  return Options;
}

TSvgCanvas::TSvgCanvas(TStream* Stream, TCanvas* Canvas) : TSvgCanvas(Stream, Canvas, TSvgOptions{}) {}

TSvgCanvas::TSvgCanvas(const std::filesystem::path& FileName, TCanvas* Canvas)
    : TSvgCanvas(FileName, Canvas, TSvgOptions{}) {}

TSvgCanvas::TSvgCanvas(TStream* Stream, TCanvas* Canvas, const TSvgOptions& Options)
    : FStream(Stream), FOptions(Options), FPlain(!AnySwitch(Options)) {
  Open(Canvas);
}

TSvgCanvas::TSvgCanvas(const std::filesystem::path& FileName, TCanvas* Canvas, const TSvgOptions& Options)
    : FOptions(Options), FPlain(!AnySwitch(Options)) {
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
  std::array<char, 4096> FSmall;
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

// A rectangle's outline as the host paints it, offset: a rect when no corner is cut,
// else a path of the outline's steps.
void PutRectOutline(TLine& Line, const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners,
                    TCornerType ACornerType, TPointF Offset) {
  TRectOutline Steps;
  const std::size_t Count = RectOutline(ARect, XRadius, YRadius, ACorners, ACornerType, Steps);
  if (Count == 4) {
    PutRectGeometry(Line, ARect, Offset);
    return;
  }
  const auto PutXY = [&](double X, double Y) {
    Line.Put(X + Offset.X);
    Line.Put(" ");
    Line.Put(Y + Offset.Y);
  };
  Line.Put("<path d=\"M ");
  PutXY(Steps[0].X, Steps[0].Y);
  for (std::size_t Index = 1; Index < Count; ++Index) {
    const TOutlineStep& S = Steps[Index];
    if (S.Curve) {
      Line.Put(" C ");
      PutXY(S.X1, S.Y1);
      Line.Put(" ");
      PutXY(S.X2, S.Y2);
      Line.Put(" ");
    } else {
      Line.Put(" L ");
    }
    PutXY(S.X, S.Y);
  }
  Line.Put(" Z");
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

// A colour's alpha as the Attribute's value, when the options record it and the
// colour is not opaque.
template <typename TSwitches>
[[gnu::always_inline]] inline void PutAlpha(TLine& Line, std::string_view Attribute, TAlphaColor Color,
                                            const TSwitches& Options) {
  if (!Options.ColorAlpha || Color >> 24 == 0xFF) return;
  Line.Put(Attribute);
  Line.Put(static_cast<double>(Color >> 24) / 255.0);
}

// A filled or outlined rectangle: the plain rect with its radius pair, or the host's
// own outline when the options ask for the corners' shapes.
template <typename TSwitches>
[[gnu::always_inline]] inline void PutRectShape(TLine& Line, const TRectF& ARect, float XRadius, float YRadius,
                                                TCorners ACorners, TCornerType ACornerType, TPointF Offset,
                                                const TSwitches& Options) {
  // Under the options a rectangle no corner of which is rounded (the usual one) skips
  // the outline, which would come out as the same plain rect.
  if (Options.CornerShapes && !ACorners.IsEmpty() && XRadius > 0 && YRadius > 0)
    return PutRectOutline(Line, ARect, XRadius, YRadius, ACorners, ACornerType, Offset);
  PutRectGeometry(Line, ARect, Offset);
  if (!Options.CornerShapes) PutRadii(Line, XRadius, YRadius, ACorners);
}

// A fill colour and, under the options, its alpha.
template <typename TSwitches>
[[gnu::always_inline]] inline void PutFillColor(TLine& Line, TAlphaColor Color, const TSwitches& Options) {
  Line.Put("\" fill=\"");
  Line.PutColor(Color);
  PutAlpha(Line, "\" fill-opacity=\"", Color, Options);
}

template <typename TSwitches>
[[gnu::always_inline]] inline void PutFillTail(TLine& Line, float AOpacity, const TBrush& ABrush,
                                               const TSwitches& Options) {
  Line.Put("\" opacity=\"");
  Line.Put(static_cast<double>(AOpacity));
  PutFillColor(Line, ABrush.Color, Options);
}

// Dash pattern, cap and join where they are not SVG's defaults.
void PutStrokeStyle(TLine& Line, const TStrokeBrush& ABrush) {
  const std::span<const float> Dashes = DashPattern(ABrush.Dash);
  for (std::size_t Index = 0; Index < Dashes.size(); ++Index) {
    Line.Put(Index == 0 ? std::string_view("\" stroke-dasharray=\"") : std::string_view(","));
    Line.Put(static_cast<double>(Dashes[Index]) * ABrush.Thickness);
  }
  if (ABrush.Cap != TStrokeCap::Flat) {
    Line.Put("\" stroke-linecap=\"");
    Line.Put(detail::CapName(ABrush.Cap));
  }
  if (ABrush.Join != TStrokeJoin::Miter) {
    Line.Put("\" stroke-linejoin=\"");
    Line.Put(detail::JoinName(ABrush.Join));
  }
}

template <typename TSwitches>
[[gnu::always_inline]] inline void PutStrokeTail(TLine& Line, float AOpacity, const TStrokeBrush& ABrush,
                                                 const TSwitches& Options) {
  Line.Put("\" stroke-width=\"");
  Line.Put(static_cast<double>(ABrush.Thickness));
  Line.Put("\" stroke=\"");
  Line.PutColor(ABrush.Color);
  PutAlpha(Line, "\" stroke-opacity=\"", ABrush.Color, Options);
  if (Options.StrokeStyle) PutStrokeStyle(Line, ABrush);
  Line.Put("\" opacity=\"");
  Line.Put(static_cast<double>(AOpacity));
}

// The host's matrix, when the options record it and it is not the identity. The host
// adds the offset first and then applies the matrix, as SVG applies a transform to the
// element's own coordinates, which carry the offset.
template <typename TSwitches>
[[gnu::always_inline]] inline void PutTransform(TLine& Line, const TCanvas& Canvas, const TSwitches& Options) {
  if (!Options.Transforms || Canvas.GetMatrixMeaning() == TMatrixMeaning::Identity) return;
  const TMatrix& M = Canvas.GetMatrix();
  Line.Put("\" transform=\"matrix(");
  Line.Put(static_cast<double>(M.m11));
  for (const float Entry : {M.m12, M.m21, M.m22, M.m31, M.m32}) {
    Line.Put(" ");
    Line.Put(static_cast<double>(Entry));
  }
  Line.Put(")");
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

// Room for a polygon's or polyline's points beyond a fixed-shape line: Extra points
// besides the polygon's own.
std::size_t PointListRoom(const TPolygon& Points, std::size_t Extra) {
  return (Points.size() + Extra) * (2 * detail::MaxRealLength + 2);
}

// The path data of an arc: a move to the start point and elliptical-arc commands.
// Angles are turned into radians in single precision; the end angle is their sum in
// double. The arc takes Offset, which is zero unless the options ask for the host's
// offset. The flags follow the sweep: large-arc
// when the sweep, less whole turns, exceeds 180 degrees; sweep-flag for a positive
// sweep (reversed when exactly one radius is negative, which mirrors the ellipse). A
// sweep of a whole turn or more draws the whole ellipse as two half arcs through the
// point opposite the start, since an arc whose ends coincide draws nothing.
[[gnu::always_inline]] inline void PutArcPath(TLine& Line, const TPointF& Center, const TPointF& Radius,
                                              float StartAngle, float SweepAngle, TPointF Offset) {
  constexpr double DegreesToRadians = std::numbers::pi / 180;
  const double CX = static_cast<double>(Center.X) + Offset.X, CY = static_cast<double>(Center.Y) + Offset.Y;
  const double RX = Radius.X, RY = Radius.Y;
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

// The switches an element reads, of a recording with every option off, known as such
// when the code is compiled: its elements are built without a single test of an option.
struct TPlainSwitches {
  static constexpr bool Transforms = false, CornerShapes = false, ColorAlpha = false, StrokeStyle = false,
                        TextLayout = false;
};

// An element line, built by Build(Line, Switches) in room for a fixed-shape line and
// Extra bytes: against TPlainSwitches when Plain, else against Options, which may add
// to any line.
template <typename Builder>
[[gnu::always_inline]] inline void WriteElement(TStream* Stream, std::size_t Extra, bool Plain,
                                                const TSvgOptions& Options, Builder&& Build) {
  if (Plain)
    WriteLine(Stream, FixedLineRoom + Extra, [&](TLine& Line) { Build(Line, TPlainSwitches{}); });
  else
    WriteLine(Stream, FixedLineRoom + OptionsRoom + Extra, [&](TLine& Line) { Build(Line, Options); });
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

// The XML declaration and the root's opening tag, with the document's size, title and
// description when the options ask for them; one write.
void TSvgCanvas::WriteHeader() {
  const std::size_t Room =
      FixedLineRoom + OptionsRoom + EncodedRoom(FOptions.Title) + EncodedRoom(FOptions.Description);
  WriteLine(FStream, Room, [&](TLine& Line) {
    Line.Put(HeaderStart);
    if (FOptions.DocumentSize) {
      const std::int32_t Width = FCanvas->GetWidth(), Height = FCanvas->GetHeight();
      Line.Put(" width=\"");
      Line.Put(Width);
      Line.Put("\" height=\"");
      Line.Put(Height);
      Line.Put("\" viewBox=\"0 0 ");
      Line.Put(Width);
      Line.Put(" ");
      Line.Put(Height);
      Line.Put("\"");
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

TPointF TSvgCanvas::ArcOffset() const { return FOptions.ArcOffset ? FCanvas->GetOffset() : TPointF{}; }

// ---------------------------------------------------------------------------
// Rectangles and clearing
//
// Each drawing call paints on the host first, then, when the paint leaves a mark,
// builds its element line and writes it in one piece: a failing stream leaves no part
// of an element behind.

void TSvgCanvas::Clear(TAlphaColor Color) {
  FCanvas->Clear(Color);
  WriteElement(FStream, 0, FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    Line.Put("<rect x=\"0\" y=\"0\" width=\"");
    Line.Put(FCanvas->GetWidth());
    Line.Put("\" height=\"");
    Line.Put(FCanvas->GetHeight());
    PutFillColor(Line, Color, Options);
    Line.Put("\"/>\n");
  });
}

void TSvgCanvas::ClearRect(const TRectF& ARect, TAlphaColor AColor) {
  FCanvas->ClearRect(ARect, AColor);
  WriteElement(FStream, 0, FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    PutRectGeometry(Line, ARect, FCanvas->GetOffset());
    PutTransform(Line, *FCanvas, Options);
    PutFillColor(Line, AColor, Options);
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
  WriteElement(FStream, 0, FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    PutRectShape(Line, ARect, XRadius, YRadius, ACorners, ACornerType, FCanvas->GetOffset(), Options);
    PutTransform(Line, *FCanvas, Options);
    PutFillTail(Line, AOpacity, ABrush, Options);
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
  WriteElement(FStream, 0, FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    PutRectShape(Line, ARect, XRadius, YRadius, ACorners, ACornerType, FCanvas->GetOffset(), Options);
    PutTransform(Line, *FCanvas, Options);
    PutStrokeTail(Line, AOpacity, ABrush, Options);
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
  WriteElement(FStream, 0, FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    Line.Put("<line x1=\"");
    Line.Put(static_cast<double>(APt1.X) + Offset.X);
    Line.Put("\" y1=\"");
    Line.Put(static_cast<double>(APt1.Y) + Offset.Y);
    Line.Put("\" x2=\"");
    Line.Put(static_cast<double>(APt2.X) + Offset.X);
    Line.Put("\" y2=\"");
    Line.Put(static_cast<double>(APt2.Y) + Offset.Y);
    PutTransform(Line, *FCanvas, Options);
    PutStrokeTail(Line, AOpacity, ABrush, Options);
    Line.Put("\"/>\n");
  });
}

// ---------------------------------------------------------------------------
// Ellipses

void TSvgCanvas::FillEllipse(const TRectF& ARect, float AOpacity) { FillEllipse(ARect, AOpacity, GetFill()); }

void TSvgCanvas::FillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush) {
  FCanvas->FillEllipse(ARect, AOpacity, ABrush);
  if (!IsBrushVisible(ABrush)) return;
  WriteElement(FStream, 0, FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    PutEllipseGeometry(Line, ARect, FCanvas->GetOffset());
    PutTransform(Line, *FCanvas, Options);
    PutFillTail(Line, AOpacity, ABrush, Options);
    Line.Put("\"/>\n");
  });
}

void TSvgCanvas::DrawEllipse(const TRectF& ARect, float AOpacity) { DrawEllipse(ARect, AOpacity, GetStroke()); }

void TSvgCanvas::DrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush) {
  FCanvas->DrawEllipse(ARect, AOpacity, ABrush);
  if (!IsStrokeVisible(ABrush)) return;
  WriteElement(FStream, 0, FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    PutEllipseGeometry(Line, ARect, FCanvas->GetOffset());
    PutTransform(Line, *FCanvas, Options);
    PutStrokeTail(Line, AOpacity, ABrush, Options);
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
  WriteElement(FStream, 0, FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    PutArcPath(Line, Center, Radius, StartAngle, SweepAngle, ArcOffset());
    PutTransform(Line, *FCanvas, Options);
    PutFillTail(Line, AOpacity, ABrush, Options);
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
  WriteElement(FStream, 0, FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    PutArcPath(Line, Center, Radius, StartAngle, SweepAngle, ArcOffset());
    PutTransform(Line, *FCanvas, Options);
    PutStrokeTail(Line, AOpacity, ABrush, Options);
    Line.Put("\" fill=\"none\"/>\n");
  });
}

// ---------------------------------------------------------------------------
// Polygons

void TSvgCanvas::FillPolygon(const TPolygon& Points, float AOpacity) {
  FCanvas->FillPolygon(Points, AOpacity);
  if (Points.size() < 2 || !IsBrushVisible(GetFill())) return;
  WriteElement(FStream, PointListRoom(Points, 0), FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    Line.Put("<polygon points=\"");
    PutPointList(Line, Points, FCanvas->GetOffset());
    PutTransform(Line, *FCanvas, Options);
    PutFillTail(Line, AOpacity, GetFill(), Options);
    Line.Put("\"/>\n");
  });
}

void TSvgCanvas::DrawPolygon(const TPolygon& Points, float AOpacity) {
  FCanvas->DrawPolygon(Points, AOpacity);
  if (Points.size() < 2 || !IsStrokeVisible(GetStroke())) return;
  const TPointF Offset = FCanvas->GetOffset();
  WriteElement(FStream, PointListRoom(Points, 1), FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    // The plain outline is a polyline that ends where it began, with no join there;
    // with the stroke's style recorded it is a closed polygon, joined at every vertex.
    if (Options.StrokeStyle)
      Line.Put("<polygon points=\"");
    else
      Line.Put("<polyline points=\"");
    PutPointList(Line, Points, Offset);
    if (!Options.StrokeStyle) {
      Line.Put(" ");
      PutPoint(Line, Points.front(), Offset);
    }
    PutTransform(Line, *FCanvas, Options);
    PutStrokeTail(Line, AOpacity, GetStroke(), Options);
    Line.Put("\" fill=\"none\"/>\n");
  });
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
  const TPointF Offset = FCanvas->GetOffset();
  const TFont& Font = GetFont();
  const std::size_t Extra =
      EncodedRoom(Font.Family) + EncodedRoom(AText) + Lines.Metrics.size() * (2 * detail::MaxRealLength + 80);
  WriteElement(FStream, Extra, FPlain, FOptions, [&](TLine& Line, const auto& Options) {
    const bool Laid = Options.TextLayout && !Lines.Metrics.empty();
    const bool RightToLeft = Laid && Flags.Contains(TFillTextFlag::RightToLeft);
    if (Laid) {
      Line.Put("<text font-family=\"");
    } else {
      Line.Put("<text x=\"");
      Line.Put(static_cast<double>(ARect.Left) + Offset.X);
      Line.Put("\" y=\"");
      Line.Put(static_cast<double>(ARect.Bottom) + Offset.Y);
      Line.Put("\" font-family=\"");
    }
    Line.PutText(Font.Family, detail::TTextEncoding::Xml);
    Line.Put("\" font-size=\"");
    Line.Put(static_cast<double>(Font.Size));
    PutTransform(Line, *FCanvas, Options);
    PutFillTail(Line, AOpacity, GetFill(), Options);
    if (!Laid) {
      Line.Put("\">");
      Line.PutText(AText, detail::TTextEncoding::Xml);
      Line.Put("</text>\n");
      return;
    }
    // Spaces as the host keeps them, each line on the host's baseline. Right-to-left
    // text is directed so, while each run keeps the stored order the host paints its
    // glyphs in (no neutral moves to the other end), centred on its line: renderers
    // disagree on which end a right-to-left run starts at, never on its middle.
    Line.Put(RightToLeft ? "\" direction=\"rtl\" text-anchor=\"middle\" xml:space=\"preserve\">"
                         : "\" xml:space=\"preserve\">");
    for (const TLineMetricInfo::TLineMetric& Run : Lines.Metrics) {
      if (Run.Length == 0 || Run.Index >= AText.size()) continue;
      Line.Put("<tspan x=\"");
      Line.Put((RightToLeft ? (static_cast<double>(Run.Rect.Left) + Run.Rect.Right) / 2 : Run.Rect.Left) + Offset.X);
      Line.Put("\" y=\"");
      Line.Put(static_cast<double>(Run.Rect.Top) + Ascent + Offset.Y);
      Line.Put(RightToLeft ? "\" direction=\"ltr\" unicode-bidi=\"bidi-override\">" : "\">");
      Line.PutText(AText.substr(Run.Index, Run.Length), detail::TTextEncoding::Xml);
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

}  // namespace fsvg
