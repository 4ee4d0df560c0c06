// TSvgCanvas: a recording canvas. Every drawing call goes first, unchanged, to the host
// canvas, and is then written as one SVG 1.1 element line to an output stream.
// State, scene, lock, measuring and alignment calls are answered by the host alone.
//
// The text it writes:
// - UTF-8 without a byte-order mark; the header is an XML declaration and an <svg>
//   element with xmlns and version only; destruction writes "</svg>".
// - Real numbers in fixed point with at most TSvgOptions::DecimalPlaces decimals (four
//   by default) and no trailing zeros, at most twelve significant digits whatever the
//   places, "." as separator whatever the locale. A value exactly halfway between two
//   candidates goes to the one whose last digit is even (0.03125 gives 0.0312 at four
//   places). A value that rounds to zero is "0", never "-0".
// - Magnitudes from 10^12 up, once rounded, in scientific notation: a mantissa of at
//   most twelve significant digits without trailing zeros, "E" and the exponent with
//   no sign and no leading zeros ("1E20", "1.5E12", "-2.5E300").
// - Not-a-number as "NaN", infinities as "Infinity" and "-Infinity".
// - Colours as #RRGGBB; alpha never reaches a colour, opacity has its own attribute.
// - Text and font family escaped for XML (& < > "), and characters XML 1.0 forbids
//   (C0 controls but tab, LF and CR; U+FFFE, U+FFFF; unpaired surrogates) as U+FFFD.
/// @file
/// The recording canvas (TSvgCanvas) and its options; includes the tee (teecanvas.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fsvg/errors.h"
#include "fsvg/export.h"
#include "fsvg/gzipstream.h"
#include "fsvg/hostcanvas.h"
#include "fsvg/streams.h"
#include "fsvg/teecanvas.h"  // TTeeCanvas, which records into a TSvgCanvas

