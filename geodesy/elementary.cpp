#include "geodesy/elementary.h"

#include <limits>

#include "geodesy/elementary_kernels.h"

namespace elementary {
namespace {

using namespace constants;
using DoubleDouble = kernels::DoubleDouble<double>;
using kernels::cosKernel;
using kernels::divide;
using kernels::fastTwoSum;
using kernels::minus;
using kernels::negated;
using kernels::sinKernel;
using kernels::twoSum;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr DoubleDouble kPiOver2{kPiOver2Hi, kPiOver2Lo};
constexpr DoubleDouble kPi{kPiHi, kPiLo};

struct Reduced {
  int quadrant;    // k mod 4
  DoubleDouble r;  // x − k·π/2, |r| ≤ π/4 (up to rounding)
};

Reduced reduce(double x) {
  // Already in [−π/4, π/4] (latitudes under 45° and most small angles): nothing to reduce.
  if (x <= kPiOver4 && x >= -kPiOver4) return {0, {x, 0.0}};
  double shifted;
  const DoubleDouble r = kernels::reduceByQuarterTurns(x, shifted);
  const long long n = static_cast<long long>(shifted - kRoundingShift);
  return {static_cast<int>(n & 3), r};
}

bool reducible(double x) {
  // Also false for NaN.
  return x <= kElementaryMaxArgument && x >= -kElementaryMaxArgument;
}

// sin and cos of x as double-doubles, by quadrant.
void sinCosPair(double x, DoubleDouble& s, DoubleDouble& c) {
  const Reduced red = reduce(x);
  const DoubleDouble sr = sinKernel(red.r);
  const DoubleDouble cr = cosKernel(red.r);
  switch (red.quadrant) {
    case 0: s = sr; c = cr; break;
    case 1: s = cr; c = negated(sr); break;
    case 2: s = negated(sr); c = negated(cr); break;
    default: s = negated(cr); c = sr; break;
  }
}

// atan(t + tl) for 0 ≤ t ≤ 1 (tl the tail of a quotient), as hi + lo:
// atan t = atan c + atan u, c = k/8 nearest t, u = (t − c)/(1 + t·c), |u| ≤ 1/16.
// atan c and atan u may nearly cancel (t just above 1/16: 0.124 − 0.058), so u is carried as
// a double-double: t − c is exact (Sterbenz, c/2 ≤ t ≤ 2c), 1 + t·c is formed exactly, and
// the quotient gets its remainder.
DoubleDouble atanUnit(double t, double tl) {
  const int k = static_cast<int>(t * 8.0 + 0.5);
  if (k == 0) return fastTwoSum(t, tl + kernels::atanSeriesTail(t));
  return kernels::atanAboutTableEntry(t, tl, k * 0.125, kAtanHi[k], kAtanLo[k]);
}

}  // namespace

// Each function evaluates only the kernel its quadrant needs; sincos and sincostan evaluate
// both from the same reduction, so every output has the bits of its own function.
double sin(double x) {
  if (x == 0.0) return x;  // keeps the sign of a zero
  if (!reducible(x)) return kNaN;
  const Reduced red = reduce(x);
  const DoubleDouble k = (red.quadrant & 1) == 0 ? sinKernel(red.r) : cosKernel(red.r);
  const double v = k.hi + k.lo;
  return red.quadrant >= 2 ? -v : v;
}

double cos(double x) {
  if (!reducible(x)) return kNaN;
  const Reduced red = reduce(x);
  const DoubleDouble k = (red.quadrant & 1) == 0 ? cosKernel(red.r) : sinKernel(red.r);
  const double v = k.hi + k.lo;
  return red.quadrant == 1 || red.quadrant == 2 ? -v : v;
}

void sincostan(double x, double& s, double& c, double& t) {
  if (x == 0.0) {
    s = t = x;
    c = 1.0;
    return;
  }
  if (!reducible(x)) {
    s = c = t = kNaN;
    return;
  }
  DoubleDouble sp, cp;
  sinCosPair(x, sp, cp);
  s = sp.hi + sp.lo;
  c = cp.hi + cp.lo;
  t = divide(sp, cp);
}

void sincos(double x, double& s, double& c) {
  if (x == 0.0) {
    s = x;
    c = 1.0;
    return;
  }
  if (!reducible(x)) {
    s = c = kNaN;
    return;
  }
  DoubleDouble sp, cp;
  sinCosPair(x, sp, cp);
  s = sp.hi + sp.lo;
  c = cp.hi + cp.lo;
}

double tan(double x) {
  if (x == 0.0) return x;
  if (!reducible(x)) return kNaN;
  DoubleDouble s, c;
  sinCosPair(x, s, c);
  return divide(s, c);
}

double atan2(double y, double x) {
  if (y != y || x != x) return kNaN;
  const double ay = y < 0 ? -y : y;
  const double ax = x < 0 ? -x : x;
  const bool yNegative = y < 0 || (y == 0 && 1.0 / y < 0);
  const bool xNegative = x < 0 || (x == 0 && 1.0 / x < 0);
  constexpr double kInf = std::numeric_limits<double>::infinity();
  DoubleDouble angle;  // in [0, π]
  if (ay == 0) {
    angle = xNegative ? kPi : DoubleDouble{0.0, 0.0};
  } else if (ax == 0) {
    angle = kPiOver2;
  } else if (ax == kInf || ay == kInf) {
    if (ax == kInf && ay == kInf) {
      const DoubleDouble quarter{kPiOver2.hi * 0.5, kPiOver2.lo * 0.5};
      angle = xNegative ? minus(kPi, quarter) : quarter;
    } else if (ax == kInf) {
      angle = xNegative ? kPi : DoubleDouble{0.0, 0.0};
    } else {
      angle = kPiOver2;
    }
  } else {
    // The smaller over the larger, with the quotient's tail: t + tl = num/den to ~1e-32.
    const bool swapped = ay > ax;
    const double num = swapped ? ax : ay;
    const double den = swapped ? ay : ax;
    const double t = num / den;
    double tl = 0.0;
    // The split of the exact product needs magnitudes well inside the exponent range.
    if (t >= kTinyQuotient && den <= kHugeDenominator) tl = kernels::quotientTail(t, num, den);
    DoubleDouble a = atanUnit(t, tl);
    if (swapped) a = minus(kPiOver2, a);
    if (xNegative) a = minus(kPi, a);
    angle = a;
  }
  const double result = angle.hi + angle.lo;
  return yNegative ? -result : result;
}

}  // namespace elementary
