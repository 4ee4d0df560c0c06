// A fresh directory under the system's temporary directory for one test, removed
// afterwards, and a reader for the files the test writes there.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace fsvg::test {

namespace fs = std::filesystem;

/// A fresh directory, removed with everything in it when the test is done.
struct TScratch {
  inline static int Counter = 0;
  const fs::path Path =
      fs::temp_directory_path() / ("fsvg-test-" + std::to_string(::getpid()) + "-" + std::to_string(++Counter));
  TScratch() { fs::create_directories(Path); }
  ~TScratch() { fs::remove_all(Path, Ignored); }
  std::error_code Ignored;
};

/// The whole content of the file at Path ("" when it cannot be read).
inline std::string ReadFile(const fs::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), {}};
}

}  // namespace fsvg::test
