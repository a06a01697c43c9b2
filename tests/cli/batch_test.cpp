// Batches over many processes: -filesfrom, -shard, -boundsonly, -mergebounds and -manifest.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_harness.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

// The folder search joins names with the native separator, which JSON escapes on Windows.
#ifdef _WIN32
const std::string kSeparatorInJson = "\\\\";
#else
const std::string kSeparatorInJson = "/";
#endif

// Five tiles, the demo tile moved 0..4 km east, so that no part's centre is the batch's.
void writeTiles(const Sandbox& box) {
  box.write("c.json", cli::readFile(std::string(QUORVEX_SOURCE_DIR) +
                                    "/data/coord-gauss117.json"));
  const std::string tile =
      cli::readFile(std::string(QUORVEX_SOURCE_DIR) + "/data/tiles/tile_a.obj");
  for (int i = 0; i < 5; ++i) {
    std::string text = tile;
    for (std::size_t at = text.find("v 500"); at != std::string::npos;
         at = text.find("v 500", at + 1)) {
      text.replace(at, 5, "v 50" + std::to_string(i));
    }
    box.write("tiles/t" + std::to_string(i) + ".obj", text);
  }
}

RunResult run(const Sandbox& box, std::vector<std::string> args) {
  args.insert(args.begin(), {"-coord=c.json", "-toProj=0"});
  return box.run(args);
}

// Every N, more parts than files too: the parts' bounds merge into the base file of
// -baseonly=1, and the parts converted about it write one process's bytes, each file once.
TEST(Batch, PartsGiveTheBaseFileAndTheOutputsOfOneProcess) {
  Sandbox box;
  writeTiles(box);
  std::filesystem::create_directories(box / "one");
  ASSERT_EQ(run(box, {"-input=tiles", "-baseonly=1", "-base=baseonly.txt"}).exitStatus, 0);
  ASSERT_EQ(run(box, {"-input=tiles", "-output=one"}).exitStatus, 0);
  const std::string base = box.read("baseonly.txt").substr(4);  // LAT,LON
  const std::string inputbase =
      "-inputbase=ENU:" + base.substr(base.find(',') + 1) + "," + base.substr(0, base.find(','));
  for (int n = 1; n <= 7; ++n) {
    const std::string parts = "b" + std::to_string(n), out = "out" + std::to_string(n);
    std::filesystem::create_directories(box / parts);
    std::filesystem::create_directories(box / out);
    std::string manifests;
    for (int k = 1; k <= n; ++k) {
      const std::string shard = "-shard=" + std::to_string(k) + "/" + std::to_string(n);
      const std::string name = std::to_string(k) + ".json";
      EXPECT_EQ(run(box, {"-input=tiles", shard, "-boundsonly=" + parts + "/" + name}).exitStatus,
                0) << shard;
      EXPECT_EQ(run(box, {"-input=tiles", "-output=" + out, shard, inputbase,
                          "-manifest=" + out + "/" + name}).exitStatus, 0) << shard;
      manifests += box.read(out + "/" + name);
    }
    const RunResult merged = run(box, {"-mergebounds=" + parts, "-base=" + parts + ".txt"});
    EXPECT_EQ(merged.out, "convert success!!\n") << n << " parts: " << merged.err;
    EXPECT_EQ(box.read(parts + ".txt"), box.read("baseonly.txt")) << n << " parts";
    for (int i = 0; i < 5; ++i) {
      const std::string name = "t" + std::to_string(i) + ".obj";
      EXPECT_TRUE(box.read(out + "/" + name) == box.read("one/" + name)) << n << ": " << name;
      const std::string entry = "\"input\": \"tiles" + kSeparatorInJson + name + "\"";
      const std::size_t first = manifests.find(entry);  // and no other
      EXPECT_TRUE(first != std::string::npos && manifests.rfind(entry) == first) << n << name;
    }
  }
}

struct Refusal {
  const char* name;
  std::vector<std::string> args;
  const char* message;
  const char* detail;  // a part of standard error
};

