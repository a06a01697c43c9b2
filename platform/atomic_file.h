#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Writes a file so that the target path only ever holds a complete file: the data goes to a
// temporary file in the target's folder, is flushed to the disk (fsync) and only then renamed
// over the target by commit(). If the writer is destroyed, or any step fails, before commit()
// succeeds, the temporary file is removed and the target is left as it was. Output is
// buffered in large blocks.
//
// The temporary file: on Linux first one without a name (O_TMPFILE), given a hidden name
// (linkat) only at commit just before the rename, so that even a killed process leaves
// nothing; where the file system refuses that, a hidden ".NAME.quorvex-XXXXXXXXXXXXXXXX.tmp"
// beside the target, removed on SIGINT, SIGTERM and SIGHUP (see interrupt_cleanup.h).
//
// A target that is a symbolic link keeps the link: the file it leads to is replaced, through a
// temporary file in that file's folder. A target that exists and is neither a regular file nor
// a folder (a device such as /dev/null, a FIFO) is opened and written directly, never replaced.
//
// A replaced regular file keeps its permission bits, and its owner and group where the process
// may set them (root: always; a user: a group the user is in); a new file gets the umask's
// default.
//
// On Windows, paths beyond MAX_PATH work (the "\\?\" form), and a target that another program
// holds open fails with a reason that says so; the temporary file is removed either way.
//
// Bytes are written as given (binary): line ends are the caller's.
class AtomicFileWriter {
 public:
  enum class Temporary { unnamedWhereSupported, named };

  // `temporary`: named forces the fallback (tests use it to cover both ways).
  explicit AtomicFileWriter(Temporary temporary = Temporary::unnamedWhereSupported)
      : temporary_(temporary) {}
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Creates the temporary file beside `targetPath` (or opens a device target). False (with
  // error()) when it cannot, e.g. a link that leads nowhere.
  [[nodiscard]] bool open(const std::string& targetPath);
  // Appends bytes. False once any write has failed (the error is kept).
  [[nodiscard]] bool write(std::string_view bytes);
  // Flushes and syncs the temporary file to the disk now, so that commit() only has to name it
  // (a thread may write and sync several files at once while another commits them in order).
  // False (with error()) on failure; the temporary file stays until commit() or discard().
  [[nodiscard]] bool sync();
  // Flushes, syncs to the disk (unless sync() did since the last write), closes and renames
  // over the target. False (with error()) on
  // any failure; the temporary file is then removed.
  [[nodiscard]] bool commit();
  // Removes the temporary file without touching the target.
  void discard();

  // The reason of the last failure, e.g. "cannot create temporary file in 'out': No such file
  // or directory".
  const std::string& error() const { return error_; }
  const std::string& targetPath() const { return target_; }

 private:
  bool openTemporary(const std::string& destination);
  bool openNamed(const std::string& destination);
  bool keepAttributes();
  bool giveName();
  bool flushBuffer();
  // Writes all of `bytes` to the temporary file (short writes and EINTR retried).
  bool writeAll(std::string_view bytes);
  // Keeps "<what>: <system reason>" as the error and marks the writer failed.
  void fail(const std::string& what, int errorNumber);
  void fail(const std::string& what, const std::string& reason);

  Temporary temporary_;
  std::string target_;       // as the caller named it, for messages
  std::string destination_;  // the path renamed over: the target, or the file a link leads to
  std::string temp_;         // the temporary file's name, once it has one
  int cleanupSlot_ = -1;
  bool unnamed_ = false;     // fd_ is an O_TMPFILE file without a name yet
  bool direct_ = false;      // fd_ is the target itself (a device or FIFO)
  // A regular file is replaced (POSIX): its permission bits, owner and group.
  bool keep_ = false;
  unsigned keptMode_ = 0;
  unsigned long keptOwner_ = 0;
  unsigned long keptGroup_ = 0;
  std::string error_;
  std::string buffer_;
  int fd_ = -1;
  bool failed_ = false;
  bool synced_ = false;  // on the disk as written so far
  unsigned long long written_ = 0;         // bytes written to fd_
  unsigned long long writeBackStart_ = 0;  // the disk write-back has been started below this
};

// Writes `text` to `path` through an AtomicFileWriter. False, with the reason in *error when
// given, on failure.
[[nodiscard]] bool writeTextFile(const std::string& path, std::string_view text,
                                 std::string* error = nullptr);
