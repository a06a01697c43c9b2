#include "platform/path_parts.h"

#include "platform/filesystem.h"

std::size_t fileNameStart(const std::string& path) {
  std::size_t slash = path.rfind(kPathSeparator);
#ifdef _WIN32
  const std::size_t forward = path.rfind('/');
  if (forward != std::string::npos && (slash == std::string::npos || forward > slash)) {
    slash = forward;
  }
#endif
  return slash == std::string::npos ? 0 : slash + 1;
}

std::string folderOfFile(const std::string& path) {
  const std::size_t start = fileNameStart(path);
  if (start == 0) return ".";
  return start == 1 ? path.substr(0, 1) : path.substr(0, start - 1);
}

bool isRootedPath(const std::string& path) {
  if (path.empty()) return false;
#ifdef _WIN32
  if (path[0] == '\\' || path[0] == '/') return true;
  const char drive = static_cast<char>(path[0] | 0x20);
  return path.size() >= 2 && path[1] == ':' && drive >= 'a' && drive <= 'z';
#else
  return path[0] == '/';
#endif
}