TEST(Batch, MistakesAreRefusedBeforeAnythingIsWritten) {
  Sandbox box;
  writeTiles(box);
  std::filesystem::create_directories(box / "out");
  box.write("list.txt", "# tiles\n\ntiles/t1.obj\r\n  \ntiles/./t1.obj\n");
  box.write("gone.txt", "tiles/t1.obj\ntiles/t9.obj\n");
  box.write("up.txt", "../tiles/t1.obj\n");
  box.write("enu.xml", "<ModelMetadata version=\"1\"><SRS>ENU:30,117</SRS></ModelMetadata>");
  const std::string report = "-report=out/r.html", manifest = "-manifest=out/m.json";
  const std::vector<Refusal> cases = {
      {"shard syntax", {"-shard=5/4"}, "shard set error!!\n", "-shard: expected K/N"},
      {"shard of -baseonly", {"-shard=1/2", "-baseonly=1", "-base=b.txt"}, "shard set error!!\n",
       "computes the base point of the whole batch"},
      {"shard computing its own base", {"-shard=1/2", "-output=out", report, manifest},
       "shard set error!!\n", "give it as -inputbase"},
      {"origin not the metadata's", {"-input=tiles", "-bENU=1", "-output=out", report, manifest,
       "-inputbase=ENU:117.5,30", "-metadata=enu.xml"}, "inputbase set error!!\n",
       "is not the one 'enu.xml' states"},
      {"ENU metadata", {"-input=tiles", "-output=out", "-metadata=enu.xml", report, manifest},
       "metadata set error!!\n", "is an ENU frame"},
      {"bad merge", {"-mergebounds=c.json", "-base=b.txt", report, "-output=out", "-tree=1"},
       "mergebounds set error!!\n", "-tree is not used: -mergebounds converts nothing"},
      {"bounds with -base", {"-boundsonly=b.json", "-base=b.txt"}, "boundsonly set error!!\n",
       "-boundsonly writes no base file"},
      {"merge without -base", {"-mergebounds=x.json"}, "mergebounds set error!!\n",
       "-mergebounds needs -base=FILE"},
      {"merge of a part", {"-mergebounds=x.json", "-base=b.txt", "-shard=1/2"},
       "mergebounds set error!!\n", "-shard and -filesfrom cannot be given"},
      {"manifest of -baseonly", {"-baseonly=1", "-base=b.txt", "-manifest=m.json"},
       "manifest set error!!\n", "-manifest records the files a run converts"},
      {"list beside a file", {"-input=tiles/t0.obj", "-filesfrom=list.txt", "-output=out"},
       "filesfrom set error!!\n", "but -input 'tiles/t0.obj' is not a folder"},
      {"list missing", {"-filesfrom=none.txt", "-output=out"}, "open obj error!!\n",
       "-filesfrom: cannot open 'none.txt'"},
      {"list entry missing", {"-filesfrom=gone.txt", "-output=out"}, "open obj error!!\n",
       "gone.txt:2: 'tiles/t9.obj' does not exist"},
      {"list entry twice", {"-filesfrom=list.txt", "-output=out"}, "output name conflict!!\n",
       "list.txt:5: 'tiles/./t1.obj' is the file of line 3 ('tiles/t1.obj') again"},
      {"list entry outside the tree",
       {"-input=tiles", "-filesfrom=up.txt", "-output=out", "-tree=1"}, "tree set error!!\n",
       "up.txt:1: '../tiles/t1.obj' is not below the -input folder"},
      {"manifest over the list", {"-input=tiles", "-filesfrom=up.txt", "-output=out",
       "-inputbase=117,30", "-manifest=up.txt"},
       "output name conflict!!\n", "the manifest 'up.txt' is the list file 'up.txt'"},
      {"manifest over an input", {"-input=tiles", "-output=out", "-manifest=tiles/t3.obj",
       "-inputbase=117,30"}, "output name conflict!!\n",
       "the manifest 'tiles/t3.obj' is the input 'tiles"},
      {"bounds over another part's input", {"-input=tiles", "-shard=1/5",
       "-boundsonly=tiles/t4.obj"}, "output name conflict!!\n",
       "the bounds file 'tiles/t4.obj' is the input"},
  };
  for (const Refusal& c : cases) {
    const RunResult result = run(box, c.args);
    EXPECT_EQ(result.exitStatus, 255) << c.name;
    EXPECT_EQ(result.out, c.message) << c.name;
    EXPECT_NE(result.err.find(c.detail), std::string::npos) << c.name << ": " << result.err;
    EXPECT_EQ(box.listing("out").size(), 0u) << c.name;
    EXPECT_FALSE(box.exists("b.txt") || box.exists("b.json") || box.exists("m.json")) << c.name;
    for (const std::string& file : box.listing("out")) std::filesystem::remove(box / "out" / file);
  }
}

// A dry run writes nothing, also with -report, -manifest, -boundsonly or -mergebounds.
TEST(Batch, ADryRunWritesNothing) {
  Sandbox box;
  writeTiles(box);
  std::filesystem::create_directories(box / "out");
  ASSERT_EQ(run(box, {"-input=tiles", "-boundsonly=b.json"}).exitStatus, 0);
  ASSERT_EQ(run(box, {"-mergebounds=b.json", "-base=base.txt"}).exitStatus, 0);
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {  // line printed
      {{"-input=tiles", "-output=out", "-inputbase=117,30", "-report=out/r.html",
        "-manifest=out/m.json"}, "report 'out/r.html'"},
      {{"-input=tiles", "-boundsonly=out/b.json"}, "bounds file 'out/b.json'"},
      {{"-mergebounds=b.json", "-base=out/base.txt"},
       "ENU origin " + box.read("base.txt") + " (latitude first; the centre of all vertices)"},
  };
  for (auto [args, said] : cases) {
    args.push_back("-dryrun=1");
    const RunResult result = run(box, args);
    EXPECT_EQ(result.exitStatus, 0) << said << ": " << result.err;
    EXPECT_NE(result.out.find("\n" + said + "\n"), std::string::npos) << result.out;
    EXPECT_TRUE(box.listing("out").empty()) << said;
  }
}

