// The state, scene, save-state and alignment logic that every host canvas shares.
#include "fsvg/hostcanvas.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <mutex>
#include <stdexcept>

namespace fsvg {

namespace {

std::recursive_mutex& CanvasLock() {
  static std::recursive_mutex Mutex;
  return Mutex;
}

// nearest(x) as a double, or nothing when x cannot be held in a signed 64-bit integer.
// Exact halves go to the even neighbour (the default floating-point rounding mode).
bool NearestInteger(double X, double& Result) {
  // 2^63 is exactly representable; anything at or beyond it, or NaN, is out of range.
  constexpr double Limit = 9223372036854775808.0;
  if (!(X > -Limit && X < Limit)) return false;
  Result = static_cast<double>(std::llrint(X));
  return true;
}

// Calls a host hook that may refuse a change just made; when it throws, Undo puts the
// previous values back before the error goes on to the caller.
template <typename THook, typename TUndo>
void CallOrUndo(THook&& Hook, TUndo&& Undo) {
  try {
    Hook();
  } catch (...) {
    Undo();
    throw;
  }
}

bool IsUsableScale(double Scale) { return Scale > 0 && std::isfinite(Scale); }

// Value as a float, or Fallback when Value lies beyond the float range (a conversion
// that would be undefined).
float NarrowOr(double Value, float Fallback) {
  return std::fabs(Value) <= std::numeric_limits<float>::max() ? static_cast<float>(Value) : Fallback;
}

// Dash patterns in multiples of the thickness, by TStrokeDash.
constexpr float Dash[] = {3, 1}, Dot[] = {1, 1}, DashDot[] = {3, 1, 1, 1}, DashDotDot[] = {3, 1, 1, 1, 1, 1};
constexpr std::span<const float> DashPatterns[] = {{}, Dash, Dot, DashDot, DashDotDot, {}};
static_assert(std::size(DashPatterns) == static_cast<std::size_t>(TStrokeDash::Custom) + 1);
constexpr std::string_view CapNames[] = {"butt", "round"};
static_assert(std::size(CapNames) == static_cast<std::size_t>(TStrokeCap::Round) + 1);
constexpr std::string_view JoinNames[] = {"miter", "round", "bevel"};
static_assert(std::size(JoinNames) == static_cast<std::size_t>(TStrokeJoin::Bevel) + 1);

// Distance of a quarter ellipse's control points from its ends, as a fraction of the radius.
constexpr double Kappa = 0.5522847498307936;

}  // namespace

std::span<const float> DashPattern(TStrokeDash Dash) { return DashPatterns[static_cast<std::size_t>(Dash)]; }
std::string_view CapName(TStrokeCap Cap) { return CapNames[static_cast<std::size_t>(Cap)]; }
std::string_view JoinName(TStrokeJoin Join) { return JoinNames[static_cast<std::size_t>(Join)]; }

std::size_t RectOutline(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, TCornerType ACornerType,
                        TRectOutline& Steps) {
  const double Left = std::min<double>(ARect.Left, ARect.Right), Right = std::max<double>(ARect.Left, ARect.Right);
  const double Top = std::min<double>(ARect.Top, ARect.Bottom), Bottom = std::max<double>(ARect.Top, ARect.Bottom);
  const double Rx = std::clamp<double>(XRadius, 0, (Right - Left) / 2);
  const double Ry = std::clamp<double>(YRadius, 0, (Bottom - Top) / 2);
  if (!(Rx > 0 && Ry > 0)) ACorners = {};
  // Each corner: its point, then the offsets from it to where the outline enters and
  // leaves the corner's cut.
  struct TCornerShape {
    TCorner Corner;
    double X, Y, InX, InY, OutX, OutY;
  };
  const TCornerShape Shapes[] = {
      {TCorner::TopLeft, Left, Top, 0, Ry, Rx, 0},
      {TCorner::TopRight, Right, Top, -Rx, 0, 0, Ry},
      {TCorner::BottomRight, Right, Bottom, 0, -Ry, -Rx, 0},
      {TCorner::BottomLeft, Left, Bottom, Rx, 0, 0, -Ry},
  };
  std::size_t Count = 0;
  const auto LineTo = [&](double X, double Y) { Steps[Count++] = {false, 0, 0, 0, 0, X, Y}; };
  for (const TCornerShape& S : Shapes) {
    if (!ACorners.Contains(S.Corner)) {
      LineTo(S.X, S.Y);
      continue;
    }
    const double OutX = S.X + S.OutX, OutY = S.Y + S.OutY;
    LineTo(S.X + S.InX, S.Y + S.InY);
    switch (ACornerType) {
      case TCornerType::Round:
        Steps[Count++] = {true,
                          S.X + S.InX * (1 - Kappa),
                          S.Y + S.InY * (1 - Kappa),
                          S.X + S.OutX * (1 - Kappa),
                          S.Y + S.OutY * (1 - Kappa),
                          OutX,
                          OutY};
        break;
      case TCornerType::Bevel:
        LineTo(OutX, OutY);
        break;
      case TCornerType::InnerRound:
        // A quarter ellipse centred on the corner point, bulging into the rectangle.
        Steps[Count++] = {true,
                          S.X + S.InX + S.OutX * Kappa,
                          S.Y + S.InY + S.OutY * Kappa,
                          S.X + S.OutX + S.InX * Kappa,
                          S.Y + S.OutY + S.InY * Kappa,
                          OutX,
                          OutY};
        break;
      case TCornerType::InnerLine:
        LineTo(S.X + S.InX + S.OutX, S.Y + S.InY + S.OutY);
        LineTo(OutX, OutY);
        break;
    }
  }
  return Count;
}

float SnapToPixel(float Value, float Scale, TMatrixMeaning Kind, float Translation) {
  const double V = Value;
  const double S = Scale;
  const double T = Kind == TMatrixMeaning::Translate ? static_cast<double>(Translation) : 0.0;
  if (Kind == TMatrixMeaning::Unknown || !IsUsableScale(S)) return Value;
  // The 0.0001 is added after scaling, so an exact half goes to the higher pixel.
  double Nearest;
  if (!NearestInteger((V + T) * S + 0.0001, Nearest)) return Value;
  return NarrowOr(Nearest / S - T, Value);
}

float SnapSpanToPixels(float Start, float Length, float Scale, float Fallback) {
  const double S = Scale;
  double Nearest;
  const double Rounded = IsUsableScale(S) && NearestInteger(static_cast<double>(Length) * S, Nearest)
                             ? Nearest / S
                             : static_cast<double>(Length);
  return NarrowOr(Start + Rounded, Fallback);
}

TCanvas::TCanvas(std::int32_t AWidth, std::int32_t AHeight, float AScale, TCanvasQuality AQuality)
    : FWidth(AWidth), FHeight(AHeight), FScale(AScale), FQuality(AQuality) {
  if (AWidth < 0 || AHeight < 0) throw std::invalid_argument("Canvas size must not be negative");
  if (!(AScale > 0) || !std::isfinite(AScale)) throw std::invalid_argument("Canvas scale must be positive");
}

TCanvas::~TCanvas() = default;

void TCanvas::Lock() { CanvasLock().lock(); }
void TCanvas::Unlock() { CanvasLock().unlock(); }

bool TCanvas::DoBeginScene(PClipRects, std::uintptr_t) { return true; }

bool TCanvas::BeginScene(PClipRects AClipRects, std::uintptr_t AContextHandle) {
  if (FBeginSceneCount == std::numeric_limits<std::int32_t>::max())
    throw std::overflow_error("BeginScene: 2147483647 scenes are open already, the most that can be counted");
  if (FBeginSceneCount == 0 && !DoBeginScene(AClipRects, AContextHandle)) return false;
  ++FBeginSceneCount;
  return true;
}

void TCanvas::EndScene() {
  if (FBeginSceneCount <= 0) throw std::logic_error("EndScene without a matching BeginScene");
  if (FBeginSceneCount == 1) DoEndScene();
  --FBeginSceneCount;
}

// A host that refuses the size (DoSetSize throws) keeps the previous one.
void TCanvas::SetSize(std::int32_t AWidth, std::int32_t AHeight) {
  if (AWidth < 0 || AHeight < 0) throw std::invalid_argument("Canvas size must not be negative");
  const std::int32_t PreviousWidth = FWidth, PreviousHeight = FHeight;
  FWidth = AWidth;
  FHeight = AHeight;
  CallOrUndo([this] { DoSetSize(); },
             [&] {
               FWidth = PreviousWidth;
               FHeight = PreviousHeight;
             });
}

std::unique_ptr<TCanvasSaveState> TCanvas::DoCreateSaveState() const { return std::make_unique<TCanvasSaveState>(); }

void TCanvas::DoSaveState(TCanvasSaveState& State) const {
  State.Fill = FFill;
  State.Stroke = FStroke;
  State.Font = FFont;
  State.Offset = FOffset;
  State.Matrix = FMatrix;
}

void TCanvas::DoRestoreState(const TCanvasSaveState& State) {
  // The matrix first: a host that refuses it leaves the whole state as it was.
  SetMatrix(State.Matrix);
  FFill = State.Fill;
  FStroke = State.Stroke;
  FFont = State.Font;
  FOffset = State.Offset;
}

TCanvasSaveState* TCanvas::SaveState() {
  std::unique_ptr<TCanvasSaveState> State = DoCreateSaveState();
  DoSaveState(*State);
  FSavedStates.push_back(std::move(State));
  return FSavedStates.back().get();
}

void TCanvas::RestoreState(const TCanvasSaveState* State) {
  auto Found = std::find_if(FSavedStates.begin(), FSavedStates.end(),
                            [State](const std::unique_ptr<TCanvasSaveState>& Saved) { return Saved.get() == State; });
  if (State == nullptr || Found == FSavedStates.end())
    throw std::invalid_argument("RestoreState: the state was not saved by this canvas, or was restored already");
  DoRestoreState(*State);
  // Released states stay allocated for a while, so that a state saved next cannot take
  // the address of one just restored, and a second restore of that one is caught.
  for (auto Released = Found; Released != FSavedStates.end(); ++Released) {
    if (FReleasedStates.size() == ReleasedStatesKept) FReleasedStates.pop_front();
    FReleasedStates.push_back(std::move(*Released));
  }
  FSavedStates.erase(Found, FSavedStates.end());
}

namespace {

TMatrixMeaning MeaningOf(const TMatrix& Value) {
  const bool Linear = Value.m11 == 1 && Value.m12 == 0 && Value.m13 == 0 && Value.m21 == 0 && Value.m22 == 1 &&
                      Value.m23 == 0 && Value.m33 == 1;
  if (!Linear) return TMatrixMeaning::Unknown;
  return Value.m31 == 0 && Value.m32 == 0 ? TMatrixMeaning::Identity : TMatrixMeaning::Translate;
}

}  // namespace

// A host that refuses the matrix (DoSetMatrix throws) leaves the previous one in force.
void TCanvas::SetMatrix(const TMatrix& Value) {
  const TMatrix Previous = FMatrix;
  const TMatrixMeaning PreviousMeaning = FMatrixMeaning;
  FMatrix = Value;
  FMatrixMeaning = MeaningOf(Value);
  CallOrUndo([this] { DoSetMatrix(); },
             [&] {
               FMatrix = Previous;
               FMatrixMeaning = PreviousMeaning;
             });
}

TTextMeasurer::~TTextMeasurer() = default;

void TTextMeasurer::StartLine() { FLine.clear(); }

double TTextMeasurer::AppendToLine(std::u16string_view Piece) {
  FLine += Piece;
  return RunWidth(FLine);
}

void LayoutText(TLineMetricInfo& ALines, TTextMeasurer& AMeasurer, float ALineHeight, const TRectF& ARect,
                std::u16string_view AText, bool WordWrap, TFillTextFlags Flags, TTextAlign ATextAlign,
                TTextAlign AVTextAlign) {
  for (const float Edge : {ARect.Left, ARect.Top, ARect.Right, ARect.Bottom})
    if (!std::isfinite(Edge)) throw std::invalid_argument("Text rectangle must be finite");
  const double Left = std::min<double>(ARect.Left, ARect.Right), Right = std::max<double>(ARect.Left, ARect.Right);
  const double Top = std::min<double>(ARect.Top, ARect.Bottom), Bottom = std::max<double>(ARect.Top, ARect.Bottom);
  // Each line's width waits in its Rect.Right until the lines are placed.
  std::vector<TLineMetricInfo::TLineMetric> Lines;
  const auto AddLine = [&](std::size_t Start, std::size_t End) {
    const double Width = Start == End ? 0 : AMeasurer.RunWidth(AText.substr(Start, End - Start));
    Lines.push_back({Start, End - Start, {0, 0, static_cast<float>(Width), 0}});
  };
  std::size_t ParagraphStart = 0;
  while (!AText.empty() && ParagraphStart <= AText.size()) {
    std::size_t ParagraphEnd = std::min(AText.find(u'\n', ParagraphStart), AText.size());
    const std::size_t Next = ParagraphEnd + 1;
    if (ParagraphEnd > ParagraphStart && AText[ParagraphEnd - 1] == u'\r') --ParagraphEnd;
    if (!WordWrap) {
      AddLine(ParagraphStart, ParagraphEnd);
    } else {
      // The measurer's line runs from LineStart to the end of the word just appended;
      // a line that grows too wide keeps the words before it, and the word starts the next.
      std::size_t LineStart = ParagraphStart, LineEnd = ParagraphStart, Pos = ParagraphStart;
      bool HasWord = false;
      AMeasurer.StartLine();
      while (Pos < ParagraphEnd) {
        std::size_t WordStart = Pos;
        while (WordStart < ParagraphEnd && AText[WordStart] == u' ') ++WordStart;
        if (WordStart == ParagraphEnd) break;
        std::size_t WordEnd = WordStart;
        while (WordEnd < ParagraphEnd && AText[WordEnd] != u' ') ++WordEnd;
        const double Longer = AMeasurer.AppendToLine(AText.substr(LineEnd, WordEnd - LineEnd));
        if (HasWord && Longer > Right - Left) {
          AddLine(LineStart, LineEnd);
          LineStart = WordStart;
          AMeasurer.StartLine();
          AMeasurer.AppendToLine(AText.substr(WordStart, WordEnd - WordStart));
        }
        LineEnd = WordEnd;
        HasWord = true;
        Pos = WordEnd;
      }
      AddLine(LineStart, HasWord ? LineEnd : LineStart);
    }
    if (Next > AText.size()) break;
    ParagraphStart = Next;
  }

  // Right-to-left text mirrors the horizontal alignment.
  TTextAlign Horizontal = ATextAlign;
  if (Flags.Contains(TFillTextFlag::RightToLeft) && Horizontal != TTextAlign::Center)
    Horizontal = Horizontal == TTextAlign::Leading ? TTextAlign::Trailing : TTextAlign::Leading;
  const double BlockHeight = Lines.size() * static_cast<double>(ALineHeight);
  double BlockTop = Top;
  if (AVTextAlign == TTextAlign::Center) BlockTop = (Top + Bottom - BlockHeight) / 2;
  if (AVTextAlign == TTextAlign::Trailing) BlockTop = Bottom - BlockHeight;
  for (std::size_t I = 0; I < Lines.size(); ++I) {
    TRectF& Rect = Lines[I].Rect;
    const double LineWidth = Rect.Right;
    double LineLeft = Left;
    if (Horizontal == TTextAlign::Center) LineLeft = (Left + Right - LineWidth) / 2;
    if (Horizontal == TTextAlign::Trailing) LineLeft = Right - LineWidth;
    Rect.Left = static_cast<float>(LineLeft);
    Rect.Right = static_cast<float>(LineLeft + LineWidth);
    Rect.Top = static_cast<float>(BlockTop + I * static_cast<double>(ALineHeight));
    Rect.Bottom = Rect.Top + ALineHeight;
  }
  ALines.Metrics = std::move(Lines);
}

std::unique_ptr<TTextMeasurer> TCanvas::DoCreateTextMeasurer() const { return nullptr; }

void TCanvas::DoMeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                             TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  const std::unique_ptr<TTextMeasurer> Measurer = DoCreateTextMeasurer();
  if (!Measurer) {
    ALines.Metrics.clear();
    return;
  }
  LayoutText(ALines, *Measurer, GetFontMetrics().LineHeight, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
}

void TCanvas::DoMeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags,
                            TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  TLineMetricInfo Lines;
  DoMeasureLines(Lines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
  if (Lines.Metrics.empty()) {
    ARect.Right = ARect.Left;
    ARect.Bottom = ARect.Top;
    return;
  }
  TRectF Bounds = Lines.Metrics.front().Rect;
  for (const TLineMetricInfo::TLineMetric& Line : Lines.Metrics) {
    Bounds.Left = std::min(Bounds.Left, Line.Rect.Left);
    Bounds.Right = std::max(Bounds.Right, Line.Rect.Right);
  }
  Bounds.Bottom = Lines.Metrics.back().Rect.Bottom;
  ARect = Bounds;
}

float TCanvas::DoTextWidth(std::u16string_view AText) {
  TLineMetricInfo Lines;
  DoMeasureLines(Lines, {}, AText, false, {}, TTextAlign::Leading, TTextAlign::Leading);
  float Widest = 0;
  for (const TLineMetricInfo::TLineMetric& Line : Lines.Metrics) Widest = std::max(Widest, Line.Rect.Width());
  return Widest;
}

float TCanvas::DoTextHeight(std::u16string_view AText) {
  TLineMetricInfo Lines;
  DoMeasureLines(Lines, {}, AText, false, {}, TTextAlign::Leading, TTextAlign::Leading);
  return static_cast<float>(std::max<std::size_t>(1, Lines.Metrics.size()) *
                            static_cast<double>(GetFontMetrics().LineHeight));
}

TFontMetrics TCanvas::DoGetFontMetrics() const {
  const float Size = GetFont().Size;
  return {0.8f * Size, 0.2f * Size, 1.2f * Size};
}

float TCanvas::AlignToPixelHorizontally(float Value) const {
  return SnapToPixel(Value, FScale, FMatrixMeaning, FMatrix.m31);
}

float TCanvas::AlignToPixelVertically(float Value) const {
  return SnapToPixel(Value, FScale, FMatrixMeaning, FMatrix.m32);
}

void TCanvas::Clear(TAlphaColor Color) { DoClear(Color); }
void TCanvas::ClearRect(const TRectF& ARect, TAlphaColor AColor) { DoClearRect(ARect, AColor); }

void TCanvas::FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                       const TBrush& ABrush, TCornerType ACornerType) {
  DoFillRect(ARect, XRadius, YRadius, ACorners, AOpacity, ABrush, ACornerType);
}

