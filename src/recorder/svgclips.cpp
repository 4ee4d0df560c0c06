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
// In double, where no mapped corner of finite input overflows.
void PutExcludedOutline(TLine& Line, const TClipStep& S, std::int32_t Width, std::int32_t Height) {
  const TRectF& R = S.Rect;
  const TMatrix& Matrix = S.Matrix;
  const double Xs[] = {R.Left, R.Right, R.Right, R.Left}, Ys[] = {R.Top, R.Top, R.Bottom, R.Bottom};
  double Inner[8];
  double Left = -1, Top = -1, Right = Width + 1.0, Bottom = Height + 1.0;
  for (std::size_t Index = 0; Index < 4; ++Index) {
    const double X = Xs[Index] + S.Offset.X, Y = Ys[Index] + S.Offset.Y;
    Inner[2 * Index] = X * Matrix.m11 + Y * Matrix.m21 + Matrix.m31;
    Inner[2 * Index + 1] = X * Matrix.m12 + Y * Matrix.m22 + Matrix.m32;
    Left = std::min(Left, std::floor(Inner[2 * Index]) - 1);
    Top = std::min(Top, std::floor(Inner[2 * Index + 1]) - 1);
    Right = std::max(Right, std::ceil(Inner[2 * Index]) + 1);
    Bottom = std::max(Bottom, std::ceil(Inner[2 * Index + 1]) + 1);
  }
  const double Outer[] = {Left, Top, Right, Top, Right, Bottom, Left, Bottom};
  for (const double* Ring : {Outer, static_cast<const double*>(Inner)}) {
    for (std::size_t Index = 0; Index < 4; ++Index) {
      Line.Put(Index != 0 ? " L " : Ring == Outer ? "M " : " M ");
      Line.Put(Ring[2 * Index]);
      Line.Put(' ');
      Line.Put(Ring[2 * Index + 1]);
    }
    Line.Put(" Z");
  }
}

}  // namespace

// The step's clipPath, defined once per document, and a group that refers to it. Its
// shape is in the document's coordinates: offset, and transformed by the matrix it was
// set under, whatever the options (a clip is set under a matrix and then used by drawing
// under another, often the identity).
void TSvgCanvas::TRecording::OpenClipGroup(const TClip& Step) {
  const TClipStep& S = *Step;
  const std::size_t Room = detail::FixedLineRoom + detail::OptionsRoom + detail::PathRoom(S.Path);
  const std::string_view Id =
      Document.Define(detail::TDefinitionKind::ClipPath, Room, [&](TLine& Line, std::string_view Id) {
        Line.Put("<clipPath id=\"");
        Line.Put(Id);
        Line.Put("\">");
        if (S.Kind == TClipKind::IntersectRect) {
          detail::PutRectGeometry(Line, S.Rect, S.Offset, detail::TNormalizing{});
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
          Line.Attr("d", [&] { PutExcludedOutline(Line, S, Canvas->GetWidth(), Canvas->GetHeight()); });
          Line.Attr("clip-rule", "evenodd");
        }
        Line.Put("/></clipPath>\n");
      });
  Document.BeginClipGroup(Step, Id);
}

}  // namespace fsvg
