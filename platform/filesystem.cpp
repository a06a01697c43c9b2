#include "platform/filesystem.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>

#include "platform/windows_error.h"
#include "platform/windows_path.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// '*' / '?' matching with one backtrack point (the last '*' seen): O(|pattern|·|name|) in
// the worst case, no recursion, so long names cannot exhaust the stack.
bool matchPlain(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::string_view::npos;  // position after the last '*'
  std::size_t starN = 0;                       // name position that '*' was last tried at
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = ++p;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP;  // let the last '*' swallow one more character
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool matchWildcard(std::string_view pattern, std::string_view name) {
  if (matchPlain(pattern, name)) return true;
  // Windows' legacy rule: "x.*" also matches "x" (no extension), hence "*.*" matches all.
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*") {
    return matchPlain(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

namespace {

bool endsWithSeparator(const std::string& folder) {
#ifdef _WIN32
  if (folder.back() == '/') return true;  // Windows takes '/' as a separator too
#endif
  return folder.back() == kPathSeparator;
}

}  // namespace

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || endsWithSeparator(folder)) return folder + name;
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path += folder;
  path += kPathSeparator;
  path += name;
  return path;
}

namespace {

std::vector<DirectoryEntry> searchFailed(FolderSearchError* error, std::string path,
                                         std::string reason) {
  if (error != nullptr) *error = {std::move(path), std::move(reason)};
  return {};
}

}  // namespace

#ifdef _WIN32

namespace {

// INVALID_FILE_ATTRIBUTES when nothing is there (or it cannot be reached).
DWORD attributesOf(const std::string& path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(systemPath(path).c_str());
}

}  // namespace

bool pathExists(const std::string& path) { return attributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool isDirectory(const std::string& path) {
  const DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<DirectoryEntry> searchDirectory(const std::string& folder, std::string_view pattern,
                                            FolderSearchError* error) {
  const std::string where = folder.empty() ? "." : folder;
  // Every name is listed and matched here: the system's own matching also goes by 8.3 short
  // names, so that "*.obj" would find "c.objx" and "c.obj_old" too.
  WIN32_FIND_DATAW data;
  const HANDLE handle = FindFirstFileW(systemPath(joinPath(folder, "*")).c_str(), &data);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    // Only a drive's root has no "." and ".." to list: an empty one.
    if (code == ERROR_FILE_NOT_FOUND) return {};
    return searchFailed(error, where, windowsErrorText(code));
  }
  std::vector<DirectoryEntry> entries;
  do {
    DirectoryEntry entry;
    entry.nameIsExact = narrowName(data.cFileName, entry.name);
    if (!matchWildcard(pattern, entry.name)) continue;
    entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A link to a folder (or a junction) is a reparse point with the folder bit.
    entry.isLink =
        entry.isDirectory && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entries.push_back(std::move(entry));
  } while (FindNextFileW(handle, &data) != 0);
  const DWORD code = GetLastError();
  FindClose(handle);
  if (code != ERROR_NO_MORE_FILES) return searchFailed(error, where, windowsErrorText(code));
  return entries;
}

#else

bool pathExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

bool isDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

enum class EntryKind { file, directory, linkToDirectory, unknown };

// The kind of one entry, from d_type when the file system reports it, else from lstat; a
// symbolic link is looked through once to see whether it leads to a folder. `unknown` (with
// the reason in errorNumber) when the system cannot say.
EntryKind kindOf(DIR* dir, const dirent& entry, int& errorNumber) {
  unsigned char type = entry.d_type;
  const int dirFd = dirfd(dir);
  struct stat info;
  if (type == DT_UNKNOWN) {
    if (fstatat(dirFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
      errorNumber = errno;
      return EntryKind::unknown;
    }
    if (S_ISDIR(info.st_mode)) return EntryKind::directory;
    if (!S_ISLNK(info.st_mode)) return EntryKind::file;
    type = DT_LNK;
  }
  if (type == DT_DIR) return EntryKind::directory;
  if (type != DT_LNK) return EntryKind::file;
  if (fstatat(dirFd, entry.d_name, &info, 0) == 0) {
    return S_ISDIR(info.st_mode) ? EntryKind::linkToDirectory : EntryKind::file;
  }
  // A link that leads nowhere (its target missing, or a loop of links) has no target to
  // open: it is listed as a file, whose opening fails later with a clear message. Any other
  // failure (a target in a folder this user may not search) leaves its kind unknown.
  if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP) return EntryKind::file;
  errorNumber = errno;
  return EntryKind::unknown;
}

}  // namespace

std::vector<DirectoryEntry> searchDirectory(const std::string& folder, std::string_view pattern,
                                            FolderSearchError* error) {
  const std::string where = folder.empty() ? "." : folder;
  const std::unique_ptr<DIR, DirCloser> dir(opendir(where.c_str()));
  if (!dir) return searchFailed(error, where, std::strerror(errno));
  std::vector<DirectoryEntry> entries;
  for (;;) {
    errno = 0;  // readdir tells the end from a failure by errno alone
    const dirent* entry = readdir(dir.get());
    if (entry == nullptr) {
      if (errno != 0) return searchFailed(error, where, std::strerror(errno));
      return entries;
    }
    const std::string_view name = entry->d_name;
    if (!matchWildcard(pattern, name)) continue;
    int errorNumber = 0;
    const EntryKind kind = kindOf(dir.get(), *entry, errorNumber);
    if (kind == EntryKind::unknown) {
      return searchFailed(error, joinPath(folder, std::string(name)), std::strerror(errorNumber));
    }
    entries.push_back({std::string(name), kind != EntryKind::file,
                       kind == EntryKind::linkToDirectory});
  }
}

#endif
