// The clip chain: each clipping call adds one immutable step on top of the current chain,
// with the offset and matrix in force, so a saved state holds its clip by one pointer.
// Steps a canvas makes are released one after another, never by recursion.
#include <algorithm>
#include <iterator>

#include "fsvg/hostcanvas.h"
#include "hostchecks.h"

namespace fsvg {

using detail::RequireFinite;
using detail::RequireUsable;

namespace {

// Frees a step a canvas made, then each ancestor this chain alone held, one after
// another: freed by their own destructors, steps recurse once each, and a chain of a
// few hundred thousand overflows the stack. Such a step was made by new, not const, so
// its parent may be taken from it; a step made by hand is left to its destructor. The
// deleter also marks the steps a canvas made.
struct TClipRelease {
  void operator()(const TClipStep* Step) const noexcept {
    TClip Parent = std::move(const_cast<TClipStep*>(Step)->Parent);
    delete Step;
    while (Parent && Parent.use_count() == 1 && std::get_deleter<TClipRelease>(Parent)) {
      TClip Next = std::move(const_cast<TClipStep*>(Parent.get())->Parent);
      Parent = std::move(Next);
    }
  }
};

TClip MakeClipStep(TClipKind Kind, const TRectF& Rect, const TPathData& Path, const TPointF& Offset,
                   const TMatrix& Matrix, const TClip& Parent) {
  return TClip(new TClipStep{Kind, Rect, Path, Offset, Matrix, Parent, Parent ? Parent->Depth + 1 : 1}, TClipRelease{});
}

// Throws EArgumentError unless each step of Clip is one a canvas could have made: a
// known kind, every value finite, a depth one more than its parent's, a path that
// FillPath takes. A step a canvas made ends the check: its ancestors passed it already.
void RequireCanvasMade(const TClip& Clip) {
  for (const TClip* Link = &Clip; *Link && !std::get_deleter<TClipRelease>(*Link); Link = &(*Link)->Parent) {
    const TClipStep& S = **Link;
    const TMatrix& M = S.Matrix;
    const float Values[] = {S.Rect.Left, S.Rect.Top, S.Rect.Right, S.Rect.Bottom, S.Offset.X, S.Offset.Y, M.m11, M.m12,
                            M.m13,       M.m21,      M.m22,        M.m23,         M.m31,      M.m32,      M.m33};
    const bool Finite = std::all_of(std::begin(Values), std::end(Values), [](float V) { return std::isfinite(V); });
    if (S.Kind > TClipKind::IntersectPath || S.Depth != (S.Parent ? S.Parent->Depth + 1 : 1) || !Finite)
      throw EArgumentError("SetClip: the clip holds a step no canvas could have made");
    RequireUsable(S.Path, "SetClip");
  }
}

}  // namespace

// Clipping: each call adds one immutable step on top of the current chain, with the
// offset and matrix in force, so a saved state holds its clip by one pointer.
void TCanvas::SetClip(const TClip& Clip) {
  if (Clip == FClip) return;
  RequireCanvasMade(Clip);
  FClip = Clip;
  ClippingChanged();
}

void TCanvas::IntersectClipRect(const TRectF& ARect) {
  RequireFinite(ARect, "IntersectClipRect: the rectangle must be finite");
  SetClip(MakeClipStep(TClipKind::IntersectRect, ARect, {}, FOffset, FMatrix, FClip));
}

void TCanvas::ExcludeClipRect(const TRectF& ARect) {
  RequireFinite(ARect, "ExcludeClipRect: the rectangle must be finite");
  SetClip(MakeClipStep(TClipKind::ExcludeRect, ARect, {}, FOffset, FMatrix, FClip));
}

void TCanvas::IntersectClipPath(const TPathData& APath) {
  RequireUsable(APath, "IntersectClipPath");
  SetClip(MakeClipStep(TClipKind::IntersectPath, {}, APath, FOffset, FMatrix, FClip));
}

}  // namespace fsvg
