// Checks the fuzz targets share: a failure that libFuzzer reports as a crash, with the
// text that broke the check, and a strict XML parse (libxml2 refuses malformed UTF-8 too).
#pragma once

#include <libxml/parser.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace fsvg::fuzz {

/// Prints What and the offending text to stderr and aborts.
[[noreturn]] inline void Fail(std::string_view What, std::string_view Text) {
  std::fprintf(stderr, "FUZZ CHECK FAILED: %.*s\n--- text ---\n%.*s\n---\n", static_cast<int>(What.size()), What.data(),
               static_cast<int>(Text.substr(0, 8192).size()), Text.data());
  std::abort();
}

/// An xmlDoc that frees itself.
using TXmlDocPtr = std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)>;

/// Document parsed strictly (no recovery, no network); fails unless it is well-formed
/// XML in valid UTF-8.
inline TXmlDocPtr ParseOrFail(std::string_view Document) {
  TXmlDocPtr Doc(xmlReadMemory(Document.data(), static_cast<int>(Document.size()), "fuzz.svg", nullptr,
                               XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOWARNING | XML_PARSE_NOERROR),
                 &xmlFreeDoc);
  if (Doc == nullptr) Fail("the document is not well-formed", Document);
  return Doc;
}

}  // namespace fsvg::fuzz
