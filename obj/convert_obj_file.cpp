#include "obj/convert_obj_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "obj/material_statements.h"
#include "obj/vertex_line.h"
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

// The failure of a vertex whose conversion returned false (converted false) or gave `out`
// with a number that is not finite; empty when neither.
std::optional<ConvertOutcome> vertexFailure(bool converted, const double in[3],
                                            const double out[3], std::uint64_t line) {
  if (!converted) {
    return failure(ConvertStatus::convertFailed, line,
                   "vertex " + pointText(in) + " could not be converted");
  }
  if (!std::isfinite(out[0]) || !std::isfinite(out[1]) || !std::isfinite(out[2])) {
    return failure(ConvertStatus::convertFailed, line,
                   "vertex " + pointText(in) + " could not be converted: the result " +
                       pointText(out) + " is not finite");
  }
  return std::nullopt;
}

// Copies raw bytes on and keeps them.
class KeepingSink : public ObjSink {
 public:
  explicit KeepingSink(ObjSink& output) : output_(output) {}
  [[nodiscard]] bool write(std::string_view bytes) override {
    kept.append(bytes);
    return output_.write(bytes);
  }
  std::string kept;

 private:
  ObjSink& output_;
};

// A logical line's raw bytes as text: continuations joined ('\\' and the line end after it
// removed), up to its line end.
std::string joinedText(std::string_view raw) {
  std::string text;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\n' || c == '\r') break;
    if (c == '\\' && (i + 1 == raw.size() || raw[i + 1] == '\n' || raw[i + 1] == '\r')) {
      if (i + 2 < raw.size() && raw[i + 1] == '\r' && raw[i + 2] == '\n') ++i;
      ++i;
      continue;
    }
    text.push_back(c);
  }
  return text;
}

// A line that is not a vertex line, copied; a line that may be "mtllib" (its first token
// starts with 'm': few lines) is copied alone and the text naming its libraries kept in
// `libraries`.
[[nodiscard]] bool copyOtherLines(ObjLineReader& reader, ObjSink& output,
                                  std::vector<std::string>& libraries) {
  if (reader.firstByte() != 'm') return reader.copyLines(output);
  KeepingSink keeping(output);
  if (!reader.copyLine(keeping)) return false;
  std::string_view raw = keeping.kept;
  if (reader.afterByteOrderMark()) raw.remove_prefix(kUtf8ByteOrderMark.size());
  const std::string text = joinedText(raw);
  const std::size_t first = text.find_first_not_of(" \t");
  std::string arguments =
      materialLibraryArguments(first == std::string::npos ? "" : text.substr(first));
  if (!arguments.empty() &&
      std::find(libraries.begin(), libraries.end(), arguments) == libraries.end()) {
    libraries.push_back(std::move(arguments));
  }
  return true;
}

// The current vertex line's numbers, converted one vertex at a time into `out`; the failure
// of the line or of its conversion, if any.
std::optional<ConvertOutcome> convertVertexLine(ObjLineReader& reader, VertexConversion convert,
                                                double out[3]) {
  double in[3];
  if (std::string why; !readVertexNumbers(reader, in, why)) {
    return failure(ConvertStatus::shortVertexLine, reader.lineNumber(), std::move(why));
  }
  out[0] = out[1] = out[2] = 0.0;
  return vertexFailure(convert(in, out), in, out, reader.lineNumber());
}

// The outcome once every line has been read: openFailed when the reader failed.
ConvertOutcome finished(const ObjLineReader& reader, std::uint64_t vertexCount) {
  if (reader.failed()) return failure(ConvertStatus::openFailed, 0, reader.error());
  ConvertOutcome outcome;
  outcome.vertexCount = vertexCount;
  return outcome;
}

// "v X Y Z" of a converted vertex.
[[nodiscard]] bool writeVertex(ObjSink& output, const double out[3]) {
  // "v " + three numbers with a blank after each of the first two.
  constexpr std::size_t kVertexTextMax = 2 + 3 * kFixed6MaxChars + 2;
  char text[kVertexTextMax];
  char* p = text;
  *p++ = 'v';
  *p++ = ' ';
  p = formatFixed6(p, out[0]);
  *p++ = ' ';
  p = formatFixed6(p, out[1]);
  *p++ = ' ';
  p = formatFixed6(p, out[2]);
  return output.write(std::string_view(text, static_cast<std::size_t>(p - text)));
}

// The vertices of a batched conversion waiting to be converted together, and the bytes that
// follow each of them in the output (their further tokens, line ends, other lines), so the
// output comes out in file order. Bytes written while no vertex waits go straight through.
// Holds at most kBatch vertices and about kHeldBytes bytes: beyond, it converts and writes
// what it holds first.
class PendingVertices : public ObjSink {
 public:
  static constexpr std::size_t kBatch = 256;
  static constexpr std::size_t kHeldBytes = std::size_t{1} << 20;

  PendingVertices(ObjSink& output, VertexConversion convert)
      : output_(output), convert_(convert) {
    in_.reserve(3 * kBatch);
    out_.reserve(3 * kBatch);
  }

