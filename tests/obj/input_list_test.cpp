#include "obj/input_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/filesystem.h"
#include "platform/temp_folder.h"

namespace {

using testing_support::TempFolder;

TEST(InputList, TakesEachLineButBlankAndCommentLines) {
  const TempFolder temp;
  const std::string root = temp.path("abs.obj");  // rooted: not joined to the folder
  struct Case {
    std::string text;
    std::vector<std::string> names;
    std::vector<std::size_t> lines;
  };
  const Case cases[] = {
      {"", {}, {}},
      {"\xef\xbb\xbf" "a.obj\r\n\r\n  \t\n  # note\nsub/b c.obj", {"a.obj", "sub/b c.obj"}, {1, 5}},
      {"#x.obj\n./#x.obj\n" + root + "\n", {"./#x.obj", root}, {2, 3}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    temp.write("list", cases[i].text);
    std::vector<InputListEntry> entries;
    std::string error;
    ASSERT_TRUE(readInputList(temp.path("list"), "in", entries, error)) << i << ": " << error;
    ASSERT_EQ(entries.size(), cases[i].names.size()) << i;
    for (std::size_t e = 0; e < entries.size(); ++e) {
      EXPECT_EQ(entries[e].name, cases[i].names[e]) << i;
      EXPECT_EQ(entries[e].line, cases[i].lines[e]) << i;
      const bool rooted = entries[e].name == root;
      EXPECT_EQ(entries[e].path, rooted ? root : joinPath("in", entries[e].name)) << i;
    }
  }
  const struct {
    std::string text;
    const char* error;
  } bad[] = {
      {std::string("a.obj\nb\0.obj\n", 13), ":2: a NUL byte in the path"},
      {"a.obj\n\n\xff.obj\n", ":3: the path is not UTF-8 text"},
      {"\xc0\xaf.obj\n", ":1: the path is not UTF-8 text"},  // an overlong '/'
      {"\xed\xa0\x80.obj\n", ":1: the path is not UTF-8 text"},  // a surrogate
      {"\xf4\x90\x80\x80.obj\n", ":1: the path is not UTF-8 text"},  // past U+10FFFF
  };
  for (const auto& b : bad) {
    temp.write("list", b.text);
    std::vector<InputListEntry> entries;
    std::string error;
    EXPECT_FALSE(readInputList(temp.path("list"), "", entries, error)) << b.error;
    EXPECT_EQ(error.rfind(temp.path("list") + b.error, 0), 0u) << error;
  }
}

}  // namespace
