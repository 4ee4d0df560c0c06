// The recording canvas: document lifecycle, the value writers, one function per
// drawing operation (forward to the host, decide visibility, write the element), and
// the calls that the host alone answers.
#include "fsvg/fsvgcanvas.h"

#include <array>
#include <charconv>
#include <cmath>
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
    FOwnedStream = std::make_unique<TFileStream>(FileName);
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
// Writers

void TSvgCanvas::Write(std::span<const std::uint8_t> Data) {
  if (FStream != nullptr && !Data.empty()) FStream->WriteBuffer(Data.data(), Data.size());
}

void TSvgCanvas::Write(std::string_view Text) {
  if (FStream != nullptr && !Text.empty()) FStream->WriteBuffer(Text.data(), Text.size());
}

namespace {

// Encodes Text into a stack buffer (or, when long, one heap block) and hands it to
// Emit as one block.
template <typename Emit>
void WithUtf8(std::u16string_view Text, detail::TTextEncoding Encoding, Emit&& Consume) {
  constexpr std::size_t StackSize = 512;
  std::array<std::uint8_t, StackSize> Small;
  // A UTF-16 unit becomes at most six bytes ("&quot;"), so a short text is encoded
  // straight into the stack buffer, in one pass, without measuring it first.
  if (Text.size() <= StackSize / 6) {
    const std::uint8_t* const End = detail::EncodeUtf8(Text, Encoding, Small.data());
    Consume(std::span<const std::uint8_t>(Small.data(), End));
    return;
  }
  const std::size_t Length = detail::Utf8Length(Text, Encoding);
  std::unique_ptr<std::uint8_t[]> Large;
  std::uint8_t* Buffer = Small.data();
  if (Length > StackSize) {
    Large = std::make_unique_for_overwrite<std::uint8_t[]>(Length);
    Buffer = Large.get();
  }
  detail::EncodeUtf8(Text, Encoding, Buffer);
  Consume(std::span<const std::uint8_t>(Buffer, Length));
}

}  // namespace

void TSvgCanvas::Write(std::u16string_view Text) {
  if (FStream == nullptr || Text.empty()) return;
  WithUtf8(Text, detail::TTextEncoding::Plain, [this](std::span<const std::uint8_t> Bytes) { Write(Bytes); });
}

void TSvgCanvas::WriteEscaped(std::u16string_view Text) {
  if (FStream == nullptr || Text.empty()) return;
  WithUtf8(Text, detail::TTextEncoding::Xml, [this](std::span<const std::uint8_t> Bytes) { Write(Bytes); });
}

void TSvgCanvas::Write(double Value) {
  char Text[detail::MaxRealLength];
  const std::size_t Length = detail::FormatReal(Value, FMaxDecimalPlaces, Text);
  Write(std::string_view(Text, Length));
}

void TSvgCanvas::Write(std::int32_t Value) {
  char Text[16];
  const auto Result = std::to_chars(Text, Text + sizeof Text, Value);
  Write(std::string_view(Text, static_cast<std::size_t>(Result.ptr - Text)));
}

void TSvgCanvas::WriteColor(TAlphaColor Color) {
  const auto Pair = [](TAlphaColor Byte) { return std::string_view(&HexPairs[2 * (Byte & 0xFF)], 2); };
  Write(std::string_view("#"));
  Write(Pair(Color >> 16));
  Write(Pair(Color >> 8));
  Write(Pair(Color));
}

// ---------------------------------------------------------------------------
// Visibility and shared element pieces

bool TSvgCanvas::IsBrushVisible(const TBrush& ABrush) { return ABrush.Kind != TBrushKind::None; }

bool TSvgCanvas::IsStrokeVisible(const TStrokeBrush& ABrush) {
  // Strictly positive: 0, negative and NaN thicknesses leave no mark.
  return ABrush.Kind != TBrushKind::None && static_cast<double>(ABrush.Thickness) > 0.0;
}

