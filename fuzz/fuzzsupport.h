// Checks the fuzz targets share: strict UTF-8, well-formed XML (parsed with libxml2), the
// grammar of the numbers and colours the canvas writes, and a failure that libFuzzer
// reports as a crash together with the text that broke the check.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>

namespace fsvg::fuzz {

/// Prints What and the offending text (escaped) to stderr and aborts.
[[noreturn]] void Fail(std::string_view What, std::string_view Text);

/// True when Text is UTF-8 without overlong forms, surrogates or code points past U+10FFFF.
bool IsValidUtf8(std::string_view Text);

struct TXmlDocFree {
  void operator()(xmlDoc* Doc) const { xmlFreeDoc(Doc); }
};
using TXmlDocPtr = std::unique_ptr<xmlDoc, TXmlDocFree>;

/// Parses Document strictly (no recovery, no network, no entity substitution from
/// outside); null when it is not well-formed, with libxml2's reason in Error.
TXmlDocPtr ParseXml(std::string_view Document, std::string& Error);

/// Fails unless Document is valid UTF-8 and well-formed XML; returns the parsed tree.
TXmlDocPtr ParseDocumentOrFail(std::string_view Document);

/// The value of attribute Name of Node, or nullopt-like false when absent.
bool GetAttribute(xmlNode* Node, const char* Name, std::string& Value);

/// The text content of Node (its character data, entities resolved).
std::string GetContent(xmlNode* Node);

/// True for the canvas's real-number forms: "-?digits(.digits)?(Edigits)?", "NaN",
/// "Infinity", "-Infinity"; no "-0", no trailing zeros after a point.
bool IsRealNumber(std::string_view Text);

/// True for "#RRGGBB" with upper-case hexadecimal digits.
bool IsColour(std::string_view Text);

}  // namespace fsvg::fuzz
