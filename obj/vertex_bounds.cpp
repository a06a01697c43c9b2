#include "obj/vertex_bounds.h"

#include "platform/number_text.h"

VertexBounds scanVertexBounds(const std::vector<std::string>& files, std::size_t blockSize) {
  VertexBounds bounds;
  auto fail = [&bounds](VertexBounds::Status status, const std::string& path, std::uint64_t line,
                        std::string detail) {
    bounds.status = status;
    bounds.path = path;
    bounds.line = line;
    bounds.detail = std::move(detail);
    return bounds;
  };
  ObjLineReader reader(blockSize);  // one block for all files
  for (const std::string& path : files) {
    if (!reader.openFile(path)) {
      return fail(VertexBounds::Status::openFailed, path, 0, reader.error());
    }
    while (reader.readObjLine()) {
      if (!reader.isVertexLine()) continue;
      const std::size_t numbers = reader.readNumbers();
      if (numbers < 3 || reader.numberWithNul() != 0) {
        return fail(VertexBounds::Status::shortVertexLine, path, reader.lineNumber(),
                    numbers < 3 ? shortVertexLineDetail(numbers)
                                : nulInVertexLineDetail(reader.numberWithNul()));
      }
      for (int axis = 0; axis < 3; ++axis) {
        const double value = parseAtof(reader.number(static_cast<std::size_t>(axis)));
        // Written as comparisons so that NaN (all comparisons false) leaves the bound alone.
        if (value < bounds.min[axis]) bounds.min[axis] = value;
        if (value > bounds.max[axis]) bounds.max[axis] = value;
      }
      ++bounds.vertexCount;
    }
    if (reader.failed()) return fail(VertexBounds::Status::openFailed, path, 0, reader.error());
  }
  return bounds;
}
