// A file converted in blocks on several threads against the same on one: the same bytes, the
// same first failure, for every block size (tiny blocks put a cut at every position of every
// line) and worker count; and the block cutting rule on its own.
#include "obj/block_pipeline.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "obj/block_cutter.h"
#include "obj/function_conversion.h"
#include "obj/obj_test_files.h"

namespace {

using namespace std::string_literals;

// x + 1, y * 2, z - 3; refuses x above 100.
const auto affine = [](const double in[3], double out[3]) {
  if (in[0] > 100.0) return false;
  out[0] = in[0] + 1.0;
  out[1] = in[1] * 2.0;
  out[2] = in[2] - 3.0;
  return true;
};

// Its workers refuse x above 100 with this reason.
constexpr const char* kRefusal = "x above 100";
using Settler = FunctionSettler<decltype(affine)>;

// Lines that end in every way, continuations of every kind (a '\\' before "\r\n", before a
// lone "\r", two of them), vertex lines with extras and NULs, long comment and vertex lines,
// no line end at the end.
const std::string kMixed =
    "# header\r\nv 1 2 3\nv 4 5 6 0.5\r\nvt 0.5 0.5\rf 1 2 3\r\n\n   \n\t\r"
    "v 1 \\\r\n2 \\\r\n3\r\nf 1 2 \\\n3 4\n# d \\\nv 9 9 9\nv 7 \\\r8 9\r"
    "v 1 2 3 4\0x 5\nf \0 1\n"s
    "v 1e1 0x10 -.5\n# \\\\\nv 2 \\\\\n3 4\n" +
    std::string(300, '#') + "\nv 5 6 7 " + std::string(200, 'w') + "\r\n" +
    "  v\t8\t9\t10  # corner \r\nv 11 12 13";

// One thread, blocks of the default size: the reference.
std::string sequential(const objtest::TempDir& dir, const std::string& input,
                       ConvertOutcome& outcome) {
  Settler settler(affine, kRefusal);
  outcome = convertFileInBlocks(input, dir / "one.obj", settler, 1);
  return dir.exists("one.obj") ? dir.read("one.obj") : "(none)";
}

TEST(BlockPipeline, SameBytesAsOneThreadForEveryBlockSize) {
  objtest::TempDir dir;
  const std::vector<std::string> texts = {"", "\n", "\r", "v 1 2 3", "\\", "v 1 2 3\\", kMixed,
                                          kMixed + "\n", kMixed + "\r\n",
                                          "\xEF\xBB\xBF" + kMixed.substr(10)};
  for (std::size_t t = 0; t < texts.size(); ++t) {
    const std::string input = dir.write("in.obj", texts[t]);
    ConvertOutcome one;
    const std::string expected = sequential(dir, input, one);
    ASSERT_EQ(one.status, ConvertStatus::converted) << "text " << t << ": " << one.detail;
    for (std::size_t blockSize = 1; blockSize <= 48; blockSize += (blockSize < 16 ? 1 : 7)) {
      for (const unsigned workers : {1u, 2u, 3u, 8u}) {
        SCOPED_TRACE("text " + std::to_string(t) + ", block " + std::to_string(blockSize) +
                     ", workers " + std::to_string(workers));
        Settler settler(affine, kRefusal);
        BlockStats stats;
        const ConvertOutcome outcome = convertFileInBlocks(
            input, dir / "many.obj", settler, workers, blockSize, nullptr, &stats);
        ASSERT_EQ(outcome.status, ConvertStatus::converted) << outcome.detail;
        EXPECT_EQ(dir.read("many.obj"), expected);
        EXPECT_EQ(outcome.vertexCount, one.vertexCount);
        EXPECT_EQ(settler.vertices, one.vertexCount);
        EXPECT_EQ(stats.reconverted, 0u);
        if (texts[t].size() > kMixed.size() / 2 && blockSize < 48) {
          EXPECT_GT(stats.blocks, 1u);
        }
      }
    }
  }
  EXPECT_EQ(dir.names(), (std::set<std::string>{"in.obj", "one.obj", "many.obj"}));
}

// A block whose settle is refused is converted again and written once.
TEST(BlockPipeline, RefusedBlocksAreConvertedAgain) {
  objtest::TempDir dir;
  const std::string input = dir.write("in.obj", kMixed);
  ConvertOutcome one;
  const std::string expected = sequential(dir, input, one);
  for (const unsigned refuseEvery : {1u, 2u, 3u}) {
    SCOPED_TRACE("refuse every " + std::to_string(refuseEvery));
    Settler settler(affine, kRefusal, refuseEvery);
    BlockStats stats;
    const ConvertOutcome outcome =
        convertFileInBlocks(input, dir / "many.obj", settler, 4, 16, nullptr, &stats);
    ASSERT_EQ(outcome.status, ConvertStatus::converted) << outcome.detail;
    EXPECT_EQ(dir.read("many.obj"), expected);
    EXPECT_EQ(settler.vertices, one.vertexCount);
    EXPECT_GT(stats.reconverted, 0u);
  }
}

// The first failure in file order wins, with the line number of the whole file, and nothing
// is written; a later failure in a block converted earlier does not count.
TEST(BlockPipeline, FirstFailureInFileOrderWins) {
  const std::vector<std::string> texts = {
      "v 1 2 3\nv 1 2 3\nv 1 2\nv 101 2 3\nv 1\n",
      "f 1\n" + std::string(200, '#') + "\nv 1 \\\n2 3\r\nv 101 2 3\nv 1 2\n",
      "v 1 2 3\r\rv 1 2 3\r\n\n\nv 1 2\0 3\nv 200 1 1\n"s,
      "v 1 2 3\nv 1 nan 3\nv 101 0 0\n",
      "v 1 2 3\r\nv 1 2 3\r\nv 1 2 3,5\r\nv 101 2 3\n",
      std::string(500, '\n') + "v 102 0 0\n" + std::string(500, '\n') + "v 1 2\n",
  };
  for (std::size_t t = 0; t < texts.size(); ++t) {
    objtest::TempDir dir;
    const std::string input = dir.write("in.obj", texts[t]);
    ConvertOutcome one;
    sequential(dir, input, one);
    ASSERT_NE(one.status, ConvertStatus::converted) << "text " << t;
    // The worker's reason follows when the conversion refused the vertex.
    if (one.status == ConvertStatus::convertFailed &&
        one.detail.find("not finite") == std::string::npos) {
      EXPECT_NE(one.detail.find("could not be converted: x above 100"), std::string::npos);
    }
    for (const std::size_t blockSize : {std::size_t{1}, std::size_t{7}, std::size_t{64}}) {
      for (const unsigned workers : {1u, 2u, 8u}) {
        SCOPED_TRACE("text " + std::to_string(t) + ", block " + std::to_string(blockSize) +
                     ", workers " + std::to_string(workers));
        Settler settler(affine, kRefusal);
        const ConvertOutcome outcome =
            convertFileInBlocks(input, dir / "many.obj", settler, workers, blockSize);
        EXPECT_EQ(outcome.status, one.status);
        EXPECT_EQ(outcome.line, one.line);
        EXPECT_EQ(outcome.detail, one.detail);
        EXPECT_FALSE(dir.exists("many.obj"));
      }
    }
  }
}

TEST(BlockPipeline, UnreadableInputOrOutput) {
  objtest::TempDir dir;
  Settler settler(affine, kRefusal);
  ConvertOutcome outcome = convertFileInBlocks(dir / "missing.obj", dir / "out.obj",
                                                  settler, 2, 16);
  EXPECT_EQ(outcome.status, ConvertStatus::openFailed);
  EXPECT_EQ(outcome.detail, "cannot open: No such file or directory");
  // A folder opens but cannot be read: refused before the output is created.
  outcome = convertFileInBlocks(dir.path(), dir / "out.obj", settler, 2, 16);
  EXPECT_EQ(outcome.status, ConvertStatus::openFailed);
  EXPECT_FALSE(dir.exists("out.obj"));
  const std::string input = dir.write("in.obj", "v 1 2 3\n");
  outcome = convertFileInBlocks(input, dir / "no-such-folder/out.obj", settler, 2, 16);
  EXPECT_EQ(outcome.status, ConvertStatus::writeFailed);
  EXPECT_EQ(dir.names(), (std::set<std::string>{"in.obj"}));
}

// Progress is told the bytes of each block written, ending at the file's size.
TEST(BlockPipeline, ProgressFollowsTheBlocksWritten) {
  struct Recorder : ProgressSink {
    std::vector<std::uint64_t> seen;
    void advanced(std::uint64_t bytes) override { seen.push_back(bytes); }
  } recorder;
  objtest::TempDir dir;
  const std::string input = dir.write("in.obj", kMixed);
  Settler settler(affine, kRefusal);
  const ConvertOutcome outcome =
      convertFileInBlocks(input, dir / "out.obj", settler, 3, 64, &recorder);
  ASSERT_EQ(outcome.status, ConvertStatus::converted);
  ASSERT_GT(recorder.seen.size(), 2u);
  for (std::size_t i = 1; i < recorder.seen.size(); ++i) {
    EXPECT_GT(recorder.seen[i], recorder.seen[i - 1]);
  }
  EXPECT_EQ(recorder.seen.back(), kMixed.size());
}

// Where a block may end: after a line end that ends a logical line, and only there.
TEST(BlockCutter, CutsOnlyAtTheEndOfALogicalLine) {
  const struct {
    std::string bytes;
    bool atEnd;
    std::size_t cut;
  } cases[] = {
      {"", false, 0},
      {"abc", false, 0},
      {"a\nb", false, 2},
      {"a\nb\n", false, 4},
      {"a\r\nb", false, 3},
      {"a\r", false, 0},   // "\r" or "\r\n": the next byte decides
      {"a\r", true, 2},    // nothing follows: a lone CR
      {"a\n\r", false, 2},
      {"a\rb", false, 2},  // a lone CR
      {"a\\\nb", false, 0},
      {"a\\\r\nb\n", false, 6},
      {"x\na\\\r\nb", false, 2},
      {"x\na\\\rb", false, 2},
      {"x\na\\\\\nb", false, 2},  // two backslashes: still continued
      {"\n\\\n", false, 1},
      {"a\\b\nc", false, 4},      // a backslash inside the line continues nothing
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(lastLogicalLineEnd(cases[i].bytes, cases[i].atEnd), cases[i].cut) << "case " << i;
  }
}

// Blocks put together give the file; a line longer than a block makes its block grow.
TEST(BlockCutter, BlocksAreTheFileInWholeLogicalLines) {
  objtest::TempDir dir;
  const std::string text = kMixed + "\n" + std::string(5000, 'x') + "\\\n" +
                           std::string(3000, 'y') + "\nv 1 2 3\n";
  const std::string input = dir.write("in.obj", text);
  for (const std::size_t blockSize : {std::size_t{1}, std::size_t{3}, std::size_t{100}}) {
    BlockCutter cutter(blockSize, 10000);
    ASSERT_TRUE(cutter.open(input));
    std::string all, block;
    std::size_t longest = 0;
    while (cutter.next(block)) {
      ASSERT_FALSE(block.empty());
      all += block;
      if (all.size() != text.size()) {
        // A line end ends the block (a final "\r" not followed by "\n") and ends its line.
        EXPECT_FALSE(block.back() == '\r' && text[all.size()] == '\n') << "at " << all.size();
        EXPECT_EQ(lastLogicalLineEnd(block, true), block.size()) << "at " << all.size();
      }
      longest = std::max(longest, block.size());
    }
    EXPECT_FALSE(cutter.failed());
    EXPECT_EQ(all, text) << "block " << blockSize;
    EXPECT_EQ(cutter.consumed(), text.size());
    EXPECT_GE(longest, 5000u + 2 + 3000 + 1) << "the continued line is one block";
  }
}

// A line longer than a block may grow to stops the cutter where that block starts.
TEST(BlockCutter, StopsBeforeALineTooLongForABlock) {
  objtest::TempDir dir;
  const std::string head = "v 1 2 3\nf 1 2 3\n";
  const std::string input = dir.write("in.obj", head + std::string(500, 'x') + "\nv 4 5 6\n");
  BlockCutter cutter(4, 100);
  ASSERT_TRUE(cutter.open(input));
  std::string all, block;
  while (cutter.next(block)) all += block;
  EXPECT_TRUE(cutter.tooLong());
  EXPECT_FALSE(cutter.failed());
  EXPECT_EQ(all, head);
  EXPECT_EQ(cutter.consumed(), head.size());
}

// Lines longer than a block may grow to (64 KiB) send the rest of the file through one
// streaming reader: the same bytes, vertices and first failure (its line counted over the
// whole file).
TEST(BlockPipeline, LinesTooLongForABlockStream) {
  const std::string longComment = "# " + std::string(200000, 'c') + "\r\n";
  const std::string longVertex = "v 1 2 3 " + std::string(100000, 'w') + " \\\n" +
                                 std::string(100000, 'w') + "\n";
  const std::vector<std::pair<std::string, bool>> texts = {
      {kMixed + "\n" + longComment + kMixed + "\n" + longVertex + kMixed, true},
      {longVertex + kMixed, true},
      {kMixed + "\n" + longComment + "v 1 2 3\nv 1 2\n", false},
      {kMixed + "\n" + longComment + "v 101 2 3\n", false},
  };
  for (std::size_t t = 0; t < texts.size(); ++t) {
    objtest::TempDir dir;
    const std::string input = dir.write("in.obj", texts[t].first);
    ConvertOutcome one;
    const std::string expected = sequential(dir, input, one);
    ASSERT_EQ(one.status == ConvertStatus::converted, texts[t].second) << one.detail;
    for (const std::size_t blockSize : {std::size_t{16}, std::size_t{4096}}) {
      SCOPED_TRACE("text " + std::to_string(t) + ", block " + std::to_string(blockSize));
      Settler settler(affine, kRefusal);
      const ConvertOutcome outcome =
          convertFileInBlocks(input, dir / "many.obj", settler, 3, blockSize);
      EXPECT_EQ(outcome.status, one.status);
      EXPECT_EQ(outcome.line, one.line);
      EXPECT_EQ(outcome.vertexCount, one.vertexCount);
      if (one.status == ConvertStatus::converted) {
        EXPECT_TRUE(dir.read("many.obj") == expected);
        EXPECT_EQ(settler.vertices, one.vertexCount);
      } else {
        EXPECT_FALSE(dir.exists("many.obj"));
      }
    }
  }
}

}  // namespace
