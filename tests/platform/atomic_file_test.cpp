#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <windows.h>

#include "platform/windows_error.h"
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/child_process.h"
#include "platform/interrupt_cleanup.h"
#include "platform/temp_folder.h"
#include "portable.h"

namespace {

using testing_support::readBytes;
using testing_support::readdirOrder;
using testing_support::TempFolder;

std::vector<std::string> sortedNames(const std::string& folder) {
  std::vector<std::string> names = readdirOrder(folder);
  std::sort(names.begin(), names.end());
  return names;
}

std::string pseudoRandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xff);
  return bytes;
}

TEST(AtomicFileWriter, CreatesANewFile) {
  // Until commit the data sits in a temporary file beside the target: without a name where
  // the file system allows it (this one does: ext4, tmpfs, btrfs, xfs), else a hidden one.
  // Windows has no unnamed files: a hidden named one there too.
#ifdef _WIN32
  constexpr std::size_t kUnnamedVisible = 1;
#else
  constexpr std::size_t kUnnamedVisible = 0;
#endif
  const std::pair<AtomicFileWriter::Temporary, std::size_t> kinds[] = {
      {AtomicFileWriter::Temporary::unnamedWhereSupported, kUnnamedVisible},
      {AtomicFileWriter::Temporary::named, 1}};
  for (const auto& [kind, visible] : kinds) {
    const TempFolder temp;
    const std::string target = temp.path("out.obj");
    AtomicFileWriter writer(kind);
    ASSERT_TRUE(writer.open(target)) << writer.error();
    const std::vector<std::string> during = readdirOrder(temp.path());
    ASSERT_EQ(during.size(), visible);
    if (visible == 1) {
      EXPECT_EQ(during[0].rfind(".out.obj.quorvex-", 0), 0u) << during[0];
      EXPECT_EQ(during[0].size(), std::string(".out.obj.quorvex-").size() + 16 + 4) << during[0];
      EXPECT_TRUE(during[0].ends_with(".tmp")) << during[0];
    }
    ASSERT_TRUE(writer.write("v 1 2 3\n"));
    ASSERT_TRUE(writer.write("f 1 1 1\r\n"));
    EXPECT_EQ(readBytes(target), "");
    ASSERT_TRUE(writer.commit()) << writer.error();
    EXPECT_EQ(readBytes(target), "v 1 2 3\nf 1 1 1\r\n");
    EXPECT_EQ(sortedNames(temp.path()), std::vector<std::string>{"out.obj"});
  }
}

// A link keeps being a link: the file it leads to is replaced, with the temporary file in
// that file's folder.
TEST(AtomicFileWriter, ReplacesTheFileALinkLeadsTo) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine creates no symbolic links";
#else
  const TempFolder temp;
  temp.write("real/out.obj", "old");
  temp.makeFolder("links");
  ASSERT_EQ(symlink("../real/out.obj", temp.path("links/out.obj").c_str()), 0);
  for (const auto kind :
       {AtomicFileWriter::Temporary::unnamedWhereSupported, AtomicFileWriter::Temporary::named}) {
    AtomicFileWriter writer(kind);
    ASSERT_TRUE(writer.open(temp.path("links/out.obj"))) << writer.error();
    ASSERT_TRUE(writer.write("new"));
    ASSERT_TRUE(writer.commit()) << writer.error();
    struct stat info;
    ASSERT_EQ(lstat(temp.path("links/out.obj").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(readBytes(temp.path("real/out.obj")), "new");
    EXPECT_EQ(sortedNames(temp.path("links")), std::vector<std::string>{"out.obj"});
    EXPECT_EQ(sortedNames(temp.path("real")), std::vector<std::string>{"out.obj"});
    ASSERT_TRUE(writeTextFile(temp.path("real/out.obj"), "old"));
  }
#endif
}

// A process ended by a signal in the middle of writing leaves no temporary file: a named one
// is removed by the handler of SIGINT / SIGTERM / SIGHUP, and the process still dies by that
// signal. (The unnamed one, under any signal: tests/faults.) The folders registered as made
// by the run go too when empty, the deeper first; one that holds a file stays.
TEST(AtomicFileWriter, SignalsLeaveNoTemporaryFile) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no fork and no SIGHUP; its console stop is not a POSIX signal";
#else
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE("signal " + std::to_string(signal));
    const TempFolder temp;
    temp.write("out.obj", "kept");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      CleanupFolders made;
      for (const char* folder : {"new", "new/deep", "kept"}) {
        if (mkdir(temp.path(folder).c_str(), 0755) != 0) _exit(5);
        made.add(temp.path(folder).c_str());
      }
      AtomicFileWriter writer(AtomicFileWriter::Temporary::named);
      if (!writeTextFile(temp.path("kept/a.obj"), "v 1 2 3\n") ||
          !writer.open(temp.path("out.obj")) || !writer.write(pseudoRandomBytes(3u << 20, 4))) {
        _exit(3);
      }
      raise(signal);
      _exit(4);  // not reached: the signal ends the process
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_EQ(readBytes(temp.path("out.obj")), "kept");
    EXPECT_EQ(sortedNames(temp.path()), (std::vector<std::string>{"kept", "out.obj"}));
  }
