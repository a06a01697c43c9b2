#include "platform/windows_device_name.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

TEST(NamesWindowsDevice, TheNameBeforeTheFirstDotInAnyFolderAndCase) {
  struct Case {
    std::string_view path;
    bool device;
  };
  const Case cases[] = {
      {"con.obj", true},        {"CON", true},           {"nul.obj", true},
      {"Aux.tar.gz", true},     {"prn", true},           {"out/nul.obj", true},
      {"c:\\out\\aux.obj", true}, {"C:nul.obj", true},    {"con .obj", true},
      {"con..", true},          {"lpt1:", true},         {"COM1.obj", true},
      {"lpt9.obj", true},       {"com\xB9.obj", true},   {"LPT\xC2\xB3.obj", true},
      {"nul/tile.obj", false},  {"console.obj", false},  {"a.con", false},
      {"com0.obj", false},      {"com10.obj", false},    {"lpt.obj", false},
      {"com\xB4.obj", false},   {" con.obj", false},     {"nula.obj", false},
      {"", false},              {"out/", false},         {"x:", false},
  };
  for (const Case& c : cases) EXPECT_EQ(namesWindowsDevice(c.path), c.device) << c.path;
}

}  // namespace
