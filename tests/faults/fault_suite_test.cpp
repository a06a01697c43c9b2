// File-system and input faults, end to end: each case checks the message, the exit status,
// that the inputs are unchanged, that the previous output is unchanged and that no temporary
// file is left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "faults/fault_harness.h"

namespace {

using cli::Sandbox;
using faults::Finished;
using faults::snapshot;

const char* const kPrevious = "previous output\n";

// A box with the coordinate file, in/a.obj (a small tile) and out/a.obj (a previous output).
struct Scene {
  Sandbox box;
  std::map<std::string, std::string> inputs;
  explicit Scene(const std::string& tileText = faults::tile(50)) {
    box.write("c.json", faults::kCoord117);
    box.write("in/a.obj", tileText);
    box.write("out/a.obj", kPrevious);
    inputs = snapshot(box / "in");
  }
  // The run failed with `message` and a detail line holding `detail`, and changed nothing.
  void expectRefused(const Finished& result, const std::string& message,
                     const std::string& detail, const std::string& outFolder = "out") const {
    EXPECT_EQ(result.exitStatus, 255) << result.err;
    EXPECT_EQ(result.out.substr(result.out.size() - std::min(result.out.size(), message.size())),
              message);
    EXPECT_NE(result.err.find(detail), std::string::npos) << result.err;
    EXPECT_EQ(snapshot(box / "in"), inputs) << "an input changed";
    EXPECT_EQ(box.read(outFolder + "/a.obj"), kPrevious) << "the previous output changed";
    EXPECT_EQ(box.listing(outFolder), std::vector<std::string>{"a.obj"}) << "file left behind";
  }
};

// A tmpfs mounted for one test (root only), unmounted at the end.
class TmpfsMount {
 public:
  TmpfsMount(const faults::fs::path& at, const char* options) : at_(at.string()) {
    faults::fs::create_directories(at);
    if (mount("tmpfs", at_.c_str(), "tmpfs", 0, options) != 0) {
      reason_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
    }
  }
  ~TmpfsMount() {
    if (reason_.empty()) umount2(at_.c_str(), MNT_DETACH);
  }
  // Empty when mounted, else why not.
  const std::string& reason() const { return reason_; }
  bool makeReadOnly() {
    return mount("tmpfs", at_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  std::string at_;
  std::string reason_;
};

TEST(Faults, FullDisk) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  Scene s(faults::tile(40000));  // about 1.8 MB of output
  TmpfsMount small(s.box / "small", "size=512k");
  if (!small.reason().empty()) GTEST_SKIP() << small.reason();
  s.box.write("small/a.obj", kPrevious);
  const Finished result = faults::run(s.box, {"-input=in/a.obj", "-coord=c.json", "-output=small"});
  s.expectRefused(result, "write file error!!\n", "No space left on device", "small");
}

TEST(Faults, DevicesAsBaseAreWrittenNotReplaced) {
  Scene s;
  Finished result = faults::run(s.box, {"-input=in", "-coord=c.json", "-output=out",
                                        "-base=/dev/full"});
  EXPECT_EQ(result.exitStatus, 255);
  EXPECT_EQ(result.out, "4548\nwrite file error!!\n");
  EXPECT_NE(result.err.find("'/dev/full': No space left on device"), std::string::npos)
      << result.err;
  result = faults::run(s.box, {"-input=in", "-coord=c.json", "-output=out", "-base=/dev/null"});
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  for (const char* device : {"/dev/full", "/dev/null"}) {
    struct stat info;
    ASSERT_EQ(stat(device, &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode)) << device << " is no longer a device";
  }
  EXPECT_EQ(snapshot(s.box / "in"), s.inputs);
}

TEST(Faults, ReadOnlyOutputFolder) {
  Scene s;
  TmpfsMount locked(s.box / "locked", "size=64k");
  if (geteuid() == 0) {
    if (!locked.reason().empty()) GTEST_SKIP() << locked.reason();
    s.box.write("locked/a.obj", kPrevious);
    ASSERT_TRUE(locked.makeReadOnly()) << std::strerror(errno);
  } else {
    s.box.write("locked/a.obj", kPrevious);
    faults::fs::permissions(s.box / "locked", faults::fs::perms::owner_write,
                            faults::fs::perm_options::remove);
  }
  const Finished result =
      faults::run(s.box, {"-input=in/a.obj", "-coord=c.json", "-output=locked"});
  s.expectRefused(result, "write file error!!\n", "cannot create temporary file in 'locked'",
                  "locked");
}

// Links: a loop as input or output, an input folder holding a link to itself, an output that
// is a link to an input.
TEST(Faults, LinksThatLoopOrLeadBackToTheInput) {
  Scene s;
  faults::fs::create_symlink("loop.obj", s.box / "loop.obj");
  s.expectRefused(faults::run(s.box, {"-input=loop.obj", "-coord=c.json", "-output=out"}),
                  "open obj error!!\n", "Too many levels of symbolic links");

  s.box.write("in2/b.obj", faults::tile(3));
  faults::fs::create_symlink("x.obj", s.box / "in2/x.obj");
  s.expectRefused(faults::run(s.box, {"-input=in2/b.obj", "-coord=c.json", "-output=in2/x.obj"}),
                  "write file error!!\n", "cannot follow the link 'in2/x.obj'");
  faults::fs::remove_all(s.box / "in2");

  faults::fs::create_directory_symlink(".", s.box / "in/self");
  faults::fs::create_directories(s.box / "out2");
  Finished result = faults::run(s.box, {"-input=in", "-coord=c.json", "-output=out2"});
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(s.box.listing("out2"),
            (std::vector<std::string>{"a.obj", "metadata.xml"}));

  faults::fs::create_directories(s.box / "out3");
  faults::fs::create_symlink("../in/a.obj", s.box / "out3/a.obj");
  result = faults::run(s.box, {"-input=in", "-coord=c.json", "-output=out3"});
  EXPECT_EQ(result.out, "output name conflict!!\n");
  EXPECT_NE(result.err.find("is the input 'in/a.obj'"), std::string::npos) << result.err;
  faults::fs::remove(s.box / "in/self");
  EXPECT_EQ(snapshot(s.box / "in"), s.inputs);
}

// Standard output a pipe without a reader (`quorvex ... | head -c0`): the zone code cannot be
// written, which is the documented failure, not an end by SIGPIPE; no temporary file stays.
TEST(Faults, StandardOutputOnAPipeWithoutReader) {
  Scene s;
  for (const char* name : {"b", "c", "d", "e"}) {
    s.box.write(std::string("in/") + name + ".obj", faults::tile(20));
  }
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  close(ends[0]);
  const Finished result = faults::finish(
      s.box, faults::spawn(s.box, {"-input=in", "-coord=c.json", "-output=out", "-threads=2"},
                           "run", ends[1]));
  close(ends[1]);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exitStatus, 255);
  EXPECT_NE(result.err.find("standard output could not be written: Broken pipe"),
            std::string::npos) << result.err;
  for (const std::string& name : s.box.listing("out")) EXPECT_NE(name[0], '.') << name;
}

// A material copy that fails (a map that reads as an I/O error): the report lists the output
// and the material files written before it.
TEST(Faults, AFailedMaterialCopyIsReportedWithTheFilesWritten) {
  Scene s;
  s.box.write("in/t.mtl", "map_Kd ok.jpg\nmap_Ka bad.jpg\n");
  s.box.write("in/ok.jpg", "ok");
  faults::fs::create_symlink("/proc/self/mem", s.box / "in/bad.jpg");
  faults::fs::create_directories(s.box / "o");
  const Finished result = faults::run(s.box, {"-input=in", "-coord=c.json", "-output=o",
                                              "-materials=copy", "-report=r.html"});
  EXPECT_EQ(result.out, "4548\nwrite file error!!\n") << result.err;
  const std::string report = s.box.read("r.html");
  EXPECT_NE(report.find("<th>files</th><td class=\"name\">1, 50 vertices"), std::string::npos);
  EXPECT_NE(report.find("<td class=\"name\">o/t.mtl<br>o/ok.jpg</td>"), std::string::npos);
}

// The default zone mode with the input folder as output folder would replace the originals.
TEST(Faults, OutputThatIsAnInput) {
  Scene s;
  s.box.write("in/b.obj", faults::tile(5));
  s.inputs = snapshot(s.box / "in");
  s.expectRefused(faults::run(s.box, {"-input=in", "-coord=c.json", "-output=in"}),
                  "output name conflict!!\n", "the output 'in/a.obj' is the input 'in/a.obj'");
  faults::fs::create_hard_link(s.box / "in/a.obj", s.box / "hard.obj");
  s.expectRefused(faults::run(s.box, {"-input=in/a.obj", "-coord=c.json", "-output=hard.obj"}),
                  "output name conflict!!\n", "is the input");
}

TEST(Faults, FifoInputThatMustBeReadTwice) {
  Scene s;
  ASSERT_EQ(mkfifo((s.box / "in/pipe.obj").c_str(), 0644), 0);
  s.inputs = snapshot(s.box / "in");
  // No "basepoint": the base point is computed from the vertices, which reads every input twice.
  s.box.write("c.json", R"({"type": "Custom Gauss", "define": {"centralMeridianLongitude": 117,
                            "xoffset": 500000}})");
  const Finished result = faults::finish(
      s.box, faults::spawn(s.box, {"-input=in", "-coord=c.json", "-output=out", "-toProj=0"}),
      "run", std::chrono::seconds(20));
  EXPECT_FALSE(result.timedOut) << "waited for a writer that never comes";
  s.expectRefused(result, "open obj error!!\n",
                  "'in/pipe.obj' is not a regular file, so it cannot be read twice");
}

