#include "run/metadata_plan.h"

#include <optional>
#include <string>
#include <utility>

#include "obj/output_naming.h"
#include "platform/filesystem.h"
#include "platform/path_parts.h"
#include "platform/read_text_file.h"
#include "platform/utf16_text.h"

namespace {

constexpr const char* kFileName = "metadata.xml";

std::string quoted(const std::string& path) { return "'" + path + "'"; }

// The folder above `folder`, as a path the user recognises (relative stays relative; the
// names are the user's bytes, never recoded): "Data" -> ".", "." -> "..", "a/.." -> "a/../..".
std::string folderAbove(const std::string& folder) {
  const std::string name = folder.substr(fileNameStart(folder));
  if (name == "." || name == "..") return joinPath(folder, "..");
  return folderOfFile(folder);
}

// The folders searched, nearest first: the -input folder and the one above; for one file its
// folder and the two above.
std::vector<std::string> searchedFolders(const std::string& input) {
  const bool oneFile = !input.empty() && !isDirectory(input);
  std::string folder = oneFile ? folderOfFile(input) : input.empty() ? "." : input;
  // "tiles/" is the folder "tiles": the one above it is ".", not "tiles" again.
  while (folder.size() > 1 && fileNameStart(folder) == folder.size() &&
         folder[folder.size() - 2] != ':') {
    folder.pop_back();  // but the root of a drive, "C:\\"
  }
  std::vector<std::string> folders{folder};
  for (int up = 0; up < (oneFile ? 2 : 1); ++up) {
    const std::string above = folderAbove(folders.back());
    if (above == folders.back()) break;  // the root has nothing above it
    folders.push_back(above);
  }
  return folders;
}

RunFailure refuse(std::string detail) {
  return RunFailure{RunMessage::metadataSet, std::move(detail)};
}

// The text of the metadata.xml at `path`, as UTF-8: a UTF-16 file (what Windows PowerShell 5
// writes with `>` or Out-File) is recoded, so that the parser, the line numbers of its
// reasons and the file written all see UTF-8. A UTF-8 text is cut at its first NUL byte, as
// every other text file is. False with "LINE: reason" in `*why` for UTF-16 that does not decode.
bool readMetadataText(const std::string& path, std::string& text, std::string* why) {
  std::string bytes;
  if (!readWholeFile(path, bytes)) {
    text.clear();
    return true;  // the parser's "empty, or it cannot be read"
  }
  const Utf16Order order = utf16Order(bytes);
  if (order == Utf16Order::none) {
    text = bytes.substr(0, bytes.find('\0'));
    return true;
  }
  std::size_t bad = 0;
  std::optional<std::string> decoded = utf8FromUtf16(bytes, order, &bad);
  if (!decoded) {
    // The line of the fault: the line ends among the whole units before it.
    const char newline[2] = {order == Utf16Order::bigEndian ? '\0' : '\n',
                             order == Utf16Order::bigEndian ? '\n' : '\0'};
    std::size_t line = 1;
    for (std::size_t at = 0; at + 1 < bad; at += 2) {
      line += bytes[at] == newline[0] && bytes[at + 1] == newline[1];
    }
    *why = std::to_string(line) + ": not UTF-16 text at byte " + std::to_string(bad) +
           " (a NUL character, an unpaired surrogate or an odd byte count); save it as UTF-8";
    return false;
  }
  text = std::move(*decoded);
  return true;
}

}  // namespace

std::optional<RunFailure> findMetadata(const RunOptions& options, MetadataPlan& plan) {
  switch (options.metadata) {
    case MetadataChoice::none: return std::nullopt;
    case MetadataChoice::path:
      if (!isRegularFile(options.metadataPath)) {
        return refuse("-metadata " + quoted(options.metadataPath) +
                      (pathExists(options.metadataPath) ? " is not a file" : " does not exist"));
      }
      plan.readPath = options.metadataPath;
      break;
    case MetadataChoice::automatic:
      for (const std::string& folder : searchedFolders(options.input)) {
        const std::string candidate = joinPath(folder, kFileName);
        if (isRegularFile(candidate)) {
          plan.readPath = candidate;
          break;
        }
      }
      if (plan.readPath.empty()) return std::nullopt;
      break;
  }
  std::string why;
  if (!readMetadataText(plan.readPath, plan.text, &why)) return refuse(plan.readPath + ":" + why);
  plan.metadata = readModelMetadata(plan.text, &why);
  if (!plan.metadata) {
    return refuse(plan.readPath + ":" +
                  (plan.text.empty() ? std::string("1: empty, or it cannot be read") : why));
  }
  return std::nullopt;
}

void addMetadataRead(const MetadataPlan& plan, WrittenPaths& written) {
  // Registered before anything is written: it cannot clash yet (a written path will).
  if (!plan.readPath.empty()) (void)written.addRead(PathRole::metadataRead, plan.readPath);
}

std::optional<RunFailure> addMetadataOutput(const RunOptions& options,
                                            const std::vector<std::string>& outputs,
                                            WrittenPaths& written, MetadataPlan& plan) {
  if (options.metadata == MetadataChoice::none || options.baseOnly ||
      outputs.empty() || outputNamesFile(options.output)) {
    return std::nullopt;
  }
  // With -tree, the place of the one read below the -input folder (one found by the search
  // lies in that folder or above it: the output folder).
  const std::string place =
      options.tree && !plan.readPath.empty()
          ? folderOfFile(makeTreeOutputPath(options.output, options.input, plan.readPath))
          : options.output;
  plan.writePath = joinPath(place, kFileName);
  return written.add(PathRole::metadataWritten, plan.writePath, options.tree);
}