void TCanvas::DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                       const TStrokeBrush& ABrush, TCornerType ACornerType) {
  DoDrawRect(ARect, XRadius, YRadius, ACorners, AOpacity, ABrush, ACornerType);
}

void TCanvas::DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush) {
  DoDrawLine(APt1, APt2, AOpacity, ABrush);
}

void TCanvas::FillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush) {
  DoFillEllipse(ARect, AOpacity, ABrush);
}

void TCanvas::DrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush) {
  DoDrawEllipse(ARect, AOpacity, ABrush);
}

void TCanvas::FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
                      const TBrush& ABrush) {
  DoFillArc(Center, Radius, StartAngle, SweepAngle, AOpacity, ABrush);
}

void TCanvas::DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
                      const TStrokeBrush& ABrush) {
  DoDrawArc(Center, Radius, StartAngle, SweepAngle, AOpacity, ABrush);
}

void TCanvas::FillPolygon(const TPolygon& Points, float AOpacity) { DoFillPolygon(Points, AOpacity); }
void TCanvas::DrawPolygon(const TPolygon& Points, float AOpacity) { DoDrawPolygon(Points, AOpacity); }

void TCanvas::FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                       TCornerType ACornerType) {
  DoFillRect(ARect, XRadius, YRadius, ACorners, AOpacity, FFill, ACornerType);
}

