#include "run/batch_inputs.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "obj/input_list.h"
#include "platform/filesystem.h"
#include "platform/path_parts.h"
#include "run/path_registry.h"
#include "run/shard.h"

namespace {

std::string inQuotes(const std::string& path) { return "'" + path + "'"; }

std::uint64_t sizeOrZero(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<std::uint64_t>(size);
}

// True when the relative `name` climbs out of its folder somewhere ("..", "a/../../b").
bool leavesFolder(const std::string& name) {
  int depth = 0;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of(kPathSeparator == '/' ? "/" : "\\/", start);
    if (end == std::string::npos) end = name.size();
    const std::string part = name.substr(start, end - start);
    if (part == "..") {
      if (--depth < 0) return true;
    } else if (!part.empty() && part != ".") {
      ++depth;
    }
    start = end + 1;
  }
  return false;
}

// The name of `path` for the cut: below the -input folder, '/' between folders.
std::string batchName(const std::string& inputFolder, const std::string& path) {
  const std::string prefix = inputFolder.empty() ? std::string() : joinPath(inputFolder, "");
  std::string name = path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size())
                                                                   : path;
#ifdef _WIN32
  std::replace(name.begin(), name.end(), '\\', '/');
#endif
  return name;
}

RunFailure refuseMerge(std::string detail) {
  return RunFailure{RunMessage::mergeboundsSet, "-mergebounds: " + std::move(detail)};
}

}  // namespace

std::optional<RunFailure> listInputs(const RunOptions& options, std::vector<std::string>& inputs,
                                     std::vector<std::string>& warnings) {
  const std::string& list = options.batch.filesFrom;
  if (!options.input.empty() && !isDirectory(options.input)) {
    return RunFailure{RunMessage::filesfromSet,
                      "-filesfrom names inputs relative to the -input folder, but -input " +
                          inQuotes(options.input) + " is not a folder"};
  }
  std::vector<InputListEntry> entries;
  std::string error;
  if (!readInputList(list, options.input, entries, error)) {
    return RunFailure{RunMessage::openObj, "-filesfrom: " + error};
  }
  const std::string treePrefix = options.input.empty() ? "" : joinPath(options.input, "");
  PathRegistry seen;
  std::vector<std::size_t> lines;  // of the entries kept, for the message of a duplicate
  for (const InputListEntry& entry : entries) {
    const std::string where = list + ":" + std::to_string(entry.line) + ": ";
    if (!pathExists(entry.path)) {
      return RunFailure{RunMessage::openObj, where + inQuotes(entry.path) + " does not exist"};
    }
    if (isDirectory(entry.path)) {
      return RunFailure{RunMessage::openObj,
                        where + inQuotes(entry.path) + " is a folder, not an OBJ file"};
    }
    const bool below = isRootedPath(entry.name)
                           ? !treePrefix.empty() && entry.name.rfind(treePrefix, 0) == 0 &&
                                 !leavesFolder(entry.name.substr(treePrefix.size()))
                           : !leavesFolder(entry.name);
    if (options.tree && !below) {
      return RunFailure{RunMessage::treeSet,
                        where + inQuotes(entry.name) + " is not below the -input folder, and "
                                "-tree=1 writes each input to its path below it"};
    }
    if (const auto* same = seen.find(entry.path)) {
      const std::size_t first = lines[static_cast<std::size_t>(
          std::find(inputs.begin(), inputs.end(), same->second) - inputs.begin())];
      return RunFailure{RunMessage::outputNameConflict,
                        where + inQuotes(entry.path) + " is the file of line " +
                            std::to_string(first) + " (" + inQuotes(same->second) + ") again"};
    }
    seen.add(PathRole::input, entry.path);
    inputs.push_back(entry.path);
    lines.push_back(entry.line);
  }
  if (inputs.empty()) warnings.push_back("the list " + inQuotes(list) + " names no input file");
  return std::nullopt;
}

void cutShard(const RunOptions& options, std::vector<std::string>& inputs,
              std::vector<std::string>& outputs, BatchList& batch,
              std::vector<std::string>& warnings) {
  const BatchOptions& b = options.batch;
  batch.inputs = inputs;
  batch.files = inputs.size();
  if (!b.shard && b.boundsOnly.empty() && b.manifest.empty()) return;
  std::vector<ShardItem> items;
  items.reserve(inputs.size());
  for (const std::string& path : inputs) {
    items.push_back({batchName(options.input, path), sizeOrZero(path)});
  }
  batch.digest = batchDigest(items);
  if (!b.shard) return;
  const std::vector<std::size_t> members = shardMembers(items, *b.shard);
  std::vector<std::string> partInputs, partOutputs;
  for (const std::size_t i : members) {
    partInputs.push_back(inputs[i]);
    if (!outputs.empty()) partOutputs.push_back(outputs[i]);
  }
  if (partInputs.empty()) {
    warnings.push_back("-shard=" + shardText(*b.shard) + ": none of the " +
                       std::to_string(inputs.size()) + " input" +
                       (inputs.size() == 1 ? "" : "s") + " falls in this part");
  }
  inputs = std::move(partInputs);
  outputs = std::move(partOutputs);
}

std::optional<RunFailure> findMergeParts(const std::string& value,
                                         std::vector<std::string>& parts) {
  if (isDirectory(value)) {
    FolderSearchError error;
    for (const DirectoryEntry& entry : searchDirectory(value, "*.json", &error)) {
      if (!entry.isDirectory) parts.push_back(joinPath(value, entry.name));
    }
    if (!error.reason.empty()) {
      return refuseMerge("cannot list " + inQuotes(error.path) + ": " + error.reason);
    }
    if (parts.empty()) return refuseMerge("the folder " + inQuotes(value) + " holds no .json file");
    std::sort(parts.begin(), parts.end());
  } else {
    for (std::size_t start = 0; start <= value.size();) {
      std::size_t end = value.find(',', start);
      if (end == std::string::npos) end = value.size();
      if (end == start) return refuseMerge("an empty name in " + inQuotes(value));
      parts.push_back(value.substr(start, end - start));
      start = end + 1;
    }
  }
  PathRegistry seen;
  for (const std::string& part : parts) {
    if (!pathExists(part)) return refuseMerge(inQuotes(part) + " does not exist");
    if (isDirectory(part)) return refuseMerge(inQuotes(part) + " is a folder");
    if (const auto* same = seen.find(part)) {
      return refuseMerge(inQuotes(part) + " is " + inQuotes(same->second) +
                         " again: each part is merged once");
    }
    seen.add(PathRole::boundsPart, part);
  }
  return std::nullopt;
}
