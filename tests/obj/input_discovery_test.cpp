#include "obj/input_discovery.h"

#include "obj/function_conversion.h"
#include "platform/atomic_file.h"
#include "platform/filesystem.h"
#include "platform/read_text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/temp_folder.h"
#include "portable.h"

namespace {

using testing_support::readdirOrder;
using testing_support::TempFolder;
using Paths = std::vector<std::string>;

// The expected lists are written from the tree each test builds; where several entries of a
// folder are found, their order is taken from readdir on that folder (the search must keep
// the directory's own order, not sort).

// A folder with matches of its own leaves its other sub-folders unsearched: the notes count
// them per folder (a sub-folder whose own name matches is searched and not counted).
TEST(FindFiles, NotesCountTheSubFoldersLeftOut) {
  const TempFolder temp;
  temp.write("A/a.obj", "");
  temp.write("A/S1/b.obj", "");
  temp.write("A/S2/c.txt", "");
  temp.write("A/m.obj/d.obj", "");
  temp.write("A/m.obj/T/e.obj", "");
  temp.write("B/S/f.obj", "");  // no match of its own: searched below, nothing left out
  std::vector<SkippedFolders> notes;
  EXPECT_EQ(findFiles(temp.path("A"), "*.obj", &notes).size(), 2u);
  ASSERT_EQ(notes.size(), 2u);
  // m.obj is met first or last depending on the directory's order.
  std::sort(notes.begin(), notes.end(),
            [](const SkippedFolders& p, const SkippedFolders& q) { return p.folder < q.folder; });
  EXPECT_EQ(notes[0].folder, temp.path("A"));
  EXPECT_EQ(notes[0].count, 2u);
  EXPECT_EQ(notes[1].folder, temp.path("A/m.obj"));
  EXPECT_EQ(notes[1].count, 1u);
  notes.clear();
  EXPECT_EQ(findFiles(temp.path("B"), "*.obj", &notes).size(), 1u);
  EXPECT_TRUE(notes.empty());
}

TEST(FindFiles, FolderWithoutMatchesIsSearchedThroughAllSubFolders) {
  const TempFolder temp;
  const char* const folders[] = {"S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8"};
  for (const char* folder : folders) {
    temp.write(std::string("A/") + folder + "/" + folder + ".obj", "");
  }
  temp.write("A/readme.txt", "");
  temp.write("A/empty/notes.txt", "");
  Paths expected;
  for (const std::string& name : readdirOrder(temp.path("A"))) {
    if (name != "readme.txt" && name != "empty") {
      expected.push_back(temp.path("A/" + name + "/" + name + ".obj"));
    }
  }
  ASSERT_EQ(expected.size(), 8u);
  EXPECT_EQ(findFiles(temp.path("A"), "*.obj"), expected);
}

TEST(FindFiles, MatchingSubFolderIsSearchedInPlace) {
  // A folder named m.obj beside n*.obj files: its files are inserted where it is met.
  const TempFolder temp;
  for (const char* name : {"n1.obj", "n2.obj", "n3.obj", "n4.obj"}) {
    temp.write(std::string("A/") + name, "");
  }
  for (const char* name : {"p.obj", "q.obj", "r.obj"}) {
    temp.write(std::string("A/m.obj/") + name, "");
  }
  temp.write("A/other/skipped.obj", "");  // not searched: A has matches of its own
  Paths expected;
  for (const std::string& name : readdirOrder(temp.path("A"))) {
    if (name == "other") continue;
    if (name != "m.obj") {
      expected.push_back(temp.path("A/" + name));
      continue;
    }
    for (const std::string& inner : readdirOrder(temp.path("A/m.obj"))) {
      expected.push_back(temp.path("A/m.obj/" + inner));
    }
  }
  ASSERT_EQ(expected.size(), 7u);
  EXPECT_EQ(findFiles(temp.path("A"), "*.obj"), expected);
}

// The files found under A, sorted, for trees where the order does not matter.
TEST(FindFiles, TheSearchRuleOnSmallTrees) {
  const struct {
    const char* name;
    std::vector<const char*> files;  // written under the temporary folder
    std::vector<const char*> found;  // sorted
  } cases[] = {
      {"a folder with matches is not searched below", {"A/a.obj", "A/S/b.obj"}, {"A/a.obj"}},
      // A has no match: S1 is searched; S1 has a match, so S1/T is not. S2 has none: S2/T is.
      {"each sub-folder follows the same rule",
       {"A/S1/a.obj", "A/S1/T/deep.obj", "A/S2/T/U/deeper.obj"},
       {"A/S1/a.obj", "A/S2/T/U/deeper.obj"}},
      {"names match in any letter case",
       {"A/A.OBJ", "A/b.Obj", "A/c.objx", "A/d.ob", "A/obj"},
       {"A/A.OBJ", "A/b.Obj"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFolder temp;
    for (const char* file : c.files) temp.write(file, "v 1 2 3\n");
    Paths found = findFiles(temp.path("A"), "*.obj");
    std::sort(found.begin(), found.end());
    Paths expected;
    for (const char* file : c.found) expected.push_back(temp.path(file));
    EXPECT_EQ(found, expected);
  }
}

TEST(FindFiles, TrailingSeparatorIsNotDoubled) {
  const TempFolder temp;
  temp.write("A/S/x.obj", "");
  // The given '/' is kept (a separator on every system); the rest uses the native one.
  EXPECT_EQ(findFiles(temp.path("A") + "/", "*.obj"),
            Paths{temp.path("A") + "/S" + kPathSeparator + "x.obj"});
}

TEST(FindFiles, EmptyFolderSearchesTheCurrentDirectoryAndGivesBareNames) {
  const TempFolder temp;
  temp.write("here.obj", "");
  temp.write("sub/there.obj", "");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(temp.path());
  const Paths found = findFiles("", "*.obj");
  std::filesystem::current_path(previous);
  EXPECT_EQ(found, Paths{"here.obj"});
}

TEST(FindFiles, MissingFolderFailsAndEmptyFoldersGiveAnEmptyList) {
  const TempFolder temp;
  temp.makeFolder("A/S1/T");
  temp.write("A/S2/notes.txt", "");
  FolderSearchError error;
  EXPECT_TRUE(findFiles(temp.path("missing"), "*.obj", nullptr, &error).empty());
  EXPECT_EQ(error.path, temp.path("missing"));
  EXPECT_EQ(error.reason, "No such file or directory");
  error = {};
  EXPECT_TRUE(findFiles(temp.path("A"), "*.obj", nullptr, &error).empty());
  EXPECT_EQ(error.path, "");
}

// A folder that must be searched but cannot be listed, or an entry whose kind cannot be told,
// fails the whole search: leaving its tiles out in silence would report success.
TEST(FindFiles, UnreadableFolderOrEntryFailsForAnUnprivilegedUser) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no fork and no POSIX permission bits";
#else
  const TempFolder temp;
  std::filesystem::permissions(temp.path(), std::filesystem::perms(0755));
  for (const char* file : {"A/S1/a.obj", "A/S2/b.obj", "B/a.obj", "B/S/b.obj", "C/m.obj/c.obj",
                           "private/x.obj"}) {
    temp.write(file, "");
  }
  temp.makeFolder("D");
  std::filesystem::create_symlink(temp.path("private/x.obj"), temp.path("D/link.obj"));
  const struct {
    const char* locked;
    unsigned mode;
    const char* searched;
    const char* failure;  // where the search fails, or "" when it finds its files
  } cases[] = {{"A/S2", 0000, "A", "A/S2"},       {"A/S2", 0711, "A", "A/S2"},
               {"A/S2", 0311, "A/S2", "A/S2"},    {"B/S", 0000, "B", ""},  // B/S not searched
               {"C/m.obj", 0711, "C", "C/m.obj"}, {"private", 0700, "D", "D/link.obj"}};
  for (const auto& c : cases) {
    std::filesystem::permissions(temp.path(c.locked), std::filesystem::perms(c.mode));
    const std::string found = testing_support::runInChild(
        [&] {
          FolderSearchError error;
          const Paths files = findFiles(temp.path(c.searched), "*.obj", nullptr, &error);
          if (!error.path.empty()) return error.path + ": " + error.reason;
          return std::to_string(files.size());
        },
        true);
    std::filesystem::permissions(temp.path(c.locked), std::filesystem::perms(0755));
    if (found == testing_support::kCannotDrop) GTEST_SKIP() << found;
    EXPECT_EQ(found, *c.failure ? temp.path(c.failure) + ": Permission denied" : "1") << c.locked;
  }
#endif
}

// 299 characters below the searched folder: beyond Windows' MAX_PATH (260) whatever the
// temporary folder is. Found, read, converted and written beside itself.
TEST(FindFiles, TileBeyondMaxPathIsFoundAndConverted) {
  const TempFolder temp;
  std::string folder = "in";  // then 7 folders of 40 characters
  while (folder.size() < 260) folder += "/" + std::string(40, 'd');
  const std::string tile = folder + "/" + std::string(302 - folder.size() - 5, 't') + ".obj";
  std::filesystem::create_directories(temp.path(folder));
  ASSERT_TRUE(writeTextFile(temp.path(tile), "v 1 2 3\n"));
  ASSERT_EQ(findFiles(temp.path("in"), "*.obj"), Paths{temp.path(tile)});
  const auto shift = [](const double in[3], double out[3]) {
    for (int i = 0; i < 3; ++i) out[i] = in[i] + 1;
    return true;
  };
  const std::string converted = temp.path(folder + "/converted.obj");
  EXPECT_EQ(convertFileThrough(shift, temp.path(tile), converted).detail, "");
  EXPECT_EQ(readTextFile(converted), "v 2.000000 3.000000 4.000000\n");
}

TEST(FindFiles, LinksToFoldersAreFollowedOnceSoCyclesEnd) {
  SKIP_WITHOUT_SYMLINKS();
  const TempFolder temp;
  temp.write("A/S/x.obj", "");
  // Links back up the tree: one with a plain name (met in pass 2), one that matches "*.obj"
  // (met in pass 1); followed, either would make the search endless. T is S again.
  std::filesystem::create_directory_symlink(temp.path("A"), temp.path("A/S/up"));
  std::filesystem::create_directory_symlink(temp.path("A"), temp.path("A/loop.obj"));
  std::filesystem::create_directory_symlink(temp.path("A"), temp.path("A/loop"));
  std::filesystem::create_directory_symlink(temp.path("A/S"), temp.path("A/T"));
  // Warned: loop.obj, loop, S met again, and with every depth up (two passes leave it out).
  for (const auto& [depth, warnings] : {std::pair{SearchDepth::twoPass, 3u},
                                        std::pair{SearchDepth::every, 4u}}) {
    const FolderSearchResult found = searchFiles(temp.path("A"), "*.obj", depth);
    ASSERT_EQ(found.files.size(), 1u);  // A/S/x.obj or A/T/x.obj, whichever is met first
    EXPECT_EQ(found.files[0].substr(found.files[0].size() - 5), "x.obj");
    EXPECT_EQ(found.warnings.size(), warnings);
  }
}

TEST(FindFiles, LinksToFilesAreListed) {
  SKIP_WITHOUT_SYMLINKS();
  const TempFolder temp;
  temp.write("data/tile.obj", "v 1 2 3\n");
  temp.makeFolder("A");
  std::filesystem::create_symlink(temp.path("data/tile.obj"), temp.path("A/linked.obj"));
  EXPECT_EQ(findFiles(temp.path("A"), "*.obj"), Paths{temp.path("A/linked.obj")});
}

}  // namespace
