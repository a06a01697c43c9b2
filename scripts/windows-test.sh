#!/usr/bin/env bash
# `make windows-test`: cross-builds quorvex and its tests for Windows (MinGW-w64, posix
# threads, static but for the GEOS DLLs), runs the whole unit and end-to-end suite under Wine
# (headless), checks that the demo writes the same bytes as the Linux demo, and converts a
# file and a folder with Chinese names under a private zh_CN.UTF-8 locale; then builds the
# download (zip and installer) and tries both as a user would
# (scripts/windows-package-test.sh).
# Usage: scripts/windows-test.sh LINUX_QUORVEX [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
linux_bin=$(realpath "$1")
build=${2:-build-windows}
JOBS=${JOBS:-$(nproc)}
start=$(date +%s)
elapsed() { echo "[windows-test] $1 after $(($(date +%s) - start)) s"; }

JOBS=$JOBS bash scripts/windows-build.sh "$build"
. scripts/windows-env.sh
elapsed "cross-build done"

# The wineserver is started once, detached from every pipe (see scripts/wine-run.sh), and
# stopped at the end.
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
scripts/wine-run.sh cmd /c exit </dev/null >/dev/null 2>&1
elapsed "Wine ready"

(cd "$build" && ctest --output-on-failure -j "$JOBS")
elapsed "unit and end-to-end tests passed under Wine"

# A command that runs the Windows program, for scripts that take a program path.
wrapper="$PWD/$build/quorvex-wine.sh"
printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$PWD/scripts/wine-run.sh" "$PWD/$build/quorvex.exe" \
  >"$wrapper"
chmod +x "$wrapper"

# The demo on both systems: every file it writes must be the same bytes, but the fit report,
# which holds the run's time and the input paths as the system writes them.
DEMO_OUT=out/demo-linux bash scripts/demo.sh "$linux_bin" >/dev/null 2>&1
DEMO_OUT=out/demo-windows bash scripts/demo.sh "$wrapper" >/dev/null 2>&1
diff -r -x report.html out/demo-linux out/demo-windows
grep -q 'convert success!!' out/demo-windows/report.html
echo "demo under Wine: $(find out/demo-windows -type f | wc -l) files byte-identical to Linux"

# A larger tile in all three modes, one thread on Linux converting one vertex at a time against
# two under Wine converting in lanes, with the best lane code the CPU has (AVX2 where it has it)
# and with the baseline one: the program's own elementary functions give the same bits on both
# systems and in every lane code (with the C libraries' sin, cos, tan and atan2 a few vertices
# per million came out different). 200000 vertices over 3 km of the sample's project frame,
# from a fixed linear congruential sequence.
tile=out/windows-tile
rm -rf "$tile" && mkdir -p "$tile"
awk 'BEGIN { s = 12345; m = 2147483648
  for (i = 0; i < 200000; i++) {
    s = (1103515245 * s + 12345) % m; x = 498500 + 3000 * s / m
    s = (1103515245 * s + 12345) % m; y = 3318700 + 3000 * s / m
    s = (1103515245 * s + 12345) % m; z = 20 + 40 * s / m
    printf "v %.6f %.6f %.6f\n", x, y, z } }' >"$tile/tile.obj"
sed 's/"define": {/"define": {"basepoint": [117.0026, 30.0014],/' data/coord-gauss117.json \
  >"$tile/coord-base.json"
for side in linux windows windows-baseline; do
  case $side in
    linux) run=(env QUORVEX_LANES=off "$linux_bin" -threads=1) ;;
    windows) run=("$wrapper" -threads=2) ;;
    *) run=(env QUORVEX_LANES=baseline "$wrapper" -threads=2) ;;
  esac
  mkdir -p "$tile/$side"
  "${run[@]}" -input="$tile/tile.obj" -coord=data/coord-gauss117.json \
    -output="$tile/$side/zone.obj" >/dev/null
  "${run[@]}" -input="$tile/tile.obj" -coord=data/coord-gauss117.json \
    -output="$tile/$side/enu.obj" -toProj=0 -inputbase=ENU:117.0026,30.0014 >/dev/null
  "${run[@]}" -input="$tile/linux/enu.obj" -coord="$tile/coord-base.json" \
    -output="$tile/$side/back.obj" -toProj=0 -bENU=1 >/dev/null
done
diff -r "$tile/linux" "$tile/windows"
diff -r "$tile/linux" "$tile/windows-baseline"
echo "200000-vertex tile in three modes under Wine ($("$wrapper" --version | grep '^lanes:'), and" \
  "lanes: baseline): byte-identical to Linux converting one vertex at a time"

# Chinese file and folder names: Windows programs see names in the ANSI code page, which Wine
# takes from the locale: a private zh_CN.UTF-8 (code page 936).
if [ ! -f "$QX_LOCALE_DIR/zh_CN.UTF-8/LC_CTYPE" ]; then
  mkdir -p "$QX_LOCALE_DIR"
  localedef -i zh_CN -f UTF-8 "$QX_LOCALE_DIR/zh_CN.UTF-8" 2>/dev/null ||
    [ -f "$QX_LOCALE_DIR/zh_CN.UTF-8/LC_CTYPE" ]
fi
zh=out/windows-zh
rm -rf "$zh" && mkdir -p "$zh/瓦片数据/子目录" "$zh/linux" "$zh/windows/输出"
cp data/tiles/tile_a.obj "$zh/瓦片数据/子目录/甲块.obj"
cp data/tiles/tile_a.obj "$zh/单个文件.obj"
for side in linux windows; do
  if [ "$side" = linux ]; then run=("$linux_bin"); else run=("$wrapper"); fi
  mkdir -p "$zh/$side/输出"
  (cd "$zh" && LOCPATH="$QX_LOCALE_DIR" LC_ALL=zh_CN.UTF-8 "${run[@]}" -input=单个文件.obj \
     -coord=../../data/coord-gauss117.json -output="$side/单个结果.obj" -base="$side/区号.txt" \
     >/dev/null)
  (cd "$zh" && LOCPATH="$QX_LOCALE_DIR" LC_ALL=zh_CN.UTF-8 "${run[@]}" -input=瓦片数据 \
     -coord=../../data/coord-gauss117.json -output="$side/输出" -toProj=0 \
     -inputbase=ENU:117.0026,30.0014 >/dev/null)
done
for f in 单个结果.obj 区号.txt 输出/甲块.obj; do
  [ -s "$zh/windows/$f" ] || { echo "not written under Wine: $zh/windows/$f" >&2; exit 1; }
done
diff -r "$zh/linux" "$zh/windows"
echo "Chinese file and folder names converted under Wine, same bytes as on Linux"

# The download: the zip's demo against the Linux demo above, the installer and uninstaller.
bash scripts/windows-package.sh "$build"
bash scripts/windows-package-test.sh "$build" out/demo-linux
elapsed "zip and installer checked"
elapsed "windows-test passed"
