#!/usr/bin/env bash
# Benchmarks the OBJ rewriting and the three conversions of quorvex (in lanes, and one vertex at
# a time) against cp, dd and PROJ's cct on a generated tile and prints a table: median wall
# time of RUNS runs, vertices/s, MB/s (of the tile, 10^6 bytes), the peak RSS of the process,
# and the median CPU time (user + system; steadier than the wall time when other work shares
# the machine). Then the ratios against the goals, and the time split of project->ENU by stage
# (bench_split).
#
# Usage: bench/run.sh BUILD_DIR
#   BUILD_DIR holds quorvex, make_tile, make_coords, measure, bench_rewrite and bench_split
#   (cmake -DQUORVEX_BENCH=ON).
# Environment (optional):
#   QUORVEX_BENCH_DIR       work folder, reused between runs (default /tmp/quorvex-bench)
#   QUORVEX_BENCH_VERTICES  vertex count of the tile (default 1000000, about 148 MB)
#   QUORVEX_BENCH_RUNS      runs per row (default 5)
#   QUORVEX_BENCH_COORD     Custom Gauss object document of the tile's frame
#                           (default data/coord-gauss117.json)
#
# Each case runs twice: writing a new file (the output is removed before each run, outside the
# timed part, as when converting into an empty folder) and replacing the file of the last run
# (an atomic replace then holds old and new file in the page cache at once).
#
# Made once, outside the timed part, in the work folder:
#   base.txt            the base point quorvex computes for the tile (project->ENU without
#                       -inputbase); the -inputbase of the other ENU rows and cct's origin
#   enu-input.obj       the tile converted to ENU: the input of the ENU->project row
#   vertices-N.xyz      the tile's vertices as "x y z" lines: cct's input
#   vertices-N.obj      the tile's `v` lines alone: quorvex's like-for-like input
#   coord-plain.json    Custom Gauss, CM 117, CGCS2000, no surface height, no corrections:
#                       the frame of cct's pipeline
#   metadata-zero.xml, metadata-origin.xml   <SRS>EPSG:4548</SRS> with <SRSOrigin> 0,0,0 and
#                       500000,3320000,0; tile-relative.obj: the tile's v lines less the
#                       latter (what a production relative to that origin holds)
#   coord-control.json, coord-three.json   by make_coords: a Control points document, and
#                       three copies of the coordinate file with adjacent 100-point boundaries
#
# To add rows, call `row NAME OUTPUT COMMAND...` below: $tile is the input, $work the folder
# for outputs, OUTPUT the file or folder COMMAND writes, e.g.
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
coord=$(realpath "${QUORVEX_BENCH_COORD:-$(dirname "$0")/../data/coord-gauss117.json}")
for tool in quorvex make_tile make_coords measure bench_rewrite bench_split; do
  if [ ! -x "$build/$tool" ]; then
    echo "$0: $build/$tool is missing (configure with -DQUORVEX_BENCH=ON and build)" >&2
    exit 1
  fi
done
quorvex=$build/quorvex

mkdir -p "$work"
tile="$work/tile-$vertices.obj"
if [ ! -s "$tile" ]; then
  echo "generating $tile ($vertices vertices)"
  "$build/make_tile" "$tile.part" "$vertices"
  mv "$tile.part" "$tile"
fi
bytes=$(stat -c %s "$tile")

# The base point quorvex computes for the tile ("ENU:lat,lon"), as -inputbase ("ENU:lon,lat").
"$quorvex" -input="$tile" -coord="$coord" -output="$work/enu-base.obj" -toProj=0 \
  -base="$work/base.txt" >/dev/null