  [[nodiscard]] bool write(std::string_view bytes) override {
    if (lines_.empty()) {
      if (output_.write(bytes)) return true;
      failed_ = failure(ConvertStatus::writeFailed, 0, "");
      return false;
    }
    held_.append(bytes);
    return held_.size() < kHeldBytes || flush();
  }

  // A vertex (its three numbers) starting on physical line `line`; its text goes before the
  // bytes written after this.
  [[nodiscard]] bool add(const double in[3], std::uint64_t line) {
    in_.insert(in_.end(), in, in + 3);
    lines_.push_back(line);
    at_.push_back(held_.size());
    return lines_.size() < kBatch || flush();
  }

  // Converts the waiting vertices and writes them with the bytes held. False on the first
  // failure, in file order (failed() says which); nothing after it is written.
  [[nodiscard]] bool flush() {
    if (lines_.empty()) return true;
    const std::size_t count = lines_.size();
    out_.assign(3 * count, 0.0);
    const std::size_t converted = convert_.convertMany(in_.data(), out_.data(), count);
    std::size_t written = 0;
    for (std::size_t i = 0; i < count; ++i) {
      if (std::optional<ConvertOutcome> bad =
              vertexFailure(i < converted, &in_[3 * i], &out_[3 * i], lines_[i])) {
        failed_ = std::move(*bad);
        return false;
      }
      if (!output_.write(std::string_view(held_).substr(written, at_[i] - written)) ||
          !writeVertex(output_, &out_[3 * i])) {
        failed_ = failure(ConvertStatus::writeFailed, 0, "");
        return false;
      }
      written = at_[i];
    }
    const bool ok = output_.write(std::string_view(held_).substr(written));
    in_.clear();
    lines_.clear();
    at_.clear();
    held_.clear();
    if (!ok) failed_ = failure(ConvertStatus::writeFailed, 0, "");
    return ok;
  }

  // Why a call returned false.
  ConvertOutcome failed() const { return failed_; }

 private:
  ObjSink& output_;
  VertexConversion convert_;
  std::vector<double> in_, out_;
  std::vector<std::uint64_t> lines_;
  std::vector<std::size_t> at_;  // where in held_ each vertex's text goes
  std::string held_;
  ConvertOutcome failed_;
};

// rewriteObjLines for a batched conversion: vertices converted kBatch at a time, the output
// bytes those of the one-vertex loop.
ConvertOutcome rewriteObjLinesBatched(ObjLineReader& reader, ObjSink& output,
                                      VertexConversion convert) {
  PendingVertices pending(output, convert);
  std::uint64_t vertexCount = 0;
  std::vector<std::string> libraries;
  while (reader.readObjLine()) {
    if (!reader.isVertexLine()) {
      if (!copyOtherLines(reader, pending, libraries)) return pending.failed();
      continue;
    }
    double in[3];
    if (std::string why; !readVertexNumbers(reader, in, why)) {
      // The vertices before it come first, in file order.
      const std::uint64_t line = reader.lineNumber();
      if (!pending.flush()) return pending.failed();
      return failure(ConvertStatus::shortVertexLine, line, std::move(why));
    }
    if (reader.afterByteOrderMark() && !pending.write(kUtf8ByteOrderMark)) {
      return pending.failed();
    }
    if (!pending.add(in, reader.lineNumber()) || !reader.copyExtras(pending)) {
      return pending.failed();
    }
    ++vertexCount;
  }
  if (!pending.flush()) return pending.failed();
  ConvertOutcome outcome = finished(reader, vertexCount);
  outcome.materialLibraries = std::move(libraries);
  return outcome;
}

}  // namespace

ConvertOutcome rewriteObjLines(ObjLineReader& reader, ObjSink& output,
                               VertexConversion convert) {
  if (convert.batched()) return rewriteObjLinesBatched(reader, output, convert);
  std::uint64_t vertexCount = 0;
  std::vector<std::string> libraries;
  while (reader.readObjLine()) {
    if (!reader.isVertexLine()) {
      if (!copyOtherLines(reader, output, libraries)) {
        return failure(ConvertStatus::writeFailed, 0, "");
      }
      continue;
    }
    double out[3];
    if (std::optional<ConvertOutcome> bad = convertVertexLine(reader, convert, out)) {
      return std::move(*bad);
    }
    ++vertexCount;
    if ((reader.afterByteOrderMark() && !output.write(kUtf8ByteOrderMark)) ||
        !writeVertex(output, out) || !reader.copyExtras(output)) {
      return failure(ConvertStatus::writeFailed, 0, "");
    }
  }
  ConvertOutcome outcome = finished(reader, vertexCount);
  outcome.materialLibraries = std::move(libraries);
  return outcome;
}

ConvertOutcome scanObjLines(ObjLineReader& reader, VertexConversion convert) {
  std::uint64_t vertexCount = 0;
  while (reader.readObjLine()) {
    if (!reader.isVertexLine()) {
      reader.skipLines();
      continue;
    }
    double out[3];
    if (std::optional<ConvertOutcome> bad = convertVertexLine(reader, convert, out)) {
      return std::move(*bad);
    }
    ++vertexCount;
  }
  return finished(reader, vertexCount);
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
  if (outcome.vertexCount == 0) {
    outcome.warnings.push_back(noVertexLineWarning(reader.byteOrderMark()));
  }
  return outcome;
}
