// The corpus program of one of Qt's example programs: its widget (FSVG_CORPUS_WIDGET,
// declared in FSVG_CORPUS_HEADER) as the program shows it, named FSVG_CORPUS_NAME, with
// text when FSVG_CORPUS_TEXT.
#include FSVG_CORPUS_HEADER
#include "corpus.h"

int main(int argc, char** argv) {
  return fsvg::corpus::Run(argc, argv, FSVG_CORPUS_NAME, [] {
    return std::vector<fsvg::corpus::TScene>{
        {"window", FSVG_CORPUS_TEXT, [] { return std::unique_ptr<QWidget>(new FSVG_CORPUS_WIDGET); }, nullptr}};
  });
}
