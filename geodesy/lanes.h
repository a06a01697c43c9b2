#pragma once

// Doubles computed side by side, lane by lane, with the IEEE operations of one double each:
// +, −, ×, ÷ and sqrt are correctly rounded per lane exactly as in scalar code (the build
// forbids contraction into FMA), so a formula written once for `double` and for `Lanes` gives
// each lane the bits the scalar code gives that lane's input.
//
// GCC's vector extension, one vector the width of a register of the instruction set (SSE2: 2
// doubles, AVX: 4; any other target's vectors), and kRegisters of them worked on side by side
// (each operation issued for every register in turn: independent instructions the CPU may
// overlap).
// The code is compiled once per instruction set (the including file defines
// QUORVEX_LANES_NAMESPACE to a name of its own), so no inline function of one instruction set
// can stand in for another's at link time.

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

#if defined(__AVX__)
inline constexpr int kRegisterLanes = 4;
#else
inline constexpr int kRegisterLanes = 2;
#endif
// Registers side by side. One: with two (QUORVEX_LANE_REGISTERS=2, for measuring) the
// formulas need more registers than x86-64 has, and the spilling costs more than the overlap
// gains (bench_split, project->ENU, baseline: 238 against 131 ns per vertex).
#if defined(QUORVEX_LANE_REGISTERS)
inline constexpr int kRegisters = QUORVEX_LANE_REGISTERS;
#else
inline constexpr int kRegisters = 1;
#endif
inline constexpr int kLaneCount = kRegisterLanes * kRegisters;

typedef double RawLanes __attribute__((vector_size(kRegisterLanes * sizeof(double))));
// All ones: true; 0: false.
typedef long long RawMask __attribute__((vector_size(kRegisterLanes * sizeof(long long))));

struct Lanes {
  RawLanes r[kRegisters];
};

struct Mask {
  RawMask r[kRegisters];
};

inline double lane(const Lanes& a, int i) { return a.r[i / kRegisterLanes][i % kRegisterLanes]; }
inline void setLane(Lanes& a, int i, double value) {
  a.r[i / kRegisterLanes][i % kRegisterLanes] = value;
}
inline bool lane(const Mask& a, int i) { return a.r[i / kRegisterLanes][i % kRegisterLanes] != 0; }

inline RawLanes registerOf(double value) {
  RawLanes v{};
  for (int i = 0; i < kRegisterLanes; ++i) v[i] = value;
  return v;
}

inline Lanes broadcast(double value) {
  Lanes out;
  for (int j = 0; j < kRegisters; ++j) out.r[j] = registerOf(value);
  return out;
}

inline Mask maskOf(bool value) {
  Mask out{};
  for (int j = 0; j < kRegisters; ++j) {
    for (int i = 0; i < kRegisterLanes; ++i) out.r[j][i] = value ? -1 : 0;
  }
  return out;
}

#define QUORVEX_LANES_BINARY(op)                                                      \
  inline Lanes operator op(Lanes a, Lanes b) {                                        \
    Lanes out;                                                                        \
    for (int j = 0; j < kRegisters; ++j) out.r[j] = a.r[j] op b.r[j];                 \
    return out;                                                                       \
  }                                                                                   \
  inline Lanes operator op(Lanes a, double b) { return a op broadcast(b); }           \
  inline Lanes operator op(double a, Lanes b) { return broadcast(a) op b; }
QUORVEX_LANES_BINARY(+)
QUORVEX_LANES_BINARY(-)
QUORVEX_LANES_BINARY(*)
QUORVEX_LANES_BINARY(/)
#undef QUORVEX_LANES_BINARY

inline Lanes operator-(Lanes a) {
  for (int j = 0; j < kRegisters; ++j) a.r[j] = -a.r[j];
  return a;
}

#define QUORVEX_LANES_COMPARE(op)                                                     \
  inline Mask operator op(Lanes a, Lanes b) {                                         \
    Mask out;                                                                         \
    for (int j = 0; j < kRegisters; ++j) out.r[j] = a.r[j] op b.r[j];                 \
    return out;                                                                       \
  }                                                                                   \
  inline Mask operator op(Lanes a, double b) { return a op broadcast(b); }
QUORVEX_LANES_COMPARE(<)
QUORVEX_LANES_COMPARE(<=)
QUORVEX_LANES_COMPARE(>)
QUORVEX_LANES_COMPARE(>=)
QUORVEX_LANES_COMPARE(==)
QUORVEX_LANES_COMPARE(!=)
#undef QUORVEX_LANES_COMPARE

inline Mask operator&(Mask a, Mask b) {
  for (int j = 0; j < kRegisters; ++j) a.r[j] &= b.r[j];
  return a;
}
inline Mask operator|(Mask a, Mask b) {
  for (int j = 0; j < kRegisters; ++j) a.r[j] |= b.r[j];
  return a;
}
inline Mask operator~(Mask a) {
  for (int j = 0; j < kRegisters; ++j) a.r[j] = ~a.r[j];
  return a;
}

inline bool all(Mask a) {
  for (int i = 0; i < kLaneCount; ++i) {
    if (!lane(a, i)) return false;
  }
  return true;
}

inline bool any(Mask a) {
  for (int i = 0; i < kLaneCount; ++i) {
    if (lane(a, i)) return true;
  }
  return false;
}

inline RawMask bitsOf(RawLanes a) {
  RawMask bits;
  std::memcpy(&bits, &a, sizeof bits);
  return bits;
}

inline RawLanes lanesOf(RawMask bits) {
  RawLanes a;
  std::memcpy(&a, &bits, sizeof a);
  return a;
}

// Lane by lane: `yes` where `m` is true, else `no` (bits, not arithmetic: NaNs and signed
// zeros pass unchanged).
inline Lanes select(Mask m, Lanes yes, Lanes no) {
  Lanes out;
  for (int j = 0; j < kRegisters; ++j) {
    out.r[j] = lanesOf((m.r[j] & bitsOf(yes.r[j])) | (~m.r[j] & bitsOf(no.r[j])));
  }
  return out;
}

// The lanes whose bit pattern has any of the bits of `bits` set.
inline Mask anyBitSet(Lanes a, long long bits) {
  RawMask pattern;
  for (int i = 0; i < kRegisterLanes; ++i) pattern[i] = bits;
  Mask out;
  for (int j = 0; j < kRegisters; ++j) {
    out.r[j] = (bitsOf(a.r[j]) & pattern) != (pattern & 0);
  }
  return out;
}

// The correctly rounded square root of each lane (IEEE requires it of every sqrt instruction).
inline Lanes sqrt(Lanes a) {
  for (int j = 0; j < kRegisters; ++j) {
#if defined(__AVX__)
    a.r[j] = _mm256_sqrt_pd(a.r[j]);
#elif defined(__SSE2__)
    a.r[j] = _mm_sqrt_pd(a.r[j]);
#else
    for (int i = 0; i < kRegisterLanes; ++i) a.r[j][i] = std::sqrt(a.r[j][i]);
#endif
  }
  return a;
}

inline Lanes abs(Lanes a) {
  RawMask magnitude;
  for (int i = 0; i < kRegisterLanes; ++i) magnitude[i] = 0x7fffffffffffffffLL;
  for (int j = 0; j < kRegisters; ++j) a.r[j] = lanesOf(bitsOf(a.r[j]) & magnitude);
  return a;
}

// Finite (neither infinite nor NaN) lanes.
inline Mask isFinite(Lanes a) { return abs(a) <= 1.7976931348623157e308; }

}  // namespace QUORVEX_LANES_NAMESPACE
