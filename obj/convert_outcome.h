#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

enum class ConvertStatus { converted, openFailed, shortVertexLine, convertFailed, writeFailed };

// What reading (and converting, and writing) one OBJ file, or one block of it, came to.
struct ConvertOutcome {
  ConvertStatus status = ConvertStatus::converted;
  // shortVertexLine: a vertex line with fewer than three numbers, a NUL byte in one, or one
  // that is not wholly a number (readVertexNumbers).
  // For shortVertexLine and convertFailed: the 1-based physical line where the vertex line
  // starts. 0 otherwise.
  std::uint64_t line = 0;
  // Why it failed, e.g. "v line has 2 numbers, needs 3", "vertex (1, 2, nan) could not be
  // converted: <the conversion's reason>", "cannot open: No such file or directory". Empty
  // when converted.
  std::string detail;
  std::uint64_t vertexCount = 0;  // vertex lines converted
  // converted: what the user should hear of although the file was written (a file without
  // any vertex line, noVertexLineWarning), without the path.
  std::vector<std::string> warnings;
  // What the file's "mtllib" lines name (materialLibraryArguments: the names, blank-separated,
  // or one name holding blanks; see resolveLibraryArguments), each text once, in file order.
  std::vector<std::string> materialLibraries;

  bool converted() const { return status == ConvertStatus::converted; }

  // The one way a failure is made.
  static ConvertOutcome failed(ConvertStatus status, std::uint64_t line, std::string detail) {
    ConvertOutcome outcome;
    outcome.status = status;
    outcome.line = line;
    outcome.detail = std::move(detail);
    return outcome;
  }
};
