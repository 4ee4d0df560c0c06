// The document's lifecycle: its stream (an owned file and its compression), the header
// and the footer, the closing that attempts every step, and the store's ids.
#include "svgdocument.h"

#include <exception>

#include "encoders/textencoding.h"

namespace fsvg::detail {

namespace {

// The header up to the end of the root's opening tag, which the options may extend.
constexpr std::string_view HeaderStart =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
constexpr std::string_view Footer = "</svg>";

// Whether O asks for the plain recording: every switch off, and the plain places.
bool IsPlain(const TSvgOptions& O) {
  return !AnySwitch(O) && !O.Gradients && !O.GlyphOutlines && !O.ThemeColor && O.DecimalPlaces == PlainDecimalPlaces;
}

// Where a closed document writes: every write is refused, so a drawing call after Close
// paints the host and then raises instead of losing its element without a word.
class TClosedStream final : public TStream {
 public:
  void WriteBuffer(const void*, std::size_t) override {
    throw EMisuseError("TSvgCanvas: the document is closed; nothing more can be recorded");
  }
};

TClosedStream ClosedStream;

// Whether Code may start (Start) or continue an XML name; the colon is left out, so the
// name is one an XML namespace processor takes too.
bool IsNameCharacter(char32_t Code, bool Start) {
  static constexpr char32_t StartRanges[][2] = {{'A', 'Z'},       {'_', '_'},       {'a', 'z'},        {0xC0, 0xD6},
                                                {0xD8, 0xF6},     {0xF8, 0x2FF},    {0x370, 0x37D},    {0x37F, 0x1FFF},
                                                {0x200C, 0x200D}, {0x2070, 0x218F}, {0x2C00, 0x2FEF},  {0x3001, 0xD7FF},
                                                {0xF900, 0xFDCF}, {0xFDF0, 0xFFFD}, {0x10000, 0xEFFFF}};
  static constexpr char32_t MoreRanges[][2] = {{'-', '.'}, {'0', '9'}, {0xB7, 0xB7}, {0x300, 0x36F}, {0x203F, 0x2040}};
  const auto In = [Code](const auto& Ranges) {
    for (const auto& Range : Ranges)
      if (Code >= Range[0] && Code <= Range[1]) return true;
    return false;
  };
  return In(StartRanges) || (!Start && In(MoreRanges));
}

// Whether FileName's extension is ".svgz" as std::filesystem::path::extension reads it (a
// name of a dot and "svgz" alone has none), read from the name's text: the path's parsing
// is code a recording to a plain name would otherwise run, and keep resident, for nothing.
bool IsCompressedName(const std::filesystem::path& FileName) {
  constexpr std::string_view Extension = ".svgz";
  const std::string& Name = FileName.native();
  const std::size_t Dot = Name.size() - Extension.size();
  return Name.ends_with(Extension) && Dot > 0 && Name[Dot - 1] != '/';
}

}  // namespace

bool IsNameOrEmpty(std::u16string_view Text) {
  for (std::size_t Index = 0; Index < Text.size(); ++Index) {
    char32_t Code = Text[Index];
    if (Code >= 0xD800 && Code <= 0xDBFF && Index + 1 < Text.size() && Text[Index + 1] >= 0xDC00 &&
        Text[Index + 1] <= 0xDFFF)
      Code = 0x10000 + ((Code - 0xD800) << 10) + (Text[++Index] - 0xDC00);
    if (!IsNameCharacter(Code, Index == 0)) return false;
  }
  return true;
}

TSvgDocument::TSvgDocument(TStream* Stream, const TSvgOptions& Options)
    : FStream(Stream), FOptions(Options), FPlain(IsPlain(Options)) {}

TSvgDocument::TSvgDocument(const std::filesystem::path& FileName, const TSvgOptions& Options)
    : FOptions(Options), FPlain(IsPlain(Options)) {
  if (FileName.empty()) return;
  FOwnedStream = std::make_unique<TFileStream>(FileName, TFileBuffering::Reserved);
  FStream = FOwnedStream.get();
  if (IsCompressedName(FileName)) {
    FOwnedGzip = std::make_unique<TGzipStream>(FStream);
    FStream = FOwnedGzip.get();
  }
}

void TSvgDocument::Start(std::int32_t Width, std::int32_t Height) {
  Check(FOptions.DecimalPlaces >= 0 && FOptions.DecimalPlaces <= 6, "DecimalPlaces must be 0 to 6");
  Check(IsNameOrEmpty(FOptions.IdPrefix), "IdPrefix must be empty or an XML name without a colon");
  const TBytes Prefix = ToUtf8(FOptions.IdPrefix);
  FIdPrefix.assign(Prefix.begin(), Prefix.end());
  WriteHeader(Width, Height);
}

// The XML declaration and the root's opening tag, with the document's size, the theme
// colour, crisp edges, title and description when the options ask for them; one write.
void TSvgDocument::WriteHeader(std::int32_t Width, std::int32_t Height) {
  const std::size_t Room =
      FixedLineRoom + OptionsRoom + EncodedRoom(FOptions.Title) + EncodedRoom(FOptions.Description);
  WriteLine(Room, [&](TLine& Line) {
    Line.Put(HeaderStart);
    if (FOptions.DocumentSize) {
      Line.Attr("width", Width);
      Line.Attr("height", Height);
      Line.Attr("viewBox", [&] {
        Line.Put("0 0 ");
        Line.Put(Width);
        Line.Put(' ');
        Line.Put(Height);
      });
    }
    // The glyphs' uses link by xlink:href, declared once on the root.
    if (FOptions.GlyphOutlines) Line.Attr("xmlns:xlink", "http://www.w3.org/1999/xlink");
    if (FOptions.ThemeColor) Line.Attr("color", TColorValue{*FOptions.ThemeColor});
    if (FOptions.CrispEdges) Line.Attr("shape-rendering", "crispEdges");
    Line.Put(">\n");
    const auto PutElement = [&](std::string_view Open, std::u16string_view Text, std::string_view Close) {
      if (Text.empty()) return;
      Line.Put(Open);
      Line.PutText(Text, TTextEncoding::Xml);
      Line.Put(Close);
    };
    PutElement("<title>", FOptions.Title, "</title>\n");
    PutElement("<desc>", FOptions.Description, "</desc>\n");
  });
}

// The footer, then the owned compression's and file's close, each attempted whatever
// the others did; the first error is the one raised. Afterwards every write is refused.
void TSvgDocument::Finish() {
  FClosed = true;
  std::exception_ptr Error;
  try {
    CloseTornLine();
    Write(OpenGroupsEnd() + std::string(Footer));
  } catch (...) {
    Error = std::current_exception();
  }
  FStream = &ClosedStream;
  const auto Close = [&Error](auto& Owned) {
    if (!Owned) return;
    try {
      Owned->Close();
    } catch (...) {
      if (!Error) Error = std::current_exception();
    }
    Owned.reset();
  };
  Close(FOwnedGzip);
  Close(FOwnedStream);
  if (Error) std::rethrow_exception(Error);
}

std::string TSvgDocument::NextId(TDefinitionKind Kind) const {
  const auto Index = static_cast<std::size_t>(Kind);
  return FIdPrefix + DefinitionLetters[Index] + std::to_string(FLastIds[Index] + 1);
}

std::string_view TSvgDocument::Keep(TDefinitionKind Kind, std::string_view Content, const std::string& Id) {
  ++FLastIds[static_cast<std::size_t>(Kind)];
  return FDefinitions.emplace(std::string(Content), Id).first->second;
}

}  // namespace fsvg::detail
