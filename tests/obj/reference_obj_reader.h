#pragma once

// A slow, literal model of the OBJ logical-line rules on whole strings: split into physical
// lines, join continuations, split the joined text into tokens; and of the rewriting of a
// whole file on top of it, with C's strtod (each number whole) and "%f". The block reader and
// the rewriter are checked against it; it shares no code with them.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace reference {

struct Line {
  std::string raw;     // every byte of the logical line, its line end included
  std::string joined;  // the text: continuations removed, no line end
  std::string lineEnd;
  std::vector<std::string> runs;  // runs of bytes other than ' ' and '\t' in `joined`
  std::uint64_t lineNumber = 0;   // physical line where the logical line starts, 1-based
  bool vertex() const { return !runs.empty() && std::string(runs[0].c_str()) == "v"; }
};

struct Physical {
  std::string content;
  std::string end;  // "\n", "\r\n", "\r", or "" at the end of the data
};

inline std::vector<Physical> physicalLines(const std::string& bytes) {
  std::vector<Physical> lines;
  Physical line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c != '\n' && c != '\r') {
      line.content += c;
      continue;
    }
    line.end = c;
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') line.end += bytes[++i];
    lines.push_back(line);
    line = Physical();
  }
  if (!line.content.empty()) lines.push_back(line);
  return lines;
}

// A UTF-8 byte-order mark at the very start is not part of the first line's text; it stays in
// that line's raw bytes (a line copied as read keeps it).
inline constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

inline bool startsWithByteOrderMark(const std::string& bytes) {
  return bytes.compare(0, 3, kByteOrderMark) == 0;
}

inline std::vector<Line> logicalLines(const std::string& file) {
  const bool mark = startsWithByteOrderMark(file);
  const std::string bytes = mark ? file.substr(3) : file;
  const std::vector<Physical> physical = physicalLines(bytes);
  std::vector<Line> lines;
  for (std::size_t i = 0; i < physical.size(); ++i) {
    Line line;
    line.lineNumber = i + 1;
    for (;; ++i) {
      const Physical& p = physical[i];
      line.raw.append(p.content).append(p.end);
      const bool backslash = !p.content.empty() && p.content.back() == '\\';
      line.joined += backslash ? p.content.substr(0, p.content.size() - 1) : p.content;
      line.lineEnd = p.end;
      if (!backslash || p.end.empty() || i + 1 == physical.size()) break;
    }
    std::size_t k = 0;
    const std::string& text = line.joined;
    for (;;) {
      while (k < text.size() && (text[k] == ' ' || text[k] == '\t')) ++k;
      if (k == text.size()) break;
      std::size_t j = k;
      while (j < text.size() && text[j] != ' ' && text[j] != '\t') ++j;
      line.runs.push_back(text.substr(k, j - k));
      k = j;
    }
    if (mark && lines.empty()) line.raw.insert(0, kByteOrderMark);
    lines.push_back(line);
  }
  if (mark && lines.empty()) {  // the mark alone: one line of no text that holds it
    Line line;
    line.lineNumber = 1;
    line.raw = kByteOrderMark;
    lines.push_back(line);
  }
  return lines;
}

inline std::string percentF(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

// A token is its run up to an embedded NUL.
inline std::string token(const std::string& run) { return run.c_str(); }

enum class Status { converted, shortVertexLine, convertFailed };

struct Outcome {
  Status status = Status::converted;
  std::uint64_t line = 0;  // the failing line
  std::string text;        // the whole output, when converted
  std::uint64_t vertexCount = 0;
};

// `text` read by strtod in the C locale, true when it took the whole text (and some of it).
inline bool wholeNumber(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size();
}

// The output text of a whole file: other lines as they are; vertex lines as "v" and the three
// converted numbers in "%f", then the tokens after the fourth, then the line end.
template <typename Convert>
Outcome convertText(const std::string& bytes, Convert convert) {
  Outcome outcome;
  for (const Line& line : logicalLines(bytes)) {
    if (!line.vertex()) {
      outcome.text += line.raw;
      continue;
    }
    const std::vector<std::string>& runs = line.runs;
    if (runs.size() < 4) return {Status::shortVertexLine, line.lineNumber, {}, 0};
    for (std::size_t i = 1; i < 4; ++i) {
      if (runs[i].find('\0') != std::string::npos) {
        return {Status::shortVertexLine, line.lineNumber, {}, 0};
      }
    }
    // Each of the three must be wholly a number as strtod reads it ("1,5", "abc", "#10" fail).
    double in[3] = {0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < 3; ++i) {
      if (!wholeNumber(runs[i + 1], in[i])) {
        return {Status::shortVertexLine, line.lineNumber, {}, 0};
      }
    }
    double out[3] = {0.0, 0.0, 0.0};
    if (!convert(in, out)) return {Status::convertFailed, line.lineNumber, {}, 0};
    for (const double value : out) {
      if (value - value != 0.0) return {Status::convertFailed, line.lineNumber, {}, 0};  // inf, nan
    }
    // The mark is written back before a converted first line.
    if (line.lineNumber == 1 && startsWithByteOrderMark(line.raw)) outcome.text += kByteOrderMark;
    outcome.text += "v " + percentF(out[0]) + " " + percentF(out[1]) + " " + percentF(out[2]);
    for (std::size_t i = 4; i < runs.size(); ++i) outcome.text.append(" ").append(token(runs[i]));
    outcome.text += line.lineEnd;
    ++outcome.vertexCount;
  }
  return outcome;
}

}  // namespace reference
