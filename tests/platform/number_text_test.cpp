#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

// parseAtof and formatFixed6 must give exactly what C's atof and "%f" give (the converted
// files must not change by a bit), so the C library itself is the oracle here: equality of the
// 64 bits, NaN payloads and the sign of zero included. atof(s) is defined as
// strtod(s, NULL); strtod is the oracle because the Windows C runtime's own atof reads no hex,
// inf or nan (MinGW's strtod does).

namespace {

using namespace std::string_literals;

std::uint64_t bitsOf(double value) { return std::bit_cast<std::uint64_t>(value); }

std::string show(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    if (c == '\0') shown += "\\0";
    else if (c == '\n') shown += "\\n";
    else if (c == '\t') shown += "\\t";
    else shown += c;
  }
  return shown;
}

// The C library's strtod (atof's rules) on the text up to its first NUL, as it sees a C string.
// MinGW's strtod departs from glibc in two points the standard leaves open or that it gets
// wrong, where parseAtof reads as glibc does on every system (both write the same files):
// with no number at all it gives -0 after a '-' (the standard's "zero" is +0), and "nan(...)"
// gets other payload bits.
double referenceStrtod(const char* text) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
#ifdef _WIN32
  if (end == text) return 0.0;
#endif
  return value;
}

// Same 64 bits; on Windows two NaNs of the same sign also count as the same (payloads above).
bool sameReading(double got, double expected) {
#ifdef _WIN32
  if (std::isnan(got) && std::isnan(expected)) {
    return std::signbit(got) == std::signbit(expected);
  }
#endif
  return bitsOf(got) == bitsOf(expected);
}

// parseWholeNumber: a number exactly when strtod reads the whole text from its first byte
// (no white space skipped before it, no NUL ending the C string early), with atof's value.
bool wholeAsStrtod(const std::string& text, double expected) {
  char* end = nullptr;
  (void)std::strtod(text.c_str(), &end);
  const bool whole = !text.empty() && std::isspace(static_cast<unsigned char>(text[0])) == 0 &&
                     end == text.c_str() + text.size();
  double value = 0.25;
  const bool got = parseWholeNumber(text, value);
#ifdef _WIN32
  // MinGW's strtod also reads "nan(" on to a ")" past bytes C does not allow there ("nan(1 2)");
  // parseWholeNumber stops where glibc does, on every system.
  if (std::isnan(expected)) return got ? std::isnan(value) : value == 0.25;
#endif
  return got == whole && (!whole ? value == 0.25 : sameReading(value, expected));
}

void expectSameAsAtof(const std::string& text, const std::string& label) {
  const double expected = referenceStrtod(text.c_str());
  const double got = parseAtof(text);
  EXPECT_TRUE(sameReading(got, expected))
      << label << ": \"" << show(text) << "\" gives " << got << " (bits " << std::hex
      << bitsOf(got) << "), strtod " << expected << " (bits " << bitsOf(expected) << ")";
  EXPECT_TRUE(wholeAsStrtod(text, expected)) << label << ": \"" << show(text) << "\" whole";
}