TEST(Faults, FolderNamedLikeAnObjFile) {
  Scene s;
  s.box.write("x.obj/t.obj", faults::tile(4));
  faults::fs::create_directories(s.box / "y.obj");
  const Finished result = faults::run(s.box, {"-input=x.obj", "-coord=c.json", "-output=y.obj"});
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(result.out, "4548\nconvert success!!\n");
  EXPECT_EQ(s.box.listing("y.obj"),
            (std::vector<std::string>{"metadata.xml", "t.obj"}));
}

TEST(Faults, DeepAndNulCarryingInputs) {
  Scene s;
  s.box.write("deep.json", std::string(100000, '[') + std::string(100000, ']'));
  s.expectRefused(faults::run(s.box, {"-input=in", "-coord=deep.json", "-output=out"}),
                  "parseCoordTranslateInfo error!!\n", "deep.json");

  s.box.write("nul.json", std::string(faults::kCoord117).insert(10, 1, '\0'));
  s.expectRefused(faults::run(s.box, {"-input=in", "-coord=nul.json", "-output=out"}),
                  "parseCoordTranslateInfo error!!\n", "nul.json");

  s.box.write("in/a.obj", std::string("v 500000 3320000 1\r\nv 500000\0.5 3320000 1\r\n", 43));
  s.inputs = snapshot(s.box / "in");
  s.expectRefused(faults::run(s.box, {"-input=in", "-coord=c.json", "-output=out"}),
                  "vertex line error!!\n", "in/a.obj:2: number 1 of the v line holds a NUL byte");
}

