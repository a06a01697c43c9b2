#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "coordinfo/bounds3.h"

// The bounding box of every vertex of a set of OBJ files, for the base point of the ENU
// frame. Only the first three numbers of each vertex line count (each wholly a number, see
// readVertexNumbers); a NaN coordinate does not move a bound.
struct VertexBounds : Bounds3 {  // x, y, z of every vertex read; empty without any
  enum class Status { ok, openFailed, shortVertexLine };

  Status status = Status::ok;
  std::string path;        // the file that failed
  std::uint64_t line = 0;  // for shortVertexLine: 1-based physical line of the vertex line
  std::string detail;      // e.g. "v line has 2 numbers, needs 3"
  std::uint64_t vertexCount = 0;
  // "<path>: <warning>" for each file without any vertex line (noVertexLineWarning).
  std::vector<std::string> warnings;
};

