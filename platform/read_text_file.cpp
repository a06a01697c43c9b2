#include "platform/read_text_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/open_for_reading.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Read size of one fread call: big enough that the call count does not matter.
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

// The size of the open file, or 0 when the system gives none (a pipe has none either).
std::uint64_t sizeOf(std::FILE* file) {
#ifdef _WIN32
  struct _stat64 info;
  if (_fstat64(_fileno(file), &info) != 0) return 0;
#else
  struct stat info;
  if (fstat(fileno(file), &info) != 0) return 0;
#endif
  return info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

}  // namespace

bool readWholeFile(const std::string& path, std::string& bytes, std::string* error) {
  bytes.clear();
  const std::unique_ptr<std::FILE, FileCloser> file(openForReading(path));
  if (!file) {
    if (error != nullptr) *error = "cannot open '" + path + "': " + std::strerror(errno);
    return false;
  }
  // The size is only a hint for the allocation: reading runs to the end of the data, so a
  // file that grows or shrinks meanwhile, or a pipe, is still read correctly.
  const std::uint64_t size = sizeOf(file.get());
  // One chunk more than the size, so that the final short read needs no reallocation.
  if (size < bytes.max_size() - kChunkBytes) {
    bytes.reserve(static_cast<std::size_t>(size) + kChunkBytes);
  }
  std::size_t used = 0;
  for (;;) {
    bytes.resize(used + kChunkBytes);
    const std::size_t got = std::fread(bytes.data() + used, 1, kChunkBytes, file.get());
    used += got;
    if (got < kChunkBytes) break;
  }
  // A folder opens on POSIX but its reads fail (EISDIR), like any read error.
  if (std::ferror(file.get())) {
    if (error != nullptr) *error = "cannot read '" + path + "': " + std::strerror(errno);
    bytes.clear();
    return false;
  }
  bytes.resize(used);
  return true;
}

std::string readTextFile(const std::string& path) {
  std::string text;
  if (!readWholeFile(path, text)) return {};
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}
