#include "obj/obj_rewriting.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "obj/line_ends.h"
#include "obj/material_statements.h"
#include "platform/number_text.h"

namespace {

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
  const char* p = raw.data();
  const char* const end = raw.data() + raw.size();
  while (p != end) {
    const char* const stop = findLineEnd(p, end);
    // A '\\' before a line end, or before the end of the bytes, is no part of the text.
    const bool continued = stop != p && continuesLine(stop[-1]);
    text.append(p, continued ? stop - 1 : stop);
    if (!continued || stop == end) break;
    p = stop + std::max<std::size_t>(lineEndAt(stop, end).size(), 1);
  }
  return text;
}

}  // namespace

bool writeVertexLine(ObjSink& output, const double out[3]) {
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

std::optional<ConvertOutcome> vertexFailure(bool converted, const double in[3],
                                            const double out[3], std::uint64_t line,
                                            const std::string& why) {
  if (!converted) {
    return ConvertOutcome::failed(ConvertStatus::convertFailed, line,
                                  "vertex " + pointText(in) + " could not be converted" +
                                      (why.empty() ? "" : ": " + why));
  }
  if (!std::isfinite(out[0]) || !std::isfinite(out[1]) || !std::isfinite(out[2])) {
    return ConvertOutcome::failed(ConvertStatus::convertFailed, line,
                                  "vertex " + pointText(in) + " could not be converted: the " +
                                      "result " + pointText(out) + " is not finite");
  }
  return std::nullopt;
}

bool copyOtherLines(ObjLineReader& reader, ObjSink& output,
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

ConvertOutcome finishedReading(const ObjLineReader& reader, std::uint64_t vertexCount) {
  if (reader.failed()) return ConvertOutcome::failed(ConvertStatus::openFailed, 0, reader.error());
  ConvertOutcome outcome;
  outcome.vertexCount = vertexCount;
  return outcome;
}
