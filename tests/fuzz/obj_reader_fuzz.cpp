// libFuzzer target for the OBJ block reader and the vertex-line rewriter. Arbitrary bytes go
//   1. through ObjLineReader from memory, at a block size taken from the input and at a size
//      larger than any input, and must give exactly the kinds, copied bytes, tokens and line
//      numbers of the string model of the line rules;
//   2. through convertObjFile from a file, and through the block path (convertObjFileParallel,
//      tiny blocks, 2 and 7 threads), and must give the status, failing line and output
//      bytes that the model gives with C's strtod (each number whole) and "%f".
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
#include "obj/convert_obj_file.h"
#include "obj/obj_line_reader.h"
#include "obj/parallel_obj_convert.h"
#include "obj/vertex_bounds.h"

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

struct StringSink : ObjSink {
  std::string bytes;
  bool write(std::string_view more) override {
    bytes.append(more);
    return true;
  }
};

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
    StringSink sink;
    if (!reader.isVertexLine()) {
      if (!reader.copyLine(sink) || sink.bytes != line.raw) mismatch(where + "bytes differ", bytes);
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
    if (!reader.copyExtras(sink) || sink.bytes != extras + line.lineEnd) {
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

// The block path's side of the same conversion: no order-dependent state to settle.
class ConversionWorker : public BlockWorker {
 public:
  void beginBlock() override {}
  bool convert(const double in[3], double out[3], std::string* why) override {
    if (kConversion(in, out)) return true;
    *why = "x above 1e6";
    return false;
  }
  std::unique_ptr<BlockNotes> endBlock() override { return std::make_unique<BlockNotes>(); }
};

class ConversionSettler : public BlockSettler {
 public:
  std::unique_ptr<BlockWorker> makeWorker() override {
    return std::make_unique<ConversionWorker>();
  }
  bool settle(BlockNotes&) override { return true; }
};

// `workers` = 0: the one-thread streaming rewriter; else the block path with that many threads
// (blocks of about `blockSize` bytes, cut at logical line ends).
void checkRewriter(const std::string& bytes, const std::string& folder, std::size_t blockSize,
                   unsigned workers = 0) {
  const std::string input = folder + "/in.obj";
  const std::string output = folder + "/out.obj";
  std::remove(output.c_str());
  std::ofstream(input, std::ios::binary) << bytes;

  const reference::Outcome expected = reference::convertText(bytes, kConversion);
  ConversionSettler settler;
  const ConvertOutcome outcome =
      workers == 0 ? convertObjFile(input, output, kConversion, blockSize)
                   : convertObjFileParallel(input, output, settler, workers, blockSize);
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
  const VertexBounds bounds = scanVertexBounds({folder + "/in.obj"}, blockSize);
  if (bounds.status != expected.status) mismatch("bounds status differs", bytes);
  if (bounds.status != VertexBounds::Status::ok) {
    if (bounds.line != expected.line) mismatch("bounds failing line differs", bytes);
    return;
  }
  if (bounds.vertexCount != expected.vertexCount) mismatch("bounds count differs", bytes);
  // Bounds are copies of parsed numbers: compared exactly.
  if (bounds.min != expected.min || bounds.max != expected.max) mismatch("bounds differ", bytes);
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
  checkRewriter(bytes, workFolder(), smallBlock);
  // The block path with blocks of 1..16 bytes: cuts at nearly every logical line end, which the
  // cutter must find (never inside a CR LF or after a "\\"); 2 and 7 threads.
  checkRewriter(bytes, workFolder(), smallBlock, 2);
  checkRewriter(bytes, workFolder(), smallBlock, 7);
  checkBounds(bytes, workFolder(), smallBlock, expected);
  return 0;
}
