// The host canvas layer: value types, paint objects and the abstract TCanvas that
// a TSvgCanvas forwards every call to. A real host (a raster canvas over a 2D
// graphics library) derives from TCanvas and implements the protected Do* hooks;
// TNullCanvas keeps all state and paints nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <memory>
#include <span>
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
  float X = 0;  ///< horizontal coordinate, growing to the right
  float Y = 0;  ///< vertical coordinate, growing downwards

  /// Equal when both coordinates are.
  friend bool operator==(const TPointF&, const TPointF&) = default;
};

/// A rectangle by its four edges. Never normalised: Right may lie left of Left.
struct TRectF {
  float Left = 0;    ///< x of the left edge
  float Top = 0;     ///< y of the top edge
  float Right = 0;   ///< x of the right edge
  float Bottom = 0;  ///< y of the bottom edge

  /// Right - Left, in single precision.
  float Width() const { return Right - Left; }
  /// Bottom - Top, in single precision.
  float Height() const { return Bottom - Top; }
  /// The midpoint of both axes, in single precision.
  TPointF CenterPoint() const { return {(Left + Right) / 2, (Top + Bottom) / 2}; }

  /// Equal when all four edges are.
  friend bool operator==(const TRectF&, const TRectF&) = default;
};

/// An ordered list of points; may be empty.
using TPolygon = std::vector<TPointF>;

/// A small set over an enumeration whose members number fewer than 32.
template <typename E>
class TSet {
 public:
  static_assert(std::is_enum_v<E>);

  /// The empty set.
  constexpr TSet() = default;
  /// The set of the given members: `TCorners{TCorner::TopLeft}`.
  constexpr TSet(std::initializer_list<E> Members) {
    for (E Member : Members) FBits |= Bit(Member);
  }

