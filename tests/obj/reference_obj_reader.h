#pragma once

// A slow, literal model of the OBJ logical-line rules, written step by step on std::istream and
// std::getline (whose end-of-file flag decides where the input ends), and of the rewriting of
// a whole file on top of it, with C's strtod (atof's rules) and "%f". The block reader and the rewriter are
// checked against it; it shares no code with them.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <sstream>
#include <string>
#include <vector>

namespace reference {

struct Line {
  std::string text;
  std::vector<std::string> tokens;
  std::uint64_t lineNumber = 0;  // physical line where the logical line starts, 1-based
};

struct Counter {
  std::uint64_t physical = 0;  // getline calls so far
  std::uint64_t start = 0;     // physical line number of the last line begun
};

inline bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// One logical line; empty when the stream holds no further line.
inline std::string readObjLine(std::istream& in, std::vector<std::string>& tokens, Counter& c) {
  if (in.eof()) return {};  // 1
  std::string line;
  for (;;) {
    c.start = ++c.physical;
    std::getline(in, line);        // 2
    bool skip = line.empty();      // 3
    if (!skip) {                   // 4
      if (line.back() == '\r') line.pop_back();
      skip = line.empty();
    }
    if (!skip) {                   // 5
      while (!line.empty() && line.back() == '\\') {
        std::string continuation;  // stays empty when getline extracts nothing
        ++c.physical;
        std::getline(in, continuation);
        if (!continuation.empty() && continuation.back() == '\r') continuation.pop_back();
        line.pop_back();
        line += continuation;
      }
      skip = line.empty() || line[0] == '#';  // 5, 6
    }
    if (!skip) break;
    if (in.eof()) break;           // 7
  }
  if (line.empty() || line[0] == '#') return {};  // 8
  tokens.clear();                                 // 9
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && isSeparator(line[i])) ++i;
    if (i == line.size()) break;
    std::size_t j = i;
    while (j < line.size() && !isSeparator(line[j])) ++j;
    const std::string run = line.substr(i, j - i);
    tokens.emplace_back(run.c_str());  // a token ends at an embedded NUL
    if (tokens[0] != "v") break;
    i = j;
  }
  return line;  // 10
}

inline std::vector<Line> logicalLines(const std::string& bytes) {
  std::istringstream in(bytes);
  std::vector<Line> lines;
  Counter counter;
  while (!in.eof()) {
    Line line;
    line.text = readObjLine(in, line.tokens, counter);
    if (line.text.empty()) continue;
    line.lineNumber = counter.start;
    lines.push_back(std::move(line));
  }
  return lines;
}

inline std::string percentF(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

enum class Status { converted, shortVertexLine, convertFailed };

struct Outcome {
  Status status = Status::converted;
  std::uint64_t line = 0;  // the failing line
  std::string text;        // the whole output, when converted
  std::uint64_t vertexCount = 0;
};

// The output text of a whole file: lines without tokens dropped, other lines + "\n", vertex
// lines as "v" and the three converted numbers in "%f", then the tokens after the fourth.
template <typename Convert>
Outcome convertText(const std::string& bytes, Convert convert) {
  Outcome outcome;
  for (const Line& line : logicalLines(bytes)) {
    if (line.tokens.empty()) continue;
    if (line.tokens[0] != "v") {
      outcome.text += line.text + "\n";
      continue;
    }
    if (line.tokens.size() < 4) return {Status::shortVertexLine, line.lineNumber, {}, 0};
    const double in[3] = {std::strtod(line.tokens[1].c_str(), nullptr),
                          std::strtod(line.tokens[2].c_str(), nullptr),
                          std::strtod(line.tokens[3].c_str(), nullptr)};
    double out[3] = {0.0, 0.0, 0.0};
    if (!convert(in, out)) return {Status::convertFailed, line.lineNumber, {}, 0};
    for (const double value : out) {
      if (value - value != 0.0) return {Status::convertFailed, line.lineNumber, {}, 0};  // inf, nan
    }
    outcome.text += "v " + percentF(out[0]) + " " + percentF(out[1]) + " " + percentF(out[2]);
    for (std::size_t i = 4; i < line.tokens.size(); ++i) outcome.text += " " + line.tokens[i];
    outcome.text += "\n";
    ++outcome.vertexCount;
  }
  return outcome;
}

}  // namespace reference
