#!/usr/bin/env bash
# Builds gflags and GoogleTest statically and GEOS as DLLs for Windows (MinGW-w64, posix
# threads) from Debian's own source packages into a prefix cached under
# ${XDG_CACHE_HOME:-$HOME/.cache}, and puts the RapidJSON and Eigen headers there on their
# own. Does nothing when the prefix is complete for the toolchain and source versions of this
# machine.
#
# GEOS (LGPL-2.1) is the two DLLs libgeos.dll and libgeos_c.dll, shipped beside quorvex.exe,
# so that a user may replace them. Each DLL has the C++ runtime linked in statically, as the
# program has: the download needs no libstdc++, libgcc or winpthread DLL. Only GEOS's C API
# crosses from quorvex into the DLLs.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/windows-env.sh
JOBS=${JOBS:-$(nproc)}
toolchain="$PWD/cmake/mingw-w64-posix.cmake"

versions() {
  for p in gflags geos googletest; do
    printf '%s %s\n' "$p" "$(apt-cache showsrc "$p" 2>/dev/null |
      sed -n 's/^Version: //p' | sort -V | tail -1)"
  done
  x86_64-w64-mingw32-g++-posix -dumpfullversion
  echo "geos shared"
}
stamp="$QUORVEX_WINDOWS_PREFIX/.complete"
wanted=$(versions)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
  exit 0
fi

echo "building gflags, GEOS and GoogleTest for Windows into $QUORVEX_WINDOWS_PREFIX"
start=$(date +%s)
rm -rf "$QUORVEX_WINDOWS_PREFIX"
mkdir -p "$QUORVEX_WINDOWS_PREFIX/include"
work="$QUORVEX_WINDOWS_PREFIX.src"
rm -rf "$work" && mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
# As root, apt cannot hand the download to its unprivileged user in this folder: say so, so
# that it does not warn.
sandbox=()
if [ "$(id -u)" -eq 0 ]; then sandbox=(-o APT::Sandbox::User=root); fi
(cd "$work" && apt-get source -qq "${sandbox[@]}" gflags geos googletest >/dev/null)

# Configure, build and install one source tree; $1 its folder pattern, the rest CMake options
# (static libraries unless they say otherwise).
build() {
  local src
  src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name "$1" | head -1)
  [ -n "$src" ] || { echo "no source folder $1 in $work" >&2; exit 1; }
  shift
  # -O2 rather than CMake's -O3: GEOS compiles markedly faster, and only its polygon distance
  # is used.
  cmake -S "$src" -B "$src/build-windows" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$QUORVEX_WINDOWS_PREFIX" \
    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF "$@" >"$src/configure.log" ||
    { cat "$src/configure.log"; exit 1; }
  cmake --build "$src/build-windows" -j "$JOBS" >"$src/build.log" 2>&1 ||
    { tail -50 "$src/build.log"; exit 1; }
  cmake --install "$src/build-windows" >/dev/null
}

# gflags: both static variants, because its installed config only finds the threaded one
# when the nothreads one is there too.
build 'gflags-*' -DBUILD_STATIC_LIBS=ON -DBUILD_gflags_LIB=ON -DBUILD_gflags_nothreads_LIB=ON \
  -DINSTALL_HEADERS=ON -DREGISTER_INSTALL_PREFIX=OFF
echo "  gflags done after $(($(date +%s) - start)) s"
build 'googletest-*' -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON
echo "  googletest done after $(($(date +%s) - start)) s"
# -static on the DLLs' link: libstdc++, libgcc and winpthreads inside each, nothing imported
# but Windows' own DLLs and (libgeos_c.dll) libgeos.dll. With no dllexport in its headers for
# MinGW, GEOS exports every symbol of its own objects; the runtime libraries are left out of
# that, or each DLL would offer its copy of them to the next link. GEOS defines DLL_EXPORT
# (the libtool convention) for no use of its own, but winpthreads' header then declares its
# functions as DLL imports, which the static library does not satisfy: -UDLL_EXPORT.
runtime_libs=libgcc.a:libgcc_eh.a:libstdc++.a:libpthread.a:libwinpthread.a
build 'geos-*' -DBUILD_SHARED_LIBS=ON -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG -UDLL_EXPORT" \
  -DCMAKE_SHARED_LINKER_FLAGS="-static -Wl,--exclude-libs,$runtime_libs" \
  -DBUILD_BENCHMARKS=OFF -DBUILD_DOCUMENTATION=OFF -DBUILD_GEOSOP=OFF
echo "  GEOS done after $(($(date +%s) - start)) s"

# Header-only libraries: a folder with their headers alone (RapidJSON's packaged config would
# add -I/usr/include).
cp -r /usr/include/rapidjson "$QUORVEX_WINDOWS_PREFIX/include/"
cp -r /usr/include/eigen3 "$QUORVEX_WINDOWS_PREFIX/include/"

printf '%s\n' "$wanted" >"$stamp"
echo "Windows libraries built in $(($(date +%s) - start)) s"
