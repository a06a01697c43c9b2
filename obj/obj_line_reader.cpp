#include "obj/obj_line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view dropCarriageReturn(std::string_view text) {
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return text;
}

}  // namespace

ObjLineReader::ObjLineReader(std::size_t blockSize)
    : blockSize_(std::max<std::size_t>(blockSize, 1)), block_(new char[blockSize_]) {}

ObjLineReader::~ObjLineReader() { close(); }

void ObjLineReader::close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  memory_ = {};
}

void ObjLineReader::restart() {
  close();
  begin_ = end_ = 0;
  atEnd_ = false;
  line_ = {};
  tokens_.clear();
  physicalLines_ = lineNumber_ = 0;
  error_.clear();
}

bool ObjLineReader::openFile(const std::string& path) {
  restart();
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    error_ = std::string("cannot open: ") + std::strerror(errno);
    atEnd_ = true;
    return false;
  }
  // The reader has its own large block: the stream's buffer would only add a copy.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  if (!refill() && failed()) {
    atEnd_ = true;
    return false;
  }
  return true;
}

void ObjLineReader::openMemory(std::string_view bytes) {
  restart();
  memory_ = bytes;
}

// Replaces the block with the next bytes of the source. False at the end of the data or on
// a read error (then error_ is set); either way a file is closed then.
bool ObjLineReader::refill() {
  begin_ = end_ = 0;
  if (file_ != nullptr) {
    end_ = std::fread(block_.get(), 1, blockSize_, file_);
    if (end_ == 0) {
      if (std::ferror(file_) != 0) error_ = std::string("cannot read: ") + std::strerror(errno);
      // Closed as soon as it is read, so that a file converted onto itself is no longer open
      // when the new one replaces it (Windows refuses to replace an open file).
      close();
    }
  } else {
    end_ = std::min(blockSize_, memory_.size());
    if (end_ != 0) std::memcpy(block_.get(), memory_.data(), end_);
    memory_.remove_prefix(end_);
  }
  return end_ != 0;
}

// The next physical line without its '\n', as getline reads it; at the end of the data the
// end flag is set. Precondition: the end flag is not set.
std::string_view ObjLineReader::readPhysicalLine() {
  ++physicalLines_;
  const char* start = block_.get() + begin_;
  const std::size_t available = end_ - begin_;
  if (const void* newline = std::memchr(start, '\n', available)) {
    const auto length = static_cast<std::size_t>(static_cast<const char*>(newline) - start);
    begin_ += length + 1;
    return {start, length};
  }
  crossing_.assign(start, available);
  for (;;) {
    if (!refill()) {
      atEnd_ = true;
      return crossing_;
    }
    const char* block = block_.get();
    if (const void* newline = std::memchr(block, '\n', end_)) {
      const auto length = static_cast<std::size_t>(static_cast<const char*>(newline) - block);
      crossing_.append(block, length);
      begin_ = length + 1;
      return crossing_;
    }
    crossing_.append(block, end_);
  }
}

// Joins the continuation lines of `first`, which ends with '\\'. A continuation read after
// the end of the data is empty (getline extracts nothing once the end flag is set), so a
// trailing backslash on the last line simply disappears.
std::string_view ObjLineReader::joinContinuations(std::string_view first) {
  // Copied before the next read, which may replace the block or reuse crossing_.
  joined_.assign(first);
  while (!joined_.empty() && joined_.back() == '\\') {
    const std::string_view continuation =
        atEnd_ ? std::string_view{} : dropCarriageReturn(readPhysicalLine());
    joined_.pop_back();
    joined_.append(continuation);
  }
  return joined_;
}

bool ObjLineReader::readObjLine() {
  line_ = {};
  tokens_.clear();
  while (!atEnd_) {
    lineNumber_ = physicalLines_ + 1;
    std::string_view text = dropCarriageReturn(readPhysicalLine());
    if (!text.empty() && text.back() == '\\') text = joinContinuations(text);
    if (failed()) return false;
    if (!text.empty() && text.front() != '#') {
      line_ = text;
      tokenize();
      return true;
    }
    // Empty lines and comments (with their continuations) are skipped.
  }
  return false;
}

void ObjLineReader::tokenize() {
  const char* p = line_.data();
  const char* const end = p + line_.size();
  for (;;) {
    while (p != end && isSeparator(*p)) ++p;
    if (p == end) return;
    const char* const start = p;
    // The token ends at a separator or at an embedded NUL; the rest of a run after a NUL
    // (rare) is skipped over without being part of the token.
    while (p != end && !isSeparator(*p) && *p != '\0') ++p;
    tokens_.emplace_back(start, static_cast<std::size_t>(p - start));
    while (p != end && !isSeparator(*p)) ++p;
    if (tokens_.front() != "v") return;  // only vertex lines are split completely
  }
}

std::string shortVertexLineDetail(std::size_t numbers) {
  return "v line has " + std::to_string(numbers) + (numbers == 1 ? " number" : " numbers") +
         ", needs 3";
}
