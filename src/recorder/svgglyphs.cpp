// Text as glyph outlines. The host gives the glyph runs of each line it paints; every
// glyph is defined once, in its face's units, on a line of its own before its first use,
// and each line of text becomes one group: the paint and a transform from font units to
// the line's first pen, then a use a glyph that inks. A gradient is defined in the same
// font units, so it falls on the glyphs where it falls on any shape.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "svgrecording.h"

namespace fsvg {

using detail::TLine;

namespace {

// The key of a glyph in the document: its face's key and its id in the face.
std::string GlyphKey(const TGlyphFace& Face, std::uint32_t Glyph) {
  return Face.GetKey() + '\n' + std::to_string(Glyph);
}

// Font units to logical units for Run; refused when it cannot place a glyph.
double RunScale(const TGlyphRun& Run) {
  if (Run.Face == nullptr) throw EHostError("TSvgCanvas: the host gave a glyph run without a face");
  const double Scale = static_cast<double>(Run.Size) / Run.Face->GetUnitsPerEm();
  if (!std::isfinite(Scale) || !(Scale > 0))
    throw EHostError("TSvgCanvas: the host gave a glyph run whose size or units per em place nothing");
  for (const TPlacedGlyph& Glyph : Run.Glyphs)
    if (!std::isfinite(Glyph.Pen.X) || !std::isfinite(Glyph.Pen.Y))
      throw EHostError("TSvgCanvas: the host placed a glyph where no number can place it");
  return Scale;
}

// The bounds of a glyph's outline: of its points, control points too, so the curves
// lie inside; an arc's end widened by its radii.
TRectF Bounds(const TPathData& Outline) {
  TRectF Box{INFINITY, INFINITY, -INFINITY, -INFINITY};
  const auto Take = [&](TPointF P, float RX, float RY) {
    Box.Left = std::min(Box.Left, P.X - RX);
    Box.Top = std::min(Box.Top, P.Y - RY);
    Box.Right = std::max(Box.Right, P.X + RX);
    Box.Bottom = std::max(Box.Bottom, P.Y + RY);
  };
  const TPointF* Point = Outline.Points().data();
  for (const TPathVerb Verb : Outline.Verbs()) {
    const std::size_t Count = PathVerbPoints[static_cast<std::size_t>(Verb)];
    if (Verb == TPathVerb::ArcTo)
      Take(Point[2], std::abs(Point[0].X) + std::abs(Point[0].Y), std::abs(Point[0].X) + std::abs(Point[0].Y));
    else
      for (std::size_t I = 0; I < Count; ++I) Take(Point[I], 0, 0);
    Point += Count;
  }
  return Box;
}

// A glyph's outline, refused when a number of it is not finite.
TPathData CheckedOutline(const TGlyphFace& Face, std::uint32_t Glyph) {
  TPathData Outline = Face.Outline(Glyph);
  for (const TPointF& P : Outline.Points())
    if (!std::isfinite(P.X) || !std::isfinite(P.Y))
      throw EHostError("TSvgCanvas: the host gave a glyph outline that is not finite");
  return Outline;
}

}  // namespace

bool TSvgCanvas::TRecording::RecordGlyphs(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                                          TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  TGlyphLines Glyphs;
  Canvas->MeasureGlyphs(Glyphs, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
  if (Glyphs.Lines.empty()) return false;
  // Everything the host gave is checked, and every new outline taken, before a line is
  // written: a refusal then loses nothing already recorded.
  struct TNewGlyph {
    std::string Key;
    TPathData Outline;
  };
  std::vector<TNewGlyph> New;
  for (const TGlyphLines::TGlyphLine& Line : Glyphs.Lines) {
    for (const TGlyphRun& Run : Line.Runs) {
      RunScale(Run);
      for (const TPlacedGlyph& Glyph : Run.Glyphs) {
        std::string Key = GlyphKey(*Run.Face, Glyph.Id);
        if (FGlyphIds.contains(Key)) continue;
        bool Seen = false;
        for (const TNewGlyph& Each : New) Seen = Seen || Each.Key == Key;
        if (!Seen) New.push_back({std::move(Key), CheckedOutline(*Run.Face, Glyph.Id)});
      }
    }
  }
  SyncClip();
  for (TNewGlyph& Glyph : New) {
    std::string_view Id;
    if (!Glyph.Outline.IsEmpty())
      Id = Document.Define(detail::TDefinitionKind::Glyph, detail::FixedLineRoom + detail::PathRoom(Glyph.Outline),
                           [&](TLine& Line, std::string_view AId) {
                             Line.Put("<defs>");
                             Line.Open("path");
                             Line.Attr("id", AId);
                             Line.Attr("d", [&] { detail::PutPathData(Line, Glyph.Outline, {}); });
                             Line.Put("/></defs>\n");
                           });
    FGlyphIds.emplace(std::move(Glyph.Key), TGlyphUse{Id, Glyph.Outline.IsEmpty() ? TRectF{} : Bounds(Glyph.Outline)});
  }
  const TBrush& Fill = Canvas->GetFill();
  const TPointF Offset = Canvas->GetOffset();
  for (const TGlyphLines::TGlyphLine& Line : Glyphs.Lines) {
    const auto First =
        std::find_if(Line.Runs.begin(), Line.Runs.end(), [](const TGlyphRun& Run) { return !Run.Glyphs.empty(); });
    if (First == Line.Runs.end()) continue;
    // The group's units are the first glyph's font units, from its pen; a glyph of a
    // face of another em is scaled to its own by its use. The scale is written exactly
    // (12/2048 is 0.005859375: four places would move the line's last glyph by a percent
    // of its width), and every use placed by the scale written.
    const double Scale = static_cast<float>(RunScale(*First));
    const TPointF Origin = First->Glyphs.front().Pen;
    std::size_t Uses = 0;
    for (const TGlyphRun& Run : Line.Runs) Uses += Run.Glyphs.size();
    const std::size_t UsesRoom = Uses * (3 * detail::MaxRealLength + 80);
    // Every use of the line, and the bounds of their outlines in the group's units.
    TRectF Bounds{INFINITY, INFINITY, -INFINITY, -INFINITY};
    const auto PutUses = [&](TLine& Out) {
      for (const TGlyphRun& Run : Line.Runs) {
        const double RunScaleBy = static_cast<float>(RunScale(Run) / Scale);
        for (const TPlacedGlyph& Glyph : Run.Glyphs) {
          const TGlyphUse& Use = FGlyphIds.find(GlyphKey(*Run.Face, Glyph.Id))->second;
          if (Use.Id.empty()) continue;
          Out.Open("use");
          Out.Attr("xlink:href", [&] {
            Out.Put('#');
            Out.Put(Use.Id);
          });
          const double X = (static_cast<double>(Glyph.Pen.X) - Origin.X) / (Scale * RunScaleBy);
          const double Y = (static_cast<double>(Glyph.Pen.Y) - Origin.Y) / (Scale * RunScaleBy);
          if (X != 0) Out.Attr("x", X);
          if (Y != 0) Out.Attr("y", Y);
          if (RunScaleBy != 1) {
            Out.Attr("transform", [&] {
              Out.Put("scale(");
              Out.PutExact(static_cast<float>(RunScaleBy));
              Out.Put(')');
            });
          }
          Out.Put("/>");
          Bounds.Left = std::min<float>(Bounds.Left, (X + Use.Bounds.Left) * RunScaleBy);
          Bounds.Top = std::min<float>(Bounds.Top, (Y + Use.Bounds.Top) * RunScaleBy);
          Bounds.Right = std::max<float>(Bounds.Right, (X + Use.Bounds.Right) * RunScaleBy);
          Bounds.Bottom = std::max<float>(Bounds.Bottom, (Y + Use.Bounds.Bottom) * RunScaleBy);
        }
      }
    };
    // A gradient or a pattern is defined in the group's units. A use moves its glyph's
    // own user space, where a paint server is resolved, so the glyphs of a line painted
    // by one become a clip path, and one rectangle over them takes the paint once.
    std::string_view Paint;
    if (!PaintRef(
            Fill, {-Origin.X, -Origin.Y}, [&] { return ARect; }, Paint, 1 / Scale))
      continue;
    const std::string_view Clip =
        !Paint.empty() ? Document.Define(detail::TDefinitionKind::ClipPath, detail::FixedLineRoom + UsesRoom,
                                         [&](TLine& Out, std::string_view Id) {
                                           Out.Put("<clipPath id=\"");
                                           Out.Put(Id);
                                           Out.Put("\">");
                                           PutUses(Out);
                                           Out.Put("</clipPath>\n");
                                         })
                       : std::string_view();
    Document.WriteElement(Paint.size() + Clip.size() + UsesRoom, [&](TLine& Out, const auto& Options) {
      Out.Open("g");
      Out.Attr("transform", [&] {
        if (Options.Transforms && Canvas->GetMatrixMeaning() != TMatrixMeaning::Identity) {
          detail::PutMatrixFunction(Out, Canvas->GetMatrix());
          Out.Put(' ');
        }
        Out.Put("translate(");
        Out.Put(static_cast<double>(Origin.X) + Offset.X);
        Out.Put(' ');
        Out.Put(static_cast<double>(Origin.Y) + Offset.Y);
        Out.Put(") scale(");
        Out.PutExact(static_cast<float>(Scale));
        Out.Put(')');
      });
      if (Clip.empty()) {
        detail::PutFillTail(Out, AOpacity, Fill, Options, Paint);
        Out.Put('>');
        PutUses(Out);
      } else {
        Out.Attr("clip-path", [&] { detail::PutPaintRef(Out, Clip); });
        Out.Put('>');
        if (Bounds.Left <= Bounds.Right) {
          detail::PutRectGeometry(Out, Bounds, {}, Options);
          detail::PutFillTail(Out, AOpacity, Fill, Options, Paint);
          Out.Put("/>");
        }
      }
      Out.Put("</g>\n");
    });
  }
  return true;
}

}  // namespace fsvg