rm -f "$work/enu-base.obj"
base=$(cat "$work/base.txt")
base=${base#ENU:}
base_lat=${base%%,*}
base_lon=${base#*,}
inputbase="ENU:$base_lon,$base_lat"
enu=(-toProj=0 -inputbase="$inputbase")
"$quorvex" -input="$tile" -coord="$coord" -output="$work/enu-input.obj" "${enu[@]}" >/dev/null

xyz="$work/vertices-$vertices.xyz"
vonly="$work/vertices-$vertices.obj"
if [ ! -s "$xyz" ] || [ ! -s "$vonly" ]; then
  grep '^v ' "$tile" >"$vonly.part"
  cut -c3- "$vonly.part" >"$xyz.part"
  mv "$vonly.part" "$vonly"
  mv "$xyz.part" "$xyz"
fi
cat >"$work/coord-plain.json" <<'JSON'
{
  "projectid": "bench-plain-117",
  "type": "Custom Gauss",
  "define": {
    "centralMeridianLongitude": 117.0, "centralOriginLatitude": 0, "ellipsoid": "CGCS2000",
    "surfaceheight": 0, "xoffset": 500000, "yoffset": 0
  }
}
JSON
# The frame change of project->ENU on coord-plain.json: CGCS2000 and GRS80 share a and f.
# cct -d 6 writes six decimals, as quorvex does.
cct_pipeline=(+proj=pipeline +step +inv +proj=tmerc +lon_0=117 +x_0=500000 +ellps=GRS80
              +step +proj=cart +ellps=WGS84
              +step +proj=topocentric +ellps=WGS84 +lon_0="$base_lon" +lat_0="$base_lat" +h_0=0)
have_cct=0
if command -v cct >/dev/null; then have_cct=1; fi

echo "input: $tile, $vertices vertices, $bytes bytes; median of $runs runs"
echo "coordinate file: $coord; computed base point: $(cat "$work/base.txt")"
echo "sanity: $("$build/bench_rewrite" "$tile" "$work/rewrite.obj")"
echo "sanity: $("$build/make_coords" "$tile" "$coord" "$work")"
if [ "$have_cct" = 1 ]; then
  first_cct=$(head -n 1 "$xyz" | cct -d 6 "${cct_pipeline[@]}" | awk '{ print $1, $2, $3 }')
  head -n 1 "$vonly" >"$work/first.obj"
  "$quorvex" -input="$work/first.obj" -coord="$work/coord-plain.json" \
    -output="$work/first-enu.obj" "${enu[@]}" >/dev/null
  echo "sanity: first vertex, plain Gauss->ENU: cct $first_cct," \
    "quorvex $(cut -c3- "$work/first-enu.obj")"
  rm -f "$work/first.obj" "$work/first-enu.obj"
else
  echo "cct not found (Debian package proj-bin): its row is left out"
fi
echo
printf '%-52s %9s %12s %8s %13s %8s\n' "what" "median s" "vertices/s" "MB/s" \
  "peak RSS MiB" "CPU s"

declare -A median_of cpu_of kib_of
failures=0
# measure_row NAME REMOVE COMMAND...: one line of the table; REMOVE (may be empty) is removed
# before each run; measure syncs before each run.
measure_row() {
  local name=$1 remove=$2
  shift 2
  local result
  local options=()
  if [ -n "$remove" ]; then options=(--remove "$remove"); fi
  if ! result=$("$build/measure" "${options[@]}" "$runs" "$@" 2>/dev/null); then
    printf '%-52s %9s\n' "$name" "FAILED"
    failures=$((failures + 1))
    return 0
  fi
  local seconds kib cpu
  read -r seconds kib cpu <<<"$result"
  median_of[$name]=$seconds
  cpu_of[$name]=$cpu
  kib_of[$name]=$kib
  awk -v name="$name" -v s="$seconds" -v kib="$kib" -v cpu="$cpu" -v n="$vertices" \
    -v b="$bytes" 'BEGIN { printf "%-52s %9.3f %12.0f %8.1f %13.1f %8.3f\n",
                           name, s, n / s, b / 1e6 / s, kib / 1024, cpu }'
}

# row NAME OUTPUT COMMAND...: the two lines "NAME, new file" and "NAME, replacing".
row() {
  local name=$1 output=$2
  shift 2
  measure_row "$name, new file" "$output" "$@"
  measure_row "$name, replacing" "" "$@"
}

# ratio A B GOAL: the wall and CPU time of row A over those of row B, and the goal.
ratio() {
  if [ -z "${median_of[$1]:-}" ] || [ -z "${median_of[$2]:-}" ]; then return 0; fi
  awk -v a="$1" -v b="$2" -v wa="${median_of[$1]}" -v wb="${median_of[$2]}" \
    -v ca="${cpu_of[$1]}" -v cb="${cpu_of[$2]}" -v goal="$3" \
    'BEGIN { printf "  %s / %s:\n    %.2f by wall time, %.2f by CPU time (goal %s)\n",
                    a, b, wa / wb, (cb > 0 ? ca / cb : 0), goal }'
}

