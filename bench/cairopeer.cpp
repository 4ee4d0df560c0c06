// Configuration 4: cairo's SVG surface drawing the scene. Its write callback appends
// to 1 MiB chunks, so that collecting the output never copies it or doubles a block;
// cairo_surface_finish, which writes most of the document, is inside the timed part.
#include <cairo-svg.h>
#include <cairo.h>

#include <cstring>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "configs.h"

namespace fsvg::bench {

namespace {

class TChunkSink {
 public:
  void Append(const unsigned char* Data, std::size_t Count) {
    while (Count > 0) {
      if (FChunks.empty() || FUsed == ChunkSize) {
        FChunks.push_back(std::make_unique_for_overwrite<unsigned char[]>(ChunkSize));
        FUsed = 0;
      }
      const std::size_t Part = std::min(Count, ChunkSize - FUsed);
      std::memcpy(FChunks.back().get() + FUsed, Data, Part);
      FUsed += Part;
      FSize += Part;
      Data += Part;
      Count -= Part;
    }
  }
  std::size_t Size() const { return FSize; }

 private:
  static constexpr std::size_t ChunkSize = 1 << 20;
  std::vector<std::unique_ptr<unsigned char[]>> FChunks;
  std::size_t FUsed = 0;
  std::size_t FSize = 0;
};

cairo_status_t WriteToSink(void* Closure, const unsigned char* Data, unsigned int Length) {
  static_cast<TChunkSink*>(Closure)->Append(Data, Length);
  return CAIRO_STATUS_SUCCESS;
}

void SetSource(cairo_t* Context, const TElement& E) {
  cairo_set_source_rgba(Context, ((E.Color >> 16) & 0xFF) / 255.0, ((E.Color >> 8) & 0xFF) / 255.0,
                        (E.Color & 0xFF) / 255.0, E.Opacity);
}

void Draw(cairo_t* Context, const TScene& Scene) {
  cairo_select_font_face(Context, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(Context, SceneFontSize);
  if (Scene.Kind == TSceneKind::Clipped) {
    cairo_rectangle(Context, SceneClip.Left, SceneClip.Top, SceneClip.Width(), SceneClip.Height());
    cairo_clip(Context);
  }
  for (const TElement& E : Scene.Elements) {
    SetSource(Context, E);
    switch (E.Kind) {
      case TElementKind::Rect:
        cairo_rectangle(Context, E.V[0], E.V[1], E.V[2] - E.V[0], E.V[3] - E.V[1]);
        cairo_fill(Context);
        break;
      case TElementKind::Line:
        cairo_set_line_width(Context, E.Thickness);
        cairo_move_to(Context, E.V[0], E.V[1]);
        cairo_line_to(Context, E.V[2], E.V[3]);
        cairo_stroke(Context);
        break;
      case TElementKind::Ellipse:
        cairo_save(Context);
        cairo_translate(Context, (E.V[0] + E.V[2]) / 2.0, (E.V[1] + E.V[3]) / 2.0);
        cairo_scale(Context, (E.V[2] - E.V[0]) / 2.0, (E.V[3] - E.V[1]) / 2.0);
        cairo_arc(Context, 0, 0, 1, 0, 2 * std::numbers::pi);
        cairo_restore(Context);
        cairo_fill(Context);
        break;
      case TElementKind::Polygon:
        cairo_move_to(Context, E.V[0], E.V[1]);
        cairo_line_to(Context, E.V[2], E.V[3]);
        cairo_line_to(Context, E.V[4], E.V[5]);
        cairo_close_path(Context);
        cairo_fill(Context);
        break;
      case TElementKind::Text:
        cairo_move_to(Context, E.V[0], E.V[3]);
        cairo_show_text(Context, Scene.Utf8Labels[E.Label].c_str());
        break;
      case TElementKind::Path: {
        TPointF P[PathPointCount];
        PathPoints(E, P);
        const auto Quad = [&](const TPointF& From, const TPointF& Control, const TPointF& To) {
          cairo_curve_to(Context, From.X + 2 * (Control.X - From.X) / 3.0, From.Y + 2 * (Control.Y - From.Y) / 3.0,
                         To.X + 2 * (Control.X - To.X) / 3.0, To.Y + 2 * (Control.Y - To.Y) / 3.0, To.X, To.Y);
        };
        cairo_move_to(Context, P[0].X, P[0].Y);
        cairo_line_to(Context, P[1].X, P[1].Y);
        Quad(P[1], P[2], P[3]);
        cairo_curve_to(Context, P[4].X, P[4].Y, P[5].X, P[5].Y, P[6].X, P[6].Y);
        cairo_line_to(Context, P[7].X, P[7].Y);
        Quad(P[7], P[8], P[9]);
        cairo_curve_to(Context, P[10].X, P[10].Y, P[11].X, P[11].Y, P[12].X, P[12].Y);
        cairo_line_to(Context, P[13].X, P[13].Y);
        cairo_curve_to(Context, P[14].X, P[14].Y, P[15].X, P[15].Y, P[16].X, P[16].Y);
        cairo_close_path(Context);
        cairo_fill(Context);
        break;
      }
    }
  }
}

}  // namespace

void RunCairo(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  TChunkSink Sink;
  Probe.Start();
  cairo_surface_t* Surface = cairo_svg_surface_create_for_stream(WriteToSink, &Sink, SceneWidth, SceneHeight);
  cairo_svg_surface_restrict_to_version(Surface, CAIRO_SVG_VERSION_1_1);
  cairo_t* Context = cairo_create(Surface);
  Draw(Context, *Input.Scene);
  const cairo_status_t DrawStatus = cairo_status(Context);
  cairo_destroy(Context);
  cairo_surface_finish(Surface);
  const cairo_status_t SurfaceStatus = cairo_surface_status(Surface);
  cairo_surface_destroy(Surface);
  Probe.Stop();
  Probe.Sample.Bytes = Sink.Size();
  if (DrawStatus != CAIRO_STATUS_SUCCESS) Probe.Fail(std::string("cairo: ") + cairo_status_to_string(DrawStatus));
  if (SurfaceStatus != CAIRO_STATUS_SUCCESS)
    Probe.Fail(std::string("cairo surface: ") + cairo_status_to_string(SurfaceStatus));
}

}  // namespace fsvg::bench