#endif
}

// Threads creating temporary files while the signal comes: each file is removed or never
// made, whichever thread the handler runs on.
TEST(AtomicFileWriter, ASignalAmidThreadsCreatingFilesLeavesNone) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no fork and no SIGTERM handler here";
#else
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const TempFolder temp;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Taken even where the test runner was started with SIGTERM ignored: else the child's
      // threads would run on and the wait below would never end.
      std::signal(SIGTERM, SIG_DFL);
      std::vector<std::thread> threads;
      for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&temp, t] {
          for (int k = 0;; ++k) {
            AtomicFileWriter writer(AtomicFileWriter::Temporary::named);
            const std::string name = std::to_string(t) + "-" + std::to_string(k % 50) + ".obj";
            if (writer.open(temp.path(name))) (void)writer.write("v 1 2 3\n");
          }  // each writer discarded: open, then unlink, again and again
        });
      }
      for (std::thread& thread : threads) thread.join();
      _exit(4);
    }
    usleep(static_cast<useconds_t>(5000 + 3000 * round));
    ASSERT_EQ(kill(child, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(sortedNames(temp.path()), std::vector<std::string>{});
  }
#endif
}

TEST(AtomicFileWriter, ReplacesAnExistingFile) {
  const TempFolder temp;
  temp.write("out.obj", "old text that is longer than the new one\n");
  std::string error;
  ASSERT_TRUE(writeTextFile(temp.path("out.obj"), "new\n", &error)) << error;
  EXPECT_EQ(readBytes(temp.path("out.obj")), "new\n");
  EXPECT_EQ(sortedNames(temp.path()), std::vector<std::string>{"out.obj"});
}

TEST(AtomicFileWriter, DiscardedWriterLeavesTheTargetUntouched) {
  const TempFolder temp;
  const std::string original = pseudoRandomBytes(5000, 1);
  temp.write("out.obj", original);
  {
    AtomicFileWriter writer;
    ASSERT_TRUE(writer.open(temp.path("out.obj"))) << writer.error();
    // More than the buffer, so part of it has reached the temporary file.
    ASSERT_TRUE(writer.write(pseudoRandomBytes(3u << 20, 2)));
  }  // destroyed without commit
  EXPECT_TRUE(readBytes(temp.path("out.obj")) == original);
  EXPECT_EQ(sortedNames(temp.path()), std::vector<std::string>{"out.obj"});

  AtomicFileWriter writer;
  ASSERT_TRUE(writer.open(temp.path("out.obj"))) << writer.error();
  ASSERT_TRUE(writer.write("partial"));
  writer.discard();
  EXPECT_TRUE(readBytes(temp.path("out.obj")) == original);
  EXPECT_EQ(sortedNames(temp.path()), std::vector<std::string>{"out.obj"});
}

TEST(AtomicFileWriter, MissingFolderFailsAndWritesNothing) {
  const TempFolder temp;
  const std::string folder = temp.path("no/such");
  std::string error;
  EXPECT_FALSE(writeTextFile(folder + "/out.obj", "v 1 2 3\n", &error));
  EXPECT_EQ(error, "cannot create temporary file in '" + folder + "': No such file or directory");
  EXPECT_TRUE(readdirOrder(temp.path()).empty());

  AtomicFileWriter writer;
  EXPECT_FALSE(writer.open(folder + "/out.obj"));
  EXPECT_FALSE(writer.write("v 1 2 3\n"));  // a failed writer stays failed
  EXPECT_FALSE(writer.commit());
  EXPECT_TRUE(readdirOrder(temp.path()).empty());
}