# per_vertex A B BASE GOAL: the conversion cost per vertex of row A over that of row B, where
# a row's cost per vertex is (its time - the time of row BASE) / vertices; by wall and by CPU
# time.
per_vertex() {
  local key
  for key in "$1" "$2" "$3"; do
    if [ -z "${median_of[$key]:-}" ]; then return 0; fi
  done
  awk -v a="$1" -v b="$2" -v base="$3" -v wa="${median_of[$1]}" -v wb="${median_of[$2]}" \
    -v w0="${median_of[$3]}" -v ca="${cpu_of[$1]}" -v cb="${cpu_of[$2]}" \
    -v c0="${cpu_of[$3]}" -v n="$vertices" -v goal="$4" \
    'BEGIN { printf "  per-vertex cost (time - %s) / vertices,\n", base;
             printf "  %s / %s:\n", a, b;
             printf "    wall %.0f / %.0f ns = %.2f, CPU %.0f / %.0f ns = %.2f (goal %s)\n",
                    (wa - w0) / n * 1e9, (wb - w0) / n * 1e9,
                    (wb - w0 > 0 ? (wa - w0) / (wb - w0) : 0),
                    (ca - c0) / n * 1e9, (cb - c0) / n * 1e9,
                    (cb - c0 > 0 ? (ca - c0) / (cb - c0) : 0), goal }'
}

row "cp" "$work/copy.obj" cp "$tile" "$work/copy.obj"
# A durable copy (synced to the disk before dd ends, as quorvex syncs each output): the floor
# of a converter that never leaves a half-written file.
row "dd bs=4M conv=fsync (durable copy)" "$work/dd-sync.obj" \
  dd if="$tile" of="$work/dd-sync.obj" bs=4M conv=fsync status=none
# cp copies inside the kernel (copy_file_range); dd reads and writes through a buffer as any
# rewriter must, so its row is the floor for one.
row "dd bs=1M" "$work/dd.obj" dd if="$tile" of="$work/dd.obj" bs=1M status=none
row "identity rewrite" "$work/rewrite.obj" "$build/bench_rewrite" "$tile" "$work/rewrite.obj"
# Each quorvex mode with one thread (-threads=1, the one-thread path) and with two.
for t in 1 2; do
  row "quorvex proj->ENU, -threads=$t" "$work/enu-$t.obj" \
    "$quorvex" -input="$tile" -coord="$coord" -output="$work/enu-$t.obj" "${enu[@]}" -threads=$t
  # Without -inputbase the bounds scan reads the tile once before it is converted.
  row "quorvex proj->ENU, computed base, -threads=$t" "$work/enu-computed-$t.obj" \
    "$quorvex" -input="$tile" -coord="$coord" -output="$work/enu-computed-$t.obj" -toProj=0 \
    -base="$work/base-computed.txt" -threads=$t
  row "quorvex ENU->proj, -threads=$t" "$work/project-$t.obj" \
    "$quorvex" -input="$work/enu-input.obj" -coord="$coord" -output="$work/project-$t.obj" \
    -toProj=0 -bENU=1 -inputbase="$inputbase" -threads=$t
  row "quorvex proj->zone, -threads=$t" "$work/zone-$t.obj" \
    "$quorvex" -input="$tile" -coord="$coord" -output="$work/zone-$t.obj" \
    -base="$work/zone.txt" -threads=$t
done
# A production's <SRSOrigin>: a zero one (nothing is added: the same work as without), and a
# non-zero one added to every vertex of the tile made relative to it.
metadata() {
  printf '<?xml version="1.0" encoding="utf-8"?>\n<ModelMetadata version="1">\n'
  printf '  <SRS>EPSG:4548</SRS>\n  <SRSOrigin>%s</SRSOrigin>\n</ModelMetadata>\n' "$1"
}
metadata 0,0,0 >"$work/metadata-zero.xml"
metadata 500000,3320000,0 >"$work/metadata-origin.xml"
relative="$work/tile-relative-$vertices.obj"
if [ ! -s "$relative" ]; then
  awk '$1 == "v" { $2 = sprintf("%.6f", $2 - 500000); $3 = sprintf("%.6f", $3 - 3320000) }
    { print }' "$tile" >"$relative.part"
  mv "$relative.part" "$relative"
