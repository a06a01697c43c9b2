#include "parser/lenient_number.h"

#include <string_view>

#include "platform/number_text.h"

std::optional<double> lenientNumberValue(const rapidjson::Value& value) {
  if (value.IsDouble()) return value.GetDouble();
  if (value.IsString()) {
    // atof reads a C string: the text ends at its first NUL, which parseAtof honours too.
    return parseAtof(std::string_view(value.GetString(), value.GetStringLength()));
  }
  if (value.IsInt()) return static_cast<double>(value.GetInt());
  return std::nullopt;
}
