#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Reads an OBJ file as logical lines, the way a std::getline loop would, but from large
// blocks and without an allocation per line.
//
// A logical line is one physical line without its '\n', with one trailing '\r' removed, and
// with continuation lines joined: while the line ends with '\\', the backslash is removed and
// the next physical line (without its trailing '\r') is appended. Lines that are then empty
// or whose first character is '#' are skipped, together with everything joined to them; a
// '#' after leading blanks is not a comment. The end-of-input rule is getline's: a '\n' at the
// very end of the data does not start another line, and a last line without '\n' is a line.
//
// Tokens: runs of characters other than ' ', '\t' and '\r'; a token ends at an embedded NUL
// (the rest of that run is not part of the token, but stays in the line). Only a vertex line
// (first token exactly "v") is split completely; any other line yields its first token only.
// A line made only of separators is delivered with no token.
//
// line() and tokens() view the reader's own storage and stay valid until the next call of
// readObjLine() or open*(). A line that is continued, or that crosses a block boundary, is
// copied into a reused scratch string; any other line is a view into the block. Logical lines
// of any length are returned whole, so memory is the block plus the longest line.
class ObjLineReader {
 public:
  // 4 MiB: large enough that the per-read cost vanishes, small enough for the memory budget.
  static constexpr std::size_t kDefaultBlockSize = std::size_t{4} << 20;

  // `blockSize` is the read size in bytes (at least 1; tests use tiny blocks to move the
  // block boundaries across every position of a line).
  explicit ObjLineReader(std::size_t blockSize = kDefaultBlockSize);
  ~ObjLineReader();
  ObjLineReader(const ObjLineReader&) = delete;
  ObjLineReader& operator=(const ObjLineReader&) = delete;

  // Opens a file (binary: the reader sees every byte) and reads its first block, so that an
  // unreadable path (missing, no permission, a folder) fails here. False with error().
  [[nodiscard]] bool openFile(const std::string& path);
  // Reads from `bytes`, which must outlive the reading, in blocks of the block size.
  void openMemory(std::string_view bytes);

  // Moves to the next logical line. False when no line remains, or when reading failed
  // (then failed() is true and the line that was being read is not delivered).
  [[nodiscard]] bool readObjLine();

  std::string_view line() const { return line_; }
  const std::vector<std::string_view>& tokens() const { return tokens_; }
  bool isVertexLine() const { return !tokens_.empty() && tokens_.front() == "v"; }
  // 1-based number of the physical line where the current logical line starts.
  std::uint64_t lineNumber() const { return lineNumber_; }

  bool failed() const { return !error_.empty(); }
  // The reason of a failure, e.g. "cannot open: No such file or directory".
  const std::string& error() const { return error_; }

 private:
  void close();
  void restart();
  bool refill();
  std::string_view readPhysicalLine();
  std::string_view joinContinuations(std::string_view first);
  void tokenize();

  std::size_t blockSize_;
  std::unique_ptr<char[]> block_;
  std::size_t begin_ = 0;  // next unread byte of the block
  std::size_t end_ = 0;    // end of the valid bytes of the block
  std::FILE* file_ = nullptr;
  std::string_view memory_;  // unread rest of a memory source
  // getline's end-of-file flag: set once a physical line ended at the end of the data.
  bool atEnd_ = true;
  std::string crossing_;  // a physical line that crosses a block boundary
  std::string joined_;    // a line with its continuations
  std::string_view line_;
  std::vector<std::string_view> tokens_;
  std::uint64_t physicalLines_ = 0;
  std::uint64_t lineNumber_ = 0;
  std::string error_;
};

// The reason given for a vertex line with fewer than three numbers after "v", e.g.
// "v line has 2 numbers, needs 3".
std::string shortVertexLineDetail(std::size_t numbers);
