#include "platform/utf8_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

#ifndef _WIN32  // on Windows the code page's names always have a UTF-8 form
// What a JSON record gets of a path that is not UTF-8: each stray byte as U+FFFD, so that the
// record stays valid JSON (the lists' UTF-8 rules are in input_list_test).
TEST(Utf8Path, JsonTextOfPaths) {
  EXPECT_EQ(pathToUtf8("t/\xff\xe2\x82.obj"), "t/\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd.obj");
  EXPECT_EQ(pathToUtf8("瓦片/a.obj"), "瓦片/a.obj");
}
#endif

}  // namespace
