#include "platform/read_text_file.h"

#include <sys/stat.h>

#include <cstdio>
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

std::string readTextFile(const std::string& path) {
  const std::unique_ptr<std::FILE, FileCloser> file(openForReading(path));
  if (!file) return {};
  // The size is only a hint for the allocation: reading runs to the end of the data, so a
  // file that grows or shrinks meanwhile, or a pipe, is still read correctly.
  const std::uint64_t size = sizeOf(file.get());
  std::string text;
  // One chunk more than the size, so that the final short read needs no reallocation.
  if (size < text.max_size() - kChunkBytes) {
    text.reserve(static_cast<std::size_t>(size) + kChunkBytes);
  }
  std::size_t used = 0;
  for (;;) {
    text.resize(used + kChunkBytes);
    const std::size_t got = std::fread(text.data() + used, 1, kChunkBytes, file.get());
    used += got;
    if (got < kChunkBytes) break;
  }
  // A folder opens on POSIX but its reads fail (EISDIR): that, like any read error, gives "".
  if (std::ferror(file.get())) return {};
  text.resize(used);
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}
