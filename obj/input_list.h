#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The input files of a run named in a list file (-filesfrom) instead of found by the folder
// search: one path a line, UTF-8, in the order they are converted. A line ends at LF (a CR
// before it is dropped); a UTF-8 byte-order mark at the start is skipped; a line that is empty
// or blanks only, or whose first character other than a blank is '#', is skipped (name a file
// that starts with '#' as "./#name.obj"). Every other line is taken whole, as written.
struct InputListEntry {
  std::string name;  // as the line gives it (in the program's code page on Windows)
  std::string path;  // `name` joined to the folder, unless it is rooted (absolute)
  std::size_t line = 0;  // 1-based
};

// The entries of the list at `listPath`, paths relative to `folder` (the -input folder; empty:
// the current one). False with the reason in `error` when the list cannot be read, or a line
// holds a NUL byte or is not UTF-8 (or, on Windows, names a character the code page lacks):
// "LIST:LINE: reason".
[[nodiscard]] bool readInputList(const std::string& listPath, const std::string& folder,
                                 std::vector<InputListEntry>& entries, std::string& error);
