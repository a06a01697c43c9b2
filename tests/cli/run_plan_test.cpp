// The run's plan end to end: a written path that is any other path of the run, or whose folder
// is missing, is refused before anything is read or written; standard output that cannot be
// written fails the run.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cli/cli_harness.h"
#include "common/readme_site.h"
#include "portable.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using cli::RunResult;
using cli::Sandbox;

using cli::kCoord117;

// Every file below the sandbox with its bytes.
std::map<std::string, std::string> snapshot(const Sandbox& box) {
  std::map<std::string, std::string> files;
  for (const std::string& name : box.listing()) files[name] = box.read(name);
  return files;
}

struct ClashCase {
  const char* name;
  std::vector<std::string> args;
  const char* message;
  const char* stderrPart;
  bool needsLinks = false;  // POSIX links in the sandbox
};

TEST(RunPlan, AWrittenPathThatIsAnotherPathOfTheRunWritesNothing) {
  const std::string in = "-input=in/a.obj", coord = "-coord=c.json";
  const std::vector<ClashCase> cases = {
      {"report is the input", {in, coord, "-output=out", "-report=in/a.obj"},
       "output name conflict!!\n", "the report file 'in/a.obj' is the input 'in/a.obj'"},
      {"report is the input through ..", {in, coord, "-output=out", "-report=out/../in/a.obj"},
       "output name conflict!!\n", "is the input 'in/a.obj'"},
      {"report is the input, base only",
       {in, coord, "-toProj=0", "-baseonly=1", "-base=b.txt", "-report=in/a.obj"},
       "output name conflict!!\n", "the report file 'in/a.obj' is the input"},
      {"report is the coordinate file", {in, coord, "-output=out", "-report=c.json"},
       "output name conflict!!\n", "the report file 'c.json' is the coordinate file 'c.json'"},
      {"report is an output", {in, coord, "-output=out", "-report=out/a.obj"},
       "output name conflict!!\n", "the report file 'out/a.obj' is the output 'out"},
      {"report is the base file", {in, coord, "-output=out", "-base=z.txt", "-report=z.txt"},
       "output name conflict!!\n", "the report file 'z.txt' is the base file 'z.txt'"},
      {"zone code over the coordinate file", {in, coord, "-output=out", "-base=c.json"},
       "output name conflict!!\n", "the base file 'c.json' is the coordinate file"},
      {"base point over an output", {in, coord, "-output=out", "-toProj=0", "-base=out/a.obj"},
       "output name conflict!!\n", "the base file 'out/a.obj' is the output 'out"},
      {"output file is the coordinate file", {in, "-coord=c.obj.json", "-output=c.obj.json"},
       "output name conflict!!\n", "the output 'c.obj.json' is the coordinate file"},
      {"report through a symbolic link to the input",
       {in, coord, "-output=out", "-report=link.html"}, "output name conflict!!\n",
       "the report file 'link.html' is the input 'in/a.obj'", true},
      {"report is a hard link of the input", {in, coord, "-output=out", "-report=hard.html"},
       "output name conflict!!\n", "(the same file under another name)", true},
      {"zone code into a missing folder, found before the first output",
       {in, coord, "-output=out", "-base=nofolder/zone.txt"}, "write file error!!\n",
       "the folder 'nofolder' of the base file"},
      {"report into a missing folder", {in, coord, "-output=out", "-report=nofolder/r.html"},
       "write file error!!\n", "the folder 'nofolder' of the report file"},
      {"output that is a device", {in, coord, "-output=/dev/null"}, "write file error!!\n",
       "is neither a folder nor a name with .obj", true},
      // The material files a run copies or links are read like its inputs (named as joined,
      // with the system's separator).
      {"report over a texture map copied", {in, coord, "-output=out", "-materials=copy",
       "-report=in/t.jpg"}, "output name conflict!!\n",
       "the report file 'in/t.jpg' is the texture map 'in"},
      {"base point over a library linked", {in, coord, "-output=out", "-toProj=0",
       "-materials=link", "-base=in/a.mtl"}, "output name conflict!!\n",
       "the base file 'in/a.mtl' is the material library 'in"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const ClashCase& c = cases[i];
    SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.name);
#ifdef _WIN32
    if (c.needsLinks) continue;  // no POSIX links or devices under Wine
#endif
    Sandbox box;
    box.write("in/a.obj", "mtllib a.mtl\nv 500000 3320113.398 1\n");
    box.write("in/a.mtl", "newmtl m\nmap_Kd t.jpg\n");
    box.write("in/t.jpg", "texture");
    box.write("c.json", kCoord117);
    box.write("c.obj.json", kCoord117);
    cli::fs::create_directories(box / "out");
#ifndef _WIN32
    cli::fs::create_symlink("in/a.obj", box / "link.html");
    cli::fs::create_hard_link(box / "in/a.obj", box / "hard.html");
#endif
    const auto before = snapshot(box);
    const RunResult result = box.run(c.args);
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, c.message);
    EXPECT_NE(result.err.find(c.stderrPart), std::string::npos) << result.err;
    EXPECT_TRUE(snapshot(box) == before) << "a file was written or changed";
  }
}

