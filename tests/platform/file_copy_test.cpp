#include "platform/file_copy.h"

#include <gtest/gtest.h>

#include <string>

#include "temp_folder.h"

namespace {

// Files compared in pieces of 1 MiB: equal and unequal pairs on both sides of a piece's end.
TEST(SameBytes, ComparesWholeFilesAcrossPieces) {
  const std::string mib(std::size_t{1} << 20, 'x');
  const struct {
    const char* name;
    std::string a, b;
    bool same;
  } cases[] = {
      {"empty", "", "", true},
      {"small, equal", "abc", "abc", true},
      {"small, one byte differs", "abc", "abd", false},
      {"one piece exactly, equal", mib, mib, true},
      {"longer than a piece, equal", mib + mib + "tail", mib + mib + "tail", true},
      {"longer than a piece, the last byte differs", mib + "tail", mib + "taiL", false},
      {"b one byte longer", mib + "t", mib + "tt", false},
  };
  testing_support::TempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    folder.write("a", c.a);
    folder.write("b", c.b);
    EXPECT_EQ(sameBytes(folder.path("a"), folder.path("b")), c.same);
  }
  EXPECT_FALSE(sameBytes(folder.path("a"), folder.path("missing")));
}

}  // namespace
