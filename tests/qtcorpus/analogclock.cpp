// The corpus of Qt's analog clock example: its widget, as the program shows it.
#include "analogclock.h"
#include "corpus.h"

int main(int argc, char** argv) {
  return fsvg::corpus::Run(argc, argv, "analogclock", [] {
    return std::vector<fsvg::corpus::TScene>{{"clock", false,
                                              [] {
                                                auto Clock = std::make_unique<AnalogClock>();
                                                Clock->resize(200, 200);
                                                return Clock;
                                              },
                                              nullptr}};
  });
}