#ifndef _WIN32
// Runs `args` in the sandbox through the shell with `redirections`; the exit status.
int runShell(const Sandbox& box, const std::string& prefix, const std::string& args,
             const std::string& redirections) {
  const std::string command = "cd " + cli::shellQuote((box / "").string()) + " && " + prefix +
                              QUORVEX_BINARY + " " + args + " " + redirections;
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Standard output closed at start: the label lines of a control-point fit must not land in the
// file that took its descriptor (the output OBJ, or with two threads its temporary file).
// Standard output that cannot be written (a full device) fails the run: a zone code or a
// message would be lost.
TEST(RunPlan, StandardOutputClosedOrFull) {
  const struct {
    const char* redirections;
    int status;
    const char* file;  // looked into for `part`
    const char* part;
    bool found;
  } cases[] = {
      {">&- 2>err.txt", 0, "out.obj", "source_points", false},
      {">/dev/full 2>err.txt", 255, "err.txt", "standard output could not be written", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.redirections);
    Sandbox box;
    box.write("in/a.obj", "v 500000 3320000 30\n");
    // An array document: the site's transform is fitted when the first vertex needs it, while
    // the output is open.
    box.write("c.json", std::string("[") + testdocs::kReadmeSite + "]");
    const int status = runShell(box, "", "-input=in/a.obj -coord=c.json -output=out.obj "
                                          "-threads=2", c.redirections);
    EXPECT_EQ(status, c.status) << box.read("err.txt");
    EXPECT_EQ(box.read(c.file).find(c.part) != std::string::npos, c.found) << box.read(c.file);
  }
}

// A folder the search cannot list fails the run before anything is written, run as a user
// the folder's mode applies to (root reads every folder: then as nobody, through setpriv).
TEST(RunPlan, AFolderTheSearchCannotListFailsTheRun) {
  std::string prefix;
  if (geteuid() == 0) {
    if (std::system("command -v setpriv >/dev/null 2>&1") != 0) {
      GTEST_SKIP() << "running as root without setpriv: cannot drop privileges";
    }
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    // The build may sit where nobody cannot reach it (a clone under /root).
    const std::string probe = prefix + QUORVEX_BINARY + " --version >/dev/null 2>&1";
    if (std::system(probe.c_str()) != 0) {
      GTEST_SKIP() << "the unprivileged user cannot run " << QUORVEX_BINARY;
    }
  }
  for (const cli::fs::perms mode : {cli::fs::perms::none, cli::fs::perms::owner_exec |
                                                              cli::fs::perms::group_exec |
                                                              cli::fs::perms::others_exec}) {
    for (const char* input : {"in", "in/s2"}) {
      SCOPED_TRACE(testing::Message() << "mode " << static_cast<int>(mode) << ", " << input);
      Sandbox box;
      box.write("in/s1/a.obj", "v 500000 3320113.398 1\n");
      box.write("in/s2/b.obj", "v 500000 3320113.398 1\n");
      box.write("c.json", kCoord117);
      cli::fs::create_directories(box / "out");
      // The sandbox (mkdtemp: 0700) open to the unprivileged user, but for in/s2.
      for (const char* path : {"", "in", "in/s1", "out"}) {
        cli::fs::permissions(box / path, cli::fs::perms::all);
      }
      cli::fs::permissions(box / "in/s2", mode);
      const int status = runShell(box, prefix,
                                  std::string("-input=") + input + " -coord=c.json -output=out",
                                  ">out.txt 2>err.txt");
      cli::fs::permissions(box / "in/s2", cli::fs::perms::owner_all);
      EXPECT_EQ(status, 255);
      EXPECT_EQ(box.read("out.txt"), "open obj error!!\n");
      EXPECT_NE(box.read("err.txt").find("cannot search 'in/s2"), std::string::npos)
          << box.read("err.txt");
      EXPECT_TRUE(box.listing("out").empty());
    }
  }
}

#endif

// A control-point fit that fails is said once, as the program's own line, however many times
// the run meets it.
TEST(RunPlan, AFitFailureIsSaidOnceWithTheProgramsPrefix) {
  Sandbox box;
  box.write("in/a.obj", "v 10 20 30\n");
  box.write("c.json", R"({"type": "Control points", "define": {
      "srcpoints": [117, 30, 0, 117, 30, 0, 117, 30, 0],
      "despoints": [500000, 3320000, 0, 500100, 3320000, 0, 500000, 3320100, 0]}})");
  const RunResult result = box.run({"-input=in/a.obj", "-coord=c.json", "-output=out.obj",
                                    "-toProj=0", "-inputbase=ENU:117,30"});
  const std::string reason = "quorvex: control point fit: ";
  const std::size_t first = result.err.find(reason);
  ASSERT_NE(first, std::string::npos) << result.err;
  EXPECT_EQ(result.err.find(reason, first + 1), std::string::npos) << result.err;
}

}  // namespace
