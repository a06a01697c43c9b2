#pragma once

// The arithmetic of the project's elementary functions, written once for one value
// (V = double: geodesy/elementary.cpp) and for lanes (geodesy/lane_elementary.h), so both run
// the same IEEE operations in the same order: only the choice between branches differs (the
// one-value code branches, the lanes select). Every operation is a single IEEE double
// operation in round-to-nearest; the build forbids contraction into FMA (-ffp-contract=off),
// so the order written is the order computed.

#include "geodesy/elementary_constants.h"

namespace elementary::kernels {

using namespace constants;

// `value` in every lane of a V (lane types specialise this).
template <class V>
V splat(double value) {
  return value;
}

// A value carried as an unevaluated sum hi + lo, |lo| ≤ ulp(hi)/2.
template <class V>
struct DoubleDouble {
  V hi;
  V lo;
};

// Knuth's TwoSum: a + b = s + e exactly.
template <class V>
DoubleDouble<V> twoSum(V a, V b) {
  const V s = a + b;
  const V bv = s - a;
  const V av = s - bv;
  return {s, (a - av) + (b - bv)};
}

// Dekker's FastTwoSum, |a| ≥ |b| (or a = 0): a + b = s + e exactly.
template <class V>
DoubleDouble<V> fastTwoSum(V a, V b) {
  const V s = a + b;
  return {s, b - (s - a)};
}

// Dekker's product with Veltkamp's split (2^27 + 1): a·b = p + e exactly, for |a|, |b| far
// below the overflow threshold, with basic operations only.
template <class V>
DoubleDouble<V> twoProduct(V a, V b) {
  const V ca = kSplitter * a;
  const V ah = ca - (ca - a);
  const V al = a - ah;
  const V cb = kSplitter * b;
  const V bh = cb - (cb - b);
  const V bl = b - bh;
  const V p = a * b;
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

template <class V>
DoubleDouble<V> negated(const DoubleDouble<V>& a) {
  return {-a.hi, -a.lo};
}

// The hi + lo difference a − b of two double-doubles, rounded once at the end by the caller.
template <class V>
DoubleDouble<V> minus(const DoubleDouble<V>& a, const DoubleDouble<V>& b) {
  const DoubleDouble<V> s = twoSum(a.hi, -b.hi);
  return fastTwoSum(s.hi, s.lo + (a.lo - b.lo));
}

// x = k·π/2 + r for |x| > π/4: `shifted` = x·2/π + 1.5·2^52 (its significand ends in k modulo
// 4), k = shifted − 1.5·2^52. x − k·p1 is exact (Sterbenz: x and k·p1 are within a factor 2
// for k ≠ 0), and so are the products; the last two subtractions are carried as a
// double-double, so r is known to about 1e-30 absolute.
template <class V>
DoubleDouble<V> reduceByQuarterTurns(V x, V& shifted) {
  shifted = x * kTwoOverPi + kRoundingShift;
  const V k = shifted - kRoundingShift;
  const V w = x - k * kPiOver2Part1;
  const DoubleDouble<V> s = twoSum(w, -(k * kPiOver2Part2));
  return fastTwoSum(s.hi, s.lo - k * kPiOver2Part3);
}

// sin(x + y), |x| ≤ π/4, y the tail: sin x + y·cos x ≈ x + S1·x³ + x⁵·R + y·(1 − x²/2),
// with the leading x added last. Returned unevaluated (hi + lo).
template <class V>
DoubleDouble<V> sinKernel(const DoubleDouble<V>& a) {
  const V x = a.hi;
  const V y = a.lo;
  const V z = x * x;
  const V v = z * x;
  const V r = kS2 + z * (kS3 + z * (kS4 + z * (kS5 + z * (kS6 + z * (kS7 + z * kS8)))));
  const V small = -((z * (0.5 * y - v * r) - y) - v * kS1);
  return fastTwoSum(x, small);
}

// cos(x + y), |x| ≤ π/4: cos x − y·sin x ≈ 1 − x²/2 + x⁴·C(x²) − x·y. w = 1 − x²/2 rounded,
// its rounding error ((1 − w) − x²/2, exact) added back with the small terms.
template <class V>
DoubleDouble<V> cosKernel(const DoubleDouble<V>& a) {
  const V x = a.hi;
  const V y = a.lo;
  const V z = x * x;
  const V r = z * (kC1 + z * (kC2 + z * (kC3 + z * (kC4 + z * (kC5 + z * (kC6 + z * kC7))))));
  const V hz = 0.5 * z;
  const V w = 1.0 - hz;
  const V small = ((1.0 - w) - hz) + (z * r - x * y);
  return fastTwoSum(w, small);
}

// (nh + nl) / (dh + dl), correctly to about 0.5 ulp: q = nh/dh, then one correction from the
// exact remainder nh − q·dh (Sterbenz makes nh − p exact; e is the product's error).
template <class V>
V divide(const DoubleDouble<V>& n, const DoubleDouble<V>& d) {
  const V q = n.hi / d.hi;
  const DoubleDouble<V> p = twoProduct(q, d.hi);
  const V remainder = (((n.hi - p.hi) - p.lo) + n.lo) - q * d.lo;
  return q + remainder / d.hi;
}

// atan u − u = u³·(−1/3 + u²/5 − … − u¹²/15) for |u| ≤ 1/16: the first term left out,
// u¹⁷/17, is below 1e-21 of u.
template <class V>
V atanSeriesTail(V u) {
  const V z = u * u;
  const V p =
      -1.0 / 3 +
      z * (1.0 / 5 + z * (-1.0 / 7 + z * (1.0 / 9 + z * (-1.0 / 11 + z * (1.0 / 13 + z * (-1.0 / 15))))));
  return u * z * p;
}

// atan(t + tl) for 0 ≤ t ≤ 1 (tl the tail of a quotient) when c = k/8 nearest t is not 0,
// as hi + lo: atan t = atan c + atan u, u = (t − c)/(1 + t·c), |u| ≤ 1/16 (atanHi + atanLo
// is atan c). atan c and atan u may nearly cancel (t just above 1/16: 0.124 − 0.058), so u is
// carried as a double-double: t − c is exact (Sterbenz, c/2 ≤ t ≤ 2c), 1 + t·c is formed
// exactly, and the quotient gets its remainder.
template <class V>
DoubleDouble<V> atanAboutTableEntry(V t, V tl, V c, V atanHi, V atanLo) {
  const DoubleDouble<V> num = twoSum(t - c, tl);
  const DoubleDouble<V> tc = twoProduct(t, c);
  const DoubleDouble<V> one = fastTwoSum(splat<V>(1.0), tc.hi);
  const DoubleDouble<V> den = fastTwoSum(one.hi, one.lo + tc.lo);
  const V u = num.hi / den.hi;
  const DoubleDouble<V> p = twoProduct(u, den.hi);
  const V uTail = ((((num.hi - p.hi) - p.lo) + num.lo) - u * den.lo) / den.hi;
  const DoubleDouble<V> sum = twoSum(atanHi, u);
  return fastTwoSum(sum.hi, sum.lo + (atanLo + (uTail + atanSeriesTail(u))));
}

// The tail tl of the quotient t = num/den: num/den = t + tl to about 1e-32 (the remainder of
// the exact product t·den, which needs magnitudes well inside the exponent range).
template <class V>
V quotientTail(V t, V num, V den) {
  const DoubleDouble<V> p = twoProduct(t, den);
  return ((num - p.hi) - p.lo) / den;
}

}  // namespace elementary::kernels
