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

/// A fresh directory, removed with everything in it when the test is done.
struct TScratch {
  inline static int Counter = 0;
  const std::filesystem::path Path = std::filesystem::temp_directory_path() /
                                     ("fsvg-test-" + std::to_string(::getpid()) + "-" + std::to_string(++Counter));
  TScratch() { std::filesystem::create_directories(Path); }
  ~TScratch() { std::filesystem::remove_all(Path, Ignored); }
  std::error_code Ignored;
};

/// The whole content of the file at Path ("" when it cannot be read).
inline std::string ReadFile(const std::filesystem::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), {}};
}

}  // namespace fsvg::test
