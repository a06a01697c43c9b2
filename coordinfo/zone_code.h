#pragma once

#include <cstdint>
#include <optional>

// 3-degree Gauss-Krüger zone codes: 4534 + k for the zone of central meridian 75 + 3k degrees
// (the EPSG codes of the CGCS2000 3-degree GK projections, 4534 = 75° E ... 4554 = 135° E).
inline constexpr int32_t kFirstZoneCode = 4534;
inline constexpr double kFirstZoneMeridian = 75.0;  // degree
inline constexpr double kZoneWidth = 3.0;           // degree

// trunc((lon − 73.5) / 3 + 4534), truncated toward zero (−10° gives 4506, not 4505).
// Empty when lon is not finite or the code does not fit a signed 32-bit integer.
std::optional<int32_t> zoneCodeOf(double lonDegrees);

// Central meridian (degree) of a zone code: (code − 4534)·3 + 75.
double zoneCentralMeridian(int32_t zoneCode);
