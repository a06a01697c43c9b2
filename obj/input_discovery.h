#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/filesystem.h"

// The OBJ files under `folder` (the current directory when empty) whose names match
// `pattern` (e.g. "*.obj", any letter case), in discovery order, never sorted.
//
// SearchDepth::twoPass, the rule of a flat run:
// Pass 1 lists the entries of `folder` that match `pattern`, in the directory's own order:
// a matching file is taken as folder/name; a matching sub-folder (other than "." and "..")
// is searched by this same rule and its results are inserted at that point.
// Only when pass 1 found nothing, pass 2 searches every other sub-folder, in directory order,
// by this same rule, appending their results.
// So a folder holding a matching file is not searched below, except through sub-folders
// whose own names match.
//
// SearchDepth::every (-tree=1): every matching file at every depth, each folder's entries in
// its own order, a sub-folder's files where the sub-folder is met.
//
// Paths are joined with the native separator and start with `folder` as given (bare names
// when it is empty). Links to folders (Windows: junctions too) are followed and named by the
// link's path; each real folder is searched once: a folder met again (through a link, or a
// link to a folder already searched) is not searched again, and a link to a folder the
// search is inside (itself or one above it) is a loop, not followed. Each is a warning.
//
// `skipped` receives each folder that holds matching files and also has sub-folders that
// pass 2 therefore did not search, with their count: the rule surprises users whose tiles
// sit one level deeper beside a stray file.
//
// Nothing is skipped in silence: when `folder` or a sub-folder to search cannot be opened or
// listed (missing, no permission, a path too long for the system), or the kind of an entry
// cannot be told, or (Windows) a name has no form in the program's code page, `files` is
// empty and `error` names the path and gives the system's reason.
enum class SearchDepth { twoPass, every };

struct SkippedFolders {
  std::string folder;
  std::size_t count = 0;
};

struct FolderSearchResult {
  std::vector<std::string> files;
  std::vector<SkippedFolders> skipped;
  std::vector<std::string> warnings;  // folders not followed (loops, met again), one line each
  FolderSearchError error;            // error.path empty: the search was complete
};
FolderSearchResult searchFiles(const std::string& folder, const std::string& pattern,
                               SearchDepth depth);

// searchFiles with the two-pass rule: the files, and the notes and error when asked for.
std::vector<std::string> findFiles(const std::string& folder, const std::string& pattern,
                                   std::vector<SkippedFolders>* notes = nullptr,
                                   FolderSearchError* error = nullptr);
