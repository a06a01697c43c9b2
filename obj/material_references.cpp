#include "obj/material_references.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "obj/block_cutter.h"
#include "obj/material_statements.h"
#include "obj/obj_line_reader.h"
#include "platform/file_identity.h"
#include "platform/filesystem.h"
#include "platform/path_parts.h"

namespace {

// Blocks of whole logical lines; a longer line makes the rest of the file stream.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr std::size_t kMaxBlockBytes = std::size_t{4} << 20;
// A reader for a line or two: its block only needs to hold a line's start.
constexpr std::size_t kLineReaderBytes = std::size_t{4} << 10;

void addOnce(std::vector<std::string>& names, std::string name) {
  if (std::find(names.begin(), names.end(), name) == names.end()) {
    names.push_back(std::move(name));
  }
}

// The arguments of an "mtllib" line, each text once (resolved at the end).
void addLibraries(const std::string& line, std::vector<std::string>& arguments) {
  if (std::string text = materialLibraryArguments(line); !text.empty()) {
    addOnce(arguments, std::move(text));
  }
}

bool isFileFrom(const std::string& folder, std::string name) {
#ifndef _WIN32
  std::replace(name.begin(), name.end(), '\\', '/');
#endif
  return isRegularFile(namesAbsolutePath(name) ? name : joinPath(folder, name));
}

// From the logical line the reader is about to read on: every line whose first byte is
// `first` (any line when 0) goes to `take` as text.
template <typename Take>
void takeLines(ObjLineReader& reader, int first, Take take) {
  while (reader.readObjLine()) {
    if (first == 0 || reader.firstByte() == first) take(reader.readText());
  }
}

// The "mtllib" lines of a block of whole logical lines. Such a line's first token starts with
// the byte 'm', which is in the block as such (continuations only remove bytes), so only the
// logical lines holding an 'm' are read, each from its start: the rest of the block is passed
// over at the speed of memchr.
void librariesInBlock(std::string_view block, bool fileStart, std::vector<std::string>& names) {
  std::size_t readFrom = std::string_view::npos;
  for (std::size_t m = block.find('m'); m != std::string_view::npos; m = block.find('m', m + 1)) {
    // The byte after the cut is the 'm', not a "\n": a "\r" before it is a line end whole.
    const std::size_t start = lastLogicalLineEnd(block.substr(0, m), true);
    if (start == readFrom) continue;  // the line was read for an 'm' before this one
    readFrom = start;
    ObjLineReader reader(kLineReaderBytes);
    reader.openMemory(block.substr(start), fileStart && start == 0);
    if (reader.readObjLine() && reader.firstByte() == 'm') addLibraries(reader.readText(), names);
  }
}

}  // namespace

FileReferences materialLibrariesOf(const std::string& path) {
  FileReferences references;
  BlockCutter cutter(kBlockBytes, kMaxBlockBytes);
  if (!cutter.open(path)) {
    references.error = cutter.error();
    return references;
  }
  std::string block;
  for (bool first = true; cutter.next(block); first = false) {
    librariesInBlock(block, first, references.names);
  }
  if (cutter.tooLong()) {
    ObjLineReader reader(kBlockBytes);
    if (reader.openFile(path, cutter.consumed())) {
      takeLines(reader, 'm',
                [&](const std::string& line) { addLibraries(line, references.names); });
    }
    references.error = reader.error();
  } else {
    references.error = cutter.error();
  }
  references.names = resolveLibraryArguments(references.names, {folderOfFile(path)});
  return references;
}

std::vector<std::string> resolveLibraryArguments(const std::vector<std::string>& arguments,
                                                 const std::vector<std::string>& folders) {
  const auto isFile = [&folders](const std::string& name) {
    return std::any_of(folders.begin(), folders.end(),
                       [&name](const std::string& folder) { return isFileFrom(folder, name); });
  };
  std::vector<std::string> names;
  for (const std::string& text : arguments) {
    for (std::string& name : libraryNamesOf(text, isFile)) addOnce(names, std::move(name));
  }
  return names;
}

FileReferences textureMapsOf(const std::string& path) {
  FileReferences references;
  ObjLineReader reader(kBlockBytes);
  if (reader.openFile(path)) {
    takeLines(reader, 0, [&](const std::string& line) {
      if (std::optional<std::string> name = textureMapName(line)) {
        addOnce(references.names, std::move(*name));
      }
    });
  }
  references.error = reader.error();
  return references;
}
