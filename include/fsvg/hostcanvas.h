// The host canvas layer: value types, paint objects and the abstract TCanvas that
// a TSvgCanvas forwards every call to. A real host (a raster canvas over a 2D
// graphics library) derives from TCanvas and implements the protected Do* hooks;
// TNullCanvas keeps all state and paints nothing.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "fsvg/export.h"

namespace fsvg {

/// A colour as 0xAARRGGBB: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
using TAlphaColor = std::uint32_t;

/// A point in logical units.
struct TPointF {
  float X = 0;
  float Y = 0;

  friend bool operator==(const TPointF&, const TPointF&) = default;
};

/// A rectangle by its four edges. Never normalised: Right may lie left of Left.
struct TRectF {
  float Left = 0;
  float Top = 0;
  float Right = 0;
  float Bottom = 0;

  /// Right - Left, in single precision.
  float Width() const { return Right - Left; }
  /// Bottom - Top, in single precision.
  float Height() const { return Bottom - Top; }
  /// The midpoint of both axes, in single precision.
  TPointF CenterPoint() const { return {(Left + Right) / 2, (Top + Bottom) / 2}; }

  friend bool operator==(const TRectF&, const TRectF&) = default;
};

/// An ordered list of points; may be empty.
using TPolygon = std::vector<TPointF>;

/// A small set over an enumeration whose members number fewer than 32.
template <typename E>
class TSet {
 public:
  static_assert(std::is_enum_v<E>);

  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> Members) {
    for (E Member : Members) FBits |= Bit(Member);
  }

  constexpr bool Contains(E Member) const { return (FBits & Bit(Member)) != 0; }
  constexpr bool IsEmpty() const { return FBits == 0; }
  constexpr TSet& Include(E Member) {
    FBits |= Bit(Member);
    return *this;
  }
  constexpr TSet& Exclude(E Member) {
    FBits &= ~Bit(Member);
    return *this;
  }
  constexpr friend TSet operator|(TSet A, TSet B) { return FromBits(A.FBits | B.FBits); }
  constexpr friend TSet operator&(TSet A, TSet B) { return FromBits(A.FBits & B.FBits); }
  constexpr friend bool operator==(TSet, TSet) = default;

 private:
  static constexpr std::uint32_t Bit(E Member) { return std::uint32_t{1} << static_cast<unsigned>(Member); }
  static constexpr TSet FromBits(std::uint32_t Bits) {
    TSet Result;
    Result.FBits = Bits;
    return Result;
  }
  std::uint32_t FBits = 0;
};

/// The four corners of a rectangle.
enum class TCorner { TopLeft, TopRight, BottomLeft, BottomRight };
using TCorners = TSet<TCorner>;
/// The set of all four corners.
inline constexpr TCorners AllCorners{TCorner::TopLeft, TCorner::TopRight, TCorner::BottomLeft, TCorner::BottomRight};

/// How a host paints a corner that has a radius.
enum class TCornerType { Round, Bevel, InnerRound, InnerLine };

enum class TFillTextFlag { RightToLeft };
using TFillTextFlags = TSet<TFillTextFlag>;

/// Alignment of text within its rectangle, on either axis.
enum class TTextAlign { Center, Leading, Trailing };

enum class TCanvasQuality { SystemDefault, HighPerformance, HighQuality };

/// What a brush paints with. Only None leaves no mark.
enum class TBrushKind { None, Solid, Gradient, Bitmap, Resource };

/// What a canvas knows of its current transformation matrix.
enum class TMatrixMeaning { Unknown, Identity, Translate };

enum class TStrokeDash { Solid, Dash, Dot, DashDot, DashDotDot, Custom };
enum class TStrokeCap { Flat, Round };
enum class TStrokeJoin { Miter, Round, Bevel };

/// A 3x3 affine matrix in row-vector form: m31 and m32 are the translation.
struct TMatrix {
  float m11 = 1, m12 = 0, m13 = 0;
  float m21 = 0, m22 = 1, m23 = 0;
  float m31 = 0, m32 = 0, m33 = 1;

  friend bool operator==(const TMatrix&, const TMatrix&) = default;
};

/// A fill paint. Gradient, bitmap and resource brushes carry a representative Color.
class TBrush {
 public:
  TBrush() = default;
  TBrush(TBrushKind AKind, TAlphaColor AColor) : Kind(AKind), Color(AColor) {}

  TBrushKind Kind = TBrushKind::Solid;
  TAlphaColor Color = 0xFF000000;

  friend bool operator==(const TBrush&, const TBrush&) = default;
};

/// An outline paint: a brush with a thickness, dash, cap and join.
class TStrokeBrush : public TBrush {
 public:
  TStrokeBrush() = default;
  TStrokeBrush(TBrushKind AKind, TAlphaColor AColor, float AThickness = 1)
      : TBrush(AKind, AColor), Thickness(AThickness) {}

  float Thickness = 1;
  TStrokeDash Dash = TStrokeDash::Solid;
  TStrokeCap Cap = TStrokeCap::Flat;
  TStrokeJoin Join = TStrokeJoin::Miter;

