#!/usr/bin/env bash
# Installs what `make windows-test` needs on Debian 12: the MinGW-w64 cross compiler with the
# posix thread model (std::thread and std::mutex; the win32 model has neither in GCC 12), Wine
# to run the result, dpkg-dev for `apt-get source`, locales for the zh_CN.UTF-8 run, the
# header-only libraries, and for the download NSIS (the installer) and groff (the manual page
# as text). Also adds a deb-src list derived from the system's own entries, so
# that gflags, GEOS and GoogleTest can be built from Debian's source packages
# (scripts/build-windows-deps.sh). A no-op when all of that is present; otherwise needs root.
set -euo pipefail
packages=(cmake make g++-mingw-w64-x86-64-posix wine wine64 dpkg-dev locales
          rapidjson-dev libeigen3-dev nsis groff-base)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# deb-src entries: present when any list already has them.
has_sources() {
  grep -rqsE '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' \
    /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null
}

if [ ${#missing[@]} -eq 0 ] && has_sources; then
  exit 0
fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

if ! has_sources; then
  echo "adding deb-src entries derived from the system's apt sources"
  list=$(mktemp)
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    # deb822: the same stanzas with "Types: deb-src".
    sed -E 's/^Types:.*$/Types: deb-src/' "$f" >>"$list"
    echo >>"$list"
  done
  if [ -s "$list" ]; then
    $SUDO install -m 0644 "$list" /etc/apt/sources.list.d/quorvex-deb-src.sources
  fi
  : >"$list"
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -e "$f" ] || continue
    sed -nE 's/^[[:space:]]*deb[[:space:]]+/deb-src /p' "$f" >>"$list"
  done
  if [ -s "$list" ]; then
    $SUDO install -m 0644 "$list" /etc/apt/sources.list.d/quorvex-deb-src.list
  fi
  rm -f "$list"
fi

$SUDO apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