void TCanvas::DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                       TCornerType ACornerType) {
  DoDrawRect(ARect, XRadius, YRadius, ACorners, AOpacity, FStroke, ACornerType);
}

void TCanvas::DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity) {
  DoDrawLine(APt1, APt2, AOpacity, FStroke);
}

void TCanvas::FillEllipse(const TRectF& ARect, float AOpacity) { DoFillEllipse(ARect, AOpacity, FFill); }
void TCanvas::DrawEllipse(const TRectF& ARect, float AOpacity) { DoDrawEllipse(ARect, AOpacity, FStroke); }

void TCanvas::FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                      float AOpacity) {
  DoFillArc(Center, Radius, StartAngle, SweepAngle, AOpacity, FFill);
}

void TCanvas::DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                      float AOpacity) {
  DoDrawArc(Center, Radius, StartAngle, SweepAngle, AOpacity, FStroke);
}

void TCanvas::FillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                       TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  DoFillText(ARect, AText, WordWrap, AOpacity, Flags, ATextAlign, AVTextAlign);
}

void TCanvas::MeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags,
                          TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  DoMeasureText(ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
}

void TCanvas::MeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                           TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  DoMeasureLines(ALines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
}

float TCanvas::TextWidth(std::u16string_view AText) { return DoTextWidth(AText); }
float TCanvas::TextHeight(std::u16string_view AText) { return DoTextHeight(AText); }

}  // namespace fsvg
