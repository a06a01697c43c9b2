#pragma once

#include <cstdio>
#include <string>

// Opens `path` for reading bytes as they are (binary mode): the stream, or null with errno
// set. On Windows, paths beyond MAX_PATH are opened through the "\\?\" form.
std::FILE* openForReading(const std::string& path);
