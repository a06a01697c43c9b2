#include "obj/obj_line_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <sys/types.h>
#endif

#include "obj/line_ends.h"
#include "platform/open_for_reading.h"

namespace {

bool isBlank(int c) { return c == ' ' || c == '\t'; }

// The bytes that end a run of token bytes in a block: a blank, a line end, a backslash, a NUL.
constexpr std::array<bool, 256> kTokenStop = [] {
  std::array<bool, 256> stop{};
  for (const char c : {' ', '\t', '\n', '\r', '\\', '\0'}) {
    stop[static_cast<unsigned char>(c)] = true;
  }
  return stop;
}();

// The physical line at `p` (in a block ending at `end`) is certainly not a vertex line, nor
// one continued onto one, nor one that may be "mtllib": it starts with neither a blank, a NUL,
// '\\' nor 'm', nor with "v" and then a blank, a NUL, '\\', a line end or the block's end
// ("vt", "vn", "vp" are not "v").
bool startsOtherLine(const char* p, const char* end) {
  const auto ends = [](char c) { return isBlank(c) || c == 0 || c == '\\' || isLineEndByte(c); };
  if (*p == 'v') return p + 1 != end && !ends(p[1]);
  // A line that may name a material library ("mtllib") is read on its own.
  return !isBlank(*p) && *p != 0 && *p != '\\' && *p != 'm';
}

}  // namespace

ObjLineReader::ObjLineReader(std::size_t blockSize)
    : blockSize_(std::max<std::size_t>(blockSize, 1)) {}

ObjLineReader::~ObjLineReader() { close(); }

void ObjLineReader::close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  memory_ = {};
}

void ObjLineReader::restart() {
  close();
  begin_ = end_ = 0;
  lineOpen_ = lineDone_ = vertex_ = capturing_ = fileStart_ = afterMark_ = false;
  mark_ = ByteOrderMark::none;
  held_.clear();
  physicalLines_ = lineNumber_ = bytesRead_ = 0;
  error_.clear();
}

bool ObjLineReader::openFile(const std::string& path) { return openFile(path, 0); }

