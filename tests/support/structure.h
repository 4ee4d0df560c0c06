// The structure every recorded document keeps, checked line by line: for the tests, and
// for the Qt corpus, whose documents come from programs nobody here wrote.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fsvg::test {

/// Empty when every url(#id) in Document names an id defined on an earlier line of its
/// document, no id is defined twice, no group nests 256 deep (readers refuse it), and
/// every group is closed before </svg>; else what is wrong. Documents may follow each other.
inline std::string ScanDocument(const std::string& Document) {
  std::vector<std::string> Ids;
  long Depth = 0;
  const auto Defined = [&](const std::string& Id) { return std::find(Ids.begin(), Ids.end(), Id) != Ids.end(); };
  for (std::size_t Start = 0, End; Start < Document.size(); Start = End + 1) {
    End = std::min(Document.find('\n', Start), Document.size());
    const std::string Line = Document.substr(Start, End - Start);
    for (const auto& [Mark, Close] : {std::pair{std::string_view("url(#"), ')'}, {"href=\"#", '"'}})
      for (std::size_t At = Line.find(Mark); At != std::string::npos; At = Line.find(Mark, At + 1)) {
        const std::size_t Id = At + Mark.size();
        if (!Defined(Line.substr(Id, Line.find(Close, Id) - Id))) return "forward reference: " + Line;
      }
    const bool Defines =
        Line.starts_with("<clipPath id=\"") || Line.starts_with("<mask id=\"") || Line.starts_with("<defs><");
    const std::size_t Head = Defines ? Line.find(" id=\"") + 5 : 0;
    if (Head > 4) {
      const std::string Id = Line.substr(Head, Line.find('"', Head) - Head);
      if (Defined(Id)) return "defined twice: " + Line;
      Ids.push_back(Id);
    }
    Depth += Line.starts_with("<g ") && !Line.ends_with("</g>") ? 1 : Line == "</g>" ? -1 : 0;
    if (Depth > 255) return "groups nested 256 deep";
    if (Depth < 0) return "a group closed that is not open";
    if (Line.find("</svg>") == std::string::npos) continue;
    if (Depth != 0) return "a group left open at </svg>";
    Ids.clear();
  }
  return Depth == 0 ? "" : "a group left open";
}

}  // namespace fsvg::test
