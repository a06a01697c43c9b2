#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "platform/windows_error.h"
#include "platform/windows_path.h"
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "platform/filesystem.h"
#include "platform/interrupt_cleanup.h"
#include "platform/path_parts.h"

namespace {

// Output is collected into blocks of this size before one write call.
constexpr std::size_t kBufferBytes = std::size_t{1} << 20;
// Pieces of at least this size are written directly: copying them would gain nothing.
constexpr std::size_t kDirectWriteBytes = kBufferBytes / 4;

// Attempts at a fresh temporary name before giving up; with 64 random bits a second attempt
// is already practically never needed.
constexpr int kMaxCreateAttempts = 100;

// How much is written before the kernel is asked to start writing it to the disk.
constexpr unsigned long long kWriteBackBytes = 8ull << 20;

// Keeps the temporary name within the usual 255-byte name limit for long target names.
constexpr std::size_t kMaxNameInTemp = 200;

#ifdef _WIN32
int openExclusive(const std::string& path) {
  return _wopen(systemPath(path).c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                _S_IREAD | _S_IWRITE);
}
long long writeSome(int fd, const char* data, std::size_t size) {
  const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
  return _write(fd, data, chunk);
}
int syncFile(int fd) { return _commit(fd); }
// Windows has no way to start the write-back of a range early: commit() syncs it all.
void startWriteBack(int, unsigned long long, unsigned long long) {}
int closeFile(int fd) { return _close(fd); }
int removeFile(const std::string& path) { return _wunlink(systemPath(path).c_str()); }

// True when another program has `path` open without letting others delete it, which is what
// stops a replace: opening it for deletion then breaks its sharing rule.
bool heldOpen(const std::wstring& path) {
  const HANDLE handle =
      CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

// rename() refuses an existing target on Windows: MoveFileEx replaces it. A target another
// program holds open fails with "access denied" (or a sharing violation), which alone would
// send the user looking for a permission problem.
bool replaceFile(const std::string& from, const std::string& to, std::string& reason) {
  const std::wstring target = systemPath(to);
  if (MoveFileExW(systemPath(from).c_str(), target.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
    return true;
  }
  const DWORD code = GetLastError();
  reason = code == ERROR_ACCESS_DENIED && heldOpen(target) ? kHeldOpenReason
                                                            : windowsErrorText(code);
  return false;
}
#else
// 0666 so that the process's umask decides the permissions, as for any newly created file.
int openExclusive(const std::string& path) {
  return ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
}
long long writeSome(int fd, const char* data, std::size_t size) { return ::write(fd, data, size); }
int syncFile(int fd) {
  int result;
  do result = ::fsync(fd);
  while (result != 0 && errno == EINTR);
  return result;
}
// Asks the kernel to start writing [offset, offset + length) of `fd` to the disk now, without
// waiting (Linux: sync_file_range with SYNC_FILE_RANGE_WRITE), so that the device works while
// the converter goes on and the closing fsync finds little left. Only a hint: errors are the
// fsync's to report.
void startWriteBack(int fd, unsigned long long offset, unsigned long long length) {
#if defined(__linux__)
  (void)::sync_file_range(fd, static_cast<off64_t>(offset), static_cast<off64_t>(length),
                          SYNC_FILE_RANGE_WRITE);
#else
  (void)fd;
  (void)offset;
  (void)length;
#endif
}
int closeFile(int fd) { return ::close(fd); }
int removeFile(const std::string& path) { return ::unlink(path.c_str()); }
bool replaceFile(const std::string& from, const std::string& to, std::string& reason) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  reason = std::strerror(errno);
  return false;
}
#endif

std::string quoted(const std::string& text) { return "'" + text + "'"; }

// "<name>.quorvex-<16 hex digits>.tmp" after a dot, in the folder of `path`.
std::string temporaryName(const std::string& path, std::random_device& random) {
  const std::size_t start = fileNameStart(path);
  const unsigned long long suffix = (static_cast<unsigned long long>(random()) << 32) ^ random();
  char tag[17];
  std::snprintf(tag, sizeof tag, "%016llx", suffix);
  return path.substr(0, start) + "." + path.substr(start, kMaxNameInTemp) + ".quorvex-" + tag +
         ".tmp";
}

}  // namespace

AtomicFileWriter::~AtomicFileWriter() { discard(); }

bool AtomicFileWriter::open(const std::string& targetPath) {
  discard();
  target_ = destination_ = targetPath;
  error_.clear();
  failed_ = false;
  direct_ = unnamed_ = keep_ = synced_ = false;
  written_ = writeBackStart_ = 0;
  buffer_.clear();
  buffer_.reserve(kBufferBytes);
#ifndef _WIN32
  struct stat info;
  if (lstat(targetPath.c_str(), &info) == 0) {
    bool exists = true;
    if (S_ISLNK(info.st_mode)) {
      // The link stays; what it leads to is replaced, beside itself.
      char* resolved = realpath(targetPath.c_str(), nullptr);
      if (resolved == nullptr) {
        fail("cannot follow the link " + quoted(targetPath), errno);
        return false;
      }
      destination_ = resolved;
      std::free(resolved);
      exists = stat(destination_.c_str(), &info) == 0;
    }
    if (exists && S_ISREG(info.st_mode)) {
      keep_ = true;
      keptMode_ = info.st_mode & 07777;
      keptOwner_ = info.st_uid;
      keptGroup_ = info.st_gid;
    } else if (exists && !S_ISDIR(info.st_mode)) {
      // A device or FIFO: replacing it would turn it into a regular file.
      fd_ = ::open(destination_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
      if (fd_ < 0) {
        fail("cannot open " + quoted(targetPath), errno);
        return false;
      }
      direct_ = true;
      return true;
    }
  }
#endif
  return openTemporary(destination_) && keepAttributes();
}

// The replaced file's permission bits, and its owner and group where this process may set
// them, go to the temporary file before any data does: a private file's content is never
// readable by others on its way. A new file keeps what the umask gave it.
bool AtomicFileWriter::keepAttributes() {
#ifndef _WIN32
  if (!keep_) return true;
  // Owner first: a change of owner clears the set-user-ID and set-group-ID bits, which
  // fchmod then sets again. Only root may give a file away, but a user may still give it any
  // group the user is in: EPERM (not allowed) and EINVAL (an id this user namespace cannot
  // name) leave the writer's own owner, and then the group alone is tried.
  const auto group = static_cast<gid_t>(keptGroup_);
  if (fchown(fd_, static_cast<uid_t>(keptOwner_), group) != 0) {
    if (errno != EPERM && errno != EINVAL) {
      fail("cannot give the temporary file the owner of " + quoted(target_), errno);
      discard();
      return false;
    }
    const int groupOnly = fchown(fd_, static_cast<uid_t>(-1), group);
    static_cast<void>(groupOnly);  // not a member of that group: the writer's own stays
  }
  if (fchmod(fd_, static_cast<mode_t>(keptMode_)) != 0) {
    fail("cannot give the temporary file the permissions of " + quoted(target_), errno);
    discard();
    return false;
  }
#endif
  return true;
}

bool AtomicFileWriter::openTemporary(const std::string& destination) {
#if defined(O_TMPFILE)
  if (temporary_ == Temporary::unnamedWhereSupported) {
    fd_ = ::open(folderOfFile(destination).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      unnamed_ = true;
      return true;
    }
    // EOPNOTSUPP, EISDIR (kernels without O_TMPFILE), or a real fault that the named way
    // reports in its own words.
  }
#endif
  return openNamed(destination);
}

bool AtomicFileWriter::openNamed(const std::string& destination) {
  std::random_device random;
  int reason = EEXIST;
  for (int attempt = 0; attempt < kMaxCreateAttempts && reason == EEXIST; ++attempt) {
    temp_ = temporaryName(destination, random);
    const CleanupCreationGuard creation;  // made and registered, or not made, on a signal
    fd_ = openExclusive(temp_);
    if (fd_ >= 0) {
      cleanupSlot_ = registerCleanup(temp_.c_str());
      return true;
    }
    reason = errno;
  }
  fail("cannot create temporary file in " + quoted(folderOfFile(destination)), reason);
  temp_.clear();
  return false;
}

// Links the unnamed temporary file under a fresh hidden name, which rename then moves over the
// destination. /proc/self/fd needs no privilege; AT_EMPTY_PATH is the way without /proc.
bool AtomicFileWriter::giveName() {
#if defined(O_TMPFILE)
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  std::random_device random;
  for (int attempt = 0; attempt < kMaxCreateAttempts; ++attempt) {
    temp_ = temporaryName(destination_, random);
    const CleanupCreationGuard creation;  // named and registered, or not named, on a signal
    cleanupSlot_ = registerCleanup(temp_.c_str());
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp_.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
        (errno == ENOENT && linkat(fd_, "", AT_FDCWD, temp_.c_str(), AT_EMPTY_PATH) == 0)) {
      unnamed_ = false;
      return true;
    }
    const int reason = errno;
    unregisterCleanup(cleanupSlot_);
    cleanupSlot_ = -1;
    if (reason != EEXIST) {
      temp_.clear();
      fail("cannot name the temporary file for " + quoted(target_), reason);
      return false;
    }
  }
  temp_.clear();
  fail("cannot name the temporary file for " + quoted(target_), EEXIST);
  return false;
#else
  return true;
#endif
}

bool AtomicFileWriter::write(std::string_view bytes) {
  if (failed_) return false;
  synced_ = false;
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
    written_ += static_cast<unsigned long long>(written);
  }
  // Write-back started every kWriteBackBytes, behind what was written.
  if (!direct_ && written_ - writeBackStart_ >= kWriteBackBytes) {
    startWriteBack(fd_, writeBackStart_, written_ - writeBackStart_);
    writeBackStart_ = written_;
  }
  return true;
}

