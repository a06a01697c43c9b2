#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What makes two paths the same file: through any link, hard link or spelling of the path.
struct FileIdentity {
#ifdef _WIN32
  std::wstring fullPath;  // absolute, lower case (NTFS compares names without case)
#else
  unsigned long long device = 0;
  unsigned long long inode = 0;
#endif
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
  friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the file `path` leads to (links followed); none when nothing is there.
// On Windows, paths beyond MAX_PATH work (the "\\?\" form).
std::optional<FileIdentity> fileIdentity(const std::string& path);

// The identity of the folder `path` leads to, links and (Windows) junctions resolved, so that
// two paths to one folder compare equal however they reach it; none when it cannot be opened.
std::optional<FileIdentity> folderIdentity(const std::string& path);

// True when `path` leads to a regular file (links followed), which can be read more than once;
// false for a FIFO, a device, a folder or nothing.
[[nodiscard]] bool isRegularFile(const std::string& path);

// The size in bytes of the regular file `path` leads to (links followed); none for anything
// else (a FIFO, a device, a folder, nothing), whose size cannot be known before it is read.
[[nodiscard]] std::optional<std::uint64_t> regularFileSize(const std::string& path);
