// The private state of a TSvgCanvas (the host it paints and the document it writes) and
// the steps every recorded element takes once the host has painted: decide visibility,
// bring the clip groups to the host's clip, define the paint's gradient, write the
// element. A shape is recorded filled or stroked through one function each, given only
// its geometry; the rest of its line (transform, paint, end) is theirs.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fsvg/fsvgcanvas.h"
#include "fsvg/outline.h"
#include "svgdocument.h"
#include "svgelements.h"
#include "svgline.h"

namespace fsvg {

class TSvgCanvas::TRecording {
 public:
  template <typename TTarget>
  TRecording(TCanvas* Host, TTarget&& Target, const TSvgOptions& Options)
      : Canvas(Host),
        Document(Target, Options),
        ClipWidth(Host != nullptr ? Host->GetWidth() : 0),
        ClipHeight(Host != nullptr ? Host->GetHeight() : 0) {}

  TCanvas* const Canvas;  // null only in a constructor about to fail
  detail::TSvgDocument Document;

  // Refuses a null host, then writes the header. A constructor that throws runs no
  // destructor, so the teardown happens here: the footer goes to the stream (the
  // document was never opened) and an owned file closes; the error that made the
  // constructor fail is the one that leaves it.
  void Start();
  // Ends the host's layers that the document has open, then finishes the document; raises
  // the host's error, else the document's.
  void Finish();

  // Brings the open groups to the host's clip, and to its size, before an element is
  // written: one pointer and the size compared when nothing changed.
  void SyncClip() {
    Document.CloseTornLine();
    if (Canvas->GetClip().get() != Document.InnermostClip() || Canvas->GetWidth() != ClipWidth ||
        Canvas->GetHeight() != ClipHeight) [[unlikely]]
      OpenClipGroups();
  }

  // The offset an arc is recorded at: the host's under the options, else none.
  TPointF ArcOffset() const { return Document.Options().ArcOffset ? Canvas->GetOffset() : TPointF{}; }

  // The id of the paint server ABrush paints with under the options, defined before it is
  // first used: its gradient, placed at Offset (the element's own), or its bitmap laid
  // over the shape's Bounds() (in the caller's coordinates) as a pattern; empty when the
  // brush is recorded as its colour. Scale multiplies every coordinate. False, with
  // nothing defined, for a bitmap placed where it cannot be painted, which paints nothing.
  template <typename TBounds>
  bool PaintRef(const TBrush& ABrush, TPointF Offset, TBounds&& Bounds, std::string_view& Paint, double Scale = 1) {
    Paint = {};
    if (!Document.Options().Gradients) [[likely]]
      return true;
    if (const TGradient* Gradient = ABrush.GetGradient()) Paint = DefineGradient(*Gradient, Offset, Scale);
    if (ABrush.GetBitmap() == nullptr) return true;
    const TBitmapPlacement At = BitmapPlacement(ABrush, Bounds());
    if (!At.IsPaintable()) return false;
    Paint = DefinePattern(ABrush.Bitmap, ABrush.HighSpeed, At, Offset, Scale);
    return true;
  }

  // An element painted with ABrush: brings the clip groups to the host's clip, defines
  // the brush's paint server at Offset over Bounds(), then writes one line in room for a
  // fixed-shape line and Extra bytes: Open(Line, Switches, Offset) puts the element's
  // name and geometry, the host's transform follows, and Close(Line, Switches, Paint)
  // puts the paint (Paint: the paint server's id, or empty) and ends the element.
  template <typename TBounds, typename TOpen, typename TClose>
  [[gnu::always_inline]] void Record(const TBrush& ABrush, TPointF Offset, TBounds&& Bounds, std::size_t Extra,
                                     TOpen&& Open, TClose&& Close) {
    SyncClip();
    std::string_view Paint;
    if (!PaintRef(ABrush, Offset, Bounds, Paint)) return;
    Document.WriteElement(Extra + Paint.size(), [&](detail::TLine& Line, const auto& Options) {
      Open(Line, Options, Offset);
      detail::PutTransform(Line, *Canvas, Options);
      Close(Line, Options, Paint);
    });
  }

