#include "platform/filesystem.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readdirOrder;
using testing_support::TempFolder;

TEST(MatchWildcard, FollowsWindowsNameMatching) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"*.obj", "a.obj", true},
      {"*.obj", "A.OBJ", true},  // letter case is ignored on both sides
      {"*.obj", "b.Obj", true},
      {"*.OBJ", "c.obj", true},
      {"*.obj", ".obj", true},  // '*' may match nothing
      {"*.obj", "a.b.obj", true},
      {"*.obj", "a.objx", false},
      {"*.obj", "a.ob", false},
      {"*.obj", "obj", false},
      {"*.obj", "aobj", false},
      {"*.obj", "a.obj.bak", false},
      {"*.obj", "", false},
      {"*.*", "a.obj", true},
      {"*.*", "noextension", true},  // Windows: "*.*" is every name
      {"*.*", ".", true},
      {"*.*", "..", true},
      {"*", "anything", true},
      {"*", "", true},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"a?c", "abbc", false},
      {"?", "", false},
      {"*a*b*", "xxaxxbxx", true},
      {"*a*b*", "xxbxxaxx", false},
      {"*ab", "aab", true},  // needs the backtrack of '*'
      {"*aab", "aaab", true},
      {"a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
      {"tile_??.obj", "TILE_07.OBJ", true},
      {"tile_??.obj", "tile_7.obj", false},
      {"data.*", "data", true},  // ".*" also matches no extension
      {"data.*", "data.json", true},
      {"data.*", "datax", false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(matchWildcard(c.pattern, c.name), c.matches)
        << "case " << i << ": '" << c.pattern << "' vs '" << c.name << "'";
  }
}

TEST(JoinPath, PutsOneSeparatorBetween) {
  struct Case {
    const char* folder;
    const char* name;
    const char* joined;
  };
  const Case cases[] = {
      {"", "a.obj", "a.obj"},  // the current directory: a bare name
      {"in", "a.obj", "in/a.obj"},
      {"in/", "a.obj", "in/a.obj"},  // no doubled separator
      {"/", "a.obj", "/a.obj"},
      {"/data/in", "sub", "/data/in/sub"},
      {"in//", "a.obj", "in//a.obj"},  // what is given is kept
      {"C:\\in", "a.obj", "C:\\in/a.obj"},  // '\\' is an ordinary character here
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(joinPath(cases[i].folder, cases[i].name), cases[i].joined) << "case " << i;
  }
  EXPECT_EQ(kPathSeparator, '/');
}

TEST(PathExists, TellsFilesFoldersAndMissingPathsApart) {
  const TempFolder temp;
  temp.write("file.json", "{}");
  temp.makeFolder("folder");
  ASSERT_EQ(symlink(temp.path("nowhere").c_str(), temp.path("dangling").c_str()), 0);
  ASSERT_EQ(symlink(temp.path("folder").c_str(), temp.path("link").c_str()), 0);

  EXPECT_TRUE(pathExists(temp.path("file.json")));
  EXPECT_TRUE(pathExists(temp.path("folder")));
  EXPECT_TRUE(pathExists(temp.path("link")));
  EXPECT_FALSE(pathExists(temp.path("missing.json")));
  EXPECT_FALSE(pathExists(temp.path("dangling")));  // the test follows the link
  EXPECT_FALSE(pathExists(""));

  EXPECT_FALSE(isDirectory(temp.path("file.json")));
  EXPECT_TRUE(isDirectory(temp.path("folder")));
  EXPECT_TRUE(isDirectory(temp.path("link")));
  EXPECT_FALSE(isDirectory(temp.path("missing")));
}

std::vector<std::string> namesOf(const std::vector<DirectoryEntry>& entries) {
  std::vector<std::string> names;
  for (const DirectoryEntry& entry : entries) names.push_back(entry.name);
  return names;
}

TEST(SearchDirectory, KeepsTheDirectoryOrderAndMatchesAnyCase) {
  const TempFolder temp;
  // Enough names that the directory's own (hash) order is practically never sorted.
  for (int i = 0; i < 40; ++i) temp.write("tile_" + std::to_string(i) + ".obj", "v 0 0 0\n");
  temp.write("A.OBJ", "");
  temp.write("b.Obj", "");
  temp.write("notes.txt", "");
  temp.write("c.objx", "");
  temp.write("obj", "");

  std::vector<std::string> expected;
  for (const std::string& name : readdirOrder(temp.path())) {
    if (name != "notes.txt" && name != "c.objx" && name != "obj") expected.push_back(name);
  }
  ASSERT_EQ(expected.size(), 42u);
  const std::vector<DirectoryEntry> entries = searchDirectory(temp.path(), "*.obj");
  EXPECT_EQ(namesOf(entries), expected);
  for (const DirectoryEntry& entry : entries) EXPECT_FALSE(entry.isDirectory) << entry.name;

  std::vector<std::string> sorted = expected;
  std::sort(sorted.begin(), sorted.end());
  if (sorted == expected) GTEST_SKIP() << "this file system lists names sorted";
  EXPECT_NE(namesOf(entries), sorted);
}

TEST(SearchDirectory, ReportsFoldersAndSkipsLinksToFolders) {
  const TempFolder temp;
  temp.makeFolder("sub.obj");
  temp.makeFolder("plain");
  temp.write("real.obj", "v 1 2 3\n");
  ASSERT_EQ(symlink(temp.path("real.obj").c_str(), temp.path("file_link.obj").c_str()), 0);
  ASSERT_EQ(symlink(temp.path().c_str(), temp.path("loop.obj").c_str()), 0);  // a cycle
  ASSERT_EQ(symlink(temp.path().c_str(), temp.path("loop").c_str()), 0);
  ASSERT_EQ(symlink(temp.path("gone").c_str(), temp.path("dangling.obj").c_str()), 0);

  std::vector<DirectoryEntry> entries = searchDirectory(temp.path(), "*.obj");
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  ASSERT_EQ(namesOf(entries),
            (std::vector<std::string>{"dangling.obj", "file_link.obj", "real.obj", "sub.obj"}));
  EXPECT_FALSE(entries[0].isDirectory);
  EXPECT_FALSE(entries[1].isDirectory);
  EXPECT_FALSE(entries[2].isDirectory);
  EXPECT_TRUE(entries[3].isDirectory);

  // "*.*" lists every name, folders marked, links to folders still left out.
  std::vector<std::string> all = namesOf(searchDirectory(temp.path(), "*.*"));
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (std::vector<std::string>{".", "..", "dangling.obj", "file_link.obj", "plain",
                                           "real.obj", "sub.obj"}));
}

TEST(SearchDirectory, UnreadableOrMissingFolderYieldsNothing) {
  const TempFolder temp;
  temp.write("file.obj", "");
  EXPECT_TRUE(searchDirectory(temp.path("missing"), "*.*").empty());
  EXPECT_TRUE(searchDirectory(temp.path("file.obj"), "*.*").empty());  // not a folder
}

TEST(SearchDirectory, EmptyFolderMeansTheCurrentDirectory) {
  const TempFolder temp;
  temp.write("here.obj", "");
  const fs::path previous = fs::current_path();
  fs::current_path(temp.path());
  const std::vector<DirectoryEntry> entries = searchDirectory("", "*.obj");
  fs::current_path(previous);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "here.obj");
}

}  // namespace