// Positions add the host's offset, read anew for every coordinate in case a host
// computes it.
void TSvgCanvas::WriteRectGeometry(const TRectF& ARect) {
  Write(std::string_view("<rect x=\""));
  Write(static_cast<double>(ARect.Left) + FCanvas->GetOffset().X);
  Write(std::string_view("\" y=\""));
  Write(static_cast<double>(ARect.Top) + FCanvas->GetOffset().Y);
  Write(std::string_view("\" width=\""));
  Write(static_cast<double>(ARect.Width()));
  Write(std::string_view("\" height=\""));
  Write(static_cast<double>(ARect.Height()));
}

// Both radii, unchanged, when either would round a corner: a y-radius alone counts
// only when some corner is to be rounded.
void TSvgCanvas::WriteRadii(float XRadius, float YRadius, TCorners ACorners) {
  if (IsZero(XRadius) && (IsZero(YRadius) || ACorners.IsEmpty())) return;
  Write(std::string_view("\" rx=\""));
  Write(static_cast<double>(XRadius));
  Write(std::string_view("\" ry=\""));
  Write(static_cast<double>(YRadius));
}

void TSvgCanvas::WriteFillTail(float AOpacity, const TBrush& ABrush) {
  Write(std::string_view("\" opacity=\""));
  Write(static_cast<double>(AOpacity));
  Write(std::string_view("\" fill=\""));
  WriteColor(ABrush.Color);
}

void TSvgCanvas::WriteStrokeTail(float AOpacity, const TStrokeBrush& ABrush) {
  Write(std::string_view("\" stroke-width=\""));
  Write(static_cast<double>(ABrush.Thickness));
  Write(std::string_view("\" stroke=\""));
  WriteColor(ABrush.Color);
  Write(std::string_view("\" opacity=\""));
  Write(static_cast<double>(AOpacity));
}

void TSvgCanvas::WritePoint(const TPointF& APoint) {
  Write(static_cast<double>(APoint.X) + FCanvas->GetOffset().X);
  Write(std::string_view(","));
  Write(static_cast<double>(APoint.Y) + FCanvas->GetOffset().Y);
}

void TSvgCanvas::WritePointList(const TPolygon& Points) {
  for (std::size_t Index = 0; Index < Points.size(); ++Index) {
    if (Index != 0) Write(std::string_view(" "));
    WritePoint(Points[Index]);
  }
}

// The path data of an arc: a move to the start point and elliptical-arc commands.
// Angles are turned into radians in single precision; the end angle is their sum in
// double. The arc ignores the host's offset. The flags follow the sweep: large-arc
// when the sweep, less whole turns, exceeds 180 degrees; sweep-flag for a positive
// sweep (reversed when exactly one radius is negative, which mirrors the ellipse). A
// sweep of a whole turn or more draws the whole ellipse as two half arcs through the
// point opposite the start, since an arc whose ends coincide draws nothing.
void TSvgCanvas::WriteArcPath(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle) {
  constexpr double DegreesToRadians = std::numbers::pi / 180;
  const double CX = Center.X, CY = Center.Y, RX = Radius.X, RY = Radius.Y;
  const float Start = static_cast<float>(StartAngle * DegreesToRadians);
  const float Sweep = static_cast<float>(SweepAngle * DegreesToRadians);
  const double End = static_cast<double>(Start) + Sweep;
  const auto WritePointAt = [&](double Angle) {
    Write(CX + RX * std::cos(Angle));
    Write(std::string_view(" "));
    Write(CY + RY * std::sin(Angle));
  };
  const auto WriteRadiiAndFlags = [&](std::string_view Flags) {
    Write(std::string_view(" A "));
    Write(RX);
    Write(std::string_view(" "));
    Write(RY);
    Write(Flags);
  };

  const double Degrees = std::fabs(static_cast<double>(SweepAngle));
  const bool Mirrored = (RX < 0) != (RY < 0);
  const bool Positive = (SweepAngle >= 0 || std::isnan(SweepAngle)) != Mirrored;

  Write(std::string_view("<path d=\"M "));
  WritePointAt(Start);
  if (Degrees >= 360) {
    const std::string_view Flags = Positive ? " 0 0 1 " : " 0 0 0 ";
    WriteRadiiAndFlags(Flags);
    WritePointAt(static_cast<double>(Start) + (SweepAngle >= 0 ? std::numbers::pi : -std::numbers::pi));
    WriteRadiiAndFlags(Flags);
    WritePointAt(Start);
    return;
  }
  const bool Large = Degrees > 180;
  WriteRadiiAndFlags(Large ? (Positive ? " 0 1 1 " : " 0 1 0 ") : (Positive ? " 0 0 1 " : " 0 0 0 "));
  WritePointAt(End);
}

