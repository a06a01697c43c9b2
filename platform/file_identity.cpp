#include "platform/file_identity.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <stdlib.h>

#include <cctype>

std::optional<FileIdentity> fileIdentity(const std::string& path) {
  struct _stat64 info;
  if (_stat64(path.c_str(), &info) != 0) return std::nullopt;
  char full[_MAX_PATH];
  if (_fullpath(full, path.c_str(), sizeof full) == nullptr) return std::nullopt;
  FileIdentity identity;
  identity.fullPath = full;
  for (char& c : identity.fullPath) {
    c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return identity;
}

bool isRegularFile(const std::string& path) {
  struct _stat64 info;
  return _stat64(path.c_str(), &info) == 0 && (info.st_mode & _S_IFREG) != 0;
}

#else

std::optional<FileIdentity> fileIdentity(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  FileIdentity identity;
  identity.device = static_cast<unsigned long long>(info.st_dev);
  identity.inode = static_cast<unsigned long long>(info.st_ino);
  return identity;
}

bool isRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

#endif
