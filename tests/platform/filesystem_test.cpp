#include "platform/filesystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/temp_folder.h"
#include "portable.h"

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
    std::string folder;
    std::string name;
    std::string joined;
  };
  const std::string sep(1, kPathSeparator);
  const Case cases[] = {
      {"", "a.obj", "a.obj"},  // the current directory: a bare name
      {"in", "a.obj", "in" + sep + "a.obj"},
      {"in/", "a.obj", "in/a.obj"},  // a trailing '/' is a separator on every system
      {"in" + sep, "a.obj", "in" + sep + "a.obj"},  // no doubled separator
      {"/", "a.obj", "/a.obj"},
      {"/data/in", "sub", "/data/in" + sep + "sub"},
      {"in//", "a.obj", "in//a.obj"},  // what is given is kept
#ifdef _WIN32
      {"C:\\in", "a.obj", "C:\\in\\a.obj"},
      {"C:\\", "a.obj", "C:\\a.obj"},
#else
      {"C:\\in", "a.obj", "C:\\in/a.obj"},  // '\\' is an ordinary character here
#endif
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(joinPath(cases[i].folder, cases[i].name), cases[i].joined) << "case " << i;
  }
#ifdef _WIN32
  EXPECT_EQ(kPathSeparator, '\\');
#else
  EXPECT_EQ(kPathSeparator, '/');
#endif
}

TEST(PathExists, TellsFilesFoldersAndMissingPathsApart) {
  const TempFolder temp;
  temp.write("file.json", "{}");
  temp.makeFolder("folder");

  EXPECT_TRUE(pathExists(temp.path("file.json")));
  EXPECT_TRUE(pathExists(temp.path("folder")));
  EXPECT_FALSE(pathExists(temp.path("missing.json")));
  EXPECT_FALSE(pathExists(""));

  EXPECT_FALSE(isDirectory(temp.path("file.json")));
  EXPECT_TRUE(isDirectory(temp.path("folder")));
  EXPECT_FALSE(isDirectory(temp.path("missing")));
}

TEST(PathExists, FollowsLinks) {
  SKIP_WITHOUT_SYMLINKS();
  const TempFolder temp;
  temp.makeFolder("folder");
  fs::create_symlink(temp.path("nowhere"), temp.path("dangling"));
  fs::create_directory_symlink(temp.path("folder"), temp.path("link"));

  EXPECT_TRUE(pathExists(temp.path("link")));
  EXPECT_FALSE(pathExists(temp.path("dangling")));  // the test follows the link
  EXPECT_TRUE(isDirectory(temp.path("link")));
  EXPECT_FALSE(isDirectory(temp.path("dangling")));
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

TEST(SearchDirectory, ReportsFolders) {
  const TempFolder temp;
  temp.makeFolder("sub.obj");
  temp.makeFolder("plain");
  temp.write("real.obj", "v 1 2 3\n");
  temp.write("real.objx", "");

  std::vector<DirectoryEntry> entries = searchDirectory(temp.path(), "*.obj");
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  ASSERT_EQ(namesOf(entries), (std::vector<std::string>{"real.obj", "sub.obj"}));
  EXPECT_FALSE(entries[0].isDirectory);
  EXPECT_TRUE(entries[1].isDirectory);

  std::vector<std::string> all = namesOf(searchDirectory(temp.path(), "*.*"));
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all,
            (std::vector<std::string>{".", "..", "plain", "real.obj", "real.objx", "sub.obj"}));
}

TEST(SearchDirectory, ReportsFoldersAndLinksToFolders) {
  SKIP_WITHOUT_SYMLINKS();
  const TempFolder temp;
  temp.makeFolder("sub.obj");
  temp.makeFolder("plain");
  temp.write("real.obj", "v 1 2 3\n");
  fs::create_symlink(temp.path("real.obj"), temp.path("file_link.obj"));
  fs::create_directory_symlink(temp.path(), temp.path("loop.obj"));  // a cycle
  fs::create_directory_symlink(temp.path(), temp.path("loop"));
  fs::create_symlink(temp.path("gone"), temp.path("dangling.obj"));

  std::vector<DirectoryEntry> entries = searchDirectory(temp.path(), "*.obj");
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  ASSERT_EQ(namesOf(entries), (std::vector<std::string>{"dangling.obj", "file_link.obj",
                                                        "loop.obj", "real.obj", "sub.obj"}));
  // (folder, link to a folder) of each.
  const std::pair<bool, bool> kinds[] = {
      {false, false}, {false, false}, {true, true}, {false, false}, {true, false}};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(std::pair(entries[i].isDirectory, entries[i].isLink), kinds[i]) << entries[i].name;
  }

  // "*.*" lists every name, folders marked, links to folders among them.
  std::vector<std::string> all = namesOf(searchDirectory(temp.path(), "*.*"));
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (std::vector<std::string>{".", "..", "dangling.obj", "file_link.obj", "loop",
                                           "loop.obj", "plain", "real.obj", "sub.obj"}));
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
