#include "platform/number_text.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// White space of the C locale's isspace, the set atof skips.
bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// End of the hexadecimal number that starts at `p` (after "0x"): hex digits, an optional
// '.' and hex digits, then an optional binary exponent 'p' [sign] digits, taken only when
// digits follow. Delimited here because libstdc++'s hex from_chars reads too far in some
// malformed exponents (it takes "p+-2" as an exponent of -2; strtod stops before the 'p').
const char* hexNumberEnd(const char* p, const char* end) {
  while (p < end && isHexDigit(*p)) ++p;
  if (p < end && *p == '.') {
    ++p;
    while (p < end && isHexDigit(*p)) ++p;
  }
  if (p < end && (*p == 'p' || *p == 'P')) {
    const char* q = p + 1;
    if (q < end && (*q == '+' || *q == '-')) ++q;
    if (q < end && isDigit(*q)) {
      while (q < end && isDigit(*q)) ++q;
      p = q;
    }
  }
  return p;
}

// The powers of ten that are exact doubles (5^22 < 2^53).
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPower = 22;
constexpr int kMaxMantissaDigits = 19;  // 10^19 - 1 < 2^64
constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;

// Clinger's fast path (W. D. Clinger, "How to read floating point numbers accurately",
// 1990): digits "ddd.ddd" without exponent whose integer mantissa M is at most 2^53 and
// that have k <= 22 fraction digits have the value M / 10^k, and dividing the two exact
// doubles rounds correctly, as strtod does. Covers the numbers OBJ exporters write.
// Returns the end of the number, or null for any other form (exponent, hex, words, many
// digits): the general path reads it. Inlined into each reader.
[[gnu::always_inline]] inline const char* parseSimpleDecimal(const char* p, const char* end,
                                                           double* value) {
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fractionDigits = 0;
  for (; p < end && isDigit(*p); ++p, ++digits) {
    if (digits == kMaxMantissaDigits) return nullptr;
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
  }
  if (p < end && *p == '.') {
    for (++p; p < end && isDigit(*p); ++p, ++digits, ++fractionDigits) {
      if (digits == kMaxMantissaDigits) return nullptr;
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    }
  }
  if (digits == 0 || mantissa > kMaxExactMantissa || fractionDigits > kMaxExactPower) {
    return nullptr;
  }
  // An exponent, or the 'x' of "0x", continues the number in ways this path does not read.
  if (p < end && (*p == 'e' || *p == 'E' || *p == 'x' || *p == 'X')) return nullptr;
  *value = static_cast<double>(mantissa) / kExactPowersOfTen[fractionDigits];
  return p;
}

// The rare cases std::from_chars does not settle the way strtod does: a value out of range
// (strtod gives ±HUGE_VAL or the underflowed, possibly subnormal, value) and "nan(chars)",
// whose payload glibc puts into the mantissa. `begin` includes the sign. The program keeps
// the "C" locale, so the copy's '.' is strtod's decimal point.
double strtodOf(const char* begin, const char* end) {
  const std::string copy(begin, end);
  return std::strtod(copy.c_str(), nullptr);
}

// The number strtod reads at `p` (no white space skipped): its value into `value` and its
// end; `p` itself, with value 0, when none starts there.
const char* readNumber(const char* p, const char* const end, double& value) {
  const char* const numberStart = p;
  value = 0.0;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  // The sign was taken here (from_chars accepts no '+'); a second sign makes no number.
  if (p == end || *p == '+' || *p == '-') return numberStart;

  if (const char* const simpleEnd = parseSimpleDecimal(p, end, &value)) {
    if (negative) value = -value;
    return simpleEnd;
  }
  const char* numberEnd = nullptr;
  if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    const char* const digits = p + 2;
    const bool hasDigits = digits < end && (isHexDigit(*digits) ||
                                            (*digits == '.' && digits + 1 < end &&
                                             isHexDigit(digits[1])));
    // "0x" without hex digits is the number 0 followed by junk, as for strtod.
    if (!hasDigits) {
      value = negative ? -0.0 : 0.0;
      return p + 1;
    }
    numberEnd = hexNumberEnd(digits, end);
    const std::from_chars_result result =
        std::from_chars(digits, numberEnd, value, std::chars_format::hex);
    // Out of range, or (never seen) a reading that differs from the delimited number.
    if (result.ec != std::errc() || result.ptr != numberEnd) {
      value = strtodOf(numberStart, numberEnd);
      return numberEnd;
    }
  } else {
    const std::from_chars_result result =
        std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) {
      value = 0.0;
      return numberStart;
    }
    numberEnd = result.ptr;
    if (result.ec == std::errc::result_out_of_range ||
        (std::isnan(value) && numberEnd - p > 3)) {
      value = strtodOf(numberStart, numberEnd);
      return numberEnd;
    }
  }
  if (negative) value = -value;
  return numberEnd;
}

}  // namespace