namespace fsvg {
/// @addtogroup recording
/// @{

/// Throws ESvgError with the message Text when Value is false.
FSVG_API void Check(bool Value, const char* Text);

/// Opt-in additions that make the document show what the host painted, and the places
/// of its numbers, chosen when a TSvgCanvas is made. Every switch is off, both texts are
/// empty and numbers have four places by default, and then the canvas writes exactly the
/// plain recording. Each switch costs a few bytes on the elements it concerns and nothing
/// on the others. With any switch on, a rectangle, cleared rectangle or ellipse given
/// right to left or bottom to top is written as the host paints it, normalised, its size
/// taken in double (the plain recording writes a negative width, height or radius, which
/// renderers draw as nothing, and a rectangle spanning the float range as "Infinity" wide).
///
///     fsvg::TSvgOptions Options = fsvg::TSvgOptions::Faithful();
///     Options.Title = u"Sales";
///     fsvg::TSvgCanvas Canvas("sales.svg", &Host, Options);
struct FSVG_API TSvgOptions {
  /// Decimal places of every real number written, 0 to 6 (the constructor throws
  /// ESvgError otherwise). Fewer places, smaller files: 2 places are a hundredth of a
  /// unit, under the pixel for any drawing at a scale up to 100.
  std::int32_t DecimalPlaces = 4;
  /// width, height and viewBox="0 0 W H" on the root, from the host's size at
  /// construction.
  bool DocumentSize = false;
  /// The host's matrix, when not the identity, as transform="matrix(...)" on every
  /// element but Clear's (which the host paints untransformed). Each entry is written
  /// with the fewest digits that read back as the same float, so every device pixel
  /// lands where the host puts it: fixed point from 10^-5 to below 10^12
  /// ("0.00015"), scientific beyond ("1E-7", "-3.4E38").
  bool Transforms = false;
  /// Arcs take the host's offset like every other shape.
  bool ArcOffset = false;
  /// Rectangles get exactly the corners the host rounds (only those in ACorners, each
  /// Round, Bevel, InnerRound or InnerLine, radii clamped as the host clamps them),
  /// written as a path when the corners are not all alike.
  bool CornerShapes = false;
  /// A colour's alpha, when not opaque, as fill-opacity or stroke-opacity.
  bool ColorAlpha = false;
  /// Dash pattern and offset, cap, join and miter limit, when not SVG's defaults, as the
  /// host paints them; a polygon's outline is then a closed polygon, joined at every
  /// vertex. A path records them whatever the options.
  bool StrokeStyle = false;
  /// Text aligned and wrapped as the host lays it out (MeasureLines): one tspan a line
  /// on the host's baselines. Right-to-left text gets direction="rtl", each tspan
  /// centred on its line, its characters in the order the host paints them; so does
  /// a left-to-right line that holds right-to-left characters (Hebrew, Arabic). A host
  /// that lays out no lines gets the plain placing.
  bool TextLayout = false;
  /// The font's weight and slant as font-weight and font-style, when not normal, and its
  /// family list as a CSS list: generic families (serif, sans-serif, monospace, cursive,
  /// fantasy, system-ui) bare, a name quoted and escaped unless it is plain words.
  /// Off, font-family is the family as given.
  bool FontStyle = false;
  /// A title element, escaped, when not empty.
  std::u16string Title;
  /// A desc element, escaped, when not empty.
  std::u16string Description;
  /// Put before every id the document defines (clip paths are c1, c2, ..., gradients
  /// g1, g2, ...), so that two documents inlined in one page never share one. Empty, or
  /// an XML name without a colon; the constructor refuses any other with ESvgError.
  std::u16string IdPrefix;
  /// A gradient brush that holds a gradient as that gradient: one line
  /// `<defs><linearGradient id="g1" ...>` (or `radialGradient`) with its stops, in the
  /// element's coordinates, before the first element that paints with it, and
  /// `fill="url(#g1)"` or `stroke="url(#g1)"` on each such element (an equal gradient
  /// placed alike reuses the id; ids are g1, g2, ... after IdPrefix). Off, the brush is
  /// recorded as its Color. Unlike the switches above, it changes nothing else: a
  /// drawing with no gradient is recorded as without it.
  bool Gradients = false;
  /// BeginLink takes a target of any scheme, which the caller must then vet. Off, a
  /// javascript:, vbscript: or data: target (a document opened as a page would run or
  /// open it) is refused with EArgumentError. It changes nothing else.
  bool AnyLinkScheme = false;
  /// Text as the outlines of the glyphs the host paints: each glyph used defined once per
  /// face, in font units, as one `<defs><path id="o1" .../></defs>` line before its first
  /// use (ids o1, o2, ... after IdPrefix), and each line of text one group carrying the
  /// paint and the transform from font units, with a `<use>` per glyph that inks. The
  /// text then looks as painted where a viewer lacks the font. Not in Faithful(): it
  /// makes text shapes (larger, not editable as text, and searchable only through the
  /// overlay), a trade the caller makes knowingly. A host without outlines keeps the
  /// text element; so does every text without the switch.
  bool GlyphOutlines = false;
  /// With GlyphOutlines, the text itself over its outlines, invisible (fill-opacity="0"),
  /// on the host's lines as TextLayout places them, so that the document can be searched,
  /// selected and read aloud. Off, the outlines alone.
  bool SelectableText = true;
  /// A colour a page may restyle: fills and strokes of exactly this colour (alpha too)
  /// are written as `currentColor`, and the root gets `color` with it, so that the
  /// document standing alone looks as drawn and a page's CSS `color` recolours it.
  std::optional<TAlphaColor> ThemeColor;
  /// `shape-rendering="crispEdges"` on the root, for a host that paints without
  /// anti-aliasing: renderers then leave edges hard, as it painted them. Not part of
  /// Faithful(), whose hosts smooth their edges.
  bool CrispEdges = false;

