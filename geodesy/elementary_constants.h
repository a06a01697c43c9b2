#pragma once

// The constants of the project's elementary functions, shared by the one-value form
// (geodesy/elementary.cpp) and the lane form (geodesy/lane_elementary.h), which must give
// the same bits.

namespace elementary::constants {

// π/2 in three parts: the first two of 33 significant bits each, so that k·part is exact for
// |k| ≤ 2^19 (53 bits); the third rounded. (Computed from π to 110 digits.)
inline constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
inline constexpr double kPiOver2Part1 = 0x1.921fb54400000p+0;
inline constexpr double kPiOver2Part2 = 0x1.0b4611a600000p-34;
inline constexpr double kPiOver2Part3 = 0x1.3198a2e037073p-69;
// π/4 rounded down: arguments within ±kPiOver4 need no reduction.
inline constexpr double kPiOver4 = 0x1.921fb54442d18p-1;
// Rounds a value of magnitude below 2^51 to the nearest integer (ties to even): adding
// 1.5·2^52 leaves no fraction bits, and the two lowest bits of the sum's significand are the
// integer's modulo 4.
inline constexpr double kRoundingShift = 0x1.8p52;
// Veltkamp's splitter, 2^27 + 1: splits a double into two halves of 26 bits.
inline constexpr double kSplitter = 134217729.0;

// Taylor coefficients of sin x = x + S1·x³ + … + S8·x¹⁷ (−1/3!, 1/5!, …, 1/17!). On
// |x| ≤ π/4 the first term left out, x¹⁹/19!, is below 1e-19 of the result.
inline constexpr double kS1 = -1.0 / 6;
inline constexpr double kS2 = 1.0 / 120;
inline constexpr double kS3 = -1.0 / 5040;
inline constexpr double kS4 = 1.0 / 362880;
inline constexpr double kS5 = -1.0 / 39916800;
inline constexpr double kS6 = 1.0 / 6227020800;
inline constexpr double kS7 = -1.0 / 1307674368000;
inline constexpr double kS8 = 1.0 / 355687428096000;

// Taylor coefficients of cos x = 1 − x²/2 + C1·x⁴ + … + C7·x¹⁶ (1/4!, −1/6!, …, 1/16!). The
// first term left out, x¹⁸/18!, is below 3e-18 of the result.
inline constexpr double kC1 = 1.0 / 24;
inline constexpr double kC2 = -1.0 / 720;
inline constexpr double kC3 = 1.0 / 40320;
inline constexpr double kC4 = -1.0 / 3628800;
inline constexpr double kC5 = 1.0 / 479001600;
inline constexpr double kC6 = -1.0 / 87178291200;
inline constexpr double kC7 = 1.0 / 20922789888000;

// atan(k/8), k = 0..8, as hi + lo (computed from a series to 70 digits).
inline constexpr double kAtanHi[9] = {0.0,
                                      0x1.fd5ba9aac2f6ep-4,
                                      0x1.f5b75f92c80ddp-3,
                                      0x1.6f61941e4def1p-2,
                                      0x1.dac670561bb4fp-2,
                                      0x1.1e00babdefeb4p-1,
                                      0x1.4978fa3269ee1p-1,
                                      0x1.700a7c5784634p-1,
                                      0x1.921fb54442d18p-1};
inline constexpr double kAtanLo[9] = {0.0,
                                      -0x1.cd37686760c17p-59,
                                      0x1.8ab6e3cf7afbdp-57,
                                      -0x1.c63aae6f6e918p-56,
                                      0x1.a2b7f222f65e2p-56,
                                      -0x1.928df287a668fp-58,
                                      0x1.2419a87f2a458p-56,
                                      -0x1.8c34d25aadef6p-56,
                                      0x1.1a62633145c07p-55};
// π/2 and π as hi + lo.
inline constexpr double kPiOver2Hi = 0x1.921fb54442d18p+0;
inline constexpr double kPiOver2Lo = 0x1.1a62633145c07p-54;
inline constexpr double kPiHi = 0x1.921fb54442d18p+1;
inline constexpr double kPiLo = 0x1.1a62633145c07p-53;

// atan2 forms the tail of its quotient t = num/den only for t ≥ kTinyQuotient and
// den ≤ kHugeDenominator, where the exact product t·den can be split without overflow or
// loss below the exponent range.
inline constexpr double kTinyQuotient = 0x1p-900;
inline constexpr double kHugeDenominator = 0x1p900;

}  // namespace elementary::constants
