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

// Where `inputPath`, found by searching the folder `inputFolder` (the -input value; empty: the
// current folder), is written with the folder tree kept: its path below `inputFolder` inside
// the folder `output` ("tiles" + "tiles/Data/T1/T1.obj" into "out": "out/Data/T1/T1.obj").
std::string makeTreeOutputPath(const std::string& output, const std::string& inputFolder,
                               const std::string& inputPath);
