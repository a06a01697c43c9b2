// The lenient number rule of the Gauss-Krüger keys, value by value.
#include "parser/lenient_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include <rapidjson/document.h>

namespace {

LenientNumber lenientOf(const std::string& json) {
  rapidjson::Document document;
  document.Parse(json.c_str(), json.size());
  EXPECT_FALSE(document.HasParseError()) << json;
  return lenientNumberValue(document);
}

// The value; empty when the rule does not take the JSON type (unsupported).
std::optional<double> valueOf(const std::string& json) {
  const LenientNumber number = lenientOf(json);
  EXPECT_NE(number.kind, LenientNumber::Kind::notANumber) << json;
  if (number.kind != LenientNumber::Kind::value) return std::nullopt;
  return number.value;
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
    const std::optional<double> value = valueOf(cases[i].json);
    ASSERT_EQ(value.has_value(), cases[i].value.has_value());
    if (value) {
      EXPECT_EQ(*value, *cases[i].value);
      EXPECT_EQ(std::signbit(*value), std::signbit(*cases[i].value));
    }
  }
}

// Strings: wholly a number as strtod reads it, blanks around it allowed, else notANumber (atof
// would read a leading part, or 0). The C library's strtod of the text is the reference value
// (the Windows C runtime's own atof reads no hex, inf or nan).
TEST(LenientNumber, StringsMustBeWhollyNumbers) {
  const struct {
    const char* text;
    const char* number;  // the text strtod reads; null: not a number
  } cases[] = {
      {"117.0", "117.0"}, {"-12.5", "-12.5"}, {"  42abc", nullptr}, {"abc", nullptr},
      {"", nullptr}, {"+3e2", "+3e2"}, {".5", ".5"}, {"0x10", "0x10"}, {"1e400", "1e400"},
      {"-1e400", "-1e400"}, {"inf", "inf"}, {"-Infinity", "-Infinity"}, {"nan", "nan"},
      {"1e-400", "1e-400"}, {"12,5", nullptr}, {"\\t7 ", "7"}, {"3000000000", "3000000000"},
      {"117E", nullptr}, {" 117 ", "117"}, {"1 2", nullptr}, {"  ", nullptr},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(std::string("case ") + std::to_string(i) + ": " + cases[i].text);
    const LenientNumber number = lenientOf(std::string("\"") + cases[i].text + "\"");
    if (cases[i].number == nullptr) {
      EXPECT_EQ(number.kind, LenientNumber::Kind::notANumber);
      continue;
    }
    ASSERT_EQ(number.kind, LenientNumber::Kind::value);
    const double expected = std::strtod(cases[i].number, nullptr);
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(number.value));
    } else {
      EXPECT_EQ(number.value, expected);
    }
  }
}

// The string ends at its first NUL, as the format copies strings.
TEST(LenientNumber, StringStopsAtNul) {
  const std::optional<double> value = valueOf(R"("12\u00003")");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(*value, 12.0);
}

}  // namespace
