#include "obj/obj_line_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "obj/obj_test_files.h"
#include "obj/reference_obj_reader.h"
#include "portable.h"

namespace {

using namespace std::string_literals;

struct ReadLine {
  std::string text;
  std::vector<std::string> tokens;
  std::uint64_t lineNumber = 0;
  friend bool operator==(const ReadLine&, const ReadLine&) = default;
};

std::vector<ReadLine> readAll(ObjLineReader& reader) {
  std::vector<ReadLine> lines;
  while (reader.readObjLine()) {
    ReadLine line{std::string(reader.line()), {}, reader.lineNumber()};
    for (const std::string_view token : reader.tokens()) line.tokens.emplace_back(token);
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<ReadLine> readMemory(const std::string& bytes, std::size_t blockSize) {
  ObjLineReader reader(blockSize);
  reader.openMemory(bytes);
  return readAll(reader);
}

std::vector<ReadLine> readReference(const std::string& bytes) {
  std::vector<ReadLine> lines;
  for (reference::Line& line : reference::logicalLines(bytes)) {
    lines.push_back({std::move(line.text), std::move(line.tokens), line.lineNumber});
  }
  return lines;
}

std::string show(const std::string& bytes) {
  std::string text;
  for (const char c : bytes) {
    if (c == '\n') text += "\\n";
    else if (c == '\r') text += "\\r";
    else if (c == '\t') text += "\\t";
    else if (c == '\0') text += "\\0";
    else text += c;
  }
  return text;
}

// Block sizes that put a boundary at every position of short lines, and one larger than
// every input here (no boundary at all; the default size behaves the same but is slow to
// allocate thousands of times under the sanitizers).
const std::size_t kBlockSizes[] = {1, 2, 3, 4, 5, 6, 7, 64, 4096};

struct Case {
  std::string input;
  std::vector<ReadLine> expected;  // written by hand from the line rules
};

// Each case: input bytes -> logical lines, tokens and start line numbers. Both the istream
// model and the block reader (at every block size) must give exactly these.
const std::vector<Case>& handCases() {
  static const std::vector<Case> cases = {
      {"", {}},
      {"\n", {}},
      {"\n\n\r\n   \n", {{"   ", {}, 4}}},
      {"v 1 2 3", {{"v 1 2 3", {"v", "1", "2", "3"}, 1}}},
      {"v 1 2 3\n", {{"v 1 2 3", {"v", "1", "2", "3"}, 1}}},
      {"v 1 2 3\r\nf 1 2 3\r\n",
       {{"v 1 2 3", {"v", "1", "2", "3"}, 1}, {"f 1 2 3", {"f"}, 2}}},
      // Only one trailing CR is removed; the tokeniser treats the other as a separator.
      {"vt 1 2\r\r\n", {{"vt 1 2\r", {"vt"}, 1}}},
      {"\tv\t1\t2\t3 4 5 6 \n", {{"\tv\t1\t2\t3 4 5 6 ", {"v", "1", "2", "3", "4", "5", "6"}, 1}}},
      {"vn 0 0 1\nvertex 1\nv1 2 3\n", {{"vn 0 0 1", {"vn"}, 1}, {"vertex 1", {"vertex"}, 2},
                                         {"v1 2 3", {"v1"}, 3}}},
      {"# comment\n  # kept\nf 1\n", {{"  # kept", {"#"}, 2}, {"f 1", {"f"}, 3}}},
      // A comment swallows its continuation lines.
      {"# a \\\nv 1 2 3\nf 1\n", {{"f 1", {"f"}, 3}}},
      // Continuations: backslash removed, next line appended as is, CRs removed from both.
      {"f 1 2 \\\r\n3 4\r\nl 1\n", {{"f 1 2 3 4", {"f"}, 1}, {"l 1", {"l"}, 3}}},
      {"v 1 \\\n2 \\\n3\n", {{"v 1 2 3", {"v", "1", "2", "3"}, 1}}},
      {"v 1\\\n\\\n2\\\n 3\n", {{"v 12 3", {"v", "12", "3"}, 1}}},
      // A continuation that is empty, and a line joined to nothing, vanish.
      {"\\\n\nf 2\n", {{"f 2", {"f"}, 3}}},
      {"\\\r\n\r\nf 2", {{"f 2", {"f"}, 3}}},
      // A joined line beginning with '#' is a comment; a '#' arriving later is not.
      {"\\\n# x\nf\n", {{"f", {"f"}, 3}}},
      {"f \\\n# x\n", {{"f # x", {"f"}, 1}}},
      // Two backslashes: one is the continuation mark, the other stays.
      {"g a\\\\\nb\n", {{"g a\\b", {"g"}, 1}}},
      // A trailing backslash on the last line joins nothing.
      {"f 1 2\\", {{"f 1 2", {"f"}, 1}}},
      {"f 1 2\\\\\\", {{"f 1 2", {"f"}, 1}}},
      {"f 1 2\\\n", {{"f 1 2", {"f"}, 1}}},
      // Only a first-column '#' of the physical line that starts the logical line counts.
      {"#\n#\r\n#x", {}},
      // Tokens end at an embedded NUL; the line keeps every byte.
      {"v\0junk 1 2 3\n"s, {{"v\0junk 1 2 3"s, {"v", "1", "2", "3"}, 1}}},
      {"v 1\0x 2 3\n"s, {{"v 1\0x 2 3"s, {"v", "1", "2", "3"}, 1}}},
      {"\0f 1\n"s, {{"\0f 1"s, {""}, 1}}},
      {"x\0\n"s, {{"x\0"s, {"x"}, 1}}},
      // A lone CR line is empty after CR removal; a CR inside a line separates tokens.
      {"\r\nv\r1\r2\r3\r\n", {{"v\r1\r2\r3", {"v", "1", "2", "3"}, 2}}},
      // A CR without LF does not end a line.
      {"f 1\rf 2\n", {{"f 1\rf 2", {"f"}, 1}}},
  };
  return cases;
}

TEST(ObjLineReader, HandWrittenCasesMatchTheRules) {
  const auto& cases = handCases();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE("case " + std::to_string(i) + ": \"" + show(cases[i].input) + "\"");
    EXPECT_EQ(readReference(cases[i].input), cases[i].expected) << "istream model";
    EXPECT_EQ(readMemory(cases[i].input, ObjLineReader::kDefaultBlockSize), cases[i].expected);
    for (const std::size_t blockSize : kBlockSizes) {
      EXPECT_EQ(readMemory(cases[i].input, blockSize), cases[i].expected)
          << "block size " << blockSize;
    }
  }
}

// Random byte strings over the characters that matter to the rules, with a few others, at
// every tiny block size: the block reader must agree with the istream model line for line.
TEST(ObjLineReader, RandomBytesMatchTheIstreamModel) {
  const char alphabet[] = {'v', ' ', '\t', '\r', '\n', '\\', '#', '\0', '1', '.', 'f', 'x', '\n'};
  std::mt19937 random(20240611);  // fixed seed: a failure can be replayed
  std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 1);
  std::uniform_int_distribution<std::size_t> length(0, 48);
  for (int i = 0; i < 4000; ++i) {
    std::string bytes(length(random), ' ');
    for (char& c : bytes) c = alphabet[pick(random)];
    const std::vector<ReadLine> expected = readReference(bytes);
    for (const std::size_t blockSize : kBlockSizes) {
      ASSERT_EQ(readMemory(bytes, blockSize), expected)
          << "case " << i << ", block size " << blockSize << ": \"" << show(bytes) << "\"";
    }
  }
}

TEST(ObjLineReader, ReadsFilesLikeMemory) {
  objtest::TempDir dir;
  const auto& cases = handCases();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string path = dir.write("case.obj", cases[i].input);
    for (const std::size_t blockSize : {std::size_t{1}, std::size_t{3}, std::size_t{4096}}) {
      ObjLineReader reader(blockSize);
      ASSERT_TRUE(reader.openFile(path)) << reader.error();
      EXPECT_EQ(readAll(reader), cases[i].expected) << "case " << i << ", block " << blockSize;
      EXPECT_FALSE(reader.failed()) << "case " << i;
    }
  }
}

