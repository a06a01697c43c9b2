#include "platform/standard_streams.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/child_process.h"
#include "platform/temp_folder.h"

namespace {

// Both rules are checked in a child process, started with streams closed or on /dev/full:
// POSIX only (Windows has neither fork nor /dev/full).
#ifndef _WIN32

// Standard streams closed at start (`quorvex <&- >&- 2>&-`) are opened on the null device, so
// that the next file opened takes none of their numbers.
TEST(OpenClosedStandardStreams, AFileOpenedAfterwardsGetsNoStandardDescriptor) {
  const testing_support::TempFolder temp;
  const std::string found = testing_support::runInChild([&] {
    for (int fd = 0; fd <= 2; ++fd) close(fd);
    openClosedStandardStreams();
    const int fd = open(temp.path("out.obj").c_str(), O_CREAT | O_WRONLY, 0600);
    return fd > 2 ? "a new descriptor" : "descriptor " + std::to_string(fd);
  });
  EXPECT_EQ(found, "a new descriptor");
}

TEST(WriteStandardOutput, AFailedWriteGivesTheSystemsReason) {
  const std::string found = testing_support::runInChild([] {
    std::string error;
    if (dup2(open("/dev/full", O_WRONLY), 1) != 1) return std::string("no /dev/full");
    return writeStandardOutput("4548\n", &error) ? std::string("written") : error;
  });
  EXPECT_EQ(found, "No space left on device");
}

#endif

}  // namespace
