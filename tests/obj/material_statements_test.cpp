#include "obj/material_statements.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(MaterialStatements, TextureMapNameAfterItsOptions) {
  const struct {
    const char* line;
    std::optional<std::string> name;
  } cases[] = {
      {"map_Kd -s 1 1 1 -o 0 0 0 tex/a b.jpg", "tex/a b.jpg"},
      {"bump -bm 0.5 n.png", "n.png"},
      {"map_Ka -o 0.5 a.png", "a.png"},      // -o with one number of three
      {"map_Ks -s 1 2 a.png  ", "a.png"},    // two numbers; trailing blanks cut
      {"map_d -t 1 1 1 2.png", "2.png"},     // a name that starts like a number
      {"map_Ns -o 1 1 1 7", "7"},            // a number option leaves the last token
      {"map_bump -blendu on -blendv off -clamp on -cc off n m.png", "n m.png"},
      {"map_Kd -mm 0.1 0.9 -texres 512 -boost 2 -imfchan r\tk.tga", "k.tga"},
      {"refl -type sphere -colorspace sRGB sky.hdr", "sky.hdr"},
      {"disp -bm 1 d.png", "d.png"}, {"decal d.png", "d.png"}, {"norm x/n.png", "x/n.png"},
      {"map_Ke e.png", "e.png"},
      {"map_Kd -clamp on", std::nullopt},  // no name left
      {"map_Kd", std::nullopt},
      {"Kd 1 1 1", std::nullopt}, {"newmtl map_Kd", std::nullopt}, {"map_ a.png", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(textureMapName(c.line), c.name) << c.line;
}

TEST(MaterialStatements, LibraryNamesAndPathsWithinTheFolder) {
  EXPECT_EQ(materialLibraryNames("mtllib a.mtl\tb c.mtl "),
            (std::vector<std::string>{"a.mtl", "b", "c.mtl"}));
  EXPECT_TRUE(materialLibraryNames("mtllibx a.mtl").empty());
  EXPECT_TRUE(materialLibraryNames("usemtl a").empty());
  const struct {
    const char* name;
    std::optional<std::string> path;
  } cases[] = {
      {"a.mtl", "a.mtl"},          {"tex/./a.jpg", "tex/a.jpg"}, {"tex/../a.jpg", "a.jpg"},
      {"tex\\a b.jpg", "tex/a b.jpg"}, {"../a.mtl", std::nullopt}, {"a/../../b", std::nullopt},
      {"/abs/a.mtl", std::nullopt}, {"\\a.mtl", std::nullopt},    {"C:a.mtl", std::nullopt},
      {"d:\\x\\a.jpg", std::nullopt}, {".", std::nullopt},        {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(pathWithinFolder(c.name), c.path) << c.name;
}

}  // namespace
