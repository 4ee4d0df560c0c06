// Checks the fuzz targets share: a failure that libFuzzer reports as a crash, with the
// text that broke the check; a strict XML parse (libxml2 refuses malformed UTF-8 too);
// and the canonical form of the numbers the canvas writes.
#pragma once

#include <libxml/parser.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "numberformat.h"

namespace fsvg::fuzz {

/// Prints What and the offending text to stderr and aborts.
[[noreturn]] inline void Fail(std::string_view What, std::string_view Text) {
  std::fprintf(stderr, "FUZZ CHECK FAILED: %.*s\n--- text ---\n%.*s\n---\n", static_cast<int>(What.size()), What.data(),
               static_cast<int>(std::min<std::size_t>(Text.size(), 8192)), Text.data());
  std::abort();
}

struct TXmlDocFree {
  void operator()(xmlDoc* Doc) const { xmlFreeDoc(Doc); }
};
using TXmlDocPtr = std::unique_ptr<xmlDoc, TXmlDocFree>;

/// Document parsed strictly (no recovery, no network); fails unless it is well-formed
/// XML in valid UTF-8.
inline TXmlDocPtr ParseOrFail(std::string_view Document) {
  TXmlDocPtr Doc(xmlReadMemory(Document.data(), static_cast<int>(Document.size()), "fuzz.svg", nullptr,
                               XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOWARNING | XML_PARSE_NOERROR));
  if (Doc == nullptr) Fail("the document is not well-formed", Document);
  return Doc;
}

/// True for a number in the form the canvas writes: read back and written again, it is
/// the same text ("NaN" and the infinities included; never "-0").
inline bool IsRealNumber(std::string_view Text) {
  const std::string Copy(Text);
  char* End = nullptr;
  const double Value = std::strtod(Copy.c_str(), &End);
  char Out[detail::MaxRealLength];
  return End == Copy.c_str() + Copy.size() && !Copy.empty() && Copy != "-0" &&
         std::string_view(Out, detail::FormatReal(Value, 4, Out)) == Text;
}

}  // namespace fsvg::fuzz
