// The state, scene and save-state logic that every host canvas shares, and each drawing
// call's refusal of values that are not finite or that no host can paint (a stroke's
// dashes and miter limit, a font's weight), made before any host paints.
#include "fsvg/hostcanvas.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <mutex>
#include <string>
#include <string_view>

#include "hostchecks.h"

namespace fsvg {

using detail::RequireFinite;
using detail::RequireStrokable;
using detail::RequireUsable;
using detail::RequireWeight;

namespace {

std::recursive_mutex& CanvasLock() {
  static std::recursive_mutex Mutex;
  return Mutex;
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

}  // namespace

TCanvas::TCanvas(std::int32_t AWidth, std::int32_t AHeight, float AScale, TCanvasQuality AQuality)
    : FWidth(AWidth), FHeight(AHeight), FScale(AScale), FQuality(AQuality) {
  if (AWidth < 0 || AHeight < 0) throw EArgumentError("Canvas size must not be negative");
  if (!(AScale > 0) || !std::isfinite(AScale)) throw EArgumentError("Canvas scale must be positive");
}

TCanvas::~TCanvas() = default;

void TCanvas::Lock() { CanvasLock().lock(); }
void TCanvas::Unlock() { CanvasLock().unlock(); }

bool TCanvas::DoBeginScene(PClipRects, std::uintptr_t) { return true; }

bool TCanvas::BeginScene(PClipRects AClipRects, std::uintptr_t AContextHandle) {
  if (FBeginSceneCount == std::numeric_limits<std::int32_t>::max())
    throw EOverflowError("BeginScene: 2147483647 scenes are open already, the most that can be counted");
  if (FBeginSceneCount == 0 && !DoBeginScene(AClipRects, AContextHandle)) return false;
  ++FBeginSceneCount;
  return true;
}

void TCanvas::EndScene() {
  if (FBeginSceneCount <= 0) throw EMisuseError("EndScene without a matching BeginScene");
  if (FBeginSceneCount == 1) DoEndScene();
  --FBeginSceneCount;
}

// A host that refuses the size (DoSetSize throws) keeps the previous one.
void TCanvas::SetSize(std::int32_t AWidth, std::int32_t AHeight) {
  if (AWidth < 0 || AHeight < 0) throw EArgumentError("Canvas size must not be negative");
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
  State.Clip = FClip;
}

void TCanvas::DoRestoreState(const TCanvasSaveState& State) {
  // The matrix first: a host that refuses it leaves the whole state as it was.
  SetMatrix(State.Matrix);
  FFill = State.Fill;
  FStroke = State.Stroke;
  FFont = State.Font;
  FOffset = State.Offset;
  SetClip(State.Clip);
}

TCanvasSaveState* TCanvas::SaveState() {
  std::unique_ptr<TCanvasSaveState> State = DoCreateSaveState();
  DoSaveState(*State);
  FSavedStates.push_back(std::move(State));
  return FSavedStates.back().get();
}

// States are mostly restored innermost first, so the search runs from the newest: a
// restore then looks at no more states than it releases, and n of them take linear time.
void TCanvas::RestoreState(const TCanvasSaveState* State) {
  const auto Newest =
      std::find_if(FSavedStates.rbegin(), FSavedStates.rend(),
                   [State](const std::unique_ptr<TCanvasSaveState>& Saved) { return Saved.get() == State; });
  if (State == nullptr || Newest == FSavedStates.rend())
    throw EMisuseError("RestoreState: the state was not saved by this canvas, or was restored already");
  DoRestoreState(*State);
  // Released states stay allocated for a while, so that a state saved next cannot take
  // the address of one just restored, and a second restore of that one is caught.
  const auto Found = std::prev(Newest.base());
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
  RequireFinite({Value.m11, Value.m12, Value.m13, Value.m21, Value.m22, Value.m23, Value.m31, Value.m32, Value.m33},
                "SetMatrix: the matrix must be finite");
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

void TCanvas::SetOffset(const TPointF& Value) {
  RequireFinite(Value, "SetOffset: the offset must be finite");
  FOffset = Value;
}

// The layer is counted once the host has begun it, so a host that throws begins none.
void TCanvas::BeginLayer(float Opacity, TBlendMode Blend) {
  if (!(Opacity >= 0 && Opacity <= 1)) throw EArgumentError("BeginLayer: the opacity must be from 0 to 1");
  if (Blend < TBlendMode::Normal || Blend > TBlendMode::Difference)
    throw EArgumentError("BeginLayer: the blend mode is not one of TBlendMode's");
  FLayers.reserve(FLayers.size() + 1);
  DoBeginLayer(Opacity, Blend);
  FLayers.push_back({Opacity, Blend});
}

// The layer leaves the count even when the host fails to lay it down: its picture is
// gone either way, and the layers under it stay matched.
void TCanvas::EndLayer() {
  if (FLayers.empty()) throw EMisuseError("EndLayer without a matching BeginLayer");
  const TLayer Layer = FLayers.back();
  CallOrUndo([&] { DoEndLayer(Layer.Opacity, Layer.Blend); }, [this] { FLayers.pop_back(); });
  FLayers.pop_back();
}

float TCanvas::AlignToPixelHorizontally(float Value) const {
  return SnapToPixel(Value, FScale, FMatrixMeaning, FMatrix.m31);
}

float TCanvas::AlignToPixelVertically(float Value) const {
  return SnapToPixel(Value, FScale, FMatrixMeaning, FMatrix.m32);
}

// Every value is checked before the hook runs: a host paints nothing it is refused,
// and a recording, which calls the host first, writes nothing. The overloads without a
// brush go through those with one, so each call is checked in one place.
void TCanvas::Clear(TAlphaColor Color) { DoClear(Color); }

void TCanvas::ClearRect(const TRectF& ARect, TAlphaColor AColor) {
  RequireFinite(ARect, "ClearRect: the rectangle must be finite");
  DoClearRect(ARect, AColor);
}

void TCanvas::FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                       const TBrush& ABrush, TCornerType ACornerType) {
  RequireFinite(ARect, "FillRect: the rectangle must be finite");
  RequireFinite({XRadius, YRadius}, "FillRect: the radii must be finite");
  RequireFinite({AOpacity}, "FillRect: the opacity must be finite");
  DoFillRect(ARect, XRadius, YRadius, ACorners, AOpacity, ABrush, ACornerType);
}

void TCanvas::DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                       const TStrokeBrush& ABrush, TCornerType ACornerType) {
  RequireFinite(ARect, "DrawRect: the rectangle must be finite");
  RequireFinite({XRadius, YRadius}, "DrawRect: the radii must be finite");
  RequireFinite({AOpacity}, "DrawRect: the opacity must be finite");
  RequireStrokable(ABrush, "DrawRect");
  DoDrawRect(ARect, XRadius, YRadius, ACorners, AOpacity, ABrush, ACornerType);
}

void TCanvas::DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush) {
  RequireFinite({APt1.X, APt1.Y, APt2.X, APt2.Y}, "DrawLine: the end points must be finite");
  RequireFinite({AOpacity}, "DrawLine: the opacity must be finite");
  RequireStrokable(ABrush, "DrawLine");
  DoDrawLine(APt1, APt2, AOpacity, ABrush);
}