bool ObjLineReader::openFile(const std::string& path, std::uint64_t offset) {
  restart();
  file_ = openForReading(path);
  if (file_ == nullptr) {
    error_ = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  // The reader has its own large block: the stream's buffer would only add a copy.
  if (!block_) block_.reset(new char[blockSize_]);
  std::setvbuf(file_, nullptr, _IONBF, 0);
  if (offset != 0) {
#ifdef _WIN32
    const int moved = _fseeki64(file_, static_cast<__int64>(offset), SEEK_SET);
#else
    const int moved = fseeko(file_, static_cast<off_t>(offset), SEEK_SET);
#endif
    if (moved != 0) {
      error_ = std::string("cannot read: ") + std::strerror(errno);
      close();
      return false;
    }
    bytesRead_ = offset;
  }
  fileStart_ = offset == 0;
  return refill() || !failed();
}

void ObjLineReader::openMemory(std::string_view bytes, bool fileStart) {
  restart();
  memory_ = bytes;
  fileStart_ = fileStart;
}

// Replaces the block with the next bytes of the source. False at the end of the data or on
// a read error (then error_ is set); either way a file is closed then.
bool ObjLineReader::refill() {
  begin_ = end_ = 0;
  ++refills_;
  if (file_ != nullptr) {
    data_ = block_.get();
    end_ = std::fread(block_.get(), 1, blockSize_, file_);
    bytesRead_ += end_;
    if (progress_ != nullptr && end_ != 0) progress_->advanced(bytesRead_);
    if (end_ == 0) {
      if (std::ferror(file_) != 0) error_ = std::string("cannot read: ") + std::strerror(errno);
      // Closed as soon as it is read, so that the input is no longer open when an output
      // replaces a file (Windows refuses to replace an open file).
      close();
    }
  } else {
    // Read in place: the memory outlives the reading, so the block is a view of it.
    data_ = memory_.data();
    end_ = std::min(blockSize_, memory_.size());
    memory_.remove_prefix(end_);
  }
  return end_ != 0;
}

// Reads the line end at the cursor (precondition: a '\n' or '\r' is there).
std::string_view ObjLineReader::takeLineEnd() {
  ++physicalLines_;
  if (data_[begin_++] == '\n') return "\n";
  if (more() && data_[begin_] == '\n') {
    ++begin_;
    return "\r\n";
  }
  return "\r";
}

int ObjLineReader::endLine(std::string_view lineEnd) {
  lineEnd_ = lineEnd;
  lineDone_ = true;
  return kLineEnd;
}

// The next byte of the logical line's text (continuations removed), or kLineEnd once the
// line has ended (its line end is then in lineEnd_).
int ObjLineReader::get() {
  if (lineDone_) return kLineEnd;
  for (;;) {
    if (!more()) return endLine("");
    const char c = data_[begin_];
    if (isLineEndByte(c)) {
      const std::string_view end = takeLineEnd();
      if (capturing_) held_.append(end);
      return endLine(end);
    }
    ++begin_;
    if (capturing_) held_.push_back(c);
    if (c != '\\') {
      lastRaw_ = c;
      return static_cast<unsigned char>(c);
    }
    if (!more()) return endLine("");  // a trailing backslash with nothing after it
    if (!isLineEndByte(data_[begin_])) {
      lastRaw_ = '\\';
      return '\\';
    }
    const std::string_view end = takeLineEnd();  // a continuation
    if (capturing_) held_.append(end);
    lastRaw_ = 0;
    if (!more()) return endLine(end);  // continued onto nothing: its line end ends the line
  }
}

// The token bytes that follow at the cursor within the block, up to a blank, a NUL, a line end
// or a backslash (which get() must look at): the bulk of a token taken without a call per byte.
std::string_view ObjLineReader::plainRun() {
  const char* const start = data_ + begin_;
  const char* const end = data_ + end_;
  const char* p = start;
  while (p != end && !isBlank(*p) && *p != 0 && !isLineEndByte(*p) && *p != '\\') ++p;
  if (p == start) return {};
  lastRaw_ = p[-1];
  begin_ += static_cast<std::size_t>(p - start);
  return {start, static_cast<std::size_t>(p - start)};
}

// Skips the rest of a run of token bytes after a NUL; returns the byte after the run.
int ObjLineReader::skipRun() {
  int c = get();
  while (c != kLineEnd && !isBlank(c)) c = get();
  return c;
}

bool ObjLineReader::readObjLine() {
  if (lineOpen_) skipLine();
  if (failed() || !more()) return false;
  lineNumber_ = physicalLines_ + 1;
  lineStart_ = begin_;
  lineStartRefills_ = refills_;
  lineOpen_ = true;
  lineDone_ = vertex_ = false;
  lastRaw_ = 0;
  numberWithNul_ = 0;
  held_.clear();
  capturing_ = true;
  afterMark_ = false;
  int c = get();
  if (fileStart_) {
    fileStart_ = false;
    c = readByteOrderMark(c);
  }
  while (isBlank(c)) c = get();
  firstByte_ = c;
  if (c == 'v') {
    c = get();
    vertex_ = c == kLineEnd || c == 0 || isBlank(c);
    if (c == 0) c = skipRun();  // "v\0..." is "v": the rest of its run is skipped
  }
  capturing_ = false;
  next_ = c;
  return !failed();
}

// At the start of the file, with `c` its first byte: after a UTF-8 byte-order mark, the byte
// that follows it; else a byte that starts the line's first token as read (`c`), also when
// more bytes were read to tell (a partial mark is neither a blank nor "v"). The bytes read stay
// in held_ for a copy of the line. Notes a UTF-16 mark.
int ObjLineReader::readByteOrderMark(int c) {
  if (c == 0xFF || c == 0xFE) {
    const int d = get();
    if (d == (c == 0xFF ? 0xFE : 0xFF)) mark_ = ByteOrderMark::utf16;
    return c;
  }
  if (c != 0xEF || get() != 0xBB || get() != 0xBF) return c;
  mark_ = ByteOrderMark::utf8;
  afterMark_ = true;
  return get();
}

// Hands on the raw bytes up to the end of the logical line: each piece of the block up to and
// with a line end at once; the line goes on while a physical line ends in '\\'.
template <typename Write>
bool ObjLineReader::rawRest(Write write) {
  lineOpen_ = false;
  if (lineDone_) return true;
  for (;;) {
    if (!more()) {
      lineEnd_ = "";
      return true;
    }
    const char* const start = data_ + begin_;
    const char* const blockEnd = data_ + end_;
    const char* const stop = findLineEnd(start, blockEnd);
    if (stop != start) lastRaw_ = stop[-1];
    const bool continued = continuesLine(lastRaw_);
    std::size_t take = static_cast<std::size_t>(stop - start);
    if (const std::string_view end = lineEndAt(stop, blockEnd); !end.empty()) {
      // The whole line end is in the block: it goes out with the line.
      lineEnd_ = end;
      take += lineEnd_.size();
      ++physicalLines_;
      lastRaw_ = 0;
      if (!write(std::string_view(start, take))) return false;
      begin_ += take;
      if (!continued) return true;
      continue;
    }
    if (take != 0 && !write(std::string_view(start, take))) return false;
    begin_ += take;
    if (stop == blockEnd) continue;
    lineEnd_ = takeLineEnd();  // a CR at the block's end: LF or not is in the next block
    if (!write(lineEnd_)) return false;
    lastRaw_ = 0;
    if (!continued) return true;
  }
}

bool ObjLineReader::copyLine(ObjSink& out) { return copy(out, false); }

bool ObjLineReader::copyLines(ObjSink& out) { return copy(out, true); }

bool ObjLineReader::copy(ObjSink& out, bool following) {
  if (!vertex_ && refills_ == lineStartRefills_ && physicalLines_ + 1 == lineNumber_ &&
      !lineDone_) {
    // The bytes read to decide the kind are still in the block: copied with the rest.
    begin_ = lineStart_;
    lastRaw_ = 0;
  } else if (!held_.empty() && !out.write(held_)) {
    return false;
  }
  held_.clear();
  const std::size_t from = begin_;
  if (!lineDone_ && !restOfLineAhead()) {
    return rawRest([&out](std::string_view bytes) { return out.write(bytes); });
  }
  lineOpen_ = false;
  if (following) otherLinesAhead();
  return begin_ == from || out.write(std::string_view(data_ + from, begin_ - from));
}

// When the rest of the current physical line, its whole line end included, is in the block
// and does not continue the line ('\\' before the line end): moves the cursor past it.
bool ObjLineReader::restOfLineAhead() {
  const char* const start = data_ + begin_;
  const char* const end = data_ + end_;
  const char* const stop = findLineEnd(start, end);
  const std::string_view lineEnd = lineEndAt(stop, end);
  if (lineEnd.empty() || continuesLine(stop != start ? stop[-1] : lastRaw_)) return false;
  lineEnd_ = lineEnd;
  begin_ += static_cast<std::size_t>(stop - start) + lineEnd_.size();
  ++physicalLines_;
  lastRaw_ = 0;
  return true;
}

// Moves the cursor past the whole physical lines that follow it in the block, line ends
// included, that are each a logical line of its own and not a vertex line: each starts with a
// byte that cannot begin "v" or blanks before it, or a continuation, and does not end in
// '\\'. Counts their line ends.
void ObjLineReader::otherLinesAhead() {
  const char* const end = data_ + end_;
  const char* p = data_ + begin_;
  while (p != end) {
    if (!startsOtherLine(p, end)) break;
    const char* const stop = findLineEnd(p, end);
    const std::string_view lineEnd = lineEndAt(stop, end);
    if (lineEnd.empty()) break;  // the file's end, or CR or CR LF: not known yet
    if (stop != p && continuesLine(stop[-1])) break;  // continued: read the usual way
    lineEnd_ = lineEnd;
    p = stop + lineEnd.size();
    ++physicalLines_;
  }
  begin_ = static_cast<std::size_t>(p - data_);
}

void ObjLineReader::skipLine() {
  held_.clear();
  (void)rawRest([](std::string_view) { return true; });
}

void ObjLineReader::skipLines() {
  skipLine();
  if (!lineEnd_.empty()) otherLinesAhead();
}

std::string ObjLineReader::readText() {
  std::string text;
  if (vertex_) return text;
  lineOpen_ = false;
  if (firstByte_ == 'v') text.push_back('v');  // read to tell "vt" from "v"
  for (int c = next_; c != kLineEnd; c = get()) text.push_back(static_cast<char>(c));
  next_ = kLineEnd;
  return text;
}

// The usual vertex line: the rest of its physical line, line end included, lies in the block
// and holds no backslash and no NUL. Its numbers are then views into the block, found in one
// pass without a call per byte. kNotInBlock, with nothing read, otherwise.
std::size_t ObjLineReader::readNumbersInBlock() {
  const char* const start = data_ + begin_;
  const char* const end = data_ + end_;
  const char* p = start;
  std::size_t count = 0;
  std::string_view found[3];
  while (count < 3) {
    while (p != end && isBlank(*p)) ++p;
    if (p == end) return kNotInBlock;
    if (isLineEndByte(*p)) break;
    const char* const token = p;
    while (p != end && !kTokenStop[static_cast<unsigned char>(*p)]) ++p;
    if (p == end || *p == '\\' || *p == 0) return kNotInBlock;
    found[count++] = std::string_view(token, static_cast<std::size_t>(p - token));
  }
  // The rest of the physical line: further tokens, checked for a backslash or a NUL.
  const char* stop = p;
  while (stop != end && !isLineEndByte(*stop)) {
    if (*stop == '\\' || *stop == 0) return kNotInBlock;
    ++stop;
  }
  // A CR at the block's end needs the next block to tell CR from CR LF.
  if (stop == end || (*stop == '\r' && stop + 1 == end)) return kNotInBlock;
  for (std::size_t i = 0; i < count; ++i) numberViews_[i] = found[i];
  if (p != stop) ++p;  // the blank after the third number, as get() would have read it
  if (p != start) lastRaw_ = p[-1];
  begin_ += static_cast<std::size_t>(p - start);
  next_ = p == stop ? get() : static_cast<unsigned char>(p[-1]);
  return count;
}

std::size_t ObjLineReader::readNumbers() {
  if (isBlank(next_)) {
    if (const std::size_t count = readNumbersInBlock(); count != kNotInBlock) return count;
  }
  int c = next_;
  std::size_t count = 0;
  while (count < 3) {
    while (isBlank(c)) c = get();
    if (c == kLineEnd) break;
    std::string& text = numbers_[count++];
    text.clear();
    while (c != kLineEnd && c != 0 && !isBlank(c)) {
      text.push_back(static_cast<char>(c));
      text.append(plainRun());
      c = get();
    }
    if (c == 0) {
      if (numberWithNul_ == 0) numberWithNul_ = count;
      c = skipRun();
    }
  }
  for (std::size_t i = 0; i < count; ++i) numberViews_[i] = numbers_[i];
  next_ = c;
  return count;
}

bool ObjLineReader::copyExtras(ObjSink& out) {
  lineOpen_ = false;
  extras_.clear();
  int c = next_;
  for (;;) {
    while (isBlank(c)) c = get();
    if (c == kLineEnd) break;
    extras_.push_back(' ');
    while (c != kLineEnd && c != 0 && !isBlank(c)) {
      extras_.push_back(static_cast<char>(c));
      extras_.append(plainRun());
      if (extras_.size() >= blockSize_) {
        if (!out.write(extras_)) return false;
        extras_.clear();
      }
      c = get();
    }
    if (c == 0) c = skipRun();
  }
  extras_.append(lineEnd_);
  return out.write(extras_);
}

std::string shortVertexLineDetail(std::size_t numbers) {
  return "v line has " + std::to_string(numbers) + (numbers == 1 ? " number" : " numbers") +
         ", needs 3";
}

std::string noVertexLineWarning(ByteOrderMark mark) {
  if (mark == ByteOrderMark::utf16) {
    return "the file starts with a UTF-16 byte-order mark: it is UTF-16 text, in which no "
           "vertex line can be read, so nothing was converted (save it as UTF-8 or ASCII)";
  }
  return "no vertex line (\"v x y z\") in the file: nothing was converted, the other lines "
         "are copied";
}

std::string nulInVertexLineDetail(std::size_t position) {
  return "number " + std::to_string(position) + " of the v line holds a NUL byte";
}
