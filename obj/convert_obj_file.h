#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "obj/obj_line_reader.h"
#include "obj/vertex_conversion.h"

enum class ConvertStatus { converted, openFailed, shortVertexLine, convertFailed, writeFailed };

struct ConvertOutcome {
  ConvertStatus status = ConvertStatus::converted;
  // For shortVertexLine and convertFailed: the 1-based physical line where the vertex line
  // starts. 0 otherwise.
  std::uint64_t line = 0;
  // Why it failed, e.g. "v line has 2 numbers, needs 3", "vertex (1, 2, nan) could not be
  // converted", "cannot open: No such file or directory". Empty when converted.
  std::string detail;
  std::uint64_t vertexCount = 0;  // vertex lines converted
};

// Converts one OBJ file into `outputPath`, streaming, line by line (see ObjLineReader for
// what a logical line and a token are):
//   - a line without tokens is dropped;
//   - a line whose first token is not exactly "v" is written as read, then "\n";
//   - a vertex line needs three numbers after "v" (shortVertexLine otherwise). They are read
//     by atof's rules (0 when not numeric), converted into a zeroed point, and written as
//     "v X Y Z" in "%f" notation, followed by every further token (a w weight, vertex colours,
//     comment words), each after one blank, then "\n". A conversion that returns false or
//     gives a non-finite number is convertFailed.
// Every line thus ends in one "\n" (CR LF input becomes LF output).
//
// The input is opened before the output; the output goes to a temporary file beside
// `outputPath` that replaces it only when the whole file has been converted, so a failure
// leaves `outputPath` as it was, and the input may be `outputPath` itself.
ConvertOutcome convertObjFile(const std::string& inputPath, const std::string& outputPath,
                              VertexConversion convert,
                              std::size_t blockSize = ObjLineReader::kDefaultBlockSize);
