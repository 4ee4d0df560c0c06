// TSvgCanvas: a recording canvas. Every drawing call goes first, unchanged, to the host
// canvas, and is then written as one SVG 1.1 element line to an output stream.
// State, scene, lock, measuring and alignment calls are answered by the host alone.
//
// The text it writes:
// - UTF-8 without a byte-order mark; the header is an XML declaration and an <svg>
//   element with xmlns and version only; destruction writes "</svg>".
// - Real numbers in fixed point with at most four decimals and no trailing zeros, at
//   most twelve significant digits, "." as separator whatever the locale. A value
//   exactly halfway between two candidates goes to the one whose last digit is even
//   (0.03125 gives 0.0312). A value that rounds to zero is "0", never "-0".
// - Magnitudes from 10^12 up, once rounded, in scientific notation: a mantissa of at
//   most twelve significant digits without trailing zeros, "E" and the exponent with
//   no sign and no leading zeros ("1E20", "1.5E12", "-2.5E300").
// - Not-a-number as "NaN", infinities as "Infinity" and "-Infinity".
// - Colours as #RRGGBB; alpha never reaches a colour, opacity has its own attribute.
// - Text and font family escaped for XML (& < > "), and characters XML 1.0 forbids
//   (C0 controls but tab, LF and CR; U+FFFE, U+FFFF; unpaired surrogates) as U+FFFD.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "fsvg/export.h"
#include "fsvg/hostcanvas.h"
#include "fsvg/streams.h"

namespace fsvg {

/// The one error of the recording canvas's own: a constructor's precondition failed.
class FSVG_API ESvgError : public Exception {
 public:
  using Exception::Exception;
};

/// Throws ESvgError with the message Text when Value is false.
FSVG_API void Check(bool Value, const char* Text);

/// A block of bytes.
using TBytes = std::vector<std::uint8_t>;

/// The UTF-8 encoding of Text, without a byte-order mark. An unpaired surrogate becomes
/// U+FFFD, so the result is always valid UTF-8.
FSVG_API TBytes ToUtf8(std::u16string_view Text);

/// A recording canvas over a host canvas. Not itself a TCanvas. One object is used from
/// one thread at a time; distinct objects are independent.
class FSVG_API TSvgCanvas {
 public:
  /// Records into Stream, which stays the caller's (null: nothing is written anywhere).
  /// Writes the header at once. Throws ESvgError "Canvas parameter is required" when
  /// Canvas is null, after writing "</svg>" to Stream; a stream error from the header
  /// likewise leaves after that teardown.
  TSvgCanvas(TStream* Stream, TCanvas* Canvas);
  /// Records into the file FileName, created or truncated, owned and closed by this
  /// object (empty: nothing is written anywhere). Throws EFCreateError when the file
  /// cannot be created, ESvgError when Canvas is null (the file then holds "</svg>").
  TSvgCanvas(const std::filesystem::path& FileName, TCanvas* Canvas);
  /// Writes "</svg>" and closes an owned file. Never throws: a failure to write the
  /// footer is dropped (use a caller-owned stream to check the final bytes).
  virtual ~TSvgCanvas();
  TSvgCanvas(const TSvgCanvas&) = delete;
  TSvgCanvas& operator=(const TSvgCanvas&) = delete;

  /// The process-wide lock of every TCanvas.
  static void Lock();
  static void Unlock();

  void SetSize(std::int32_t AWidth, std::int32_t AHeight);
  bool BeginScene(PClipRects AClipRects = nullptr, std::uintptr_t AContextHandle = 0);
  void EndScene();
  /// Flushes the host canvas; the output stream is not touched.
  void Flush();

  /// Clears the host canvas and records a rect of its whole size.
  void Clear(TAlphaColor Color);
  void ClearRect(const TRectF& ARect, TAlphaColor AColor);

  TCanvasSaveState* SaveState();
  void RestoreState(const TCanvasSaveState* State);

  TPointF AlignToPixel(const TPointF& Value) const;
  TRectF AlignToPixel(const TRectF& Rect) const;
  float AlignToPixelVertically(float Value) const;
  float AlignToPixelHorizontally(float Value) const;

