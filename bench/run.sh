#!/usr/bin/env bash
# Benchmarks the OBJ rewriting against cp on a generated tile and prints a table:
# median wall time of RUNS runs, vertices/s, MB/s (of the input, 10^6 bytes) and the peak RSS
# of the process.
#
# Usage: bench/run.sh BUILD_DIR
#   BUILD_DIR holds make_tile, measure and bench_rewrite (cmake -DQUORVEX_BENCH=ON).
# Environment (optional):
#   QUORVEX_BENCH_DIR       work folder, reused between runs (default /tmp/quorvex-bench)
#   QUORVEX_BENCH_VERTICES  vertex count of the tile (default 1000000, about 148 MB)
#   QUORVEX_BENCH_RUNS      runs per row (default 5)
#
# To add a row, call `row NAME COMMAND...` at the end; $tile is the input and $work the
# folder for outputs, e.g.
#   row "quorvex zone" "$build/quorvex" -input="$tile" -coord=... -output="$work/zone.obj"
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
printf '%-28s %10s %14s %10s %14s\n' "what" "median s" "vertices/s" "MB/s" "peak RSS MiB"

declare -A median_of
# row NAME COMMAND...: measures COMMAND and prints one line of the table.
row() {
  local name=$1
  shift
  local result
  if ! result=$("$build/measure" "$runs" "$@" 2>/dev/null); then
    printf '%-28s %10s\n' "$name" "FAILED"
    return 1
  fi
  local seconds kib
  read -r seconds kib <<<"$result"
  median_of[$name]=$seconds
  awk -v name="$name" -v s="$seconds" -v kib="$kib" -v n="$vertices" -v b="$bytes" \
    'BEGIN { printf "%-28s %10.3f %14.0f %10.1f %14.1f\n", name, s, n / s, b / 1e6 / s, kib / 1024 }'
}

row "cp" cp "$tile" "$work/copy.obj"
row "identity rewrite" "$build/bench_rewrite" "$tile" "$work/rewrite.obj"

echo
awk -v r="${median_of[identity rewrite]}" -v c="${median_of[cp]}" \
  'BEGIN { printf "identity rewrite / cp: %.2f (target <= 4)\n", r / c }'
