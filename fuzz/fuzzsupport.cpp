// Checks shared by the fuzz targets; see fuzzsupport.h.
#include "fuzzsupport.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <cstdio>
#include <cstdlib>

namespace fsvg::fuzz {

namespace {

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

// Collects libxml2's error text for the parse in progress instead of printing it.
void CollectError(void* Context, const char* Format, ...) {
  (void)Format;
  auto* Error = static_cast<std::string*>(Context);
  if (Error->empty()) *Error = "libxml2 reported an error";
}

void CollectStructuredError(void* Context, xmlErrorPtr Info) {
  auto* Error = static_cast<std::string*>(Context);
  if (Info != nullptr && Info->message != nullptr && Error->size() < 1000) {
    *Error += "line " + std::to_string(Info->line) + ": " + Info->message;
  }
}

}  // namespace

void Fail(std::string_view What, std::string_view Text) {
  std::fprintf(stderr, "FUZZ CHECK FAILED: %.*s\n", static_cast<int>(What.size()), What.data());
  std::fputs("--- text (escaped) ---\n", stderr);
  for (unsigned char C : Text.substr(0, 8192)) {
    if (C == '\n' || (C >= 0x20 && C < 0x7F && C != '\\'))
      std::fputc(C, stderr);
    else
      std::fprintf(stderr, "\\x%02X", C);
  }
  std::fputs("\n---\n", stderr);
  std::abort();
}

bool IsValidUtf8(std::string_view Text) {
  std::size_t Index = 0;
  while (Index < Text.size()) {
    const auto Lead = static_cast<unsigned char>(Text[Index]);
    if (Lead < 0x80) {
      ++Index;
      continue;
    }
    std::size_t Length;
    char32_t CodePoint;
    char32_t Minimum;
    if ((Lead & 0xE0) == 0xC0) {
      Length = 2, CodePoint = Lead & 0x1F, Minimum = 0x80;
    } else if ((Lead & 0xF0) == 0xE0) {
      Length = 3, CodePoint = Lead & 0x0F, Minimum = 0x800;
    } else if ((Lead & 0xF8) == 0xF0) {
      Length = 4, CodePoint = Lead & 0x07, Minimum = 0x10000;
    } else {
      return false;
    }
    if (Text.size() - Index < Length) return false;
    for (std::size_t Offset = 1; Offset < Length; ++Offset) {
      const auto Next = static_cast<unsigned char>(Text[Index + Offset]);
      if ((Next & 0xC0) != 0x80) return false;
      CodePoint = (CodePoint << 6) | (Next & 0x3F);
    }
    if (CodePoint < Minimum || CodePoint > 0x10FFFF || (CodePoint >= 0xD800 && CodePoint <= 0xDFFF)) return false;
    Index += Length;
  }
  return true;
}

TXmlDocPtr ParseXml(std::string_view Document, std::string& Error) {
  Error.clear();
  xmlSetGenericErrorFunc(&Error, CollectError);
  xmlSetStructuredErrorFunc(&Error, CollectStructuredError);
  // XML_PARSE_HUGE: a long polygon or text makes one large attribute or text node.
  TXmlDocPtr Doc(xmlReadMemory(Document.data(), static_cast<int>(Document.size()), "fuzz.svg", nullptr,
                               XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOWARNING));
  xmlSetGenericErrorFunc(nullptr, nullptr);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  if (Doc == nullptr && Error.empty()) Error = "not well-formed";
  return Doc;
}

TXmlDocPtr ParseDocumentOrFail(std::string_view Document) {
  if (!IsValidUtf8(Document)) Fail("the document is not valid UTF-8", Document);
  std::string Error;
  TXmlDocPtr Doc = ParseXml(Document, Error);
  if (Doc == nullptr) Fail("not well-formed: " + Error, Document);
  return Doc;
}

bool GetAttribute(xmlNode* Node, const char* Name, std::string& Value) {
  xmlChar* Raw = xmlGetProp(Node, reinterpret_cast<const xmlChar*>(Name));
  if (Raw == nullptr) return false;
  Value = reinterpret_cast<const char*>(Raw);
  xmlFree(Raw);
  return true;
}

std::string GetContent(xmlNode* Node) {
  xmlChar* Raw = xmlNodeGetContent(Node);
  std::string Content = Raw != nullptr ? reinterpret_cast<const char*>(Raw) : "";
  xmlFree(Raw);
  return Content;
}

bool IsRealNumber(std::string_view Text) {
  if (Text == "NaN" || Text == "Infinity" || Text == "-Infinity") return true;
  std::size_t Index = 0;
  if (Index < Text.size() && Text[Index] == '-') ++Index;
  const std::size_t IntegerStart = Index;
  while (Index < Text.size() && IsDigit(Text[Index])) ++Index;
  const std::size_t IntegerEnd = Index;
  if (IntegerEnd == IntegerStart) return false;
  // No leading zeros but a lone "0".
  if (Text[IntegerStart] == '0' && IntegerEnd - IntegerStart > 1) return false;
  if (Index < Text.size() && Text[Index] == '.') {
    const std::size_t FractionStart = ++Index;
    while (Index < Text.size() && IsDigit(Text[Index])) ++Index;
    if (Index == FractionStart || Text[Index - 1] == '0') return false;
  }
  bool Scientific = false;
  if (Index < Text.size() && Text[Index] == 'E') {
    Scientific = true;
    const std::size_t ExponentStart = ++Index;
    while (Index < Text.size() && IsDigit(Text[Index])) ++Index;
    if (Index == ExponentStart || Text[ExponentStart] == '0') return false;
  }
  if (Index != Text.size()) return false;
  // Zero has no sign; a scientific mantissa has one digit before its point.
  if (Text == "-0") return false;
  if (Scientific && IntegerEnd - IntegerStart != 1) return false;
  return true;
}

bool IsColour(std::string_view Text) {
  if (Text.size() != 7 || Text[0] != '#') return false;
  for (char C : Text.substr(1))
    if (!IsDigit(C) && !(C >= 'A' && C <= 'F')) return false;
  return true;
}

}  // namespace fsvg::fuzz
