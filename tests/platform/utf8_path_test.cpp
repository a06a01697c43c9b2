#include "platform/utf8_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// RFC 3629's ranges: surrogates (ED A0..BF), overlong forms (C0, E0 80..9F, F0 80..8F) and
// code points past U+10FFFF (F4 90.., F5..) are not UTF-8; the largest of each length is.
TEST(Utf8Path, ValidUtf8AndJsonTextOfPaths) {
  for (const char* good : {"", "a", "\xc2\x80", "\xdf\xbf", "\xe0\xa0\x80", "\xed\x9f\xbf",
                           "\xef\xbf\xbf", "\xf0\x90\x80\x80", "\xf4\x8f\xbf\xbf", "瓦片.obj"}) {
    EXPECT_TRUE(isValidUtf8(good)) << good;
  }
  for (const char* bad : {"\x80", "\xc0\x80", "\xc2", "\xe0\x9f\xbf", "\xed\xa0\x80",
                          "\xf0\x8f\xbf\xbf", "\xf4\x90\x80\x80", "\xf5\x80\x80\x80", "\xe2\x82"}) {
    EXPECT_FALSE(isValidUtf8(bad)) << bad;
  }
#ifndef _WIN32
  EXPECT_EQ(pathToUtf8("tiles/\xff\xe2\x82.obj"), "tiles/\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd.obj");
  EXPECT_EQ(pathToUtf8("瓦片/a.obj"), "瓦片/a.obj");
#endif
}

}  // namespace
