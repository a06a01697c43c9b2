#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "platform/filesystem.h"

namespace {

// Output is collected into blocks of this size before one write call.
constexpr std::size_t kBufferBytes = std::size_t{1} << 20;
// Pieces of at least this size are written directly: copying them would gain nothing.
constexpr std::size_t kDirectWriteBytes = kBufferBytes / 4;

// Attempts at a fresh temporary name before giving up; with 64 random bits a second attempt
// is already practically never needed.
constexpr int kMaxCreateAttempts = 100;

// Keeps the temporary name within the usual 255-byte name limit for long target names.
constexpr std::size_t kMaxNameInTemp = 200;

#ifdef _WIN32
int openExclusive(const char* path) {
  return _open(path, _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
}
long long writeSome(int fd, const char* data, std::size_t size) {
  const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
  return _write(fd, data, chunk);
}
int closeFile(int fd) { return _close(fd); }
int removeFile(const char* path) { return _unlink(path); }
// rename() refuses an existing target on Windows. MoveFileEx reports through GetLastError,
// not errno: the message then gives the generic access reason.
bool replaceFile(const char* from, const char* to) {
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0) return true;
  errno = EACCES;
  return false;
}
#else
// 0666 so that the process's umask decides the permissions, as for any newly created file.
int openExclusive(const char* path) {
  return ::open(path, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
}
long long writeSome(int fd, const char* data, std::size_t size) { return ::write(fd, data, size); }
int closeFile(int fd) { return ::close(fd); }
int removeFile(const char* path) { return ::unlink(path); }
bool replaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }
#endif

// Position just after the last separator of `path` (0 when there is none), so that
// path.substr(0, pos) is the folder prefix to put the temporary file's name after.
std::size_t nameStart(const std::string& path) {
  std::size_t slash = path.rfind(kPathSeparator);
#ifdef _WIN32
  const std::size_t forward = path.rfind('/');
  if (forward != std::string::npos && (slash == std::string::npos || forward > slash)) {
    slash = forward;
  }
#endif
  return slash == std::string::npos ? 0 : slash + 1;
}

// The folder named in error texts: "." for a bare name, "/" for a file in the root.
std::string folderForMessage(const std::string& path, std::size_t start) {
  if (start == 0) return ".";
  return start == 1 ? path.substr(0, 1) : path.substr(0, start - 1);
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

AtomicFileWriter::~AtomicFileWriter() { discard(); }

bool AtomicFileWriter::open(const std::string& targetPath) {
  discard();
  target_ = targetPath;
  error_.clear();
  failed_ = false;
  buffer_.clear();
  buffer_.reserve(kBufferBytes);

  const std::size_t start = nameStart(targetPath);
  const std::string name = targetPath.substr(start, kMaxNameInTemp);
  std::random_device random;
  for (int attempt = 0; attempt < kMaxCreateAttempts; ++attempt) {
    const unsigned long long suffix =
        (static_cast<unsigned long long>(random()) << 32) ^ random();
    char tag[17];
    std::snprintf(tag, sizeof tag, "%016llx", suffix);
    temp_ = targetPath.substr(0, start) + "." + name + ".quorvex-" + tag + ".tmp";
    fd_ = openExclusive(temp_.c_str());
    if (fd_ >= 0) return true;
    if (errno != EEXIST) break;
  }
  fail("cannot create temporary file in " + quoted(folderForMessage(targetPath, start)), errno);
  temp_.clear();
  return false;
}

bool AtomicFileWriter::write(std::string_view bytes) {
  if (failed_) return false;
  if (fd_ < 0) {
    error_ = "cannot write " + quoted(target_) + ": not open";
    failed_ = true;
    return false;
  }
  // Large pieces (a caller's own block) go straight to the file, without a copy; small ones
  // are collected into blocks.
  if (bytes.size() >= kDirectWriteBytes) return flushBuffer() && writeAll(bytes);
  if (buffer_.size() + bytes.size() > kBufferBytes && !flushBuffer()) return false;
  buffer_.append(bytes);
  return true;
}

bool AtomicFileWriter::flushBuffer() {
  if (!writeAll(buffer_)) return false;
  buffer_.clear();
  return true;
}

bool AtomicFileWriter::writeAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const long long written = writeSome(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      // write(2) returning 0 for a non-empty request means no progress is possible.
      fail("cannot write " + quoted(target_), written < 0 ? errno : EIO);
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool AtomicFileWriter::commit() {
  if (failed_) {
    discard();
    return false;
  }
  if (fd_ < 0) {
    error_ = "cannot commit " + quoted(target_) + ": not open";
    failed_ = true;
    return false;
  }
  if (!flushBuffer()) {
    discard();
    return false;
  }
  const int fd = fd_;
  fd_ = -1;
  // close() can report a delayed write error (NFS, quotas): the data may be lost, so this
  // is a failure, and the descriptor is gone either way (no retry, even on EINTR).
  if (closeFile(fd) != 0) {
    fail("cannot write " + quoted(target_), errno);
    discard();
    return false;
  }
  if (!replaceFile(temp_.c_str(), target_.c_str())) {
    fail("cannot replace " + quoted(target_), errno);
    discard();
    return false;
  }
  temp_.clear();
  buffer_.clear();
  return true;
}

void AtomicFileWriter::discard() {
  if (fd_ >= 0) {
    closeFile(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    removeFile(temp_.c_str());
    temp_.clear();
  }
  buffer_.clear();
}

void AtomicFileWriter::fail(const std::string& what, int errorNumber) {
  error_ = what + ": " + std::strerror(errorNumber);
  failed_ = true;
}

bool writeTextFile(const std::string& path, std::string_view text, std::string* error) {
  AtomicFileWriter writer;
  const bool ok = writer.open(path) && writer.write(text) && writer.commit();
  if (!ok && error != nullptr) *error = writer.error();
  return ok;
}
