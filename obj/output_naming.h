#pragma once

#include <string>

// The text after the last path separator of `path` ('/' here; '\\' and also '/' on
// Windows); the whole path when it has none; empty for an empty path.
std::string getFileName(const std::string& path);

// True when `output` names one output file: it contains ".obj" in any letter case and is not
// an existing folder (an existing folder is written into, whatever its name).
[[nodiscard]] bool outputNamesFile(const std::string& output);

// Where the converted `inputPath` is written: `output` itself when it names one file (above),
// else the file name of `inputPath` inside the folder `output`, joined without doubling a
// separator that `output` already ends with. Folders are not created. `output` is not empty
// (the driver refuses an empty one).
std::string makeOutputPath(const std::string& output, const std::string& inputPath);
