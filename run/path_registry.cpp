#include "run/path_registry.h"

#include <exception>
#include <filesystem>
#include <system_error>

const char* pathRoleName(PathRole role) {
  switch (role) {
    case PathRole::input: return "the input";
    case PathRole::coordinate: return "the coordinate file";
    case PathRole::library: return "the material library";
    case PathRole::map: return "the texture map";
    case PathRole::output: return "the output";
    case PathRole::base: return "the base file";
    case PathRole::report: return "the report file";
    case PathRole::material: return "the material file";
    case PathRole::metadataRead: return "the metadata.xml read";
    case PathRole::metadataWritten: return "the metadata.xml written";
    case PathRole::list: return "the list file";
    case PathRole::boundsPart: return "the bounds file to merge";
    case PathRole::bounds: return "the bounds file";
    case PathRole::manifest: return "the manifest";
  }
  return "";
}

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

const std::pair<PathRole, std::string>* PathRegistry::find(const std::string& path) const {
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

void PathRegistry::add(PathRole role, const std::string& path) {
  if (const auto identity = fileIdentity(path)) {
    byIdentity_.emplace(*identity, std::pair{role, path});
  }
  const std::string name = resolvedName(path);
  if (!name.empty()) byName_.emplace(name, std::pair{role, path});
}
