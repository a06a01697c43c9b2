#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/path_registry.h"
#include "run/run_failure.h"

// The paths a run will write, each checked as it is added against every path registered
// before it (the inputs and the coordinate file first, then each written path), and the
// folders the run may create for them.
class WrittenPaths {
 public:
  // Registers a path that is read, not written (an input, the coordinate file).
  void addRead(PathRole role, const std::string& path) { registry_.add(role, path); }

  // Checks and registers a written path: it must not be a folder, nor (Windows) be named like
  // a device (outputNameConflict), nor be a path registered before, through any link or name
  // (outputNameConflict, naming both roles). Its folder must exist (writeFile), unless
  // `mayCreateFolder`: then the missing folders above it are noted for foldersToCreate(), and
  // only what exists of them must be a folder.
  std::optional<RunFailure> add(PathRole role, const std::string& path, bool mayCreateFolder);

  // The missing folders of the written paths, each once (the deepest: those above it follow).
  const std::vector<std::string>& foldersToCreate() const { return folders_; }

 private:
  std::optional<RunFailure> planFolder(PathRole role, const std::string& path,
                                       const std::string& folder);

  PathRegistry registry_;
  std::vector<std::string> folders_;
};
