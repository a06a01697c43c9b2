#include "platform/utf16_text.h"

namespace {

constexpr char32_t kHighSurrogateFirst = 0xD800;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateEnd = 0xE000;
constexpr char32_t kByteOrderMark = 0xFEFF;

void appendUtf8(std::string& text, char32_t c) {
  if (c < 0x80) {
    text += static_cast<char>(c);
  } else if (c < 0x800) {
    text += static_cast<char>(0xC0 | (c >> 6));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (c >> 18));
    text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

Utf16Order utf16Order(std::string_view bytes) {
  if (bytes.size() < 2) return Utf16Order::none;
  const auto first = static_cast<unsigned char>(bytes[0]);
  const auto second = static_cast<unsigned char>(bytes[1]);
  if ((first == 0xFF && second == 0xFE) || (first == '<' && second == 0)) {
    return Utf16Order::littleEndian;
  }
  if ((first == 0xFE && second == 0xFF) || (first == 0 && second == '<')) {
    return Utf16Order::bigEndian;
  }
  return Utf16Order::none;
}

std::optional<std::string> utf8FromUtf16(std::string_view bytes, Utf16Order order,
                                         std::size_t* badOffset) {
  const auto unit = [&](std::size_t at) {
    const auto a = static_cast<unsigned char>(bytes[at]);
    const auto b = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<char32_t>(order == Utf16Order::bigEndian ? (a << 8) | b : (b << 8) | a);
  };
  const auto fault = [&](std::size_t at) -> std::optional<std::string> {
    if (badOffset != nullptr) *badOffset = at;
    return std::nullopt;
  };
  std::string text;
  text.reserve(bytes.size() / 2 + bytes.size() / 8);
  std::size_t at = 0;
  if (bytes.size() >= 2 && unit(0) == kByteOrderMark) at = 2;
  for (; at + 1 < bytes.size(); at += 2) {
    char32_t c = unit(at);
    if (c == 0) return fault(at);
    if (c >= kHighSurrogateFirst && c < kSurrogateEnd) {
      if (c >= kLowSurrogateFirst || at + 3 >= bytes.size()) return fault(at);
      const char32_t low = unit(at + 2);
      if (low < kLowSurrogateFirst || low >= kSurrogateEnd) return fault(at);
      c = 0x10000 + ((c - kHighSurrogateFirst) << 10) + (low - kLowSurrogateFirst);
      at += 2;
    }
    appendUtf8(text, c);
  }
  if (at != bytes.size()) return fault(at);
  return text;
}