// "%f" of the C library. MinGW's printf writes a NaN of either sign as "nan"; formatFixed6
// writes glibc's "-nan" for a negative one on every system, so that both write the same files.
std::string printfFixed(double value) {
#ifdef _WIN32
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
#endif
  char text[kFixed6MaxChars + 16];
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

std::string formatted(double value) {
  char text[kFixed6MaxChars];
  return std::string(text, formatFixed6(text, value));
}

TEST(ParseAtof, KnownValues) {
  // Values worked out by hand from the atof rules, independent of any library.
  struct Case {
    std::string text;
    double value;
  };
  const Case cases[] = {
      {"500000.123456", 500000.123456},
      {"  +3320000.5xyz", 3320000.5},
      {"\t\n\v\f\r-1e3", -1000.0},
      {"0x1p3", 8.0},
      {"0X.8", 0.5},
      {"-0x10", -16.0},
      {"0x", 0.0},
      {"1e", 1.0},
      {"1e+", 1.0},
      {".5", 0.5},
      {"5.", 5.0},
      {"--5", 0.0},
      {"+-5", 0.0},
      {"abc", 0.0},
      {"", 0.0},
      {"12\0" "34"s, 12.0},
      {"1,5", 1.0},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(parseAtof(cases[i].text), cases[i].value) << "case " << i << ": " << cases[i].text;
  }
  EXPECT_EQ(parseAtof("INFINITY"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(parseAtof("-inf"), -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(parseAtof("nAn")));
  EXPECT_EQ(parseAtof("1e400"), HUGE_VAL);
  EXPECT_TRUE(std::signbit(parseAtof("-0")));
}

TEST(ParseAtof, TrickyInputsMatchAtof) {
  const std::string cases[] = {
      "", " ", "+", "-", ".", "+.", "-.", "e5", ".e5", "0", "-0", "+0", "-0.0", "00012",
      "1", "-1", "+1", "1.", "1.5", ".5", "-.5", "+.5e1", "1e5", "1E5", "1e+5", "1e-5",
      "1e", "1e+", "1e-", "1ex", "1.5e", "1..5", "1.5.5", "1e5e5", "   42abc", "\n\t 7",
      "\v\f\r8", "9 10", "--1", "+-1", "-+1", "- 1", "0x", "0X", "-0x", "0x1", "0x1p3",
      "0x1P-3", "0x.8", "0x.", "0x.p1", "0xg", "0x1.8p1", "0x1p", "0x1p+", "0xABCdef",
      "0x1.fffffffffffff8p1023", "0x1p1024", "-0x1p1024", "0x1p-1074", "0x1p-1075",
      "0x1p-1076", "0x3p-1076", "0x1.0000000000001p0", "0x1.00000000000008p0",
      "0x1.00000000000018p0", "0xinf", "0xnan",
      // libstdc++'s hex from_chars read "p+-2" as an exponent; strtod stops before the 'p'.
      "0x1p+-2", "-0X9558AEFep+-2", "0x1p-+2", "0x1p--2", "0x1p++2", "1e+-2", "1e-+2", "inf", "INF", "-Inf", "+inf", "infinity",
      "Infinity", "INFINITYX", "infinit", "in", "i", "nan", "NaN", "-nan", "+nan",
      "nan()", "nan(123)", "nan(0x7ff)", "nan(abc_1)", "nan(", "nan(1", "nan(1 2)",
      "nanx", "na", "1e308", "1.7976931348623157e308", "1.7976931348623158e308",
      "1.7976931348623159e308", "1e309", "-1e309", "1e99999999999999999999", "1e-320",
      "4.9406564584124654e-324", "2.4703282292062327e-324", "2.4703282292062328e-324",
      "1e-324", "-1e-400", "1e-99999999999999999999", "2.2250738585072011e-308",
      "2.2250738585072014e-308", "0.1", "0.2", "0.3", "9007199254740993",
      "9007199254740992.9999999999999999999", "123456789012345678901234567890",
      "0." + std::string(400, '0') + "1e400", "1" + std::string(400, '0'),
      "1" + std::string(320, '0') + "e-20", std::string(800, '9'),
      "0.000000000000000000000000000000000000000000000001e48", "3320000.123456789",
      "-500000.000000", "500000.0000005", "1\0" "2"s, "\0" "5"s, " \0 5"s, "1_000",
      "1'000", "٣", "\xc2\xa0" "5", "+5e-0", "5e-00000000000000000001", "1e0x1p3",
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    expectSameAsAtof(cases[i], "case " + std::to_string(i));
  }
}

// Random number texts built from the pieces atof distinguishes, with junk after them.
std::string randomNumberText(std::mt19937_64& random) {
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto digits = [&](int maxCount, bool hex) {
    std::string text;
    const int count = pick(maxCount + 1);
    for (int i = 0; i < count; ++i) {
      text += hex ? "0123456789abcdefABCDEF"[pick(22)] : static_cast<char>('0' + pick(10));
    }
    return text;
  };
  static const char* const kSpaces[] = {"", "", "", " ", "  ", "\t", "\n ", "\r\v\f"};
  static const char* const kSigns[] = {"", "", "", "-", "+", "--", "+-"};
  static const char* const kWords[] = {"inf", "INF", "infinity", "InFiNiTy", "infin",
                                       "nan", "NAN", "nan()", "nan(42)", "nan(x_1)", "n"};
  static const std::string kJunk[] = {"", "", "", " ", "x", "e", "e+", ".", ",5", "abc",
                                      "\t1", "-", "p3", "\0" "7"s};
  std::string text = kSpaces[pick(std::size(kSpaces))];
  text += kSigns[pick(std::size(kSigns))];
  const int form = pick(10);
  if (form == 0) {
    text += kWords[pick(std::size(kWords))];
  } else if (form <= 2) {
    text += pick(2) ? "0x" : "0X";
    text += digits(20, true);
    if (pick(2)) {
      text += '.';
      text += digits(20, true);
    }
    if (pick(2)) {
      text += pick(2) ? "p" : "P";
      text += kSigns[pick(std::size(kSigns))];
      text += digits(5, false);
    }
  } else {
    // Mostly survey-like magnitudes, sometimes long digit strings and extreme exponents.
    text += digits(pick(4) == 0 ? 40 : 8, false);
    if (pick(3)) {
      text += '.';
      text += digits(pick(4) == 0 ? 30 : 9, false);
    }
    if (pick(3) == 0) {
      text += pick(2) ? "e" : "E";
      text += kSigns[pick(std::size(kSigns))];
      text += digits(pick(5) == 0 ? 4 : 2, false);
    }
  }
  text += kJunk[pick(std::size(kJunk))];
  return text;
}

TEST(ParseAtof, RandomTextsMatchAtof) {
  std::mt19937_64 random(20240517);  // fixed seed: failures are reproducible
  for (int i = 0; i < 300000; ++i) {
    const std::string text = randomNumberText(random);
    const double expected = referenceStrtod(text.c_str());
    const double got = parseAtof(text);
    if (!sameReading(got, expected) || !wholeAsStrtod(text, expected)) {
      double whole = 0.0;
      const bool isWhole = parseWholeNumber(text, whole);
      ADD_FAILURE() << "text " << i << ": \"" << show(text) << "\" gives " << got << ", strtod "
                    << expected << "; whole number: " << isWhole << " " << whole;
      return;  // one report is enough to debug; thousands would drown it
    }
  }
}

TEST(ParseAtof, ShortestAndFixedPrintsOfRandomDoublesMatchAtof) {
  std::mt19937_64 random(7);
  char text[64];
  for (int i = 0; i < 200000; ++i) {
    const double value = std::bit_cast<double>(random());
    std::snprintf(text, sizeof text, i % 2 ? "%.17g" : "%.6e", value);
    const double expected = referenceStrtod(text);
    const double got = parseAtof(text);
    if (!sameReading(got, expected)) {
      ADD_FAILURE() << "value " << i << ": \"" << text << "\" gives " << got;
      return;
    }
  }
}

TEST(FormatFixed6, TrickyValuesMatchPrintf) {
  const double cases[] = {
      0.0, -0.0, 1.0, -1.0, 0.5, 0.0000005, 0.0000015, 0.0000025, -0.0000005, 1e-7, -1e-7,
      0.1, 0.123456499999, 0.1234565, 500000.1234565, 3320000.0000005, 2.5e-6, 9.9999995,
      999999.9999995, 1e15, 1e16 + 2, 9007199254740993.0, 1e22, 1e23, 1e300,
      std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
      std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(),
      std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
      std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
      std::bit_cast<double>(std::uint64_t{0x7ff0000000000001}),  // signalling NaN
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(formatted(cases[i]), printfFixed(cases[i])) << "case " << i;
    // writtenFixed6 reads the text back: the same bits as parsing it.
    if (!std::isfinite(cases[i])) continue;
    EXPECT_EQ(bitsOf(writtenFixed6(cases[i])), bitsOf(parseAtof(printfFixed(cases[i]))))
        << "case " << i;
  }
  EXPECT_EQ(formatted(31.5), "31.500000");
  EXPECT_EQ(formatted(-1e-9), "-0.000000");
  EXPECT_EQ(formatted(-std::numeric_limits<double>::max()).size(), 1u + 309 + 1 + 6);
}

TEST(FormatFixed6, RandomValuesMatchPrintf) {
  std::mt19937_64 random(99);
  std::uniform_real_distribution<double> easting(-1e7, 1e7);
  for (int i = 0; i < 300000; ++i) {
    double value = 0;
    switch (i % 3) {
      case 0: value = std::bit_cast<double>(random()); break;  // every exponent, NaN, inf
      case 1: value = easting(random); break;
      // Exact ties at the sixth decimal, where the rounding rule decides.
      default: value = static_cast<double>(static_cast<std::int64_t>(random() % 20000000) -
                                           10000000) / 2e6 + 0.0000005;
    }
    const std::string got = formatted(value);
    const std::string expected = printfFixed(value);
    if (got != expected ||
        (std::isfinite(value) && bitsOf(writtenFixed6(value)) != bitsOf(parseAtof(expected)))) {
      ADD_FAILURE() << "value " << i << " (bits " << std::hex << bitsOf(value) << "): " << got
                    << " vs printf " << expected << ", read back " << writtenFixed6(value);
      return;
    }
  }
}

}  // namespace
