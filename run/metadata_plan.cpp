#include "run/metadata_plan.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "obj/output_naming.h"
#include "platform/filesystem.h"
#include "platform/read_text_file.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kFileName = "metadata.xml";

std::string quoted(const std::string& path) { return "'" + path + "'"; }

// The folders searched, nearest first: the -input folder and the one above; for one file its
// folder and the two above. Each as a path the user recognises (relative stays relative).
std::vector<fs::path> searchedFolders(const std::string& input) {
  const bool oneFile = !input.empty() && !isDirectory(input);
  fs::path folder = oneFile ? fs::path(input).parent_path() : fs::path(input);
  if (folder.empty()) folder = ".";
  std::vector<fs::path> folders{folder};
  for (int up = 0; up < (oneFile ? 2 : 1); ++up) {
    const fs::path above = (folders.back() / "..").lexically_normal();  // "Data/.." -> "."
    if (above == folders.back()) break;  // the root has nothing above it
    folders.push_back(above);
  }
  return folders;
}

RunFailure refuse(std::string detail) {
  return RunFailure{RunMessage::metadataSet, std::move(detail)};
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
      for (const fs::path& folder : searchedFolders(options.input)) {
        const std::string candidate = (folder / kFileName).string();
        if (isRegularFile(candidate)) {
          plan.readPath = candidate;
          break;
        }
      }
      if (plan.readPath.empty()) return std::nullopt;
      break;
  }
  plan.text = readTextFile(plan.readPath);
  std::string why;
  plan.metadata = readModelMetadata(plan.text, &why);
  if (!plan.metadata) {
    return refuse(plan.readPath + ":" +
                  (plan.text.empty() ? std::string("1: empty, or it cannot be read") : why));
  }
  return std::nullopt;
}

void addMetadataRead(const MetadataPlan& plan, WrittenPaths& written) {
  if (!plan.readPath.empty()) written.addRead(PathRole::metadataRead, plan.readPath);
}

std::optional<RunFailure> addMetadataOutput(const RunOptions& options,
                                            const std::vector<std::string>& outputs,
                                            WrittenPaths& written, MetadataPlan& plan) {
  if (options.metadata == MetadataChoice::none || options.baseOnly ||
      outputs.empty() || outputNamesFile(options.output)) {
    return std::nullopt;
  }
  fs::path place = fs::path(options.output);
  if (options.tree && !plan.readPath.empty()) {
    // The folder of the one read, relative to the -input folder, when it lies inside it.
    std::error_code error;
    const fs::path input = fs::weakly_canonical(
        fs::absolute(options.input.empty() ? "." : options.input, error), error);
    const fs::path read =
        fs::weakly_canonical(fs::absolute(plan.readPath, error), error).parent_path();
    const fs::path relative = read.lexically_relative(input);
    if (!error && !relative.empty() && *relative.begin() != "..") {
      place = (place / relative).lexically_normal();
    }
  }
  plan.writePath = (place / kFileName).string();
  return written.add(PathRole::metadataWritten, plan.writePath, options.tree);
}
