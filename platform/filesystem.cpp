#include "platform/filesystem.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#endif

#include <memory>

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

#ifdef _WIN32

bool pathExists(const std::string& path) { return _access(path.c_str(), 0) == 0; }

bool isDirectory(const std::string& path) {
  struct _stat64 info;
  return _stat64(path.c_str(), &info) == 0 && (info.st_mode & _S_IFDIR) != 0;
}

std::vector<DirectoryEntry> searchDirectory(const std::string& folder, std::string_view pattern) {
  constexpr unsigned kSubDirectory = 0x10;   // _A_SUBDIR
  constexpr unsigned kReparsePoint = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT: a link
  std::vector<DirectoryEntry> entries;
  const std::string query = joinPath(folder, std::string(pattern));
  struct _finddata64i32_t data;
  const intptr_t handle = _findfirst64i32(query.c_str(), &data);
  if (handle == -1) return entries;
  do {
    // _findfirst also matches through 8.3 short names, so "*.obj" finds "c.objx" and
    // "c.obj_old" too: each name is checked again by the rule of every platform.
    if (!matchWildcard(pattern, data.name)) continue;
    const bool directory = (data.attrib & kSubDirectory) != 0;
    if (directory && (data.attrib & kReparsePoint) != 0) continue;  // link to a folder
    entries.push_back({data.name, directory});
  } while (_findnext64i32(handle, &data) == 0);
  _findclose(handle);
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

enum class EntryKind { file, directory, linkToDirectory };

// The kind of one entry, from d_type when the file system reports it, else from lstat; a
// symbolic link is looked through once to see whether it leads to a folder.
EntryKind kindOf(DIR* dir, const dirent& entry) {
  unsigned char type = entry.d_type;
  const int dirFd = dirfd(dir);
  struct stat info;
  if (type == DT_UNKNOWN) {
    if (fstatat(dirFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::file;
    if (S_ISDIR(info.st_mode)) return EntryKind::directory;
    if (!S_ISLNK(info.st_mode)) return EntryKind::file;
    type = DT_LNK;
  }
  if (type == DT_DIR) return EntryKind::directory;
  if (type != DT_LNK) return EntryKind::file;
  // A dangling link has no target to open: it is listed as a file, whose opening fails later
  // with a clear message.
  if (fstatat(dirFd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode)) {
    return EntryKind::linkToDirectory;
  }
  return EntryKind::file;
}

}  // namespace

std::vector<DirectoryEntry> searchDirectory(const std::string& folder, std::string_view pattern) {
  std::vector<DirectoryEntry> entries;
  const std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) return entries;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (!matchWildcard(pattern, name)) continue;
    const EntryKind kind = kindOf(dir.get(), *entry);
    if (kind == EntryKind::linkToDirectory) continue;
    entries.push_back({std::string(name), kind == EntryKind::directory});
  }
  return entries;
}

#endif
