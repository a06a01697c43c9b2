#pragma once

#include <optional>

#include <rapidjson/document.h>

// The lenient number rule of the coordinate file's Gauss-Krüger keys
// ("centralMeridianLongitude", "centralOriginLatitude", "surfaceheight", "xoffset",
// "yoffset"), tested in this order:
//   1. a number RapidJSON holds as a real (written with a fraction or an exponent, or an
//      integer too large for 64 bits): its value;
//   2. a string: the value of its leading numeric text as by C's atof (0 when there is none;
//      "inf", "nan" and out-of-range texts give what atof gives);
//   3. an integer that fits a signed 32-bit integer: its value;
//   4. anything else (a larger integer, true, false, null, an array, an object): empty, the
//      field keeps its value.
// The value may be non-finite (rule 2); the caller decides what to do with that.
std::optional<double> lenientNumberValue(const rapidjson::Value& value);
