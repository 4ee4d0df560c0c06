// Clipping. The host keeps the clip; the document follows it lazily. The document's open
// clip groups hold a prefix of some chain of the host's steps. Before an element, the
// groups of steps no longer in the host's chain are closed and one group is opened for
// each step of the chain beyond them, so the nesting of groups intersects the clips as
// the host does. Each write is made before the state it records changes: a write that
// fails leaves the groups as the document has them, and the next element tries again.
#include <algorithm>
#include <cmath>

#include "svgrecording.h"

namespace fsvg {

using detail::TLine;

void TSvgCanvas::IntersectClipRect(const TRectF& ARect) { FRecording->Canvas->IntersectClipRect(ARect); }
void TSvgCanvas::ExcludeClipRect(const TRectF& ARect) { FRecording->Canvas->ExcludeClipRect(ARect); }
void TSvgCanvas::IntersectClipPath(const TPathData& APath) { FRecording->Canvas->IntersectClipPath(APath); }

void TSvgCanvas::TRecording::OpenClipGroups() {
  const TClip& Target = Canvas->GetClip();
  const std::vector<TClip>& Open = Document.OpenClips();
  // The deepest open step that the host's chain still holds.
  const TClipStep* Kept = Target.get();
  while (Kept != nullptr && (Kept->Depth > Open.size() || Open[Kept->Depth - 1].get() != Kept))
    Kept = Kept->Parent.get();
  const std::size_t KeptDepth = Kept != nullptr ? Kept->Depth : 0;
  while (Open.size() > KeptDepth) Document.EndClipGroup();
  std::vector<TClip> New;
  for (TClip Step = Target; Step && Step.get() != Kept; Step = Step->Parent) New.push_back(Step);
  for (auto Step = New.rbegin(); Step != New.rend(); ++Step) OpenClipGroup(*Step);
}

namespace {

// An excluded rectangle as the even-odd region between a rectangle around the page and
// it, its corners offset and mapped here so that the outer rectangle stays in the page's
// own coordinates. The outer rectangle holds the canvas (Width by Height) and the
// corners' bounds grown by a unit: no renderer takes any part of the page as outside it.
TPathData ExcludedOutline(const TClipStep& S, std::int32_t Width, std::int32_t Height) {
  const TRectF& R = S.Rect;
  const TMatrix& Matrix = S.Matrix;
  TPathData Inner;
  TRectF Outer{-1, -1, static_cast<float>(Width) + 1, static_cast<float>(Height) + 1};
  for (const TPointF Corner : {TPointF{R.Left, R.Top}, {R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left, R.Bottom}}) {
    const double X = static_cast<double>(Corner.X) + S.Offset.X, Y = static_cast<double>(Corner.Y) + S.Offset.Y;
    const TPointF Mapped{static_cast<float>(X * Matrix.m11 + Y * Matrix.m21 + Matrix.m31),
                         static_cast<float>(X * Matrix.m12 + Y * Matrix.m22 + Matrix.m32)};
    if (Inner.IsEmpty())
      Inner.MoveTo(Mapped);
    else
      Inner.LineTo(Mapped);
    Outer = {std::min(Outer.Left, std::floor(Mapped.X) - 1), std::min(Outer.Top, std::floor(Mapped.Y) - 1),
             std::max(Outer.Right, std::ceil(Mapped.X) + 1), std::max(Outer.Bottom, std::ceil(Mapped.Y) + 1)};
  }
  TPathData Outline;
  Outline.MoveTo({Outer.Left, Outer.Top}).LineTo({Outer.Right, Outer.Top}).LineTo({Outer.Right, Outer.Bottom});
  Outline.LineTo({Outer.Left, Outer.Bottom}).ClosePath();
  for (std::size_t Index = 0; Index < 4; ++Index) {
    if (Index == 0)
      Outline.MoveTo(Inner.Points()[Index]);
    else
      Outline.LineTo(Inner.Points()[Index]);
  }
  Outline.ClosePath();
  return Outline;
}

}  // namespace

// The step's clipPath, defined once per document, and a group that refers to it. Its
// shape is in the document's coordinates: offset, and transformed by the matrix it was
// set under, whatever the options (a clip is set under a matrix and then used by drawing
// under another, often the identity).
void TSvgCanvas::TRecording::OpenClipGroup(const TClip& Step) {
  const TClipStep& S = *Step;
  const TPathData Excluded =
      S.Kind == TClipKind::ExcludeRect ? ExcludedOutline(S, Canvas->GetWidth(), Canvas->GetHeight()) : TPathData();
  const std::size_t Room = detail::FixedLineRoom + detail::OptionsRoom + detail::PathRoom(S.Path);
  const std::string_view Id =
      Document.Define(detail::TDefinitionKind::ClipPath, Room, [&](TLine& Line, std::string_view Id) {
        Line.Put("<clipPath id=\"");
        Line.Put(Id);
        Line.Put("\">");
        if (S.Kind == TClipKind::IntersectRect) {
          detail::PutRectGeometry(Line, Normalized(S.Rect), S.Offset, detail::TPlainSwitches{});
          detail::PutMatrix(Line, S.Matrix);
        } else if (S.Kind == TClipKind::IntersectPath) {
          Line.Open("path");
          Line.Attr("d", [&] {
            if (S.Path.IsEmpty()) Line.Put("M 0 0");
            detail::PutPathData(Line, S.Path, S.Offset);
          });
          if (S.Path.FillRule == TFillRule::EvenOdd) Line.Attr("clip-rule", "evenodd");
          detail::PutMatrix(Line, S.Matrix);
        } else {
          Line.Open("path");
          Line.Attr("d", [&] { detail::PutPathData(Line, Excluded, {}); });
          Line.Attr("clip-rule", "evenodd");
        }
        Line.Put("/></clipPath>\n");
      });
  Document.BeginClipGroup(Step, Id);
}

}  // namespace fsvg
