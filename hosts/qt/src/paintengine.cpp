// The paint engine: QPainter's state becomes canvas state (the transform the matrix, the
// clip the clip chain, the opacity a factor on every call, a blending composition mode a
// layer around each operation) and each operation the canvas call that paints the same
// shape. Pens and brushes the canvas can paint become its paint (textures from the origin
// its bitmap brushes); the rest (textures placed otherwise, patterns, conical gradients)
// is painted by Qt into a picture of the shape, which the canvas then draws.
#include "paintengine.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPixmap>
#include <QTextItem>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace fsvg::detail {
namespace {

TPointF ToPoint(const QPointF& P) { return {static_cast<float>(P.x()), static_cast<float>(P.y())}; }

TRectF ToRect(const QRectF& R) {
  return {static_cast<float>(R.left()), static_cast<float>(R.top()), static_cast<float>(R.right()),
          static_cast<float>(R.bottom())};
}

TAlphaColor ToColor(const QColor& C) { return C.rgba(); }

// The blend mode of a composition mode the canvas blends by; source-over for the rest.
TBlendMode ToBlend(QPainter::CompositionMode Mode) {
  switch (Mode) {
    case QPainter::CompositionMode_Multiply:
      return TBlendMode::Multiply;
    case QPainter::CompositionMode_Screen:
      return TBlendMode::Screen;
    case QPainter::CompositionMode_Overlay:
      return TBlendMode::Overlay;
    case QPainter::CompositionMode_Darken:
      return TBlendMode::Darken;
    case QPainter::CompositionMode_Lighten:
      return TBlendMode::Lighten;
    case QPainter::CompositionMode_Difference:
      return TBlendMode::Difference;
    default:
      return TBlendMode::Normal;
  }
}

bool HasCurves(const QPainterPath& Shape) {
  for (int I = 0; I < Shape.elementCount(); ++I)
    if (Shape.elementAt(I).isCurveTo()) return true;
  return false;
}

// Qt closes a subpath by a line back to its start; the canvas gets an explicit close
// instead of that line (after two steps or more), so that the stroke joins there instead
// of capping both ends.
TPathData ToPath(const QPainterPath& Path) {
  TPathData Result;
  Result.FillRule = Path.fillRule() == Qt::OddEvenFill ? TFillRule::EvenOdd : TFillRule::NonZero;
  QPointF Start;
  int Steps = 0;
  for (int I = 0; I < Path.elementCount(); ++I) {
    const QPainterPath::Element E = Path.elementAt(I);
    if (E.isMoveTo()) {
      Result.MoveTo(ToPoint(E));
      Start = E;
      Steps = 0;
      continue;
    }
    const bool Last = I + 1 == Path.elementCount() || Path.elementAt(I + 1).isMoveTo();
    if (E.isLineTo()) {
      if (!(Last && Steps > 1 && QPointF(E) == Start)) Result.LineTo(ToPoint(E));
    } else if (I + 2 < Path.elementCount()) {
      Result.CurveTo(ToPoint(E), ToPoint(Path.elementAt(I + 1)), ToPoint(Path.elementAt(I + 2)));
      I += 2;
    }
    ++Steps;
    const QPointF End = Path.elementAt(I);
    const bool SubpathEnds = I + 1 == Path.elementCount() || Path.elementAt(I + 1).isMoveTo();
    if (SubpathEnds && Steps > 1 && End == Start) Result.ClosePath();
  }
  return Result;
}

TGradientSpread ToSpread(QGradient::Spread Spread) {
  switch (Spread) {
    case QGradient::ReflectSpread:
      return TGradientSpread::Reflect;
    case QGradient::RepeatSpread:
      return TGradientSpread::Repeat;
    default:
      return TGradientSpread::Pad;
  }
}

// Gradient coordinates mapped by Map into the painter's: a linear gradient's isolines
// stay parallel under an affine map, so its end is placed along their new normal; a
// radial one keeps its shape under rotation and uniform scale only, and gets the mean
// scale otherwise.
std::shared_ptr<const TGradient> ToGradient(const QGradient& G, const QTransform& Map) {
  std::vector<TGradientStop> Stops;
  for (const auto& [Offset, Color] : G.stops()) Stops.push_back({static_cast<float>(Offset), ToColor(Color)});
  if (Stops.empty()) return nullptr;
  const double Det = Map.determinant();
  if (!std::isfinite(Det) || Det == 0) return nullptr;
  if (G.type() == QGradient::LinearGradient) {
    const auto& L = static_cast<const QLinearGradient&>(G);
    const QPointF V = L.finalStop() - L.start();
    const QPointF W((Map.m22() * V.x() - Map.m12() * V.y()) / Det, (-Map.m21() * V.x() + Map.m11() * V.y()) / Det);
    const double WW = QPointF::dotProduct(W, W);
    if (WW == 0) return nullptr;
    const QPointF Start = Map.map(L.start());
    const QPointF End = Start + W * (QPointF::dotProduct(V, V) / WW);
    return TGradient::Linear(ToPoint(Start), ToPoint(End), std::move(Stops), ToSpread(G.spread()));
  }
  const auto& R = static_cast<const QRadialGradient&>(G);
  const double Radius = R.centerRadius() * std::sqrt(std::abs(Det));
  if (!(Radius > 0)) return nullptr;
  return TGradient::Radial(ToPoint(Map.map(R.center())), static_cast<float>(Radius), ToPoint(Map.map(R.focalPoint())),
                           std::move(Stops), ToSpread(G.spread()));
}

TBitmap ToBitmap(const QImage& Image) {
  const QImage Argb = Image.convertToFormat(QImage::Format_ARGB32);
  std::vector<TAlphaColor> Pixels(static_cast<std::size_t>(Argb.width()) * Argb.height());
  for (int Y = 0; Y < Argb.height(); ++Y) {
    const auto* Row = reinterpret_cast<const TAlphaColor*>(Argb.constScanLine(Y));
    std::copy(Row, Row + Argb.width(), Pixels.begin() + static_cast<std::ptrdiff_t>(Y) * Argb.width());
  }
  return TBitmap(Argb.width(), Argb.height(), std::move(Pixels));
}

// A one-bit pixmap paints its set pixels in the pen's colour and leaves the rest.
QImage ToImage(const QPixmap& Pixmap, const QColor& PenColor) {
  if (Pixmap.depth() != 1) return Pixmap.toImage();
  QImage Image = Pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int Y = 0; Y < Image.height(); ++Y) {
    auto* Row = reinterpret_cast<QRgb*>(Image.scanLine(Y));
    for (int X = 0; X < Image.width(); ++X) Row[X] = qGray(Row[X]) < 128 ? PenColor.rgba() : 0;
  }
  return Image;
}

