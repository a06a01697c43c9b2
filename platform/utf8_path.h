#pragma once

#include <string>
#include <string_view>

// Paths as UTF-8 text (list files, JSON records) and as the program's paths: the same bytes
// on POSIX systems, the code page of the narrow file calls on Windows.

// The path a UTF-8 text names. False when the text is not valid UTF-8 or (Windows) holds a
// character the code page has no form for.
[[nodiscard]] bool pathFromUtf8(std::string_view utf8, std::string& path);

// `path` as UTF-8 for a JSON record: on Windows converted from the code page; elsewhere its
// bytes, each byte that is not part of valid UTF-8 replaced by U+FFFD.
std::string pathToUtf8(const std::string& path);

// True when `text` is valid UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
[[nodiscard]] bool isValidUtf8(std::string_view text);
