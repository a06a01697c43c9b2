#pragma once

#include <string>
#include <vector>

// The files an OBJ file's materials name, found by a light scan that looks at the first byte
// of each logical line and reads the text of only the lines it needs (the block reader of
// ObjLineReader, so continuations and every line end count as in the conversion).
struct FileReferences {
  std::vector<std::string> names;  // as written, in file order, each once
  std::string error;               // why the file could not be read; empty when it was
};

// The material libraries of every "mtllib" statement of the OBJ file at `path`, each line's
// names resolved against the OBJ's folder (see resolveLibraryArguments).
FileReferences materialLibrariesOf(const std::string& path);

// The libraries named by "mtllib" lines with these arguments (materialLibraryArguments), each
// line read by libraryNamesOf with a name being a file when it is a regular file relative to
// one of `folders` ('\\' taken as '/'); each name once, in the order named.
std::vector<std::string> resolveLibraryArguments(const std::vector<std::string>& arguments,
                                                 const std::vector<std::string>& folders);

// The texture maps named by the MTL file at `path` (see textureMapName).
FileReferences textureMapsOf(const std::string& path);
