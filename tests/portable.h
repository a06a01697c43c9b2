#pragma once

// What the tests need from the operating system, the same on POSIX and Windows: a fresh
// temporary folder, the system's wording of two failure reasons, and the skips for what
// Windows cannot do (each saying why).

#include <filesystem>
#include <random>
#include <string>

#ifdef _WIN32
#include <cstdio>
#else
#include <stdlib.h>
#include <unistd.h>
#endif

namespace portable {

// A new, empty folder under the system's temporary folder, named `prefix` and a random tag.
// Aborts when none can be made (a test could not run without it).
inline std::filesystem::path makeTempFolder(const std::string& prefix) {
  const std::filesystem::path base = std::filesystem::temp_directory_path();
#ifdef _WIN32
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char tag[9];
    std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(random()));
    const std::filesystem::path folder = base / (prefix + "-" + tag);
    std::error_code error;
    if (std::filesystem::create_directory(folder, error)) return folder;
  }
  std::abort();
#else
  std::string pattern = (base / (prefix + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  return pattern;
#endif
}

// True when permission bits do not stop this process (root on POSIX).
inline bool ignoresPermissions() {
#ifdef _WIN32
  return false;
#else
  return geteuid() == 0;
#endif
}

// The reason the system gives for replacing a folder by a file, and for reading a folder as a
// file: Linux says EISDIR, Windows refuses access.
#ifdef _WIN32
inline const std::string kFolderAsFileReason = "Permission denied";
#else
inline const std::string kFolderAsFileReason = "Is a directory";
#endif

// The error of reading a folder as an OBJ file: it opens on POSIX but cannot be read; Windows
// refuses to open it.
#ifdef _WIN32
inline const std::string kFolderAsObjError = "cannot open: Permission denied";
#else
inline const std::string kFolderAsObjError = "cannot read: Is a directory";
#endif

}  // namespace portable

#ifdef _WIN32
// Symbolic links: Wine creates none, and Windows needs a privilege for them.
#define SKIP_WITHOUT_SYMLINKS() \
  GTEST_SKIP() << "no symbolic links on Windows (Wine creates none; Windows needs a privilege)"
// POSIX permission bits: Windows has only a read-only attribute, which neither hides a file
// from reading nor stops files being created in a folder.
#define SKIP_WITHOUT_PERMISSION_BITS() \
  GTEST_SKIP() << "Windows has no POSIX permission bits (only a read-only attribute)"
#else
#define SKIP_WITHOUT_SYMLINKS() static_cast<void>(0)
#define SKIP_WITHOUT_PERMISSION_BITS() static_cast<void>(0)
#endif
