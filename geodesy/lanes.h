#pragma once

// Four doubles computed side by side, lane by lane, with the IEEE operations of one double
// each: +, −, ×, ÷ and sqrt are correctly rounded per lane exactly as in scalar code (the build
// forbids contraction into FMA), so a formula written once for `double` and for `Lanes` gives
// each lane the bits the scalar code gives that lane's input.
//
// GCC's vector extension: the compiler maps a 32-byte vector onto two SSE2 registers, one AVX
// register, or any other target's vectors. The code is compiled once per instruction set
// (the including file defines QUORVEX_LANES_NAMESPACE to a name of its own), so no inline
// function of one instruction set can stand in for another's at link time.

#ifndef QUORVEX_LANES_NAMESPACE
#error "define QUORVEX_LANES_NAMESPACE before including geodesy/lanes.h"
#endif

#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace QUORVEX_LANES_NAMESPACE {

inline constexpr int kLaneCount = 4;

typedef double RawLanes __attribute__((vector_size(32)));
typedef long long RawMask __attribute__((vector_size(32)));  // all ones: true; 0: false

struct Mask {
  RawMask m;
};

struct Lanes {
  RawLanes v;
};

inline Lanes broadcast(double value) { return {RawLanes{value, value, value, value}}; }

inline Lanes operator+(Lanes a, Lanes b) { return {a.v + b.v}; }
inline Lanes operator-(Lanes a, Lanes b) { return {a.v - b.v}; }
inline Lanes operator*(Lanes a, Lanes b) { return {a.v * b.v}; }
inline Lanes operator/(Lanes a, Lanes b) { return {a.v / b.v}; }
inline Lanes operator+(Lanes a, double b) { return a + broadcast(b); }
inline Lanes operator-(Lanes a, double b) { return a - broadcast(b); }
inline Lanes operator*(Lanes a, double b) { return a * broadcast(b); }
inline Lanes operator/(Lanes a, double b) { return a / broadcast(b); }
inline Lanes operator+(double a, Lanes b) { return broadcast(a) + b; }
inline Lanes operator-(double a, Lanes b) { return broadcast(a) - b; }
inline Lanes operator*(double a, Lanes b) { return broadcast(a) * b; }
inline Lanes operator/(double a, Lanes b) { return broadcast(a) / b; }
inline Lanes operator-(Lanes a) { return {-a.v}; }

inline Mask operator<(Lanes a, Lanes b) { return {a.v < b.v}; }
inline Mask operator<=(Lanes a, Lanes b) { return {a.v <= b.v}; }
inline Mask operator>(Lanes a, Lanes b) { return {a.v > b.v}; }
inline Mask operator>=(Lanes a, Lanes b) { return {a.v >= b.v}; }
inline Mask operator==(Lanes a, Lanes b) { return {a.v == b.v}; }
inline Mask operator!=(Lanes a, Lanes b) { return {a.v != b.v}; }
inline Mask operator<(Lanes a, double b) { return a < broadcast(b); }
inline Mask operator<=(Lanes a, double b) { return a <= broadcast(b); }
inline Mask operator>(Lanes a, double b) { return a > broadcast(b); }
inline Mask operator>=(Lanes a, double b) { return a >= broadcast(b); }
inline Mask operator==(Lanes a, double b) { return a == broadcast(b); }
inline Mask operator!=(Lanes a, double b) { return a != broadcast(b); }

inline Mask operator&(Mask a, Mask b) { return {a.m & b.m}; }
inline Mask operator|(Mask a, Mask b) { return {a.m | b.m}; }
inline Mask operator!(Mask a) { return {~a.m}; }

inline bool all(Mask a) { return (a.m[0] & a.m[1] & a.m[2] & a.m[3]) != 0; }
inline bool any(Mask a) { return (a.m[0] | a.m[1] | a.m[2] | a.m[3]) != 0; }

// Lane by lane: `yes` where `m` is true, else `no` (bits, not arithmetic: NaNs and signed
// zeros pass unchanged).
inline Lanes select(Mask m, Lanes yes, Lanes no) {
  RawMask y, n;
  std::memcpy(&y, &yes.v, sizeof y);
  std::memcpy(&n, &no.v, sizeof n);
  const RawMask r = (m.m & y) | (~m.m & n);
  Lanes out;
  std::memcpy(&out.v, &r, sizeof r);
  return out;
}

// The raw bits of each lane.
inline RawMask bitsOf(Lanes a) {
  RawMask bits;
  std::memcpy(&bits, &a.v, sizeof bits);
  return bits;
}

inline Mask maskOfBits(RawMask bits) { return {bits != RawMask{0, 0, 0, 0}}; }

// The correctly rounded square root of each lane (IEEE requires it of every sqrt instruction).
inline Lanes sqrt(Lanes a) {
#if defined(__AVX__)
  return {_mm256_sqrt_pd(a.v)};
#elif defined(__SSE2__)
  __m128d low, high;
  std::memcpy(&low, &a.v, sizeof low);
  std::memcpy(&high, reinterpret_cast<const char*>(&a.v) + sizeof low, sizeof high);
  low = _mm_sqrt_pd(low);
  high = _mm_sqrt_pd(high);
  Lanes out;
  std::memcpy(&out.v, &low, sizeof low);
  std::memcpy(reinterpret_cast<char*>(&out.v) + sizeof low, &high, sizeof high);
  return out;
#else
  return {RawLanes{std::sqrt(a.v[0]), std::sqrt(a.v[1]), std::sqrt(a.v[2]), std::sqrt(a.v[3])}};
#endif
}

inline Lanes abs(Lanes a) {
  const RawMask bits = bitsOf(a) & RawMask{0x7fffffffffffffffLL, 0x7fffffffffffffffLL,
                                            0x7fffffffffffffffLL, 0x7fffffffffffffffLL};
  Lanes out;
  std::memcpy(&out.v, &bits, sizeof bits);
  return out;
}

// Finite (neither infinite nor NaN) lanes.
inline Mask isFinite(Lanes a) { return abs(a) <= broadcast(1.7976931348623157e308); }

// Four values from `p`, `stride` doubles apart.
inline Lanes gather(const double* p, std::size_t stride) {
  return {RawLanes{p[0], p[stride], p[2 * stride], p[3 * stride]}};
}

inline void scatter(Lanes a, double* p, std::size_t stride) {
  p[0] = a.v[0];
  p[stride] = a.v[1];
  p[2 * stride] = a.v[2];
  p[3 * stride] = a.v[3];
}

}  // namespace QUORVEX_LANES_NAMESPACE
