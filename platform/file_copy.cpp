#include "platform/file_copy.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/filesystem.h"
#include "platform/open_for_reading.h"
#include "platform/path_parts.h"

#ifdef _WIN32
#include "platform/windows_path.h"
#endif

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

// The path as the std::filesystem calls take it: on Windows the wide form the other file
// calls use (long paths through "\\?\"), so that a narrow name means the same file everywhere.
std::filesystem::path systemFsPath(const std::string& path) {
#ifdef _WIN32
  return std::filesystem::path(systemPath(path));
#else
  return std::filesystem::path(path);
#endif
}

std::uintmax_t sizeOrMax(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(systemFsPath(path), error);
  return error ? static_cast<std::uintmax_t>(-1) : size;
}

bool copyBytes(const std::string& source, const std::string& target, std::string* error) {
  const File in(openForReading(source));
  if (!in) {
    *error = "cannot open '" + source + "': " + std::strerror(errno);
    return false;
  }
  AtomicFileWriter writer;
  if (!writer.open(target)) {
    *error = writer.error();
    return false;
  }
  std::vector<char> chunk(kChunkBytes);
  for (;;) {
    const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), in.get());
    if (got != 0 && !writer.write(std::string_view(chunk.data(), got))) break;
    if (got < chunk.size()) {
      if (std::ferror(in.get()) != 0) {
        *error = "cannot read '" + source + "': " + std::strerror(errno);
        writer.discard();
        return false;
      }
      if (writer.commit()) return true;
      break;
    }
  }
  *error = writer.error();
  writer.discard();
  return false;
}

}  // namespace

bool sameBytes(const std::string& a, const std::string& b) {
  const std::uintmax_t size = sizeOrMax(a);
  if (size == static_cast<std::uintmax_t>(-1) || size != sizeOrMax(b)) return false;
  const File fa(openForReading(a));
  const File fb(openForReading(b));
  if (!fa || !fb) return false;
  std::vector<char> ca(kChunkBytes), cb(kChunkBytes);
  for (;;) {
    const std::size_t got = std::fread(ca.data(), 1, ca.size(), fa.get());
    if (std::fread(cb.data(), 1, got, fb.get()) != got) return false;
    if (std::memcmp(ca.data(), cb.data(), got) != 0) return false;
    if (got < ca.size()) {
      // a has ended: so must b (the sizes may have changed since they were compared).
      return std::ferror(fa.get()) == 0 && std::fgetc(fb.get()) == EOF &&
             std::ferror(fb.get()) == 0;
    }
  }
}

bool copyFile(const std::string& source, const std::string& target, CopyWay way,
              std::string* error) {
  if (way == CopyWay::link) {
    std::error_code linkError;
    std::filesystem::create_hard_link(systemFsPath(source), systemFsPath(target), linkError);
    if (!linkError) return true;  // else (another file system, none allowed): a copy
  }
  return copyBytes(source, target, error);
}

bool createFolders(const std::string& path, std::string* error,
                   std::vector<std::string>* created) {
  std::vector<std::string> missing;  // deepest first
  for (std::string folder = path; !folder.empty() && !pathExists(folder);) {
    missing.push_back(folder);
    const std::string above = folderOfFile(folder);
    if (above == folder) break;
    folder = above;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    std::error_code failure;
    std::filesystem::create_directory(systemFsPath(*it), failure);
    if (failure) {
      *error = "cannot create the folder '" + *it + "': " + failure.message();
      return false;
    }
    if (created != nullptr) created->push_back(*it);
  }
  return true;
}

void removeFolderIfEmpty(const std::string& path) {
  std::error_code ignored;  // a folder that holds anything stays: rmdir refuses it
  if (std::filesystem::is_directory(systemFsPath(path), ignored) &&
      std::filesystem::is_empty(systemFsPath(path), ignored)) {
    std::filesystem::remove(systemFsPath(path), ignored);
  }
}
