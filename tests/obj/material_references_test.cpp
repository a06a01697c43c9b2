#include "obj/material_references.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "obj/material_statements.h"
#include "obj/obj_line_reader.h"
#include "obj/obj_test_files.h"

namespace {

// Every logical line read by the conversion's reader: the libraries of its mtllib lines.
std::vector<std::string> librariesByEveryLine(const std::string& text) {
  std::vector<std::string> names;
  ObjLineReader reader(3);
  reader.openMemory(text);
  while (reader.readObjLine()) {
    for (const std::string& name : materialLibraryNames(reader.readText())) {
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
  }
  return names;
}

// The scan reads only the lines holding an 'm': it must find what reading every line finds,
// with continuations, every line end, a byte-order mark and 'm' inside other lines.
TEST(MaterialReferences, LibrariesAsEveryLineReadFindsThem) {
  const char* pieces[] = {"mtllib", "mtl", "lib", " ", "\t", "a.mtl", "b m", "\\", "\n", "\r",
                          "\r\n", "v 1 2 3", "usemtl x", "m", "#", "\xEF\xBB\xBF"};
  std::mt19937 random(23);
  const objtest::TempDir folder;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int count = static_cast<int>(random() % 14);
    for (int i = 0; i < count; ++i) text += pieces[random() % std::size(pieces)];
    const FileReferences found = materialLibrariesOf(folder.write("t.obj", text));
    ASSERT_TRUE(found.error.empty()) << found.error;
    ASSERT_EQ(found.names, librariesByEveryLine(text)) << testing::PrintToString(text);
  }
}

}  // namespace