TEST(ObjLineReader, ReportsPathsThatCannotBeRead) {
  objtest::TempDir dir;
  ObjLineReader reader;
  EXPECT_FALSE(reader.openFile(dir / "missing.obj"));
  EXPECT_EQ(reader.error(), "cannot open: No such file or directory");
  EXPECT_FALSE(reader.readObjLine());

  // A folder opens on POSIX systems but cannot be read; Windows does not open it.
  EXPECT_FALSE(reader.openFile(dir.path()));
  EXPECT_EQ(reader.error(), portable::kFolderAsObjError);
  EXPECT_FALSE(reader.readObjLine());

  // The same reader opens the next file cleanly after a failure.
  ASSERT_TRUE(reader.openFile(dir.write("a.obj", "f 1\n")));
  EXPECT_TRUE(reader.readObjLine());
  EXPECT_EQ(reader.line(), "f 1");
  EXPECT_FALSE(reader.readObjLine());
  EXPECT_FALSE(reader.failed());
}

// Lines far longer than the block, plain and continued, come back whole.
TEST(ObjLineReader, LinesLongerThanTheBlockComeBackWhole) {
  std::string face = "f";
  for (int i = 1; i <= 20000; ++i) face.append(" ").append(std::to_string(i));
  std::string continued = "f 1 \\\n";
  for (int i = 0; i < 3000; ++i) continued += "22 \\\r\n";
  continued += "3\n";
  const std::string bytes = face + "\n" + continued + "v 1 2 3";
  std::string joined = "f 1 ";
  for (int i = 0; i < 3000; ++i) joined += "22 ";
  joined += "3";

  for (const std::size_t blockSize : {std::size_t{7}, std::size_t{4096}}) {
    const std::vector<ReadLine> lines = readMemory(bytes, blockSize);
    ASSERT_EQ(lines.size(), 3u) << "block " << blockSize;
    EXPECT_EQ(lines[0].text, face);
    EXPECT_EQ(lines[1].text, joined);
    EXPECT_EQ(lines[1].lineNumber, 2u);
    EXPECT_EQ(lines[2].lineNumber, 3004u);  // after 1 face line and 3002 joined physical lines
    EXPECT_EQ(lines[2].tokens, (std::vector<std::string>{"v", "1", "2", "3"}));
  }
}

}  // namespace