TEST(Batch, PartsThatDoNotBelongTogetherAreNotMerged) {
  Sandbox box;
  writeTiles(box);
  box.write("other.json", cli::kCoord117);
  for (const char* shard : {"1/3", "3/3", "1/2"}) {
    std::string name = std::string("p") + shard[0] + shard[2] + ".json";
    ASSERT_EQ(run(box, {"-input=tiles", std::string("-shard=") + shard, "-boundsonly=" + name})
                  .exitStatus, 0);
  }
  ASSERT_EQ(run(box, {"-input=tiles", "-boundsonly=all.json"}).exitStatus, 0);
  ASSERT_EQ(box.run({"-input=tiles", "-coord=other.json", "-toProj=0", "-boundsonly=o.json"})
                .exitStatus, 0);
  box.write("copy.json", box.read("all.json"));
  const struct {
    const char* parts;
    const char* detail;  // a part of standard error
  } cases[] = {
      {"p13.json,p33.json", "1 of the 3 parts is missing: 2/3"},
      {"p13.json,p12.json",
       "'p12.json' (part 1/2) is a part of another batch than 'p13.json' (part 1/3)"},
      {"all.json,p13.json", "'all.json' is the bounds of a run without -shard, 'p13.json' part"},
      {"all.json,./all.json", "'./all.json' is 'all.json' again"},
      {"all.json,copy.json", "'all.json' and 'copy.json' hold the bounds of the same inputs"},
      {"o.json", "'o.json' was scanned with another coordinate file"},
      {"c.json", "'c.json' is not a bounds file of -boundsonly: not a bounds file"},
  };
  for (const auto& c : cases) {
    const RunResult result = run(box, {std::string("-mergebounds=") + c.parts, "-base=b.txt"});
    EXPECT_EQ(result.out, "mergebounds set error!!\n") << c.parts;
    EXPECT_NE(result.err.find(c.detail), std::string::npos) << c.parts << ": " << result.err;
    EXPECT_FALSE(box.exists("b.txt")) << c.parts;
  }
  // A zero <SRSOrigin> and no metadata.xml give the same numbers: such parts merge.
  box.write("zero.xml", "<ModelMetadata><SRS>EPSG:4548</SRS><SRSOrigin>0,0,0</SRSOrigin>"
                        "</ModelMetadata>");
  ASSERT_EQ(run(box, {"-input=tiles", "-shard=2/2", "-boundsonly=p22.json",
                      "-metadata=zero.xml"}).exitStatus, 0);
  const RunResult zero = run(box, {"-mergebounds=p12.json,p22.json", "-base=b.txt"});
  EXPECT_EQ(zero.exitStatus, 0) << zero.err;
  ASSERT_EQ(run(box, {"-input=tiles", "-baseonly=1", "-base=one.txt"}).exitStatus, 0);
  EXPECT_EQ(box.read("b.txt"), box.read("one.txt"));
}

// The list's order; a failed file: the manifest says which, with the message and the line,
// and the files after it not reached.
TEST(Batch, TheManifestOfAFailedRunSaysWhatEachFileCameTo) {
  Sandbox box;
  writeTiles(box);
  std::filesystem::create_directories(box / "out");
  box.write("bad.obj", "v 1 2 3\nv 1 2\n");
  box.write("list.txt", "\xef\xbb\xbftiles/t2.obj\r\n# next\nbad.obj\ntiles/t0.obj\n");
  const RunResult result = run(box, {"-filesfrom=list.txt", "-output=out", "-inputbase=117,30",
                                     "-manifest=m.json"});
  EXPECT_EQ(result.out, "vertex line error!!\n");
  rapidjson::Document manifest;
  manifest.Parse(box.read("m.json").c_str());
  ASSERT_TRUE(manifest.IsObject()) << box.read("m.json");
  EXPECT_STREQ(manifest["outcome"]["status"].GetString(), "failed");
  const rapidjson::Value& files = manifest["files"];
  ASSERT_EQ(files.Size(), 3u);
  const char* expected[][2] = {{"tiles/t2.obj", "written"}, {"bad.obj", "failed"},
                               {"tiles/t0.obj", "not reached"}};
  for (rapidjson::SizeType i = 0; i < 3; ++i) {
    EXPECT_STREQ(files[i]["input"].GetString(), expected[i][0]) << i;
    EXPECT_STREQ(files[i]["status"].GetString(), expected[i][1]) << i;
  }
  EXPECT_STREQ(files[1]["message"].GetString(), "vertex line error!!");
  EXPECT_EQ(std::string(files[1]["detail"].GetString()).rfind("bad.obj:2: ", 0), 0u);
  EXPECT_EQ(files[0]["outputBytes"].GetUint64(), box.read("out/t2.obj").size());
}

}  // namespace
