#include "platform/windows_device_name.h"

#include <gtest/gtest.h>

namespace {

TEST(NamesWindowsDevice, TheNameBeforeTheFirstDotInAnyFolderAndCase) {
  for (const char* path : {"con.obj", "CON", "nul.obj", "Aux.tar.gz", "prn", "out/nul.obj",
                           "c:\\out\\aux.obj", "C:nul.obj", "con .obj", "con..", "lpt1:",
                           "COM1.obj", "lpt9.obj", "com\xB9.obj", "LPT\xC2\xB3.obj"}) {
    EXPECT_TRUE(namesWindowsDevice(path)) << path;
  }
  for (const char* path : {"nul/tile.obj", "console.obj", "a.con", "com0.obj", "com10.obj",
                           "lpt.obj", "com\xB4.obj", " con.obj", "nula.obj", "", "out/", "x:"}) {
    EXPECT_FALSE(namesWindowsDevice(path)) << path;
  }
}

}  // namespace
