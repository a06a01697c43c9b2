#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The statements of OBJ and MTL files that name other files, read from one logical line's
// text (continuations joined, no line end; see ObjLineReader::readText).

// "mtllib a.mtl b.mtl": the material libraries named, split at blanks (' ', '\t'), in the
// order given. Empty when the line's first token is not "mtllib".
std::vector<std::string> materialLibraryNames(std::string_view line);

// The text after "mtllib", blanks at its ends cut ("a.mtl b.mtl", "my materials.mtl"); empty
// when the line's first token is not "mtllib" or nothing follows it.
std::string materialLibraryArguments(std::string_view line);

// The libraries an "mtllib" line with these arguments names: the names split at blanks, unless
// one of them is not a file (`isFile` false) while the whole text is: then that one file
// ("mtllib my materials.mtl" beside "my materials.mtl", as Blender reads it).
template <typename IsFile>
std::vector<std::string> libraryNamesOf(const std::string& arguments, IsFile isFile) {
  std::vector<std::string> split = materialLibraryNames("mtllib " + arguments);
  if (split.size() < 2) return split;
  for (const std::string& name : split) {
    if (!isFile(name)) return isFile(arguments) ? std::vector<std::string>{arguments} : split;
  }
  return split;
}

// A texture map statement of an MTL file (map_Kd, map_Ka, map_Ks, map_Ke, map_Ns, map_d, any
// other map_*, bump, disp, decal, norm, refl): the file it names, after the statement's
// options, each skipped with its arguments (-blendu/-blendv/-cc/-clamp on|off, -bm f,
// -boost f, -texres n, -imfchan c, -type name, -colorspace name: one; -mm base gain: two;
// -o/-s/-t u [v [w]]: up to three numbers). The name is the rest of the line, blanks inside it
// kept, trailing blanks cut ("map_Kd -s 1 1 1 tex/a b.jpg" names "tex/a b.jpg"). None for
// another statement or when no name is left.
std::optional<std::string> textureMapName(std::string_view line);

// A name given in an OBJ or MTL file as a path relative to the folder of that file, with
// '/' as the separator ('\\' too: files written on Windows), "." and ".." resolved; none when
// it leaves that folder (a leading "..", an absolute path, a drive letter such as "C:") or
// names nothing. "tex/./a.jpg" is "tex/a.jpg", "tex/../a.jpg" is "a.jpg".
std::optional<std::string> pathWithinFolder(std::string_view name);

// True when `name` is an absolute path on some system: a leading '/' or '\\', or a drive
// letter ("C:").
[[nodiscard]] bool namesAbsolutePath(std::string_view name);