void TCanvas::FillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush) {
  RequireFinite(ARect, "FillEllipse: the rectangle must be finite");
  RequireFinite({AOpacity}, "FillEllipse: the opacity must be finite");
  DoFillEllipse(ARect, AOpacity, ABrush);
}

void TCanvas::DrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush) {
  RequireFinite(ARect, "DrawEllipse: the rectangle must be finite");
  RequireFinite({AOpacity}, "DrawEllipse: the opacity must be finite");
  RequireStrokable(ABrush, "DrawEllipse");
  DoDrawEllipse(ARect, AOpacity, ABrush);
}

void TCanvas::FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
                      const TBrush& ABrush) {
  RequireFinite(Center, "FillArc: the centre must be finite");
  RequireFinite(Radius, "FillArc: the radii must be finite");
  RequireFinite({StartAngle, SweepAngle}, "FillArc: the angles must be finite");
  RequireFinite({AOpacity}, "FillArc: the opacity must be finite");
  DoFillArc(Center, Radius, StartAngle, SweepAngle, AOpacity, ABrush);
}

void TCanvas::DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
                      const TStrokeBrush& ABrush) {
  RequireFinite(Center, "DrawArc: the centre must be finite");
  RequireFinite(Radius, "DrawArc: the radii must be finite");
  RequireFinite({StartAngle, SweepAngle}, "DrawArc: the angles must be finite");
  RequireFinite({AOpacity}, "DrawArc: the opacity must be finite");
  RequireStrokable(ABrush, "DrawArc");
  DoDrawArc(Center, Radius, StartAngle, SweepAngle, AOpacity, ABrush);
}

void TCanvas::FillPolygon(const TPolygon& Points, float AOpacity) {
  RequireFinite(Points, "FillPolygon: the points must be finite");
  RequireFinite({AOpacity}, "FillPolygon: the opacity must be finite");
  DoFillPolygon(Points, AOpacity);
}

