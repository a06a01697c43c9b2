#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/file_identity.h"

// What a path is to a run, for the messages of a clash.
enum class PathRole {
  input,       // read: an OBJ file converted
  coordinate,  // read: the coordinate file
  library,     // read: a material library copied or linked
  map,         // read: a texture map copied or linked
  output,      // written: a converted OBJ file
  base,        // written: the base file
  report,      // written: the report
  material,    // written: a copied or linked material library or map
  metadataRead,     // read: the production's metadata.xml
  metadataWritten,  // written: the metadata.xml beside the outputs
  list,        // read: the -filesfrom list
  boundsPart,  // read: a bounds file -mergebounds merges
  bounds,      // written: the -boundsonly file
  manifest,    // written: the -manifest file
};

// "the input", "the coordinate file", ... as a message names a path of that role.
const char* pathRoleName(PathRole role);

// The absolute, normalised name of a path that may not exist yet: links of the part that
// exists are followed, "." and ".." removed; letter case folded on Windows, where names compare
// without it. Empty when the system cannot resolve it (then only the file identity compares).
std::string resolvedName(const std::string& path);

// The paths of a run by role, to find any two that are one file (through links and hard
// links) or one name.
class PathRegistry {
 public:
  // The path already registered that `path` is, with its role, or null.
  const std::pair<PathRole, std::string>* find(const std::string& path) const;
  void add(PathRole role, const std::string& path);

 private:
  std::map<FileIdentity, std::pair<PathRole, std::string>> byIdentity_;
  std::map<std::string, std::pair<PathRole, std::string>> byName_;
};
