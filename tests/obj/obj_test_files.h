#pragma once

// A temporary folder for the OBJ tests, removed with its contents at the end of the test.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

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
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "quorvex-obj-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return root_; }
  std::string operator/(const std::string& name) const { return root_ + "/" + name; }
  // Writes `bytes` to `name` and returns its path.
  std::string write(const std::string& name, const std::string& bytes) const {
    std::ofstream(root_ + "/" + name, std::ios::binary) << bytes;
    return root_ + "/" + name;
  }
  std::string read(const std::string& name) const { return readBytes(root_ + "/" + name); }
  bool exists(const std::string& name) const { return fs::exists(root_ + "/" + name); }
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