  friend bool operator==(const TStrokeBrush&, const TStrokeBrush&) = default;
};

/// A font by family name and size in logical units.
class TFont {
 public:
  TFont() = default;
  TFont(std::u16string AFamily, float ASize) : Family(std::move(AFamily)), Size(ASize) {}

  std::u16string Family = u"sans-serif";
  float Size = 12;

  friend bool operator==(const TFont&, const TFont&) = default;
};

/// A snapshot of a canvas's paint, font, offset and matrix, made by SaveState.
/// Owned by the canvas that made it; hosts may derive from it to save more.
class FSVG_API TCanvasSaveState {
 public:
  virtual ~TCanvasSaveState() = default;

  TBrush Fill;
  TStrokeBrush Stroke;
  TFont Font;
  TPointF Offset;
  TMatrix Matrix;
};

/// Line metrics filled in by MeasureLines; opaque to the recording canvas.
class TLineMetricInfo {
 public:
  struct TLineMetric {
    std::size_t Index = 0;  ///< first UTF-16 unit of the line within the text
    std::size_t Length = 0;
    TRectF Rect;
  };
  std::vector<TLineMetric> Metrics;
};

/// Clip rectangles handed to BeginScene; passed through unexamined.
using PClipRects = const std::vector<TRectF>*;

/// The snap to the device pixel grid that every canvas shares: nearest(v*s + 0.0001)/s
/// for the identity matrix, nearest((v+t)*s + 0.0001)/s - t for a translation, v
/// unchanged otherwise. Exact halves of nearest() go to the even integer; a scale that
/// is not positive or a scaled value outside the 64-bit range leaves v unchanged.
FSVG_API float SnapToPixel(float Value, float Scale, TMatrixMeaning Kind, float Translation);
/// A length in logical units rounded to whole device pixels: nearest(v*s)/s, with the
/// same rounding and limits as SnapToPixel.
FSVG_API double SnapLengthToPixels(float Length, float Scale);

/// The host canvas: state kept here, painting done by the protected Do* hooks.
/// Every drawing hook is pure, so a host that forgets one does not compile.
class FSVG_API TCanvas {
 public:
  /// A canvas of the given size in logical units and scale (device pixels per unit).
  explicit TCanvas(std::int32_t AWidth = 0, std::int32_t AHeight = 0, float AScale = 1,
                   TCanvasQuality AQuality = TCanvasQuality::SystemDefault);
  virtual ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  /// The lock shared by every canvas of the process (recursive). Never taken implicitly.
  static void Lock();
  static void Unlock();

  // Scene, state and size.
  /// Opens a scene; nested calls only count. Returns false (and counts nothing) when
  /// the host cannot begin.
  bool BeginScene(PClipRects AClipRects = nullptr, std::uintptr_t AContextHandle = 0);
  /// Closes the innermost scene. Throws std::logic_error when no scene is open.
  void EndScene();
  /// Pushes pending painting to the target; the base canvas has nothing to push.
  virtual void Flush() {}
  /// Resizes the canvas in logical units. Throws std::invalid_argument for a negative size.
  void SetSize(std::int32_t AWidth, std::int32_t AHeight);
  /// Saves paint, font, offset and matrix; the state stays owned by this canvas.
  TCanvasSaveState* SaveState();
  /// Restores State and releases it and every state saved after it.
  /// Throws std::invalid_argument when State is not a live state of this canvas.
  void RestoreState(const TCanvasSaveState* State);

