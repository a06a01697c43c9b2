#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "obj/obj_line_reader.h"
#include "obj/progress_sink.h"
#include "obj/vertex_conversion.h"

enum class ConvertStatus { converted, openFailed, shortVertexLine, convertFailed, writeFailed };

struct ConvertOutcome {
  ConvertStatus status = ConvertStatus::converted;
  // shortVertexLine: a vertex line with fewer than three numbers, a NUL byte in one, or one
  // that is not wholly a number (readVertexNumbers).
  // For shortVertexLine and convertFailed: the 1-based physical line where the vertex line
  // starts. 0 otherwise.
  std::uint64_t line = 0;
  // Why it failed, e.g. "v line has 2 numbers, needs 3", "vertex (1, 2, nan) could not be
  // converted", "cannot open: No such file or directory". Empty when converted.
  std::string detail;
  std::uint64_t vertexCount = 0;  // vertex lines converted
  // converted: what the user should hear of although the file was written (a file without
  // any vertex line, noVertexLineWarning), without the path.
  std::vector<std::string> warnings;
  // What the file's "mtllib" lines name (materialLibraryArguments: the names, blank-separated,
  // or one name holding blanks; see resolveLibraryArguments), each text once, in file order.
  std::vector<std::string> materialLibraries;
};

// Converts one OBJ file into `outputPath`, streaming (see ObjLineReader for what a logical
// line, a vertex line and a token are):
//   - a line that is not a vertex line is written exactly as read: comments, empty and blank
//     lines, continuations, its line end (LF, CR LF, lone CR, or none at the end);
//   - a vertex line needs three numbers after "v", each wholly a number (shortVertexLine
//     otherwise, see readVertexNumbers). They are converted into a zeroed point, and written
//     as "v X Y Z" in "%f" notation, followed by
//     every further token (a w weight, vertex colours, comment words), each after one blank,
//     then the line end of the line's last physical line. A conversion that returns false or
//     gives a non-finite number is convertFailed.
// So an identity conversion changes nothing but the text of the numbers of vertex lines and
// the blanks between the tokens of vertex lines. A UTF-8 byte-order mark that starts the file
// is written back before the first line, whatever its kind; a file without any vertex line
// converts with a warning.
//
// The input is opened before the output; the output goes to a temporary file beside
// `outputPath` that replaces it only when the whole file has been converted, so a failure
// leaves `outputPath` as it was.
// `progress` (when not null) is told the bytes read after each block.
// The rewriting itself, shared by convertObjFile and the threaded path: every logical line of
// `reader` (opened on a file or on a block of memory) goes to `output` as described above.
// Line numbers are the reader's. writeFailed (with an empty detail) when `output` refused;
// openFailed when the reader failed.
ConvertOutcome rewriteObjLines(ObjLineReader& reader, ObjSink& output, VertexConversion convert);
// The same reading with nothing written (a scan): each vertex converted one at a time, the
// other lines passed over; the outcome is rewriteObjLines's but for the libraries named.
ConvertOutcome scanObjLines(ObjLineReader& reader, VertexConversion convert);

ConvertOutcome convertObjFile(const std::string& inputPath, const std::string& outputPath,
                              VertexConversion convert,
                              std::size_t blockSize = ObjLineReader::kDefaultBlockSize,
                              ProgressSink* progress = nullptr);
