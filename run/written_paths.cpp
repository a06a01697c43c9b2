#include "run/written_paths.h"

#include <algorithm>
#include <utility>

#include "platform/filesystem.h"
#include "platform/path_kind.h"
#include "platform/path_parts.h"
#include "platform/windows_device_name.h"

namespace {

std::string quoted(const std::string& path) { return "'" + path + "'"; }

// The written path (`role`, `path`) is the path `other` is registered as.
RunFailure clash(PathRole role, const std::string& path,
                 const std::pair<PathRole, std::string>& other) {
  const bool sameName = resolvedName(path) == resolvedName(other.second);
  return RunFailure{RunMessage::outputNameConflict,
                    std::string(pathRoleName(role)) + " " + quoted(path) + " is " +
                        pathRoleName(other.first) + " " + quoted(other.second) +
                        (sameName ? "" : " (the same file under another name)")};
}

}  // namespace

std::optional<RunFailure> WrittenPaths::add(PathRole role, const std::string& path,
                                            bool mayCreateFolder) {
  if (isDirectory(path)) {
    return RunFailure{RunMessage::writeFile,
                      std::string(pathRoleName(role)) + " " + quoted(path) + " is a folder"};
  }
  const std::string folder = folderOfFile(path);
  if (!isDirectory(folder)) {
    if (!mayCreateFolder) {
      return RunFailure{RunMessage::writeFile, "the folder " + quoted(folder) + " of " +
                                                   pathRoleName(role) + " " + quoted(path) +
                                                   " " + describePath(folder)};
    }
    if (auto failure = planFolder(role, path, folder)) return failure;
  }
#ifdef _WIN32
  if (namesWindowsDevice(path)) {
    return RunFailure{RunMessage::outputNameConflict,
                      std::string(pathRoleName(role)) + " " + quoted(path) +
                          " is named like a Windows device (CON, PRN, AUX, NUL, COM1-9, LPT1-9)"};
  }
#endif
  const auto* same = written_.find(path);
  if (same == nullptr) same = read_.find(path);
  if (same != nullptr) return clash(role, path, *same);
  written_.add(role, path);
  return std::nullopt;
}

std::optional<RunFailure> WrittenPaths::addRead(PathRole role, const std::string& path) {
  if (const auto* written = written_.find(path)) {
    return clash(written->first, written->second, {role, path});
  }
  read_.add(role, path);
  return std::nullopt;
}

// The nearest folder above `folder` that exists must be a folder: the rest is created.
std::optional<RunFailure> WrittenPaths::planFolder(PathRole role, const std::string& path,
                                                   const std::string& folder) {
  std::string existing = folder;
  while (!pathExists(existing)) {
    const std::string above = folderOfFile(existing);
    if (above == existing) break;
    existing = above;
  }
  if (pathExists(existing) && !isDirectory(existing)) {
    return RunFailure{RunMessage::writeFile, quoted(existing) + " is not a folder, so the " +
                                                 "folder " + quoted(folder) + " of " +
                                                 pathRoleName(role) + " " + quoted(path) +
                                                 " cannot be created"};
  }
  if (std::find(folders_.begin(), folders_.end(), folder) == folders_.end()) {
    folders_.push_back(folder);
  }
  return std::nullopt;
}
