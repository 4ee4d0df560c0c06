// Gradients. Each is defined lazily, as clip paths are: just before the first element
// that paints with it, on a line of its own, found in the document's store by its content
// (the gradient in the element's coordinates), so every later use of an equal gradient at
// the same place, by whatever brush, reuses the id, and the memory holds one entry per
// distinct definition.
#include <span>

#include "svgrecording.h"

namespace fsvg {

using detail::TLine;

namespace {

// Room for a gradient's definition: a fixed-shape line and each stop's.
std::size_t GradientRoom(const TGradient& G) {
  return detail::FixedLineRoom + G.Stops.size() * (2 * detail::MaxRealLength + 64);
}

// A gradient's definition line, with the id Id: its geometry, offset as the element's own
// coordinates are, its spread when not pad, and its stops. An offset is written exactly,
// whatever the places (at none, every stop would be at 0 or 1); a colour's alpha, when not
// opaque, as stop-opacity. Scale multiplies every coordinate and the radius (outlined
// text defines its gradient in font units). A ramp of no length, which renderers paint each their own way
// (an average colour, nothing), is written as a linear ramp of length one of its last stop
// alone: that stop's colour everywhere.
void PutGradientDefinition(TLine& Line, std::string_view Id, const TGradient& G, TPointF Offset, double Scale) {
  const bool Degenerate = G.IsDegenerate();
  const bool Linear = G.Kind == TGradientKind::Linear || Degenerate;
  Line.Put("<defs>");
  if (Linear)
    Line.Open("linearGradient");
  else
    Line.Open("radialGradient");
  Line.Attr("id", Id);
  Line.Attr("gradientUnits", "userSpaceOnUse");
  if (Degenerate) {
    Line.Attr("x2", "1");
  } else if (Linear) {
    Line.Attr("x1", (static_cast<double>(G.Start.X) + Offset.X) * Scale);
    Line.Attr("y1", (static_cast<double>(G.Start.Y) + Offset.Y) * Scale);
    Line.Attr("x2", (static_cast<double>(G.End.X) + Offset.X) * Scale);
    Line.Attr("y2", (static_cast<double>(G.End.Y) + Offset.Y) * Scale);
  } else {
    Line.Attr("cx", (static_cast<double>(G.Center.X) + Offset.X) * Scale);
    Line.Attr("cy", (static_cast<double>(G.Center.Y) + Offset.Y) * Scale);
    Line.Attr("r", static_cast<double>(G.Radius) * Scale);
    Line.Attr("fx", (static_cast<double>(G.Focal.X) + Offset.X) * Scale);
    Line.Attr("fy", (static_cast<double>(G.Focal.Y) + Offset.Y) * Scale);
  }
  if (G.Spread != TGradientSpread::Pad && !Degenerate)
    Line.Attr("spreadMethod", G.Spread == TGradientSpread::Reflect ? "reflect" : "repeat");
  Line.Put('>');
  for (const TGradientStop& Stop : Degenerate ? std::span(G.Stops).last(1) : std::span(G.Stops)) {
    Line.Open("stop");
    Line.Attr("offset", [&] { Line.PutExact(Stop.Offset); });
    Line.Attr("stop-color", detail::TColorValue{Stop.Color});
    if (Stop.Color >> 24 != 0xFF) Line.Attr("stop-opacity", static_cast<double>(Stop.Color >> 24) / 255.0);
    Line.Put("/>");
  }
  Line.Put(Linear ? std::string_view("</linearGradient></defs>\n") : "</radialGradient></defs>\n");
}

}  // namespace

std::string_view TSvgCanvas::TRecording::DefineGradient(const TGradient& Gradient, TPointF Offset, double Scale) {
  return Document.Define(detail::TDefinitionKind::Paint, GradientRoom(Gradient), [&](TLine& Line, std::string_view Id) {
    PutGradientDefinition(Line, Id, Gradient, Offset, Scale);
  });
}

}  // namespace fsvg
