#include "platform/windows_error.h"

#ifdef _WIN32

#include <windows.h>

#include <cerrno>
#include <cstring>

namespace {

struct ErrnoOf {
  DWORD code;
  int errorNumber;
};

// The codes the file calls give for the usual faults, by the errno the C library maps them
// to.
constexpr ErrnoOf kErrnoOf[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},       {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_INVALID_DRIVE, ENOENT},        {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_BAD_PATHNAME, ENOENT},         {ERROR_INVALID_NAME, ENOENT},
    {ERROR_ACCESS_DENIED, EACCES},        {ERROR_NETWORK_ACCESS_DENIED, EACCES},
    {ERROR_WRITE_PROTECT, EACCES},        {ERROR_CURRENT_DIRECTORY, EACCES},
    {ERROR_FILE_EXISTS, EEXIST},          {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_DIRECTORY, ENOTDIR},           {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
    {ERROR_DISK_FULL, ENOSPC},            {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},    {ERROR_OUTOFMEMORY, ENOMEM},
    {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},     {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE},  {ERROR_INVALID_PARAMETER, EINVAL},
};

}  // namespace

std::string windowsErrorText(unsigned long code) {
  if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) return kHeldOpenReason;
  for (const ErrnoOf& entry : kErrnoOf) {
    if (entry.code == code) return std::strerror(entry.errorNumber);
  }
  // The system's own text, in its language, without the line end it comes with.
  char* text = nullptr;
  const DWORD size = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason = size > 0 ? std::string(text, size) : std::string();
  LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.')) {
    reason.pop_back();
  }
  return reason.empty() ? "system error " + std::to_string(code) : reason;
}

#endif