// ---------------------------------------------------------------------------
// Rectangles and clearing

void TSvgCanvas::Clear(TAlphaColor Color) {
  FCanvas->Clear(Color);
  Write(std::string_view("<rect x=\""));
  Write(std::int32_t{0});
  Write(std::string_view("\" y=\""));
  Write(std::int32_t{0});
  Write(std::string_view("\" width=\""));
  Write(FCanvas->GetWidth());
  Write(std::string_view("\" height=\""));
  Write(FCanvas->GetHeight());
  Write(std::string_view("\" fill=\""));
  WriteColor(Color);
  Write(std::string_view("\"/>\n"));
}

void TSvgCanvas::ClearRect(const TRectF& ARect, TAlphaColor AColor) {
  FCanvas->ClearRect(ARect, AColor);
  WriteRectGeometry(ARect);
  Write(std::string_view("\" fill=\""));
  WriteColor(AColor);
  Write(std::string_view("\"/>\n"));
}

void TSvgCanvas::FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          TCornerType ACornerType) {
  FillRect(ARect, XRadius, YRadius, ACorners, AOpacity, GetFill(), ACornerType);
}

void TSvgCanvas::FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          const TBrush& ABrush, TCornerType ACornerType) {
  FCanvas->FillRect(ARect, XRadius, YRadius, ACorners, AOpacity, ABrush, ACornerType);
  if (!IsBrushVisible(ABrush)) return;
  WriteRectGeometry(ARect);
  WriteRadii(XRadius, YRadius, ACorners);
  WriteFillTail(AOpacity, ABrush);
  Write(std::string_view("\"/>\n"));
}

void TSvgCanvas::DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          TCornerType ACornerType) {
  DrawRect(ARect, XRadius, YRadius, ACorners, AOpacity, GetStroke(), ACornerType);
}

void TSvgCanvas::DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          const TStrokeBrush& ABrush, TCornerType ACornerType) {
  FCanvas->DrawRect(ARect, XRadius, YRadius, ACorners, AOpacity, ABrush, ACornerType);
  if (!IsStrokeVisible(ABrush)) return;
  WriteRectGeometry(ARect);
  WriteRadii(XRadius, YRadius, ACorners);
  WriteStrokeTail(AOpacity, ABrush);
  Write(std::string_view("\" fill=\"none"));
  Write(std::string_view("\"/>\n"));
}

// ---------------------------------------------------------------------------
// Lines

void TSvgCanvas::DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity) {
  DrawLine(APt1, APt2, AOpacity, GetStroke());
}

void TSvgCanvas::DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush) {
  FCanvas->DrawLine(APt1, APt2, AOpacity, ABrush);
  if (!IsStrokeVisible(ABrush)) return;
  Write(std::string_view("<line x1=\""));
  Write(static_cast<double>(APt1.X) + FCanvas->GetOffset().X);
  Write(std::string_view("\" y1=\""));
  Write(static_cast<double>(APt1.Y) + FCanvas->GetOffset().Y);
  Write(std::string_view("\" x2=\""));
  Write(static_cast<double>(APt2.X) + FCanvas->GetOffset().X);
  Write(std::string_view("\" y2=\""));
  Write(static_cast<double>(APt2.Y) + FCanvas->GetOffset().Y);
  WriteStrokeTail(AOpacity, ABrush);
  Write(std::string_view("\"/>\n"));
}

// ---------------------------------------------------------------------------
// Ellipses

void TSvgCanvas::FillEllipse(const TRectF& ARect, float AOpacity) { FillEllipse(ARect, AOpacity, GetFill()); }

void TSvgCanvas::FillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush) {
  FCanvas->FillEllipse(ARect, AOpacity, ABrush);
  if (!IsBrushVisible(ABrush)) return;
  WriteEllipseGeometry(ARect);
  WriteFillTail(AOpacity, ABrush);
  Write(std::string_view("\"/>\n"));
}