  /// True when Member is in the set.
  constexpr bool Contains(E Member) const { return (FBits & Bit(Member)) != 0; }
  /// True when the set has no member.
  constexpr bool IsEmpty() const { return FBits == 0; }
  /// Adds Member; returns this set.
  constexpr TSet& Include(E Member) {
    FBits |= Bit(Member);
    return *this;
  }
  /// Removes Member; returns this set.
  constexpr TSet& Exclude(E Member) {
    FBits &= ~Bit(Member);
    return *this;
  }
  /// The union of two sets.
  constexpr friend TSet operator|(TSet A, TSet B) { return FromBits(A.FBits | B.FBits); }
  /// The intersection of two sets.
  constexpr friend TSet operator&(TSet A, TSet B) { return FromBits(A.FBits & B.FBits); }
  /// Equal when both hold the same members.
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
enum class TCorner {
  TopLeft,     ///< at Left, Top
  TopRight,    ///< at Right, Top
  BottomLeft,  ///< at Left, Bottom
  BottomRight  ///< at Right, Bottom
};
/// A set of corners: the corners of a rectangle that get its radii.
using TCorners = TSet<TCorner>;
/// The set of all four corners.
inline constexpr TCorners AllCorners{TCorner::TopLeft, TCorner::TopRight, TCorner::BottomLeft, TCorner::BottomRight};

/// How a host paints a corner that has a radius. The SVG records every rounded corner
/// as round.
enum class TCornerType {
  Round,       ///< an elliptical quarter bulging outwards
  Bevel,       ///< a straight cut
  InnerRound,  ///< an elliptical quarter cut inwards
  InnerLine    ///< a two-segment notch cut inwards
};

/// Options of text layout.
enum class TFillTextFlag {
  RightToLeft  ///< lay the text out from right to left
};
/// A set of text layout options.
using TFillTextFlags = TSet<TFillTextFlag>;

/// Alignment of text within its rectangle, on either axis.
enum class TTextAlign {
  Center,   ///< centred
  Leading,  ///< at the left (horizontally) or top (vertically) edge
  Trailing  ///< at the right (horizontally) or bottom (vertically) edge
};

/// The rendering quality a host was created with; only passed through.
enum class TCanvasQuality {
  SystemDefault,    ///< whatever the host deems right
  HighPerformance,  ///< speed first
  HighQuality       ///< anti-aliasing and exact rasterisation first
};

/// What a brush paints with. Only None leaves no mark; every other kind is recorded
/// with the brush's one Color.
enum class TBrushKind {
  None,      ///< paints nothing
  Solid,     ///< one colour
  Gradient,  ///< a gradient, represented by Color
  Bitmap,    ///< a bitmap, represented by Color
  Resource   ///< a shared resource, represented by Color
};

/// What a canvas knows of its current transformation matrix.
enum class TMatrixMeaning {
  Unknown,   ///< anything else: scaling, rotation, shear
  Identity,  ///< the identity
  Translate  ///< a pure translation by m31, m32
};

/// The dash pattern of a stroke (see DashPattern).
enum class TStrokeDash {
  Solid,       ///< a continuous line
  Dash,        ///< dashes
  Dot,         ///< dots
  DashDot,     ///< dashes and dots
  DashDotDot,  ///< a dash and two dots
  Custom       ///< a host-defined pattern
};
/// The ends of an open stroke.
enum class TStrokeCap {
  Flat,  ///< cut at the end point
  Round  ///< a half disc beyond the end point
};
/// The joins of a stroke's segments.
enum class TStrokeJoin {
  Miter,  ///< sharp
  Round,  ///< rounded
  Bevel   ///< cut
};

/// @name Stroke styles as every host paints them
/// One definition for the painting hosts and for a recording of them.
///@{
/// The dash pattern of Dash in multiples of the stroke's thickness, on and off in
/// turn, starting at the start of the outline; empty for a solid stroke. A stroke brush
/// carries no pattern of its own, so Custom is solid too.
FSVG_API std::span<const float> DashPattern(TStrokeDash Dash);
/// The name of a cap as SVG writes it: "butt" for Flat, "round".
FSVG_API std::string_view CapName(TStrokeCap Cap);
/// The name of a join as SVG writes it: "miter" (limit 4), "round", "bevel".
FSVG_API std::string_view JoinName(TStrokeJoin Join);
///@}

/// One step of an outline: a straight line to (X, Y), or, when Curve is set, a cubic
/// Bézier curve to (X, Y) with the control points (X1, Y1) and (X2, Y2).
struct TOutlineStep {
  bool Curve = false;  ///< a curve, not a line
  double X1 = 0;       ///< first control point, x
  double Y1 = 0;       ///< first control point, y
  double X2 = 0;       ///< second control point, x
  double Y2 = 0;       ///< second control point, y
  double X = 0;        ///< end point, x
  double Y = 0;        ///< end point, y
};
/// The closed outline of a rectangle as every host paints it: at most three steps a
/// corner.
using TRectOutline = std::array<TOutlineStep, 12>;
/// Fills Steps with the outline of ARect, normalised, clockwise from its top-left
/// corner; the path starts at the first step's end point and closes after the last.
/// Each corner in ACorners is cut by ACornerType with the radii clamped to half the
/// size (Round bulges out, InnerRound is a quarter ellipse centred on the corner,
/// InnerLine a notch of two lines, Bevel one line); a radius of zero or less on either
/// axis leaves every corner square. Returns the number of steps: 4 when no corner is cut.
FSVG_API std::size_t RectOutline(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners,
                                 TCornerType ACornerType, TRectOutline& Steps);

/// A 3x3 affine matrix in row-vector form: x' = x*m11 + y*m21 + m31,
/// y' = x*m12 + y*m22 + m32.
struct TMatrix {
  float m11 = 1;  ///< x scale (and rotation)
  float m12 = 0;  ///< y shear (and rotation)
  float m13 = 0;  ///< projective, 0 for an affine matrix
  float m21 = 0;  ///< x shear (and rotation)
  float m22 = 1;  ///< y scale (and rotation)
  float m23 = 0;  ///< projective, 0 for an affine matrix
  float m31 = 0;  ///< x translation
  float m32 = 0;  ///< y translation
  float m33 = 1;  ///< 1 for an affine matrix

