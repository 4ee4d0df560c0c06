// The paint engine: QPainter's state becomes canvas state (the transform the matrix, the
// clip the clip chain, the opacity a factor on every call, a blending composition mode a
// layer around each operation) and each operation the canvas call that paints the same
// shape. Pens and brushes the canvas can paint become its paint (textures its bitmap
// brushes, a fill in the texture's own space where the brush moves it); the rest (pens of
// moved textures, patterns, conical gradients) is painted by Qt into a picture of the
// shape, which the canvas then draws. Images are drawn in paintimages.cpp, text in
// painttext.cpp, and Qt's own thin and aliased strokes are matched in thinstrokes.cpp.
#include "paintengine.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <utility>

#include "paintconvert.h"

namespace fsvg::detail {
namespace {

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
  FClipEnabled = false;
  Guarded([&] { ApplyMatrix(QTransform()); });
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
  if (Path == Box)
    FCanvas->IntersectClipRect(ToRect(Bounds));
  else
    FCanvas->IntersectClipPath(ToPath(Path));
}

bool TCanvasPaintEngine::MakeFill(const QBrush& Given, const QRectF& Bounds, TBrush& Fill) const {
  const QBrush Brush = AsTexture(Given);
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
    case Qt::TexturePattern:
      // A texture the brush moves is filled in its own space (FillMovedTexture).
      if (!TextureSpace(Brush).isIdentity()) return false;
      Fill = TextureBrush(Brush);
      return true;
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

// One texel a unit from the origin of the texture's space, as Qt tiles a texture, its
// nearest texel unless the painter smooths pixmaps and the texels do not lie a texel a
// device pixel (where smoothing changes nothing in Qt, and nearest texels keep a renderer
// painting at a finer scale as sharp); the same texture, by its key, is the same bitmap,
// found again at once.
TBrush TCanvasPaintEngine::TextureBrush(const QBrush& Brush) const {
  const QImage Texture = Brush.textureImage();
  if (!FTexture || Texture.cacheKey() != FTextureKey) {
    FTexture = std::make_shared<const TBitmap>(ToBitmap(Texture));
    FTextureKey = Texture.cacheKey();
  }
  return TBrush(FTexture, TBitmapWrap::TileFromOrigin, ToColor(Brush.color()),
                !Hinted(QPainter::SmoothPixmapTransform) || WholePixelMove(TextureSpace(Brush) * ToCanvas()));
}

// Qt's raster engine paints a pattern brush as a texture eight texels square, the brush's
// colour where the pattern has ink and transparent between. Unless the painter asks for
// patterns that scale, it is cosmetic: a texel a device pixel, whatever the transform
// (the view box's mapping too), tiled from the whole device pixel nearest the place its
// brush matrix's inverse moves the device's origin to (brush transform, brush origin,
// painter's transform, view box).
QBrush TCanvasPaintEngine::AsTexture(const QBrush& Brush) const {
  const Qt::BrushStyle Style = Brush.style();
  if (Style < Qt::Dense1Pattern || Style > Qt::DiagCrossPattern) return Brush;
  const std::pair Key{Style, Brush.color().rgba()};
  if (FPattern.isNull() || Key != FPatternKey) {
    FPattern = QImage(8, 8, QImage::Format_ARGB32_Premultiplied);
    FPattern.fill(Qt::transparent);
    QPainter(&FPattern).fillRect(FPattern.rect(), QBrush(Brush.color(), Style));
    FPatternKey = Key;
  }
  QBrush Texture(FPattern);
  Texture.setColor(Brush.color());
  Texture.setTransform(Brush.transform());
#if QT_VERSION >= QT_VERSION_CHECK(6, 4, 0)
  if (Hinted(QPainter::NonCosmeticBrushPatterns)) return Texture;
#endif
  const QPointF Origin = painter()->brushOrigin();
  const QTransform Back = (TextureSpace(Texture) * ToCanvas()).inverted();
  const QTransform Device = QTransform::fromTranslate(std::round(-Back.dx()), std::round(-Back.dy()));
  // TextureSpace then gives the device's pixels, moved to that place.
  Texture.setTransform(Device * ToCanvas().inverted() * QTransform::fromTranslate(-Origin.x(), -Origin.y()));
  return Texture;
}

// Texels are scaled down by the texture's device pixel ratio, then go through the brush's
// transform, the painter's brush origin and the painter's transform, as Qt's raster
// engine maps them.
QTransform TCanvasPaintEngine::TextureSpace(const QBrush& Brush) const {
  const double Scale = 1 / Brush.textureImage().devicePixelRatio();
  const QPointF Origin = painter()->brushOrigin();
  return QTransform::fromScale(Scale, Scale) * Brush.transform() * QTransform::fromTranslate(Origin.x(), Origin.y());
}

// A texture the brush moves, filled in its own space; false for any other brush.
bool TCanvasPaintEngine::FillMovedTexture(const QPainterPath& Shape, const QBrush& Given) {
  const QBrush Brush = AsTexture(Given);
  if (Brush.style() != Qt::TexturePattern) return false;
  const QTransform Space = TextureSpace(Brush);
  if (!Space.isAffine() || !Space.isInvertible()) return false;
  FillIn(Space, Shape, TextureBrush(Brush));
  return true;
}

// Shape, in the painter's coordinates, filled with Fill laid in Space: the canvas draws
// in Space, where a pattern tiles from the origin, the shape taken back into it.
void TCanvasPaintEngine::FillIn(const QTransform& Space, const QPainterPath& Shape, const TBrush& Fill) {
  const QTransform Kept = FTransform;
  ApplyMatrix(Space * Kept);
  FCanvas->FillPath(ToPath(Space.inverted().map(Shape)), Opacity(), Fill);
  ApplyMatrix(Kept);
}

TBlendMode TCanvasPaintEngine::Blend() const { return ToBlend(painter()->compositionMode()); }

bool TCanvasPaintEngine::MakeStroke(const QRectF& Bounds, TStrokeBrush& Stroke) const {
  const QPen& Pen = painter()->pen();
  const double Width = Pen.widthF();
  Stroke.Hairline = Width == 0;
  Stroke.Thickness = static_cast<float>(Width);
  // A cosmetic pen is as wide in device pixels as it says, whatever the transform.
  if (Width > 0 && Pen.isCosmetic()) {
    const double Scale = CanvasScale();
    if (Scale > 0) Stroke.Thickness = static_cast<float>(Width / Scale);
  }
  Stroke.Cap = Pen.capStyle() == Qt::RoundCap    ? TStrokeCap::Round
               : Pen.capStyle() == Qt::SquareCap ? TStrokeCap::Square
                                                 : TStrokeCap::Flat;
  Stroke.Join = Pen.joinStyle() == Qt::RoundJoin   ? TStrokeJoin::Round
                : Pen.joinStyle() == Qt::BevelJoin ? TStrokeJoin::Bevel
                                                   : TStrokeJoin::Miter;
  // Qt's limit is SVG's ratio of the miter's length to the width (as the Qt host paints
  // it); a plain miter join beyond it is cut by Qt and bevelled by SVG.
  Stroke.MiterLimit = static_cast<float>(std::max(1.0, Pen.miterLimit()));
  if (Pen.style() != Qt::SolidLine) {
    Stroke.Dash = TStrokeDash::Custom;
    for (const qreal Length : Pen.dashPattern()) Stroke.DashArray.push_back(static_cast<float>(Length));
    Stroke.DashOffset = static_cast<float>(Pen.dashOffset());
  }
  return MakeFill(Pen.brush(), Bounds, Stroke);
}

void TCanvasPaintEngine::PaintShape(const QPainterPath& Shape, const std::function<void(const TBrush&)>& Fill,
                                    const std::function<void(const TStrokeBrush&)>& Stroke) {
  const QRectF Bounds = Shape.boundingRect();
  const QBrush& Painted = painter()->brush();
  if (Fill && Painted.style() != Qt::NoBrush) {
    TBrush Brush;
    if (MakeFill(Painted, Bounds, Brush))
      Fill(Brush);
    else if (!FillMovedTexture(Shape, Painted))
      PaintRaster(Shape, Painted);
  }
  const QPen& QtPen = painter()->pen();
  if (QtPen.style() != Qt::NoPen && QtPen.brush().style() != Qt::NoBrush) {
    TStrokeBrush Pen;
    if (MakeStroke(Bounds, Pen)) {
      const bool Shifted = AlignAliased(Pen, Bounds.topLeft());
      bool Band = false;
      QPainterPath Flat = ThinStroke(Shape, Pen, Band);
      if (Flat.isEmpty()) Flat = Flattened(Shape, Pen.Dash == TStrokeDash::Solid ? 2 : 1);
      if (Flat.isEmpty())
        Stroke(Pen);
      else if (Band)
        FCanvas->FillPath(ToPath(Flat), Opacity(), Pen);
      else
        FCanvas->DrawPath(ToPath(Flat), Opacity(), Pen);
      if (Shifted) ApplyMatrix(FTransform);
    } else {
      QPainterPathStroker Stroker(QtPen);
      PaintRaster(Stroker.createStroke(Shape), QtPen.brush());
    }
  }
}

// Qt paints Shape with Brush into a picture of the canvas's pixels it covers (through the
// view box too, which may move and scale them), which the canvas draws under no matrix
// (the picture has it already).
void TCanvasPaintEngine::PaintRaster(const QPainterPath& Shape, const QBrush& Brush) {
  const QRect Area =
      ToCanvas().map(Shape).boundingRect().toAlignedRect() & QRect(0, 0, FCanvas->GetWidth(), FCanvas->GetHeight());
  if (Area.isEmpty()) return;
  QImage Picture(Area.size(), QImage::Format_ARGB32_Premultiplied);
  Picture.fill(Qt::transparent);
  {
    QPainter Painter(&Picture);
    Painter.setRenderHint(QPainter::Antialiasing);
    Painter.setTransform(ToCanvas() * QTransform::fromTranslate(-Area.x(), -Area.y()));
    Painter.setBrushOrigin(painter()->brushOrigin());
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(Brush);
    Painter.drawPath(Shape);
  }
  const QTransform Kept = FTransform;
  ApplyMatrix(FBase.inverted());
  FCanvas->DrawBitmap(ToBitmap(Picture), {0, 0, static_cast<float>(Area.width()), static_cast<float>(Area.height())},
                      ToRect(QRectF(Area)), Opacity(), true);
  ApplyMatrix(Kept);
}

void TCanvasPaintEngine::drawRects(const QRectF* Rects, int Count) {
  Drawing([&] {
    for (int I = 0; I < Count; ++I) {
      const QRectF Rect = Rects[I];
      QPainterPath Shape;
      Shape.addRect(Rect);
      PaintShape(
          Shape, [&](const TBrush& B) { FCanvas->FillRect(ToRect(Rect), 0, 0, AllCorners, Opacity(), B); },
          [&](const TStrokeBrush& S) {
            FCanvas->DrawRect(ToRect(Rect), 0, 0, AllCorners, Opacity(), Closed(S, Rect));
          });
    }
  });
}

void TCanvasPaintEngine::drawLines(const QLineF* Lines, int Count) {
  Drawing([&] {
    for (int I = 0; I < Count; ++I) {
      QPainterPath Shape(Lines[I].p1());
      Shape.lineTo(Lines[I].p2());
      PaintShape(Shape, nullptr, [&](const TStrokeBrush& S) {
        const double Scale = CanvasScale();
        if (Hinted(QPainter::Antialiasing) && S.Cap == TStrokeCap::Square && S.Dash == TStrokeDash::Solid &&
            Scale > 0 && (S.Hairline || S.Thickness * Scale <= 1)) {
          TStrokeBrush Flat = S;
          Flat.Cap = TStrokeCap::Flat;
          const QLineF Line = ThinSquareLine(Lines[I]);
          FCanvas->DrawLine(ToPoint(Line.p1()), ToPoint(Line.p2()), Opacity(), Flat);
          return;
        }
        FCanvas->DrawLine(ToPoint(Lines[I].p1()), ToPoint(Lines[I].p2()), Opacity(), S);
      });
    }
  });
}

void TCanvasPaintEngine::drawEllipse(const QRectF& Rect) {
  Drawing([&] {
    QPainterPath Shape;
    Shape.addEllipse(Rect);
    PaintShape(
        Shape, [&](const TBrush& B) { FCanvas->FillEllipse(ToRect(Rect), Opacity(), B); },
        [&](const TStrokeBrush& S) { FCanvas->DrawEllipse(ToRect(Rect), Opacity(), Closed(S, Rect)); });
  });
}

void TCanvasPaintEngine::drawPath(const QPainterPath& Path) { PaintPath(Path, true); }

void TCanvasPaintEngine::PaintPath(const QPainterPath& Path, bool Filled) {
  Drawing([&] {
    const TPathData Outline = ToPath(Path);
    if (Outline.IsEmpty()) return;
    const std::function<void(const TBrush&)> Fill = [&](const TBrush& B) { FCanvas->FillPath(Outline, Opacity(), B); };
    PaintShape(Path, Filled ? Fill : nullptr, [&](const TStrokeBrush& S) { FCanvas->DrawPath(Outline, Opacity(), S); });
  });
}

void TCanvasPaintEngine::drawPolygon(const QPointF* Points, int Count, PolygonDrawMode Mode) {
  QPainterPath Path;
  Path.setFillRule(Mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
  Path.addPolygon(QPolygonF(QList<QPointF>(Points, Points + Count)));
  if (Mode != PolylineMode) Path.closeSubpath();
  PaintPath(Path, Mode != PolylineMode);
}

// A point is a dot of the pen's width: round for a round cap, square otherwise; in a pen
// the canvas cannot paint with, painted by Qt as a picture.
void TCanvasPaintEngine::drawPoints(const QPointF* Points, int Count) {
  Drawing([&] {
    TStrokeBrush Pen;
    if (painter()->pen().style() == Qt::NoPen) return;
    const bool Made = MakeStroke({}, Pen);
    if (Made && Pen.Kind == TBrushKind::None) return;
    const float Half = Pen.Hairline ? 0.5f : Pen.Thickness / 2;
    for (int I = 0; I < Count; ++I) {
      const TPointF P = ToPoint(Points[I]);
      const TRectF Dot{P.X - Half, P.Y - Half, P.X + Half, P.Y + Half};
      if (!Made) {
        const QRectF Box(Dot.Left, Dot.Top, 2 * Half, 2 * Half);
        QPainterPath Shape;
        Pen.Cap == TStrokeCap::Round ? Shape.addEllipse(Box) : Shape.addRect(Box);
        PaintRaster(Shape, painter()->pen().brush());
      } else if (Pen.Cap == TStrokeCap::Round)
        FCanvas->FillEllipse(Dot, Opacity(), Pen);
      else
        FCanvas->FillRect(Dot, 0, 0, AllCorners, Opacity(), Pen);
    }
  });
}

}  // namespace fsvg::detail
