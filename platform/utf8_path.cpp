#include "platform/utf8_path.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/windows_path.h"
#endif

namespace {

// The length of the valid UTF-8 sequence at the start of `text`, 0 when there is none
// (RFC 3629, section 4: the ranges of each lead byte's second byte rule out overlong forms
// and surrogates).
std::size_t sequenceLength(std::string_view text) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xbf;  // the range of the second byte
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;
    if (lead == 0xed) high = 0x9f;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;
    if (lead == 0xf4) high = 0x8f;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xbf) return 0;
  }
  return length;
}

#ifdef _WIN32
std::wstring wideFrom(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int wideSize = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), wideSize);
  return wide;
}
#endif

}  // namespace

bool isValidUtf8(std::string_view text) {
  while (!text.empty()) {
    const std::size_t length = sequenceLength(text);
    if (length == 0) return false;
    text.remove_prefix(length);
  }
  return true;
}

bool pathFromUtf8(std::string_view utf8, std::string& path) {
  if (!isValidUtf8(utf8)) return false;
#ifdef _WIN32
  return narrowName(wideFrom(CP_UTF8, utf8), path);
#else
  path.assign(utf8);
  return true;
#endif
}

std::string pathToUtf8(const std::string& path) {
  std::string_view text = path;
#ifdef _WIN32
  const UINT codePage = AreFileApisANSI() ? GetACP() : GetOEMCP();
  const std::wstring wide = wideFrom(codePage, text);
  const int size = static_cast<int>(wide.size());
  const int utf8Size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr,
                                           nullptr);
  std::string converted(static_cast<std::size_t>(utf8Size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, converted.data(), utf8Size, nullptr,
                      nullptr);
  text = converted;
  if (isValidUtf8(text)) return converted;
#endif
  std::string utf8;
  while (!text.empty()) {
    const std::size_t length = sequenceLength(text);
    if (length == 0) {
      utf8 += "\xef\xbf\xbd";  // U+FFFD REPLACEMENT CHARACTER
      text.remove_prefix(1);
      continue;
    }
    utf8.append(text.substr(0, length));
    text.remove_prefix(length);
  }
  return utf8;
}
