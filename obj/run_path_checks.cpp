#include "obj/run_path_checks.h"

#include <map>

#include "obj/output_naming.h"
#include "platform/file_identity.h"
#include "platform/filesystem.h"
#include "platform/path_parts.h"

namespace {

RunPathCheck problem(RunPathStatus status, std::string detail) {
  return {status, std::move(detail)};
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

RunPathCheck checkNames(const std::string& output, const std::vector<std::string>& inputs) {
  if (outputNamesFile(output)) {
    if (inputs.size() == 1) return {};
    return problem(RunPathStatus::nameConflict,
                   std::to_string(inputs.size()) + " inputs would all be written to " +
                       quoted(output) + ", each replacing the one before; give an output " +
                       "folder (-output=FOLDER) to convert each into a file of its own");
  }
  std::map<std::string, const std::string*> seen;
  for (const std::string& file : inputs) {
    const auto [it, inserted] = seen.emplace(makeOutputPath(output, file), &file);
    if (!inserted) {
      return problem(RunPathStatus::nameConflict, quoted(*it->second) + " and " + quoted(file) +
                                                      " would both be written to " +
                                                      quoted(it->first));
    }
  }
  return {};
}

RunPathCheck checkFolder(const std::string& output) {
  if (!outputNamesFile(output)) {
    if (isDirectory(output)) return {};
    return problem(RunPathStatus::outputFolderMissing,
                   "output folder " + quoted(output) + " does not exist");
  }
  const std::string folder = folderOfFile(output);
  if (isDirectory(folder)) return {};
  return problem(RunPathStatus::outputFolderMissing,
                 "the folder " + quoted(folder) + " of the output file does not exist");
}

}  // namespace

RunPathCheck checkRunPaths(const std::string& output, const std::string& base,
                           const std::vector<std::string>& inputs, bool inputsReadTwice) {
  if (inputs.empty()) return {};
  if (!output.empty()) {
    if (RunPathCheck check = checkNames(output, inputs); check.status != RunPathStatus::ok) {
      return check;
    }
    if (RunPathCheck check = checkFolder(output); check.status != RunPathStatus::ok) {
      return check;
    }
  }

  std::map<FileIdentity, const std::string*> inputFiles;
  for (const std::string& input : inputs) {
    if (const auto identity = fileIdentity(input)) inputFiles.emplace(*identity, &input);
  }
  auto isAnInput = [&inputFiles](const std::string& path) -> const std::string* {
    const auto identity = fileIdentity(path);
    if (!identity) return nullptr;
    const auto it = inputFiles.find(*identity);
    return it == inputFiles.end() ? nullptr : it->second;
  };
  for (const std::string& input : inputs) {
    if (output.empty()) break;
    const std::string target = makeOutputPath(output, input);
    if (const std::string* same = isAnInput(target)) {
      return problem(RunPathStatus::nameConflict,
                     "the output " + quoted(target) + " is the input " + quoted(*same) +
                         ": converting would replace the original");
    }
  }
  if (!base.empty()) {
    if (const std::string* same = isAnInput(base)) {
      return problem(RunPathStatus::nameConflict,
                     "the base file " + quoted(base) + " is the input " + quoted(*same));
    }
  }
  if (inputsReadTwice) {
    for (const std::string& input : inputs) {
      if (pathExists(input) && !isRegularFile(input)) {
        return problem(RunPathStatus::inputNotRereadable,
                       quoted(input) + " is not a regular file, so it cannot be read twice " +
                           "(for the base point, then to convert it); give the base point " +
                           "with -inputbase");
      }
    }
  }
  return {};
}
