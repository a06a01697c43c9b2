#include "platform/open_for_reading.h"

#ifdef _WIN32
#include "platform/windows_path.h"

std::FILE* openForReading(const std::string& path) {
  return _wfopen(systemPath(path).c_str(), L"rb");
}
#else
std::FILE* openForReading(const std::string& path) { return std::fopen(path.c_str(), "rb"); }
#endif