TEST(AtomicFileWriter, ReadOnlyFolderFailsWithTheReason) {
  SKIP_WITHOUT_PERMISSION_BITS();
  if (portable::ignoresPermissions()) {
    GTEST_SKIP() << "running as root, which ignores folder permissions";
  }
  const TempFolder temp;
  temp.makeFolder("locked");
  temp.write("locked/out.obj", "kept");
  ASSERT_EQ(chmod(temp.path("locked").c_str(), 0555), 0);
  std::string error;
  EXPECT_FALSE(writeTextFile(temp.path("locked/out.obj"), "new", &error));
  EXPECT_EQ(error, "cannot create temporary file in '" + temp.path("locked") +
                       "': Permission denied");
  EXPECT_EQ(readBytes(temp.path("locked/out.obj")), "kept");
}

TEST(AtomicFileWriter, TargetThatIsAFolderFailsAndLeavesNoTemporaryFile) {
  const TempFolder temp;
  temp.makeFolder("out.obj");
  std::string error;
  EXPECT_FALSE(writeTextFile(temp.path("out.obj"), "v 1 2 3\n", &error));
  EXPECT_EQ(error, "cannot replace '" + temp.path("out.obj") + "': " +
                       portable::kFolderAsFileReason);
  EXPECT_EQ(sortedNames(temp.path()), std::vector<std::string>{"out.obj"});
}

#ifndef _WIN32
// Lowers the file size limit of the process for one scope (works for root too) and ignores
// SIGXFSZ, so that a write beyond the limit fails with EFBIG instead of ending the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved_;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = nullptr;
};

#endif

TEST(AtomicFileWriter, FailedWriteKeepsTheTargetAndNamesTheReason) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file size limit per process (RLIMIT_FSIZE) to make a write fail";
#else
  const TempFolder temp;
  temp.write("out.obj", "kept");
  bool committed = true;
  AtomicFileWriter writer;
  {
    const FileSizeLimit limit(64 * 1024);
    ASSERT_TRUE(writer.open(temp.path("out.obj"))) << writer.error();
    // 3 MiB: the block writes go past the limit.
    const bool written = writer.write(pseudoRandomBytes(3u << 20, 3));
    committed = writer.commit();
    EXPECT_FALSE(written && committed);
  }
  EXPECT_FALSE(committed);
  EXPECT_EQ(writer.error(), "cannot write '" + temp.path("out.obj") + "': File too large");
  EXPECT_EQ(readBytes(temp.path("out.obj")), "kept");
  EXPECT_EQ(sortedNames(temp.path()), std::vector<std::string>{"out.obj"});
#endif
}

TEST(AtomicFileWriter, WritesOfEverySizeAcrossTheBufferArriveInOrder) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  constexpr std::size_t kQuarter = kMiB / 4;
  // Piece sizes around the 1 MiB block and the 256 KiB direct-write size: below, at and
  // above them, huge and tiny, so that the buffered path, the pass-through path and every
  // switch between them are taken.
  const std::size_t sizes[] = {1,        kMiB - 1,     1,           kMiB,        0,
                               kMiB + 1, 7,            3 * kMiB + 5, 100,        kMiB - 100,
                               2 * kMiB, 1,            4095,        kQuarter - 1, kQuarter - 1,
                               kQuarter - 1, kQuarter - 1, kQuarter - 1, kQuarter, 3,
                               kQuarter + 1, 200000, 200000, 200000, 200000, 200000, 200000};
  const TempFolder temp;
  AtomicFileWriter writer;
  ASSERT_TRUE(writer.open(temp.path("big.obj"))) << writer.error();
  std::string expected;
  unsigned seed = 10;
  for (const std::size_t size : sizes) {
    const std::string piece = pseudoRandomBytes(size, seed++);
    expected += piece;
    ASSERT_TRUE(writer.write(piece)) << writer.error();
  }
  // Many small writes, as a line-by-line rewriter makes them.
  for (int i = 0; i < 200000; ++i) {
    const std::string line = "v " + std::to_string(i) + " 2.500000 -3.000000\n";
    expected += line;
    ASSERT_TRUE(writer.write(line));
  }
  ASSERT_TRUE(writer.commit()) << writer.error();
  EXPECT_EQ(readBytes(temp.path("big.obj")).size(), expected.size());
  EXPECT_TRUE(readBytes(temp.path("big.obj")) == expected);
}

