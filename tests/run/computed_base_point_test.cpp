// The base-point scan: the bounds of every vertex of a list of files, read as a run reads them
// (FileSequence), on one thread and on several (small files whole, several at once).
#include "run/computed_base_point.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "obj/obj_test_files.h"
#include "portable.h"

namespace {

using Status = VertexBounds::Status;
constexpr double kMax = std::numeric_limits<double>::infinity();  // an empty box

// One thread (every file in blocks on the calling thread) and several (these small files
// whole, several at once): every case below holds for each.
using Scan = std::function<VertexBounds(const std::vector<std::string>&)>;
const struct {
  const char* name;
  Scan scan;
} kScans[] = {
    {"one thread", [](const std::vector<std::string>& f) { return scanBatchBounds(f, 1); }},
    {"3 threads", [](const std::vector<std::string>& f) { return scanBatchBounds(f, 3); }},
    {"8 threads", [](const std::vector<std::string>& f) { return scanBatchBounds(f, 8); }},
};

struct BoundsCase {
  std::vector<std::string> files;  // contents, scanned in order
  std::array<double, 3> min;
  std::array<double, 3> max;
  std::uint64_t vertexCount;
};

// The bounds are exact copies of input numbers, so they are compared exactly.
TEST(ScanBatchBounds, CoversEveryVertexOfEveryFile) {
  const std::vector<BoundsCase> cases = {
      // x spans -10..30 across two files, whichever holds the extremes.
      {{"v -10 5 1\nv 0 6 2\n", "v 30 4 -1\nv 3 7 0\n"}, {-10, 4, -1}, {30, 7, 2}, 4},
      {{"v 3 7 0\n", "v 30 4 -1\r\n", "v -10 5 1 0.5\n"}, {-10, 4, -1}, {30, 7, 1}, 3},
      // No vertex at all: the start values stay.
      {{"f 1 2 3\n# v 1 1 1\n", ""}, {kMax, kMax, kMax}, {-kMax, -kMax, -kMax}, 0},
      {{}, {kMax, kMax, kMax}, {-kMax, -kMax, -kMax}, 0},
      // The vertex after a UTF-8 byte-order mark counts.
      {{"\xEF\xBB\xBFv -10 5 1\n", "v 30 4 -1\n"}, {-10, 4, -1}, {30, 5, 1}, 2},
      // A NaN moves no bound; only the first three numbers count.
      {{"v 0x0 0 -0e3\nv 2 2 2 100 -100\n"}, {0, 0, 0}, {2, 2, 2}, 2},
      {{"v nan 1 1\nv 2 nan 3\n"}, {2, 1, 1}, {2, 1, 3}, 2},
      // Indented and continued vertex lines count; comments and other keywords do not.
      {{"  v 5 \\\n6 7\nvn 100 100 100\nvt -100 -100\n#v -9 -9 -9\n"}, {5, 6, 7}, {5, 6, 7}, 1},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    objtest::TempDir dir;
    std::vector<std::string> paths;
    for (std::size_t f = 0; f < cases[i].files.size(); ++f) {
      paths.push_back(dir.write(std::to_string(f).append(".obj"), cases[i].files[f]));
    }
    for (const auto& scan : kScans) {
      SCOPED_TRACE(scan.name);
      const VertexBounds bounds = scan.scan(paths);
      EXPECT_EQ(bounds.status, Status::ok) << "case " << i << ": " << bounds.detail;
      EXPECT_EQ(bounds.min, cases[i].min) << "case " << i;
      EXPECT_EQ(bounds.max, cases[i].max) << "case " << i;
      EXPECT_EQ(bounds.vertexCount, cases[i].vertexCount) << "case " << i;
    }
  }
}

TEST(ScanBatchBounds, StopsAtTheFirstFileThatFails) {
  objtest::TempDir dir;
  const std::string good = dir.write("good.obj", "v 1 2 3\n");
  const std::string shortLine = dir.write("short.obj", "f 1\r\n\r\nv 1 2\r\nv 1 2 3\n");
  const std::string missing = dir / "missing.obj";
  // The failing line after many blocks of tiny size: its number counts over the whole file.
  const std::string late = dir.write("late.obj", "v 1 2 3\r\n\r\n# a \\\nb\nv 4 5 6\rv 1\n");
  for (const auto& scan : kScans) {
  SCOPED_TRACE(scan.name);

  VertexBounds bounds = scan.scan({good, shortLine, missing});
  EXPECT_EQ(bounds.status, Status::shortVertexLine);
  EXPECT_EQ(bounds.path, shortLine);
  EXPECT_EQ(bounds.line, 3u);
  EXPECT_EQ(bounds.detail, "v line has 2 numbers, needs 3");

  bounds = scan.scan({good, missing, shortLine});
  EXPECT_EQ(bounds.status, Status::openFailed);
  EXPECT_EQ(bounds.path, missing);
  EXPECT_EQ(bounds.detail, "cannot open: No such file or directory");

  // A NUL would cut a number short: the line fails instead of moving a bound.
  // (Not named nul.obj: NUL is a device name on Windows, whatever the extension.)
  const std::string nul = dir.write("nul-byte.obj", std::string("v 1 2 3\rv 5 6\0 9 7\n", 20));
  bounds = scan.scan({good, nul});
  EXPECT_EQ(bounds.status, Status::shortVertexLine);
  EXPECT_EQ(bounds.line, 2u);
  EXPECT_EQ(bounds.detail, "number 2 of the v line holds a NUL byte");

  // A number that is not all number would move a bound to where no vertex is.
  const std::string comma = dir.write("comma.obj", "v 1 2 3\nv 500179,859066 2 3\n");
  bounds = scan.scan({good, comma});
  EXPECT_EQ(bounds.status, Status::shortVertexLine);
  EXPECT_EQ(bounds.line, 2u);
  EXPECT_EQ(bounds.detail, "number 1 of the v line is not a number: \"500179,859066\"");

  bounds = scan.scan({dir.path()});
  EXPECT_EQ(bounds.status, Status::openFailed);
  EXPECT_EQ(bounds.detail, portable::kFolderAsObjError);

  bounds = scan.scan({good, late});
  EXPECT_EQ(bounds.status, Status::shortVertexLine);
  EXPECT_EQ(bounds.path, late);
  EXPECT_EQ(bounds.line, 6u);
  }
}

}  // namespace