// The outline of a rectangle or ellipse with an area is closed: its stroke has no ends,
// so no cap (resvg draws a thin closed rectangle's last side askew under a square cap).
TStrokeBrush Closed(TStrokeBrush Pen, const QRectF& Rect) {
  if (Rect.width() != 0 && Rect.height() != 0) Pen.Cap = TStrokeCap::Flat;
  return Pen;
}

}  // namespace

TCanvasPaintEngine::TCanvasPaintEngine(std::function<TCanvas*()> Open, std::function<void()> Finish)
    : QPaintEngine(AllFeatures), FOpen(std::move(Open)), FFinish(std::move(Finish)) {}

std::exception_ptr TCanvasPaintEngine::TakeError() { return std::exchange(FError, nullptr); }

template <typename F>
void TCanvasPaintEngine::Guarded(F&& Step) {
  if (FError || !FCanvas) return;
  try {
    Step();
  } catch (...) {
    FError = std::current_exception();
  }
}

// A layer of one operation laid down by a blend mode is that operation painted by it.
template <typename F>
void TCanvasPaintEngine::Drawing(F&& Step) {
  Guarded([&] {
    if (FBlend == TBlendMode::Normal) return Step();
    FCanvas->BeginLayer(1, FBlend);
    Step();
    FCanvas->EndLayer();
  });
}

bool TCanvasPaintEngine::begin(QPaintDevice*) {
  FError = nullptr;
  try {
    FCanvas = FOpen();
    if (!FCanvas->BeginScene()) {
      FCanvas = nullptr;
      throw EHostError("fsvg: the canvas under the paint device refused to begin a scene");
    }
    FSaved = FCanvas->SaveState();
    FBaseClip = FPainterClip = FCanvas->GetClip();
  } catch (...) {
    FError = std::current_exception();
    FCanvas = nullptr;
    return false;
  }
  FTransform = QTransform();
  FPen = QPen();
  FBrush = QBrush();
  FBrushOrigin = QPointF();
  FOpacity = 1;
  FBlend = TBlendMode::Normal;
  FSmoothPixmaps = false;
  FAntialiased = false;
  FClipEnabled = false;
  Guarded([&] { ApplyMatrix(FTransform); });
  return !FError;
}

bool TCanvasPaintEngine::end() {
  if (FCanvas) {
    try {
      FCanvas->RestoreState(FSaved);
      FCanvas->EndScene();
    } catch (...) {
      if (!FError) FError = std::current_exception();
    }
  }
  FCanvas = nullptr;
  FBaseClip = FPainterClip = nullptr;
  try {
    FFinish();
  } catch (...) {
    if (!FError) FError = std::current_exception();
  }
  return !FError;
}

void TCanvasPaintEngine::updateState(const QPaintEngineState& State) {
  Guarded([&] {
    const DirtyFlags Flags = State.state();
    // The transform first: a clip set with it is in its coordinates.
    if (Flags & DirtyTransform) ApplyMatrix(State.transform());
    if (Flags & DirtyPen) FPen = State.pen();
    if (Flags & DirtyBrush) FBrush = State.brush();
    if (Flags & DirtyBrushOrigin) FBrushOrigin = State.brushOrigin();
    if (Flags & DirtyOpacity) FOpacity = static_cast<float>(State.opacity());
    if (Flags & DirtyCompositionMode) FBlend = ToBlend(State.compositionMode());
    if (Flags & DirtyHints) {
      FSmoothPixmaps = State.renderHints().testFlag(QPainter::SmoothPixmapTransform);
      FAntialiased = State.renderHints().testFlag(QPainter::Antialiasing);
    }
    if (Flags & (DirtyClipPath | DirtyClipRegion | DirtyClipEnabled)) ApplyClip(State);
  });
}

