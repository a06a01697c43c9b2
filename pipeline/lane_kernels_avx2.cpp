// The lane code built for AVX2 (this file alone is compiled with -mavx2; no FMA, so each lane
// rounds as the baseline build does). Chosen at run time where the CPU has AVX2
// (pipeline/lane_code.h).
#if defined(QUORVEX_AVX2_LANES)
#define QUORVEX_LANES_NAMESPACE lanes_avx2
#include "pipeline/lane_kernels_body.h"
#endif
