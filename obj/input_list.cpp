#include "obj/input_list.h"

#include <string_view>

#include "platform/filesystem.h"
#include "platform/path_parts.h"
#include "platform/read_text_file.h"
#include "platform/utf8_path.h"

namespace {

bool skipped(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first == std::string_view::npos || line[first] == '#';
}

}  // namespace

bool readInputList(const std::string& listPath, const std::string& folder,
                   std::vector<InputListEntry>& entries, std::string& error) {
  entries.clear();
  std::string text;
  if (!readWholeFile(listPath, text, &error)) return false;
  std::string_view rest = text;
  if (rest.substr(0, 3) == "\xef\xbb\xbf") rest.remove_prefix(3);
  for (std::size_t number = 1; !rest.empty(); ++number) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (skipped(line)) continue;
    const std::string where = listPath + ":" + std::to_string(number) + ": ";
    if (line.find('\0') != std::string_view::npos) {
      error = where + "a NUL byte in the path";
      return false;
    }
    InputListEntry entry;
    if (!pathFromUtf8(line, entry.name)) {
      error = where + "the path is not UTF-8 text"
#ifdef _WIN32
              " or has a character the code page of file names lacks"
#endif
          ;
      return false;
    }
    entry.path = isRootedPath(entry.name) ? entry.name : joinPath(folder, entry.name);
    entry.line = number;
    entries.push_back(std::move(entry));
  }
  return true;
}
