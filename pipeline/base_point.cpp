#include "pipeline/base_point.h"

#include <charconv>
#include <cmath>
#include <system_error>
#include <utility>

#include "geodesy/gauss_kruger.h"
#include "platform/number_text.h"

namespace {

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// The whole text as one finite decimal number (a leading '+' allowed), or empty.
std::optional<double> wholeNumber(std::string_view text) {
  text = trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0.0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<BasePoint> refuse(std::string* why, std::string text) {
  if (why != nullptr) *why = std::move(text);
  return std::nullopt;
}

}  // namespace

std::optional<BasePoint> parseInputBase(std::string_view text, std::string* why) {
  const std::string expected =
      "expected [PREFIX:]LON,LAT with two numbers in degrees, longitude first (e.g. "
      "ENU:117.0026,30.0014), got '" + std::string(text) + "'";
  const std::size_t colon = text.find(':');
  const std::string_view numbers =
      colon == std::string_view::npos ? text : text.substr(colon + 1);
  const std::size_t comma = numbers.find(',');
  if (comma == std::string_view::npos) return refuse(why, "-inputbase: " + expected);
  const std::optional<double> lon = wholeNumber(numbers.substr(0, comma));
  const std::optional<double> lat = wholeNumber(numbers.substr(comma + 1));
  if (!lon || !lat) return refuse(why, "-inputbase: " + expected);
  if (*lon < kInputBaseMinLongitude || *lon > kInputBaseMaxLongitude) {
    return refuse(why, "-inputbase: longitude " + std::string(trimmed(numbers.substr(0, comma))) +
                           " is outside [-180, 360]; " + expected);
  }
  if (*lat < -kMaxLatitude || *lat > kMaxLatitude) {
    return refuse(why, "-inputbase: latitude " + std::string(trimmed(numbers.substr(comma + 1))) +
                           " is outside [-90, 90]; " + expected);
  }
  return BasePoint{*lon, *lat};
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

std::string formatBasePointExact(const BasePoint& point) {
  const auto exact = [](double value) {
    char text[kFixed6MaxChars];
    const char* end = formatFixed6(text, value);
    double read = 0.0;
    std::from_chars(text, end, read, std::chars_format::fixed);
    if (read == value || !std::isfinite(value)) return std::string(text, end - text);
    char shortest[400];  // the fixed form of any double fits
    const auto result =
        std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::fixed);
    return std::string(shortest, result.ptr);
  };
  return "ENU:" + exact(point.lat) + "," + exact(point.lon);
}

BasePoint basePointAsWritten(const BasePoint& point) {
  auto rounded = [](double value) {
    char text[kFixed6MaxChars];
    const char* end = formatFixed6(text, value);
    double read = value;  // a text from_chars refuses (inf, nan) keeps the value
    std::from_chars(text, end, read, std::chars_format::fixed);
    return read;
  };
  return {rounded(point.lon), rounded(point.lat)};
}

double boundsCentre(double minimum, double maximum) { return (minimum + maximum) * 0.5; }
