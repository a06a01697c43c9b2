#pragma once

// A fresh temporary folder for one test, removed with everything in it afterwards (read-only
// sub-folders are made writable first so that the removal cannot fail on them).

#include <dirent.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "portable.h"

namespace testing_support {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder() : root_(portable::makeTempFolder("quorvex-test")) {}
  ~TempFolder() {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(root_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
      }
    }
    fs::remove_all(root_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder's path; `relative` (written with '/') appended when given, every separator
  // the platform's own, as the path functions under test build paths.
  std::string path(const std::string& relative = "") const {
    return relative.empty() ? root_.string()
                            : (root_ / fs::path(relative).make_preferred()).string();
  }
  void write(const std::string& relative, const std::string& bytes) const {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative, std::ios::binary) << bytes;
  }
  void makeFolder(const std::string& relative) const {
    fs::create_directories(root_ / relative);
  }

 private:
  fs::path root_;
};

inline std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The names of `folder` in the order readdir delivers them, "." and ".." left out: the order
// a directory search must keep (it must not sort).
inline std::vector<std::string> readdirOrder(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

}  // namespace testing_support
