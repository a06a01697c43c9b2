// libFuzzer target for the OBJ block reader and the vertex-line rewriter. Arbitrary bytes go
//   1. through ObjLineReader from memory, at a block size taken from the input and at a size
//      larger than any input, and must give exactly the kinds, copied bytes, tokens and line
//      numbers of the string model of the line rules;
//   2. through the block path from a file (convertFileInBlocks, tiny blocks, on the calling
//      thread and on 2 and 7 threads), and must give the status, failing line and output
//      bytes that the model gives with C's strtod (each number whole) and "%f";
//   3. through the base-point scan (the run's, and the block path's scan with tiny blocks).
// Any difference aborts with both results on standard error.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../obj/reference_obj_reader.h"
#include "obj/block_pipeline.h"
#include "obj/function_conversion.h"
#include "obj/obj_line_reader.h"
#include "obj/text_sink.h"
#include "obj/vertex_bounds.h"
#include "run/computed_base_point.h"

namespace {

// x * 2, y + 1, z unchanged; refuses x above 1e6 so that the failure path is taken too.
const auto kConversion = [](const double in[3], double out[3]) {
  if (in[0] > 1e6) return false;
  out[0] = in[0] * 2.0;
  out[1] = in[1] + 1.0;
  out[2] = in[2];
  return true;
};

[[noreturn]] void mismatch(const std::string& what, const std::string& bytes) {
  std::fprintf(stderr, "obj_reader_fuzz: %s (input of %zu bytes)\n", what.c_str(), bytes.size());
  std::abort();
}

void checkReader(const std::string& bytes, std::size_t blockSize,
                 const std::vector<reference::Line>& expected) {
  ObjLineReader reader(blockSize);
  reader.openMemory(bytes);
  std::size_t index = 0;
  while (reader.readObjLine()) {
    const std::string where = "line " + std::to_string(index) + ", block size " +
                              std::to_string(blockSize) + ": ";
    if (index == expected.size()) mismatch(where + "more lines than the model", bytes);
    const reference::Line& line = expected[index++];
    if (reader.lineNumber() != line.lineNumber) mismatch(where + "line number differs", bytes);
    if (reader.isVertexLine() != line.vertex()) mismatch(where + "kind differs", bytes);
    std::string copied;
    TextSink sink(copied);
    if (!reader.isVertexLine()) {
      if (!reader.copyLine(sink) || copied != line.raw) mismatch(where + "bytes differ", bytes);
      continue;
    }
    const std::size_t count = reader.readNumbers();
    if (count != std::min<std::size_t>(3, line.runs.size() - 1)) {
      mismatch(where + "number count differs", bytes);
    }
    std::string extras;
    for (std::size_t t = 1; t < line.runs.size(); ++t) {
      if (t < 4 && reader.number(t - 1) != reference::token(line.runs[t])) {
        mismatch(where + "number differs", bytes);
      }
      if (t >= 4) extras.append(" ").append(reference::token(line.runs[t]));
    }
    if (!reader.copyExtras(sink) || copied != extras + line.lineEnd) {
      mismatch(where + "extra tokens differ", bytes);
    }
  }
  if (reader.failed()) mismatch("memory reader failed: " + reader.error(), bytes);
  if (index != expected.size()) mismatch("fewer lines than the model", bytes);
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The block path with `workers` threads (1: on the calling thread), blocks of about
// `blockSize` bytes, cut at logical line ends.
void checkRewriter(const std::string& bytes, const std::string& folder, std::size_t blockSize,
                   unsigned workers) {
  const std::string input = folder + "/in.obj";
  const std::string output = folder + "/out.obj";
  std::remove(output.c_str());
  std::ofstream(input, std::ios::binary) << bytes;

  const reference::Outcome expected = reference::convertText(bytes, kConversion);
  const ConvertOutcome outcome =
      convertFileThrough(kConversion, input, output, workers, blockSize);
  const bool written = std::filesystem::exists(output);
  switch (expected.status) {
    case reference::Status::converted:
      if (outcome.status != ConvertStatus::converted) {
        mismatch("rewriter failed: " + outcome.detail, bytes);
      }
      if (outcome.vertexCount != expected.vertexCount) mismatch("vertex count differs", bytes);
      if (readBytes(output) != expected.text) mismatch("output text differs", bytes);
      return;
    case reference::Status::shortVertexLine:
      if (outcome.status != ConvertStatus::shortVertexLine) mismatch("short line missed", bytes);
      break;
    case reference::Status::convertFailed:
      if (outcome.status != ConvertStatus::convertFailed) mismatch("failure missed", bytes);
      break;
  }
  if (outcome.line != expected.line) mismatch("failing line number differs", bytes);
  if (outcome.detail.empty()) mismatch("failure without a reason", bytes);
  if (written) mismatch("output written despite a failure", bytes);
}

// The bounds scan over the file written by checkRewriter: the model's vertex lines, each number
// whole as strtod reads it, NaN moving no bound, and the first bad vertex line failing.
void checkBounds(const std::string& bytes, const std::string& folder, std::size_t blockSize,
                 const std::vector<reference::Line>& lines) {
  VertexBounds expected;
  for (const reference::Line& line : lines) {
    if (!line.vertex()) continue;
    bool nul = false;
    for (std::size_t t = 1; t < 4 && t < line.runs.size(); ++t) {
      nul = nul || line.runs[t].find('\0') != std::string::npos;
    }
    double xyz[3] = {0.0, 0.0, 0.0};
    bool whole = line.runs.size() >= 4 && !nul;
    for (std::size_t axis = 0; whole && axis < 3; ++axis) {
      whole = reference::wholeNumber(line.runs[axis + 1], xyz[axis]);
    }
    if (!whole) {
      expected.status = VertexBounds::Status::shortVertexLine;
      expected.line = line.lineNumber;
      break;
    }
    expected.add(xyz);
    ++expected.vertexCount;
  }
  const VertexBounds bounds = scanBatchBounds({folder + "/in.obj"}, 1);
  if (bounds.status != expected.status) mismatch("bounds status differs", bytes);
  if (bounds.status != VertexBounds::Status::ok) {
    if (bounds.line != expected.line) mismatch("bounds failing line differs", bytes);
    return;
  }
  if (bounds.vertexCount != expected.vertexCount) mismatch("bounds count differs", bytes);
  // Bounds are copies of parsed numbers: compared exactly.
  if (bounds.min != expected.min || bounds.max != expected.max) mismatch("bounds differ", bytes);
  // The block path's scan (nothing written) with tiny blocks sees the same vertices.
  Bounds3 blocks;
  const auto grow = [&blocks](const double in[3], double out[3]) {
    blocks.add(in);
    out[0] = out[1] = out[2] = 0.0;
    return true;
  };
  const ConvertOutcome scan =
      convertFileThrough(grow, folder + "/in.obj", std::string(), 1, blockSize);
  if (scan.vertexCount != expected.vertexCount) mismatch("scanned count differs", bytes);
  if (blocks.min != expected.min || blocks.max != expected.max) {
    mismatch("scanned bounds differ", bytes);
  }
}

// A private folder for the two files of each run, removed when the process exits.
class WorkFolder {
 public:
  WorkFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "obj_reader_fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~WorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::string& workFolder() {
  static const WorkFolder folder;
  return folder.path();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<reference::Line> expected = reference::logicalLines(bytes);
  // Block sizes 1..16, from the input, so the fuzzer moves the boundaries around.
  const std::size_t smallBlock = size == 0 ? 1 : 1 + data[size - 1] % 16;
  checkReader(bytes, smallBlock, expected);
  checkReader(bytes, 4096, expected);  // larger than any input: no boundary
  checkRewriter(bytes, workFolder(), smallBlock, 1);
  // The block path with blocks of 1..16 bytes: cuts at nearly every logical line end, which the
  // cutter must find (never inside a CR LF or after a "\\"); 2 and 7 threads.
  checkRewriter(bytes, workFolder(), smallBlock, 2);
  checkRewriter(bytes, workFolder(), smallBlock, 7);
  checkBounds(bytes, workFolder(), smallBlock, expected);
  return 0;
}