TEST(AtomicFileWriter, NewFilesGetTheUmaskPermissions) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows files have no group and other permission bits for a umask to clear";
#else
  const TempFolder temp;
  const mode_t previous = umask(022);
  ASSERT_TRUE(writeTextFile(temp.path("shared.obj"), "x"));
  umask(077);
  ASSERT_TRUE(writeTextFile(temp.path("private.obj"), "x"));
  umask(previous);
  struct stat info;
  ASSERT_EQ(stat(temp.path("shared.obj").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  ASSERT_EQ(stat(temp.path("private.obj").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
#endif
}

// A replaced file keeps its permission bits and (as root) its owner and group, both ways; a
// user who may not give it its owner (EPERM) still replaces it.
TEST(AtomicFileWriter, ReplacedFileKeepsItsPermissionsAndOwner) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no POSIX permission bits and owners";
#else
  const TempFolder temp;
  std::filesystem::permissions(temp.path(), std::filesystem::perms(0777));
  const std::string target = temp.path("out.obj");
  const bool root = geteuid() == 0;
  const mode_t previous = umask(022);
  for (const auto kind :
       {AtomicFileWriter::Temporary::unnamedWhereSupported, AtomicFileWriter::Temporary::named}) {
    for (const mode_t mode : {0600, 0640, 0604, 0755, 06750}) {
      temp.write("out.obj", "old");
      if (root) {  // before chmod: a change of owner clears the set-ID bits
        ASSERT_EQ(chown(target.c_str(), testing_support::kNobody, testing_support::kNobody), 0);
      }
      ASSERT_EQ(chmod(target.c_str(), mode), 0);
      AtomicFileWriter writer(kind);
      ASSERT_TRUE(writer.open(target) && writer.write("new") && writer.commit()) << writer.error();
      struct stat info;
      ASSERT_EQ(stat(target.c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, mode) << std::oct << mode;
      EXPECT_EQ(info.st_uid, root ? testing_support::kNobody : geteuid()) << std::oct << mode;
    }
  }
  umask(previous);
  if (!root) return;
  ASSERT_EQ(chown(target.c_str(), 0, 0), 0);  // root's file, replaced by nobody
  ASSERT_EQ(chmod(target.c_str(), 0646), 0);
  const std::string written = testing_support::runInChild(
      [&] { return writeTextFile(target, "nobody's") ? "written" : "not written"; }, true);
  if (written == testing_support::kCannotDrop) GTEST_SKIP() << written;
  EXPECT_EQ(written, "written");
  struct stat info;
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0646u);
  EXPECT_EQ(info.st_uid, testing_support::kNobody);
#endif
}

// Windows does not replace a file another program holds open: the message says so, the
// temporary file goes and the old file stays.
TEST(AtomicFileWriter, TargetHeldOpenByAnotherProgramFailsAndSaysSo) {
#ifndef _WIN32
  GTEST_SKIP() << "POSIX replaces a file whoever holds it open";
#else
  const TempFolder temp;
  temp.write("out.obj", "old");
  const HANDLE held = CreateFileA(temp.path("out.obj").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string error;
  const bool written = writeTextFile(temp.path("out.obj"), "new", &error);
  CloseHandle(held);
  EXPECT_FALSE(written);
  EXPECT_EQ(error, "cannot replace '" + temp.path("out.obj") + "': " + kHeldOpenReason);
  EXPECT_EQ(readBytes(temp.path("out.obj")), "old");
  EXPECT_EQ(sortedNames(temp.path()), std::vector<std::string>{"out.obj"});
#endif
}

TEST(AtomicFileWriter, RelativeTargetInTheCurrentFolder) {
  const TempFolder temp;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(temp.path());
  const bool written = writeTextFile("base.txt", "4539");
  std::filesystem::current_path(previous);
  EXPECT_TRUE(written);
  EXPECT_EQ(readBytes(temp.path("base.txt")), "4539");
  EXPECT_EQ(sortedNames(temp.path()), std::vector<std::string>{"base.txt"});
}

TEST(AtomicFileWriter, UnopenedWriterRefusesToCommit) {
  AtomicFileWriter writer;
  EXPECT_FALSE(writer.write("x"));
  EXPECT_FALSE(writer.commit());
  EXPECT_FALSE(writer.error().empty());
}

}  // namespace
