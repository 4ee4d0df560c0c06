// Glyph outlines as a host paints them: the faces it shapes text in, each glyph's outline
// in the face's own units, and the runs of glyphs each laid-out line is painted with. A
// recording that wants text exactly as painted, even where a viewer lacks the font, asks
// the host for them; a host that has none answers with no line.
/// @file
/// The glyphs a host paints text with: faces, outlines in font units, runs per line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fsvg/export.h"
#include "fsvg/path.h"
#include "fsvg/types.h"

namespace fsvg {
/// @addtogroup hostcanvas
/// @{

/// A face a host shapes text in: a key that tells it from every other face of the host,
/// its units per em, and the outline of each of its glyphs. Made by the host, shared by
/// the runs that use it.
/// @ingroup writinghost
class FSVG_API TGlyphFace {
 public:
  /// A face known by AKey (equal keys: the same glyphs), of AUnitsPerEm units per em.
  TGlyphFace(std::string AKey, float AUnitsPerEm) : FKey(std::move(AKey)), FUnitsPerEm(AUnitsPerEm) {}
  virtual ~TGlyphFace();
  TGlyphFace(const TGlyphFace&) = delete;
  TGlyphFace& operator=(const TGlyphFace&) = delete;

  /// The key that tells this face from the host's others.
  const std::string& GetKey() const { return FKey; }
  /// Font units per em: a glyph painted at size S is its outline scaled by S / units per em.
  float GetUnitsPerEm() const { return FUnitsPerEm; }
  /// The outline of glyph AGlyph in font units, y growing downwards, origin on the pen's
  /// position at the baseline; empty for a glyph that inks nothing (a space). May throw
  /// for a glyph the face does not have.
  virtual TPathData Outline(std::uint32_t AGlyph) const = 0;

 private:
  std::string FKey;
  float FUnitsPerEm;
};

/// One glyph of a run: its id in the face and its pen position on the baseline, in
/// logical units, where the host paints it (the canvas's offset not added).
struct TPlacedGlyph {
  std::uint32_t Id = 0;  ///< the glyph's id in the run's face
  TPointF Pen;           ///< its origin as painted
};

/// A run of glyphs in one face at one size.
struct TGlyphRun {
  std::shared_ptr<const TGlyphFace> Face;  ///< the face every glyph of the run is in
  float Size = 0;                          ///< the font size painted, in logical units a em
  std::vector<TPlacedGlyph> Glyphs;        ///< the glyphs in the order painted
};

/// The glyph runs of the lines a text takes, first line to last, as MeasureGlyphs fills
/// them: Lines[i] holds the runs of the i-th line MeasureLines gives.
struct TGlyphLines {
  /// The runs of one line.
  struct TGlyphLine {
    std::vector<TGlyphRun> Runs;  ///< the line's runs in the order painted
  };
  std::vector<TGlyphLine> Lines;  ///< the lines, first to last; none from a host without outlines
};

/// @}
}  // namespace fsvg
