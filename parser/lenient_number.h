#pragma once

#include <rapidjson/document.h>

// The lenient number rule of the coordinate file's Gauss-Krüger keys
// ("centralMeridianLongitude", "centralOriginLatitude", "surfaceheight", "xoffset",
// "yoffset"), tested in this order:
//   1. a number RapidJSON holds as a real (written with a fraction or an exponent, or an
//      integer too large for 64 bits): its value;
//   2. a string (up to its first NUL) that is wholly a number as strtod reads it, blanks
//      (C white space) around it allowed: its value ("inf", "nan" and out-of-range texts give
//      what strtod gives); any other string ("", "abc", "117E", "12,5") is notANumber;
//   3. an integer that fits a signed 32-bit integer: its value;
//   4. anything else (a larger integer, true, false, null, an array, an object): unsupported,
//      the field keeps its value.
// The value may be non-finite (rule 2); the caller decides what to do with that.
struct LenientNumber {
  enum class Kind { value, unsupported, notANumber };
  Kind kind = Kind::unsupported;
  double value = 0.0;  // Kind::value only
};
LenientNumber lenientNumberValue(const rapidjson::Value& value);