namespace {

#ifdef _WIN32

// The file is closed once its last byte is read, before the caller replaces it with the
// converted file: Windows refuses to delete (or replace) a file that is still open.
TEST(ObjLineReader, ClosesTheFileAtTheEnd) {
  objtest::TempDir dir;
  const std::string path = dir.write("a.obj", "f 1\nf 2");
  ObjLineReader reader(2);
  ASSERT_TRUE(reader.openFile(path));
  EXPECT_TRUE(reader.readObjLine());
  EXPECT_NE(std::remove(path.c_str()), 0) << "an open file was deleted";
  EXPECT_TRUE(reader.readObjLine());
  EXPECT_EQ(reader.line(), "f 2");
  EXPECT_EQ(std::remove(path.c_str()), 0) << "the file is still open after its last line";
  EXPECT_FALSE(reader.readObjLine());
}

#else

std::size_t openDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

// The file is closed once its last byte is read, before the caller replaces it with the
// converted file (which Windows refuses for an open file).
TEST(ObjLineReader, ClosesTheFileAtTheEnd) {
  if (!std::filesystem::exists("/proc/self/fd")) GTEST_SKIP() << "no /proc/self/fd";
  objtest::TempDir dir;
  const std::string path = dir.write("a.obj", "f 1\nf 2");
  ObjLineReader reader(2);
  const std::size_t before = openDescriptors();
  ASSERT_TRUE(reader.openFile(path));
  EXPECT_EQ(openDescriptors(), before + 1);
  EXPECT_TRUE(reader.readObjLine());
  EXPECT_TRUE(reader.readObjLine());
  EXPECT_EQ(reader.line(), "f 2");
  EXPECT_EQ(openDescriptors(), before);
  EXPECT_FALSE(reader.readObjLine());
}

#endif

}  // namespace