  // A filled shape of the outline Shape() gives, when ABrush leaves a mark: Geometry
  // opens it as Record's Open does; the opacity and the fill follow.
  template <typename TShape, typename TGeometry>
  [[gnu::always_inline]] void RecordFilled(const TBrush& ABrush, float AOpacity, TPointF Offset, TShape&& Shape,
                                           std::size_t Extra, TGeometry&& Geometry) {
    if (!detail::IsBrushVisible(ABrush)) return;
    Record(
        ABrush, Offset, [&] { return Shape().Bounds(); }, Extra, Geometry,
        [&](detail::TLine& Line, const auto& Options, std::string_view Paint) {
          detail::PutFillTail(Line, AOpacity, ABrush, Options, Paint);
          Line.CloseEmpty();
        });
  }

  // What a stroked element is: a line has no inside to leave unfilled; a path records its
  // stroke style whatever the options, as it is part of its shape.
  enum class TStroked { Line, Shape, Path };

  // A stroked element, when ABrush leaves a mark, as RecordFilled: the stroke's tail
  // follows and, but for a line, no fill.
  template <typename TShape, typename TGeometry>
  [[gnu::always_inline]] void RecordStroked(const TStrokeBrush& ABrush, float AOpacity, TPointF Offset, TShape&& Shape,
                                            std::size_t Extra, TGeometry&& Geometry, TStroked Kind = TStroked::Shape) {
    if (!detail::IsStrokeVisible(ABrush)) return;
    Extra += detail::StrokeStyleRoom(ABrush);
    Record(
        ABrush, Offset, [&] { return Shape().Bounds(); }, Extra, Geometry,
        [&](detail::TLine& Line, const auto& Options, std::string_view Paint) {
          const double Width = detail::StrokeWidth(ABrush, *Canvas, Options);
          detail::PutStrokeTail(Line, AOpacity, ABrush, Width, Options, Paint);
          if (Kind == TStroked::Path && !Options.StrokeStyle) detail::PutStrokeStyle(Line, ABrush, Width);
          if (Kind != TStroked::Line) Line.Attr("fill", "none");
          Line.CloseEmpty();
        });
  }

  // Text as the outlines of the glyphs the host paints it with (GlyphOutlines): each new
  // glyph defined, then a group a line with a use a glyph that inks. False, with nothing
  // written, when the host has no outlines. Throws EHostError, before anything is
  // written, when the host's glyphs cannot be placed.
  bool RecordGlyphs(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity, TFillTextFlags Flags,
                    TTextAlign ATextAlign, TTextAlign AVTextAlign);

 private:
  // What a clip group refers to: its attribute and the id of the definition it names.
  struct TClipRef {
    std::string_view Attribute;
    std::string_view Id;
  };

  void OpenClipGroups();
  std::string_view DefineClipPath(const TClipStep& S);
  TClipRef DefineClipRun(std::span<const TClip> Steps);
  std::string_view DefineGradient(const TGradient& Gradient, TPointF Offset, double Scale = 1);
  std::string_view DefinePattern(const std::shared_ptr<const TBitmap>& Bitmap, bool HighSpeed,
                                 const TBitmapPlacement& At, TPointF Offset, double Scale);
  // Where the pixels of the patterns defined so far are written: for each distinct
  // bitmap, by content, the id of the first pattern that holds it as an image smoothed
  // and of the first that holds it as its nearest pixels (HighSpeed), which the later
  // ones sampled alike refer to (empty until it is written); looked up by the address of each
  // bitmap object met first, while that object lives, then by a hash of the pixels.
  struct TPatternPixels {
    std::shared_ptr<const TBitmap> Bitmap;
    std::string FirstId[2];
  };
  std::size_t PatternPixels(const std::shared_ptr<const TBitmap>& Bitmap);
  std::vector<TPatternPixels> FPatternPixels;
  struct TPixelsAt {
    std::weak_ptr<const TBitmap> Bitmap;
    std::size_t Index;
  };
  std::unordered_map<const TBitmap*, TPixelsAt> FPatternPixelsAt;
  std::unordered_multimap<std::uint64_t, std::size_t> FPatternPixelsByHash;

  // The canvas size the open clip groups were written for: the outer rectangle of an
  // exclusion and the box of a mask are drawn around it.
  std::int32_t ClipWidth;
  std::int32_t ClipHeight;

  // The id of each glyph defined so far (empty for one that inks nothing) and the bounds
  // of its outline, by its face's key and its id in the face: one entry a distinct
  // glyph, whatever the length of text.
  struct TGlyphUse {
    std::string_view Id;
    TRectF Bounds;
  };
  std::unordered_map<std::string, TGlyphUse> FGlyphIds;
};

}  // namespace fsvg
