// The lane code for the instruction set the whole program is built for (SSE2 on x86-64).
#define QUORVEX_LANES_NAMESPACE lanes_baseline
#include "pipeline/lane_kernels_body.h"
