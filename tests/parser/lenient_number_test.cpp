// The lenient number rule of the Gauss-Krüger keys, value by value.
#include "parser/lenient_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include <rapidjson/document.h>

namespace {

std::optional<double> lenientOf(const std::string& json) {
  rapidjson::Document document;
  document.Parse(json.c_str(), json.size());
  EXPECT_FALSE(document.HasParseError()) << json;
  return lenientNumberValue(document);
}

// Numbers: reals and int32 integers are taken, other integers are not.
TEST(LenientNumber, JsonNumbers) {
  struct Case {
    const char* json;
    std::optional<double> value;
  };
  const Case cases[] = {
      {"117", 117.0},
      {"117.0", 117.0},
      {"-12.5", -12.5},
      {"1e3", 1000.0},
      {"0", 0.0},
      {"-0.0", -0.0},
      {"2147483647", 2147483647.0},    // INT32_MAX
      {"-2147483648", -2147483648.0},  // INT32_MIN
      {"2147483648", std::nullopt},    // beyond int32: RapidJSON holds it as unsigned
      {"-2147483649", std::nullopt},   // int64
      {"3000000000", std::nullopt},
      {"18446744073709551615", std::nullopt},  // UINT64_MAX, still an integer
      // One more than UINT64_MAX does not fit 64 bits: RapidJSON holds it as a real.
      {"18446744073709551616", 18446744073709551616.0},
      {"3000000000.0", 3000000000.0},  // a fraction makes it a real
      {"true", std::nullopt},
      {"false", std::nullopt},
      {"null", std::nullopt},
      {"[1]", std::nullopt},
      {"{\"a\": 1}", std::nullopt},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i) + ": " + cases[i].json);
    const std::optional<double> value = lenientOf(cases[i].json);
    ASSERT_EQ(value.has_value(), cases[i].value.has_value());
    if (value) {
      EXPECT_EQ(*value, *cases[i].value);
      EXPECT_EQ(std::signbit(*value), std::signbit(*cases[i].value));
    }
  }
}

// Strings: the C library's strtod (atof's rules; the Windows C runtime's own atof reads no hex,
// inf or nan) of the same text is the reference.
TEST(LenientNumber, StringsAreReadLikeAtof) {
  const char* const texts[] = {
      "117.0", "-12.5", "  42abc", "abc", "", "+3e2", ".5", "0x10", "1e400", "-1e400",
      "inf", "-Infinity", "nan", "1e-400", "12,5", "\\t7", "3000000000",
  };
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    SCOPED_TRACE("case " + std::to_string(i) + ": " + texts[i]);
    const std::optional<double> value = lenientOf(std::string("\"") + texts[i] + "\"");
    ASSERT_TRUE(value.has_value());
    // The JSON escape "\t" is a tab in the string that atof sees.
    const std::string plain = std::string(texts[i]) == "\\t7" ? "\t7" : texts[i];
    const double expected = std::strtod(plain.c_str(), nullptr);
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(*value));
    } else {
      EXPECT_EQ(*value, expected);
    }
  }
}

// The string ends at its first NUL, as atof would see it.
TEST(LenientNumber, StringStopsAtNul) {
  const std::optional<double> value = lenientOf(R"("12\u00003")");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(*value, 12.0);
}

}  // namespace
