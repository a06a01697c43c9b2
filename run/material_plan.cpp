#include "run/material_plan.h"

#include <algorithm>
#include <map>
#include <utility>

#include "obj/material_references.h"
#include "obj/material_statements.h"
#include "platform/file_copy.h"
#include "platform/file_identity.h"
#include "platform/filesystem.h"
#include "platform/path_kind.h"
#include "platform/path_parts.h"
#include "run/path_registry.h"

namespace {

std::string quoted(const std::string& path) { return "'" + path + "'"; }

bool sameFile(const std::string& a, const std::string& b) {
  const auto identity = fileIdentity(a);
  if (identity && identity == fileIdentity(b)) return true;
  const std::string name = resolvedName(a);
  return !name.empty() && name == resolvedName(b);
}

// `relative` ('/' separators) within `folder`, written with the system's separator.
std::string joinRelative(const std::string& folder, std::string relative) {
  std::replace(relative.begin(), relative.end(), '/', kPathSeparator);
  return joinPath(folder, relative);
}

// The folder part of a relative path with '/' separators ("" for a bare name).
std::string relativeFolder(const std::string& relative) {
  const std::size_t slash = relative.rfind('/');
  return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

// Where the names of one input are taken from and brought to: relative to `prefix` ('/'
// separators, "" for none) below `inputBase`, written below `outputBase`; `outside` says
// what a name may not leave, for the warning.
struct NameScope {
  std::string inputBase;
  std::string outputBase;
  std::string prefix;
  std::string outside;
};

// A name from a file whose folder is `folder` (relative to the scope) as a path relative to
// the scope; none when it leaves it.
std::optional<std::string> withinScope(const std::string& folder, const std::string& name) {
  if (namesAbsolutePath(name)) return std::nullopt;
  return pathWithinFolder(folder.empty() ? name : folder + "/" + name);
}

// The scope of `input` written to `output`: its own folder, or with `tree` the whole tree.
NameScope scopeOf(const std::string& input, const std::string& output,
                  const std::optional<MaterialTree>& tree) {
  if (tree) {
    // The folder search names every file as the input folder joined to its path below it.
    const std::string top =
        tree->inputFolder.empty() ? std::string() : joinPath(tree->inputFolder, "");
    if (input.compare(0, top.size(), top) == 0) {
      const std::string below = input.substr(top.size());
      std::string prefix = below.substr(0, fileNameStart(below));
      if (!prefix.empty()) prefix.pop_back();  // the separator
      return {tree->inputFolder, tree->outputFolder, prefix,
              "the -input folder " + (tree->inputFolder.empty() ? std::string("(the current one)")
                                                               : quoted(tree->inputFolder))};
    }
  }
  return {folderOfFile(input), folderOfFile(output), "", "the folder of its OBJ file"};
}

class MaterialPlanner {
 public:
  MaterialPlanner(WrittenPaths& written, MaterialPlan& plan) : written_(written), plan_(plan) {}

  // The libraries of `input`, named relative to its folder (in `scope`), and their maps.
  std::optional<RunFailure> copyLibraries(const std::string& input, const NameScope& scope,
                                          const std::vector<std::string>& libraries,
                                          std::size_t index) {
    for (const std::string& name : libraries) {
      const std::optional<std::string> relative = withinScope(scope.prefix, name);
      std::optional<std::string> source;
      if (auto failure = bring(PathRole::library, relative, name, input, scope, index, source)) {
        return failure;
      }
      if (!source) continue;
      const std::string mapFolder = relativeFolder(*relative);
      for (const std::string& map : mapsOf(*source)) {
        std::optional<std::string> mapSource;
        if (auto failure = bring(PathRole::map, withinScope(mapFolder, map), map, *source, scope,
                                 index, mapSource)) {
          return failure;
        }
      }
    }
    return std::nullopt;
  }

  // The warnings, once all inputs are planned: a file missing for one input is not when its
  // destination is brought by another, whichever comes first.
  void finish() {
    for (auto& [warning, destination] : pending_) {
      if (!destination.empty() && sources_.count(destination) != 0) continue;
      if (std::find(plan_.warnings.begin(), plan_.warnings.end(), warning) ==
          plan_.warnings.end()) {
        plan_.warnings.push_back(std::move(warning));
      }
    }
  }

 private:
  // `destination`: the key of the destination the warning is about, "" for none.
  void warn(std::string warning, std::string destination = {}) {
    pending_.emplace_back(std::move(warning), std::move(destination));
  }

  // The file the name `name` (from `namedBy`; `relative` within the scope) brings: copied from
  // below the scope's input base to the same place below its output base, `source` then set.
  // A name leaving the scope, or that is no regular file, is a warning: not brought (but a
  // destination another input brings already has its file).
  std::optional<RunFailure> bring(PathRole role, const std::optional<std::string>& relative,
                                  const std::string& name, const std::string& namedBy,
                                  const NameScope& scope, std::size_t index,
                                  std::optional<std::string>& source) {
    const char* what = role == PathRole::library ? "material library" : "map";
    if (!relative) {
      warn(quoted(namedBy) + " names the " + what + " " + quoted(name) + " outside " +
           scope.outside + ": not copied");
      return std::nullopt;
    }
    const std::string from = joinRelative(scope.inputBase, *relative);
    const std::string to = joinRelative(scope.outputBase, *relative);
    if (!isRegularFile(from)) {
      warn("the " + std::string(what) + " " + quoted(from) + " named by " + quoted(namedBy) +
               " " + describePath(from) + ": not copied",
           keyOf(to));
      return std::nullopt;
    }
    if (auto failure = written_.addRead(role, from)) return failure;
    source = from;
    return add(from, to, index);
  }

  static std::string keyOf(const std::string& destination) {
    std::string key = resolvedName(destination);
    return key.empty() ? destination : key;
  }

  const std::vector<std::string>& mapsOf(const std::string& library) {
    const std::string key = resolvedName(library);
    auto it = maps_.find(key);
    if (it == maps_.end()) {
      FileReferences references = textureMapsOf(library);
      if (!references.error.empty()) {
        warn("the material library " + quoted(library) + " cannot be read (" +
             references.error + "): its maps are not copied");
      }
      it = maps_.emplace(key, std::move(references.names)).first;
    }
    return it->second;
  }

  // One file to bring: each destination once, from one content.
  std::optional<RunFailure> add(const std::string& source, const std::string& destination,
                                std::size_t index) {
    const std::string key = keyOf(destination);
    if (const auto it = sources_.find(key); it != sources_.end()) {
      if (sameFile(it->second, source) || sameBytes(it->second, source)) return std::nullopt;
      return RunFailure{RunMessage::outputNameConflict,
                        quoted(it->second) + " and " + quoted(source) + " would both be " +
                            "written to " + quoted(destination) + " with different contents"};
    }
    sources_.emplace(key, source);
    if (sameFile(source, destination)) return std::nullopt;  // the output's folder is its own
    const bool exists = pathExists(destination);
    if (exists && !sameBytes(source, destination)) {
      return RunFailure{RunMessage::outputNameConflict,
                        "the material file " + quoted(destination) + " exists with other " +
                            "contents than " + quoted(source) + ", which would replace it"};
    }
    // Left alone when it exists, but no other path of the run may replace it either.
    if (auto failure = written_.add(PathRole::material, destination, true)) return failure;
    if (!exists) plan_.copies.push_back({source, destination, index});
    return std::nullopt;
  }

  WrittenPaths& written_;
  MaterialPlan& plan_;
  std::map<std::string, std::vector<std::string>> maps_;  // by the library's resolved name
  std::map<std::string, std::string> sources_;            // by the destination's resolved name
  std::vector<std::pair<std::string, std::string>> pending_;  // warnings, destinations
};

}  // namespace

void MissingLibraries::note(const std::string& input, const std::string& output,
                            const std::vector<std::string>& libraries) {
  const std::string inputFolder = folderOfFile(input);
  const std::string outputFolder = folderOfFile(output);
  if (libraries.empty() || sameFile(inputFolder, outputFolder)) return;
  for (const std::string& name : resolveLibraryArguments(libraries, {inputFolder, outputFolder})) {
    const bool absolute = namesAbsolutePath(name);
    if (pathExists(absolute ? name : joinPath(outputFolder, name))) continue;
    auto it = missing_.begin();
    while (it != missing_.end() && it->name != name) ++it;
    if (it == missing_.end()) it = missing_.insert(missing_.end(), Missing{name});
    ++it->files;
    it->besideAnInput = it->besideAnInput || (!absolute && pathExists(joinPath(inputFolder, name)));
  }
}

std::vector<std::string> MissingLibraries::warnings() const {
  std::vector<std::string> warnings;
  for (const Missing& library : missing_) {
    const bool one = library.files == 1;
    std::string text = "material library " + quoted(library.name) + ", named by " +
                       (one ? std::string("1 file, is not beside its output")
                            : std::to_string(library.files) +
                                  " files, is not beside their outputs");
    // Not beside any input either: there is nothing to bring.
    text += library.besideAnInput
                ? " (give -materials=copy or -materials=link to bring it)"
                : (one ? " nor beside its input" : " nor beside their inputs");
    warnings.push_back(std::move(text));
  }
  return warnings;
}

std::optional<RunFailure> planMaterials(const std::vector<std::string>& inputs,
                                        const std::vector<std::string>& outputs,
                                        MaterialsChoice choice,
                                        const std::optional<MaterialTree>& tree,
                                        WrittenPaths& written, MaterialPlan& plan) {
  if (choice == MaterialsChoice::none) return std::nullopt;  // MissingLibraries, as converted
  MaterialPlanner planner(written, plan);
  for (std::size_t i = 0; i < inputs.size() && i < outputs.size(); ++i) {
    const std::string outputFolder = folderOfFile(outputs[i]);
    // A FIFO or device cannot be read twice: its libraries are not looked for.
    if (!isRegularFile(inputs[i]) || sameFile(folderOfFile(inputs[i]), outputFolder)) continue;
    const FileReferences libraries = materialLibrariesOf(inputs[i]);
    if (auto failure = planner.copyLibraries(inputs[i], scopeOf(inputs[i], outputs[i], tree),
                                             libraries.names, i)) {
      return failure;
    }
  }
  planner.finish();
  return std::nullopt;
}
