#include "pipeline/base_point.h"

#include "platform/number_text.h"

BasePoint readInputBase(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::size_t comma = text.find(',');
  const std::size_t lonBegin = colon == std::string_view::npos ? 0 : colon + 1;
  std::size_t lonEnd = text.size();
  if (comma != std::string_view::npos && (colon == std::string_view::npos || comma > colon)) {
    lonEnd = comma;
  }
  const std::string_view lonText =
      lonBegin <= lonEnd ? text.substr(lonBegin, lonEnd - lonBegin) : std::string_view{};
  const std::string_view latText =
      comma == std::string_view::npos ? text : text.substr(comma + 1);
  return {parseAtof(lonText), parseAtof(latText)};
}

std::string formatBasePoint(const BasePoint& point) {
  char lat[kFixed6MaxChars];
  char lon[kFixed6MaxChars];
  std::string text = "ENU:";
  text.append(lat, formatFixed6(lat, point.lat));
  text.push_back(',');
  text.append(lon, formatFixed6(lon, point.lon));
  return text;
}

double boundsCentre(double minimum, double maximum) { return (minimum + maximum) * 0.5; }
