#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/filesystem.h"

// The OBJ files under `folder` (the current directory when empty) whose names match
// `pattern` (e.g. "*.obj", any letter case), in discovery order, never sorted:
//
// Pass 1 lists the entries of `folder` that match `pattern`, in the directory's own order:
// a matching file is taken as folder/name; a matching sub-folder (other than "." and "..")
// is searched by this same rule and its results are inserted at that point.
// Only when pass 1 found nothing, pass 2 searches every other sub-folder, in directory order,
// by this same rule, appending their results.
//
// So a folder holding a matching file is not searched below, except through sub-folders
// whose own names match. Paths are joined with the native separator and start with
// `folder` as given (bare names when it is empty). Links to folders are not followed.
//
// `notes` (when not null) receives each folder that holds matching files and also has
// sub-folders that were therefore not searched, with their count: the rule surprises users
// whose tiles sit one level deeper beside a stray file.
//
// Nothing is skipped in silence: when `folder` or a sub-folder to search cannot be opened or
// listed (missing, no permission, a path too long for the system), or the kind of an entry
// cannot be told, or (Windows) a name has no form in the program's code page, the result is
// an empty list and *error (when not null) names the path and gives the system's reason.
struct SkippedFolders {
  std::string folder;
  std::size_t count = 0;
};
std::vector<std::string> findFiles(const std::string& folder, const std::string& pattern,
                                   std::vector<SkippedFolders>* notes = nullptr,
                                   FolderSearchError* error = nullptr);
