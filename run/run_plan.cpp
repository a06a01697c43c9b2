#include "run/run_plan.h"

#include <map>
#include <utility>

#include "obj/input_discovery.h"
#include "obj/output_naming.h"
#include "platform/filesystem.h"
#include "platform/path_kind.h"
#include "run/written_paths.h"

namespace {

std::string quoted(const std::string& path) { return "'" + path + "'"; }

PlanResult refuse(RunMessage message, std::string detail) {
  return {std::nullopt, {message, std::move(detail)}};
}

std::optional<RunFailure> findInputs(const RunOptions& options, RunPlan& plan) {
  const std::string& input = options.input;
  if (!options.batch.mergeBounds.empty()) {  // no input is read
    return findMergeParts(options.batch.mergeBounds, plan.mergeParts);
  }
  if (!options.batch.filesFrom.empty()) return listInputs(options, plan.inputs, plan.warnings);
  // A value naming one file: anything but an existing folder (a path that does not exist then
  // fails where it is opened instead of being searched as a folder).
  if (!input.empty() && !isDirectory(input)) {
    plan.inputs = {input};
    return std::nullopt;
  }
  FolderSearchResult found = searchFiles(
      input, "*.obj", options.tree ? SearchDepth::every : SearchDepth::twoPass);
  const FolderSearchError& error = found.error;
  if (!error.reason.empty()) {
    return RunFailure{RunMessage::openObj, "cannot search " +
                                               quoted(error.path.empty() ? "." : error.path) +
                                               ": " + error.reason};
  }
  plan.inputs = std::move(found.files);
  plan.warnings = std::move(found.warnings);
  const std::string folder = input.empty() ? "the current folder" : quoted(input);
  if (plan.inputs.empty()) {
    plan.warnings.push_back("no .obj file found in " + folder + " or below it");
  }
  // The search rule: a folder holding OBJ files is not searched below (but for sub-folders
  // named *.obj), which surprises whoever keeps tiles beside a stray file.
  for (const SkippedFolders& s : found.skipped) {
    plan.warnings.push_back(std::to_string(s.count) + " sub-folder" + (s.count == 1 ? "" : "s") +
                            " of " + quoted(s.folder) +
                            " not searched: that folder holds .obj files itself (give -tree=1 "
                            "to convert every .obj below it, or a sub-folder as -input)");
  }
  return std::nullopt;
}

std::optional<RunFailure> checkOutputFolder(const std::string& output) {
  if (outputNamesFile(output)) return std::nullopt;  // its folder is checked as a written path
  if (isDirectory(output)) return std::nullopt;
  if (pathExists(output)) {
    return RunFailure{RunMessage::writeFile,
                      "-output " + quoted(output) + " is neither a folder nor a name with .obj " +
                          "(an output file's name must contain .obj)"};
  }
  return RunFailure{RunMessage::writeFile,
                    "output folder " + quoted(output) + " " + describePath(output)};
}

std::optional<RunFailure> findOutputs(const RunOptions& options, RunPlan& plan) {
  if (options.baseOnly || plan.inputs.empty()) return std::nullopt;
  if (outputNamesFile(options.output) && plan.inputs.size() > 1) {
    return RunFailure{RunMessage::outputNameConflict,
                      std::to_string(plan.inputs.size()) + " inputs would all be written to " +
                          quoted(options.output) + ", each replacing the one before; give an " +
                          "output folder (-output=FOLDER) to convert each into a file of its own"};
  }
  if (auto failure = checkOutputFolder(options.output)) return failure;
  std::map<std::string, const std::string*> seen;
  for (const std::string& file : plan.inputs) {
    plan.outputs.push_back(options.tree ? makeTreeOutputPath(options.output, options.input, file)
                                        : makeOutputPath(options.output, file));
    const auto [it, inserted] = seen.emplace(plan.outputs.back(), &file);
    if (!inserted) {
      return RunFailure{RunMessage::outputNameConflict,
                        quoted(*it->second) + " and " + quoted(file) +
                            " would both be written to " + quoted(it->first) +
                            (options.tree ? std::string()
                                          : " (give -tree=1 to keep the folders below -input "
                                            "in the output folder)")};
    }
  }
  return std::nullopt;
}

// -tree keeps the folders below -input: it needs a folder to search and one to write into.
std::optional<RunFailure> checkTree(const RunOptions& options) {
  if (!options.tree) return std::nullopt;
  if (!options.input.empty() && !isDirectory(options.input)) {
    return RunFailure{RunMessage::treeSet, "-tree=1 keeps the folders below an -input folder, "
                                           "but -input " + quoted(options.input) +
                                               " is not a folder"};
  }
  if (!options.baseOnly && outputNamesFile(options.output)) {
    return RunFailure{RunMessage::treeSet, "-tree=1 writes into an output folder, but -output " +
                                               quoted(options.output) + " names one file"};
  }
  return std::nullopt;
}

// Every written path against every path of the run registered before it; then the material
// files, against all of them.
std::optional<RunFailure> checkWrittenPaths(const RunOptions& options, RunPlan& plan) {
  WrittenPaths written;
  // Nothing is written yet: the first read paths cannot clash. Every input of the batch: a
  // part's outputs must not replace another part's inputs.
  for (const std::string& input : plan.batch.inputs) {
    (void)written.addRead(PathRole::input, input);
  }
  (void)written.addRead(PathRole::coordinate, options.coord);
  if (!options.batch.filesFrom.empty()) {
    (void)written.addRead(PathRole::list, options.batch.filesFrom);
  }
  for (const std::string& part : plan.mergeParts) {
    (void)written.addRead(PathRole::boundsPart, part);
  }
  addMetadataRead(plan.metadata, written);
  for (const std::string& output : plan.outputs) {
    if (auto failure = written.add(PathRole::output, output, options.tree)) return failure;
  }
  if (plan.writesBase) {
    if (auto failure = written.add(PathRole::base, options.base, false)) return failure;
  }
  if (!options.report.empty()) {
    if (auto failure = written.add(PathRole::report, options.report, false)) return failure;
  }
  for (const auto& [role, path] : {std::pair{PathRole::bounds, &options.batch.boundsOnly},
                                   std::pair{PathRole::manifest, &options.batch.manifest}}) {
    if (path->empty()) continue;
    if (auto failure = written.add(role, *path, false)) return failure;
  }
  if (auto failure = addMetadataOutput(options, plan.outputs, written, plan.metadata)) {
    return failure;
  }
  std::optional<MaterialTree> tree;
  if (options.tree) tree = MaterialTree{options.input, options.output};
  if (auto failure = planMaterials(plan.inputs, plan.outputs, options.materials, tree, written,
                                   plan.materials)) {
    return failure;
  }
  plan.foldersToCreate = written.foldersToCreate();
  return std::nullopt;
}

}  // namespace

PlanResult makeRunPlan(const RunOptions& options) {
  if (options.coord.empty()) return refuse(RunMessage::coordfileSet, "-coord is required");
  if (!pathExists(options.coord)) {
    return refuse(RunMessage::coordfileSet,
                  "coordinate file " + quoted(options.coord) + " does not exist");
  }
  if (options.output.empty() && !options.baseOnly) {
    return refuse(RunMessage::outputSet, "no output path given (-output)");
  }
  RunPlan plan;
  plan.options = options;
  plan.writesBase = !options.base.empty() &&
                    (options.mode == ConversionKind::projectToZone || plan.computesBasePoint());
  if (auto failure = checkTree(options)) return {std::nullopt, *failure};
  if (auto failure = findInputs(options, plan)) return {std::nullopt, *failure};
  if (auto failure = findOutputs(options, plan)) return {std::nullopt, *failure};
  if (auto failure = findMetadata(options, plan.metadata)) return {std::nullopt, *failure};
  cutShard(options, plan.inputs, plan.outputs, plan.batch, plan.warnings);
  if (auto failure = checkWrittenPaths(options, plan)) return {std::nullopt, *failure};
  return {std::move(plan), {}};
}
