#pragma once

#include <cstddef>
#include <string_view>

// A 1-based line and column in a text, for error messages.
struct JsonTextPosition {
  std::size_t line = 1;
  std::size_t column = 1;
};

// The position of byte `offset` of `text`: lines end at '\n' (so "\r\n" ends one line too);
// columns count UTF-8 characters, i.e. every byte that is not a continuation byte
// (10xxxxxx), so a multi-byte character is one column. An offset past the end is the end.
JsonTextPosition jsonTextPositionOf(std::string_view text, std::size_t offset);
