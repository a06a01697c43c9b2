#include "obj/material_references.h"

#include <algorithm>
#include <optional>

#include "obj/material_statements.h"
#include "obj/obj_line_reader.h"

namespace {

void addOnce(std::vector<std::string>& names, std::string name) {
  if (std::find(names.begin(), names.end(), name) == names.end()) {
    names.push_back(std::move(name));
  }
}

// Every logical line of `path` whose first byte is `first` (any line when 0) goes to `take`
// as text.
template <typename Take>
FileReferences scan(const std::string& path, int first, Take take) {
  FileReferences references;
  ObjLineReader reader(std::size_t{1} << 20);
  if (!reader.openFile(path)) {
    references.error = reader.error();
    return references;
  }
  while (reader.readObjLine()) {
    if (first == 0 || reader.firstByte() == first) take(reader.readText(), references.names);
  }
  references.error = reader.error();
  return references;
}

}  // namespace

FileReferences materialLibrariesOf(const std::string& path) {
  return scan(path, 'm', [](const std::string& line, std::vector<std::string>& names) {
    for (std::string& name : materialLibraryNames(line)) addOnce(names, std::move(name));
  });
}

FileReferences textureMapsOf(const std::string& path) {
  return scan(path, 0, [](const std::string& line, std::vector<std::string>& names) {
    if (std::optional<std::string> name = textureMapName(line)) addOnce(names, std::move(*name));
  });
}
