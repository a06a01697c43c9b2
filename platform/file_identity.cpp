#include "platform/file_identity.h"

#include <sys/stat.h>

#include <utility>

#ifdef _WIN32
#include <windows.h>

#include "platform/windows_path.h"

std::optional<FileIdentity> fileIdentity(const std::string& path) {
  if (path.empty() || GetFileAttributesW(systemPath(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
    return std::nullopt;
  }
  FileIdentity identity;
  identity.fullPath = fullPathOf(path);
  if (identity.fullPath.empty()) return std::nullopt;
  // The system's own case mapping (NTFS compares names without case, beyond ASCII too).
  CharLowerBuffW(identity.fullPath.data(), static_cast<DWORD>(identity.fullPath.size()));
  return identity;
}

std::optional<FileIdentity> folderIdentity(const std::string& path) {
  const HANDLE handle = CreateFileW(systemPath(path.empty() ? "." : path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  // The path the system opened, every junction and link on the way resolved.
  std::wstring resolved(32768, L'\0');
  const DWORD length = GetFinalPathNameByHandleW(handle, resolved.data(),
                                                 static_cast<DWORD>(resolved.size()), 0);
  CloseHandle(handle);
  if (length == 0 || length >= resolved.size()) return std::nullopt;
  resolved.resize(length);
  CharLowerBuffW(resolved.data(), static_cast<DWORD>(resolved.size()));
  FileIdentity identity;
  identity.fullPath = std::move(resolved);
  return identity;
}

std::optional<std::uint64_t> regularFileSize(const std::string& path) {
  if (path.empty()) return std::nullopt;
  // No access asked for: this only looks, whatever sharing another program demands.
  const HANDLE handle = CreateFileW(systemPath(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool regular = GetFileType(handle) == FILE_TYPE_DISK &&
                       GetFileInformationByHandle(handle, &info) != 0 &&
                       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  CloseHandle(handle);
  if (!regular) return std::nullopt;
  return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

bool isRegularFile(const std::string& path) { return regularFileSize(path).has_value(); }

#else

std::optional<FileIdentity> fileIdentity(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  FileIdentity identity;
  identity.device = static_cast<unsigned long long>(info.st_dev);
  identity.inode = static_cast<unsigned long long>(info.st_ino);
  return identity;
}

std::optional<FileIdentity> folderIdentity(const std::string& path) {
  return fileIdentity(path.empty() ? "." : path);
}

std::optional<std::uint64_t> regularFileSize(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

bool isRegularFile(const std::string& path) { return regularFileSize(path).has_value(); }

#endif
