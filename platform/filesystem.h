#pragma once

#include <string>
#include <string_view>
#include <vector>

// The file-system side of the operating system: existence tests, path joining with the
// native separator, and a wildcard search of one folder.

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// True when `path` names anything that exists (file, folder, or a link to either), by the
// system's existence-only test (access(path, F_OK); GetFileAttributes on Windows).
[[nodiscard]] bool pathExists(const std::string& path);

// True when `path` names a folder (links followed).
[[nodiscard]] bool isDirectory(const std::string& path);

// `folder` + separator + `name`; the separator is left out when `folder` is empty or already
// ends with one ('\\' or '/' on Windows), so "" + "a.obj" is "a.obj" and "out/" + "a.obj" is
// "out/a.obj" on every platform.
std::string joinPath(const std::string& folder, const std::string& name);

// True when `name` matches `pattern`, where '*' stands for any run of characters (also none)
// and '?' for exactly one, and letters compare without regard to (ASCII) case. As on
// Windows, a pattern ending in ".*" also matches names without that extension, so "*.*"
// matches every name, including names without a dot.
[[nodiscard]] bool matchWildcard(std::string_view pattern, std::string_view name);

struct DirectoryEntry {
  std::string name;  // the bare name, without the folder
  bool isDirectory = false;  // a folder, or a link (Windows: a junction too) to one
  bool isLink = false;       // with isDirectory: the entry is a link to a folder
  // False on Windows for a name with characters the program's code page has no form for:
  // `name` holds '?' for them, and no call can find the entry by it.
  bool nameIsExact = true;
};

// Why a folder search could not be completed: the path it failed on (the folder, or one of
// its entries joined to it) and the system's reason, e.g. "Permission denied".
struct FolderSearchError {
  std::string path;
  std::string reason;
};

// The entries of `folder` (the current directory when empty) whose names match `pattern`,
// in the order the directory itself delivers them (never sorted). "." and ".." may be among
// them. A symbolic link to a folder (on Windows also a junction) is listed as a folder with
// isLink set: a recursive search must guard against the cycles links can make (see
// folderIdentity). A link to anything else, or one that leads nowhere, is listed as a file.
//
// Nothing is silently left out: when the folder cannot be opened (missing, not a folder, no
// permission, a path longer than the system takes) or read, or the kind of a matching entry
// cannot be told, the result is an empty list and *error (when not null) says where and why.
// On Windows, paths beyond MAX_PATH are searched through the "\\?\" form.
std::vector<DirectoryEntry> searchDirectory(const std::string& folder, std::string_view pattern,
                                            FolderSearchError* error = nullptr);
