#pragma once

#include <string>

// The whole content of the file at `path`, read without any line-end translation, cut at its
// first NUL byte (a file that starts with one gives an empty text). An empty text when the
// file cannot be opened or read, e.g. when `path` names a folder. Sizes are 64-bit: files
// over 2 GiB are read whole.
std::string readTextFile(const std::string& path);

// Every byte of the file at `path` (NUL bytes included), read to its end (a pipe too). False,
// with the system's reason in *error when given ("cannot open 'x': No such file or
// directory"), when it cannot be opened or read.
[[nodiscard]] bool readWholeFile(const std::string& path, std::string& bytes,
                                 std::string* error = nullptr);