void TCanvasPaintEngine::ApplyMatrix(const QTransform& Transform) {
  if (Transform.type() == QTransform::TxProject)
    throw EArgumentError("fsvg: a perspective transform cannot be painted on a canvas, whose matrix is affine");
  FTransform = Transform;
  const QTransform M = Transform * FBase;
  TMatrix Matrix;
  Matrix.m11 = static_cast<float>(M.m11());
  Matrix.m12 = static_cast<float>(M.m12());
  Matrix.m21 = static_cast<float>(M.m21());
  Matrix.m22 = static_cast<float>(M.m22());
  Matrix.m31 = static_cast<float>(M.dx());
  Matrix.m32 = static_cast<float>(M.dy());
  FCanvas->SetMatrix(Matrix);
}

void TCanvasPaintEngine::ApplyClip(const QPaintEngineState& State) {
  const DirtyFlags Flags = State.state();
  if (Flags & DirtyClipPath) {
    ClipTo(State.clipPath(), State.clipOperation());
  } else if (Flags & DirtyClipRegion) {
    const QRegion Region = State.clipRegion();
    QPainterPath Path;
    Path.addRegion(Region);
    ClipTo(Path, State.clipOperation());
  } else if (State.isClipEnabled() != FClipEnabled) {
    // Clipping switched off keeps the painter's clip for when it is switched on again.
    if (FClipEnabled) FPainterClip = FCanvas->GetClip();
    FCanvas->SetClip(FClipEnabled ? FBaseClip : FPainterClip);
    FClipEnabled = !FClipEnabled;
  }
}

void TCanvasPaintEngine::ClipTo(const QPainterPath& Path, Qt::ClipOperation Operation) {
  if (Operation != Qt::IntersectClip) FCanvas->SetClip(FBaseClip);
  FClipEnabled = Operation != Qt::NoClip;
  if (!FClipEnabled) return;
  // A rectangle (what most clips are) stays a rectangle step.
  const QRectF Bounds = Path.boundingRect();
  QPainterPath Box;
  Box.addRect(Bounds);
  if (Path.elementCount() == Box.elementCount() && Path == Box)
    FCanvas->IntersectClipRect(ToRect(Bounds));
  else
    FCanvas->IntersectClipPath(ToPath(Path));
}

bool TCanvasPaintEngine::MakeFill(const QBrush& Brush, const QRectF& Bounds, TBrush& Fill) const {
  switch (Brush.style()) {
    case Qt::NoBrush:
      Fill = TBrush(TBrushKind::None, 0);
      return true;
    case Qt::SolidPattern:
      Fill = TBrush(TBrushKind::Solid, ToColor(Brush.color()));
      return true;
    case Qt::LinearGradientPattern:
    case Qt::RadialGradientPattern:
      break;
    case Qt::TexturePattern: {
      // One texel a unit from the origin, as Qt tiles a texture the brush does not move,
      // its nearest texel unless the painter smooths pixmaps; the same texture, by its
      // key, is the same bitmap, found again at once.
      const QImage Texture = Brush.textureImage();
      if (!Brush.transform().isIdentity() || !FBrushOrigin.isNull() || Texture.devicePixelRatio() != 1) return false;
      if (!FTexture || Texture.cacheKey() != FTextureKey) {
        FTexture = std::make_shared<const TBitmap>(ToBitmap(Texture));
        FTextureKey = Texture.cacheKey();
      }
      Fill = TBrush(FTexture, TBitmapWrap::TileFromOrigin, ToColor(Brush.color()), !FSmoothPixmaps);
      return true;
    }
    default:
      return false;
  }
  const QGradient& G = *Brush.gradient();
  QTransform Map = Brush.transform();
  const QTransform Box(Bounds.width(), 0, 0, Bounds.height(), Bounds.x(), Bounds.y());
  if (G.coordinateMode() == QGradient::ObjectBoundingMode) Map = Map * Box;
  if (G.coordinateMode() == QGradient::ObjectMode) Map = Box * Map;
  if (G.coordinateMode() == QGradient::StretchToDeviceMode) {
    const QPaintDevice* Device = paintDevice();
    Map = Map * QTransform::fromScale(Device->width(), Device->height()) * FTransform.inverted();
  }
  auto Gradient = ToGradient(G, Map);
  if (!Gradient) return false;
  Fill = TBrush(std::move(Gradient), ToColor(G.stops().front().second));
  return true;
}

