#include "obj/input_discovery.h"

#include "platform/filesystem.h"

namespace {

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

// Each search reads one folder's entries completely before going deeper, so only one folder
// is open at a time however deep the tree is.
void appendFiles(const std::string& folder, const std::string& pattern,
                 std::vector<std::string>& files) {
  const std::size_t before = files.size();
  for (const DirectoryEntry& entry : searchDirectory(folder, pattern)) {
    if (entry.isDirectory) {
      if (!isDotEntry(entry.name)) appendFiles(joinPath(folder, entry.name), pattern, files);
    } else {
      files.push_back(joinPath(folder, entry.name));
    }
  }
  if (files.size() > before) return;
  for (const DirectoryEntry& entry : searchDirectory(folder, "*.*")) {
    if (entry.isDirectory && !isDotEntry(entry.name)) {
      appendFiles(joinPath(folder, entry.name), pattern, files);
    }
  }
}

}  // namespace

std::vector<std::string> findFiles(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> files;
  appendFiles(folder, pattern, files);
  return files;
}
