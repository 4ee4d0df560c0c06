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
    FGlyphIds.emplace(std::move(Glyph.Key), Id);
  }
  const TBrush& Fill = Canvas->GetFill();
  const TPointF Offset = Canvas->GetOffset();
  for (const TGlyphLines::TGlyphLine& Line : Glyphs.Lines) {
    const auto First =
        std::find_if(Line.Runs.begin(), Line.Runs.end(), [](const TGlyphRun& Run) { return !Run.Glyphs.empty(); });
    if (First == Line.Runs.end()) continue;
    // The group's units are the first glyph's font units, from its pen; a run in a face
    // of another em is scaled to its own inside.
    // Written exactly (12/2048 is 0.005859375: four places would move the line's last
    // glyph by a percent of its width), and every use placed by the scale written.
    const double Scale = static_cast<float>(RunScale(*First));
    const TPointF Origin = First->Glyphs.front().Pen;
    std::size_t Uses = 0;
    for (const TGlyphRun& Run : Line.Runs) Uses += Run.Glyphs.size() + 1;
    const std::string_view Paint = Document.Options().Gradients && Fill.GetGradient() != nullptr
                                       ? DefineGradient(*Fill.GetGradient(), {-Origin.X, -Origin.Y}, 1 / Scale)
                                       : std::string_view();
    Document.WriteElement(Paint.size() + Uses * (2 * detail::MaxRealLength + 64), [&](TLine& Out, const auto& Options) {
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
      detail::PutFillTail(Out, AOpacity, Fill, Options, Paint);
      Out.Put('>');
      for (const TGlyphRun& Run : Line.Runs) {
        const double RunScaleBy = static_cast<float>(RunScale(Run) / Scale);
        const bool Nested = RunScaleBy != 1;
        if (Nested) {
          Out.Open("g");
          Out.Attr("transform", [&] {
            Out.Put("scale(");
            Out.PutExact(static_cast<float>(RunScaleBy));
            Out.Put(')');
          });
          Out.Put('>');
        }
        const double ToUnits = Scale * RunScaleBy;
        for (const TPlacedGlyph& Glyph : Run.Glyphs) {
          const std::string_view Id = FGlyphIds.find(GlyphKey(*Run.Face, Glyph.Id))->second;
          if (Id.empty()) continue;
          Out.Open("use");
          Out.Attr("xlink:href", [&] {
            Out.Put('#');
            Out.Put(Id);
          });
          const double X = (static_cast<double>(Glyph.Pen.X) - Origin.X) / ToUnits;
          const double Y = (static_cast<double>(Glyph.Pen.Y) - Origin.Y) / ToUnits;
          if (X != 0) Out.Attr("x", X);
          if (Y != 0) Out.Attr("y", Y);
          Out.Put("/>");
        }
        if (Nested) Out.Put("</g>");
      }
      Out.Put("</g>\n");
    });
  }
  return true;
}

}  // namespace fsvg
