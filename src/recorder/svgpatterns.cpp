// Bitmap brushes as patterns. A pattern is defined as gradients are: lazily, on a line of
// its own before the first element that paints with it, found in the document's store by
// its content, so that every later use of the same bitmap at the same place reuses the id.
// One copy of the bitmap, one pixel a unit, is the pattern's tile; patternTransform lays
// it where the brush says. The pixels are written once a distinct bitmap: the first
// pattern that holds it takes them as an image, streamed as a DrawBitmap's are, and every
// later pattern of it only refers to that one (xlink:href), taking its tile and size.
#include <cstdint>
#include <string>

#include "encoders/pngwriter.h"
#include "svgrecording.h"

namespace fsvg {

using detail::TLine;

namespace {

// FNV-1a over the size and pixels: where to look for a bitmap among those written.
std::uint64_t PixelsHash(const TBitmap& Bitmap) {
  std::uint64_t Hash = 14695981039346656037ull;
  const auto Mix = [&Hash](std::uint64_t Value) { Hash = (Hash ^ Value) * 1099511628211ull; };
  Mix(static_cast<std::uint32_t>(Bitmap.GetWidth()));
  Mix(static_cast<std::uint32_t>(Bitmap.GetHeight()));
  for (const TAlphaColor Pixel : Bitmap.Pixels()) Mix(Pixel);
  return Hash;
}

}  // namespace

std::size_t TSvgCanvas::TRecording::PatternPixels(const std::shared_ptr<const TBitmap>& Bitmap) {
  // A bitmap met before is found by its address while it lives: another one may take the
  // address of one that has gone.
  const auto At = FPatternPixelsAt.find(Bitmap.get());
  if (At != FPatternPixelsAt.end() && !At->second.Bitmap.expired()) return At->second.Index;
  const std::uint64_t Hash = PixelsHash(*Bitmap);
  std::size_t Index = FPatternPixels.size();
  const auto [First, Last] = FPatternPixelsByHash.equal_range(Hash);
  for (auto It = First; It != Last; ++It)
    if (*FPatternPixels[It->second].Bitmap == *Bitmap) Index = It->second;
  if (Index == FPatternPixels.size()) {
    FPatternPixels.push_back({Bitmap, {}});
    FPatternPixelsByHash.emplace(Hash, Index);
  }
  FPatternPixelsAt.insert_or_assign(Bitmap.get(), TPixelsAt{Bitmap, Index});
  return Index;
}

std::string_view TSvgCanvas::TRecording::DefinePattern(const std::shared_ptr<const TBitmap>& Bitmap, bool HighSpeed,
                                                       const TBitmapPlacement& At, TPointF Offset, double Scale) {
  const std::size_t Pixels = PatternPixels(Bitmap);
  // The head, up to its transform; with an empty id and no reference it is the key, with
  // the number of the bitmap it holds and how it is sampled.
  const auto PutHead = [&](TLine& Line, std::string_view Id, std::string_view Reference) {
    Line.Put("<defs>");
    Line.Open("pattern");
    Line.Attr("id", Id);
    if (Reference.empty()) {
      Line.Attr("patternUnits", "userSpaceOnUse");
      Line.Attr("width", Bitmap->GetWidth());
      Line.Attr("height", Bitmap->GetHeight());
    } else {
      Line.Attr("xmlns:xlink", "http://www.w3.org/1999/xlink");
      Line.Attr("xlink:href", [&] {
        Line.Put('#');
        Line.Put(Reference);
      });
    }
    Line.Attr("patternTransform", [&] {
      Line.Put("matrix(");
      Line.Put(At.ScaleX * Scale);
      Line.Put(" 0 0 ");
      Line.Put(At.ScaleY * Scale);
      Line.Put(' ');
      Line.Put((At.X + Offset.X) * Scale);
      Line.Put(' ');
      Line.Put((At.Y + Offset.Y) * Scale);
      Line.Put(')');
    });
  };
  const std::size_t Room = detail::FixedLineRoom + 4 * detail::MaxRealLength;
  detail::TLineRoom KeyRoom(Room, nullptr);
  TLine Key(KeyRoom, Document.Options().DecimalPlaces);
  PutHead(Key, "", "");
  Key.Put(std::string_view(std::to_string(Pixels)));
  if (HighSpeed) Key.Put('n');
  return Document.DefineWritten(detail::TDefinitionKind::Paint, Key.Text(), [&](std::string_view Id) {
    std::string& FirstId = FPatternPixels[Pixels].FirstId[HighSpeed];
    if (!FirstId.empty()) {
      return Document.WriteLine(Room + Id.size() + FirstId.size(), [&](TLine& Line) {
        PutHead(Line, Id, FirstId);
        Line.Put("/></defs>\n");
      });
    }
    TStream* const Stream = Document.Stream();
    if (Stream == nullptr) return;
    detail::TLineRoom HeadRoom(Room + Id.size(), nullptr);
    TLine Head(HeadRoom, Document.Options().DecimalPlaces);
    PutHead(Head, Id, "");
    Head.Put('>');
    Head.Open("image");
    Head.Attr("width", Bitmap->GetWidth());
    Head.Attr("height", Bitmap->GetHeight());
    if (HighSpeed) detail::PutNearestPixels(Head);
    Head.Attr("xmlns:xlink", "http://www.w3.org/1999/xlink");
    Head.Put(" xlink:href=\"data:image/png;base64,");
    Document.Write(Head.Text());
    Document.BeginPieces("\"/></pattern></defs>\n");
    detail::WritePngBase64(*Stream, *Bitmap, {0, 0, Bitmap->GetWidth(), Bitmap->GetHeight()});
    Document.EndPieces();
    FirstId = Id;
  });
}

}  // namespace fsvg