void TSvgCanvas::DrawEllipse(const TRectF& ARect, float AOpacity) { DrawEllipse(ARect, AOpacity, GetStroke()); }

void TSvgCanvas::DrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush) {
  FCanvas->DrawEllipse(ARect, AOpacity, ABrush);
  if (!IsStrokeVisible(ABrush)) return;
  WriteEllipseGeometry(ARect);
  WriteStrokeTail(AOpacity, ABrush);
  Write(std::string_view("\" fill=\"none"));
  Write(std::string_view("\"/>\n"));
}

void TSvgCanvas::WriteEllipseGeometry(const TRectF& ARect) {
  const TPointF Center = ARect.CenterPoint();
  Write(std::string_view("<ellipse cx=\""));
  Write(static_cast<double>(Center.X) + FCanvas->GetOffset().X);
  Write(std::string_view("\" cy=\""));
  Write(static_cast<double>(Center.Y) + FCanvas->GetOffset().Y);
  Write(std::string_view("\" rx=\""));
  Write(static_cast<double>(ARect.Width()) / 2.0);
  Write(std::string_view("\" ry=\""));
  Write(static_cast<double>(ARect.Height()) / 2.0);
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
  WriteArcPath(Center, Radius, StartAngle, SweepAngle);
  WriteFillTail(AOpacity, ABrush);
  Write(std::string_view("\"/>\n"));
}

void TSvgCanvas::DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity) {
  DrawArc(Center, Radius, StartAngle, SweepAngle, AOpacity, GetStroke());
}

void TSvgCanvas::DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity, const TStrokeBrush& ABrush) {
  FCanvas->DrawArc(Center, Radius, StartAngle, SweepAngle, AOpacity, ABrush);
  if (!IsStrokeVisible(ABrush)) return;
  WriteArcPath(Center, Radius, StartAngle, SweepAngle);
  WriteStrokeTail(AOpacity, ABrush);
  Write(std::string_view("\" fill=\"none"));
  Write(std::string_view("\"/>\n"));
}

// ---------------------------------------------------------------------------
// Polygons

void TSvgCanvas::FillPolygon(const TPolygon& Points, float AOpacity) {
  FCanvas->FillPolygon(Points, AOpacity);
  if (Points.size() < 2 || !IsBrushVisible(GetFill())) return;
  Write(std::string_view("<polygon points=\""));
  WritePointList(Points);
  WriteFillTail(AOpacity, GetFill());
  Write(std::string_view("\"/>\n"));
}

void TSvgCanvas::DrawPolygon(const TPolygon& Points, float AOpacity) {
  FCanvas->DrawPolygon(Points, AOpacity);
  if (Points.size() < 2 || !IsStrokeVisible(GetStroke())) return;
  Write(std::string_view("<polyline points=\""));
  WritePointList(Points);
  // The outline ends where it began.
  Write(std::string_view(" "));
  WritePoint(Points.front());
  WriteStrokeTail(AOpacity, GetStroke());
  Write(std::string_view("\" fill=\"none"));
  Write(std::string_view("\"/>\n"));
}

// ---------------------------------------------------------------------------
// Text

void TSvgCanvas::FillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                          TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  FCanvas->FillText(ARect, AText, WordWrap, AOpacity, Flags, ATextAlign, AVTextAlign);
  // Text is always recorded, at the rectangle's left and bottom edges.
  Write(std::string_view("<text x=\""));
  Write(static_cast<double>(ARect.Left) + FCanvas->GetOffset().X);
  Write(std::string_view("\" y=\""));
  Write(static_cast<double>(ARect.Bottom) + FCanvas->GetOffset().Y);
  Write(std::string_view("\" font-family=\""));
  WriteEscaped(GetFont().Family);
  Write(std::string_view("\" font-size=\""));
  Write(static_cast<double>(GetFont().Size));
  WriteFillTail(AOpacity, GetFill());
  Write(std::string_view("\">"));
  WriteEscaped(AText);
  Write(std::string_view("</text>\n"));
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
