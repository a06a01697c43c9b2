#!/usr/bin/env bash
# Builds pugixml (the metadata.xml parser) statically for Windows (MinGW-w64) from Debian's
# source package into the prefix of scripts/build-windows-deps.sh, on its own and with a stamp
# of its own: the libraries built there are not built again for it. Does nothing when the
# prefix holds the pugixml of this machine's source version and compiler.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/windows-env.sh
JOBS=${JOBS:-$(nproc)}
toolchain="$PWD/cmake/mingw-w64-posix.cmake"

wanted="pugixml $(apt-cache showsrc pugixml 2>/dev/null | sed -n 's/^Version: //p' |
  sort -V | tail -1) $(x86_64-w64-mingw32-g++-posix -dumpfullversion)"
stamp="$QUORVEX_WINDOWS_PREFIX/.complete-pugixml"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
  exit 0
fi

echo "building pugixml for Windows into $QUORVEX_WINDOWS_PREFIX"
work="$QX_WINDOWS_CACHE/src-pugixml"
rm -rf "$work" && mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
sandbox=()
if [ "$(id -u)" -eq 0 ]; then sandbox=(-o APT::Sandbox::User=root); fi
(cd "$work" && apt-get source -qq "${sandbox[@]}" pugixml >/dev/null)
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'pugixml-*' | head -1)
[ -n "$src" ] || { echo "no pugixml source folder in $work" >&2; exit 1; }
cmake -S "$src" -B "$src/build-windows" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$QUORVEX_WINDOWS_PREFIX" \
  -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF >"$src/configure.log" ||
  { cat "$src/configure.log"; exit 1; }
cmake --build "$src/build-windows" -j "$JOBS" >"$src/build.log" 2>&1 ||
  { tail -50 "$src/build.log"; exit 1; }
cmake --install "$src/build-windows" >/dev/null
printf '%s\n' "$wanted" >"$stamp"
