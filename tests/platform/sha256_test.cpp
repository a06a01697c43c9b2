#include "platform/sha256.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/temp_folder.h"

namespace {

using testing_support::TempFolder;

// Expected digests from `sha256sum`, e.g. head -c 55 /dev/zero | tr '\0' a | sha256sum. The
// lengths sit on both sides of the padding limits (55/56: the length still fits the last block
// or not; 63/64/65: one block more).
TEST(Sha256, DigestsAsSha256sumPrintsThem) {
  struct Case {
    std::string message;
    const char* digest;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
      {std::string(65, 'a'), "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
      {std::string(120, 'a'), "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  const TempFolder temp;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    Sha256 whole;
    whole.update(c.message);
    EXPECT_EQ(whole.finish(), c.digest) << "case " << i << ", whole";
    // The same bytes in pieces of 1, 7 and 64 bytes: the block buffer across calls.
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{64}}) {
      Sha256 pieces;
      for (std::size_t at = 0; at < c.message.size(); at += piece) {
        pieces.update(std::string_view(c.message).substr(at, piece));
      }
      EXPECT_EQ(pieces.finish(), c.digest) << "case " << i << ", pieces of " << piece;
    }
    temp.write("m", c.message);
    std::string hex;
    EXPECT_TRUE(sha256OfFile(temp.path("m"), hex)) << "case " << i;
    EXPECT_EQ(hex, c.digest) << "case " << i << ", file";
  }
}

}  // namespace
