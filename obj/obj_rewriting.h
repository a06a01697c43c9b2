#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "obj/convert_outcome.h"
#include "obj/obj_line_reader.h"
#include "obj/vertex_line.h"

// The rewriting of OBJ text (see ObjLineReader for what a logical line, a vertex line and a
// token are):
//   - a line that is not a vertex line is written exactly as read: comments, empty and blank
//     lines, continuations, its line end (LF, CR LF, lone CR, or none at the end);
//   - a vertex line needs three numbers after "v", each wholly a number (shortVertexLine
//     otherwise, see readVertexNumbers). They are converted, a batch of vertices at a time, and
//     written as "v X Y Z" in "%f" notation, followed by every further token (a w weight,
//     vertex colours, comment words), each after one blank, then the line end of the line's
//     last physical line. A conversion that fails or gives a non-finite number is
//     convertFailed.
// So an identity conversion changes nothing but the text of the numbers of vertex lines and
// the blanks between the tokens of vertex lines. A UTF-8 byte-order mark that starts the file
// is written back before the first line, whatever its kind.
//
// The OBJ layer knows nothing of frames: a batch is three numbers in and three out per vertex.
// A Batch converts `count` vertices (in: x, y, z of each, one after the other; out likewise,
// set to 0 by the caller) and returns how many of them, from the first, it converted: all, up
// to the first that cannot be converted (its reason, if any, in `why`), or up to and including
// the first whose result is not finite.
template <class B>
concept ConvertsVertices = requires(B& batch, const double* in, double* out, std::size_t count,
                               std::string& why) {
  { batch.convertBatch(in, out, count, why) } -> std::convertible_to<std::size_t>;
};

// "v X Y Z" of a converted vertex.
[[nodiscard]] bool writeVertexLine(ObjSink& output, const double out[3]);

// The failure of a vertex whose conversion did not succeed (converted false, with its reason
// `why`) or gave `out` with a number that is not finite; empty when neither.
std::optional<ConvertOutcome> vertexFailure(bool converted, const double in[3],
                                            const double out[3], std::uint64_t line,
                                            const std::string& why);

// A line that is not a vertex line, copied (with the lines copyLines takes with it); a line
// that may be "mtllib" (its first token starts with 'm': few lines) is copied alone and the
// text naming its libraries kept in `libraries`, each text once.
[[nodiscard]] bool copyOtherLines(ObjLineReader& reader, ObjSink& output,
                                  std::vector<std::string>& libraries);

// The outcome once every line has been read: openFailed when the reader failed.
ConvertOutcome finishedReading(const ObjLineReader& reader, std::uint64_t vertexCount);

// The vertices waiting to be converted together, and the bytes that follow each of them in the
// output (their further tokens, line ends, other lines), so the output comes out in file
// order. Bytes written while no vertex waits go straight through. Holds at most kBatch
// vertices and about kHeldBytes bytes: beyond, it converts and writes what it holds first.
template <ConvertsVertices Batch>
class PendingVertices : public ObjSink {
 public:
  static constexpr std::size_t kBatch = 256;
  static constexpr std::size_t kHeldBytes = std::size_t{1} << 20;

  PendingVertices(ObjSink& output, Batch& batch) : output_(output), batch_(batch) {
    in_.reserve(3 * kBatch);
    out_.reserve(3 * kBatch);
  }

  [[nodiscard]] bool write(std::string_view bytes) override {
    if (lines_.empty()) {
      if (output_.write(bytes)) return true;
      failed_ = ConvertOutcome::failed(ConvertStatus::writeFailed, 0, "");
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
    why_.clear();
    const std::size_t converted = batch_.convertBatch(in_.data(), out_.data(), count, why_);
    std::size_t written = 0;
    for (std::size_t i = 0; i < count; ++i) {
      if (std::optional<ConvertOutcome> bad =
              vertexFailure(i < converted, &in_[3 * i], &out_[3 * i], lines_[i], why_)) {
        failed_ = std::move(*bad);
        return false;
      }
      if (!output_.write(std::string_view(held_).substr(written, at_[i] - written)) ||
          !writeVertexLine(output_, &out_[3 * i])) {
        failed_ = ConvertOutcome::failed(ConvertStatus::writeFailed, 0, "");
        return false;
      }
      written = at_[i];
    }
    const bool ok = output_.write(std::string_view(held_).substr(written));
    in_.clear();
    lines_.clear();
    at_.clear();
    held_.clear();
    if (!ok) failed_ = ConvertOutcome::failed(ConvertStatus::writeFailed, 0, "");
    return ok;
  }

  // Why a call returned false.
  const ConvertOutcome& failed() const { return failed_; }

 private:
  ObjSink& output_;
  Batch& batch_;
  std::vector<double> in_, out_;
  std::vector<std::uint64_t> lines_;
  std::vector<std::size_t> at_;  // where in held_ each vertex's text goes
  std::string held_;
  std::string why_;
  ConvertOutcome failed_;
};

// Every logical line of `reader` (opened on a file or on a block of memory) to `output`, as
// described above, the vertices converted by `batch` kBatch at a time. Line numbers are the
// reader's. writeFailed (with an empty detail) when `output` refused; openFailed when the
// reader failed.
template <ConvertsVertices Batch>
ConvertOutcome rewriteObjLines(ObjLineReader& reader, ObjSink& output, Batch& batch) {
  PendingVertices<Batch> pending(output, batch);
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
      return ConvertOutcome::failed(ConvertStatus::shortVertexLine, line, std::move(why));
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
  ConvertOutcome outcome = finishedReading(reader, vertexCount);
  outcome.materialLibraries = std::move(libraries);
  return outcome;
}

// The same reading with nothing written (a scan): the vertices converted in batches, the
// other lines passed over; the outcome is rewriteObjLines's but for the libraries named.
template <ConvertsVertices Batch>
ConvertOutcome scanObjLines(ObjLineReader& reader, Batch& batch) {
  constexpr std::size_t kBatch = PendingVertices<Batch>::kBatch;
  double in[3 * kBatch], out[3 * kBatch];
  std::uint64_t lines[kBatch];
  std::size_t waiting = 0;
  std::string why;
  auto flush = [&]() -> std::optional<ConvertOutcome> {
    for (std::size_t i = 0; i < 3 * waiting; ++i) out[i] = 0.0;
    why.clear();
    const std::size_t converted = batch.convertBatch(in, out, waiting, why);
    for (std::size_t i = 0; i < waiting; ++i) {
      if (auto bad = vertexFailure(i < converted, &in[3 * i], &out[3 * i], lines[i], why)) {
        return bad;
      }
    }
    waiting = 0;
    return std::nullopt;
  };
  std::uint64_t vertexCount = 0;
  while (reader.readObjLine()) {
    if (!reader.isVertexLine()) {
      reader.skipLines();
      continue;
    }
    std::string bad;
    if (!readVertexNumbers(reader, &in[3 * waiting], bad)) {
      const std::uint64_t line = reader.lineNumber();
      if (auto failure = flush()) return std::move(*failure);
      return ConvertOutcome::failed(ConvertStatus::shortVertexLine, line, std::move(bad));
    }
    lines[waiting++] = reader.lineNumber();
    ++vertexCount;
    if (waiting == kBatch) {
      if (auto failure = flush()) return std::move(*failure);
    }
  }
  if (waiting > 0) {
    if (auto failure = flush()) return std::move(*failure);
  }
  return finishedReading(reader, vertexCount);
}
