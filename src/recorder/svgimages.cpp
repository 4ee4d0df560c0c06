// Images. An image line has no bound, so it is not built whole: its head (geometry,
// opacity, transform, rendering) is built in a line room, then the PNG's base64 text
// streams out in pieces, then the line's end. The line has no line feed inside. A write
// that fails after the head leaves the line torn, and whatever is written next closes it.
#include <algorithm>

#include "encoders/pngwriter.h"
#include "svgrecording.h"

namespace fsvg {

using detail::TLine;

void TSvgCanvas::DrawBitmap(const TBitmap& ABitmap, const TRectF& Source, const TRectF& Dest, float AOpacity,
                            bool HighSpeed) {
  TRecording& R = *FRecording;
  R.Canvas->DrawBitmap(ABitmap, Source, Dest, AOpacity, HighSpeed);
  if (!(Dest.Left < Dest.Right && Dest.Top < Dest.Bottom)) return;
  const TPointF Offset = R.Canvas->GetOffset();
  R.SyncClip();
  TStream* const Stream = R.Document.Stream();
  if (Stream == nullptr) return;
  detail::TLineRoom Room(detail::FixedLineRoom + detail::OptionsRoom, nullptr);
  TLine Line(Room, R.Document.Options().DecimalPlaces);
  R.Document.WithSwitches([&](const auto& Options) {
    Line.Open("image");
    Line.Attr("x", static_cast<double>(Dest.Left) + Offset.X);
    Line.Attr("y", static_cast<double>(Dest.Top) + Offset.Y);
    Line.Attr("width", static_cast<double>(Dest.Right) - Dest.Left);
    Line.Attr("height", static_cast<double>(Dest.Bottom) - Dest.Top);
    Line.Attr("preserveAspectRatio", "none");
    const double Opacity = std::clamp(static_cast<double>(AOpacity), 0.0, 1.0);
    if (Opacity < 1) Line.Attr("opacity", Opacity);
    detail::PutTransform(Line, *R.Canvas, Options);
    if (HighSpeed) detail::PutNearestPixels(Line);
    Line.Attr("xmlns:xlink", "http://www.w3.org/1999/xlink");
    Line.Put(" xlink:href=\"data:image/png;base64,");
  });
  R.Document.Write(Line.Text());
  R.Document.BeginPieces("\"/>\n");
  const auto Whole = [](float Edge) { return static_cast<std::int32_t>(Edge); };
  detail::WritePngBase64(*Stream, ABitmap,
                         {Whole(Source.Left), Whole(Source.Top), Whole(Source.Right) - Whole(Source.Left),
                          Whole(Source.Bottom) - Whole(Source.Top)});
  R.Document.EndPieces();
}

}  // namespace fsvg
