#include "obj/material_statements.h"

#include <array>
#include <charconv>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Splits off the first token of `text` (after blanks); `text` keeps what follows it.
std::string_view nextToken(std::string_view& text) {
  std::size_t start = 0;
  while (start < text.size() && isBlank(text[start])) ++start;
  std::size_t end = start;
  while (end < text.size() && !isBlank(text[end])) ++end;
  const std::string_view token = text.substr(start, end - start);
  text.remove_prefix(end);
  return token;
}

bool isNumber(std::string_view token) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  return !token.empty() && error == std::errc() && end == token.data() + token.size();
}

bool isMapKeyword(std::string_view keyword) {
  static constexpr std::array<std::string_view, 5> kOthers = {"bump", "disp", "decal", "norm",
                                                              "refl"};
  if (keyword.size() > 4 && keyword.substr(0, 4) == "map_") return true;
  for (const std::string_view other : kOthers) {
    if (keyword == other) return true;
  }
  return false;
}

// How many arguments an option takes: fixed, or (numbers) up to that many numbers; -1 for
// a token that is no option of a map statement.
struct OptionArguments {
  int count;
  bool numbers;
};
OptionArguments optionArguments(std::string_view option) {
  struct Entry {
    std::string_view name;
    OptionArguments arguments;
  };
  static constexpr std::array<Entry, 14> kOptions = {{
      {"-blendu", {1, false}}, {"-blendv", {1, false}}, {"-cc", {1, false}},
      {"-clamp", {1, false}},  {"-bm", {1, false}},     {"-boost", {1, false}},
      {"-texres", {1, false}}, {"-imfchan", {1, false}}, {"-type", {1, false}},
      {"-colorspace", {1, false}}, {"-mm", {2, false}}, {"-o", {3, true}},
      {"-s", {3, true}},       {"-t", {3, true}},
  }};
  for (const Entry& entry : kOptions) {
    if (entry.name == option) return entry.arguments;
  }
  return {-1, false};
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::vector<std::string> materialLibraryNames(std::string_view line) {
  std::vector<std::string> names;
  if (nextToken(line) != "mtllib") return names;
  for (std::string_view name = nextToken(line); !name.empty(); name = nextToken(line)) {
    names.emplace_back(name);
  }
  return names;
}

std::string materialLibraryArguments(std::string_view line) {
  if (nextToken(line) != "mtllib") return {};
  return std::string(trimmed(line));
}

std::optional<std::string> textureMapName(std::string_view line) {
  if (!isMapKeyword(nextToken(line))) return std::nullopt;
  for (;;) {
    std::string_view rest = line;
    const std::string_view token = nextToken(rest);
    const OptionArguments option = optionArguments(token);
    if (option.count < 0) break;  // the name starts here
    line = rest;
    for (int i = 0; i < option.count; ++i) {
      std::string_view after = line;
      const std::string_view argument = nextToken(after);
      // A number option takes only numbers, and leaves the last token for the name.
      if (option.numbers && (!isNumber(argument) || trimmed(after).empty())) break;
      line = after;
    }
  }
  const std::string_view name = trimmed(line);
  if (name.empty()) return std::nullopt;
  return std::string(name);
}

bool namesAbsolutePath(std::string_view name) {
  return (!name.empty() && (name.front() == '/' || name.front() == '\\')) ||
         (name.size() >= 2 && name[1] == ':');  // a drive letter
}

std::optional<std::string> pathWithinFolder(std::string_view name) {
  if (namesAbsolutePath(name)) return std::nullopt;
  std::vector<std::string_view> parts;
  while (!name.empty()) {
    const std::size_t end = name.find_first_of("/\\");
    const std::string_view part = name.substr(0, end);
    name.remove_prefix(end == std::string_view::npos ? name.size() : end + 1);
    if (part.empty() || part == ".") continue;
    if (part != "..") {
      parts.push_back(part);
    } else if (parts.empty()) {
      return std::nullopt;
    } else {
      parts.pop_back();
    }
  }
  if (parts.empty()) return std::nullopt;
  std::string path;
  for (const std::string_view part : parts) {
    if (!path.empty()) path += '/';
    path += part;
  }
  return path;
}
