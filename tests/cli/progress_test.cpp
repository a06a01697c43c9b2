// Progress line and summary on a terminal (run in a pseudo-terminal with script(1)), silence
// elsewhere, and the warnings that explain a surprising search.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cli/cli_harness.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

const char* const kCoord117 =
    R"({"type": "Custom Gauss", "define": {"centralMeridianLongitude": 117, "xoffset": 500000}})";

void twoTiles(const Sandbox& box) {
  box.write("c.json", kCoord117);
  box.write("in/a.obj", "v 500000 3320113.398 0\nv 500001 3320113.398 0\nf 1 2 1\n");
  box.write("in/b.obj", "v 500002 3320113.398 0\n");
  cli::fs::create_directories(box / "out");
}

// Everything the terminal received (standard output and error together), or empty when
// script(1) is not there.
std::string inTerminal(const Sandbox& box, const std::string& args) {
  const std::string command = "cd " + cli::shellQuote(box.root().string()) +
                              " && script -qec " +
                              cli::shellQuote(std::string(QUORVEX_BINARY) + " " + args) +
                              " /dev/null > terminal.txt 2>&1 < /dev/null";
  if (std::system(command.c_str()) != 0) return "";
  return box.read("terminal.txt");
}

TEST(Progress, OnATerminalAProgressLineThenTheSummary) {
#ifdef _WIN32
  GTEST_SKIP() << "no pseudo-terminal (script) on Windows";
#endif
  if (std::system("command -v script > /dev/null") != 0) GTEST_SKIP() << "script(1) missing";
  Sandbox box;
  twoTiles(box);
  const std::string text = inTerminal(box, "-input=in -coord=c.json -output=out");
  // The first file's line at once, erased before its zone code, then the summary.
  EXPECT_NE(text.find("\r[1/2] in/"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\x1b[K4548\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("quorvex: 2 files, 3 vertices, 0.0 MB, "), std::string::npos) << text;
  EXPECT_NE(text.find(" vertices/s, largest round trip 0.0"), std::string::npos) << text;
  EXPECT_NE(text.find("convert success!!"), std::string::npos) << text;

  const std::string off = inTerminal(box, "-input=in -coord=c.json -output=out -progress=0");
  EXPECT_EQ(off, "4548\r\n4548\r\nconvert success!!\r\n");
  // A computed base point: its scan shows too.
  const std::string scan = inTerminal(box, "-input=in -coord=c.json -output=out -toProj=0");
  EXPECT_NE(scan.find("\r[1/2] base point: in/"), std::string::npos) << scan;
}

TEST(Progress, NothingOnStandardErrorUnlessAsked) {
  Sandbox box;
  twoTiles(box);
  const RunResult quiet = box.run({"-input=in", "-coord=c.json", "-output=out"});
  ASSERT_EQ(quiet.exitStatus, 0);
  EXPECT_EQ(quiet.out, "4548\n4548\nconvert success!!\n");
  EXPECT_EQ(quiet.err, "");
  const RunResult asked = box.run({"-input=in", "-coord=c.json", "-output=out", "-progress=1"});
  ASSERT_EQ(asked.exitStatus, 0);
  EXPECT_EQ(asked.out, quiet.out);  // standard output is the same for scripts
  EXPECT_NE(asked.err.find("quorvex: 2 files, 3 vertices, "), std::string::npos) << asked.err;
  const RunResult base = box.run({"-input=in", "-coord=c.json", "-toProj=0", "-baseonly=1",
                                  "-base=b.txt", "-progress=1"});
  EXPECT_NE(base.err.find("quorvex: base point of 2 files, 3 vertices, "), std::string::npos)
      << base.err;
}

TEST(Progress, SearchWarnings) {
  Sandbox box;
  box.write("c.json", kCoord117);
  box.write("in/a.obj", "v 500000 3320113.398 0\n");
  box.write("in/later/b.obj", "v 500000 3320113.398 0\n");
  box.write("in/other/c.obj", "v 500000 3320113.398 0\n");
  box.write("empty/notes.txt", "");
  cli::fs::create_directories(box / "out");
  const RunResult skipped = box.run({"-input=in", "-coord=c.json", "-output=out"});
  ASSERT_EQ(skipped.exitStatus, 0);
  EXPECT_EQ(skipped.err,
            "quorvex: warning: 2 sub-folders of 'in' not searched: that folder holds .obj files "
            "itself (give -tree=1 to convert every .obj below it, or a sub-folder as -input)\n");
  const RunResult none = box.run({"-input=empty", "-coord=c.json", "-output=out"});
  EXPECT_EQ(none.exitStatus, 0);
  EXPECT_EQ(none.err, "quorvex: warning: no .obj file found in 'empty' or below it\n");
}

}  // namespace
