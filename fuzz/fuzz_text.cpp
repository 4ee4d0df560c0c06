// Fuzz target: text and font family from arbitrary UTF-16. The finished document must be
// valid UTF-8 and well-formed XML, and reading it back must give the caller's text and
// family again, less what XML itself cannot carry (U+FFFD for forbidden characters and
// unpaired surrogates; line ends and attribute white space as an XML parser reports them).
//
// Input: the first byte splits the remaining UTF-16 units (little-endian) into family and
// text.
#include <libxml/parser.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "fsvg/fsvgcanvas.h"
#include "fuzzsupport.h"

namespace {

// What an XML parser hands back for Text written as Utf8: forbidden characters become
// U+FFFD; every line end is one LF; in an attribute, tab and line ends become spaces.
// Applied to both sides, so a writer that escapes line ends as character references
// passes as well as one that writes them raw.
std::string AsParsed(std::u16string_view Text, bool Attribute) {
  std::u16string Clean;
  for (std::size_t Index = 0; Index < Text.size(); ++Index) {
    char16_t Unit = Text[Index];
    const bool High = Unit >= 0xD800 && Unit <= 0xDBFF;
    if (High && Index + 1 < Text.size() && Text[Index + 1] >= 0xDC00 && Text[Index + 1] <= 0xDFFF) {
      Clean += Unit;
      Clean += Text[++Index];
      continue;
    }
    if ((Unit >= 0xD800 && Unit <= 0xDFFF) || Unit == 0xFFFE || Unit == 0xFFFF ||
        (Unit < 0x20 && Unit != '\t' && Unit != '\n' && Unit != '\r'))
      Unit = 0xFFFD;
    if (Unit == '\r') {
      if (Index + 1 < Text.size() && Text[Index + 1] == '\n') ++Index;
      Unit = '\n';
    }
    if (Attribute && (Unit == '\t' || Unit == '\n')) Unit = ' ';
    Clean += Unit;
  }
  const fsvg::TBytes Bytes = fsvg::ToUtf8(Clean);
  return std::string(Bytes.begin(), Bytes.end());
}

// The same normalisation on text read back (UTF-8), for a writer that kept CR or TAB.
std::string Normalised(const std::string& Parsed, bool Attribute) {
  std::string Text;
  for (std::size_t Index = 0; Index < Parsed.size(); ++Index) {
    char C = Parsed[Index];
    if (C == '\r') {
      if (Index + 1 < Parsed.size() && Parsed[Index + 1] == '\n') ++Index;
      C = '\n';
    }
    if (Attribute && (C == '\t' || C == '\n')) C = ' ';
    Text += C;
  }
  return Text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  xmlInitParser();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  if (Size < 1) return 0;
  std::u16string Units((Size - 1) / 2, u'\0');
  for (std::size_t Index = 0; Index < Units.size(); ++Index)
    Units[Index] = static_cast<char16_t>(Data[1 + 2 * Index] | (Data[2 + 2 * Index] << 8));
  const std::size_t Split = Units.empty() ? 0 : Data[0] % (Units.size() + 1);
  const std::u16string_view Family = std::u16string_view(Units).substr(0, Split);
  const std::u16string_view Text = std::u16string_view(Units).substr(Split);

  fsvg::TMemoryStream Stream;
  {
    fsvg::TNullCanvas Host(100, 100);
    Host.GetFont().Family = std::u16string(Family);
    fsvg::TSvgCanvas Canvas(&Stream, &Host);
    Canvas.FillText({1, 2, 3, 4}, Text, false, 1, {}, fsvg::TTextAlign::Leading);
  }
  const std::string_view Document = Stream.View();
  const fsvg::fuzz::TXmlDocPtr Doc = fsvg::fuzz::ParseDocumentOrFail(Document);
  xmlNode* Root = xmlDocGetRootElement(Doc.get());
  xmlNode* Element = Root != nullptr ? xmlFirstElementChild(Root) : nullptr;
  if (Element == nullptr || std::strcmp(reinterpret_cast<const char*>(Element->name), "text") != 0 ||
      xmlNextElementSibling(Element) != nullptr)
    fsvg::fuzz::Fail("expected exactly one <text> element", Document);

  std::string ParsedFamily;
  if (!fsvg::fuzz::GetAttribute(Element, "font-family", ParsedFamily))
    fsvg::fuzz::Fail("no font-family attribute", Document);
  if (Normalised(ParsedFamily, true) != AsParsed(Family, true))
    fsvg::fuzz::Fail("font family does not read back as written", Document);
  if (Normalised(fsvg::fuzz::GetContent(Element), false) != AsParsed(Text, false))
    fsvg::fuzz::Fail("text does not read back as written", Document);
  return 0;
}