bool TCanvasPaintEngine::MakeStroke(const QRectF& Bounds, TStrokeBrush& Stroke) const {
  if (!MakeFill(FPen.brush(), Bounds, Stroke)) return false;
  const double Width = FPen.widthF();
  Stroke.Hairline = Width == 0;
  Stroke.Thickness = static_cast<float>(Width == 0 ? 1 : Width);
  // A cosmetic pen is as wide in device pixels as it says, whatever the transform.
  if (Width > 0 && FPen.isCosmetic()) {
    const double Scale = std::sqrt(std::abs((FTransform * FBase).determinant()));
    if (Scale > 0) Stroke.Thickness = static_cast<float>(Width / Scale);
  }
  Stroke.Cap = FPen.capStyle() == Qt::RoundCap    ? TStrokeCap::Round
               : FPen.capStyle() == Qt::SquareCap ? TStrokeCap::Square
                                                  : TStrokeCap::Flat;
  Stroke.Join = FPen.joinStyle() == Qt::RoundJoin   ? TStrokeJoin::Round
                : FPen.joinStyle() == Qt::BevelJoin ? TStrokeJoin::Bevel
                                                    : TStrokeJoin::Miter;
  // Qt's limit is SVG's ratio of the miter's length to the width (as the Qt host paints
  // it); a plain miter join beyond it is cut by Qt and bevelled by SVG.
  Stroke.MiterLimit = static_cast<float>(std::max(1.0, FPen.miterLimit()));
  if (FPen.style() != Qt::SolidLine) {
    Stroke.Dash = TStrokeDash::Custom;
    for (const qreal Length : FPen.dashPattern()) Stroke.DashArray.push_back(static_cast<float>(Length));
    Stroke.DashOffset = static_cast<float>(FPen.dashOffset());
  }
  return true;
}

void TCanvasPaintEngine::PaintShape(const QPainterPath& Shape, const std::function<void(const TBrush&)>& Fill,
                                    const std::function<void(const TStrokeBrush&)>& Stroke) {
  const QRectF Bounds = Shape.boundingRect();
  if (Fill && FBrush.style() != Qt::NoBrush) {
    TBrush Brush;
    if (MakeFill(FBrush, Bounds, Brush))
      Fill(Brush);
    else
      PaintRaster(Shape, FBrush);
  }
  if (FPen.style() != Qt::NoPen && FPen.brush().style() != Qt::NoBrush) {
    TStrokeBrush Pen;
    if (MakeStroke(Bounds, Pen)) {
      const bool Shifted = AlignAliased(Pen, Bounds.topLeft());
      bool Band = false;
      QPainterPath Flat = ThinStroke(Shape, Pen, Band);
      if (Flat.isEmpty()) Flat = Flattened(Shape, Pen.Dash == TStrokeDash::Solid ? 2 : 1);
      if (Flat.isEmpty())
        Stroke(Pen);
      else if (Band)
        FCanvas->FillPath(ToPath(Flat), FOpacity, Pen);
      else
        FCanvas->DrawPath(ToPath(Flat), FOpacity, Pen);
      if (Shifted) ApplyMatrix(FTransform);
    } else {
      QPainterPathStroker Stroker(FPen);
      PaintRaster(Stroker.createStroke(Shape), FPen.brush());
    }
  }
}

// Qt's aliased strokes cover whole pixels: a line one pixel wide, the pixel row or column
// its centre rounds into (halves up and left). The stroke is moved so that its anchor
// (the shape's corner) lies where the antialiased stroke covers those pixels exactly: an
// odd width centred in a pixel, an even one on a pixel edge. Only without rotation or
// shear, where the edges run along the pixel grid. True when the matrix was moved.
bool TCanvasPaintEngine::AlignAliased(const TStrokeBrush& Pen, const QPointF& Anchor) {
  const QTransform Device = FTransform * FBase;
  if (FAntialiased || Device.m12() != 0 || Device.m21() != 0) return false;
  const double Width = Pen.Hairline ? 1 : Pen.Thickness * std::sqrt(std::abs(Device.determinant()));
  const double Centre = std::lround(Width) % 2 == 0 ? 0 : 0.5;
  const QPointF At = FTransform.map(Anchor);
  auto Shift = [&](double V) { return std::floor(V + 0.5 - 1.0 / 64) + Centre - V; };
  const QPointF By(Shift(At.x()), Shift(At.y()));
  if (By.isNull()) return false;
  const QTransform Kept = FTransform;
  const QTransform Base = FBase;
  FBase = QTransform::fromTranslate(By.x(), By.y()) * FBase;
  ApplyMatrix(Kept);
  FBase = Base;
  return true;
}