  /// Equal when all nine entries are.
  friend bool operator==(const TMatrix&, const TMatrix&) = default;
};

/// A fill paint. Gradient, bitmap and resource brushes carry a representative Color.
class TBrush {
 public:
  /// A solid opaque black brush.
  TBrush() = default;
  /// A brush of the given kind and colour.
  TBrush(TBrushKind AKind, TAlphaColor AColor) : Kind(AKind), Color(AColor) {}

  TBrushKind Kind = TBrushKind::Solid;  ///< what it paints with; None paints nothing
  TAlphaColor Color = 0xFF000000;       ///< its colour, or the colour that represents it

  /// Equal when kind and colour are.
  friend bool operator==(const TBrush&, const TBrush&) = default;
};

/// An outline paint: a brush with a thickness, dash, cap and join.
class TStrokeBrush : public TBrush {
 public:
  /// A solid opaque black stroke one unit thick.
  TStrokeBrush() = default;
  /// A stroke of the given kind, colour and thickness.
  TStrokeBrush(TBrushKind AKind, TAlphaColor AColor, float AThickness = 1)
      : TBrush(AKind, AColor), Thickness(AThickness) {}

  float Thickness = 1;                    ///< width in logical units; 0, negative or NaN paints nothing
  TStrokeDash Dash = TStrokeDash::Solid;  ///< dash pattern
  TStrokeCap Cap = TStrokeCap::Flat;      ///< end caps
  TStrokeJoin Join = TStrokeJoin::Miter;  ///< segment joins

  /// Equal when every member is.
  friend bool operator==(const TStrokeBrush&, const TStrokeBrush&) = default;
};

/// A font by family name and size in logical units.
class TFont {
 public:
  /// 12-unit sans-serif.
  TFont() = default;
  /// The given family and size.
  TFont(std::u16string AFamily, float ASize) : Family(std::move(AFamily)), Size(ASize) {}

  std::u16string Family = u"sans-serif";  ///< family name, as a host's font lookup takes it
  float Size = 12;                        ///< size in logical units

  /// Equal when family and size are.
  friend bool operator==(const TFont&, const TFont&) = default;
};

/// A snapshot of a canvas's paint, font, offset and matrix, made by SaveState.
/// Owned by the canvas that made it; hosts may derive from it to save more.
class FSVG_API TCanvasSaveState {
 public:
  virtual ~TCanvasSaveState() = default;

  TBrush Fill;          ///< the saved fill
  TStrokeBrush Stroke;  ///< the saved stroke
  TFont Font;           ///< the saved font
  TPointF Offset;       ///< the saved offset
  TMatrix Matrix;       ///< the saved matrix
};

/// Vertical metrics of a font as a host lays text out, in logical units.
struct TFontMetrics {
  float Ascent = 0;      ///< baseline down from the top of a line
  float Descent = 0;     ///< bottom of a line down from the baseline
  float LineHeight = 0;  ///< distance between the baselines of two lines
};

/// Line metrics filled in by MeasureLines. The recording canvas reads them only under
/// TSvgOptions::TextLayout, to write each line where the host put it.
class TLineMetricInfo {
 public:
  /// One laid-out line.
  struct TLineMetric {
    std::size_t Index = 0;   ///< first UTF-16 unit of the line within the text
    std::size_t Length = 0;  ///< its number of UTF-16 units
    TRectF Rect;             ///< the bounds it takes; its baseline lies at Rect.Top + the font's ascent
  };
  std::vector<TLineMetric> Metrics;  ///< the lines, first to last
};

/// How wide runs of text are in one font: all that a host supplies to the shared text
/// layout (LayoutText). A host implements RunWidth. Word wrap measures each line as it
/// grows a word at a time through StartLine and AppendToLine; by default those measure
/// the whole line again with RunWidth, which takes time quadratic in the length of a
/// line, so a host that can extend a measurement by a piece (carrying the kerning
/// across the join) overrides both and wraps in linear time.
class FSVG_API TTextMeasurer {
 public:
  virtual ~TTextMeasurer();
  /// The advance of Run set alone on one line, in logical units: where the pen stands
  /// after its last glyph, kerning included; 0 for an empty run. May be called between
  /// AppendToLine calls and must leave the line being built as it is.
  virtual double RunWidth(std::u16string_view Run) = 0;
  /// Begins a new, empty line.
  virtual void StartLine();
  /// Appends Piece, which starts at a character boundary, to the line begun by the
  /// last StartLine, and returns the advance of the whole line as RunWidth would give it.
  virtual double AppendToLine(std::u16string_view Piece);

