#include "platform/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
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

// The rare cases std::from_chars does not settle the way strtod does: a value out of range
// (strtod gives ±HUGE_VAL or the underflowed, possibly subnormal, value) and "nan(chars)",
// whose payload glibc puts into the mantissa. `begin` includes the sign. The program keeps
// the "C" locale, so the copy's '.' is strtod's decimal point.
double strtodOf(const char* begin, const char* end) {
  const std::string copy(begin, end);
  return std::strtod(copy.c_str(), nullptr);
}

}  // namespace

double parseAtof(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end && isCSpace(*p)) ++p;
  const char* const numberStart = p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  // The sign was taken here (from_chars accepts no '+'); a second sign makes no number.
  if (p == end || *p == '+' || *p == '-') return 0.0;

  double value = 0.0;
  if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    const char* const digits = p + 2;
    const bool hasDigits = digits < end && (isHexDigit(*digits) ||
                                            (*digits == '.' && digits + 1 < end &&
                                             isHexDigit(digits[1])));
    // "0x" without hex digits is the number 0 followed by junk, as for strtod.
    if (!hasDigits) return negative ? -0.0 : 0.0;
    const char* const numberEnd = hexNumberEnd(digits, end);
    const std::from_chars_result result =
        std::from_chars(digits, numberEnd, value, std::chars_format::hex);
    // Out of range, or (never seen) a reading that differs from the delimited number.
    if (result.ec != std::errc() || result.ptr != numberEnd) {
      return strtodOf(numberStart, numberEnd);
    }
  } else {
    const std::from_chars_result result =
        std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) return 0.0;
    if (result.ec == std::errc::result_out_of_range) return strtodOf(numberStart, result.ptr);
    if (std::isnan(value) && result.ptr - p > 3) return strtodOf(numberStart, result.ptr);
  }
  return negative ? -value : value;
}

char* formatFixed6(char* out, double value) {
  // to_chars with a precision is printf's "%.*f" in the "C" locale, correctly rounded, and
  // writes "inf" / "-inf" / "nan" / "-nan" as glibc does.
  return std::to_chars(out, out + kFixed6MaxChars, value, std::chars_format::fixed, 6).ptr;
}
