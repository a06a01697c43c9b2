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
#include "portable.h"

namespace {

using cli::fs::path;
using cli::Sandbox;

// Two tiles in sub-folders, each naming its own library and a missing one (on a line of its
// own after other lines); each library names a texture with options (its bytes differ between
// the tiles), a bump map, a shared one in the folder searched and one outside it.
void writeTiles(const Sandbox& box) {
  for (const std::string tile : {"T1", "T2"}) {
    const std::string folder = "in/Data/" + tile + "/";
    box.write(folder + tile + ".obj",
              "mtllib " + tile + ".mtl\nv 500000 3320113.398 1\nusemtl m\nvt 0 0\n"
              "mtllib common.mtl\n");
    box.write(folder + tile + ".mtl",
              "newmtl m\nmap_Kd -s 1 1 1 -o 0 0 0 tex/a b.jpg\nbump -bm 0.5 n.png\n"
              "map_Ks ../../up.png\nmap_Ka ../../../../far.png\n");
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
    EXPECT_NE(result.err.find("names the map '../../../../far.png' outside the -input folder "
                              "'in'"),
              std::string::npos) << result.err;
    EXPECT_NE(result.err.find(native("'in/Data/T2/common.mtl' named by 'in/Data/T2/T2.obj' "
                                     "does not exist")),
              std::string::npos) << result.err;
    for (const std::string tile : {"T1", "T2"}) {
      const std::vector<path> files =
          referencedFiles(box / ("out/Data/" + tile + "/" + tile + ".obj"));
      ASSERT_EQ(files.size(), 6u);  // the two libraries, the four maps of the first
      for (std::size_t i = 0; i < files.size(); ++i) {
        // The map outside was not copied, common.mtl is missing in the input too.
        EXPECT_EQ(cli::fs::exists(files[i]), i < 4) << files[i];
      }
      EXPECT_EQ(box.read("out/Data/" + tile + "/tex/a b.jpg"), tile);
    }
    EXPECT_EQ(box.read("out/up.png"), "up");  // once, for both tiles
    EXPECT_EQ(box.listing("out").size(), 10u);  // and metadata.xml
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

// Every entry below `folder` of the sandbox, sorted, '/' between names, folders ending in '/'.
std::vector<std::string> entries(const Sandbox& box, const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : cli::fs::recursive_directory_iterator(box / folder)) {
    names.push_back(cli::fs::relative(entry.path(), box / folder).generic_string() +
                    (entry.is_directory() ? "/" : ""));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Whole productions: trees, shared maps, linked tile folders, names with blanks, a failed run.
TEST(Materials, TreeCases) {
  const std::string v = "v 500000 3320113.398 1\n";
  const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::pair<std::string, std::string>> folderLinks;  // where, to what
    std::vector<std::string> args;
    const char* out;
    std::vector<std::string> written;  // entries(box, "out")
    const char* said;                  // in standard error ("": anything)
    const char* unsaid;                // never in standard error ("": none)
  } cases[] = {
      {"every depth below -input",
       {{"in/top.obj", v}, {"in/D/T1/a.obj", v}, {"in/D/T2/U/b.obj", v}}, {}, {"-tree=1"},
       "convert success!!\n",
       {"D/", "D/T1/", "D/T1/a.obj", "D/T2/", "D/T2/U/", "D/T2/U/b.obj", "top.obj"}, "", ""},
      {"a map shared inside the tree; a folder named as a map",
       {{"in/D/T1/a.obj", "mtllib t.mtl\n" + v},
        {"in/D/T1/t.mtl", "map_Ka ../../s/c.jpg\nbump x\n"}, {"in/s/c.jpg", "c"},
        {"in/D/T1/x/y", ""}},
       {}, {"-tree=1", "-materials=copy"}, "convert success!!\n",
       {"D/", "D/T1/", "D/T1/a.obj", "D/T1/t.mtl", "s/", "s/c.jpg"},
       "the map 'in/D/T1/x' named by 'in/D/T1/t.mtl' is a folder: not copied", ""},
      {"a linked tile folder, written under the link's name",
       {{"in/D/T1/a.obj", v}, {"elsewhere/T2/b.obj", v}}, {{"in/D/T2", "../../elsewhere/T2"}},
       {"-tree=1"}, "convert success!!\n", {"D/", "D/T1/", "D/T1/a.obj", "D/T2/", "D/T2/b.obj"},
       "", ""},
      {"a library another tile brings",
       {{"in/a/a.obj", "mtllib s.mtl\n" + v}, {"in/a/s.mtl", "s"},
        {"in/b/b.obj", "mtllib s.mtl\n" + v}},
       {}, {"-materials=copy"}, "convert success!!\n", {"a.obj", "b.obj", "s.mtl"}, "",
       "does not exist"},
      {"a library named with a blank, copied",
       {{"in/t.obj", "mtllib my lib.mtl\n" + v}, {"in/my lib.mtl", "m"}}, {}, {"-materials=copy"},
       "convert success!!\n", {"my lib.mtl", "t.obj"}, "", "does not exist"},
      {"a library named with a blank, warned of",
       {{"in/t.obj", "mtllib my lib.mtl\n" + v}, {"in/my lib.mtl", "m"}}, {}, {},
       "convert success!!\n", {"t.obj"},
       "material library 'my lib.mtl', named by 1 file, is not beside its output", ""},
      {"a failed run leaves no folder it made", {{"in/D/T2/b.obj", "v 1 2\n"}}, {}, {"-tree=1"},
       "vertex line error!!\n", {}, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
#ifdef _WIN32
    if (!c.folderLinks.empty()) continue;  // Wine makes no links
#endif
    Sandbox box;
    for (const auto& [file, text] : c.files) box.write(file, text);
    for (const auto& [at, to] : c.folderLinks) cli::fs::create_directory_symlink(to, box / at);
    box.write("c.json", cli::kCoord117);
    cli::fs::create_directories(box / "out");
    // The files of the tree only (no metadata.xml beside them).
    std::vector<std::string> args = {"-input=in", "-coord=c.json", "-output=out", "-toProj=0",
                                     "-metadata=none"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const cli::RunResult result = box.run(args);
    EXPECT_EQ(result.out, c.out) << result.err;
    EXPECT_EQ(entries(box, "out"), c.written);
    EXPECT_NE(result.err.find(native(c.said)), std::string::npos) << result.err;
    if (*c.unsaid != '\0') {
      EXPECT_EQ(result.err.find(c.unsaid), std::string::npos) << result.err;
    }
  }
}

}  // namespace
