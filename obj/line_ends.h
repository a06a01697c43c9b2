#pragma once

#include <cstring>
#include <string_view>

// The OBJ rules of physical and logical lines, held once: a physical line ends at "\n",
// "\r\n" or a lone "\r"; a logical line goes on while a physical line's last byte before its
// line end is '\\' (a continuation).

inline bool isLineEndByte(char c) { return c == '\n' || c == '\r'; }

// Whether a physical line whose last byte before its line end is `last` goes on.
inline bool continuesLine(char last) { return last == '\\'; }

// First '\n' or '\r' in [p, end), or end. memchr for LF is vectorised; the CR search then only
// runs over the line found, which in an LF file is a second pass over bytes just in cache.
inline const char* findLineEnd(const char* p, const char* end) {
  const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
  const char* stop = lf != nullptr ? static_cast<const char*>(lf) : end;
  const void* cr = std::memchr(p, '\r', static_cast<std::size_t>(stop - p));
  return cr != nullptr ? static_cast<const char*>(cr) : stop;
}

// The line end that starts at `stop` (a '\n' or '\r' before `end`) when the bytes up to `end`
// show all of it; empty for a '\r' that is the last byte (CR LF or a lone CR: the next bytes
// tell) and for `stop` == `end`.
inline std::string_view lineEndAt(const char* stop, const char* end) {
  if (stop == end) return {};
  if (*stop == '\n') return "\n";
  if (stop + 1 == end) return {};
  return stop[1] == '\n' ? "\r\n" : "\r";
}