#if defined(__SANITIZE_ADDRESS__)
// Instrumented, the line is converted byte by byte in a Debug build (slow), and the peak memory
// counts shadow memory and what the test process holds in its quarantine when it forks.
constexpr std::size_t kLongLineBytes = 10'000'000;
constexpr bool kMemoryMeaningful = false;
#else
constexpr std::size_t kLongLineBytes = 100'000'000;
constexpr bool kMemoryMeaningful = true;
#endif

// One 100 MB vertex line with 25 million extra numbers is streamed: the process stays within a
// few blocks of memory (the line was once held with a view per token: 683 MB).
TEST(Faults, HundredMegabyteLineInBoundedMemory) {
  const std::string head = "v 500000 3320113.398 0";
  std::string line = head;
  line.reserve(kLongLineBytes + 100);
  while (line.size() < kLongLineBytes) line += " 0.5";
  line += "\n";
  const std::size_t extras = line.size() - head.size();
  Scene s(line);
  // Freed before the fork: the child's peak memory counts what it inherited before exec.
  std::string().swap(line);
  const Finished result = faults::run(s.box, {"-input=in/a.obj", "-coord=c.json", "-output=o.obj"});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  const std::string out = s.box.read("o.obj");
  ASSERT_NE(out.find(" 0.5"), std::string::npos);
  EXPECT_EQ(out.size() - out.find(" 0.5"), extras);
  EXPECT_EQ(out.substr(out.size() - 9), " 0.5 0.5\n");
  if (!kMemoryMeaningful) {
    std::printf("peak memory not checked: instrumented build\n");
    return;
  }
  std::printf("peak memory of the 100 MB line: %ld KiB\n", result.maxRssKiB);
  EXPECT_LT(result.maxRssKiB, 64 * 1024);
}

