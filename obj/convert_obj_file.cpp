#include "obj/convert_obj_file.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "platform/atomic_file.h"
#include "platform/number_text.h"

namespace {

// Gathers output bytes and hands them to the writer in chunks of about kChunk bytes, so the
// writer is called once per chunk, not once per line.
class OutputChunks : public ObjSink {
 public:
  static constexpr std::size_t kChunk = std::size_t{1} << 20;

  explicit OutputChunks(AtomicFileWriter& writer) : writer_(writer) {}

  // Pieces of a chunk or more go to the writer directly, without a copy.
  [[nodiscard]] bool write(std::string_view bytes) override {
    if (chunk_.size() + bytes.size() > kChunk && !flush()) return false;
    if (bytes.size() >= kChunk) return writer_.write(bytes);
    chunk_.append(bytes);
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

ConvertOutcome rewriteObjLines(ObjLineReader& reader, ObjSink& output,
                               VertexConversion convert) {
  // "v " + three numbers with a blank after each of the first two.
  constexpr std::size_t kVertexTextMax = 2 + 3 * kFixed6MaxChars + 2;
  std::uint64_t vertexCount = 0;
  while (reader.readObjLine()) {
    if (!reader.isVertexLine()) {
      if (!reader.copyLine(output)) return failure(ConvertStatus::writeFailed, 0, "");
      continue;
    }
    const std::size_t numbers = reader.readNumbers();
    if (numbers < 3) {
      return failure(ConvertStatus::shortVertexLine, reader.lineNumber(),
                     shortVertexLineDetail(numbers));
    }
    if (reader.numberWithNul() != 0) {
      return failure(ConvertStatus::shortVertexLine, reader.lineNumber(),
                     nulInVertexLineDetail(reader.numberWithNul()));
    }
    const double in[3] = {parseAtof(reader.number(0)), parseAtof(reader.number(1)),
                          parseAtof(reader.number(2))};
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
    if (!output.write(std::string_view(text, static_cast<std::size_t>(p - text))) ||
        !reader.copyExtras(output)) {
      return failure(ConvertStatus::writeFailed, 0, "");
    }
  }
  if (reader.failed()) return failure(ConvertStatus::openFailed, 0, reader.error());
  ConvertOutcome outcome;
  outcome.vertexCount = vertexCount;
  return outcome;
}

ConvertOutcome convertObjFile(const std::string& inputPath, const std::string& outputPath,
                              VertexConversion convert, std::size_t blockSize,
                              ProgressSink* progress) {
  ObjLineReader reader(blockSize);
  reader.setProgress(progress);
  if (!reader.openFile(inputPath)) return failure(ConvertStatus::openFailed, 0, reader.error());
  // Opened after the input, so that converting a file onto itself reads the original.
  AtomicFileWriter writer;
  if (!writer.open(outputPath)) return failure(ConvertStatus::writeFailed, 0, writer.error());
  OutputChunks output(writer);
  ConvertOutcome outcome = rewriteObjLines(reader, output, convert);
  if (outcome.status == ConvertStatus::writeFailed) outcome.detail = writer.error();
  if (outcome.status != ConvertStatus::converted) return outcome;
  if (!output.flush() || !writer.commit()) {
    return failure(ConvertStatus::writeFailed, 0, writer.error());
  }
  return outcome;
}
