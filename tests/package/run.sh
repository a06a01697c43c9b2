#!/usr/bin/env bash
# Builds the Debian package from a Release build folder, installs it into a scratch root and
# runs the installed program; checks `cmake --install`, the manual page (no groff warning) and
# the bash completion. Usage: tests/package/run.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
top=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0
failed=0
check() {  # check NAME COMMAND...
  if "${@:2}" >"$scratch/check.log" 2>&1; then
    passed=$((passed + 1)); echo "ok: $1"
  else
    failed=$((failed + 1)); echo "FAILED: $1"; sed 's/^/    /' "$scratch/check.log"
  fi
}

version=$(sed -n 's/^project(quorvex VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
deb="$build/quorvex_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null)

check "package file named quorvex_<version>_<arch>.deb" test -f "$deb"
depends() { dpkg-deb -f "$deb" Depends | grep -q 'libgeos-c1' && dpkg-deb -f "$deb" Depends | grep -q 'libgflags'; }
check "Depends computed from the shared libraries (GEOS, gflags)" depends

dpkg -x "$deb" "$scratch/root"
bin="$scratch/root/usr/bin/quorvex"
version_line() { "$bin" --version | grep -qx "quorvex version $version"; }
check "installed quorvex --version" version_line
convert() {
  "$bin" -input="$top/data/tiles/tile_a.obj" -coord="$top/data/coord-gauss117.json" \
    -output="$scratch/installed.obj" >/dev/null
  "$build/quorvex" -input="$top/data/tiles/tile_a.obj" -coord="$top/data/coord-gauss117.json" \
    -output="$scratch/built.obj" >/dev/null
  cmp "$scratch/installed.obj" "$scratch/built.obj"
}
check "installed program converts a tile as the build does" convert
check "package holds the manual page" test -f "$scratch/root/usr/share/man/man1/quorvex.1"
check "package holds the README" test -f "$scratch/root/usr/share/doc/quorvex/README.md"
# Debian's machine-readable copyright: the format line first, one "Files: *" paragraph under
# the Expat licence whose text, unindented (" ." an empty line), is LICENSE's permission notice.
copyright() {
  local file="$scratch/root/usr/share/doc/quorvex/copyright"
  head -1 "$file" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/'
  grep -qx 'Upstream-Name: quorvex' "$file"
  awk '/^Files: \*$/ { f = 1 } f && /^License: Expat$/ { print "ok"; exit }' "$file" | grep -q ok
  diff <(sed -n '/^License: Expat$/,/^$/p' "$file" | sed '1d; /^$/d; s/^ //; s/^\.$//') \
    <(sed -n '/^Permission is hereby granted/,$p' "$top/LICENSE")
}
check "package holds the licence as a machine-readable copyright" copyright
completion() {
  bash "$top/tests/package/completion.sh" \
    "$scratch/root/usr/share/bash-completion/completions/quorvex"
}
check "bash completion of flags, file names and values in an interactive bash" completion

manual() {
  local warnings
  warnings=$(groff -man -Tutf8 -ww -z "$scratch/root/usr/share/man/man1/quorvex.1" 2>&1)
  [ -z "$warnings" ] || { echo "$warnings"; return 1; }
  groff -man -Tutf8 -P-cbou "$scratch/root/usr/share/man/man1/quorvex.1" 2>/dev/null | grep -q "inputbase set error!!"
}
check "manual page renders without a warning" manual

install_prefix() {
  cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
  test -x "$scratch/prefix/bin/quorvex" && test -f "$scratch/prefix/share/man/man1/quorvex.1"
}
check "cmake --install into a prefix" install_prefix

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
