#include "platform/standard_streams.h"

#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

#ifdef _WIN32
constexpr const char* kNullDevice = "NUL";
// A descriptor is open when it has a system handle; a program started without a console or
// with a stream closed has none (-1, or -2 for "no console").
bool isOpen(int fd) { return _get_osfhandle(fd) >= 0; }
int openNull(int fd) { return _open(kNullDevice, fd == 0 ? _O_RDONLY : _O_WRONLY); }
int duplicateTo(int from, int to) { return _dup2(from, to); }
int closeDescriptor(int fd) { return _close(fd); }
#else
constexpr const char* kNullDevice = "/dev/null";
bool isOpen(int fd) { return fcntl(fd, F_GETFD) != -1 || errno != EBADF; }
int openNull(int fd) { return ::open(kNullDevice, fd == 0 ? O_RDONLY : O_WRONLY); }
int duplicateTo(int from, int to) { return dup2(from, to); }
int closeDescriptor(int fd) { return ::close(fd); }
#endif

}  // namespace

void openClosedStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (isOpen(fd)) continue;
    // The lowest free descriptor is this one when those below are open, which the order
    // of this loop sees to; dup2 covers a system that hands out another.
    const int opened = openNull(fd);
    if (opened < 0 || opened == fd) continue;
    duplicateTo(opened, fd);
    closeDescriptor(opened);
  }
}

bool writeStandardOutput(std::string_view text, std::string* error) {
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
                       std::fflush(stdout) == 0;
  if (written) return true;
  // A stream error without errno (none is promised by the C standard): the generic reason.
  const int reason = errno != 0 ? errno : EIO;
  if (error != nullptr) *error = std::strerror(reason);
  std::clearerr(stdout);
  return false;
}
