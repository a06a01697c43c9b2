#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Text files that Windows tools write in UTF-16 (PowerShell 5's `Out-File` and `>` among them):
// recognised by their byte-order mark, FF FE (little-endian) or FE FF (big-endian), or without
// one by a first character '<' (3C 00 or 00 3C), as an XML file starts.
enum class Utf16Order { none, littleEndian, bigEndian };

// The byte order of `bytes` when they are UTF-16 text as above; none otherwise (UTF-8 and its
// byte-order mark EF BB BF included).
Utf16Order utf16Order(std::string_view bytes);

// `bytes` (UTF-16 in `order`, a leading byte-order mark dropped) as UTF-8. Empty, with the
// byte offset of the first fault in `*badOffset`, for an odd byte count, an unpaired surrogate
// or a NUL character.
std::optional<std::string> utf8FromUtf16(std::string_view bytes, Utf16Order order,
                                         std::size_t* badOffset);
