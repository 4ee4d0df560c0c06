// A corpus program: the scenes FSVG_CORPUS_SCENES returns, under the name FSVG_CORPUS_NAME.
#include "corpus.h"

namespace fsvg::corpus {
std::vector<TScene> FSVG_CORPUS_SCENES();
}

int main(int argc, char** argv) {
  return fsvg::corpus::Run(argc, argv, FSVG_CORPUS_NAME, fsvg::corpus::FSVG_CORPUS_SCENES);
}
