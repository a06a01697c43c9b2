#pragma once

#include <cstddef>
#include <string>

// Position just after the last separator of `path` ('/', and '\\' too on Windows), 0 when
// there is none: path.substr(0, pos) is the folder prefix, path.substr(pos) the file name.
std::size_t fileNameStart(const std::string& path);

// The folder a file path is in, as a path to open or name in a message: "." for a bare name,
// "/" for a file in the root, else the prefix without its final separator.
std::string folderOfFile(const std::string& path);

// True when `path` does not lead from the current folder: it starts with a separator ('/',
// and on Windows '\\' too, "\\server\share" included) or (Windows) with a drive ("C:").
[[nodiscard]] bool isRootedPath(const std::string& path);
