// Fuzz target: text and font family from arbitrary UTF-16. The finished document must be
// well-formed XML in valid UTF-8, and reading it back must give the caller's text and
// family again, less what XML cannot carry: U+FFFD for forbidden characters and unpaired
// surrogates, one LF for every line end, and in an attribute a space for tab and LF.
//
// Input: the first byte splits the remaining UTF-16 units (in the host's byte order) into
// family and text.
#include <cstdint>
#include <cstring>
#include <string>

#include "fsvg/fsvgcanvas.h"
#include "fuzzsupport.h"

static std::string AsParsed(std::u16string_view Text, bool Attribute) {
  std::u16string Clean;
  for (std::size_t Index = 0; Index < Text.size(); ++Index) {
    char16_t Unit = Text[Index];
    const char16_t Next = Index + 1 < Text.size() ? Text[Index + 1] : 0;
    if (Unit >= 0xD800 && Unit <= 0xDBFF && Next >= 0xDC00 && Next <= 0xDFFF)
      Clean += Unit, Unit = Text[++Index];  // a pair: the low half follows below
    else if ((Unit >= 0xD800 && Unit <= 0xDFFF) || Unit >= 0xFFFE ||
             (Unit < 0x20 && Unit != '\t' && Unit != '\n' && Unit != '\r'))
      Unit = 0xFFFD;
    if (Unit == '\r') Unit = '\n', Index += Next == '\n';
    Clean += Attribute && (Unit == '\t' || Unit == '\n') ? u' ' : Unit;
  }
  const fsvg::TBytes Bytes = fsvg::ToUtf8(Clean);
  return std::string(Bytes.begin(), Bytes.end());
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  if (Size < 1) return 0;
  std::u16string Units((Size - 1) / 2, u'\0');
  std::memcpy(Units.data(), Data + 1, 2 * Units.size());
  const std::size_t Split = Units.empty() ? 0 : Data[0] % (Units.size() + 1);
  const std::u16string_view All(Units), Family = All.substr(0, Split), Text = All.substr(Split);
  fsvg::TMemoryStream Stream;
  {
    fsvg::TNullCanvas Host(100, 100);
    Host.GetFont().Family = std::u16string(Family);
    fsvg::TSvgCanvas Canvas(&Stream, &Host);
    Canvas.FillText({1, 2, 3, 4}, Text, false, 1, {}, fsvg::TTextAlign::Leading);
  }
  const fsvg::fuzz::TXmlDocPtr Doc = fsvg::fuzz::ParseOrFail(Stream.View());
  xmlNode* Element = xmlFirstElementChild(xmlDocGetRootElement(Doc.get()));
  xmlChar* ParsedFamily = xmlGetProp(Element, reinterpret_cast<const xmlChar*>("font-family"));
  xmlChar* ParsedText = xmlNodeGetContent(Element);
  const bool Same = ParsedFamily != nullptr && reinterpret_cast<char*>(ParsedFamily) == AsParsed(Family, true) &&
                    reinterpret_cast<char*>(ParsedText) == AsParsed(Text, false);
  xmlFree(ParsedFamily);
  xmlFree(ParsedText);
  if (!Same) fsvg::fuzz::Fail("text or family does not read back as written", Stream.View());
  return 0;
}