 private:
  std::u16string FLine;
};

/// Lays AText out in ARect as every host that paints text does, filling ALines with
/// one metric per line, first to last (none for an empty text):
/// - Paragraphs end at line feeds; a carriage return before a line feed belongs to the
///   break. Each paragraph takes one line at least, an empty one too.
/// - With WordWrap, a paragraph breaks at the last space that keeps the line within the
///   rectangle's width (spaces at the break belong to neither line); a word wider than
///   the rectangle takes a line of its own and overflows it.
/// - Each line is as wide as AMeasurer's RunWidth of its text, and is placed by
///   ATextAlign: Leading at the left edge, Trailing at the right, Center between them.
///   RightToLeft swaps Leading and Trailing; glyphs still run in stored order.
/// - The lines are ALineHeight apart and high; the block of them is placed by
///   AVTextAlign: Leading at the top edge, Trailing at the bottom, Center between.
/// - A painter puts each line's baseline at its Rect.Top plus the font's ascent.
///
/// ARect may be given right to left or bottom to top. Throws std::invalid_argument when
/// an edge of ARect is not finite; an error of AMeasurer's reaches the caller unchanged.
/// ALines is left as it was whenever the layout throws.
FSVG_API void LayoutText(TLineMetricInfo& ALines, TTextMeasurer& AMeasurer, float ALineHeight, const TRectF& ARect,
                         std::u16string_view AText, bool WordWrap, TFillTextFlags Flags, TTextAlign ATextAlign,
                         TTextAlign AVTextAlign);

/// Clip rectangles handed to BeginScene; passed through unexamined.
using PClipRects = const std::vector<TRectF>*;

/// The snap to the device pixel grid that every canvas shares: nearest(v*s + 0.0001)/s
/// for the identity matrix, nearest((v+t)*s + 0.0001)/s - t for a translation, v
/// unchanged otherwise. Exact halves of nearest() go to the even integer; a scale that
/// is not positive, a scaled value outside the 64-bit range or a result beyond the
/// float range leaves v unchanged.
FSVG_API float SnapToPixel(float Value, float Scale, TMatrixMeaning Kind, float Translation);
/// The far edge of a span whose length is rounded to whole device pixels:
/// Start + nearest(Length*s)/s, in double precision, with the same rounding and limits
/// as SnapToPixel (an unroundable length is kept). Fallback when the edge lies beyond
/// the float range.
FSVG_API float SnapSpanToPixels(float Start, float Length, float Scale, float Fallback);

/// The host canvas: state kept here, painting done by the protected Do* hooks.
/// Every drawing hook is pure, so a host that forgets one does not compile. The public
/// drawing calls pass their arguments to the hooks unchanged; the brush-less overloads
/// pass the current Fill or Stroke.
class FSVG_API TCanvas {
 public:
  /// A canvas of the given size in logical units and scale (device pixels per unit).
  /// Throws std::invalid_argument for a negative size or a scale that is not positive.
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
  ///@{
  /// Opens a scene; nested calls only count. Returns false (and counts nothing) when
  /// the host cannot begin; throws std::overflow_error when INT32_MAX scenes are open.
  bool BeginScene(PClipRects AClipRects = nullptr, std::uintptr_t AContextHandle = 0);
  /// Closes the innermost scene. Throws std::logic_error when no scene is open.
  void EndScene();
  /// Pushes pending painting to the target; the base canvas has nothing to push.
  virtual void Flush() {}
  /// Resizes the canvas in logical units. Throws std::invalid_argument for a negative
  /// size; when the host refuses the size (DoSetSize throws), the previous one stays.
  void SetSize(std::int32_t AWidth, std::int32_t AHeight);
  /// Saves paint, font, offset and matrix; the state stays owned by this canvas.
  TCanvasSaveState* SaveState();
  /// Restores State and releases it and every state saved after it. Throws
  /// std::invalid_argument when State is not a live state of this canvas; a state
  /// restored already is caught while fewer than 256 states have been released since.
  void RestoreState(const TCanvasSaveState* State);
  ///@}

