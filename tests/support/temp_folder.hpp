// A fresh temporary folder made current for the life of a test, removed afterwards.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vc::testing {

class TempFolder {
 public:
  TempFolder() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vc-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? std::filesystem::path(pattern)
                                      : std::filesystem::temp_directory_path();
    std::filesystem::current_path(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  static void write(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  static std::string read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

}  // namespace vc::testing
