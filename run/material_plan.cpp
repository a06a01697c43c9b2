#include "run/material_plan.h"

#include <algorithm>
#include <map>
#include <utility>

#include "obj/material_references.h"
#include "obj/material_statements.h"
#include "platform/file_copy.h"
#include "platform/file_identity.h"
#include "platform/filesystem.h"
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

class MaterialPlanner {
 public:
  MaterialPlanner(WrittenPaths& written, MaterialPlan& plan) : written_(written), plan_(plan) {}

  // The libraries of `input` (converted into `outputFolder`) and their maps.
  std::optional<RunFailure> copyLibraries(const std::string& input,
                                          const std::string& outputFolder,
                                          const std::vector<std::string>& libraries,
                                          std::size_t index) {
    const std::string inputFolder = folderOfFile(input);
    for (const std::string& name : libraries) {
      const std::optional<std::string> relative = pathWithinFolder(name);
      const auto source = sourceOf(relative, "material library", name, input, inputFolder);
      if (!source) continue;
      if (auto failure = add(*source, joinRelative(outputFolder, *relative), index)) return failure;
      const std::string mapFolder = relativeFolder(*relative);
      for (const std::string& map : mapsOf(*source)) {
        const std::optional<std::string> mapRelative =
            namesAbsolutePath(map) ? std::nullopt
                                   : pathWithinFolder(mapFolder.empty() ? map
                                                                        : mapFolder + "/" + map);
        const auto mapSource = sourceOf(mapRelative, "map", map, *source, inputFolder);
        if (!mapSource) continue;
        if (auto failure = add(*mapSource, joinRelative(outputFolder, *mapRelative), index)) {
          return failure;
        }
      }
    }
    return std::nullopt;
  }

 private:
  void warn(std::string warning) {
    for (const std::string& said : plan_.warnings) {
      if (said == warning) return;
    }
    plan_.warnings.push_back(std::move(warning));
  }

  // The file a name within the OBJ's folder (`relative`) brings; none, with a warning, when
  // the name leaves that folder or the file does not exist.
  std::optional<std::string> sourceOf(const std::optional<std::string>& relative,
                                      const char* what, const std::string& name,
                                      const std::string& namedBy, const std::string& objFolder) {
    if (!relative) {
      warn(quoted(namedBy) + " names the " + what + " " + quoted(name) +
           " outside the folder of its OBJ file: not copied");
      return std::nullopt;
    }
    std::string source = joinRelative(objFolder, *relative);
    if (!isRegularFile(source)) {
      warn("the " + std::string(what) + " " + quoted(source) + " named by " + quoted(namedBy) +
           " does not exist: not copied");
      return std::nullopt;
    }
    return source;
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
    std::string key = resolvedName(destination);
    if (key.empty()) key = destination;
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
};

}  // namespace

void MissingLibraries::note(const std::string& input, const std::string& output,
                            const std::vector<std::string>& names) {
  const std::string inputFolder = folderOfFile(input);
  const std::string outputFolder = folderOfFile(output);
  if (names.empty() || sameFile(inputFolder, outputFolder)) return;
  for (const std::string& name : names) {
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
                                        MaterialsChoice choice, WrittenPaths& written,
                                        MaterialPlan& plan) {
  if (choice == MaterialsChoice::none) return std::nullopt;  // MissingLibraries, as converted
  MaterialPlanner planner(written, plan);
  for (std::size_t i = 0; i < inputs.size() && i < outputs.size(); ++i) {
    const std::string outputFolder = folderOfFile(outputs[i]);
    // A FIFO or device cannot be read twice: its libraries are not looked for.
    if (!isRegularFile(inputs[i]) || sameFile(folderOfFile(inputs[i]), outputFolder)) continue;
    const FileReferences libraries = materialLibrariesOf(inputs[i]);
    if (auto failure = planner.copyLibraries(inputs[i], outputFolder, libraries.names, i)) {
      return failure;
    }
  }
  return std::nullopt;
}
