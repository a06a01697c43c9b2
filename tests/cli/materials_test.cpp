// -tree=1 and -materials end to end: a tile tree with material libraries and texture maps.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_harness.h"
#include "obj/material_statements.h"

namespace {

using cli::fs::path;
using cli::Sandbox;

// Two tiles in sub-folders, each naming its own library and a missing one (on a line of its
// own after other lines); each library names a texture with options (its bytes differ between
// the tiles), a bump map and one outside.
void writeTiles(const Sandbox& box) {
  for (const std::string tile : {"T1", "T2"}) {
    const std::string folder = "in/Data/" + tile + "/";
    box.write(folder + tile + ".obj",
              "mtllib " + tile + ".mtl\nv 500000 3320113.398 1\nusemtl m\nvt 0 0\n"
              "mtllib common.mtl\n");
    box.write(folder + tile + ".mtl",
              "newmtl m\nmap_Kd -s 1 1 1 -o 0 0 0 tex/a b.jpg\nbump -bm 0.5 n.png\n"
              "map_Ks ../../up.png\n");
    box.write(folder + "tex/a b.jpg", tile);
    box.write(folder + "n.png", "n");
  }
  box.write("in/up.png", "up");
  box.write("c.json", cli::kCoord117);
  cli::fs::create_directories(box / "out");
}

// A path as the program names it: '/' written as the system's separator.
std::string native(std::string text) {
  std::replace(text.begin(), text.end(), '/', static_cast<char>(path::preferred_separator));
  return text;
}

std::map<std::string, std::string> snapshot(const Sandbox& box) {
  std::map<std::string, std::string> files;
  for (const std::string& name : box.listing()) files[name] = box.read(name);
  return files;
}

// Each file an OBJ's mtllib lines and those libraries' maps name, relative to the OBJ.
std::vector<path> referencedFiles(const path& obj) {
  std::vector<path> files;
  std::istringstream lines(cli::readFile(obj));
  for (std::string line; std::getline(lines, line);) {
    for (const std::string& library : materialLibraryNames(line)) {
      const path file = obj.parent_path() / library;
      files.push_back(file);
      std::istringstream maps(cli::readFile(file));
      for (std::string map; std::getline(maps, map);) {
        if (auto name = textureMapName(map)) files.push_back(file.parent_path() / *name);
      }
    }
  }
  return files;
}

TEST(Materials, TreeWithMaterialsResolvesEveryReferenceBesideTheOutputs) {
  for (const char* way : {"-materials=copy", "-materials=link"}) {
    SCOPED_TRACE(way);
    Sandbox box;
    writeTiles(box);
    const cli::RunResult result =
        box.run({"-input=in", "-coord=c.json", "-output=out", "-toProj=0", "-tree=1", way});
    ASSERT_EQ(result.out, "convert success!!\n") << result.err;
    EXPECT_NE(result.err.find("names the map '../../up.png' outside the folder"),
              std::string::npos) << result.err;
    EXPECT_NE(result.err.find(native("'in/Data/T2/common.mtl' named by 'in/Data/T2/T2.obj'")),
              std::string::npos) << result.err;
    for (const std::string tile : {"T1", "T2"}) {
      const std::vector<path> files =
          referencedFiles(box / ("out/Data/" + tile + "/" + tile + ".obj"));
      ASSERT_EQ(files.size(), 5u);  // the two libraries, the three maps of the first
      for (std::size_t i = 0; i < files.size(); ++i) {
        // common.mtl is missing in the input too, the map outside was not copied.
        EXPECT_EQ(cli::fs::exists(files[i]), i == 0 || i == 1 || i == 2) << files[i];
      }
      EXPECT_EQ(box.read("out/Data/" + tile + "/tex/a b.jpg"), tile);
    }
    EXPECT_EQ(box.listing("out").size(), 9u);  // and metadata.xml
#ifndef _WIN32
    EXPECT_EQ(cli::fs::equivalent(box / "in/Data/T1/n.png", box / "out/Data/T1/n.png"),
              std::string(way) == "-materials=link");
#endif
  }
}

TEST(Materials, WarningsAndRefusals) {
  const struct {
    const char* name;
    std::vector<std::string> args;
    const char* existing;  // a file written into the sandbox first ("" for none)
    const char* out;
    const char* err;
  } cases[] = {
      {"flat, no flag: a warning per library", {}, "", "convert success!!\n",
       "material library 'common.mtl', named by 2 files, is not beside their outputs nor beside "
       "their inputs\n"},
      {"an existing different texture", {"-tree=1", "-materials=copy"}, "out/Data/T1/tex/a b.jpg",
       "output name conflict!!\n", "'out/Data/T1/tex/a b.jpg' exists with other contents"},
      {"flat: two textures of one name", {"-materials=link"}, "", "output name conflict!!\n",
       "would both be written to 'out/tex/a b.jpg' with different contents"},
      {"a file where a sub-folder goes", {"-tree=1"}, "out/Data", "write file error!!\n",
       "'out/Data' is not a folder"},
      {"one input file", {"-tree=1", "-input=in/Data/T1/T1.obj"}, "", "tree set error!!\n",
       "-input 'in/Data/T1/T1.obj' is not a folder"},
      {"one output file", {"-tree=1", "-output=out/t.obj"}, "", "tree set error!!\n",
       "-output 'out/t.obj' names one file"},
      {"a value that is no choice", {"-materials=all"}, "", "materials set error!!\n",
       "expected none, copy or link, got 'all'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Sandbox box;
    writeTiles(box);
    if (*c.existing != '\0') box.write(c.existing, "other");
    std::vector<std::string> args = {"-input=in", "-coord=c.json", "-output=out", "-toProj=0"};
    for (const std::string& arg : c.args) args.push_back(native(arg));  // a later flag wins
    const auto before = snapshot(box);
    const cli::RunResult result = box.run(args);
    EXPECT_EQ(result.out, c.out);
    EXPECT_NE(result.err.find(native(c.err)), std::string::npos) << result.err;
    if (result.out != "convert success!!\n") {
      EXPECT_TRUE(snapshot(box) == before) << "a file was written or changed";
      EXPECT_EQ(cli::fs::exists(box / "out/Data/T1"),
                std::string(c.existing).find("T1") != std::string::npos);
    }
  }
}

}  // namespace
