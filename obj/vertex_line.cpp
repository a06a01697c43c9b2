#include "obj/vertex_line.h"

#include <cstdio>

namespace {

// Longest part of a token quoted in a message; a longer token is cut there.
constexpr std::size_t kQuotedTokenMax = 64;

}  // namespace

std::string notANumberDetail(std::size_t position, std::string_view token) {
  std::string quoted = "\"";
  for (const char c : token.substr(0, kQuotedTokenMax)) {
    const auto byte = static_cast<unsigned char>(c);
    // Control bytes written as \xNN, so that the message stays one readable line.
    if (byte < 0x20 || byte == 0x7f || c == '"' || c == '\\') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  quoted += '"';
  if (token.size() > kQuotedTokenMax) {
    quoted += "... (" + std::to_string(token.size()) + " bytes)";
  }
  return "number " + std::to_string(position) + " of the v line is not a number: " + quoted;
}
