#include "platform/read_text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <thread>

#include "platform/temp_folder.h"
#include "portable.h"

namespace {

using namespace std::string_literals;
using testing_support::TempFolder;

TEST(ReadTextFile, ReturnsTheBytesUpToTheFirstNul) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"", ""},
      {"{\"a\": 1}", "{\"a\": 1}"},
      {"line\r\nnext\r\n", "line\r\nnext\r\n"},  // untranslated: CR LF stays
      {"\xef\xbb\xbf{}", "\xef\xbb\xbf{}"},      // a byte order mark is just bytes
      {"\xff\xfe\x80", "\xff\xfe\x80"},
      {"abc\0def"s, "abc"},
      {"\0abc"s, ""},
      {"\n\0"s, "\n"},
  };
  const TempFolder temp;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const std::string path = temp.path("case" + std::to_string(i));
    temp.write("case" + std::to_string(i), cases[i].bytes);
    EXPECT_EQ(readTextFile(path), cases[i].text) << "case " << i;
  }
}

TEST(ReadTextFile, UnopenablePathsGiveEmptyText) {
  const TempFolder temp;
  temp.makeFolder("folder");
  EXPECT_EQ(readTextFile(temp.path("missing.json")), "");
  EXPECT_EQ(readTextFile(temp.path("folder")), "");  // opens on POSIX, but reading fails
  EXPECT_EQ(readTextFile(""), "");
}

TEST(ReadTextFile, UnreadableFileGivesEmptyText) {
  SKIP_WITHOUT_PERMISSION_BITS();
  if (portable::ignoresPermissions()) GTEST_SKIP() << "running as root, which reads any file";
  const TempFolder temp;
  temp.write("secret.json", "{}");
  ASSERT_EQ(chmod(temp.path("secret.json").c_str(), 0), 0);
  EXPECT_EQ(readTextFile(temp.path("secret.json")), "");
}

TEST(ReadTextFile, ReadsLargeFilesWholeAcrossReadChunks) {
  // 3 MiB + 7 bytes: several 1 MiB read chunks and a short last one.
  std::string bytes((std::size_t{3} << 20) + 7, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('a' + i % 26);
  const TempFolder temp;
  temp.write("big.json", bytes);
  EXPECT_TRUE(readTextFile(temp.path("big.json")) == bytes);

  // Exactly one chunk: the end of the data is found by a read that returns nothing.
  bytes.resize(std::size_t{1} << 20);
  temp.write("chunk.json", bytes);
  EXPECT_TRUE(readTextFile(temp.path("chunk.json")) == bytes);
}

TEST(ReadTextFile, ReadsAPipeWithoutAKnownSize) {
  // Like `-coord=<(generate)`: the path is a pipe, which has no size to seek to.
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no named pipes in the file system (mkfifo)";
#else
  const TempFolder temp;
  const std::string fifo = temp.path("coord.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string sent = "{\"type\": \"Custom Gauss\"}\n";
  std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << sent; });
  const std::string text = readTextFile(fifo);
  writer.join();
  EXPECT_EQ(text, sent);
#endif
}

}  // namespace
