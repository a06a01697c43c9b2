#include "obj/convert_obj_file.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/number_text.h"

namespace {

// Gathers output lines and hands them to the writer in chunks of about kChunk bytes, so the
// writer is called once per chunk, not twice per line.
class OutputChunks {
 public:
  static constexpr std::size_t kChunk = std::size_t{1} << 20;

  explicit OutputChunks(AtomicFileWriter& writer) : writer_(writer) {}

  // Room for `bytes` more bytes; false when a write failed.
  [[nodiscard]] bool reserve(std::size_t bytes) {
    return chunk_.size() + bytes <= kChunk || flush();
  }
  void append(std::string_view bytes) { chunk_.append(bytes); }
  void append(char c) { chunk_.push_back(c); }

  // A line with its "\n"; a line longer than a chunk goes to the writer directly.
  [[nodiscard]] bool line(std::string_view text) {
    if (!reserve(text.size() + 1)) return false;
    if (text.size() >= kChunk) return writer_.write(text) && writer_.write("\n");
    append(text);
    append('\n');
    return true;
  }

  [[nodiscard]] bool flush() {
    const bool ok = writer_.write(chunk_);
    chunk_.clear();
    return ok;
  }

 private:
  AtomicFileWriter& writer_;
  std::string chunk_;
};

// Shortest text that reads back as the same double ("1", "0.1", "nan", "-inf").
std::string shortNumber(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string pointText(const double p[3]) {
  std::string text = "(";
  text.append(shortNumber(p[0])).append(", ").append(shortNumber(p[1])).append(", ");
  return text.append(shortNumber(p[2])).append(")");
}

ConvertOutcome failure(ConvertStatus status, std::uint64_t line, std::string detail) {
  ConvertOutcome outcome;
  outcome.status = status;
  outcome.line = line;
  outcome.detail = std::move(detail);
  return outcome;
}

}  // namespace

ConvertOutcome convertObjFile(const std::string& inputPath, const std::string& outputPath,
                              VertexConversion convert, std::size_t blockSize) {
  ObjLineReader reader(blockSize);
  if (!reader.openFile(inputPath)) return failure(ConvertStatus::openFailed, 0, reader.error());
  // Opened after the input, so that converting a file onto itself reads the original.
  AtomicFileWriter writer;
  if (!writer.open(outputPath)) return failure(ConvertStatus::writeFailed, 0, writer.error());
  OutputChunks output(writer);

  // "v " + three numbers with a blank after each of the first two.
  constexpr std::size_t kVertexTextMax = 2 + 3 * kFixed6MaxChars + 2;
  std::uint64_t vertexCount = 0;
  while (reader.readObjLine()) {
    const std::vector<std::string_view>& tokens = reader.tokens();
    if (tokens.empty()) continue;
    if (tokens.front() != "v") {
      if (!output.line(reader.line())) break;
      continue;
    }
    if (tokens.size() < 4) {
      return failure(ConvertStatus::shortVertexLine, reader.lineNumber(),
                     shortVertexLineDetail(tokens.size() - 1));
    }
    const double in[3] = {parseAtof(tokens[1]), parseAtof(tokens[2]), parseAtof(tokens[3])};
    double out[3] = {0.0, 0.0, 0.0};
    if (!convert(in, out)) {
      return failure(ConvertStatus::convertFailed, reader.lineNumber(),
                     "vertex " + pointText(in) + " could not be converted");
    }
    if (!std::isfinite(out[0]) || !std::isfinite(out[1]) || !std::isfinite(out[2])) {
      return failure(ConvertStatus::convertFailed, reader.lineNumber(),
                     "vertex " + pointText(in) + " could not be converted: the result " +
                         pointText(out) + " is not finite");
    }
    ++vertexCount;

    char text[kVertexTextMax];
    char* p = text;
    *p++ = 'v';
    *p++ = ' ';
    p = formatFixed6(p, out[0]);
    *p++ = ' ';
    p = formatFixed6(p, out[1]);
    *p++ = ' ';
    p = formatFixed6(p, out[2]);
    std::size_t extra = 0;
    for (std::size_t i = 4; i < tokens.size(); ++i) extra += 1 + tokens[i].size();
    if (!output.reserve(static_cast<std::size_t>(p - text) + extra + 1)) break;
    output.append(std::string_view(text, static_cast<std::size_t>(p - text)));
    for (std::size_t i = 4; i < tokens.size(); ++i) {
      output.append(' ');
      output.append(tokens[i]);
    }
    output.append('\n');
  }
  if (reader.failed()) return failure(ConvertStatus::openFailed, 0, reader.error());
  if (!output.flush() || !writer.commit()) {
    return failure(ConvertStatus::writeFailed, 0, writer.error());
  }
  ConvertOutcome outcome;
  outcome.vertexCount = vertexCount;
  return outcome;
}
