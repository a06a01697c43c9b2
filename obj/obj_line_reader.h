#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "obj/progress_sink.h"

// What the first bytes of a file are: the UTF-8 byte-order mark (EF BB BF), the start of a
// UTF-16 one (FF FE or FE FF), or neither.
enum class ByteOrderMark { none, utf8, utf16 };
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Where the reader hands on the bytes it copies: the raw bytes of lines that are not vertex
// lines, and the kept tokens of vertex lines. False when the bytes could not be taken.
class ObjSink {
 public:
  virtual ~ObjSink() = default;
  [[nodiscard]] virtual bool write(std::string_view bytes) = 0;
};

// Reads an OBJ file as logical lines, streaming from large blocks: a line is never held whole,
// so memory is the block plus a few small buffers whatever one line holds.
//
// A physical line ends at "\n", "\r\n" or a lone "\r" (or at the end of the data; a line end
// at the very end does not start another line). A physical line whose last byte before its
// line end is '\\' continues on the next: a logical line is a physical line with all its
// continuations. The backslash and the line end it stands before are not part of the line's
// text; a trailing backslash with nothing after it ends the line.
//
// A vertex line is a logical line whose first token is "v": after any leading blanks
// (' ', '\t'), a 'v' followed by a blank, a NUL or the end of the line. Tokens are runs of
// bytes other than ' ' and '\t' in the joined text; a token ends at an embedded NUL (the
// rest of that run is skipped). Every other line (comments, empty and blank lines, other
// keywords) is not tokenised at all: it is copied or skipped as raw bytes.
//
// A UTF-8 byte-order mark at the very start of the file is not part of the first line's text:
// "\xEF\xBB\xBFv 1 2 3" is a vertex line (afterByteOrderMark() tells its writer to put the mark
// back), and a line that is not is copied with the mark, as read.
//
// Use: readObjLine(), then for a vertex line readNumbers() and copyExtras() (or skipLine()),
// for any other line copyLine() (or skipLine()). readObjLine() skips what is left of the line
// before. Held whole: the leading blanks of a line until its first token decides its kind, and
// the three numbers of a vertex line; everything else streams in pieces of at most a block.
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
  // The same from byte `offset` on (which must start a logical line): lines are numbered from
  // 1 there, and progress counts from `offset`; only offset 0 is the start of the file.
  [[nodiscard]] bool openFile(const std::string& path, std::uint64_t offset);
  // Reads from `bytes`, which must outlive the reading, in blocks of the block size.
  // `fileStart`: the bytes start the file (false for a later block of it).
  void openMemory(std::string_view bytes, bool fileStart = true);

  // Moves to the next logical line and reads just enough of it to know its kind. False when
  // no byte remains, or when reading failed (then failed() is true).
  [[nodiscard]] bool readObjLine();
  bool isVertexLine() const { return vertex_; }
  // The first byte of the line after its leading blanks (and a byte-order mark), or -1 when
  // the line holds nothing else: a cheap look at the keyword before reading a line's text.
  int firstByte() const { return firstByte_; }
  // The current line is the first of the file and follows a UTF-8 byte-order mark.
  bool afterByteOrderMark() const { return afterMark_; }
  // The mark the file starts with, known once its first line has been read.
  ByteOrderMark byteOrderMark() const { return mark_; }
  // 1-based number of the physical line where the current logical line starts.
  std::uint64_t lineNumber() const { return lineNumber_; }
  // Line ends read so far ("\r\n" counts once): after the last line, the physical lines of
  // the data that ended with a line end.
  std::uint64_t linesEnded() const { return physicalLines_; }

  // A line that is not a vertex line: writes all of it exactly as read, continuations and
  // line ends included. False when `out` refused.
  [[nodiscard]] bool copyLine(ObjSink& out);
  // copyLine(), then, in the same write, the lines that follow it in the block and certainly
  // are not vertex lines (whole physical lines, none continued, none starting with 'm': a
  // "mtllib" line is read on its own), so that a run of "vt", "f" or comment lines costs one
  // write; the next readObjLine() reads the line after them.
  [[nodiscard]] bool copyLines(ObjSink& out);
  // Any line: reads past the rest of it.
  void skipLine();
  // skipLine(), then the lines copyLines() would copy with it.
  void skipLines();
  // A line that is not a vertex line: its text from its first token to its end, continuations
  // joined as for tokens (the backslash and the line end removed), without the line end. For
  // the few lines a caller needs as text (material statements): held whole.
  std::string readText();

  // Vertex line: reads the tokens after "v", up to three; returns how many there were.
  std::size_t readNumbers();
  // The i-th number token (0..2) as read, up to a NUL; valid until the reader reads on.
  std::string_view number(std::size_t i) const { return numberViews_[i]; }
  // 1-based position of the first of the three numbers that held a NUL byte; 0 when none did.
  std::size_t numberWithNul() const { return numberWithNul_; }
  // Vertex line, after readNumbers(): writes each further token after one blank, then the
  // line end of the line's last physical line ("\n", "\r\n", "\r" or none at the end of the
  // data). Large runs of tokens go out in pieces of about the block size.
  [[nodiscard]] bool copyExtras(ObjSink& out);

  // Told the bytes read so far after each block read from a file (null: nobody).
  void setProgress(ProgressSink* progress) { progress_ = progress; }

  bool failed() const { return !error_.empty(); }
  // The reason of a failure, e.g. "cannot open: No such file or directory".
  const std::string& error() const { return error_; }

 private:
  static constexpr int kLineEnd = -1;

  void close();
  void restart();
  bool refill();
  bool more() { return begin_ != end_ || refill(); }
  std::string_view takeLineEnd();
  int get();
  int endLine(std::string_view lineEnd);
  static constexpr std::size_t kNotInBlock = 4;
  std::size_t readNumbersInBlock();
  std::string_view plainRun();
  bool copy(ObjSink& out, bool following);
  bool restOfLineAhead();
  void otherLinesAhead();
  int skipRun();
  int readByteOrderMark(int c);
  template <typename Write>
  bool rawRest(Write write);

  std::size_t blockSize_;
  std::unique_ptr<char[]> block_;  // a file's bytes are read into it
  const char* data_ = nullptr;     // the current block: block_, or a piece of the memory read
  std::size_t begin_ = 0;  // next unread byte of the block
  std::size_t end_ = 0;    // end of the valid bytes of the block
  std::FILE* file_ = nullptr;
  std::string_view memory_;  // unread rest of a memory source

  bool lineOpen_ = false;  // a line was started and not read to its end by a copy or skip
  bool lineDone_ = false;  // the current line's end has been read
  bool vertex_ = false;
  int firstByte_ = kLineEnd;
  bool fileStart_ = false;  // the next line read is the first of the file
  bool afterMark_ = false;
  ByteOrderMark mark_ = ByteOrderMark::none;
  bool capturing_ = false;  // get() keeps the raw bytes it reads in held_
  std::string held_;        // raw bytes read while deciding the line's kind
  std::size_t lineStart_ = 0;        // block position where the current line starts
  std::uint64_t lineStartRefills_ = 0;
  std::uint64_t refills_ = 0;        // blocks read so far
  char lastRaw_ = 0;        // last byte of the current physical line before its end, 0 if none
  int next_ = kLineEnd;     // the logical byte read after the last token looked at
  std::string_view lineEnd_;
  std::string numbers_[3];  // numbers gathered across blocks or continuations
  std::string_view numberViews_[3];
  std::size_t numberWithNul_ = 0;
  std::string extras_;
  std::uint64_t physicalLines_ = 0;  // line ends read so far
  std::uint64_t lineNumber_ = 0;
  std::string error_;
  ProgressSink* progress_ = nullptr;
  std::uint64_t bytesRead_ = 0;  // from the file, for progress_
};

// The reason given for a vertex line with fewer than three numbers after "v", e.g.
// "v line has 2 numbers, needs 3".
std::string shortVertexLineDetail(std::size_t numbers);

// The reason given for a vertex line whose `position`-th number (1-based) holds a NUL byte.
std::string nulInVertexLineDetail(std::size_t position);

// The warning for a file without any vertex line, naming UTF-16 when it starts with a UTF-16
// byte-order mark (such a file holds no byte sequence read as "v").
std::string noVertexLineWarning(ByteOrderMark mark);
