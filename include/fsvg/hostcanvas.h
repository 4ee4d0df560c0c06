// The host canvas: the abstract TCanvas that a TSvgCanvas forwards every call to, and
// TNullCanvas, which keeps all state and paints nothing. A real host (a raster canvas
// over a 2D graphics library) derives from TCanvas and implements the protected Do*
// hooks. This is the one include a host needs: it brings the value types, the paint
// objects, the corner outline, the text layout and the errors with it.
/// @file
/// The host canvas layer: TCanvas, TNullCanvas and the pixel snapping every canvas shares; the one include a host
/// needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>
#include <vector>

#include "fsvg/bitmap.h"
#include "fsvg/errors.h"
#include "fsvg/export.h"
#include "fsvg/glyphs.h"
#include "fsvg/outline.h"
#include "fsvg/paint.h"
#include "fsvg/path.h"
#include "fsvg/textlayout.h"
#include "fsvg/types.h"

namespace fsvg {
/// @addtogroup hostcanvas
/// @{

/// A snapshot of a canvas's paint, font, offset, matrix and clip, made by SaveState.
/// Owned by the canvas that made it; hosts may derive from it to save more.
///
///     TCanvasSaveState* Saved = Canvas.SaveState();
///     Canvas.SetOffset({20, 20});
///     Canvas.RestoreState(Saved);  // paint, font, offset and matrix as they were
class FSVG_API TCanvasSaveState {
 public:
  virtual ~TCanvasSaveState() = default;

  TBrush Fill;          ///< the saved fill
  TStrokeBrush Stroke;  ///< the saved stroke
  TFont Font;           ///< the saved font
  TPointF Offset;       ///< the saved offset
  TMatrix Matrix;       ///< the saved matrix
  TClip Clip;           ///< the saved clip
};

/// The snap to the device pixel grid that every canvas shares: nearest(v*s + 0.0001)/s
/// for the identity matrix, nearest((v+t)*s + 0.0001)/s - t for a translation, v
/// unchanged otherwise. Exact halves of nearest() go to the even integer; a scale that
/// is not positive, a scaled value outside the 64-bit range or a result beyond the
/// float range leaves v unchanged.
/// @ingroup writinghost
FSVG_API float SnapToPixel(float Value, float Scale, TMatrixMeaning Kind, float Translation);
/// The far edge of a span whose length is rounded to whole device pixels:
/// Start + nearest(Length*s)/s, in double precision, with the same rounding and limits
/// as SnapToPixel (an unroundable length is kept). Fallback when the edge lies beyond
/// the float range.
/// @ingroup writinghost
FSVG_API float SnapSpanToPixels(float Start, float Length, float Scale, float Fallback);

/// The host canvas: state kept here, painting done by the protected Do* hooks.
/// Every drawing hook is pure, so a host that forgets one does not compile. The public
/// drawing calls pass their arguments to the hooks unchanged; the brush-less overloads
/// pass the current Fill or Stroke. A drawing call refuses a value that is not finite
/// (NaN or an infinity) with EArgumentError before any hook runs, so no host paints it.
///
///     void DrawChart(fsvg::TCanvas& Canvas) {
///       Canvas.FillRect({0, 0, 100, 50}, 4, 4, fsvg::AllCorners, 1);  // the current Fill
///     }
class FSVG_API TCanvas {
 public:
  /// A canvas of the given size in logical units and scale (device pixels per unit).
  /// Throws EArgumentError for a negative size or a scale that is not positive.
  explicit TCanvas(std::int32_t AWidth = 0, std::int32_t AHeight = 0, float AScale = 1,
                   TCanvasQuality AQuality = TCanvasQuality::SystemDefault);
  /// Frees the saved states.
  virtual ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  /// Takes the lock shared by every canvas of the process (recursive). Nothing in the
  /// library takes it on its own.
  static void Lock();
  /// Releases the lock taken by Lock.
  static void Unlock();

  /// @name Scene, state and size
  /// @{