fi
for t in 1 2; do
  row "quorvex proj->ENU, <SRSOrigin> 0,0,0, -threads=$t" "$work/enu-zero-$t.obj" \
    "$quorvex" -input="$tile" -coord="$coord" -output="$work/enu-zero-$t.obj" "${enu[@]}" \
    -metadata="$work/metadata-zero.xml" -threads=$t
  row "quorvex proj->ENU, <SRSOrigin> non-zero, -threads=$t" "$work/enu-origin-$t.obj" \
    "$quorvex" -input="$relative" -coord="$coord" -output="$work/enu-origin-$t.obj" \
    "${enu[@]}" -metadata="$work/metadata-origin.xml" -threads=$t
done
# The same runs one vertex at a time and in the baseline build of the lanes (the default is
# the best lane code the CPU has: see quorvex --version).
for lanes in off baseline; do
  row "quorvex proj->ENU, QUORVEX_LANES=$lanes, -threads=1" "$work/enu-$lanes.obj" \
    env QUORVEX_LANES=$lanes "$quorvex" -input="$tile" -coord="$coord" \
    -output="$work/enu-$lanes.obj" "${enu[@]}" -threads=1
  row "quorvex proj->zone, QUORVEX_LANES=$lanes, -threads=1" "$work/zone-$lanes.obj" \
    env QUORVEX_LANES=$lanes "$quorvex" -input="$tile" -coord="$coord" \
    -output="$work/zone-$lanes.obj" -threads=1
done
if [ "$have_cct" = 1 ]; then
  row "cct -d 6 -o, plain Gauss->ENU, x y z lines" "$work/cct.xyz" \
    cct -d 6 -o "$work/cct.xyz" "${cct_pipeline[@]}" "$xyz"
fi
for t in 1 2; do
  row "quorvex plain Gauss->ENU, v lines only, -threads=$t" "$work/plain-v-$t.obj" \
    "$quorvex" -input="$vonly" -coord="$work/coord-plain.json" -output="$work/plain-v-$t.obj" \
    "${enu[@]}" -threads=$t
  row "quorvex plain Gauss->ENU, -threads=$t" "$work/plain-$t.obj" \
    "$quorvex" -input="$tile" -coord="$work/coord-plain.json" -output="$work/plain-$t.obj" \
    "${enu[@]}" -threads=$t
  row "quorvex control points ->ENU, -threads=$t" "$work/control-$t.obj" \
    "$quorvex" -input="$tile" -coord="$work/coord-control.json" -output="$work/control-$t.obj" \
    "${enu[@]}" -threads=$t
  row "quorvex 3 definitions ->ENU, -threads=$t" "$work/three-$t.obj" \
    "$quorvex" -input="$tile" -coord="$work/coord-three.json" -output="$work/three-$t.obj" \
    "${enu[@]}" -threads=$t
done

# A delivery of many small tiles: the tile cut into 500 files of 2000 vertices each (every line
# goes to the file of the vertices before it), converted as a folder.
tiles="$work/tiles-500"
bash "$(dirname "$0")/cut_tiles.sh" "$tile" "$tiles" 500 "$vertices"
for t in 1 2; do
  row "quorvex 500 tiles proj->ENU, -threads=$t" "$work/tiles-enu-$t" \
    sh -c 'mkdir -p "$1" && exec "$2" -input="$3" -coord="$4" -output="$1" "$5" "$6" "$7"' \
    sh "$work/tiles-enu-$t" "$quorvex" "$tiles" "$coord" "${enu[@]}" -threads=$t
  row "quorvex 500 tiles computed base, -threads=$t" "$work/tiles-base-$t" \
    sh -c 'mkdir -p "$1" && exec "$2" -input="$3" -coord="$4" -output="$1" -toProj=0 "$5"' \
    sh "$work/tiles-base-$t" "$quorvex" "$tiles" "$coord" -threads=$t
  row "quorvex 500 tiles proj->zone, -threads=$t" "$work/tiles-zone-$t" \
    sh -c 'mkdir -p "$1" && exec "$2" -input="$3" -coord="$4" -output="$1" "$5" >/dev/null' \
    sh "$work/tiles-zone-$t" "$quorvex" "$tiles" "$coord" -threads=$t
done

# A batch over processes (README, "Large batches"): the 500 tiles in 1, 2 and 4 parts run two
# at a time (xargs -P 2, one thread each), against one process with -threads=2; and the base
# point in two steps (the bounds of 4 parts two at a time, then their merge) against
# -baseonly=1, and the merge alone.
measure_row "quorvex 500 tiles -baseonly=1, -threads=2" "" \
  "$quorvex" -input="$tiles" -coord="$coord" -toProj=0 -baseonly=1 \
  -base="$work/tiles-baseonly.txt" -threads=2
