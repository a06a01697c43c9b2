#include "parser/lenient_number.h"

#include <string_view>

#include "platform/number_text.h"

namespace {

bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

LenientNumber lenientNumberValue(const rapidjson::Value& value) {
  using Kind = LenientNumber::Kind;
  if (value.IsDouble()) return {Kind::value, value.GetDouble()};
  if (value.IsString()) {
    // The string as the format copies it: up to its first NUL; blanks around the number.
    std::string_view text(value.GetString(), value.GetStringLength());
    text = text.substr(0, text.find('\0'));
    while (!text.empty() && isCSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isCSpace(text.back())) text.remove_suffix(1);
    double number = 0.0;
    if (!parseWholeNumber(text, number)) return {Kind::notANumber, 0.0};
    return {Kind::value, number};
  }
  if (value.IsInt()) return {Kind::value, static_cast<double>(value.GetInt())};
  return {Kind::unsupported, 0.0};
}