  /// @name Drawing with an explicit paint
  /// Opacity multiplies the paint's alpha. Positions are offset by GetOffset(), but
  /// for Clear.
  ///@{
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
  ///@}

  /// @name Drawing with the current Fill or Stroke
  ///@{
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
  ///@}

  /// @name Text, with the current Font and Fill
  ///@{
  /// Paints AText laid out in ARect: ATextAlign horizontally, AVTextAlign vertically,
  /// broken at spaces when WordWrap is set, at line feeds always.
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
  /// The width of AText on one line.
  float TextWidth(std::u16string_view AText);
  /// The height of AText's line.
  float TextHeight(std::u16string_view AText);
  ///@}

  /// @name Pixel alignment under the current scale and matrix (see SnapToPixel)
  ///@{
  /// Value snapped to the device pixel grid on the horizontal axis.
  virtual float AlignToPixelHorizontally(float Value) const;
  /// Value snapped to the device pixel grid on the vertical axis.
  virtual float AlignToPixelVertically(float Value) const;
  ///@}

  /// @name State
  /// The paint and font objects are this canvas's own: changes made through them show
  /// in the next drawing call.
  ///@{
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
  /// Sets the translation added to every position drawn.
  void SetOffset(const TPointF& Value) { FOffset = Value; }
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
  void SetMatrix(const TMatrix& Value);
  /// What the current matrix is known to be.
  TMatrixMeaning GetMatrixMeaning() const { return FMatrixMeaning; }
  /// How many scenes are open.
  std::int32_t GetBeginSceneCount() const { return FBeginSceneCount; }
  /// How often the clipping region has changed.
  std::int32_t GetClippingChangeCount() const { return FClippingChangeCount; }
  /// How many saved states are held.
  std::int32_t GetSavingStateCount() const { return static_cast<std::int32_t>(FSavedStates.size()); }
  ///@}

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
  /// A host that clips calls this whenever its clipping region changes.
  void ClippingChanged() { ++FClippingChangeCount; }

  /// @name Painting hooks
  /// One per drawing call, with the caller's arguments (the brush-less calls pass the
  /// current paint). A hook may throw; the error reaches the caller unchanged.
  ///@{
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
  /// Paints FillText. A host that lays text out with LayoutText gets the lines from
  /// MeasureLines with the same arguments.
  virtual void DoFillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                          TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) = 0;
  ///@}

  /// @name Text layout hooks
  /// A host that paints text supplies a measurer of its current Font and its font
  /// metrics; the defaults below then answer every measuring call from the shared
  /// layout, as LayoutText describes it. A host that lays text out its own way
  /// overrides DoMeasureLines, which the other defaults go through. A host without a
  /// measurer lays out no lines, and the recording canvas then places its text plainly.
  ///@{
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
  /// Answers TextHeight: DoMeasureLines's lines, unwrapped, one at least (so empty text
  /// has the height of a line), times GetFontMetrics().LineHeight.
  virtual float DoTextHeight(std::u16string_view AText);
  ///@}

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
  // The states released last, oldest first, kept so that their addresses are not reused.
  static constexpr std::size_t ReleasedStatesKept = 256;
  std::deque<std::unique_ptr<TCanvasSaveState>> FReleasedStates;
};

/// A host that keeps all state and paints nothing: the host to use when only the SVG
/// is wanted, and the base for test doubles. It has no text measurer, so it lays out no
/// line and measures every text as empty, of no height either.
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
  void DoFillText(const TRectF&, std::u16string_view, bool, float, TFillTextFlags, TTextAlign, TTextAlign) override {}
  float DoTextHeight(std::u16string_view) override { return 0; }
};

}  // namespace fsvg
