#include "obj/output_naming.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/filesystem.h"

namespace {

TEST(GetFileName, TakesTheTextAfterTheLastSeparator) {
  struct Case {
    const char* path;
    const char* name;
  };
  const Case cases[] = {
      {"", ""},
      {"a.obj", "a.obj"},
      {"in/a.obj", "a.obj"},
      {"/data/in/sub/a.obj", "a.obj"},
      {"in/sub/", ""},  // a folder path ends in its separator: no name
      {"/", ""},
      {"./a.b.obj", "a.b.obj"},
#ifdef _WIN32
      // Windows: '\\' and '/' both separate.
      {"C:\\in\\a.obj", "a.obj"},
      {"in/C:\\x\\a.obj", "a.obj"},
      {"C:\\in/sub\\a.obj", "a.obj"},
#else
      // '\\' is an ordinary character on POSIX.
      {"C:\\in\\a.obj", "C:\\in\\a.obj"},
      {"in/C:\\x\\a.obj", "C:\\x\\a.obj"},
#endif
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(getFileName(cases[i].path), cases[i].name) << "case " << i << ": " << cases[i].path;
  }
}

TEST(MakeOutputPath, FolderOrSingleFile) {
  struct Case {
    std::string output;
    std::string input;
    std::string path;
  };
  const std::string sep(1, kPathSeparator);
  const Case cases[] = {
      {"/out", "/in/sub/a.obj", "/out" + sep + "a.obj"},
      {"/out/", "/in/sub/a.obj", "/out/a.obj"},  // no doubled separator
      {"out", "a.obj", "out" + sep + "a.obj"},
      {"out", "in/b.OBJ", "out" + sep + "b.OBJ"},
      {"/", "/in/a.obj", "/a.obj"},
      // ".obj" anywhere in `output`: that one path for every input.
      {"/out/result.obj", "/in/a.obj", "/out/result.obj"},
      {"/out/result.obj", "/in/other/b.obj", "/out/result.obj"},
      {"/data/part.objects", "/in/a.obj", "/data/part.objects"},
      {"/tiles.obj/", "/in/a.obj", "/tiles.obj/"},
      // ".obj" in any letter case.
      {"OUT.OBJ", "in/a.obj", "OUT.OBJ"},
      {"res.Obj", "in/a.obj", "res.Obj"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(makeOutputPath(cases[i].output, cases[i].input), cases[i].path)
        << "case " << i << ": " << cases[i].output << " + " << cases[i].input;
  }
}

}  // namespace