  /// Opens a scene; nested calls only count. Returns false (and counts nothing) when
  /// the host cannot begin; throws EOverflowError when INT32_MAX scenes are open.
  bool BeginScene(PClipRects AClipRects = nullptr, std::uintptr_t AContextHandle = 0);
  /// Closes the innermost scene. Throws EMisuseError when no scene is open.
  void EndScene();
  /// Pushes pending painting to the target; the base canvas has nothing to push.
  virtual void Flush() {}
  /// Resizes the canvas in logical units. Throws EArgumentError for a negative
  /// size; when the host refuses the size (DoSetSize throws), the previous one stays.
  void SetSize(std::int32_t AWidth, std::int32_t AHeight);
  /// Saves paint, font, offset, matrix and clip; the state stays owned by this canvas.
  TCanvasSaveState* SaveState();
  /// Restores State and releases it and every state saved after it, in time linear in
  /// the number released. Throws EMisuseError when State is not a live state of this
  /// canvas; a state restored already is caught while fewer than 256 states have been
  /// released since.
  void RestoreState(const TCanvasSaveState* State);
  /// @}

  /// @name Layers
  /// Everything drawn between BeginLayer and its EndLayer is painted into a picture of its
  /// own, which EndLayer lays over what lies under it at the layer's opacity, by its blend
  /// mode. Each drawing call inside is clipped by the clip in force when it is made; the
  /// picture itself is not clipped again. Layers nest; the state (paint, matrix, clip,
  /// saved states) is not part of a layer and goes on across its ends.
  /// @{

  /// Begins a layer. Throws EArgumentError, beginning none, for an opacity that is NaN or
  /// outside 0 to 1, or a blend mode that is not one of TBlendMode's.
  void BeginLayer(float Opacity, TBlendMode Blend = TBlendMode::Normal);
  /// Ends the innermost layer and lays its picture down. Throws EMisuseError when no layer
  /// is open.
  void EndLayer();
  /// How many layers are open.
  std::int32_t GetLayerCount() const { return static_cast<std::int32_t>(FLayers.size()); }
  /// @}

  /// @name Drawing with an explicit paint
  /// Opacity multiplies the paint's alpha. Positions are offset by GetOffset(), but
  /// for Clear. Coordinates, sizes, radii, angles, opacity and the points of a polygon
  /// must be finite (EArgumentError otherwise); a stroke's thickness need not be: one
  /// that is NaN, zero or negative paints nothing.
  /// @{

