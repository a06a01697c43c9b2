#pragma once

// The elementary functions of geodesy/elementary.h on lanes: each lane gets the bits the
// one-value function gives its argument, for every argument (zeros, NaN, arguments beyond
// kElementaryMaxArgument), except where atan2 says a lane is not its own (see there).
//
// Both forms run the arithmetic of geodesy/elementary_kernels.h. The one-value functions
// branch on the argument; here every lane computes every branch that any lane needs and keeps
// its own by a bitwise select, so each lane runs through the same IEEE operations in the same
// order as the one-value code. A branch no lane needs is skipped (the reduction when all
// arguments lie within ±π/4, the kernel no lane's quadrant needs): that changes the time, not
// the bits.
//
// Include geodesy/lanes.h first (with its namespace defined).

#include <limits>

#include "geodesy/elementary.h"
#include "geodesy/elementary_kernels.h"

template <>
inline QUORVEX_LANES_NAMESPACE::Lanes elementary::kernels::splat(double value) {
  return QUORVEX_LANES_NAMESPACE::broadcast(value);
}

namespace QUORVEX_LANES_NAMESPACE {

namespace lane_detail {

using namespace elementary::constants;
using DoubleDouble = elementary::kernels::DoubleDouble<Lanes>;
using elementary::kernels::cosKernel;
using elementary::kernels::fastTwoSum;
using elementary::kernels::minus;
using elementary::kernels::negated;
using elementary::kernels::sinKernel;

inline DoubleDouble select(Mask m, const DoubleDouble& yes, const DoubleDouble& no) {
  return {QUORVEX_LANES_NAMESPACE::select(m, yes.hi, no.hi),
          QUORVEX_LANES_NAMESPACE::select(m, yes.lo, no.lo)};
}

struct Reduced {
  Mask odd;    // quadrant 1 or 3
  Mask upper;  // quadrant 2 or 3
  DoubleDouble r;
};

inline Reduced reduce(Lanes x) {
  const Mask small = (x <= kPiOver4) & (x >= -kPiOver4);
  const Lanes zero = broadcast(0.0);
  const Mask none = maskOf(false);
  if (all(small)) return {none, none, {x, zero}};
  Lanes shifted;
  const DoubleDouble r = elementary::kernels::reduceByQuarterTurns(x, shifted);
  // The significand of `shifted` ends in k modulo 4.
  const Mask odd = ~small & anyBitSet(shifted, 1);
  const Mask upper = ~small & anyBitSet(shifted, 2);
  return {odd, upper, select(small, DoubleDouble{x, zero}, r)};
}

inline Mask reducible(Lanes x) {
  return (x <= elementary::kElementaryMaxArgument) & (x >= -elementary::kElementaryMaxArgument);
}

inline Lanes nan() { return broadcast(std::numeric_limits<double>::quiet_NaN()); }

// Where all lanes agree, the branch they take, decided once for the group: a tile's points
// share their quadrants and signs, and then the selects are left out.
enum class Lanewise { none, all, mixed };

inline Lanewise lanewise(Mask m) {
  if (all(m)) return Lanewise::all;
  return any(m) ? Lanewise::mixed : Lanewise::none;
}

// `a` where `m` (a choice made for all lanes or per lane), else `b`.
inline DoubleDouble choose(Lanewise how, Mask m, const DoubleDouble& a, const DoubleDouble& b) {
  switch (how) {
    case Lanewise::all: return a;
    case Lanewise::none: return b;
    case Lanewise::mixed: break;
  }
  return select(m, a, b);
}

// sin and cos of x as double-doubles, by quadrant: 0 (s, c); 1 (c, −s); 2 (−s, −c); 3 (−c, s).
inline void sinCosPair(Lanes x, DoubleDouble& s, DoubleDouble& c) {
  const Reduced red = reduce(x);
  const DoubleDouble sr = sinKernel(red.r);
  const DoubleDouble cr = cosKernel(red.r);
  const Lanewise odd = lanewise(red.odd);
  const Lanewise upper = lanewise(red.upper);
  const DoubleDouble sOdd = choose(odd, red.odd, cr, sr);
  const DoubleDouble cOdd = choose(odd, red.odd, negated(sr), cr);
  s = choose(upper, red.upper, negated(sOdd), sOdd);
  c = choose(upper, red.upper, negated(cOdd), cOdd);
}

// Whether no lane is a zero or an argument that cannot be reduced (the common case).
inline bool ordinary(Lanes x) { return all(reducible(x) & (x != 0.0)); }

// The one-value functions' answers for a zero argument (the zero itself, cosine 1) and for
// one that cannot be reduced (NaN), over `value`.
inline Lanes special(Lanes x, Lanes zeroAnswer, Lanes value) {
  return select(~reducible(x), nan(), select(x == 0.0, zeroAnswer, value));
}

// atan(t + tl) for 0 ≤ t ≤ 1 in every lane (the table is indexed by it).
inline DoubleDouble atanUnit(Lanes t, Lanes tl) {
  // k = trunc(t·8 + 0.5), as the one-value code's conversion to int: round to nearest, then
  // one down where that went up.
  const Lanes v = t * 8.0 + 0.5;
  Lanes k = (v + kRoundingShift) - kRoundingShift;
  k = QUORVEX_LANES_NAMESPACE::select(k > v, k - 1.0, k);
  const Mask zero = k == 0.0;
  const DoubleDouble first = fastTwoSum(t, tl + elementary::kernels::atanSeriesTail(t));
  if (all(zero)) return first;
  Lanes atanHi{}, atanLo{};
  for (int i = 0; i < kLaneCount; ++i) {
    const int index = static_cast<int>(lane(k, i));
    setLane(atanHi, i, kAtanHi[index]);
    setLane(atanLo, i, kAtanLo[index]);
  }
  return select(zero, first,
                elementary::kernels::atanAboutTableEntry(t, tl, k * 0.125, atanHi, atanLo));
}

}  // namespace lane_detail

inline void sincos(Lanes x, Lanes& s, Lanes& c) {
  using namespace lane_detail;
  DoubleDouble sp, cp;
  sinCosPair(x, sp, cp);
  s = sp.hi + sp.lo;
  c = cp.hi + cp.lo;
  if (ordinary(x)) return;
  s = special(x, x, s);
  c = special(x, broadcast(1.0), c);
}

inline void sincostan(Lanes x, Lanes& s, Lanes& c, Lanes& t) {
  using namespace lane_detail;
  DoubleDouble sp, cp;
  sinCosPair(x, sp, cp);
  s = sp.hi + sp.lo;
  c = cp.hi + cp.lo;
  t = elementary::kernels::divide(sp, cp);
  if (ordinary(x)) return;
  s = special(x, x, s);
  c = special(x, broadcast(1.0), c);
  t = special(x, x, t);
}

inline Lanes sin(Lanes x) {
  using namespace lane_detail;
  const Reduced red = reduce(x);
  DoubleDouble k{};
  switch (lanewise(red.odd)) {
    case Lanewise::none: k = sinKernel(red.r); break;
    case Lanewise::all: k = cosKernel(red.r); break;
    case Lanewise::mixed: k = select(red.odd, cosKernel(red.r), sinKernel(red.r)); break;
  }
  const Lanes v = k.hi + k.lo;
  Lanes signed_ = v;
  switch (lanewise(red.upper)) {
    case Lanewise::none: break;
    case Lanewise::all: signed_ = -v; break;
    case Lanewise::mixed: signed_ = QUORVEX_LANES_NAMESPACE::select(red.upper, -v, v); break;
  }
  return ordinary(x) ? signed_ : special(x, x, signed_);
}

// atan2 for the lanes where `regular` comes back true: both arguments finite and not zero,
// and the quotient of the smaller by the larger magnitude at least kTinyQuotient with the
// larger at most kHugeDenominator. There each lane has the one-value atan2's bits; the other
// lanes hold no meaningful value and must be computed by the one-value function.
inline Lanes atan2(Lanes y, Lanes x, Mask& regular) {
  using namespace lane_detail;
  const Lanes ay = abs(y);
  const Lanes ax = abs(x);
  const Mask swapped = ay > ax;
  const Lanes num = QUORVEX_LANES_NAMESPACE::select(swapped, ax, ay);
  const Lanes den = QUORVEX_LANES_NAMESPACE::select(swapped, ay, ax);
  const Lanes quotient = num / den;
  regular = isFinite(x) & isFinite(y) & (ax != 0.0) & (ay != 0.0) &
            (quotient >= kTinyQuotient) & (den <= kHugeDenominator);
  // The other lanes get t = 0, which keeps the table index in range.
  const Lanes zero = broadcast(0.0);
  const Lanes t = QUORVEX_LANES_NAMESPACE::select(regular, quotient, zero);
  const Lanes tl = QUORVEX_LANES_NAMESPACE::select(
      regular, elementary::kernels::quotientTail(t, num, den), zero);
  DoubleDouble a = atanUnit(t, tl);
  const DoubleDouble piOver2{broadcast(kPiOver2Hi), broadcast(kPiOver2Lo)};
  const DoubleDouble pi{broadcast(kPiHi), broadcast(kPiLo)};
  const Lanewise swap = lanewise(swapped);
  if (swap != Lanewise::none) a = choose(swap, swapped, minus(piOver2, a), a);
  const Mask xNegative = x < 0.0;
  const Lanewise left = lanewise(xNegative);
  if (left != Lanewise::none) a = choose(left, xNegative, minus(pi, a), a);
  const Lanes result = a.hi + a.lo;
  return QUORVEX_LANES_NAMESPACE::select(y < 0.0, -result, result);
}

}  // namespace QUORVEX_LANES_NAMESPACE