bounds="$work/tiles-bounds"
measure_row "quorvex 500 tiles bounds of 4 parts, 2 at a time, + merge" "$bounds" \
  sh -c 'mkdir -p "$1" && seq 1 4 | xargs -P 2 -I{} "$2" -input="$3" -coord="$4" -toProj=0 \
    -threads=1 -shard={}/4 -boundsonly="$1/{}.json" >/dev/null &&
    exec "$2" -coord="$4" -toProj=0 -mergebounds="$1" -base="$1.txt" >/dev/null' \
  sh "$bounds" "$quorvex" "$tiles" "$coord"
measure_row "quorvex 500 tiles merge of 4 bounds files" "" \
  "$quorvex" -coord="$coord" -toProj=0 -mergebounds="$bounds" -base="$bounds.txt"
for parts in 1 2 4; do
  measure_row "quorvex 500 tiles in $parts parts, 2 at a time, -threads=1" \
    "$work/tiles-parts-$parts" \
    sh -c 'mkdir -p "$1" && seq 1 "$6" | xargs -P 2 -I{} "$2" -input="$3" -coord="$4" \
      -output="$1" -toProj=0 "$5" -threads=1 -shard={}/"$6" >/dev/null' \
    sh "$work/tiles-parts-$parts" "$quorvex" "$tiles" "$coord" -inputbase="$inputbase" "$parts"
done

# Byte identity on the big tile: every thread count from 2 to 8 writes the bytes of one.
echo
identity_failures=0
for name in enu zone control three; do
  case $name in
    enu) args=(-input="$tile" -coord="$coord" "${enu[@]}") ;;
    zone) args=(-input="$tile" -coord="$coord") ;;
    control) args=(-input="$tile" -coord="$work/coord-control.json" "${enu[@]}") ;;
    three) args=(-input="$tile" -coord="$work/coord-three.json" "${enu[@]}") ;;
  esac
  for t in 2 3 4 5 6 7 8; do
    "$quorvex" "${args[@]}" -output="$work/identity.obj" -threads=$t >/dev/null
    if ! cmp -s "$work/identity.obj" "$work/$name-1.obj"; then
      echo "byte identity: $name with -threads=$t DIFFERS from -threads=1"
      identity_failures=$((identity_failures + 1))
    fi
  done
done
rm -f "$work/identity.obj"
# Every lane code writes the bytes of the default one.
for lanes in off baseline; do
  for name in enu zone; do
    if ! cmp -s "$work/$name-$lanes.obj" "$work/$name-1.obj"; then
      echo "byte identity: $name with QUORVEX_LANES=$lanes DIFFERS from the default lanes"
      identity_failures=$((identity_failures + 1))
    fi
  done
done
# The parts write the bytes of one process, and the merge the base file of -baseonly=1.
if ! cmp -s "$bounds.txt" "$work/tiles-baseonly.txt"; then
  echo "byte identity: the merged base file DIFFERS from -baseonly=1"
  identity_failures=$((identity_failures + 1))
fi
for parts in 1 2 4; do
  if ! diff -r -q "$work/tiles-parts-$parts" "$work/tiles-enu-2" >/dev/null; then
    echo "byte identity: the 500 tiles in $parts parts DIFFER from one process"
    identity_failures=$((identity_failures + 1))
  fi
done
if [ "$identity_failures" = 0 ]; then
  default_lanes=$("$quorvex" --version | grep '^lanes:')
  echo "byte identity: enu, zone, control, three with -threads=2..8 equal -threads=1;" \
    "enu and zone with QUORVEX_LANES=off and baseline equal the default ($default_lanes);" \
    "the 500 tiles in 1, 2 and 4 parts equal one process, their merged base -baseonly=1"
else
  failures=$((failures + identity_failures))
fi

echo
echo "ratios against the goals:"
for parts in 1 2 4; do
  ratio "quorvex 500 tiles in $parts parts, 2 at a time, -threads=1" \
    "quorvex 500 tiles proj->ENU, -threads=2, new file" "none: parts against one process"
done
ratio "quorvex 500 tiles bounds of 4 parts, 2 at a time, + merge" \
  "quorvex 500 tiles -baseonly=1, -threads=2" "none: the base point in two steps"
ratio "quorvex proj->ENU, QUORVEX_LANES=off, -threads=1, new file" \
  "quorvex proj->ENU, -threads=1, new file" "none: what the lanes gain on a whole run"
