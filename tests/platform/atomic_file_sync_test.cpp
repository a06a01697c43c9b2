// The writer flushes the data to the disk before the rename: checked by standing in for
// fsync(2) in this test program and looking at the files at the moment it is called.
#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/temp_folder.h"

namespace {

struct SyncSeen {
  long long bytes;     // size of the file being synced, when it was synced
  std::string target;  // what the target held then
};

std::vector<SyncSeen>* seen = nullptr;
std::string watchedTarget;

}  // namespace

// Every fsync of this program comes here: recorded while a test watches, then done for real.
extern "C" int fsync(int fd) {
  if (seen != nullptr) {
    struct stat info {};
    fstat(fd, &info);
    seen->push_back({static_cast<long long>(info.st_size),
                     testing_support::readBytes(watchedTarget)});
  }
  return static_cast<int>(syscall(SYS_fsync, fd));
}

namespace {

TEST(AtomicFileWriter, SyncsTheWholeFileBeforeTheRename) {
  const testing_support::TempFolder temp;
  for (const auto kind :
       {AtomicFileWriter::Temporary::unnamedWhereSupported, AtomicFileWriter::Temporary::named}) {
    watchedTarget = temp.path("out.obj");
    temp.write("out.obj", "old");
    std::vector<SyncSeen> calls;
    AtomicFileWriter writer(kind);
    ASSERT_TRUE(writer.open(watchedTarget)) << writer.error();
    ASSERT_TRUE(writer.write("v 1 2 3\n"));  // still in the writer's buffer
    seen = &calls;
    const bool committed = writer.commit();
    seen = nullptr;
    ASSERT_TRUE(committed) << writer.error();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].bytes, 8) << "synced before the buffer reached the file";
    EXPECT_EQ(calls[0].target, "old") << "synced after the rename";
  }
  // A device has nothing to sync (fsync on /dev/null fails with EINVAL).
  std::vector<SyncSeen> calls;
  seen = &calls;
  const bool written = writeTextFile("/dev/null", "4548");
  seen = nullptr;
  EXPECT_TRUE(written);
  EXPECT_TRUE(calls.empty());
}

}  // namespace

#else  // no fsync(2) to stand in for

TEST(AtomicFileWriter, SyncsTheWholeFileBeforeTheRename) {
  GTEST_SKIP() << "checked on Linux, where this test stands in for fsync(2)";
}

#endif
