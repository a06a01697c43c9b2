#!/usr/bin/env bash
# Runs every libFuzzer target of tests/fuzz/ (each tests/fuzz/NAME_fuzz.cpp builds to
# BUILD_DIR/NAME_fuzz, see `make fuzz`) for SECONDS seconds each, and fails when any target
# finds a crash, a leak or a sanitizer report, or is missing from BUILD_DIR.
#
# Usage: tests/fuzz/run.sh BUILD_DIR SECONDS
#
# A seed corpus in tests/fuzz/corpus/NAME_fuzz/ is copied to a temporary folder first (the
# fuzzer adds the inputs it finds to its corpus folder; the repository stays unchanged), and
# tests/fuzz/NAME_fuzz.dict, when present, is passed as the dictionary. Inputs that make a
# target fail are kept in the printed folder, to be replayed with `BUILD_DIR/NAME_fuzz FILE`.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build=$(realpath "$1")
seconds=$2
case "$seconds" in
  '' | *[!0-9]*) echo "$0: SECONDS must be a whole number" >&2; exit 2 ;;
esac
here=$(cd "$(dirname "$0")" && pwd)

shopt -s nullglob
sources=("$here"/*_fuzz.cpp)
if [ ${#sources[@]} -eq 0 ]; then
  echo "no fuzz targets in $here"
  exit 0
fi

scratch=$(mktemp -d /tmp/quorvex-fuzz-XXXXXX)
failed=()
for source in "${sources[@]}"; do
  name=$(basename "$source" .cpp)
  binary="$build/$name"
  if [ ! -x "$binary" ]; then
    echo "== $name: not built ($binary missing)"
    failed+=("$name")
    continue
  fi
  corpus="$scratch/$name/corpus"
  artifacts="$scratch/$name/artifacts"
  mkdir -p "$corpus" "$artifacts"
  if [ -d "$here/corpus/$name" ]; then
    cp -R "$here/corpus/$name/." "$corpus/"
  fi
  options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/")
  if [ -f "$here/$name.dict" ]; then
    options+=(-dict="$here/$name.dict")
  fi
  echo "== $name: ${seconds}s, seed inputs: $(find "$corpus" -type f | wc -l)"
  if "$binary" "${options[@]}" "$corpus" >"$scratch/$name/log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$scratch/$name/log" || true
  else
    echo "== $name FAILED; last lines of its log ($scratch/$name/log):"
    tail -n 30 "$scratch/$name/log"
    echo "failing inputs: $artifacts"
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz targets failed: ${failed[*]} (logs and inputs kept in $scratch)"
  exit 1
fi
rm -rf "$scratch"
echo "all ${#sources[@]} fuzz targets ran ${seconds}s without failure"
