#include "platform/windows_device_name.h"

#include <array>

namespace {

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool equalsUpper(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (upperAscii(text[i]) != upper[i]) return false;
  }
  return true;
}

// The digit forms after COM and LPT: 1 to 9, and the superscripts 1, 2, 3 as one byte
// (code page 1252) or two (UTF-8).
bool isPortNumber(std::string_view digit) {
  if (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') return true;
  constexpr std::array<std::string_view, 6> kSuperscripts = {
      "\xB9", "\xB2", "\xB3", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
  for (const std::string_view form : kSuperscripts) {
    if (digit == form) return true;
  }
  return false;
}

}  // namespace

bool namesWindowsDevice(std::string_view path) {
  const std::size_t separator = path.find_last_of("/\\");
  std::string_view name = separator == std::string_view::npos ? path : path.substr(separator + 1);
  // "C:nul" is NUL on drive C's current folder.
  if (separator == std::string_view::npos && name.size() >= 2 && name[1] == ':' &&
      upperAscii(name[0]) >= 'A' && upperAscii(name[0]) <= 'Z') {
    name.remove_prefix(2);
  }
  name = name.substr(0, name.find_first_of(".:"));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  for (const std::string_view device : {"CON", "PRN", "AUX", "NUL"}) {
    if (equalsUpper(name, device)) return true;
  }
  if (name.size() < 4) return false;
  const std::string_view stem = name.substr(0, 3);
  return (equalsUpper(stem, "COM") || equalsUpper(stem, "LPT")) && isPortNumber(name.substr(3));
}