// Qt strokes an antialiased pen one device pixel wide or thinner with a line algorithm
// of its own: curves flattened into segments, each inking one pixel a column (a row, for
// a steep one), which is cos(angle to the nearest axis) of a pixel per unit of length
// where an exact stroke inks its width. Pen gets the width that inks as much along the
// whole shape (its dashes kept as long); the flattened outline is returned for a shape
// with curves, else nothing (the shape is stroked as it is). A solid closed one is
// returned as the very region Qt inks, to be filled (Band set).
QPainterPath TCanvasPaintEngine::ThinStroke(const QPainterPath& Shape, TStrokeBrush& Pen, bool& Band) const {
  const double Scale = std::sqrt(std::abs((FTransform * FBase).determinant()));
  if (!FAntialiased || !(Pen.Hairline || Pen.Thickness * Scale <= 1) || !(Scale > 0)) return {};
  const double Span = Pen.Hairline ? 1 : Pen.Thickness * std::sqrt(std::abs(FTransform.determinant()));
  // Qt flattens in its device pixels, under the painter's transform.
  const QList<QPolygonF> Polygons = FTransform.map(Shape).toSubpathPolygons();
  double Length = 0;
  double Ink = 0;
  for (const QPolygonF& Polygon : Polygons) {
    for (qsizetype I = 1; I < Polygon.size(); ++I) {
      const QPointF Step = Polygon[I] - Polygon[I - 1];
      Length += std::hypot(Step.x(), Step.y());
      Ink += std::max(std::abs(Step.x()), std::abs(Step.y()));
    }
  }
  const double Share = Length > 0 ? Ink / Length : 1;
  if (Share < 1) {
    Pen.Thickness = static_cast<float>((Pen.Hairline ? 1 / Scale : Pen.Thickness) * Share);
    Pen.Hairline = false;
    for (float& Dash : Pen.DashArray) Dash = static_cast<float>(Dash / Share);
    Pen.DashOffset = static_cast<float>(Pen.DashOffset / Share);
  }
  if (!HasCurves(Shape)) return {};
  // Qt draws each segment on its own, and the pixel where two meet gets less ink than
  // under an exact stroke's join: an outline of closed subpaths becomes one subpath a
  // segment, with flat ends, which meet as Qt's do. An open one keeps its caps and joins.
  bool AllClosed = true;
  for (const QPolygonF& Polygon : Polygons) AllClosed = AllClosed && Polygon.size() > 2 && Polygon.isClosed();
  if (!AllClosed) return Flattened(Shape, 1);
  if (Pen.Dash == TStrokeDash::Solid) return InkedBand(Polygons, Span, Band);
  const QTransform Back = FTransform.inverted();
  QPainterPath Flat;
  Flat.setFillRule(Shape.fillRule());
  for (const QPolygonF& Polygon : Polygons) {
    for (qsizetype I = 1; I < Polygon.size(); ++I) {
      Flat.moveTo(Back.map(Polygon[I - 1]));
      Flat.lineTo(Back.map(Polygon[I]));
    }
  }
  Pen.Cap = TStrokeCap::Flat;
  return Flat;
}

// Qt strokes a curve as the segments it flattens it into, and dashes along them, whose
// length falls short of the curve's: a pen strokes that polyline, so that its edges and
// dashes fall where Qt's do. The segments are QPainterPath::toSubpathPolygons' under the
// painter's transform scaled by Fineness: 1 for a dashed pen, 2 for a solid one, as
// measured (Qt's stroker flattens a solid pen's curves about twice as finely as its
// dasher; so the corpus' ellipses, arcs and pies agree with Qt's picture within 0.3% on
// every renderer, against up to 1% as exact curves). Nothing for a shape without curves,
// or under a matrix with no inverse.
QPainterPath TCanvasPaintEngine::Flattened(const QPainterPath& Shape, double Fineness) const {
  const QTransform Device = FTransform * QTransform::fromScale(Fineness, Fineness);
  if (!HasCurves(Shape) || !Device.isInvertible()) return {};
  const QTransform Back = Device.inverted();
  QPainterPath Flat;
  Flat.setFillRule(Shape.fillRule());
  for (const QPolygonF& Polygon : Device.map(Shape).toSubpathPolygons()) {
    if (Polygon.isEmpty()) continue;
    Flat.moveTo(Back.map(Polygon.front()));
    for (qsizetype I = 1; I < Polygon.size(); ++I) Flat.lineTo(Back.map(Polygon[I]));
  }
  return Flat;
}

// Qt's line algorithm inks, in each column a segment steps along (each row, for a steep
// one), a span as tall as the pen is wide, centred on the segment: a parallelogram a
// segment, whose upright ends meet the next one's without overlap or gap, where an exact
// stroke's ends would overlap on one side and leave a wedge on the other. The segments
// of a run that steps the same way along the same axis make one ribbon, its two edges
// the run's points moved by half the span either way; every ribbon turns the same way,
// so that they join under the winding rule. In the painter's device pixels, mapped back.
QPainterPath TCanvasPaintEngine::InkedBand(const QList<QPolygonF>& Polygons, double Span, bool& Band) const {
  const QTransform Back = FTransform.inverted();
  QPainterPath Region;
  Region.setFillRule(Qt::WindingFill);
  QPolygonF Near;
  QPolygonF Far;
  const auto Flush = [&] {
    if (Near.size() > 1) {
      Region.moveTo(Back.map(Near.front()));
      for (qsizetype I = 1; I < Near.size(); ++I) Region.lineTo(Back.map(Near[I]));
      for (qsizetype I = Far.size() - 1; I >= 0; --I) Region.lineTo(Back.map(Far[I]));
      Region.closeSubpath();
    }
    Near.clear();
    Far.clear();
  };
  for (const QPolygonF& Polygon : Polygons) {
    int Run = -1;
    for (qsizetype I = 1; I < Polygon.size(); ++I) {
      const QPointF From = Polygon[I - 1];
      const QPointF D = Polygon[I] - From;
      if (D.isNull()) continue;
      const bool AlongX = std::abs(D.x()) >= std::abs(D.y());
      const bool Turned = (AlongX ? D.x() : -D.y()) < 0;
      const QPointF Half = (AlongX ? QPointF(0, Span / 2) : QPointF(Span / 2, 0)) * (Turned ? -1 : 1);
      if (AlongX * 2 + Turned != Run) {
        Flush();
        Run = AlongX * 2 + Turned;
        Near << From - Half;
        Far << From + Half;
      }
      Near << Polygon[I] - Half;
      Far << Polygon[I] + Half;
    }
    Flush();
  }
  Band = true;
  return Region;
}