  /// Every switch on but CrispEdges, no title, no description, no theme colour, four places.
  static TSvgOptions Faithful();
};

/// A recording canvas over a host canvas. Not itself a TCanvas. One object is used from
/// one thread at a time; distinct objects are independent.
///
///     fsvg::TCairoCanvas Host(640, 480);
///     fsvg::TSvgCanvas Canvas("chart.svg", &Host);  // paints Host and records
///     Canvas.FillEllipse({10, 10, 110, 60}, 1);
class FSVG_API TSvgCanvas {
 public:
  /// Records into Stream, which stays the caller's (null: nothing is written anywhere).
  /// Writes the header at once. Throws ESvgError "Canvas parameter is required" when
  /// Canvas is null, after writing "</svg>" to Stream; a stream error from the header
  /// likewise leaves after that teardown.
  TSvgCanvas(TStream* Stream, TCanvas* Canvas);
  /// Records into the file FileName, created or truncated, owned and closed by this
  /// object (empty: nothing is written anywhere), through a TFileStream that reserves
  /// its space ahead (TFileBuffering::Reserved). Throws EFCreateError when the file
  /// cannot be created, ESvgError when Canvas is null (the file then holds "</svg>").
  /// A name ending in ".svgz" is written compressed, as it is drawn, through a
  /// TGzipStream over that file.
  TSvgCanvas(const std::filesystem::path& FileName, TCanvas* Canvas);
  /// As the stream constructor, with the additions Options switches on. Throws
  /// ESvgError, after the same teardown, when Options.DecimalPlaces is not 0 to 6.
  TSvgCanvas(TStream* Stream, TCanvas* Canvas, const TSvgOptions& Options);
  /// As the file constructor, with the additions Options switches on; DecimalPlaces is
  /// checked as by the stream constructor.
  TSvgCanvas(const std::filesystem::path& FileName, TCanvas* Canvas, const TSvgOptions& Options);
  /// Closes the document as Close does, unless Close was called. Never throws: a failure
  /// is reported on the standard error stream; call Close to handle it.
  virtual ~TSvgCanvas();
  TSvgCanvas(const TSvgCanvas&) = delete;
  TSvgCanvas& operator=(const TSvgCanvas&) = delete;

  /// Writes "</svg>" and closes an owned file (a caller's stream stays open). Throws the
  /// stream's error when either fails; both are attempted. Afterwards a drawing call still
  /// paints the host but raises EMisuseError instead of recording; a second Close does
  /// nothing.
  void Close();

  /// The host canvas every call is passed to.
  TCanvas& GetCanvas() const;

  /// Takes the process-wide lock of every TCanvas (TCanvas::Lock).
  static void Lock();
  /// Releases it (TCanvas::Unlock).
  static void Unlock();

  /// @name Answered by the host canvas alone; nothing is written
  /// @{

  /// Resizes the host canvas.
  void SetSize(std::int32_t AWidth, std::int32_t AHeight);
  /// Begins a scene on the host canvas and returns its answer. Drawing is recorded
  /// whether or not a scene is open.
  bool BeginScene(PClipRects AClipRects = nullptr, std::uintptr_t AContextHandle = 0);
  /// Ends the host canvas's scene.
  void EndScene();
  /// Flushes the host canvas; the output stream is not touched.
  void Flush();
  /// Saves the host canvas's state; the object is the host's.
  TCanvasSaveState* SaveState();
  /// Restores a state saved by SaveState.
  void RestoreState(const TCanvasSaveState* State);
  /// @}

  /// @name Pixel alignment, as the host canvas would align
  /// Nothing is written. See SnapToPixel for the rule.
  /// @{

  /// Value snapped to the device pixel grid on both axes, under one reading of the
  /// host's matrix.
  TPointF AlignToPixel(const TPointF& Value) const;
  /// Rect with its top-left corner snapped by the host's own alignment and its size
  /// rounded to whole device pixels.
  TRectF AlignToPixel(const TRectF& Rect) const;
  /// Value snapped on the vertical axis.
  float AlignToPixelVertically(float Value) const;
  /// Value snapped on the horizontal axis.
  float AlignToPixelHorizontally(float Value) const;
  /// @}