  /// Replaces every pixel with Color.
  void Clear(TAlphaColor Color);
  /// Replaces the pixels of ARect with AColor.
  void ClearRect(const TRectF& ARect, TAlphaColor AColor);
  /// Fills ARect; the corners in ACorners get the radii, shaped by ACornerType.
  void FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                const TBrush& ABrush, TCornerType ACornerType = TCornerType::Round);
  /// Outlines ARect, the stroke centred on its edges; corners as for FillRect.
  void DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                const TStrokeBrush& ABrush, TCornerType ACornerType = TCornerType::Round);
  /// Strokes the segment from APt1 to APt2.
  void DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush);
  /// Fills the ellipse inscribed in ARect.
  void FillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush);
  /// Outlines the ellipse inscribed in ARect.
  void DrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush);
  /// Fills the region between an elliptical arc and its chord. Angles in degrees: 0
  /// along +X, positive towards +Y; the arc runs from StartAngle through SweepAngle.
  void FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
               const TBrush& ABrush);
  /// Strokes an elliptical arc; angles as for FillArc.
  void DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
               const TStrokeBrush& ABrush);
  /// Fills the polygon with the current Fill.
  void FillPolygon(const TPolygon& Points, float AOpacity);
  /// Outlines the polygon, closed, with the current Stroke.
  void DrawPolygon(const TPolygon& Points, float AOpacity);
  /// Fills APath by its fill rule. An empty path paints nothing; a path with a step
  /// before its first MoveTo, or a number that is not finite, is refused (EArgumentError).
  void FillPath(const TPathData& APath, float AOpacity, const TBrush& ABrush);
  /// Strokes APath: each subpath open unless closed by ClosePath. Refusals as FillPath.
  void DrawPath(const TPathData& APath, float AOpacity, const TStrokeBrush& ABrush);
  /// Paints the pixels of ABitmap inside Source stretched over Dest (offset), at AOpacity;
  /// HighSpeed asks for the nearest pixel rather than a smooth filter. Source's edges must
  /// be whole pixels inside the bitmap, with Left < Right and Top < Bottom; Source, Dest
  /// and AOpacity must be finite (EArgumentError otherwise). An empty or reversed Dest
  /// paints nothing.
  void DrawBitmap(const TBitmap& ABitmap, const TRectF& Source, const TRectF& Dest, float AOpacity, bool HighSpeed);
  /// @}

  /// @name Drawing with the current Fill or Stroke
  /// @{

  /// FillRect with the current Fill.
  void FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                TCornerType ACornerType = TCornerType::Round);
  /// DrawRect with the current Stroke.
  void DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                TCornerType ACornerType = TCornerType::Round);
  /// DrawLine with the current Stroke.
  void DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity);
  /// FillEllipse with the current Fill.
  void FillEllipse(const TRectF& ARect, float AOpacity);
  /// DrawEllipse with the current Stroke.
  void DrawEllipse(const TRectF& ARect, float AOpacity);
  /// FillArc with the current Fill.
  void FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity);
  /// DrawArc with the current Stroke.
  void DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity);
  /// FillPath with the current Fill.
  void FillPath(const TPathData& APath, float AOpacity);
  /// DrawPath with the current Stroke.
  void DrawPath(const TPathData& APath, float AOpacity);
  /// @}

  /// @name Clipping
  /// The clip is part of the state: SaveState keeps it and RestoreState brings it back.
  /// Each step takes the offset and matrix in force when it is set, and every drawing
  /// call after it paints only inside the region left. Each change is counted by
  /// GetClippingChangeCount. A rectangle or path that is not finite is refused
  /// (EArgumentError) and the clip stays as it was.
  /// @{

  /// Clips to the part of the current region inside ARect.
  void IntersectClipRect(const TRectF& ARect);
  /// Clips to the part of the current region outside ARect.
  void ExcludeClipRect(const TRectF& ARect);
  /// Clips to the part of the current region inside APath, by its fill rule. An empty
  /// path leaves nothing; refusals as FillPath.
  void IntersectClipPath(const TPathData& APath);
  /// The current clip, newest step first; null when nothing is clipped. Hosts apply
  /// every step of it when they paint.
  const TClip& GetClip() const { return FClip; }
  /// Replaces the clip with Clip (from GetClip of this or another canvas; null for none).
  /// A chain made by hand is refused (EArgumentError) unless a canvas could have made
  /// it: known kinds, finite values, paths that FillPath takes, each depth one more than
  /// its parent's.
  void SetClip(const TClip& Clip);
  /// @}

  /// @name Text, with the current Font and Fill
  /// @{

  /// Paints AText laid out in ARect: ATextAlign horizontally, AVTextAlign vertically,
  /// broken at spaces when WordWrap is set, at line feeds always. The rectangle, the
  /// opacity and the current Font's size must be finite (EArgumentError otherwise).
  void FillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity, TFillTextFlags Flags,
                TTextAlign ATextAlign, TTextAlign AVTextAlign = TTextAlign::Center);
  /// Sets ARect to the bounds the text takes when laid out in ARect.
  void MeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags, TTextAlign ATextAlign,
                   TTextAlign AVTextAlign);
  /// Fills ALines with the lines the text takes when laid out in ARect.
  void MeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                    TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign = TTextAlign::Center);
  /// The metrics of the current Font as this canvas lays text out: a line of text
  /// from MeasureLines has its baseline at its Rect.Top + Ascent. A recording that
  /// keeps the host's layout places each line there.
  TFontMetrics GetFontMetrics() const { return DoGetFontMetrics(); }
  /// Fills AGlyphs with the glyph runs FillText paints with the same arguments, one
  /// entry a line of MeasureLines's; none when the host has no outlines (the default).
  /// Refusals as FillText's; AGlyphs is left as it was whenever it throws.
  void MeasureGlyphs(TGlyphLines& AGlyphs, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                     TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign = TTextAlign::Center);
  /// The width of AText on one line.
  float TextWidth(std::u16string_view AText);
  /// The height of AText's line.
  float TextHeight(std::u16string_view AText);
  /// @}

  /// @name Pixel alignment under the current scale and matrix (see SnapToPixel)
  /// @{

  /// Value snapped to the device pixel grid on the horizontal axis.
  virtual float AlignToPixelHorizontally(float Value) const;
  /// Value snapped to the device pixel grid on the vertical axis.
  virtual float AlignToPixelVertically(float Value) const;
  /// @}

  /// @name State
  /// The paint and font objects are this canvas's own: changes made through them show
  /// in the next drawing call.
  /// @{

  /// The current fill.
  TBrush& GetFill() { return FFill; }
  /// The current fill.
  const TBrush& GetFill() const { return FFill; }
  /// Copies Value into the current fill.
  void SetFill(const TBrush& Value) { FFill = Value; }
  /// The current stroke.
  TStrokeBrush& GetStroke() { return FStroke; }
  /// The current stroke.
  const TStrokeBrush& GetStroke() const { return FStroke; }
  /// Copies Value into the current stroke.
  void SetStroke(const TStrokeBrush& Value) { FStroke = Value; }
  /// The current font.
  TFont& GetFont() { return FFont; }
  /// The current font.
  const TFont& GetFont() const { return FFont; }
  /// The translation added to every position drawn (but Clear's).
  TPointF GetOffset() const { return FOffset; }
  /// Sets the translation added to every position drawn. Throws EArgumentError when it
  /// is not finite.
  void SetOffset(const TPointF& Value);
  /// Width in logical units.
  std::int32_t GetWidth() const { return FWidth; }
  /// Height in logical units.
  std::int32_t GetHeight() const { return FHeight; }
  /// Device pixels per logical unit.
  float GetScale() const { return FScale; }
  /// The quality the canvas was created with.
  TCanvasQuality GetQuality() const { return FQuality; }
  /// The current transformation matrix.
  const TMatrix& GetMatrix() const { return FMatrix; }
  /// Sets the transformation matrix and derives its meaning (identity, translation, other).
  /// When the host refuses it (DoSetMatrix throws), the previous matrix stays in force.
  /// Throws EArgumentError, and keeps the previous matrix, when an entry is not finite.
  void SetMatrix(const TMatrix& Value);
  /// What the current matrix is known to be.
  TMatrixMeaning GetMatrixMeaning() const { return FMatrixMeaning; }
  /// How many scenes are open.
  std::int32_t GetBeginSceneCount() const { return FBeginSceneCount; }
  /// How often the clipping region has changed.
  std::int32_t GetClippingChangeCount() const { return FClippingChangeCount; }
  /// How many saved states are held.
  std::int32_t GetSavingStateCount() const { return static_cast<std::int32_t>(FSavedStates.size()); }
  /// @}

 protected:
  /// Called when the outermost scene begins; false refuses the scene.
  virtual bool DoBeginScene(PClipRects AClipRects, std::uintptr_t AContextHandle);
  /// Called when the outermost scene ends.
  virtual void DoEndScene() {}
  /// Called after the size has changed.
  virtual void DoSetSize() {}
  /// Creates the object SaveState fills; a host that saves more returns its own kind.
  virtual std::unique_ptr<TCanvasSaveState> DoCreateSaveState() const;
  /// Copies this canvas's state into State.
  virtual void DoSaveState(TCanvasSaveState& State) const;
  /// Copies State back into this canvas.
  virtual void DoRestoreState(const TCanvasSaveState& State);
  /// Called after the matrix has changed; may throw to refuse it.
  virtual void DoSetMatrix() {}
  /// Counts a change of the clipping region; the clipping calls make it themselves.
  void ClippingChanged() { ++FClippingChangeCount; }

  /// @name Painting hooks
  /// One per drawing call, with the caller's arguments (the brush-less calls pass the
  /// current paint). A hook may throw; the error reaches the caller unchanged.
  /// @{

  /// Paints Clear.
  virtual void DoClear(TAlphaColor Color) = 0;
  /// Paints ClearRect.
  virtual void DoClearRect(const TRectF& ARect, TAlphaColor AColor) = 0;
  /// Paints FillRect.
  virtual void DoFillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          const TBrush& ABrush, TCornerType ACornerType) = 0;
  /// Paints DrawRect.
  virtual void DoDrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          const TStrokeBrush& ABrush, TCornerType ACornerType) = 0;
  /// Paints DrawLine.
  virtual void DoDrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush) = 0;
  /// Paints FillEllipse.
  virtual void DoFillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush) = 0;
  /// Paints DrawEllipse.
  virtual void DoDrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush) = 0;
  /// Paints FillArc.
  virtual void DoFillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity, const TBrush& ABrush) = 0;
  /// Paints DrawArc.
  virtual void DoDrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity, const TStrokeBrush& ABrush) = 0;
  /// Paints FillPolygon with the current Fill.
  virtual void DoFillPolygon(const TPolygon& Points, float AOpacity) = 0;
  /// Paints DrawPolygon with the current Stroke.
  virtual void DoDrawPolygon(const TPolygon& Points, float AOpacity) = 0;
  /// Paints FillPath: never an empty path, and every number finite, every subpath
  /// begun by a MoveTo. Arcs are painted as ArcToCurves gives them.
  virtual void DoFillPath(const TPathData& APath, float AOpacity, const TBrush& ABrush) = 0;
  /// Paints DrawPath; the path as for DoFillPath.
  virtual void DoDrawPath(const TPathData& APath, float AOpacity, const TStrokeBrush& ABrush) = 0;
  /// Paints FillText. A host that lays text out with LayoutText gets the lines from
  /// MeasureLines with the same arguments.
  virtual void DoFillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                          TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) = 0;
  /// Paints DrawBitmap: Source is whole pixels inside the bitmap and not empty, Dest has
  /// a positive width and height.
  virtual void DoDrawBitmap(const TBitmap& ABitmap, const TRectF& Source, const TRectF& Dest, float AOpacity,
                            bool HighSpeed) = 0;
  /// @}

  /// @name Layer hooks
  /// @{

  /// Starts painting into a new transparent picture, over the pictures of the layers open.
  virtual void DoBeginLayer(float Opacity, TBlendMode Blend) = 0;
  /// Lays the innermost layer's picture, begun with these values, over what lies under it,
  /// unclipped; later painting goes there again. Called before the layer leaves
  /// GetLayerCount.
  virtual void DoEndLayer(float Opacity, TBlendMode Blend) = 0;
  /// @}

  /// @name Text layout hooks
  /// A host that paints text supplies a measurer of its current Font and its font
  /// metrics; the defaults below then answer every measuring call from the shared
  /// layout, as LayoutText describes it. A host that lays text out its own way
  /// overrides DoMeasureLines, which the other defaults go through. A host without a
  /// measurer lays out no lines, and the recording canvas then places its text plainly.
  /// @{

  /// A measurer of runs in the current Font, or null (the default) when this canvas
  /// lays no text out. May throw for a font the host cannot use.
  virtual std::unique_ptr<TTextMeasurer> DoCreateTextMeasurer() const;
  /// Answers GetFontMetrics. A host that paints text overrides it with its font's
  /// own metrics; this default, from the font's size alone, suits a host whose fonts
  /// rise 0.8 em above the baseline and lines 1.2 em apart.
  virtual TFontMetrics DoGetFontMetrics() const;
  /// Answers MeasureLines: LayoutText with DoCreateTextMeasurer's measurer and
  /// GetFontMetrics().LineHeight, or no line without a measurer.
  virtual void DoMeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                              TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign);
  /// Answers MeasureText: the bounds of DoMeasureLines's lines, from the first line's
  /// top to the last one's bottom; without a line, an empty rectangle at ARect's
  /// left and top.
  virtual void DoMeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags,
                             TTextAlign ATextAlign, TTextAlign AVTextAlign);
  /// Answers TextWidth: the widest of DoMeasureLines's lines, unwrapped; 0 without one.
  virtual float DoTextWidth(std::u16string_view AText);
  /// Answers MeasureGlyphs: the glyph runs of the lines DoFillText paints, in the faces
  /// it paints them in. This default fills no line: the host has no outlines.
  virtual void DoMeasureGlyphs(TGlyphLines& AGlyphs, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                               TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign);
  /// Answers TextHeight: DoMeasureLines's lines, unwrapped, one at least (so empty text
  /// has the height of a line), times GetFontMetrics().LineHeight.
  virtual float DoTextHeight(std::u16string_view AText);
  /// @}

 private:
  TBrush FFill;
  TStrokeBrush FStroke;
  TFont FFont;
  TPointF FOffset;
  std::int32_t FWidth;
  std::int32_t FHeight;
  float FScale;
  TCanvasQuality FQuality;
  TMatrix FMatrix;
  TMatrixMeaning FMatrixMeaning = TMatrixMeaning::Identity;
  std::int32_t FBeginSceneCount = 0;
  std::int32_t FClippingChangeCount = 0;
  TClip FClip;
  std::vector<std::unique_ptr<TCanvasSaveState>> FSavedStates;
  // The open layers' opacity and blend mode, outermost first.
  struct TLayer {
    float Opacity;
    TBlendMode Blend;
  };
  std::vector<TLayer> FLayers;
  // The states released last, oldest first, kept so that their addresses are not reused.
  static constexpr std::size_t ReleasedStatesKept = 256;
  std::deque<std::unique_ptr<TCanvasSaveState>> FReleasedStates;
};

