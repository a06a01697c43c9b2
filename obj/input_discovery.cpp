#include "obj/input_discovery.h"

#include <map>
#include <optional>
#include <utility>

#include "platform/file_identity.h"

namespace {

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

std::string quoted(const std::string& path) { return "'" + path + "'"; }

class FileSearch {
 public:
  FileSearch(const std::string& pattern, SearchDepth depth, FolderSearchResult& result)
      : pattern_(pattern), depth_(depth), result_(result) {}

  // Appends the files of `folder` by the search's rule; false on the first failure.
  // Each folder is listed once and completely before going deeper, so only one folder is
  // open at a time however deep the tree is.
  bool append(const std::string& folder) {
    const std::vector<DirectoryEntry> entries = searchDirectory(folder, "*.*", &result_.error);
    if (failed()) return false;
    const std::size_t before = result_.files.size();
    std::size_t folders = 0;
    std::size_t searchedFolders = 0;
    for (const DirectoryEntry& entry : entries) {
      if (entry.isDirectory && isDotEntry(entry.name)) continue;
      if (entry.isDirectory) ++folders;
      const bool matches = matchWildcard(pattern_, entry.name);
      if (!matches && !(entry.isDirectory && depth_ == SearchDepth::every)) continue;
      if (!take(folder, entry)) return false;
      if (entry.isDirectory) ++searchedFolders;
    }
    if (depth_ == SearchDepth::every) return true;
    if (result_.files.size() > before) {
      // The sub-folders this rule leaves out: all of them but those whose names match.
      if (folders > searchedFolders) {
        result_.skipped.push_back({folder, folders - searchedFolders});
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

  // Searches the top folder.
  bool start(const std::string& folder) {
    const std::optional<FileIdentity> identity = folderIdentity(folder);
    if (identity) {
      searched_.emplace(*identity, folder);
      inside_.push_back(*identity);
    }
    return append(folder);
  }

 private:
  bool failed() const { return !result_.error.path.empty(); }

  // A file is listed, a folder searched (once, and never one the search is inside).
  bool take(const std::string& folder, const DirectoryEntry& entry) {
    const std::string path = joinPath(folder, entry.name);
    if (!entry.nameIsExact) {
      result_.error = {path, "the name has characters that the system's code page cannot "
                             "represent"};
      return false;
    }
    if (!entry.isDirectory) {
      result_.files.push_back(path);
      return true;
    }
    const std::optional<FileIdentity> identity = folderIdentity(path);
    if (!identity) return append(path);  // its listing says why it cannot be opened
    for (const FileIdentity& above : inside_) {
      if (above == *identity) {
        result_.warnings.push_back((entry.isLink ? "the link " : "the folder ") + quoted(path) +
                                   " leads back to " + quoted(searched_.at(above)) +
                                   ", a folder it is in: not followed (a loop)");
        return true;
      }
    }
    const auto [it, first] = searched_.emplace(*identity, path);
    if (!first) {
      result_.warnings.push_back(quoted(path) + " is the folder " + quoted(it->second) +
                                 ", searched already: not searched again");
      return true;
    }
    inside_.push_back(*identity);
    const bool appended = append(path);
    inside_.pop_back();
    return appended;
  }

  const std::string& pattern_;
  SearchDepth depth_;
  FolderSearchResult& result_;
  std::map<FileIdentity, std::string> searched_;  // every folder searched, by the path first met
  std::vector<FileIdentity> inside_;              // the folders being searched, outermost first
};

}  // namespace

FolderSearchResult searchFiles(const std::string& folder, const std::string& pattern,
                               SearchDepth depth) {
  FolderSearchResult result;
  FileSearch search(pattern, depth, result);
  if (!search.start(folder)) {
    result.files.clear();
    result.skipped.clear();
  }
  return result;
}

std::vector<std::string> findFiles(const std::string& folder, const std::string& pattern,
                                   std::vector<SkippedFolders>* notes, FolderSearchError* error) {
  FolderSearchResult result = searchFiles(folder, pattern, SearchDepth::twoPass);
  if (error != nullptr) *error = result.error;
  if (notes != nullptr) notes->insert(notes->end(), result.skipped.begin(), result.skipped.end());
  return std::move(result.files);
}
