// The scenes of one of Qt's example programs: its widget (FSVG_CORPUS_WIDGET, declared in
// FSVG_CORPUS_HEADER) as the program shows it, with text when FSVG_CORPUS_TEXT, returned
// by FSVG_CORPUS_SCENES.
#include FSVG_CORPUS_HEADER
#include "corpus.h"

namespace fsvg::corpus {

std::vector<TScene> FSVG_CORPUS_SCENES() {
  return {{"window", FSVG_CORPUS_TEXT, [] { return std::unique_ptr<QWidget>(new FSVG_CORPUS_WIDGET); }, nullptr}};
}

}  // namespace fsvg::corpus