/// A host that keeps all state and paints nothing: the host to use when only the SVG
/// is wanted, and the base for test doubles. It has no text measurer, so it lays out no
/// line and measures every text as empty, of no height either.
///
///     fsvg::TNullCanvas Host(640, 480);
///     fsvg::TSvgCanvas Canvas("chart.svg", &Host);  // only the SVG is wanted
///     Canvas.Clear(0xFFFFFFFF);
class FSVG_API TNullCanvas : public TCanvas {
 public:
  using TCanvas::TCanvas;  ///< the constructors of TCanvas

 protected:
  void DoClear(TAlphaColor) override {}
  void DoClearRect(const TRectF&, TAlphaColor) override {}
  void DoFillRect(const TRectF&, float, float, TCorners, float, const TBrush&, TCornerType) override {}
  void DoDrawRect(const TRectF&, float, float, TCorners, float, const TStrokeBrush&, TCornerType) override {}
  void DoDrawLine(const TPointF&, const TPointF&, float, const TStrokeBrush&) override {}
  void DoFillEllipse(const TRectF&, float, const TBrush&) override {}
  void DoDrawEllipse(const TRectF&, float, const TStrokeBrush&) override {}
  void DoFillArc(const TPointF&, const TPointF&, float, float, float, const TBrush&) override {}
  void DoDrawArc(const TPointF&, const TPointF&, float, float, float, const TStrokeBrush&) override {}
  void DoFillPolygon(const TPolygon&, float) override {}
  void DoDrawPolygon(const TPolygon&, float) override {}
  void DoFillPath(const TPathData&, float, const TBrush&) override {}
  void DoDrawPath(const TPathData&, float, const TStrokeBrush&) override {}
  void DoFillText(const TRectF&, std::u16string_view, bool, float, TFillTextFlags, TTextAlign, TTextAlign) override {}
  float DoTextHeight(std::u16string_view) override { return 0; }
  void DoDrawBitmap(const TBitmap&, const TRectF&, const TRectF&, float, bool) override {}
  void DoBeginLayer(float, TBlendMode) override {}
  void DoEndLayer(float, TBlendMode) override {}
};

/// @}
}  // namespace fsvg
