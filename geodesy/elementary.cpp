#include "geodesy/elementary.h"

#include <limits>

// Every operation below is a single IEEE double operation in round-to-nearest; the build
// forbids contraction into FMA (-ffp-contract=off), so the order written is the order computed.

namespace elementary {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A value carried as an unevaluated sum hi + lo, |lo| ≤ ulp(hi)/2.
struct DoubleDouble {
  double hi;
  double lo;
};

// Knuth's TwoSum: a + b = s + e exactly.
DoubleDouble twoSum(double a, double b) {
  const double s = a + b;
  const double bv = s - a;
  const double av = s - bv;
  return {s, (a - av) + (b - bv)};
}

// Dekker's FastTwoSum, |a| ≥ |b| (or a = 0): a + b = s + e exactly.
DoubleDouble fastTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// Dekker's product with Veltkamp's split (2^27 + 1): a·b = p + e exactly, for |a|, |b| far
// below the overflow threshold, with basic operations only.
DoubleDouble twoProduct(double a, double b) {
  constexpr double kSplitter = 134217729.0;  // 2^27 + 1
  const double ca = kSplitter * a;
  const double ah = ca - (ca - a);
  const double al = a - ah;
  const double cb = kSplitter * b;
  const double bh = cb - (cb - b);
  const double bl = b - bh;
  const double p = a * b;
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

// π/2 in three parts: the first two of 33 significant bits each, so that k·part is exact for
// |k| ≤ 2^19 (53 bits); the third rounded. (Computed from π to 110 digits.)
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kPiOver2Part1 = 0x1.921fb54400000p+0;
constexpr double kPiOver2Part2 = 0x1.0b4611a600000p-34;
constexpr double kPiOver2Part3 = 0x1.3198a2e037073p-69;
// Rounds a value of magnitude below 2^51 to the nearest integer (ties to even): adding
// 1.5·2^52 leaves no fraction bits.
constexpr double kRoundingShift = 0x1.8p52;

struct Reduced {
  int quadrant;   // k mod 4
  DoubleDouble r;  // x − k·π/2, |r| ≤ π/4 (up to rounding)
};

// x = k·π/2 + r. x − k·p1 is exact (Sterbenz: x and k·p1 are within a factor 2 for k ≠ 0),
// and so are the products; the last two subtractions are carried as a double-double, so r is
// known to about 1e-30 absolute.
Reduced reduce(double x) {
  // Already in [−π/4, π/4] (latitudes under 45° and most small angles): nothing to reduce.
  if (x <= 0x1.921fb54442d18p-1 && x >= -0x1.921fb54442d18p-1) return {0, {x, 0.0}};
  const double k = (x * kTwoOverPi + kRoundingShift) - kRoundingShift;
  const double w = x - k * kPiOver2Part1;
  const DoubleDouble s = twoSum(w, -(k * kPiOver2Part2));
  const DoubleDouble r = fastTwoSum(s.hi, s.lo - k * kPiOver2Part3);
  const long long n = static_cast<long long>(k);
  return {static_cast<int>(n & 3), r};
}

// Taylor coefficients of sin x = x + S1·x³ + … + S8·x¹⁷ (−1/3!, 1/5!, …, 1/17!). On
// |x| ≤ π/4 the first term left out, x¹⁹/19!, is below 1e-19 of the result.
constexpr double kS1 = -1.0 / 6;
constexpr double kS2 = 1.0 / 120;
constexpr double kS3 = -1.0 / 5040;
constexpr double kS4 = 1.0 / 362880;
constexpr double kS5 = -1.0 / 39916800;
constexpr double kS6 = 1.0 / 6227020800;
constexpr double kS7 = -1.0 / 1307674368000;
constexpr double kS8 = 1.0 / 355687428096000;

// Taylor coefficients of cos x = 1 − x²/2 + C1·x⁴ + … + C7·x¹⁶ (1/4!, −1/6!, …, 1/16!). The
// first term left out, x¹⁸/18!, is below 3e-18 of the result.
constexpr double kC1 = 1.0 / 24;
constexpr double kC2 = -1.0 / 720;
constexpr double kC3 = 1.0 / 40320;
constexpr double kC4 = -1.0 / 3628800;
constexpr double kC5 = 1.0 / 479001600;
constexpr double kC6 = -1.0 / 87178291200;
constexpr double kC7 = 1.0 / 20922789888000;

// sin(x + y), |x| ≤ π/4, y the tail: sin x + y·cos x ≈ x + S1·x³ + x⁵·R + y·(1 − x²/2),
// with the leading x added last. Returned unevaluated (hi + lo).
DoubleDouble sinKernel(const DoubleDouble& a) {
  const double x = a.hi;
  const double y = a.lo;
  const double z = x * x;
  const double v = z * x;
  const double r = kS2 + z * (kS3 + z * (kS4 + z * (kS5 + z * (kS6 + z * (kS7 + z * kS8)))));
  const double small = -((z * (0.5 * y - v * r) - y) - v * kS1);
  return fastTwoSum(x, small);
}

// cos(x + y), |x| ≤ π/4: cos x − y·sin x ≈ 1 − x²/2 + x⁴·C(x²) − x·y. w = 1 − x²/2 rounded,
// its rounding error ((1 − w) − x²/2, exact) added back with the small terms.
DoubleDouble cosKernel(const DoubleDouble& a) {
  const double x = a.hi;
  const double y = a.lo;
  const double z = x * x;
  const double r = z * (kC1 + z * (kC2 + z * (kC3 + z * (kC4 + z * (kC5 + z * (kC6 + z * kC7))))));
  const double hz = 0.5 * z;
  const double w = 1.0 - hz;
  const double small = ((1.0 - w) - hz) + (z * r - x * y);
  return fastTwoSum(w, small);
}

bool reducible(double x) {
  // Also false for NaN.
  return x <= kElementaryMaxArgument && x >= -kElementaryMaxArgument;
}

DoubleDouble negated(const DoubleDouble& a) { return {-a.hi, -a.lo}; }

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

// (nh + nl) / (dh + dl), correctly to about 0.5 ulp: q = nh/dh, then one correction from the
// exact remainder nh − q·dh (Sterbenz makes nh − p exact; e is the product's error).
double divide(const DoubleDouble& n, const DoubleDouble& d) {
  const double q = n.hi / d.hi;
  const DoubleDouble p = twoProduct(q, d.hi);
  const double remainder = (((n.hi - p.hi) - p.lo) + n.lo) - q * d.lo;
  return q + remainder / d.hi;
}

// atan(k/8), k = 0..8, as hi + lo (computed from a series to 70 digits).
constexpr double kAtanHi[9] = {0.0,
                               0x1.fd5ba9aac2f6ep-4,
                               0x1.f5b75f92c80ddp-3,
                               0x1.6f61941e4def1p-2,
                               0x1.dac670561bb4fp-2,
                               0x1.1e00babdefeb4p-1,
                               0x1.4978fa3269ee1p-1,
                               0x1.700a7c5784634p-1,
                               0x1.921fb54442d18p-1};
constexpr double kAtanLo[9] = {0.0,
                               -0x1.cd37686760c17p-59,
                               0x1.8ab6e3cf7afbdp-57,
                               -0x1.c63aae6f6e918p-56,
                               0x1.a2b7f222f65e2p-56,
                               -0x1.928df287a668fp-58,
                               0x1.2419a87f2a458p-56,
                               -0x1.8c34d25aadef6p-56,
                               0x1.1a62633145c07p-55};
// π/2 and π as hi + lo.
constexpr DoubleDouble kPiOver2{0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
constexpr DoubleDouble kPi{0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53};

// atan u − u = u³·(−1/3 + u²/5 − … − u¹²/15) for |u| ≤ 1/16: the first term left out,
// u¹⁷/17, is below 1e-21 of u.
double atanSeriesTail(double u) {
  const double z = u * u;
  const double p =
      -1.0 / 3 +
      z * (1.0 / 5 + z * (-1.0 / 7 + z * (1.0 / 9 + z * (-1.0 / 11 + z * (1.0 / 13 + z * (-1.0 / 15))))));
  return u * z * p;
}

// atan(t + tl) for 0 ≤ t ≤ 1 (tl the tail of a quotient), as hi + lo:
// atan t = atan c + atan u, c = k/8 nearest t, u = (t − c)/(1 + t·c), |u| ≤ 1/16.
// atan c and atan u may nearly cancel (t just above 1/16: 0.124 − 0.058), so u is carried as
// a double-double: t − c is exact (Sterbenz, c/2 ≤ t ≤ 2c), 1 + t·c is formed exactly, and
// the quotient gets its remainder.
DoubleDouble atanUnit(double t, double tl) {
  const int k = static_cast<int>(t * 8.0 + 0.5);
  if (k == 0) return fastTwoSum(t, tl + atanSeriesTail(t));
  const double c = k * 0.125;
  const DoubleDouble num = twoSum(t - c, tl);
  const DoubleDouble tc = twoProduct(t, c);
  const DoubleDouble one = fastTwoSum(1.0, tc.hi);
  const DoubleDouble den = fastTwoSum(one.hi, one.lo + tc.lo);
  const double u = num.hi / den.hi;
  const DoubleDouble p = twoProduct(u, den.hi);
  const double uTail = ((((num.hi - p.hi) - p.lo) + num.lo) - u * den.lo) / den.hi;
  const DoubleDouble sum = twoSum(kAtanHi[k], u);
  return fastTwoSum(sum.hi, sum.lo + (kAtanLo[k] + (uTail + atanSeriesTail(u))));
}

// The hi + lo difference a − b of two double-doubles, rounded once at the end by the caller.
DoubleDouble minus(const DoubleDouble& a, const DoubleDouble& b) {
  const DoubleDouble s = twoSum(a.hi, -b.hi);
  return fastTwoSum(s.hi, s.lo + (a.lo - b.lo));
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
    if (t >= 0x1p-900 && den <= 0x1p900) {
      const DoubleDouble p = twoProduct(t, den);
      tl = ((num - p.hi) - p.lo) / den;
    }
    DoubleDouble a = atanUnit(t, tl);
    if (swapped) a = minus(kPiOver2, a);
    if (xNegative) a = minus(kPi, a);
    angle = a;
  }
  const double result = angle.hi + angle.lo;
  return yNegative ? -result : result;
}

}  // namespace elementary
