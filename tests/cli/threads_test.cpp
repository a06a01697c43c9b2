// -threads: every thread count gives the run of one thread, byte for byte (outputs, base file,
// report-free standard output and standard error); values that are no thread count fail
// before anything is written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_harness.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

std::string source(const std::string& relative) {
  return cli::readFile(std::string(QUORVEX_SOURCE_DIR) + "/" + relative);
}

TEST(Threads, ValuesThatAreNoThreadCountFail) {
  Sandbox box;
  box.write("c.json", source("data/coord-gauss117.json"));
  box.write("in/a.obj", source("data/tiles/tile_a.obj"));
  for (const char* value : {"x", "-1", "1.5", "", " 2", "2 ", "+2", "0x2", "257", "99999999999"}) {
    SCOPED_TRACE(std::string("-threads=") + value);
    const RunResult result = box.run({"-input=in", "-coord=c.json", "-output=out", "-base=b.txt",
                                      "-toProj=0", std::string("-threads=") + value});
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, "threads set error!!\n");
    EXPECT_EQ(result.err, std::string("quorvex: -threads: expected a whole number from 0 to "
                                      "256, got '") + value + "'\n");
    EXPECT_FALSE(box.exists("b.txt"));
  }
}

// Each mode over the demo tiles and a tile of about 2 MB (several blocks of 1 MiB); the
// control-point array prints its label lines in the same place; a bad line in the big tile
// fails the same way.
TEST(Threads, EveryThreadCountGivesTheRunOfOne) {
  Sandbox box;
  box.write("gauss.json", source("data/coord-gauss117.json"));
  box.write("site.json", source("data/coord-control-site.json"));
  const std::string a = source("data/tiles/tile_a.obj");
  box.write("in/tile_a.obj", a);
  box.write("in/tile_b.obj", source("data/tiles/tile_b.obj"));
  std::string big;
  while (big.size() < (std::size_t{2} << 20)) big += a;
  box.write("in/big.obj", big);
  box.write("bad/big.obj", big + "v 1 2\n" + big);
  // Small tiles, converted whole several at once: one that fails leaves the tiles before it
  // (in the folder's own order) written and none after it, as one thread does.
  for (int i = 0; i < 12; ++i) {
    const std::string name = "t" + std::to_string(i) + ".obj";
    box.write("small/" + name, a);
    box.write("smallbad/" + name, i == 7 ? a + "v 1 2\n" : a);
  }
  const std::vector<std::vector<std::string>> runs = {
      {"-input=in", "-coord=gauss.json", "-toProj=0", "-base=OUT/base.txt"},
      {"-input=in", "-coord=gauss.json", "-base=OUT/base.txt"},
      {"-input=in", "-coord=site.json", "-toProj=0", "-inputbase=ENU:117.0026,30.0014"},
      {"-input=in", "-coord=site.json"},
      {"-input=bad", "-coord=gauss.json", "-toProj=0", "-inputbase=ENU:117.0026,30.0014"},
      {"-input=small", "-coord=site.json", "-base=OUT/zone.txt"},
      {"-input=smallbad", "-coord=gauss.json", "-toProj=0", "-inputbase=ENU:117.0026,30.0014"},
  };
  for (std::size_t r = 0; r < runs.size(); ++r) {
    RunResult one;
    std::vector<std::string> files;
    for (const char* threads : {"1", "2", "3", "4", "5", "8", "0"}) {
      SCOPED_TRACE("run " + std::to_string(r) + ", -threads=" + threads);
      const std::string out = "out" + std::to_string(r) + "-" + threads;
      std::vector<std::string> args = {"-output=" + out, std::string("-threads=") + threads};
      for (std::string arg : runs[r]) {
        if (const auto at = arg.find("OUT"); at != std::string::npos) arg.replace(at, 3, out);
        args.push_back(arg);
      }
      std::filesystem::create_directories(box / out);
      const RunResult result = box.run(args);
      if (std::string(threads) == "1") {
        one = result;
        ASSERT_EQ(result.exitStatus, r == 4 || r == 6 ? 255 : 0) << result.out << result.err;
        for (const std::string& name : box.listing(out)) files.push_back(name);
        // (each with metadata.xml beside the outputs)
        const std::size_t written = r == 4 ? 0u : r < 2 ? 5u : r == 5 ? 14u : 4u;
        if (r < 6) {
          ASSERT_EQ(files.size(), written);
        } else {
          ASSERT_LT(files.size(), 12u);
        }
        continue;
      }
      EXPECT_EQ(result.exitStatus, one.exitStatus);
      EXPECT_EQ(result.out, one.out);
      EXPECT_EQ(result.err, one.err);
      EXPECT_EQ(box.listing(out).size(), files.size());
      for (const std::string& name : files) {
        EXPECT_TRUE(box.read(out + "/" + name) == box.read("out" + std::to_string(r) + "-1/" + name)) << name;
      }
    }
  }
}

}  // namespace
