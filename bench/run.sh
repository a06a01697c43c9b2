#!/usr/bin/env bash
# Benchmarks the OBJ rewriting against cp on a generated tile and prints a table:
# median wall time of RUNS runs, vertices/s, MB/s (of the input, 10^6 bytes), the peak RSS
# of the process, and the median CPU time (user + system; steadier than the wall time when
# other work shares the machine). The ratios to cp are given for both times.
#
# Usage: bench/run.sh BUILD_DIR
#   BUILD_DIR holds make_tile, measure and bench_rewrite (cmake -DQUORVEX_BENCH=ON).
# Environment (optional):
#   QUORVEX_BENCH_DIR       work folder, reused between runs (default /tmp/quorvex-bench)
#   QUORVEX_BENCH_VERTICES  vertex count of the tile (default 1000000, about 148 MB)
#   QUORVEX_BENCH_RUNS      runs per row (default 5)
#
# Each case runs twice: writing a new file (the output is removed before each run, outside the
# timed part, as when converting into an empty folder) and replacing the file of the last run
# (an atomic replace then holds old and new file in the page cache at once).
#
# To add rows, call `row NAME OUTPUT COMMAND...` at the end: $tile is the input, $work the
# folder for outputs, OUTPUT the file or folder COMMAND writes, e.g.
#   row "quorvex zone" "$work/zone.obj" "$build/quorvex" -input="$tile" -coord=... \
#     -output="$work/zone.obj"
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$(realpath "$1")
work=${QUORVEX_BENCH_DIR:-/tmp/quorvex-bench}
vertices=${QUORVEX_BENCH_VERTICES:-1000000}
runs=${QUORVEX_BENCH_RUNS:-5}
for tool in make_tile measure bench_rewrite; do
  if [ ! -x "$build/$tool" ]; then
    echo "$0: $build/$tool is missing (configure with -DQUORVEX_BENCH=ON and build)" >&2
    exit 1
  fi
done

mkdir -p "$work"
tile="$work/tile-$vertices.obj"
if [ ! -s "$tile" ]; then
  echo "generating $tile ($vertices vertices)"
  "$build/make_tile" "$tile.part" "$vertices"
  mv "$tile.part" "$tile"
fi
bytes=$(stat -c %s "$tile")

echo "input: $tile, $vertices vertices, $bytes bytes; median of $runs runs"
echo "sanity: $("$build/bench_rewrite" "$tile" "$work/rewrite.obj")"
echo
printf '%-28s %10s %14s %10s %14s %10s\n' "what" "median s" "vertices/s" "MB/s" \
  "peak RSS MiB" "CPU s"

declare -A median_of cpu_of
failures=0
# measure_row NAME REMOVE COMMAND...: one line of the table; REMOVE (may be empty) is removed
# before each run.
measure_row() {
  local name=$1 remove=$2
  shift 2
  local result
  local options=()
  if [ -n "$remove" ]; then options=(--remove "$remove"); fi
  if ! result=$("$build/measure" "${options[@]}" "$runs" "$@" 2>/dev/null); then
    printf '%-28s %10s\n' "$name" "FAILED"
    failures=$((failures + 1))
    return 0
  fi
  local seconds kib cpu
  read -r seconds kib cpu <<<"$result"
  median_of[$name]=$seconds
  cpu_of[$name]=$cpu
  awk -v name="$name" -v s="$seconds" -v kib="$kib" -v cpu="$cpu" -v n="$vertices" \
    -v b="$bytes" 'BEGIN { printf "%-28s %10.3f %14.0f %10.1f %14.1f %10.3f\n",
                           name, s, n / s, b / 1e6 / s, kib / 1024, cpu }'
}

# row NAME OUTPUT COMMAND...: the two lines "NAME, new file" and "NAME, replacing".
row() {
  local name=$1 output=$2
  shift 2
  measure_row "$name, new file" "$output" "$@"
  measure_row "$name, replacing" "" "$@"
}

# ratio A B: the wall and CPU time of row A over those of row B.
ratio() {
  if [ -z "${median_of[$1]:-}" ] || [ -z "${median_of[$2]:-}" ]; then return 0; fi
  awk -v a="$1" -v b="$2" -v wa="${median_of[$1]}" -v wb="${median_of[$2]}" \
    -v ca="${cpu_of[$1]}" -v cb="${cpu_of[$2]}" \
    'BEGIN { printf "%s / %s: %.2f by wall time, %.2f by CPU time\n", a, b, wa / wb,
                    (cb > 0 ? ca / cb : 0) }'
}

row "cp" "$work/copy.obj" cp "$tile" "$work/copy.obj"
# cp copies inside the kernel (copy_file_range); dd reads and writes through a buffer as any
# rewriter must, so its row is the floor for one.
row "dd bs=1M" "$work/dd.obj" dd if="$tile" of="$work/dd.obj" bs=1M status=none
row "identity rewrite" "$work/rewrite.obj" "$build/bench_rewrite" "$tile" "$work/rewrite.obj"

echo
echo "target: identity rewrite <= 4 x cp by wall time, peak RSS < 32 MiB"
ratio "identity rewrite, new file" "cp, new file"
ratio "identity rewrite, replacing" "cp, replacing"
exit $((failures > 0))
