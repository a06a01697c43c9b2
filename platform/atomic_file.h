#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Writes a file so that the target path only ever holds a complete file: the data goes to a
// temporary file in the target's folder, and commit() renames it over the target. If the
// writer is destroyed, or any step fails, before commit() succeeds, the temporary file is
// removed and the target is left as it was. Output is buffered in large blocks.
//
// Bytes are written as given (binary mode on every platform): a converted file keeps the
// input's own line ends, so both systems write the same bytes.
class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Creates the temporary file beside `targetPath`. False (with error()) when it cannot.
  [[nodiscard]] bool open(const std::string& targetPath);
  // Appends bytes. False once any write has failed (the error is kept).
  [[nodiscard]] bool write(std::string_view bytes);
  // Flushes, closes and renames over the target. False (with error()) on any failure; the
  // temporary file is then removed.
  [[nodiscard]] bool commit();
  // Removes the temporary file without touching the target.
  void discard();

  // The reason of the last failure, e.g. "cannot create temporary file in 'out': No such file
  // or directory".
  const std::string& error() const { return error_; }
  const std::string& targetPath() const { return target_; }

 private:
  bool flushBuffer();
  // Writes all of `bytes` to the temporary file (short writes and EINTR retried).
  bool writeAll(std::string_view bytes);
  // Keeps "<what>: <system reason>" as the error and marks the writer failed.
  void fail(const std::string& what, int errorNumber);

  std::string target_;
  std::string temp_;
  std::string error_;
  std::string buffer_;
  int fd_ = -1;
  bool failed_ = false;
};

// Writes `text` to `path` through an AtomicFileWriter. False, with the reason in *error when
// given, on failure.
[[nodiscard]] bool writeTextFile(const std::string& path, std::string_view text,
                                 std::string* error = nullptr);
