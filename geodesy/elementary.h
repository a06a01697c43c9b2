#pragma once

#include <cmath>

// The elementary functions of the conversion chains, written with IEEE basic operations only
// (+, −, ×, ÷ and comparisons; no FMA, no x87, no library call), so that every compiler, CPU and
// operating system computes the same bits: a converted file does not depend on where it was
// converted, as it would with the C library's sin, cos, tan and atan2, which are not correctly
// rounded and differ between glibc, msvcrt and their versions.
//
// Method: argument reduction by π/2 in three parts (Cody and Waite) carried as a double-double,
// then Taylor polynomials on [−π/4, π/4] with exact rational coefficients, evaluated so that the
// reduced argument's tail and the leading term's rounding are kept to the last addition; atan
// by a table of atan(k/8), k = 0..8, and the series of atan(u) for |u| ≤ 1/16. Each result is
// within 1 unit in the last place of the true value (tests/geodesy/elementary_test.cpp
// measures it against long double on the ranges the chains use).
//
// Domain: sin, cos and tan reduce exactly for |x| ≤ kElementaryMaxArgument (about 8.2e5
// radians, far beyond any angle of a coordinate); beyond it, and for a non-finite x, they
// return NaN, which the chains report as a point that cannot be converted. atan2 takes any
// pair, with the C library's results for zeros and infinities.
namespace elementary {

inline constexpr double kElementaryMaxArgument = 0x1p19 * 1.5707963267948966;

[[nodiscard]] double sin(double x);
[[nodiscard]] double cos(double x);
// Both at the cost of about one: the same bits as sin(x) and cos(x).
void sincos(double x, double& s, double& c);
// sin, cos and tan at once: the same bits as the three separate calls.
void sincostan(double x, double& s, double& c, double& t);
[[nodiscard]] double tan(double x);
// The angle of (x, y) in (−π, π], radian.
[[nodiscard]] double atan2(double y, double x);
// atan2 for formulas written for lanes too (geodesy/lane_elementary.h), where a lane's
// arguments may be left to this function: here every argument is its own, `regular` is true.
inline double atan2(double y, double x, bool& regular) {
  regular = true;
  return atan2(y, x);
}

// `yes` when `m`, else `no`: the one-value form of the lanes' bitwise select
// (geodesy/lanes.h), for formulas written once for both.
inline double select(bool m, double yes, double no) { return m ? yes : no; }

// Finite (not NaN, not infinite): the one-value form of the lanes' isFinite.
inline bool isFinite(double x) { return std::isfinite(x); }

}  // namespace elementary