// Qt's line algorithm gives a thin line with square caps half a pixel more at each end
// along its major axis (the axis it steps along), and places it half a pixel back along
// that axis: the line it paints runs from the start less half a step to the end plus
// half a step, in the painter's device pixels. Drawn so with flat caps, an exact stroke
// covers the same pixels.
QLineF TCanvasPaintEngine::ThinSquareLine(const QLineF& Line) const {
  const QPointF A = FTransform.map(Line.p1());
  const QPointF B = FTransform.map(Line.p2());
  const QPointF D = B - A;
  const bool AlongX = std::abs(D.x()) >= std::abs(D.y());
  const double Major = AlongX ? D.x() : D.y();
  if (Major == 0 || !FTransform.isInvertible()) return Line;
  const QPointF Step = D / std::abs(Major);
  const QPointF Axis = AlongX ? QPointF(Major > 0 ? 1 : -1, 0) : QPointF(0, Major > 0 ? 1 : -1);
  const QTransform Back = FTransform.inverted();
  return {Back.map(A - Axis / 2), Back.map(B - Axis / 2 + Step)};
}

// Qt paints Shape with Brush into a picture of the device pixels it covers, which the
// canvas draws without the painter's transform (the picture has it already).
void TCanvasPaintEngine::PaintRaster(const QPainterPath& Shape, const QBrush& Brush) {
  const QPaintDevice* Device = paintDevice();
  const QRect Area =
      FTransform.map(Shape).boundingRect().toAlignedRect() & QRect(0, 0, Device->width(), Device->height());
  if (Area.isEmpty()) return;
  QImage Picture(Area.size(), QImage::Format_ARGB32_Premultiplied);
  Picture.fill(Qt::transparent);
  {
    QPainter Painter(&Picture);
    Painter.setRenderHint(QPainter::Antialiasing);
    Painter.setTransform(FTransform * QTransform::fromTranslate(-Area.x(), -Area.y()));
    Painter.setBrushOrigin(FBrushOrigin);
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(Brush);
    Painter.drawPath(Shape);
  }
  const QTransform Kept = FTransform;
  ApplyMatrix(QTransform());
  FCanvas->DrawBitmap(ToBitmap(Picture), {0, 0, static_cast<float>(Area.width()), static_cast<float>(Area.height())},
                      ToRect(QRectF(Area)), FOpacity, true);
  ApplyMatrix(Kept);
}

void TCanvasPaintEngine::drawRects(const QRectF* Rects, int Count) {
  Drawing([&] {
    for (int I = 0; I < Count; ++I) {
      const QRectF Rect = Rects[I];
      QPainterPath Shape;
      Shape.addRect(Rect);
      PaintShape(
          Shape, [&](const TBrush& B) { FCanvas->FillRect(ToRect(Rect), 0, 0, AllCorners, FOpacity, B); },
          [&](const TStrokeBrush& S) { FCanvas->DrawRect(ToRect(Rect), 0, 0, AllCorners, FOpacity, Closed(S, Rect)); });
    }
  });
}

void TCanvasPaintEngine::drawLines(const QLineF* Lines, int Count) {
  Drawing([&] {
    for (int I = 0; I < Count; ++I) {
      QPainterPath Shape(Lines[I].p1());
      Shape.lineTo(Lines[I].p2());
      PaintShape(Shape, nullptr, [&](const TStrokeBrush& S) {
        const double Scale = std::sqrt(std::abs((FTransform * FBase).determinant()));
        if (FAntialiased && S.Cap == TStrokeCap::Square && S.Dash == TStrokeDash::Solid && Scale > 0 &&
            (S.Hairline || S.Thickness * Scale <= 1)) {
          TStrokeBrush Flat = S;
          Flat.Cap = TStrokeCap::Flat;
          const QLineF Line = ThinSquareLine(Lines[I]);
          FCanvas->DrawLine(ToPoint(Line.p1()), ToPoint(Line.p2()), FOpacity, Flat);
          return;
        }
        FCanvas->DrawLine(ToPoint(Lines[I].p1()), ToPoint(Lines[I].p2()), FOpacity, S);
      });
    }
  });
}

void TCanvasPaintEngine::drawEllipse(const QRectF& Rect) {
  Drawing([&] {
    QPainterPath Shape;
    Shape.addEllipse(Rect);
    PaintShape(
        Shape, [&](const TBrush& B) { FCanvas->FillEllipse(ToRect(Rect), FOpacity, B); },
        [&](const TStrokeBrush& S) { FCanvas->DrawEllipse(ToRect(Rect), FOpacity, Closed(S, Rect)); });
  });
}

void TCanvasPaintEngine::drawPath(const QPainterPath& Path) {
  Drawing([&] {
    const TPathData Outline = ToPath(Path);
    if (Outline.IsEmpty()) return;
    PaintShape(
        Path, [&](const TBrush& B) { FCanvas->FillPath(Outline, FOpacity, B); },
        [&](const TStrokeBrush& S) { FCanvas->DrawPath(Outline, FOpacity, S); });
  });
}

