#include "obj/input_discovery.h"

#include "platform/filesystem.h"

namespace {

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

// Each search reads one folder's entries completely before going deeper, so only one folder
// is open at a time however deep the tree is.
void appendFiles(const std::string& folder, const std::string& pattern,
                 std::vector<std::string>& files, std::vector<SkippedFolders>* notes) {
  const std::size_t before = files.size();
  std::size_t searchedFolders = 0;
  for (const DirectoryEntry& entry : searchDirectory(folder, pattern)) {
    if (entry.isDirectory) {
      if (isDotEntry(entry.name)) continue;
      ++searchedFolders;
      appendFiles(joinPath(folder, entry.name), pattern, files, notes);
    } else {
      files.push_back(joinPath(folder, entry.name));
    }
  }
  if (files.size() > before) {
    if (notes == nullptr) return;
    // The sub-folders this rule leaves out: all of them but those whose names match.
    std::size_t folders = 0;
    for (const DirectoryEntry& entry : searchDirectory(folder, "*.*")) {
      if (entry.isDirectory && !isDotEntry(entry.name)) ++folders;
    }
    if (folders > searchedFolders) notes->push_back({folder, folders - searchedFolders});
    return;
  }
  for (const DirectoryEntry& entry : searchDirectory(folder, "*.*")) {
    if (entry.isDirectory && !isDotEntry(entry.name)) {
      appendFiles(joinPath(folder, entry.name), pattern, files, notes);
    }
  }
}

}  // namespace

std::vector<std::string> findFiles(const std::string& folder, const std::string& pattern,
                                   std::vector<SkippedFolders>* notes) {
  std::vector<std::string> files;
  appendFiles(folder, pattern, files, notes);
  return files;
}
