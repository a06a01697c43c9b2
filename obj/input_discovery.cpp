#include "obj/input_discovery.h"

namespace {

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

class FileSearch {
 public:
  FileSearch(const std::string& pattern, std::vector<SkippedFolders>* notes)
      : pattern_(pattern), notes_(notes) {}

  // Appends the files of `folder` by the two-pass rule; false on the first failure.
  // Each folder is listed once and completely before going deeper, so only one folder is
  // open at a time however deep the tree is.
  bool append(const std::string& folder) {
    const std::vector<DirectoryEntry> entries = searchDirectory(folder, "*.*", &failure_);
    if (failed()) return false;
    const std::size_t before = files_.size();
    std::size_t folders = 0;
    std::size_t searchedFolders = 0;
    for (const DirectoryEntry& entry : entries) {
      if (entry.isDirectory && isDotEntry(entry.name)) continue;
      if (entry.isDirectory) ++folders;
      if (!matchWildcard(pattern_, entry.name)) continue;
      if (!take(folder, entry)) return false;
      if (entry.isDirectory) ++searchedFolders;
    }
    if (files_.size() > before) {
      // The sub-folders this rule leaves out: all of them but those whose names match.
      if (notes_ != nullptr && folders > searchedFolders) {
        notes_->push_back({folder, folders - searchedFolders});
      }
      return true;
    }
    // Pass 2. A matching sub-folder was searched in pass 1 and gave nothing: not again.
    for (const DirectoryEntry& entry : entries) {
      if (!entry.isDirectory || isDotEntry(entry.name)) continue;
      if (!matchWildcard(pattern_, entry.name) && !take(folder, entry)) return false;
    }
    return true;
  }

  bool failed() const { return !failure_.path.empty(); }
  std::vector<std::string>& files() { return files_; }
  const FolderSearchError& failure() const { return failure_; }

 private:
  // A file is listed, a folder searched.
  bool take(const std::string& folder, const DirectoryEntry& entry) {
    const std::string path = joinPath(folder, entry.name);
    if (!entry.nameIsExact) {
      failure_ = {path, "the name has characters that the system's code page cannot represent"};
      return false;
    }
    if (entry.isDirectory) return append(path);
    files_.push_back(path);
    return true;
  }

  const std::string& pattern_;
  std::vector<SkippedFolders>* notes_;
  std::vector<std::string> files_;
  FolderSearchError failure_;
};

}  // namespace

std::vector<std::string> findFiles(const std::string& folder, const std::string& pattern,
                                   std::vector<SkippedFolders>* notes, FolderSearchError* error) {
  std::vector<SkippedFolders> found;
  FileSearch search(pattern, notes != nullptr ? &found : nullptr);
  if (!search.append(folder)) {
    if (error != nullptr) *error = search.failure();
    return {};
  }
  if (notes != nullptr) notes->insert(notes->end(), found.begin(), found.end());
  return std::move(search.files());
}
