// -baseonly=1: the base point of a whole batch without converting it, and a batch sharded over
// four processes with GNU parallel, each given that base point, writing the bytes of one
// process over the whole folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_harness.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

std::string source(const std::string& relative) {
  return cli::readFile(std::string(QUORVEX_SOURCE_DIR) + "/" + relative);
}

// Eight tiles: the two demo tiles, and copies moved 1, 2 and 3 km east ("v 500..." becomes
// "v 501...", ...), so that every tile differs and the batch's centre is no tile's.
void writeTiles(const Sandbox& box) {
  const std::string tiles[] = {source("data/tiles/tile_a.obj"), source("data/tiles/tile_b.obj")};
  for (int i = 0; i < 8; ++i) {
    std::string text = tiles[i % 2];
    const std::string moved = "v 50" + std::to_string(i / 2);
    for (std::size_t at = text.find("v 500"); at != std::string::npos;
         at = text.find("v 500", at + 1)) {
      text.replace(at, moved.size(), moved);
    }
    box.write("tiles/t" + std::to_string(i) + ".obj", text);
  }
}

TEST(BaseOnly, RefusedOutsideProjectToEnuWithABaseFile) {
  Sandbox box;
  box.write("c.json", source("data/coord-gauss117.json"));
  box.write("in/a.obj", source("data/tiles/tile_a.obj"));
  const struct {
    std::vector<std::string> args;
    const char* detail;
  } cases[] = {
      {{"-base=b.txt"}, "-baseonly=1 needs project -> ENU (-toProj=0, -bENU=0)"},
      {{"-base=b.txt", "-toProj=1"}, "-baseonly=1 needs project -> ENU (-toProj=0, -bENU=0)"},
      {{"-base=b.txt", "-toProj=0", "-bENU=1"},
       "-baseonly=1 needs project -> ENU (-toProj=0, -bENU=0)"},
      {{"-toProj=0"}, "-baseonly=1 needs -base=FILE"},
      {{"-toProj=0", "-base=b.txt", "-inputbase=ENU:117,30"},
       "-baseonly=1 computes the base point: -inputbase cannot be given"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-input=in", "-coord=c.json", "-output=out", "-baseonly=1"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult result = box.run(args);
    EXPECT_EQ(result.exitStatus, 255) << c.detail;
    EXPECT_EQ(result.out, "baseonly set error!!\n");
    EXPECT_EQ(result.err, std::string("quorvex: ") + c.detail + "\n");
    EXPECT_FALSE(box.exists("b.txt"));
  }
}

// The base file of -baseonly=1 is that of a converting run; nothing else is written, and no
// -output is needed.
TEST(BaseOnly, WritesTheBasePointOfTheRunAndNothingElse) {
  Sandbox box;
  box.write("c.json", source("data/coord-gauss117.json"));
  writeTiles(box);
  std::filesystem::create_directories(box / "out");
  RunResult result = box.run({"-input=tiles", "-coord=c.json", "-output=out", "-toProj=0",
                              "-base=full.txt"});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  for (const char* output : {"-output=out2", ""}) {
    std::vector<std::string> args = {"-input=tiles", "-coord=c.json", "-toProj=0", "-baseonly=1",
                                     "-base=only.txt"};
    if (*output != '\0') args.push_back(output);
    result = box.run(args);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "convert success!!\n");
    EXPECT_EQ(result.err, *output == '\0' ? "" : "quorvex: warning: -output is not used: "
                                                 "-baseonly=1 converts nothing\n");
    EXPECT_EQ(box.read("only.txt"), box.read("full.txt"));
    EXPECT_FALSE(box.exists("out2"));
  }
  EXPECT_EQ(box.read("full.txt").rfind("ENU:30.00", 0), 0u) << box.read("full.txt");
}

// With the computed base point, and with a coordinate file's "basepoint" of more decimals than
// the base file's six: the shards get the origin of one process over the whole folder.
TEST(BaseOnly, ShardsOverGnuParallelGiveTheBytesOfOneProcess) {
  if (std::system("command -v parallel >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "GNU parallel (Debian package parallel) is not installed";
  }
  const std::string coord = source("data/coord-gauss117.json");
  const std::string withBase = std::string(coord).insert(
      coord.find("\"define\": {") + 11, "\"basepoint\": [117.00264231, 30.0013771], ");
  for (const std::string& text : {coord, withBase}) {
    Sandbox box;
    box.write("c.json", text);
    writeTiles(box);
    std::filesystem::create_directories(box / "whole");
    std::filesystem::create_directories(box / "sharded");
    // The README's recipe: one -baseonly run, then the tiles over four processes, each given
    // that base point (the base file says ENU:LAT,LON, -inputbase takes ENU:LON,LAT).
    const std::string script =
        "cd " + cli::shellQuote(box.root().string()) + " && Q=" + QUORVEX_BINARY +
        " && $Q -input=tiles -coord=c.json -toProj=0 -baseonly=1 -base=base.txt >/dev/null"
        " 2>&1 && b=$(cat base.txt) && b=${b#ENU:} && lat=${b%,*} && lon=${b#*,}"
        " && $Q -input=tiles -coord=c.json -output=whole -toProj=0 >whole.out"
        " && ls tiles/*.obj | parallel -j 4 --halt now,fail=1"
        "    $Q -input={} -coord=c.json -output=sharded -toProj=0 -inputbase=ENU:$lon,$lat"
        "    >sharded.out 2>sharded.err; echo $? >status";
    ASSERT_EQ(std::system(("bash -c " + cli::shellQuote(script)).c_str()), 0);
    EXPECT_EQ(box.read("status"), "0\n") << box.read("sharded.err");
    EXPECT_EQ(box.read("whole.out"), "convert success!!\n");
    EXPECT_EQ(box.listing("whole").size(), 9u);  // and metadata.xml
    for (const std::string& name : box.listing("whole")) {
      EXPECT_TRUE(box.read("sharded/" + name) == box.read("whole/" + name)) << name;
    }
    EXPECT_EQ(box.listing("sharded").size(), 9u);
  }
}

}  // namespace
