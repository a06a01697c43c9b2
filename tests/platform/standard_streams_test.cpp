#include "platform/standard_streams.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <io.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <string>

#include "platform/temp_folder.h"

namespace {

#ifdef _WIN32
int duplicate(int fd) { return _dup(fd); }
int duplicateTo(int from, int to) { return _dup2(from, to); }
int closeFd(int fd) { return _close(fd); }
int openFile(const std::string& path) { return _open(path.c_str(), _O_CREAT | _O_WRONLY, 0600); }
#else
int duplicate(int fd) { return dup(fd); }
int duplicateTo(int from, int to) { return dup2(from, to); }
int closeFd(int fd) { return close(fd); }
int openFile(const std::string& path) { return open(path.c_str(), O_CREAT | O_WRONLY, 0600); }
#endif

// Each standard descriptor closed at start (as `quorvex >&-` leaves it) is opened on the null
// device, so that the next file opened does not take its number; the process's own streams
// are put back afterwards.
TEST(OpenClosedStandardStreams, AFileOpenedAfterwardsGetsNoStandardDescriptor) {
  const testing_support::TempFolder temp;
  for (int fd = 0; fd <= 2; ++fd) {
    std::fflush(nullptr);
    const int saved = duplicate(fd);
    ASSERT_GE(saved, 0);
    closeFd(fd);
    openClosedStandardStreams();
    const int file = openFile(temp.path("out" + std::to_string(fd)));
    duplicateTo(saved, fd);
    closeFd(saved);
    EXPECT_GT(file, 2) << "descriptor " << fd << " was left closed";
    closeFd(file);
  }
}

TEST(WriteStandardOutput, AFailedWriteGivesTheSystemsReason) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no device that is always full (/dev/full)";
#else
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {  // a child: what it leaves in its standard output's buffer is lost with it
    std::string error;
    const int full = open("/dev/full", O_WRONLY);
    if (full < 0 || dup2(full, 1) != 1) _exit(2);
    const bool written = writeStandardOutput("4548\n", &error);
    _exit(!written && error == "No space left on device" ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  std::string error = "unchanged";
  EXPECT_TRUE(writeStandardOutput("", &error));
  EXPECT_EQ(error, "unchanged");
#endif
}

}  // namespace
