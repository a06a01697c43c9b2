#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/path_registry.h"
#include "run/run_failure.h"

// The paths a run reads and writes, each checked as it is added against every path registered
// before it, and the folders the run may create for the written ones. A path read may be read
// for several reasons (an input that is also a texture map); a path written is never one that
// is read or written for another reason.
class WrittenPaths {
 public:
  // Registers a path that is read, not written (an input, the coordinate file, a material file
  // to copy, ...): outputNameConflict, naming both roles, when it is a path already registered
  // to be written (through any link or name).
  [[nodiscard]] std::optional<RunFailure> addRead(PathRole role, const std::string& path);

  // Checks and registers a written path: it must not be a folder, nor (Windows) be named like
  // a device (outputNameConflict), nor be a path registered before, read or written, through
  // any link or name (outputNameConflict, naming both roles). Its folder must exist
  // (writeFile), unless `mayCreateFolder`: then the missing folders above it are noted for
  // foldersToCreate(), and only what exists of them must be a folder.
  std::optional<RunFailure> add(PathRole role, const std::string& path, bool mayCreateFolder);

  // The missing folders of the written paths, each once (the deepest: those above it follow).
  const std::vector<std::string>& foldersToCreate() const { return folders_; }

 private:
  std::optional<RunFailure> planFolder(PathRole role, const std::string& path,
                                       const std::string& folder);

  PathRegistry read_;
  PathRegistry written_;
  std::vector<std::string> folders_;
};
