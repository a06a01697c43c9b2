#include "platform/path_kind.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>

#include "platform/file_identity.h"
#include "platform/windows_path.h"
#else
#include <unistd.h>

#include <climits>
#include <vector>
#endif

#ifdef _WIN32

std::string describePath(const std::string& path) {
  const DWORD attributes =
      path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(systemPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return "does not exist";
  const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return link ? "is a link to a folder" : "is a folder";
  }
  return isRegularFile(path) ? "is a regular file" : "is a device or another kind of file";
}

#else

namespace {

const char* kindOf(mode_t mode) {
  if (S_ISREG(mode)) return "regular file";
  if (S_ISDIR(mode)) return "folder";
  if (S_ISFIFO(mode)) return "FIFO";
  if (S_ISCHR(mode)) return "character device";
  if (S_ISBLK(mode)) return "block device";
  if (S_ISSOCK(mode)) return "socket";
  return "file of an unknown kind";
}

// Where the link `path` leads, as it is written, or "" when it cannot be read.
std::string linkText(const std::string& path) {
  std::vector<char> text(PATH_MAX);
  const ssize_t length = readlink(path.c_str(), text.data(), text.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= text.size()) return "";
  return std::string(text.data(), static_cast<std::size_t>(length));
}

}  // namespace

std::string describePath(const std::string& path) {
  struct stat own;
  if (lstat(path.c_str(), &own) != 0) return "does not exist";
  if (!S_ISLNK(own.st_mode)) return std::string("is a ") + kindOf(own.st_mode);
  struct stat target;
  if (stat(path.c_str(), &target) != 0) return "is a link that leads nowhere";
  const std::string to = linkText(path);
  return std::string("is a link to the ") + kindOf(target.st_mode) +
         (to.empty() ? std::string() : " '" + to + "'");
}

#endif
