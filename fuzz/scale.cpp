// The scale run: records COUNT elements (the steps of the elements scene of tests/scenes.txt
// in turn, each one element line) into a file and prints the peak resident memory every million
// elements, to show that the recording holds nothing per element. scripts/scale.sh runs
// it, then checks the file with a streaming XML parser.
//
// Usage: fsvg_scale FILE [COUNT]   (COUNT defaults to 10,000,000)
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "support/testcanvas.h"

using namespace fsvg;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [COUNT]\n", argv[0]);
    return 2;
  }
  const std::uint64_t Count = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 10'000'000;
  try {
    TNullCanvas Host(1920, 1080);
    TFileStream File(argv[1], TFileBuffering::Full);
    {
      test::TOpenCanvas Canvas(&File, &Host);
      const std::vector<test::TStep> Steps = test::Load(FSVG_TEST_SCENES, "elements").Steps;
      test::TScript Script(Canvas);
      for (std::uint64_t Index = 0; Index < Count; ++Index) {
        Canvas.SetOffset({static_cast<float>(Index % 100000) * 0.37f, 0});  // numbers of every length
        Script.Draw(Steps[Index % Steps.size()]);
        rusage Usage{};  // ru_maxrss: the peak resident memory in KiB
        if (((Index + 1) % 1'000'000 == 0 || Index + 1 == Count) && ::getrusage(RUSAGE_SELF, &Usage) == 0)
          std::printf("%12llu elements, peak memory %ld KiB\n", static_cast<unsigned long long>(Index + 1),
                      Usage.ru_maxrss);
      }
    }
    File.Close();
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "fsvg_scale: %s\n", Error.what());
    return 1;
  }
}
