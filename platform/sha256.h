#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// SHA-256 (FIPS 180-4), for the digests a batch records of its coordinate file and outputs:
// the same 64 hexadecimal digits `sha256sum` prints for the same bytes.
class Sha256 {
 public:
  Sha256();
  // Appends bytes to the message (any number of calls, any lengths).
  void update(std::string_view bytes);
  // The digest of everything appended, as 64 lower-case hexadecimal digits. The hasher is
  // spent afterwards (update() or finish() again give nothing meaningful).
  std::string finish();

 private:
  void compress(const unsigned char block[64]);

  std::array<std::uint32_t, 8> state_;
  std::array<unsigned char, 64> block_{};
  std::size_t used_ = 0;           // bytes of block_ filled
  std::uint64_t totalBytes_ = 0;  // the message length so far
};

// The digest of the bytes of the file at `path` (read in large blocks); false, with the
// system's reason in *error when given, when it cannot be read.
[[nodiscard]] bool sha256OfFile(const std::string& path, std::string& hex,
                                std::string* error = nullptr);
