#pragma once

// Windows only: the program's paths (narrow texts in the code page of the file functions, the
// ANSI one unless a program switched to OEM) as the wide paths the system calls take, and the
// names those calls return as narrow texts again.
//
// The narrow (A) calls stop at MAX_PATH (260 characters, the final NUL included); the wide
// ones reach 32767 characters when the path is in the "\\?\" form: absolute, backslashes
// only, no "." or ".." components. systemPath turns a path whose full form is too long for
// the short rules into that form; a shorter one keeps its own spelling, so that it means
// exactly what the narrow calls made of it before (device names such as NUL, trailing dots).

#ifdef _WIN32

#include <cstddef>
#include <string>
#include <string_view>

// `path` widened; when its full path (relative to the current folder, forward slashes turned
// into backslashes, "." and ".." resolved) is at least kShortPathLimit characters long, that
// full path in the "\\?\" form ("\\?\UNC\server\share\..." for a network path).
std::wstring systemPath(const std::string& path);

// The full path of `path` (see above), without the "\\?\" prefix; empty when there is none.
std::wstring fullPathOf(const std::string& path);

// 248: MAX_PATH less room for an 8.3 name, the limit of a folder's path in the short rules.
inline constexpr std::size_t kShortPathLimit = 248;

// A name or path from a wide call in the program's code page. False when some character has
// no form there (it would come out as '?', a name no call could find again).
[[nodiscard]] bool narrowName(std::wstring_view wide, std::string& narrow);

#endif