  // Each drawing call paints the host canvas first, once, with the caller's values;
  // then, when the paint can leave a mark, records the element.
  void FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity);
  void FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
               const TBrush& ABrush);
  void FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                TCornerType ACornerType = TCornerType::Round);
  void FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                const TBrush& ABrush, TCornerType ACornerType = TCornerType::Round);
  void FillEllipse(const TRectF& ARect, float AOpacity);
  void FillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush);
  void DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity);
  void DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush);
  void DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                TCornerType ACornerType = TCornerType::Round);
  void DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                const TStrokeBrush& ABrush, TCornerType ACornerType = TCornerType::Round);
  void DrawEllipse(const TRectF& ARect, float AOpacity);
  void DrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush);
  void DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity);
  void DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
               const TStrokeBrush& ABrush);
  /// Records a polygon of two or more points, filled with the host's current Fill.
  void FillPolygon(const TPolygon& Points, float AOpacity);
  /// Records a closed polyline of two or more points with the host's current Stroke.
  void DrawPolygon(const TPolygon& Points, float AOpacity);

  /// Paints the text on the host, then records it at the rectangle's left and bottom
  /// edges with the host's font family, size and fill colour. Always recorded.
  virtual void FillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                        TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign = TTextAlign::Center);
  virtual void MeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags,
                           TTextAlign ATextAlign, TTextAlign AVTextAlign);
  virtual void MeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                            TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign = TTextAlign::Center);
  float TextWidth(std::u16string_view AText);
  float TextHeight(std::u16string_view AText);

  // Properties, answered by the host canvas (the paint and font objects are its own).
  std::int32_t GetBeginSceneCount() const;
  TCanvasQuality GetQuality() const;
  TStrokeBrush& GetStroke() const;
  TBrush& GetFill() const;
  void SetFill(const TBrush& Value);
  TFont& GetFont() const;
  std::int32_t GetWidth() const;
  std::int32_t GetHeight() const;
  TPointF GetOffset() const;
  void SetOffset(const TPointF& Value);
  std::int32_t GetClippingChangeCount() const;
  /// Decimal places of every real number written: always 4.
  std::int32_t GetMaxDecimalPlaces() const { return FMaxDecimalPlaces; }
  std::int32_t GetSavingStateCount() const;

 protected:
  // The writers, for classes that record more (an overridden FillText, say). Each
  // hands its bytes to the stream at once; with a null stream they do nothing.
  /// Bytes unchanged, in one stream call; an empty block makes none.
  void Write(std::span<const std::uint8_t> Data);
  /// UTF-8 text unchanged (literal fragments), in one stream call.
  void Write(std::string_view Text);
  /// UTF-16 text as UTF-8, in one stream call.
  void Write(std::u16string_view Text);
  /// A real number: see the file comment for its form.
  void Write(double Value);
  /// A decimal integer.
  void Write(std::int32_t Value);
  /// #RRGGBB in four stream calls; alpha is dropped.
  void WriteColor(TAlphaColor Color);
  /// UTF-16 text escaped for XML content and attribute values, as UTF-8 in one call.
  void WriteEscaped(std::u16string_view Text);

 private:
  void WriteHeader();
  void WriteFooter() noexcept;
  void CloseOwnedStream() noexcept;
  void Open(TCanvas* Canvas);

  static bool IsBrushVisible(const TBrush& ABrush);
  static bool IsStrokeVisible(const TStrokeBrush& ABrush);

  // Element pieces shared by several elements.
  void WriteRectGeometry(const TRectF& ARect);
  void WriteEllipseGeometry(const TRectF& ARect);
  void WriteRadii(float XRadius, float YRadius, TCorners ACorners);
  void WriteFillTail(float AOpacity, const TBrush& ABrush);
  void WriteStrokeTail(float AOpacity, const TStrokeBrush& ABrush);
  void WritePoint(const TPointF& APoint);
  void WritePointList(const TPolygon& Points);
  void WriteArcPath(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle);

  TCanvas* FCanvas = nullptr;
  std::unique_ptr<TFileStream> FOwnedStream;  // set exactly when the object opened the stream
  std::int32_t FMaxDecimalPlaces = 4;
  TStream* FStream = nullptr;
};

}  // namespace fsvg