// A signal in the middle of a file: the input is a FIFO fed 6 MiB and then held open, so the
// process is certainly inside the file, its output begun, when the signal comes.
TEST(Faults, SignalsInTheMiddleOfAFile) {
  const std::string part = faults::tile(150000).substr(0, 6u << 20);
  for (const int sig : {SIGINT, SIGTERM, SIGKILL}) {
    SCOPED_TRACE("signal " + std::to_string(sig));
    Scene s;
    ASSERT_EQ(mkfifo((s.box / "in/pipe.obj").c_str(), 0644), 0);
    const pid_t pid = faults::spawn(s.box, {"-input=in/pipe.obj", "-coord=c.json",
                                            "-output=out/a.obj"});
    const int fifo = open((s.box / "in/pipe.obj").c_str(), O_WRONLY);
    ASSERT_GE(fifo, 0);
    std::size_t written = 0;
    while (written < part.size()) {
      const ssize_t n = write(fifo, part.data() + written, part.size() - written);
      if (n <= 0) break;
      written += static_cast<std::size_t>(n);
    }
    EXPECT_EQ(written, part.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(pid, sig);
    const Finished result = faults::finish(s.box, pid);
    close(fifo);
    EXPECT_EQ(result.signal, sig) << "exit status " << result.exitStatus << ": " << result.err;
    EXPECT_EQ(s.box.read("out/a.obj"), kPrevious);
    EXPECT_EQ(s.box.listing("out"), std::vector<std::string>{"a.obj"}) << "file left behind";
  }
}

// Two processes writing the same output: each replaces it whole, so it is one complete run's
// output, never a mix, and neither leaves a temporary file.
TEST(Faults, TwoProcessesWritingTheSameOutput) {
  Scene s(faults::tile(100000));
  Finished alone = faults::run(s.box, {"-input=in/a.obj", "-coord=c.json", "-output=ref.obj"});
  ASSERT_EQ(alone.exitStatus, 0) << alone.err;
  const pid_t first = faults::spawn(s.box, {"-input=in", "-coord=c.json", "-output=out"}, "one");
  const pid_t second = faults::spawn(s.box, {"-input=in", "-coord=c.json", "-output=out"}, "two");
  const Finished one = faults::finish(s.box, first, "one");
  const Finished two = faults::finish(s.box, second, "two");
  EXPECT_EQ(one.exitStatus, 0) << one.err;
  EXPECT_EQ(two.exitStatus, 0) << two.err;
  EXPECT_TRUE(s.box.read("out/a.obj") == s.box.read("ref.obj"));
  EXPECT_EQ(s.box.listing("out"),
            (std::vector<std::string>{"a.obj", "metadata.xml"}));
  EXPECT_EQ(snapshot(s.box / "in"), s.inputs);
}

}  // namespace
