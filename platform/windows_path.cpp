#include "platform/windows_path.h"

#ifdef _WIN32

#include <windows.h>

namespace {

// The code page of the narrow file calls: the ANSI one, or OEM after SetFileApisToOEM.
UINT fileCodePage() { return AreFileApisANSI() ? GetACP() : GetOEMCP(); }

std::wstring widen(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int wideSize = MultiByteToWideChar(fileCodePage(), 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
  MultiByteToWideChar(fileCodePage(), 0, text.data(), size, wide.data(), wideSize);
  return wide;
}

bool startsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::wstring fullPathOf(const std::string& path) {
  const std::wstring wide = widen(path);
  if (wide.empty()) return {};
  std::wstring full(wide.size() + MAX_PATH, L'\0');
  DWORD size = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(),
                                nullptr);
  if (size >= full.size()) {  // the current folder was longer than guessed: size is needed
    full.resize(size);
    size = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (size == 0 || size >= full.size()) return {};
  full.resize(size);
  return full;
}

std::wstring systemPath(const std::string& path) {
  std::wstring wide = widen(path);
  // Already a path for the system's own namespace ("\\?\", "\\.\" devices): taken as given.
  if (startsWith(wide, L"\\\\?\\") || startsWith(wide, L"\\\\.\\")) return wide;
  const std::wstring full = fullPathOf(path);
  // Short, or no full form (the call that uses it says why), or a device such as "\\.\NUL".
  if (full.size() < kShortPathLimit || startsWith(full, L"\\\\.\\")) return wide;
  if (startsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

bool narrowName(std::wstring_view wide, std::string& narrow) {
  narrow.clear();
  if (wide.empty()) return true;
  const UINT codePage = fileCodePage();
  const int size = static_cast<int>(wide.size());
  // UTF-8 (a code page Windows 10 lets users choose) has a form for everything and takes no
  // "default character used" flag.
  BOOL lossy = FALSE;
  BOOL* const lossyFlag = codePage == CP_UTF8 ? nullptr : &lossy;
  const int narrowSize =
      WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, lossyFlag);
  narrow.resize(static_cast<std::size_t>(narrowSize));
  WideCharToMultiByte(codePage, 0, wide.data(), size, narrow.data(), narrowSize, nullptr,
                      nullptr);
  return narrowSize > 0 && !lossy;
}

#endif
