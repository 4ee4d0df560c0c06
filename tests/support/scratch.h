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

class TScratch {
 public:
  TScratch() {
    static int Counter = 0;
    FPath = std::filesystem::temp_directory_path() /
            ("fsvg-test-" + std::to_string(::getpid()) + "-" + std::to_string(++Counter));
    std::filesystem::create_directories(FPath);
  }
  ~TScratch() {
    std::error_code Ignored;
    std::filesystem::remove_all(FPath, Ignored);
  }
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;
  const std::filesystem::path& Path() const { return FPath; }

 private:
  std::filesystem::path FPath;
};

/// The whole content of the file at Path ("" when it cannot be read).
inline std::string ReadFile(const std::filesystem::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), {}};
}

}  // namespace fsvg::test
