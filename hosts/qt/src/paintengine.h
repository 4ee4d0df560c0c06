// The paint engine behind the QPainter devices: it keeps the painter's matrix and clip as
// the canvas's, and turns each drawing operation, in the painter's pen and brush, into
// TCanvas calls. Qt sees
// no exception: the first error is kept, stops the session and is thrown to the caller
// by the device.
#pragma once

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <cmath>
#include <exception>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "fsvg/hostcanvas.h"

namespace fsvg::detail {

class TCanvasPaintEngine final : public QPaintEngine {
 public:
  // Open gives the canvas of a session (null or a throw refuses it); Finish ends it.
  TCanvasPaintEngine(std::function<TCanvas*()> Open, std::function<void()> Finish);

  // Every painter coordinate goes through Base before the canvas sees it.
  void SetBase(const QTransform& Base) { FBase = Base; }
  // The first error since the last call, or null; forgotten once taken.
  std::exception_ptr TakeError();

  bool begin(QPaintDevice* Device) override;
  bool end() override;
  void updateState(const QPaintEngineState& State) override;
  void drawRects(const QRectF* Rects, int Count) override;
  void drawLines(const QLineF* Lines, int Count) override;
  void drawEllipse(const QRectF& Rect) override;
  void drawPath(const QPainterPath& Path) override;
  void drawPoints(const QPointF* Points, int Count) override;
  void drawPolygon(const QPointF* Points, int Count, PolygonDrawMode Mode) override;
  void drawPixmap(const QRectF& Rect, const QPixmap& Pixmap, const QRectF& Source) override;
  void drawImage(const QRectF& Rect, const QImage& Image, const QRectF& Source,
                 Qt::ImageConversionFlags Flags) override;
  void drawTiledPixmap(const QRectF& Rect, const QPixmap& Pixmap, const QPointF& Offset) override;
  void drawTextItem(const QPointF& Point, const QTextItem& Item) override;
  Type type() const override { return QPaintEngine::User; }

 private:
  // Runs Step unless the session has failed; keeps its error and fails the session.
  template <typename F>
  void Guarded(F&& Step);
  // Runs a drawing operation as Guarded does, in a layer of the blend mode when there is one.
  template <typename F>
  void Drawing(F&& Step);
  // The canvas paint for the painter's pen and brush, for a shape whose bounds in the
  // painter's coordinates are Bounds (object-bounding gradients need them). False when no
  // canvas paint shows it; MakeStroke has set the pen's geometry (thickness, dashes, caps,
  // joins) even then, which points painted as pictures rely on.
  bool MakeFill(const QBrush& Brush, const QRectF& Bounds, TBrush& Fill) const;
  bool MakeStroke(const QRectF& Bounds, TStrokeBrush& Stroke) const;
  // A texture brush as a canvas bitmap brush tiling from the origin of the texture's space,
  // which maps texels to the painter's coordinates.
  TBrush TextureBrush(const QBrush& Brush) const;
  // A pattern brush (dense, hatched) as the texture Qt paints it with; any other as it is.
  QBrush AsTexture(const QBrush& Brush) const;
  QTransform TextureSpace(const QBrush& Brush) const;
  bool FillMovedTexture(const QPainterPath& Shape, const QBrush& Brush);
  void FillIn(const QTransform& Space, const QPainterPath& Shape, const TBrush& Fill);
  // The painter's state is read where it is used, never kept: a session cannot see the last one's.
  float Opacity() const { return static_cast<float>(painter()->opacity()); }
  bool Hinted(QPainter::RenderHint Hint) const { return painter()->testRenderHint(Hint); }
  // The canvas blend of the painter's composition mode; Normal where the canvas has none.
  TBlendMode Blend() const;
  // Fills and strokes Shape, through Fill and Stroke for what they can paint, else
  // through a picture of the shape painted by Qt itself.
  void PaintShape(const QPainterPath& Shape, const std::function<void(const TBrush&)>& Fill,
                  const std::function<void(const TStrokeBrush&)>& Stroke);
  // Path filled (unless a polyline: Qt only strokes one) and stroked.
  void PaintPath(const QPainterPath& Path, bool Filled);
  bool AlignAliased(const TStrokeBrush& Pen, const QPointF& Anchor);
  QPainterPath ThinStroke(const QPainterPath& Shape, TStrokeBrush& Pen, bool& Band) const;
  QPainterPath Flattened(const QPainterPath& Shape, double Fineness) const;
  QPainterPath InkedBand(const QList<QPolygonF>& Polygons, double Span, bool& Band) const;
  QLineF ThinSquareLine(const QLineF& Line) const;
  // A piece of a text item and where it starts, in the painter's coordinates.
  struct TTextRun {
    qsizetype Start;
    qsizetype Length;
    QPointF Origin;
    double Width;
  };
  std::vector<TTextRun> RasterRuns(const QPointF& Point, const QTextItem& Item) const;
  void PaintRaster(const QPainterPath& Shape, const QBrush& Brush);
  void PaintImage(const QRectF& Rect, const QImage& Image, const QRectF& Source);
  void ApplyMatrix(const QTransform& Transform);
  // Painter coordinates to the canvas's: the painter's transform, then the base.
  QTransform ToCanvas() const { return FTransform * FBase; }
  // How many canvas units a painter unit spans, on average: the square root of the area scale.
  double CanvasScale() const { return std::sqrt(std::abs(ToCanvas().determinant())); }
  void ApplyClip(const QPaintEngineState& State);
  void ClipTo(const QPainterPath& Path, Qt::ClipOperation Operation);

  std::function<TCanvas*()> FOpen;
  std::function<void()> FFinish;
  TCanvas* FCanvas = nullptr;
  TCanvasSaveState* FSaved = nullptr;
  std::exception_ptr FError;
  QTransform FBase;
  QTransform FTransform;
  TClip FBaseClip;     // the canvas's clip when the session began
  TClip FPainterClip;  // the painter's clip, kept while clipping is off
  bool FClipEnabled = false;
  // The bitmap of the texture brush met last, and the texture's key.
  mutable std::shared_ptr<const TBitmap> FTexture;
  mutable qint64 FTextureKey = 0;
  // The texture of the pattern brush met last, and its style and colour.
  mutable QImage FPattern;
  mutable std::pair<Qt::BrushStyle, QRgb> FPatternKey;
};

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
    const TBlendMode Mode = Blend();
    if (Mode == TBlendMode::Normal) return Step();
    FCanvas->BeginLayer(1, Mode);
    Step();
    FCanvas->EndLayer();
  });
}

}  // namespace fsvg::detail
