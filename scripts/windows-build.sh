#!/usr/bin/env bash
# Cross-builds quorvex for 64-bit Windows (MinGW-w64, posix threads, static but for the GEOS
# DLLs) into BUILD_FOLDER: installs the cross tools, builds the libraries once (cached),
# configures and builds TARGETS (everything when none is given).
# Usage: scripts/windows-build.sh BUILD_FOLDER [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
shift
JOBS=${JOBS:-$(nproc)}

bash scripts/install-windows-deps.sh
JOBS=$JOBS bash scripts/build-windows-deps.sh
JOBS=$JOBS bash scripts/build-windows-pugixml.sh
. scripts/windows-env.sh

# A build folder configured against another prefix would keep finding that prefix's libraries
# (CMake caches where each package was found): configure it anew.
cache="$build/CMakeCache.txt"
if [ -f "$cache" ] &&
   ! grep -qxF "QUORVEX_WINDOWS_PREFIX:PATH=$QUORVEX_WINDOWS_PREFIX" "$cache"; then
  rm -rf "$cache" "$build/CMakeFiles"
fi
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-posix.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQUORVEX_WINDOWS_PREFIX="$QUORVEX_WINDOWS_PREFIX" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" -j "$JOBS" "${targets[@]}"