  // Drawing with an explicit paint.
  void Clear(TAlphaColor Color);
  void ClearRect(const TRectF& ARect, TAlphaColor AColor);
  void FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                const TBrush& ABrush, TCornerType ACornerType = TCornerType::Round);
  void DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                const TStrokeBrush& ABrush, TCornerType ACornerType = TCornerType::Round);
  void DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush);
  void FillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush);
  void DrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush);
  void FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
               const TBrush& ABrush);
  void DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
               const TStrokeBrush& ABrush);
  /// Fills the polygon with the current Fill.
  void FillPolygon(const TPolygon& Points, float AOpacity);
  /// Outlines the polygon, closed, with the current Stroke.
  void DrawPolygon(const TPolygon& Points, float AOpacity);

  // Drawing with the current Fill or Stroke.
  void FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                TCornerType ACornerType = TCornerType::Round);
  void DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                TCornerType ACornerType = TCornerType::Round);
  void DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity);
  void FillEllipse(const TRectF& ARect, float AOpacity);
  void DrawEllipse(const TRectF& ARect, float AOpacity);
  void FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity);
  void DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity);

  // Text, painted with the current Font and Fill.
  void FillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity, TFillTextFlags Flags,
                TTextAlign ATextAlign, TTextAlign AVTextAlign = TTextAlign::Center);
  /// Sets ARect to the bounds the text takes when laid out in ARect.
  void MeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags, TTextAlign ATextAlign,
                   TTextAlign AVTextAlign);
  void MeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                    TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign = TTextAlign::Center);
  float TextWidth(std::u16string_view AText);
  float TextHeight(std::u16string_view AText);

  // Pixel alignment under the current Scale and matrix.
  virtual float AlignToPixelHorizontally(float Value) const;
  virtual float AlignToPixelVertically(float Value) const;

  // State.
  TBrush& GetFill() { return FFill; }
  const TBrush& GetFill() const { return FFill; }
  void SetFill(const TBrush& Value) { FFill = Value; }
  TStrokeBrush& GetStroke() { return FStroke; }
  const TStrokeBrush& GetStroke() const { return FStroke; }
  void SetStroke(const TStrokeBrush& Value) { FStroke = Value; }
  TFont& GetFont() { return FFont; }
  const TFont& GetFont() const { return FFont; }
  TPointF GetOffset() const { return FOffset; }
  void SetOffset(const TPointF& Value) { FOffset = Value; }
  std::int32_t GetWidth() const { return FWidth; }
  std::int32_t GetHeight() const { return FHeight; }
  float GetScale() const { return FScale; }
  TCanvasQuality GetQuality() const { return FQuality; }
  const TMatrix& GetMatrix() const { return FMatrix; }
  /// Sets the transformation matrix and derives its meaning (identity, translation, other).
  void SetMatrix(const TMatrix& Value);
  TMatrixMeaning GetMatrixMeaning() const { return FMatrixMeaning; }
  std::int32_t GetBeginSceneCount() const { return FBeginSceneCount; }
  std::int32_t GetClippingChangeCount() const { return FClippingChangeCount; }
  std::int32_t GetSavingStateCount() const { return static_cast<std::int32_t>(FSavedStates.size()); }

 protected:
  /// Called when the outermost scene begins; false refuses the scene.
  virtual bool DoBeginScene(PClipRects /*AClipRects*/, std::uintptr_t /*AContextHandle*/) { return true; }
  /// Called when the outermost scene ends.
  virtual void DoEndScene() {}
  /// Called after the size has changed.
  virtual void DoSetSize() {}
  /// Creates the object SaveState fills; a host that saves more returns its own kind.
  virtual std::unique_ptr<TCanvasSaveState> DoCreateSaveState() const;
  /// Copies this canvas's state into State, and back.
  virtual void DoSaveState(TCanvasSaveState& State) const;
  virtual void DoRestoreState(const TCanvasSaveState& State);
  /// Called after the matrix has changed.
  virtual void DoSetMatrix() {}
  /// A host that clips calls this whenever its clipping region changes.
  void ClippingChanged() { ++FClippingChangeCount; }

  virtual void DoClear(TAlphaColor Color) = 0;
  virtual void DoClearRect(const TRectF& ARect, TAlphaColor AColor) = 0;
  virtual void DoFillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          const TBrush& ABrush, TCornerType ACornerType) = 0;
  virtual void DoDrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          const TStrokeBrush& ABrush, TCornerType ACornerType) = 0;
  virtual void DoDrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush) = 0;
  virtual void DoFillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush) = 0;
  virtual void DoDrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush) = 0;
  virtual void DoFillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity, const TBrush& ABrush) = 0;
  virtual void DoDrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle,
                         float AOpacity, const TStrokeBrush& ABrush) = 0;
  virtual void DoFillPolygon(const TPolygon& Points, float AOpacity) = 0;
  virtual void DoDrawPolygon(const TPolygon& Points, float AOpacity) = 0;
  virtual void DoFillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                          TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) = 0;
  virtual void DoMeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags,
                             TTextAlign ATextAlign, TTextAlign AVTextAlign) = 0;
  virtual void DoMeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                              TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) = 0;
  virtual float DoTextWidth(std::u16string_view AText) = 0;
  virtual float DoTextHeight(std::u16string_view AText) = 0;

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
  std::vector<std::unique_ptr<TCanvasSaveState>> FSavedStates;
};

/// A host that keeps all state and paints nothing: the host to use when only the SVG
/// is wanted, and the base for test doubles. It measures every text as empty.
class FSVG_API TNullCanvas : public TCanvas {
 public:
  using TCanvas::TCanvas;

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
  void DoFillText(const TRectF&, std::u16string_view, bool, float, TFillTextFlags, TTextAlign, TTextAlign) override {}
  void DoMeasureText(TRectF& ARect, std::u16string_view, bool, TFillTextFlags, TTextAlign, TTextAlign) override {
    ARect.Right = ARect.Left;
    ARect.Bottom = ARect.Top;
  }
  void DoMeasureLines(TLineMetricInfo& ALines, const TRectF&, std::u16string_view, bool, TFillTextFlags, TTextAlign,
                      TTextAlign) override {
    ALines.Metrics.clear();
  }
  float DoTextWidth(std::u16string_view) override { return 0; }
  float DoTextHeight(std::u16string_view) override { return 0; }
};

}  // namespace fsvg
