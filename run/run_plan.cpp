#include "run/run_plan.h"

#include <filesystem>
#include <map>
#include <system_error>
#include <utility>

#include "obj/input_discovery.h"
#include "obj/output_naming.h"
#include "platform/file_identity.h"
#include "platform/filesystem.h"
#include "platform/path_parts.h"
#include "platform/windows_device_name.h"

namespace {

enum class Role { input, coordinate, output, base, report };

const char* roleName(Role role) {
  switch (role) {
    case Role::input: return "the input";
    case Role::coordinate: return "the coordinate file";
    case Role::output: return "the output";
    case Role::base: return "the base file";
    case Role::report: return "the report file";
  }
  return "";
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

PlanResult refuse(RunMessage message, std::string detail) {
  return {std::nullopt, {message, std::move(detail)}};
}

// The absolute, normalised name of a path that may not exist yet: links of the part that
// exists are followed, "." and ".." removed; letter case folded on Windows, where names compare
// without it. Empty when the system cannot resolve it (then only the file identity compares).
std::string resolvedName(const std::string& path) {
  try {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return {};
    std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
    if (error) resolved = absolute.lexically_normal();
    std::string name = resolved.string();
#ifdef _WIN32
    for (char& c : name) {
      if (c == '/') c = '\\';
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
#endif
    return name;
  } catch (const std::exception&) {
    return {};  // a name the system cannot convert: compared by identity only
  }
}

// The paths of a run by role, to find any two that are one file or one name.
class PathRegistry {
 public:
  // The path already registered that `path` is, or null.
  const std::pair<Role, std::string>* find(const std::string& path) const {
    if (const auto identity = fileIdentity(path)) {
      if (const auto it = byIdentity_.find(*identity); it != byIdentity_.end()) {
        return &it->second;
      }
    }
    const std::string name = resolvedName(path);
    if (const auto it = byName_.find(name); !name.empty() && it != byName_.end()) {
      return &it->second;
    }
    return nullptr;
  }

  void add(Role role, const std::string& path) {
    if (const auto identity = fileIdentity(path)) {
      byIdentity_.emplace(*identity, std::pair{role, path});
    }
    const std::string name = resolvedName(path);
    if (!name.empty()) byName_.emplace(name, std::pair{role, path});
  }

 private:
  std::map<FileIdentity, std::pair<Role, std::string>> byIdentity_;
  std::map<std::string, std::pair<Role, std::string>> byName_;
};

std::optional<RunFailure> findInputs(const RunOptions& options, RunPlan& plan) {
  const std::string& input = options.input;
  // A value naming one file: anything but an existing folder (a path that does not exist then
  // fails where it is opened instead of being searched as a folder).
  if (!input.empty() && !isDirectory(input)) {
    plan.inputs = {input};
    return std::nullopt;
  }
  std::vector<SkippedFolders> skipped;
  FolderSearchError error;
  plan.inputs = findFiles(input, "*.obj", &skipped, &error);
  if (!error.reason.empty()) {
    return RunFailure{RunMessage::openObj, "cannot search " +
                                               quoted(error.path.empty() ? "." : error.path) +
                                               ": " + error.reason};
  }
  const std::string folder = input.empty() ? "the current folder" : quoted(input);
  if (plan.inputs.empty()) {
    plan.warnings.push_back("no .obj file found in " + folder + " or below it");
  }
  // The search rule: a folder holding OBJ files is not searched below (but for sub-folders
  // named *.obj), which surprises whoever keeps tiles beside a stray file.
  for (const SkippedFolders& s : skipped) {
    plan.warnings.push_back(std::to_string(s.count) + " sub-folder" + (s.count == 1 ? "" : "s") +
                            " of " + quoted(s.folder) +
                            " not searched: that folder holds .obj files itself (give a " +
                            "sub-folder as -input to convert its files)");
  }
  return std::nullopt;
}

// The folder a written file goes into must exist, and the file must not be a folder.
std::optional<RunFailure> checkWritable(Role role, const std::string& path) {
  if (isDirectory(path)) {
    return RunFailure{RunMessage::writeFile,
                      std::string(roleName(role)) + " " + quoted(path) + " is a folder"};
  }
  const std::string folder = folderOfFile(path);
  if (!isDirectory(folder)) {
    return RunFailure{RunMessage::writeFile, "the folder " + quoted(folder) + " of " +
                                                 roleName(role) + " " + quoted(path) +
                                                 " does not exist"};
  }
#ifdef _WIN32
  if (namesWindowsDevice(path)) {
    return RunFailure{RunMessage::outputNameConflict,
                      std::string(roleName(role)) + " " + quoted(path) +
                          " is named like a Windows device (CON, PRN, AUX, NUL, COM1-9, LPT1-9)"};
  }
#endif
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
  return RunFailure{RunMessage::writeFile, "output folder " + quoted(output) + " does not exist"};
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
    plan.outputs.push_back(makeOutputPath(options.output, file));
    const auto [it, inserted] = seen.emplace(plan.outputs.back(), &file);
    if (!inserted) {
      return RunFailure{RunMessage::outputNameConflict,
                        quoted(*it->second) + " and " + quoted(file) +
                            " would both be written to " + quoted(it->first)};
    }
  }
  return std::nullopt;
}

// Every written path against every path of the run registered before it.
std::optional<RunFailure> checkClashes(const RunOptions& options, const RunPlan& plan) {
  PathRegistry registry;
  for (const std::string& input : plan.inputs) registry.add(Role::input, input);
  registry.add(Role::coordinate, options.coord);
  std::vector<std::pair<Role, const std::string*>> written;
  for (const std::string& output : plan.outputs) written.emplace_back(Role::output, &output);
  if (plan.writesBase) written.emplace_back(Role::base, &options.base);
  if (!options.report.empty()) written.emplace_back(Role::report, &options.report);
  for (const auto& [role, path] : written) {
    if (auto failure = checkWritable(role, *path)) return failure;
    if (const auto* same = registry.find(*path)) {
      const bool sameName = resolvedName(*path) == resolvedName(same->second);
      return RunFailure{RunMessage::outputNameConflict,
                        std::string(roleName(role)) + " " + quoted(*path) + " is " +
                            roleName(same->first) + " " + quoted(same->second) +
                            (sameName ? "" : " (the same file under another name)")};
    }
    registry.add(role, *path);
  }
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
  if (auto failure = findInputs(options, plan)) return {std::nullopt, *failure};
  if (auto failure = findOutputs(options, plan)) return {std::nullopt, *failure};
  if (auto failure = checkClashes(options, plan)) return {std::nullopt, *failure};
  return {std::move(plan), {}};
}