ratio "quorvex proj->zone, QUORVEX_LANES=off, -threads=1, new file" \
  "quorvex proj->zone, -threads=1, new file" "none: what the lanes gain on a whole run"
ratio "quorvex proj->ENU, -threads=1, new file" "quorvex proj->ENU, -threads=2, new file" \
  ">= 1.7 by wall time"
ratio "quorvex proj->ENU, -threads=2, new file" "cp, new file" "<= 4"
for t in 1 2; do
  ratio "quorvex proj->ENU, <SRSOrigin> 0,0,0, -threads=$t, new file" \
    "quorvex proj->ENU, -threads=$t, new file" "nothing measurable: 1.00"
  ratio "quorvex proj->ENU, <SRSOrigin> non-zero, -threads=$t, new file" \
    "quorvex proj->ENU, -threads=$t, new file" "<= 1.03"
done
ratio "quorvex proj->ENU, -threads=2, replacing" "cp, replacing" "<= 4"
ratio "cct -d 6 -o, plain Gauss->ENU, x y z lines, new file" \
  "quorvex plain Gauss->ENU, v lines only, -threads=2, new file" ">= 8; like for like"
ratio "cct -d 6 -o, plain Gauss->ENU, x y z lines, new file" \
  "quorvex plain Gauss->ENU, -threads=2, new file" ">= 8; quorvex also copies vt and f lines"
ratio "cct -d 6 -o, plain Gauss->ENU, x y z lines, new file" \
  "quorvex proj->ENU, -threads=2, new file" ">= 8; quorvex with corrections and vt, f lines"
ratio "quorvex 500 tiles proj->ENU, -threads=2, new file" \
  "quorvex 500 tiles proj->ENU, -threads=1, new file" "<= 0.6 by wall time"
ratio "quorvex 500 tiles computed base, -threads=2, new file" \
  "quorvex 500 tiles computed base, -threads=1, new file" "<= 0.6 by wall time"
ratio "quorvex 500 tiles proj->zone, -threads=2, new file" \
  "quorvex 500 tiles proj->zone, -threads=1, new file" "<= 0.6 by wall time"
ratio "quorvex plain Gauss->ENU, -threads=2, new file" \
  "dd bs=4M conv=fsync (durable copy), new file" "<= 1.25 by wall time"
ratio "quorvex plain Gauss->ENU, -threads=2, new file" \
  "cct -d 6 -o, plain Gauss->ENU, x y z lines, new file" "<= 1/6 by CPU time"
for other in "proj->ENU, computed base" "proj->zone" "ENU->proj" "control points ->ENU" \
  "3 definitions ->ENU"; do
  goal="<= 1.1 by wall time"
  if [ "$other" = "proj->ENU, computed base" ]; then goal="<= 1.15 by wall time"; fi
  ratio "quorvex $other, -threads=2, new file" "quorvex proj->ENU, -threads=2, new file" "$goal"
done
for other in "proj->ENU" "proj->ENU, computed base" "proj->zone" "ENU->proj" \
  "control points ->ENU" "3 definitions ->ENU" "500 tiles proj->ENU"; do
  ratio "quorvex $other, -threads=2, new file" "quorvex $other, -threads=1, new file" \
    "CPU time <= 1.15"
done
per_vertex "quorvex 3 definitions ->ENU, -threads=1, new file" \
  "quorvex proj->ENU, -threads=1, new file" "identity rewrite, new file" "<= 3"
for t in 1 2; do
  largest=0
  largest_name=""
  for name in "${!kib_of[@]}"; do
    case $name in
      quorvex*"-threads=$t"*)
        if [ "${kib_of[$name]}" -gt "$largest" ]; then
          largest=${kib_of[$name]}
          largest_name=$name
        fi
        ;;
    esac
  done
  if [ -n "$largest_name" ]; then
    goal="< 32 MiB"
    if [ "$t" = 2 ]; then goal="<= 48 MiB"; fi
    awk -v kib="$largest" -v name="$largest_name" -v goal="$goal" \
      'BEGIN { printf "  largest peak RSS of quorvex: %.1f MiB, %s (goal %s)\n",
               kib / 1024, name, goal }'
  fi
done

echo
if ! "$build/bench_split" "$tile" "$coord" "$inputbase" "$work" "$runs" \
  "$work/coord-three.json" "$work/coord-plain.json" "$work/coord-control.json"; then
  failures=$((failures + 1))
fi
exit $((failures > 0))