void TCanvasPaintEngine::drawPolygon(const QPointF* Points, int Count, PolygonDrawMode Mode) {
  if (Count < 1) return;
  QPainterPath Path;
  Path.setFillRule(Mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
  Path.moveTo(Points[0]);
  for (int I = 1; I < Count; ++I) Path.lineTo(Points[I]);
  if (Mode == PolylineMode) {
    const QBrush Kept = std::exchange(FBrush, QBrush());
    drawPath(Path);
    FBrush = Kept;
    return;
  }
  Path.closeSubpath();
  drawPath(Path);
}

// A point is a dot of the pen's width: round for a round cap, square otherwise.
void TCanvasPaintEngine::drawPoints(const QPointF* Points, int Count) {
  Drawing([&] {
    TStrokeBrush Pen;
    if (FPen.style() == Qt::NoPen || !MakeStroke({}, Pen) || Pen.Kind == TBrushKind::None) return;
    const float Half = Pen.Hairline ? 0.5f : Pen.Thickness / 2;
    for (int I = 0; I < Count; ++I) {
      const TPointF P = ToPoint(Points[I]);
      const TRectF Dot{P.X - Half, P.Y - Half, P.X + Half, P.Y + Half};
      if (Pen.Cap == TStrokeCap::Round)
        FCanvas->FillEllipse(Dot, FOpacity, Pen);
      else
        FCanvas->FillRect(Dot, 0, 0, AllCorners, FOpacity, Pen);
    }
  });
}

// The source is cut to whole pixels inside the image, and the target to match.
void TCanvasPaintEngine::PaintImage(const QRectF& Rect, const QImage& Image, const QRectF& Source) {
  const QRect Whole = Source.toAlignedRect() & Image.rect();
  if (Whole.isEmpty() || Source.width() <= 0 || Source.height() <= 0) return;
  const double ScaleX = Rect.width() / Source.width();
  const double ScaleY = Rect.height() / Source.height();
  const QRectF Target(Rect.x() + (Whole.x() - Source.x()) * ScaleX, Rect.y() + (Whole.y() - Source.y()) * ScaleY,
                      Whole.width() * ScaleX, Whole.height() * ScaleY);
  const QImage Part = Whole == Image.rect() ? Image : Image.copy(Whole);
  // A source between pixel edges shows part of its edge pixels: the wider image is cut.
  TCanvasSaveState* Saved = Whole == Source ? nullptr : FCanvas->SaveState();
  if (Saved) FCanvas->IntersectClipRect(ToRect(Rect));
  // Drawn pixel for pixel, an image looks the same smoothed or not; nearest pixels keep
  // it so where a renderer paints at a finer scale (Chromium) or the document is zoomed.
  const QTransform Device = FTransform * FBase;
  const QPointF At = Device.map(Target.topLeft());
  const bool PixelForPixel = Device.type() <= QTransform::TxTranslate && Target.size() == QSizeF(Whole.size()) &&
                             At.x() == std::round(At.x()) && At.y() == std::round(At.y());
  FCanvas->DrawBitmap(ToBitmap(Part), {0, 0, static_cast<float>(Whole.width()), static_cast<float>(Whole.height())},
                      ToRect(Target), FOpacity, !FSmoothPixmaps || PixelForPixel);
  if (Saved) FCanvas->RestoreState(Saved);
}

void TCanvasPaintEngine::drawPixmap(const QRectF& Rect, const QPixmap& Pixmap, const QRectF& Source) {
  Drawing([&] { PaintImage(Rect, ToImage(Pixmap, FPen.color()), Source); });
}

void TCanvasPaintEngine::drawImage(const QRectF& Rect, const QImage& Image, const QRectF& Source,
                                   Qt::ImageConversionFlags) {
  Drawing([&] { PaintImage(Rect, Image, Source); });
}

// Repeated images inside Rect, the first tile at Rect's corner less Offset.
void TCanvasPaintEngine::drawTiledPixmap(const QRectF& Rect, const QPixmap& Pixmap, const QPointF& Offset) {
  Drawing([&] {
    const double W = Pixmap.width();
    const double H = Pixmap.height();
    if (W <= 0 || H <= 0 || Rect.isEmpty()) return;
    const double Tiles = std::ceil(Rect.width() / W + 1) * std::ceil(Rect.height() / H + 1);
    if (Tiles > 1e6) throw EArgumentError("fsvg: a tiled pixmap needs more than a million tiles");
    const TBitmap Tile = ToBitmap(ToImage(Pixmap, FPen.color()));
    TCanvasSaveState* Saved = FCanvas->SaveState();
    FCanvas->IntersectClipRect(ToRect(Rect));
    const double Left = Rect.x() - std::fmod(Offset.x(), W) - (std::fmod(Offset.x(), W) < 0 ? W : 0);
    const double Top = Rect.y() - std::fmod(Offset.y(), H) - (std::fmod(Offset.y(), H) < 0 ? H : 0);
    for (double Y = Top; Y < Rect.bottom(); Y += H)
      for (double X = Left; X < Rect.right(); X += W)
        FCanvas->DrawBitmap(Tile, {0, 0, static_cast<float>(W), static_cast<float>(H)}, ToRect(QRectF(X, Y, W, H)),
                            FOpacity, !FSmoothPixmaps);
    FCanvas->RestoreState(Saved);
  });
}

// Where Qt's raster engine puts a text's glyphs when the painter neither rotates nor
// shears nor mirrors: each baseline on a whole device pixel (halves down), each glyph's
// left edge at most a quarter of a pixel left of its place (Qt's glyph cache has four
// horizontal positions, rounding down). One SVG text element moves all its glyphs
// alike: the text is cut where a glyph's move would differ from its run's by more than
// ShiftTolerance, and each run moved by the middle of its glyphs' moves. Most labels
// stay whole; a run is a text element of its own.
std::vector<TCanvasPaintEngine::TTextRun> TCanvasPaintEngine::RasterRuns(const QPointF& Point,
                                                                         const QTextItem& Item) const {
  constexpr double ShiftTolerance = 1.0 / 16;
  const QString Text = Item.text();
  const QTransform Device = FTransform * FBase;
  if (Device.type() > QTransform::TxScale || Device.m11() <= 0 || Device.m22() <= 0)
    return {{0, Text.size(), Point, Item.width()}};
  const QPointF At = Device.map(Point);
  const QTransform Back = Device.inverted();
  const double Baseline = std::floor(At.y() + 0.5);
  if (Item.renderFlags().testFlag(QTextItem::RightToLeft))
    return {{0, Text.size(), Back.map(QPointF(At.x(), Baseline)), Item.width()}};
  QTextLayout Layout(Text, Item.font(), paintDevice());
  Layout.beginLayout();
  const QTextLine Line = Layout.createLine();
  Layout.endLayout();
  std::vector<TTextRun> Runs;
  qsizetype Start = 0;
  double Low = 0;
  double High = -1;  // no glyph yet
  auto Close = [&](qsizetype End) {
    const double Left = Line.cursorToX(static_cast<int>(Start));
    const double Shift = High < Low ? 0 : (Low + High) / 2;
    const QPointF Origin = Back.map(QPointF(At.x() + Left * Device.m11() - Shift, Baseline));
    Runs.push_back({Start, End - Start, Origin, Line.cursorToX(static_cast<int>(End)) - Left});
  };
  for (qsizetype I = 0; I < Text.size(); ++I) {
    if (Text[I].isSpace() || !Layout.isValidCursorPosition(static_cast<int>(I))) continue;
    const double Left = At.x() + Line.cursorToX(static_cast<int>(I)) * Device.m11();
    const double Shift = Left - std::floor(Left * 4) / 4;
    if (High >= Low && (std::max(High, Shift) - std::min(Low, Shift) > 2 * ShiftTolerance)) {
      Close(I);
      Start = I;
      High = -1;
    }
    Low = High < Low ? Shift : std::min(Low, Shift);
    High = High < Shift ? Shift : High;
  }
  Close(Text.size());
  return Runs;
}

// One run of text at its baseline: the rectangle is as high as the font's ascent, so
// that a recording that writes text at the rectangle's bottom and one that writes it
// where the host lays out its first line agree.
void TCanvasPaintEngine::drawTextItem(const QPointF& Point, const QTextItem& Item) {
  Drawing([&] {
    const QFont Font = Item.font();
    TFont& Target = FCanvas->GetFont();
    // The family Qt painted with first (fontconfig resolves an alias such as "Sans Serif",
    // which renderers do not know), then the one asked for.
    const QString Painted = QFontInfo(Font).family();
    Target.Family = (Painted.isEmpty() || Painted == Font.family() ? Font.family() : Painted + ", " + Font.family())
                        .toStdU16String();
    const double Dpi = paintDevice()->logicalDpiY();
    Target.Size = static_cast<float>(Font.pixelSize() > 0 ? Font.pixelSize() : Font.pointSizeF() * Dpi / 72);
    Target.Weight = std::clamp(static_cast<int>(Font.weight()), 100, 900);
    Target.Slant = Font.style() == QFont::StyleItalic    ? TFontSlant::Italic
                   : Font.style() == QFont::StyleOblique ? TFontSlant::Oblique
                                                         : TFontSlant::Normal;
    const QRectF Bounds(Point.x(), Point.y() - Item.ascent(), Item.width(), Item.ascent() + Item.descent());
    TBrush Fill;
    if (!MakeFill(FPen.brush(), Bounds, Fill)) Fill = TBrush(TBrushKind::Solid, ToColor(FPen.color()));
    FCanvas->SetFill(Fill);
    const float Ascent = FCanvas->GetFontMetrics().Ascent;
    TFillTextFlags Flags;
    if (Item.renderFlags().testFlag(QTextItem::RightToLeft)) Flags.Include(TFillTextFlag::RightToLeft);
    const QString Text = Item.text();
    for (const TTextRun& Run : RasterRuns(Point, Item)) {
      const float X = static_cast<float>(Run.Origin.x());
      const float Y = static_cast<float>(Run.Origin.y());
      FCanvas->FillText({X, Y - Ascent, X + std::max(1.0f, static_cast<float>(Run.Width)), Y},
                        Text.mid(Run.Start, Run.Length).toStdU16String(), false, FOpacity, Flags, TTextAlign::Leading,
                        TTextAlign::Leading);
    }
  });
}

}  // namespace fsvg::detail
