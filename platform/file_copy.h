#pragma once

#include <string>
#include <vector>

// Whole files as bytes: compared, copied, hard-linked, and the folders they go into created.

// True when the files at `a` and `b` can both be read and hold the same bytes. Sizes are
// compared first, so files of different sizes are not read.
[[nodiscard]] bool sameBytes(const std::string& a, const std::string& b);

// How a file is brought to another place.
enum class CopyWay {
  copy,  // the bytes, written atomically (AtomicFileWriter)
  link,  // a hard link to the same file where the file system allows it, else a copy
};

// Writes the file `source` to `target` (a target that exists is replaced atomically by a copy;
// a hard link is only made where nothing is). False with the reason in *error.
[[nodiscard]] bool copyFile(const std::string& source, const std::string& target, CopyWay way,
                            std::string* error);

// Creates the folder `path` and those above it that are missing, each appended to *created
// (when not null) as it is made, outermost first. False with the reason in *error (a file in
// the way, no permission).
[[nodiscard]] bool createFolders(const std::string& path, std::string* error,
                                 std::vector<std::string>* created = nullptr);

// Removes the folder `path` when it is empty; anything else is left as it is.
void removeFolderIfEmpty(const std::string& path);
