#pragma once

// A temporary folder for the OBJ tests, removed with its contents at the end of the test.

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "platform/filesystem.h"
#include "portable.h"

namespace objtest {

namespace fs = std::filesystem;

inline std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class TempDir {
 public:
  TempDir() : root_(portable::makeTempFolder("quorvex-obj").string()) {}
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return root_; }
  // The path of `name` in the folder, with the platform's separator.
  std::string operator/(const std::string& name) const { return root_ + kPathSeparator + name; }
  // Writes `bytes` to `name` and returns its path.
  std::string write(const std::string& name, const std::string& bytes) const {
    std::ofstream(*this / name, std::ios::binary) << bytes;
    return *this / name;
  }
  std::string read(const std::string& name) const { return readBytes(*this / name); }
  bool exists(const std::string& name) const { return fs::exists(*this / name); }
  // Names of everything in the folder: shows a left-over temporary file.
  std::set<std::string> names() const {
    std::set<std::string> all;
    for (const auto& entry : fs::directory_iterator(root_)) {
      all.insert(entry.path().filename().string());
    }
    return all;
  }

 private:
  std::string root_;
};

}  // namespace objtest