  /// @name Drawing
  /// Each call paints the host canvas first, once, with the caller's values (an error
  /// from the host leaves the document untouched); then, when the paint can leave a
  /// mark, records one element line. Positions add the host's offset, but for arcs and
  /// Clear. The brush-less overloads take the host's current Fill or Stroke. A stream
  /// error reaches the caller; what was written stays, and the canvas stays usable.
  /// @{

  /// Clears the host canvas and records a rect of its whole size, at 0, 0.
  void Clear(TAlphaColor Color);
  /// Clears ARect on the host canvas and records it as a rect.
  void ClearRect(const TRectF& ARect, TAlphaColor AColor);
  /// FillArc with the host's current Fill.
  void FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity);
  /// Records a path of the arc from StartAngle through SweepAngle (degrees); filled, it
  /// covers the region between arc and chord. A whole turn or more records the whole
  /// ellipse. Recorded without the offset.
  void FillArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
               const TBrush& ABrush);
  /// FillRect with the host's current Fill.
  void FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                TCornerType ACornerType = TCornerType::Round);
  /// Records a rect; rx and ry when XRadius is not zero, or YRadius is not zero and a
  /// corner is to be rounded. ACornerType reaches the host only.
  void FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                const TBrush& ABrush, TCornerType ACornerType = TCornerType::Round);
  /// FillEllipse with the host's current Fill.
  void FillEllipse(const TRectF& ARect, float AOpacity);
  /// Records the ellipse inscribed in ARect.
  void FillEllipse(const TRectF& ARect, float AOpacity, const TBrush& ABrush);
  /// DrawLine with the host's current Stroke.
  void DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity);
  /// Records a line. Dash, cap and join reach the host only.
  void DrawLine(const TPointF& APt1, const TPointF& APt2, float AOpacity, const TStrokeBrush& ABrush);
  /// DrawRect with the host's current Stroke.
  void DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                TCornerType ACornerType = TCornerType::Round);
  /// Records an outlined rect; radii as for FillRect.
  void DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                const TStrokeBrush& ABrush, TCornerType ACornerType = TCornerType::Round);
  /// DrawEllipse with the host's current Stroke.
  void DrawEllipse(const TRectF& ARect, float AOpacity);
  /// Records the outline of the ellipse inscribed in ARect.
  void DrawEllipse(const TRectF& ARect, float AOpacity, const TStrokeBrush& ABrush);
  /// DrawArc with the host's current Stroke.
  void DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity);
  /// Records the arc as for FillArc, stroked.
  void DrawArc(const TPointF& Center, const TPointF& Radius, float StartAngle, float SweepAngle, float AOpacity,
               const TStrokeBrush& ABrush);
  /// Records a polygon of two or more points, filled with the host's current Fill.
  void FillPolygon(const TPolygon& Points, float AOpacity);
  /// Records a closed polyline of two or more points with the host's current Stroke.
  void DrawPolygon(const TPolygon& Points, float AOpacity);
  /// FillPath with the host's current Fill.
  void FillPath(const TPathData& APath, float AOpacity);
  /// Records the path as one path element (absolute M, L, Q, C, A and Z, the host's
  /// offset added to every point, fill-rule="evenodd" for the even-odd rule). An empty
  /// path is neither painted nor recorded.
  void FillPath(const TPathData& APath, float AOpacity, const TBrush& ABrush);
  /// DrawPath with the host's current Stroke.
  void DrawPath(const TPathData& APath, float AOpacity);
  /// Records the path as for FillPath, stroked, with fill="none".
  void DrawPath(const TPathData& APath, float AOpacity, const TStrokeBrush& ABrush);
  /// Records an image of Dest (offset) holding Source's pixels as an embedded PNG, with
  /// opacity when below 1 and, under HighSpeed, pixelated rendering; refusals as
  /// TCanvas::DrawBitmap. An empty or reversed Dest is neither painted nor recorded. The
  /// line goes to the stream in pieces: a stream that fails partway keeps the part of it
  /// written before.
  void DrawBitmap(const TBitmap& ABitmap, const TRectF& Source, const TRectF& Dest, float AOpacity, bool HighSpeed);
  /// @}

  /// @name Clipping
  /// Clips the host. Recorded lazily: before the next element written, groups of clips
  /// no longer in force are closed, and each new clip is written as a clipPath (once per
  /// document; an equal one reuses its id) and a g that refers to it.
  /// @{

  /// The host's IntersectClipRect.
  void IntersectClipRect(const TRectF& ARect);
  /// The host's ExcludeClipRect.
  void ExcludeClipRect(const TRectF& ARect);
  /// The host's IntersectClipPath.
  void IntersectClipPath(const TPathData& APath);
  /// @}

  /// @name Text
  /// @{

  /// Paints the text on the host, then records it at the rectangle's left and bottom
  /// edges with the host's font family, size and fill colour; always recorded. Layout
  /// (alignment, wrapping, flags) reaches the host only.
  virtual void FillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                        TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign = TTextAlign::Center);
  /// The host's MeasureText; nothing is written.
  virtual void MeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags,
                           TTextAlign ATextAlign, TTextAlign AVTextAlign);
  /// The host's MeasureLines; nothing is written.
  virtual void MeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                            TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign = TTextAlign::Center);
  /// The host's TextWidth.
  float TextWidth(std::u16string_view AText);
  /// The host's TextHeight.
  float TextHeight(std::u16string_view AText);
  /// @}

  /// @name Properties, answered by the host canvas
  /// The paint and font objects are the host's own: changes made through them show in
  /// the next element.
  /// @{

  /// The host's open scene count.
  std::int32_t GetBeginSceneCount() const;
  /// The host's quality.
  TCanvasQuality GetQuality() const;
  /// The host's current stroke.
  TStrokeBrush& GetStroke() const;
  /// The host's current fill.
  TBrush& GetFill() const;
  /// Copies Value into the host's fill.
  void SetFill(const TBrush& Value);
  /// The host's current font.
  TFont& GetFont() const;
  /// The host's width.
  std::int32_t GetWidth() const;
  /// The host's height.
  std::int32_t GetHeight() const;
  /// The host's offset.
  TPointF GetOffset() const;
  /// Sets the host's offset.
  void SetOffset(const TPointF& Value);
  /// The host's clipping change count.
  std::int32_t GetClippingChangeCount() const;
  /// Decimal places of every real number written: TSvgOptions::DecimalPlaces.
  std::int32_t GetMaxDecimalPlaces() const;
  /// The host's saved state count.
  std::int32_t GetSavingStateCount() const;
  /// @}

  /// @name Groups and links
  /// Structure for the document alone: nothing is painted and the host is not called.
  /// Each call writes its lines at once, in one write. Groups and links nest as the
  /// calls do, and the clip groups the recording opens nest inside them: those open when
  /// a group or link begins are closed before it, and opened again inside it by the next
  /// element that needs them. Close and the destructor end whatever is still open,
  /// innermost first; after Close each call raises EMisuseError.
  ///
  ///     Canvas.BeginGroup(u"legend", u"Legend");  // <g id="legend"> and its <title>
  ///     Canvas.FillRect({10, 10, 20, 20}, 0, 0, fsvg::AllCorners, 1);
  ///     Canvas.EndGroup();                         // </g>
  /// @{

  /// Writes `<g id="...">`, the id after TSvgOptions::IdPrefix, or `<g>` for an empty
  /// Id, with `class="..."` for the names in Classes (separated by spaces; no attribute
  /// for none); then, when Title is not empty, `<title>Title</title>` (escaped) on a line
  /// of its own. Throws ESvgError, writing nothing, when Id is not an XML name without a
  /// colon, was given to an earlier BeginGroup of this document (every id given is kept,
  /// so each costs its length in memory until the canvas goes), or is c or g followed by
  /// digits (the forms of the ids the document numbers itself); EArgumentError when a
  /// class name is not a CSS identifier (letters, digits, "-", "_" and characters beyond
  /// ASCII, not starting with a digit nor with "-" and a digit).
  void BeginGroup(std::u16string_view Id, std::u16string_view Title = {}, std::u16string_view Classes = {});
  /// Writes `</g>` for the innermost open BeginGroup. Throws EMisuseError, writing
  /// nothing, when no group is open or a link or layer begun since is still open.
  void EndGroup();
  /// Writes `<a xlink:href="Url" xmlns:xlink="http://www.w3.org/1999/xlink">`, Url
  /// escaped and otherwise as given. Throws EArgumentError, writing nothing, for a
  /// javascript:, vbscript: or data: Url (in any case, after leading spaces and control
  /// characters, as browsers read it) unless TSvgOptions::AnyLinkScheme is set.
  void BeginLink(std::u16string_view Url);
  /// Writes `</a>` for the innermost open BeginLink. Throws EMisuseError, writing
  /// nothing, when no link is open or a group or layer begun since is still open.
  void EndLink();
  /// @}

  /// @name Layers
  /// A layer is painted by the host as a picture of its own (TCanvas::BeginLayer) and
  /// recorded as a group that the renderer composites alike. It nests with groups and
  /// links as they nest with each other; Close and the destructor end the host's layers
  /// begun here that are still open, and their groups.
  ///
  ///     Canvas.BeginLayer(0.5f);  // <g opacity="0.5">
  ///     Canvas.FillEllipse({10, 10, 60, 60}, 1);
  ///     Canvas.FillEllipse({40, 10, 90, 60}, 1);  // the overlap no darker than the rest
  ///     Canvas.EndLayer();        // </g>
  /// @{

  /// Begins a layer on the host, then writes `<g opacity="...">`, with
  /// `style="mix-blend-mode:...;isolation:isolate"` for a blend mode other than Normal.
  /// Throws EArgumentError, beginning none, for an opacity NaN or outside 0 to 1.
  void BeginLayer(float Opacity, TBlendMode Blend = TBlendMode::Normal);
  /// Ends the innermost layer on the host, then writes `</g>`. Throws EMisuseError,
  /// ending none and writing nothing, when no layer is open or a group or link begun
  /// since is still open.
  void EndLayer();
  /// @}

 protected:
  /// @name Writers
  /// For classes that record more (an overridden FillText, say). Each hands its bytes
  /// to the stream at once; with a null stream they do nothing.
  /// @{

  /// Bytes unchanged, in one stream call; an empty block makes none.
  void Write(std::span<const std::uint8_t> Data);
  /// UTF-8 text unchanged (literal fragments), in one stream call.
  void Write(std::string_view Text);
  /// UTF-16 text as UTF-8, in one stream call.
  void Write(std::u16string_view Text);
  /// A real number, in the form every number of the document takes.
  ///
  /// See [How numbers are written](../../docs/numbers.md).
  void Write(double Value);
  /// A decimal integer.
  void Write(std::int32_t Value);
  /// `#RRGGBB` in one stream call; alpha is dropped.
  void WriteColor(TAlphaColor Color);
  /// UTF-16 text escaped for XML content and attribute values, as UTF-8 in one call.
  void WriteEscaped(std::u16string_view Text);
  /// @}

 private:
  // The host, the document and the steps every element takes (src/recorder/svgrecording.h).
  class TRecording;
  std::unique_ptr<TRecording> FRecording;
};

/// @}
}  // namespace fsvg
