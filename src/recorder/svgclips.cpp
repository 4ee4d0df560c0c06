// Clipping. The host keeps the clip; the document follows it lazily. The document's open
// clip groups hold a prefix of some chain of the host's steps. Before an element, the
// groups the host's chain no longer holds whole are closed and groups are opened for the
// rest of the chain, so the nesting of groups intersects the clips as the host does.
// The first 32 steps get a group each, naming the step's clipPath. Beyond them, readers
// refuse a document nested 256 deep, so a group holds a run of steps: runs of the powers
// of two that sum to the steps left, largest first, and n steps nest 32 + log2(n) groups
// at most. A run of two or more is a mask: white where each of its steps lets through,
// or, beyond 16 steps, where both its halves (masks in turn) do, so a reader also
// follows references log2(n) deep only: some readers ignore a clipPath's own
// clip-path, others refuse a long chain of references. Each write is made before the
// state it records changes: a write that fails leaves the groups as the document has
// them, and the next element tries again.
#include <algorithm>
#include <bit>
#include <cmath>

#include "svgrecording.h"

namespace fsvg {

using detail::TLine;

void TSvgCanvas::IntersectClipRect(const TRectF& ARect) { FRecording->Canvas->IntersectClipRect(ARect); }
void TSvgCanvas::ExcludeClipRect(const TRectF& ARect) { FRecording->Canvas->ExcludeClipRect(ARect); }
void TSvgCanvas::IntersectClipPath(const TPathData& APath) { FRecording->Canvas->IntersectClipPath(APath); }

namespace {

// How many steps, outermost first, get a group each: as many as documents of today nest.
constexpr std::size_t OwnGroupSteps = 32;
// The longest run a mask holds as groups nested in it (a longer one is two halves): a
// mask costs a reader a layer as large as the page.
constexpr std::size_t NestedRunSteps = 16;

// The depths at which the groups that hold a chain of Depth steps end, outermost first.
std::vector<std::size_t> ClipGroupEnds(std::size_t Depth) {
  std::vector<std::size_t> Ends;
  std::size_t End = 0;
  while (End < std::min(Depth, OwnGroupSteps)) Ends.push_back(++End);
  const std::size_t Rest = Depth - End;
  for (std::size_t Run = std::bit_floor(Rest); Run != 0; Run >>= 1)
    if ((Rest & Run) != 0) Ends.push_back(End += Run);
  return Ends;
}

}  // namespace

// Keeps the open groups that end where the host's chain's own groups end and hold steps
// it still holds; after a change of size, none from the first drawn around the canvas
// (an exclusion's, a mask's). Opens the chain's groups beyond them.
void TSvgCanvas::TRecording::OpenClipGroups() {
  const TClip& Target = Canvas->GetClip();
  const std::vector<TClip>& Open = Document.OpenClips();
  const std::vector<std::size_t>& OpenEnds = Document.ClipGroupEnds();
  // The deepest open step that the host's chain still holds.
  const TClipStep* Shared = Target.get();
  while (Shared != nullptr && (Shared->Depth > Open.size() || Open[Shared->Depth - 1].get() != Shared))
    Shared = Shared->Parent.get();
  const std::size_t SharedDepth = Shared != nullptr ? Shared->Depth : 0;
  const bool Resized = Canvas->GetWidth() != ClipWidth || Canvas->GetHeight() != ClipHeight;
  const std::vector<std::size_t> Ends = ClipGroupEnds(Target ? Target->Depth : 0);
  std::size_t Kept = 0;
  while (Kept < OpenEnds.size() && Kept < Ends.size() && OpenEnds[Kept] == Ends[Kept] && Ends[Kept] <= SharedDepth) {
    const std::size_t Start = Kept != 0 ? Ends[Kept - 1] : 0;
    if (Resized && (Ends[Kept] - Start > 1 || Open[Start]->Kind == TClipKind::ExcludeRect)) break;
    ++Kept;
  }
  while (OpenEnds.size() > Kept) Document.EndClipGroup();
  ClipWidth = Canvas->GetWidth();
  ClipHeight = Canvas->GetHeight();
  // The chain's steps beyond the kept groups, by depth.
  const std::size_t From = Kept != 0 ? Ends[Kept - 1] : 0;
  std::vector<TClip> New(Ends.empty() ? 0 : Ends.back() - From);
  for (const TClip* Step = &Target; *Step && (*Step)->Depth > From; Step = &(*Step)->Parent)
    New[(*Step)->Depth - From - 1] = *Step;
  for (std::size_t Group = Kept; Group < Ends.size(); ++Group) {
    const std::size_t Start = Group != 0 ? Ends[Group - 1] : 0;
    const TClipRef Ref = DefineClipRun(std::span<const TClip>(New).subspan(Start - From, Ends[Group] - Start));
    Document.BeginClipGroup(New[Ends[Group] - From - 1], Ref.Attribute, Ref.Id);
  }
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

// The step's clipPath, defined once per document. Its shape is in the document's
// coordinates: offset, and transformed by the matrix it was set under, whatever the
// options (a clip is set under a matrix and then used by drawing under another, often
// the identity).
std::string_view TSvgCanvas::TRecording::DefineClipPath(const TClipStep& S) {
  const std::size_t Room = detail::FixedLineRoom + detail::OptionsRoom + detail::PathRoom(S.Path);
  return Document.Define(detail::TDefinitionKind::ClipPath, Room, [&](TLine& Line, std::string_view Id) {
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
}

// What a group holding Steps refers to: one step's clipPath, or a mask of the run
// (numbered with the clip paths), defined once per document after what it refers to:
// white where each step of a short run lets through (groups nested in the mask), or
// where both halves of a longer one do. Its box and its white rectangle hold the canvas
// with a unit to spare.
TSvgCanvas::TRecording::TClipRef TSvgCanvas::TRecording::DefineClipRun(std::span<const TClip> Steps) {
  if (Steps.size() == 1) return {"clip-path", DefineClipPath(*Steps.front())};
  std::vector<TClipRef> Parts;
  if (Steps.size() <= NestedRunSteps) {
    for (const TClip& Step : Steps) Parts.push_back({"clip-path", DefineClipPath(*Step)});
  } else {
    Parts.push_back(DefineClipRun(Steps.first(Steps.size() / 2)));
    Parts.push_back(DefineClipRun(Steps.subspan(Steps.size() / 2)));
  }
  const double Width = Canvas->GetWidth() + 2.0;
  const double Height = Canvas->GetHeight() + 2.0;
  std::size_t Room = detail::FixedLineRoom;
  for (const TClipRef& Part : Parts) Room += Part.Id.size() + 32;
  const std::string_view Id =
      Document.Define(detail::TDefinitionKind::ClipPath, Room, [&](TLine& Line, std::string_view Id) {
        const auto PutBox = [&] {
          Line.Attr("x", -1);
          Line.Attr("y", -1);
          Line.Attr("width", Width);
          Line.Attr("height", Height);
        };
        Line.Put("<mask id=\"");
        Line.Put(Id);
        Line.Put("\" maskUnits=\"userSpaceOnUse\"");
        PutBox();
        Line.Put('>');
        for (const TClipRef& Part : Parts) {
          Line.Put("<g ");
          Line.Put(Part.Attribute);
          Line.Put("=\"url(#");
          Line.Put(Part.Id);
          Line.Put(")\">");
        }
        Line.Open("rect");
        PutBox();
        Line.Attr("fill", "#FFFFFF");
        Line.Put("/>");
        for (std::size_t Part = 0; Part < Parts.size(); ++Part) Line.Put("</g>");
        Line.Put("</mask>\n");
      });
  return {"mask", Id};
}

}  // namespace fsvg
