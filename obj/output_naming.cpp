#include "obj/output_naming.h"

#include "platform/filesystem.h"

std::string getFileName(const std::string& path) {
#ifdef _WIN32
  const std::size_t slash = path.find_last_of("\\/");
#else
  const std::size_t slash = path.rfind(kPathSeparator);
#endif
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool outputNamesFile(const std::string& output) {
  return matchWildcard("*.obj*", output) && !isDirectory(output);
}

std::string makeOutputPath(const std::string& output, const std::string& inputPath) {
  if (outputNamesFile(output)) return output;
  return joinPath(output, getFileName(inputPath));
}

std::string makeTreeOutputPath(const std::string& output, const std::string& inputFolder,
                               const std::string& inputPath) {
  // The folder search names every file as inputFolder joined to its path below it.
  const std::string prefix = inputFolder.empty() ? std::string() : joinPath(inputFolder, "");
  if (inputPath.compare(0, prefix.size(), prefix) != 0) {
    return joinPath(output, getFileName(inputPath));
  }
  return joinPath(output, inputPath.substr(prefix.size()));
}
