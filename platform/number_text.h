#pragma once

#include <string>
#include <string_view>

// Locale-free number text.

// The value of the leading numeric text of `text` by the rules of C's atof: leading white
// space (space, \t, \n, \v, \f, \r) skipped, an optional sign ('+' or '-'), then the longest
// prefix that is a decimal floating number, a hexadecimal one ("0x1.8p3"), "inf",
// "infinity" or "nan" (any case, "nan(...)" too); 0 when there is none. Out-of-range values
// give ±HUGE_VAL or the underflowed value as strtod does. Parsing stops at an embedded NUL.
double parseAtof(std::string_view text);

// True, with the value (as parseAtof gives it) in `value`, when the whole of `text` is one
// number as C's strtod reads it in the "C" locale: an optional sign, then a decimal number
// (digits with at most one '.', at least one digit, an optional exponent), a hexadecimal one
// ("0x1.8p3"), "inf", "infinity" or "nan" ("nan(chars)" too), any case. False, leaving `value`
// as it was, when anything else is in the text (white space, a comma, a second sign, a
// trailing byte, a NUL): "1,5", "12abc", "#10", "" and " 1" are not numbers.
[[nodiscard]] bool parseWholeNumber(std::string_view text, double& value);

// Largest text formatFixed6 writes: sign, 309 integer digits, '.', 6 digits.
inline constexpr int kFixed6MaxChars = 1 + 309 + 1 + 6;

// Writes `value` as C's "%f" does (fixed notation, all integer digits, exactly six decimals,
// correctly rounded; "-0.000000" for small negatives) into `out`, which must hold
// kFixed6MaxChars characters; returns the end of the text written. Non-finite values give
// "inf", "-inf", "nan" or "-nan" as glibc does.
char* formatFixed6(char* out, double value);

// The value the text formatFixed6 writes for `value` reads back as (parseWholeNumber of it):
// `value` rounded to six decimals as a reader of the output sees it. Not finite: `value`.
double writtenFixed6(double value);

// The shortest text in fixed notation (no exponent) that reads back as `value` ("1", "0.1",
// "500000", "117.5", "nan", "-inf").
std::string shortestText(double value);
