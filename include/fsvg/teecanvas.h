// TTeeCanvas: a TCanvas whose every drawing call goes to a TSvgCanvas, so that drawing
// code written once against TCanvas paints a host alone or paints and records.
/// @file
/// The tee that lets drawing code written against TCanvas record (included by fsvgcanvas.h).
#pragma once

#include <cstdint>
#include <string_view>

#include "fsvg/export.h"
#include "fsvg/hostcanvas.h"

namespace fsvg {

class TSvgCanvas;

/// A TCanvas that paints on a host and records: drawing code written once against
/// `fsvg::TCanvas&` paints a host alone when given the host, and paints and records when
/// given this canvas. Every drawing call goes to Recorder (which paints its host first,
/// then writes the element) with this canvas's paint, font, offset and matrix copied to
/// the host beforehand; measuring and alignment are the host's. State, scenes and saved
/// states are this canvas's own, as for any TCanvas.
///
///     fsvg::TSvgCanvas Svg("chart.svg", &Host);
///     fsvg::TTeeCanvas Canvas(Svg);
///     DrawChart(Canvas);  // void DrawChart(fsvg::TCanvas&)
class FSVG_API TTeeCanvas : public TCanvas {
 public:
  /// A canvas of the host's size, scale and quality that records into Recorder, which
  /// must outlive it.
  explicit TTeeCanvas(TSvgCanvas& Recorder);
  /// The host's Flush.
  void Flush() override;
  /// The host's alignment, under this canvas's state.
  float AlignToPixelHorizontally(float Value) const override;
  /// The host's alignment, under this canvas's state.
  float AlignToPixelVertically(float Value) const override;

 protected:
  bool DoBeginScene(PClipRects AClipRects, std::uintptr_t AContextHandle) override;
  void DoEndScene() override;
  void DoSetSize() override;
  void DoSetMatrix() override;
  void DoBeginLayer(float Opacity, TBlendMode Blend) override;
  void DoEndLayer(float Opacity, TBlendMode Blend) override;
  void DoClear(TAlphaColor Color) override;
  void DoClearRect(const TRectF& ARect, TAlphaColor AColor) override;
  void DoFillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                  const TBrush& ABrush, TCornerType ACornerType) override;
  void DoDrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                  const TStrokeBrush& ABrush, TCornerType ACornerType) override;
  void DoDrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush) override;
  void DoFillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush) override;
  void DoDrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush) override;
  void DoFillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
                 const TBrush& ABrush) override;
  void DoDrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
                 const TStrokeBrush& ABrush) override;
  void DoFillPolygon(const TPolygon& Points, float AOpacity) override;
  void DoDrawPolygon(const TPolygon& Points, float AOpacity) override;
  void DoFillPath(const TPathData& APath, float AOpacity, const TBrush& ABrush) override;
  void DoDrawPath(const TPathData& APath, float AOpacity, const TStrokeBrush& ABrush) override;
  void DoFillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity, TFillTextFlags Flags,
                  TTextAlign ATextAlign, TTextAlign AVTextAlign) override;
  void DoDrawBitmap(const TBitmap& ABitmap, const TRectF& Source, const TRectF& Dest, float AOpacity,
                    bool HighSpeed) override;
  TFontMetrics DoGetFontMetrics() const override;
  void DoMeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                      TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) override;
  void DoMeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags,
                     TTextAlign ATextAlign, TTextAlign AVTextAlign) override;
  float DoTextWidth(std::u16string_view AText) override;
  float DoTextHeight(std::u16string_view AText) override;

 private:
  // The host with this canvas's paint, font, offset and matrix; only what differs is set.
  TCanvas& Synced() const;
  // The recorder, its host brought to this canvas's state first.
  TSvgCanvas& Recorder() const;

  TSvgCanvas& FRecorder;
};

}  // namespace fsvg