double parseAtof(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end && isCSpace(*p)) ++p;
  double value = 0.0;
  (void)readNumber(p, end, value);
  return value;
}

bool parseWholeNumber(std::string_view text, double& value) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  double read = 0.0;
  // The plain decimals OBJ files hold first, as readNumber would read them: through its call
  // they took about a tenth longer.
  const bool negative = begin < end && *begin == '-';
  const char* const digits = begin < end && (negative || *begin == '+') ? begin + 1 : begin;
  if (const char* const simpleEnd = parseSimpleDecimal(digits, end, &read)) {
    if (simpleEnd != end) return false;
    value = negative ? -read : read;
    return true;
  }
  const char* const numberEnd = readNumber(begin, end, read);
  if (numberEnd == begin || numberEnd != end) return false;
  value = read;
  return true;
}

namespace {

constexpr std::uint64_t kMicro = 1000000;  // 10^6: six decimals

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void writePair(char* out, std::uint64_t pair) { std::memcpy(out, kDigitPairs + 2 * pair, 2); }

constexpr std::uint64_t kPowersOfTen[] = {
    1,           10,           100,           1000,           10000,           100000,
    1000000,     10000000,     100000000,     1000000000,     10000000000,     100000000000,
    1000000000000, 10000000000000, 100000000000000, 1000000000000000, 10000000000000000,
    100000000000000000, 1000000000000000000};

// `n` in decimal, two digits per step from the end, written in place (no copy).
char* writeUnsigned(char* out, std::uint64_t n) {
  int length = 1;
  while (length < 19 && n >= kPowersOfTen[length]) ++length;
  if (length == 19 && n >= kPowersOfTen[18] * 10) ++length;  // the 20-digit n >= 10^19
  char* const end = out + length;
  char* p = end;
  while (n >= 100) {
    p -= 2;
    writePair(p, n % 100);
    n /= 100;
  }
  if (n >= 10) {
    writePair(p - 2, n);
  } else {
    p[-1] = static_cast<char>('0' + n);
  }
  return end;
}

// "[-]units.micros" with six digits after the point. The sign comes from the value's sign
// bit, so -0 and tiny negatives give "-0.000000" as printf does.
char* writeFixed6(char* out, bool negative, std::uint64_t units, std::uint64_t micros) {
  if (negative) *out++ = '-';
  out = writeUnsigned(out, units);
  *out++ = '.';
  writePair(out, micros / 10000);
  writePair(out + 2, micros / 100 % 100);
  writePair(out + 4, micros % 100);
  return out + 6;
}

// Below this magnitude, |value| · 10^6 < 10^15 < 2^50, and its double has a fraction part
// finer than 2^-2: the fast path below can decide the rounding of most values.
constexpr double kFastFixedLimit = 1e9;

// The common case in a few operations: y = fl(|value| · 10^6) is within 2^-53 · y of the
// exact product (one rounding), so when the fraction of y is further than 2^-52 · y from
// one half, the exact product rounds to the same integer as y. The fraction y − floor(y) is
// exact (Sterbenz's lemma). False, with nothing written, when the fraction is too near one half
// (about one value in 10^4 at survey magnitudes): fixed6Exact decides those.
// q = round(|value| · 10^6), the six decimals' digits as one integer below 2^50.
bool fastMicros(double value, std::uint64_t& q) {
  const double magnitude = std::fabs(value);
  if (!(magnitude < kFastFixedLimit)) return false;
  const double scaled = magnitude * static_cast<double>(kMicro);
  const auto whole = static_cast<std::uint64_t>(scaled);  // truncation: 0 <= scaled < 2^50
  const double fraction = scaled - static_cast<double>(whole);
  if (std::fabs(fraction - 0.5) <= scaled * 0x1p-52) return false;
  q = whole + (fraction > 0.5 ? 1 : 0);
  return true;
}

bool fixed6Fast(char** out, double value) {
  std::uint64_t q = 0;
  if (!fastMicros(value, q)) return false;
  *out = writeFixed6(*out, std::signbit(value), q / kMicro, q % kMicro);
  return true;
}

#ifdef __SIZEOF_INT128__
// Below this magnitude fixed6Exact's integer part fits 64 bits.
constexpr double kExactFixedLimit = 1e15;

// "%f" of a finite |value| < 1e15, exactly: with value = m · 2^e (m < 2^53), the text is
// round(m · 2^e · 10^6) / 10^6, rounded half to even on the exact binary value as printf
// does in the default rounding mode; the fraction times 10^6 is below 2^73 and fits 128
// bits.
char* fixed6Exact(char* out, double value) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  const std::uint64_t m = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
  const int e = (biased == 0 ? 1 : biased) - 1075;
  // value = units + rest / 2^shift; micros = the rest in 10^-6, rounded.
  std::uint64_t units = 0;
  std::uint64_t micros = 0;
  if (e >= 0) {
    units = m << e;  // e <= 50 here: |value| < 1e15 < 2^50
  } else if (-e < 100) {  // for a larger shift, m · 10^6 < 2^73 is below half a micro: 0
    const int shift = -e;
    units = shift < 64 ? m >> shift : 0;
    const std::uint64_t rest = shift < 64 ? m & ((std::uint64_t{1} << shift) - 1) : m;
    const unsigned __int128 scaled = static_cast<unsigned __int128>(rest) * kMicro;
    micros = static_cast<std::uint64_t>(scaled >> shift);
    const unsigned __int128 remainder = scaled - (static_cast<unsigned __int128>(micros) << shift);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    // Half to even: units · 10^6 + micros is odd exactly when micros is (10^6 is even).
    if (remainder > half || (remainder == half && (micros & 1) != 0)) ++micros;
    if (micros == kMicro) {
      micros = 0;
      ++units;
    }
  }
  return writeFixed6(out, (bits >> 63) != 0, units, micros);
}
#endif

}  // namespace

