// The corpus of Qt's painterpaths example: its window, as the program shows it.
#include "corpus.h"
#include "window.h"

int main(int argc, char** argv) {
  return fsvg::corpus::Run(argc, argv, "painterpaths", [] {
    return std::vector<fsvg::corpus::TScene>{{"window", true, [] { return std::make_unique<Window>(); }, nullptr}};
  });
}
