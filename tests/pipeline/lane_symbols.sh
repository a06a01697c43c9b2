#!/usr/bin/env bash
# The object built for AVX2 (pipeline/lane_kernels_avx2.cpp, compiled with -mavx2) must define
# nothing the linker could keep for the rest of the program: its entry, and functions whose
# name holds its own lane types, only. An inline function shared with other files (a getter,
# std::optional's members) left out of line there would be compiled with AVX2 instructions,
# and the linker may keep that copy for every caller: the program would stop with an illegal
# instruction on a CPU without AVX2, where only the baseline lanes should run.
#
# Usage: lane_symbols.sh NM OBJECTS   (OBJECTS: the library's objects, separated by ';')
set -euo pipefail
nm=$1
object=$(tr ';' '\n' <<<"$2" | grep 'lane_kernels_avx2\.cpp\.o$' || true)
if [ -z "$object" ] || [ ! -f "$object" ]; then
  echo "no AVX2 lane object among the library's objects" >&2
  exit 1
fi
# Global and weak functions: what the linker chooses among (data, such as the constant
# tables, holds the same bytes whatever the instruction set).
defined=$("$nm" -C --defined-only "$object" | awk '$2 ~ /^[TW]$/ { $1 = ""; $2 = ""; print }')
shared=$(grep -v 'lanes_avx2::' <<<"$defined" || true)
if [ -n "$shared" ]; then
  echo "$object defines functions other files may share, compiled for AVX2:" >&2
  echo "$shared" >&2
  exit 1
fi
echo "$(wc -l <<<"$defined") function(s) defined in the AVX2 object, all its own"
