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

// Vectors wider than the baseline's registers are passed in memory where a function is not
// inlined; that calling convention changed in GCC 4.6, which GCC notes for every such
// function. The lane functions are inline and never cross a library boundary.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace QUORVEX_LANES_NAMESPACE {

// Lanes per vector: the width of one register of the instruction set (SSE2: 2, AVX: 4), times
// QUORVEX_LANE_REGISTERS registers worked on side by side.
#if !defined(QUORVEX_LANE_REGISTERS)
#define QUORVEX_LANE_REGISTERS 1
#endif
#if defined(__AVX__)
inline constexpr int kLaneCount = 4 * QUORVEX_LANE_REGISTERS;
#else
inline constexpr int kLaneCount = 2 * QUORVEX_LANE_REGISTERS;
#endif

typedef double RawLanes __attribute__((vector_size(kLaneCount * sizeof(double))));
// All ones: true; 0: false.
typedef long long RawMask __attribute__((vector_size(kLaneCount * sizeof(long long))));

struct Mask {
  RawMask m;
};

struct Lanes {
  RawLanes v;
};

inline Lanes broadcast(double value) {
  Lanes out;
  for (int i = 0; i < kLaneCount; ++i) out.v[i] = value;
  return out;
}

inline RawMask broadcastBits(long long bits) {
  RawMask out;
  for (int i = 0; i < kLaneCount; ++i) out[i] = bits;
  return out;
}

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
inline Mask operator~(Mask a) { return {~a.m}; }

inline bool all(Mask a) {
  long long bits = -1;
  for (int i = 0; i < kLaneCount; ++i) bits &= a.m[i];
  return bits != 0;
}

inline bool any(Mask a) {
  long long bits = 0;
  for (int i = 0; i < kLaneCount; ++i) bits |= a.m[i];
  return bits != 0;
}

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

inline Mask maskOfBits(RawMask bits) { return {bits != broadcastBits(0)}; }

// The correctly rounded square root of each lane (IEEE requires it of every sqrt instruction).
inline Lanes sqrt(Lanes a) {
#if defined(__AVX__)
  constexpr int kPerRegister = 4;
  typedef __m256d Register;
#define QUORVEX_LANES_SQRT _mm256_sqrt_pd
#elif defined(__SSE2__)
  constexpr int kPerRegister = 2;
  typedef __m128d Register;
#define QUORVEX_LANES_SQRT _mm_sqrt_pd
#endif
#if defined(QUORVEX_LANES_SQRT)
  static_assert(kLaneCount % kPerRegister == 0);
  Lanes out;
  for (int i = 0; i < kLaneCount; i += kPerRegister) {
    Register r;
    std::memcpy(&r, reinterpret_cast<const char*>(&a.v) + i * sizeof(double), sizeof r);
    r = QUORVEX_LANES_SQRT(r);
    std::memcpy(reinterpret_cast<char*>(&out.v) + i * sizeof(double), &r, sizeof r);
  }
  return out;
#undef QUORVEX_LANES_SQRT
#else
  Lanes out;
  for (int i = 0; i < kLaneCount; ++i) out.v[i] = std::sqrt(a.v[i]);
  return out;
#endif
}

inline Lanes abs(Lanes a) {
  const RawMask bits = bitsOf(a) & broadcastBits(0x7fffffffffffffffLL);
  Lanes out;
  std::memcpy(&out.v, &bits, sizeof bits);
  return out;
}

// Finite (neither infinite nor NaN) lanes.
inline Mask isFinite(Lanes a) { return abs(a) <= broadcast(1.7976931348623157e308); }

}  // namespace QUORVEX_LANES_NAMESPACE
