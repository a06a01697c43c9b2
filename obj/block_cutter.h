#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// Cuts an OBJ file into blocks of whole logical lines (see ObjLineReader), so that each block
// can be read on its own through ObjLineReader::openMemory and gives the same lines as the
// whole file. A block ends right after a line end that ends a logical line: never between the
// "\r" and "\n" of a "\r\n", never after a physical line whose last byte is '\\'. A block is
// about `blockSize` bytes; a logical line longer than that makes its block grow until the
// line has ended, up to `maxBlock` bytes. A block that would be longer is not handed out:
// next() stops with tooLong(), and the rest of the file from consumed() on is for a reader
// that streams (ObjLineReader), so that memory stays bounded whatever the line length.
class BlockCutter {
 public:
  BlockCutter(std::size_t blockSize, std::size_t maxBlock);
  ~BlockCutter();
  BlockCutter(const BlockCutter&) = delete;
  BlockCutter& operator=(const BlockCutter&) = delete;

  // Opens a file (binary). False with error(), "cannot open: <reason>" as ObjLineReader says.
  [[nodiscard]] bool open(const std::string& path);
  // The next block into `block` (replacing its content). False at the end of the file, on a
  // read error (then failed()) or at a line too long for a block (then tooLong()); the file
  // is closed then.
  [[nodiscard]] bool next(std::string& block);
  bool tooLong() const { return tooLong_; }
  // Bytes of the file handed out in blocks so far.
  std::uint64_t consumed() const { return consumed_; }

  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  // Reads up to `count` more bytes onto `block`; false at the end of the file or on an error.
  bool readMore(std::string& block, std::size_t count);
  void close();

  std::size_t blockSize_;
  std::size_t maxBlock_;
  bool tooLong_ = false;
  std::FILE* file_ = nullptr;
  std::string carry_;  // bytes read after the last cut: the start of the next block
  std::uint64_t consumed_ = 0;
  std::string error_;
};

// Where `bytes` may be cut: the end of the last logical line that ends in it after position
// `from`, or 0 when none does. `atEnd`: no byte follows `bytes` (a final "\r" is then a whole
// line end). `bytes` must start at the start of a logical line.
std::size_t lastLogicalLineEnd(std::string_view bytes, bool atEnd, std::size_t from = 0);
