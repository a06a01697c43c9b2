#pragma once

#include <string>

// The whole content of the file at `path`, read without any line-end translation, cut at its
// first NUL byte (a file that starts with one gives an empty text). An empty text when the
// file cannot be opened or read, e.g. when `path` names a folder. Sizes are 64-bit: files
// over 2 GiB are read whole.
std::string readTextFile(const std::string& path);