void TCanvas::DrawPolygon(const TPolygon& Points, float AOpacity) {
  RequireFinite(Points, "DrawPolygon: the points must be finite");
  RequireFinite({AOpacity}, "DrawPolygon: the opacity must be finite");
  RequireStrokable(FStroke, "DrawPolygon");
  DoDrawPolygon(Points, AOpacity);
}

void TCanvas::FillPath(const TPathData& APath, float AOpacity, const TBrush& ABrush) {
  RequireUsable(APath, "FillPath");
  RequireFinite({AOpacity}, "FillPath: the opacity must be finite");
  if (!APath.IsEmpty()) DoFillPath(APath, AOpacity, ABrush);
}

void TCanvas::DrawPath(const TPathData& APath, float AOpacity, const TStrokeBrush& ABrush) {
  RequireUsable(APath, "DrawPath");
  RequireFinite({AOpacity}, "DrawPath: the opacity must be finite");
  RequireStrokable(ABrush, "DrawPath");
  if (!APath.IsEmpty()) DoDrawPath(APath, AOpacity, ABrush);
}

void TCanvas::FillPath(const TPathData& APath, float AOpacity) { FillPath(APath, AOpacity, FFill); }
void TCanvas::DrawPath(const TPathData& APath, float AOpacity) { DrawPath(APath, AOpacity, FStroke); }

void TCanvas::DrawBitmap(const TBitmap& ABitmap, const TRectF& Source, const TRectF& Dest, float AOpacity,
                         bool HighSpeed) {
  RequireFinite(Source, "DrawBitmap: the source rectangle must be finite");
  RequireFinite(Dest, "DrawBitmap: the destination rectangle must be finite");
  RequireFinite({AOpacity}, "DrawBitmap: the opacity must be finite");
  const auto Whole = [](float Edge) { return std::floor(Edge) == Edge; };
  if (!Whole(Source.Left) || !Whole(Source.Top) || !Whole(Source.Right) || !Whole(Source.Bottom))
    throw EArgumentError("DrawBitmap: the source rectangle's edges must be whole pixels");
  if (!(Source.Left >= 0 && Source.Top >= 0 && Source.Left < Source.Right && Source.Top < Source.Bottom &&
        static_cast<double>(Source.Right) <= ABitmap.GetWidth() &&
        static_cast<double>(Source.Bottom) <= ABitmap.GetHeight()))
    throw EArgumentError("DrawBitmap: the source rectangle must lie inside the bitmap and not be empty");
  if (Dest.Left < Dest.Right && Dest.Top < Dest.Bottom) DoDrawBitmap(ABitmap, Source, Dest, AOpacity, HighSpeed);
}

void TCanvas::FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                       TCornerType ACornerType) {
  FillRect(ARect, XRadius, YRadius, ACorners, AOpacity, FFill, ACornerType);
}

void TCanvas::DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                       TCornerType ACornerType) {
  DrawRect(ARect, XRadius, YRadius, ACorners, AOpacity, FStroke, ACornerType);
}

void TCanvas::DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity) {
  DrawLine(APt1, APt2, AOpacity, FStroke);
}

void TCanvas::FillEllipse(const TRectF& ARect, float AOpacity) { FillEllipse(ARect, AOpacity, FFill); }
void TCanvas::DrawEllipse(const TRectF& ARect, float AOpacity) { DrawEllipse(ARect, AOpacity, FStroke); }

void TCanvas::FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                      float AOpacity) {
  FillArc(Center, Radius, StartAngle, SweepAngle, AOpacity, FFill);
}

void TCanvas::DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                      float AOpacity) {
  DrawArc(Center, Radius, StartAngle, SweepAngle, AOpacity, FStroke);
}

void TCanvas::FillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                       TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  RequireFinite(ARect, "FillText: the rectangle must be finite");
  RequireFinite({AOpacity}, "FillText: the opacity must be finite");
  RequireFinite({FFont.Size}, "FillText: the font size must be finite");
  RequireWeight(FFont, "FillText");
  DoFillText(ARect, AText, WordWrap, AOpacity, Flags, ATextAlign, AVTextAlign);
}

void TCanvas::MeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags,
                          TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  RequireWeight(FFont, "MeasureText");
  DoMeasureText(ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
}

void TCanvas::MeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                           TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  RequireWeight(FFont, "MeasureLines");
  DoMeasureLines(ALines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
}

float TCanvas::TextWidth(std::u16string_view AText) {
  RequireWeight(FFont, "TextWidth");
  return DoTextWidth(AText);
}
float TCanvas::TextHeight(std::u16string_view AText) {
  RequireWeight(FFont, "TextHeight");
  return DoTextHeight(AText);
}

}  // namespace fsvg