char* formatFixed6(char* out, double value) {
  if (fixed6Fast(&out, value)) return out;
#ifdef __SIZEOF_INT128__
  if (std::fabs(value) < kExactFixedLimit) return fixed6Exact(out, value);
#endif
  // to_chars with a precision is printf's "%.*f" in the "C" locale, correctly rounded, and
  // writes "inf" / "-inf" / "nan" / "-nan" as glibc does.
  return std::to_chars(out, out + kFixed6MaxChars, value, std::chars_format::fixed, 6).ptr;
}

double writtenFixed6(double value) {
  // q / 10^6 with q < 2^50: both exact, so the one rounding of the division is that of
  // reading the decimal text q · 10^-6.
  if (std::uint64_t q = 0; fastMicros(value, q)) {
    const double read = static_cast<double>(q) / static_cast<double>(kMicro);
    return std::signbit(value) ? -read : read;
  }
  if (!std::isfinite(value)) return value;
  char text[kFixed6MaxChars];
  const char* end = formatFixed6(text, value);
  double read = value;
  (void)parseWholeNumber(std::string_view(text, static_cast<std::size_t>(end - text)), read);
  return read;
}

std::string shortestText(double value) {
  char text[400];  // fixed notation of the largest double: 309 digits
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  return std::string(text, result.ptr);
}
