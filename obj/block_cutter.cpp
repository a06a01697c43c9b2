#include "obj/block_cutter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "obj/line_ends.h"
#include "platform/open_for_reading.h"

std::size_t lastLogicalLineEnd(std::string_view bytes, bool atEnd, std::size_t from) {
  for (std::size_t p = bytes.size(); p > from; --p) {
    const char c = bytes[p - 1];
    if (!isLineEndByte(c)) continue;
    if (c == '\r') {
      // A "\r" is a line end of its own only when the next byte is known not to be "\n".
      if (p == bytes.size() ? !atEnd : bytes[p] == '\n') continue;
    }
    // The first byte of the line end, and the physical line's last byte before it.
    const std::size_t endStart = c == '\n' && p >= 2 && bytes[p - 2] == '\r' ? p - 2 : p - 1;
    if (endStart > 0 && continuesLine(bytes[endStart - 1])) continue;  // goes on
    return p;
  }
  return 0;
}

BlockCutter::BlockCutter(std::size_t blockSize, std::size_t maxBlock)
    : blockSize_(std::max<std::size_t>(blockSize, 1)),
      maxBlock_(std::max(maxBlock, blockSize_)) {}

BlockCutter::~BlockCutter() { close(); }

void BlockCutter::close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool BlockCutter::open(const std::string& path) {
  close();
  carry_.clear();
  consumed_ = 0;
  tooLong_ = false;
  error_.clear();
  file_ = openForReading(path);
  if (file_ == nullptr) {
    error_ = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  std::setvbuf(file_, nullptr, _IONBF, 0);
  return true;
}

bool BlockCutter::readMore(std::string& block, std::size_t count) {
  if (file_ == nullptr) return false;
  const std::size_t old = block.size();
  block.resize(old + count);
  const std::size_t got = std::fread(block.data() + old, 1, count, file_);
  block.resize(old + got);
  if (got == 0) {
    if (std::ferror(file_) != 0) error_ = std::string("cannot read: ") + std::strerror(errno);
    // Closed as soon as it is read, as ObjLineReader does (Windows refuses to replace an
    // open file).
    close();
    return false;
  }
  return true;
}

bool BlockCutter::next(std::string& block) {
  block.swap(carry_);
  carry_.clear();
  std::size_t searched = 0;  // bytes of `block` known to hold no cut
  for (;;) {
    if (block.size() >= maxBlock_) {
      tooLong_ = true;
      block.clear();
      close();
      return false;
    }
    const std::size_t want = block.size() < blockSize_ ? blockSize_ - block.size() : blockSize_;
    const bool more = readMore(block, want);
    if (failed()) return false;
    if (!more) {
      consumed_ += block.size();
      return !block.empty();
    }
    if (block.size() < blockSize_) continue;  // a short read: fill the block first
    // Only the new bytes, and a "\r" that ended the bytes searched before (its next byte was
    // not known then), can hold a cut not found before.
    const std::size_t cut =
        lastLogicalLineEnd(block, false, searched > 0 ? searched - 1 : 0);
    if (cut != 0) {
      carry_.assign(block, cut, std::string::npos);
      block.resize(cut);
      consumed_ += block.size();
      return true;
    }
    searched = block.size();
  }
}
