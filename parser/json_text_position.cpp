#include "parser/json_text_position.h"

#include <algorithm>

JsonTextPosition jsonTextPositionOf(std::string_view text, std::size_t offset) {
  JsonTextPosition position;
  const std::size_t end = std::min(offset, text.size());
  for (std::size_t k = 0; k < end; ++k) {
    const auto byte = static_cast<unsigned char>(text[k]);
    if (byte == '\n') {
      ++position.line;
      position.column = 1;
    } else if ((byte & 0xC0u) != 0x80u) {
      ++position.column;
    }
  }
  return position;
}
