// TQtCanvas's drawing hooks. Every operation paints through the scene's QPainter (or, out
// of a scene, one of its own), set up by BeginPaint from the canvas's offset, matrix and
// scale and restored when the operation ends, so that no painter state outlives the call
// that set it. Values the canvas takes are checked by TCanvas before a
// hook runs. Every shape comes as the one TOutline every host paints (TOutlineCanvas),
// filled or stroked here, and the stroke's thickness and limits are the outline's.
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "fsvg/qtcanvas.h"
#include "paths.h"
#include "text.h"

namespace fsvg {

using namespace qthost;

namespace {

// QPainter's composition mode for each blend mode, in TBlendMode's order.
constexpr QPainter::CompositionMode BlendModes[] = {
    QPainter::CompositionMode_SourceOver, QPainter::CompositionMode_Multiply, QPainter::CompositionMode_Screen,
    QPainter::CompositionMode_Overlay,    QPainter::CompositionMode_Darken,   QPainter::CompositionMode_Lighten,
    QPainter::CompositionMode_Difference};
static_assert(std::size(BlendModes) == static_cast<std::size_t>(TBlendMode::Difference) + 1);

}  // namespace

void TQtCanvas::TPainterEnd::operator()(QPainter* Painter) const {
  if (Restore)
    Painter->restore();
  else
    delete Painter;
}

TQtCanvas::TPainter TQtCanvas::BeginPaint(bool Transformed) {
  const TMatrix& M = GetMatrix();
  // Row vectors, as QTransform takes them: x' = x*m11 + y*m21 + m31, y' = x*m12 + y*m22 + m32.
  // The projective column has no meaning for a 2D affine painter and is ignored. A
  // caller's device applies its own pixel ratio.
  QTransform Transform;
  if (Transformed) {
    Transform =
        QTransform::fromTranslate(GetOffset().X, GetOffset().Y) * QTransform(M.m11, M.m12, M.m21, M.m22, M.m31, M.m32);
    if (FOwnsImage) Transform *= QTransform::fromScale(GetScale(), GetScale());
  }
  // A singular matrix flattens every shape to no area: there is nothing to paint; nor is
  // there on an image without pixels.
  if (!Transform.isInvertible() || (FOwnsImage && FImage.isNull())) return nullptr;
  TPainter Painter;
  if (FScenePainter && FScenePainter->isActive()) {
    FScenePainter->save();
    Painter = TPainter(FScenePainter.get(), TPainterEnd{true});
  } else {
    Painter = TPainter(new QPainter, TPainterEnd{false});
    BeginOnDevice(*Painter);
  }
  Painter->setRenderHint(QPainter::Antialiasing);
  Painter->setTransform(Transform);
  if (GetClip() &&
      !ApplyClip(*Painter, GetClip(), FOwnsImage ? GetScale() : 1, QSizeF(FDevice->width(), FDevice->height())))
    return nullptr;
  return Painter;
}

// Clear replaces every device pixel the clip leaves, whatever the matrix: a singular one
// flattens shapes, not the surface.
void TQtCanvas::DoClear(TAlphaColor Color) {
  TPainter Painter = BeginPaint(false);
  if (!Painter) return;
  Painter->setCompositionMode(QPainter::CompositionMode_Source);
  Painter->fillRect(QRect(0, 0, FDevice->width(), FDevice->height()), ToQColor(Color, 1));
}

void TQtCanvas::DoClearRect(const TRectF& ARect, TAlphaColor AColor) {
  TPainter Painter = BeginPaint();
  if (!Painter) return;
  const TRectF Edges = Normalized(ARect);
  QPainterPath Path;
  Path.addRect(Edges.Left, Edges.Top, static_cast<double>(Edges.Right) - Edges.Left,
               static_cast<double>(Edges.Bottom) - Edges.Top);
  Painter->setCompositionMode(QPainter::CompositionMode_Source);
  Painter->fillPath(Path, ToQColor(AColor, 1));
}

void TQtCanvas::DoFillOutline(const TOutline& Outline, const TBrush& ABrush, float AOpacity) {
  TPainter Painter = BeginPaint();
  if (!Painter) return;
  qthost::FillPath(*Painter, ToPainterPath(Outline), ABrush, AOpacity, Outline.BrushBounds(ABrush));
}

void TQtCanvas::DoStrokeOutline(const TOutline& Outline, const TStrokeBrush& ABrush, float AOpacity) {
  TPainter Painter = BeginPaint();
  if (!Painter) return;
  StrokePath(*Painter, ToPainterPath(Outline), ABrush, AOpacity, Outline);
}

void TQtCanvas::DoFillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                           TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  TLineMetricInfo Lines;
  MeasureLines(Lines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
  const float Ascent = GetFontMetrics().Ascent;
  TPainter Painter = BeginPaint();
  if (!Painter) return;
  const QTransform& Device = Painter->combinedTransform();
  const QFont Font =
      RefFont(GetFont(), std::max(std::hypot(Device.m11(), Device.m12()), std::hypot(Device.m21(), Device.m22())));
  // Glyph outlines filled as one path: exact sub-pixel positions under any transform, and
  // one coverage for the whole text, so overlapping glyphs do not darken under a
  // translucent fill.
  QPainterPath Path;
  Path.setFillRule(Qt::WindingFill);  // a glyph's overlapping contours all fill
  AddTextPath(Path, Font, GetFont().Size, AText, Lines, Ascent);
  qthost::FillPath(*Painter, Path, GetFill(), AOpacity, ARect);
}

TFontMetrics TQtCanvas::DoGetFontMetrics() const { return FontMetrics(RefFont(GetFont()), GetFont().Size); }

std::unique_ptr<TTextMeasurer> TQtCanvas::DoCreateTextMeasurer() const {
  return CreateMeasurer(RefFont(GetFont()), GetFont().Size);
}

// The source's pixels, viewed where they lie (Qt's ARGB32 is 0xAARRGGBB, not
// premultiplied, as TAlphaColor is), scaled onto the destination.
void TQtCanvas::DoDrawBitmap(const TBitmap& ABitmap, const TRectF& Source, const TRectF& Dest, float AOpacity,
                             bool HighSpeed) {
  TPainter Painter = BeginPaint();
  if (!Painter) return;
  const auto Left = static_cast<std::int32_t>(Source.Left), Top = static_cast<std::int32_t>(Source.Top);
  const QImage Image(reinterpret_cast<const uchar*>(ABitmap.Row(Top) + Left), static_cast<int>(Source.Right) - Left,
                     static_cast<int>(Source.Bottom) - Top, static_cast<qsizetype>(ABitmap.GetWidth()) * 4,
                     QImage::Format_ARGB32);
  Painter->setRenderHint(QPainter::SmoothPixmapTransform, !HighSpeed);
  Painter->setOpacity(std::clamp(AOpacity, 0.f, 1.f));
  Painter->drawImage(QRectF(Dest.Left, Dest.Top, static_cast<double>(Dest.Right) - Dest.Left,
                            static_cast<double>(Dest.Bottom) - Dest.Top),
                     Image);
}

// A layer paints into an image of the device's own pixels and pixel ratio, so that every
// position maps to the same device pixel; it is laid down unclipped and untransformed,
// since each call inside was clipped and transformed when it painted.
void TQtCanvas::DoBeginLayer(float, TBlendMode) {
  const qreal Ratio = FDevice->devicePixelRatioF();
  // A widget gives its size in device-independent pixels, an image or a pixmap in its own.
  const qreal Scale = FDevice->devType() == QInternal::Widget ? Ratio : 1;
  const auto Width = static_cast<int>(std::ceil(FDevice->width() * Scale));
  const auto Height = static_cast<int>(std::ceil(FDevice->height() * Scale));
  auto Layer =
      std::make_unique<TLayerImage>(TLayerImage{QImage(Width, Height, QImage::Format_ARGB32_Premultiplied), FDevice});
  if (Width > 0 && Height > 0 && Layer->Image.isNull())
    throw EHostError("TQtCanvas: Qt cannot allocate a layer's image");
  Layer->Image.setDevicePixelRatio(Ratio);
  Layer->Image.fill(Qt::transparent);
  FLayers.push_back(std::move(Layer));
  FDevice = &FLayers.back()->Image;
  RebeginScenePainter();
}

void TQtCanvas::DoEndLayer(float Opacity, TBlendMode Blend) {
  const std::unique_ptr<TLayerImage> Layer = std::move(FLayers.back());
  FLayers.pop_back();
  FDevice = Layer->Under;
  RebeginScenePainter();
  if (Layer->Image.isNull()) return;
  QPainter Own;
  QPainter* Painter = FScenePainter && FScenePainter->isActive() ? FScenePainter.get() : &Own;
  if (Painter == &Own) BeginOnDevice(Own);
  Painter->save();
  Painter->resetTransform();
  Painter->setClipping(false);
  Painter->setCompositionMode(BlendModes[static_cast<std::size_t>(Blend)]);
  Painter->setOpacity(Opacity);
  Painter->drawImage(QPointF(0, 0), Layer->Image);
  Painter->restore();
}

}  // namespace fsvg
