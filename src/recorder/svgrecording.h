// The private state of a TSvgCanvas (the host it paints and the document it writes) and
// the steps every recorded element takes once the host has painted: decide visibility,
// bring the clip groups to the host's clip, define the paint's gradient, write the
// element. A shape is recorded filled or stroked through one function each, given only
// its geometry; the rest of its line (transform, paint, end) is theirs.
#pragma once

#include "fsvg/fsvgcanvas.h"
#include "svgdocument.h"
#include "svgelements.h"
#include "svgline.h"

namespace fsvg {

class TSvgCanvas::TRecording {
 public:
  template <typename TTarget>
  TRecording(TCanvas* Host, TTarget&& Target, const TSvgOptions& Options) : Canvas(Host), Document(Target, Options) {}

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

  // Brings the open groups to the host's clip before an element is written: one
  // pointer compared when nothing changed.
  void SyncClip() {
    Document.CloseTornLine();
    if (Canvas->GetClip().get() != Document.InnermostClip()) [[unlikely]]
      OpenClipGroups();
  }

  // The offset an arc is recorded at: the host's under the options, else none.
  TPointF ArcOffset() const { return Document.Options().ArcOffset ? Canvas->GetOffset() : TPointF{}; }

  // The id of the gradient ABrush paints with, defined before it is first used, placed
  // at Offset (the element's own); empty when the brush is recorded as its colour.
  std::string_view GradientRef(const TBrush& ABrush, TPointF Offset) {
    if (!Document.Options().Gradients || ABrush.GetGradient() == nullptr) [[likely]]
      return {};
    return DefineGradient(*ABrush.GetGradient(), Offset);
  }

  // An element painted with ABrush: brings the clip groups to the host's clip, defines
  // the brush's gradient at Offset, then writes one line in room for a fixed-shape line
  // and Extra bytes: Open(Line, Switches, Offset) puts the element's name and geometry,
  // the host's transform follows, and Close(Line, Switches, Paint) puts the paint (Paint:
  // the gradient's id, or empty) and ends the element.
  template <typename TOpen, typename TClose>
  [[gnu::always_inline]] void Record(const TBrush& ABrush, TPointF Offset, std::size_t Extra, TOpen&& Open,
                                     TClose&& Close) {
    SyncClip();
    const std::string_view Paint = GradientRef(ABrush, Offset);
    Document.WriteElement(Extra + Paint.size(), [&](detail::TLine& Line, const auto& Options) {
      Open(Line, Options, Offset);
      detail::PutTransform(Line, *Canvas, Options);
      Close(Line, Options, Paint);
    });
  }

  // A filled shape, when ABrush leaves a mark: Geometry opens it as Record's Open does;
  // the opacity and the fill follow.
  template <typename TGeometry>
  [[gnu::always_inline]] void RecordFilled(const TBrush& ABrush, float AOpacity, TPointF Offset, std::size_t Extra,
                                           TGeometry&& Geometry) {
    if (!detail::IsBrushVisible(ABrush)) return;
    Record(ABrush, Offset, Extra, Geometry, [&](detail::TLine& Line, const auto& Options, std::string_view Paint) {
      detail::PutFillTail(Line, AOpacity, ABrush, Options, Paint);
      Line.CloseEmpty();
    });
  }

  // What a stroked element is: a line has no inside to leave unfilled; a path records its
  // dash, cap and join whatever the options, as they are part of its shape.
  enum class TOutline { Line, Shape, Path };

  // A stroked element, when ABrush leaves a mark, as RecordFilled: the stroke's tail
  // follows and, but for a line, no fill.
  template <typename TGeometry>
  [[gnu::always_inline]] void RecordStroked(const TStrokeBrush& ABrush, float AOpacity, TPointF Offset,
                                            std::size_t Extra, TGeometry&& Geometry, TOutline Kind = TOutline::Shape) {
    if (!detail::IsStrokeVisible(ABrush)) return;
    Record(ABrush, Offset, Extra, Geometry, [&](detail::TLine& Line, const auto& Options, std::string_view Paint) {
      detail::PutStrokeTail(Line, AOpacity, ABrush, Options, Paint);
      if (Kind == TOutline::Path && !Options.StrokeStyle) detail::PutStrokeStyle(Line, ABrush);
      if (Kind != TOutline::Line) Line.Attr("fill", "none");
      Line.CloseEmpty();
    });
  }

 private:
  void OpenClipGroups();
  void OpenClipGroup(const TClip& Step);
  std::string_view DefineGradient(const TGradient& Gradient, TPointF Offset);
};

}  // namespace fsvg