bool AtomicFileWriter::sync() {
  if (failed_) return false;
  if (fd_ < 0) {
    error_ = "cannot sync " + quoted(target_) + ": not open";
    failed_ = true;
    return false;
  }
  if (!flushBuffer()) return false;
  // A device has nothing to sync.
  if (!direct_ && syncFile(fd_) != 0) {
    fail("cannot write " + quoted(target_), errno);
    return false;
  }
  synced_ = true;
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
  // On the disk before it gets the target's name: after a power cut the target then holds
  // either the old or the new file, never an empty one.
  if (!synced_ && !sync()) {
    discard();
    return false;
  }
  if (unnamed_ && !giveName()) {
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
  std::string reason;
  if (!direct_ && !replaceFile(temp_, destination_, reason)) {
    fail("cannot replace " + quoted(target_), reason);
    discard();
    return false;
  }
  unregisterCleanup(cleanupSlot_);
  cleanupSlot_ = -1;
  temp_.clear();
  buffer_.clear();
  direct_ = false;
  return true;
}

void AtomicFileWriter::discard() {
  if (fd_ >= 0) {
    closeFile(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    removeFile(temp_);
    temp_.clear();
  }
  unregisterCleanup(cleanupSlot_);
  cleanupSlot_ = -1;
  unnamed_ = direct_ = false;
  buffer_.clear();
}

void AtomicFileWriter::fail(const std::string& what, int errorNumber) {
  fail(what, std::string(std::strerror(errorNumber)));
}

void AtomicFileWriter::fail(const std::string& what, const std::string& reason) {
  error_ = what + ": " + reason;
  failed_ = true;
}

bool writeTextFile(const std::string& path, std::string_view text, std::string* error) {
  AtomicFileWriter writer;
  const bool ok = writer.open(path) && writer.write(text) && writer.commit();
  if (!ok && error != nullptr) *error = writer.error();
  return ok;
}
