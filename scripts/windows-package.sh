#!/usr/bin/env bash
# `make windows-package`: the Windows download, from a cross-built quorvex.exe.
#   BUILD_FOLDER/quorvex-<version>-win64.zip        unpacks to quorvex-<version>-win64\
#   BUILD_FOLDER/quorvex-<version>-win64-setup.exe  the NSIS installer of the same files
# The files: quorvex.exe (static: only DLLs that every Windows has), demo.cmd, README.txt,
# manual.txt (the manual page as text), licenses\ (the libraries built into the program),
# data\ (the sample coordinate files and tiles). The texts have CR LF line ends, and a UTF-8
# byte-order mark where they hold other than ASCII (so that Notepad takes them as UTF-8).
# Usage: scripts/windows-package.sh BUILD_FOLDER (holding quorvex.exe)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "$1")
. scripts/windows-env.sh

version=$(sed -n 's/^project(quorvex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=quorvex-$version-win64
exe="$build/quorvex.exe"
[ -f "$exe" ] || { echo "no $exe: cross-build first (make windows-test)" >&2; exit 1; }

# A static program imports from Windows' own DLLs only; a MinGW runtime DLL (libstdc++-6,
# libgcc_s_seh-1, libwinpthread-1) would be missing on the user's machine.
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
foreign=$(grep -viE '^(kernel32|msvcrt|shlwapi|advapi32|user32|ws2_32|shell32|ole32|bcrypt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$' \
  <<<"$imports" || true)
if [ -n "$foreign" ]; then
  echo "quorvex.exe needs DLLs that Windows does not have: $foreign" >&2
  exit 1
fi

out="$build/package"
stage="$out/$name"
rm -rf "$out"
mkdir -p "$stage/licenses"

# A text for Windows: CR LF line ends, a byte-order mark when it holds non-ASCII bytes.
windows_text() {  # windows_text TARGET SOURCE...
  local target=$1
  shift
  {
    if LC_ALL=C grep -q '[^[:print:][:space:]]' "$@"; then printf '\xef\xbb\xbf'; fi
    sed 's/\r$//; s/$/\r/' "$@"
  } >"$target"
}

x86_64-w64-mingw32-strip -o "$stage/quorvex.exe" "$exe"
windows_text "$stage/demo.cmd" packaging/windows/demo.cmd
windows_text "$stage/README.txt" README.md
groff -man -Tutf8 -P-cbou doc/quorvex.1 2>/dev/null >"$out/manual.txt"
windows_text "$stage/manual.txt" "$out/manual.txt"
rm "$out/manual.txt"
cp -r data "$stage/data"

# Licences of what is built into quorvex.exe. gflags and GEOS: the upstream texts of the
# Debian source packages that scripts/build-windows-deps.sh builds (their newest version in
# apt), fetched once into the cache. The rest: Debian's copyright files of the installed
# packages, with the full licence texts they point to.
licences="$QX_WINDOWS_CACHE/licences"
upstream_licence() {  # upstream_licence SOURCE_PACKAGE FILE_IN_ITS_TARBALL TARGET
  local version folder
  version=$(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -V | tail -1)
  folder="$licences/$1-$version"
  if [ ! -f "$folder/$2" ]; then
    rm -rf "$folder" && mkdir -p "$folder"
    local sandbox=()
    if [ "$(id -u)" -eq 0 ]; then sandbox=(-o APT::Sandbox::User=root); fi
    (cd "$folder" && apt-get source -qq --download-only "${sandbox[@]}" "$1=$version" >/dev/null &&
       tar -xf "$1"_*.orig.tar.* --strip-components=1 --wildcards "*/$2" && rm -f "$1"_*)
  fi
  windows_text "$3" "$folder/$2"
  echo "$1 $version"
}
gflags_version=$(upstream_licence gflags COPYING.txt "$stage/licenses/gflags.txt")
geos_version=$(upstream_licence geos COPYING "$stage/licenses/geos.txt")
pugixml_version=$(upstream_licence pugixml LICENSE.md "$stage/licenses/pugixml.txt")
windows_text "$stage/licenses/rapidjson.txt" /usr/share/doc/rapidjson-dev/copyright
windows_text "$stage/licenses/eigen.txt" /usr/share/doc/libeigen3-dev/copyright \
  /usr/share/common-licenses/MPL-2.0
windows_text "$stage/licenses/gcc-runtime.txt" /usr/share/doc/gcc-mingw-w64-base/copyright \
  /usr/share/common-licenses/GPL-3
windows_text "$stage/licenses/mingw-w64-runtime.txt" \
  /usr/share/doc/mingw-w64-x86-64-dev/copyright
cat >"$out/licences.txt" <<EOF
quorvex.exe is one self-contained program with these libraries built in:

  gflags.txt             gflags (command-line flags), Debian source package $gflags_version
  geos.txt               GEOS (polygon distances), LGPL 2.1, Debian source package $geos_version
                         (apt-get source geos=${geos_version#geos })
  pugixml.txt            pugixml (metadata.xml), MIT, Debian source package $pugixml_version
  rapidjson.txt          RapidJSON (JSON parser), header-only
  eigen.txt              Eigen (least squares of the control-point fit), header-only
  gcc-runtime.txt        libstdc++ and libgcc of GCC (MinGW-w64), GPL 3 with the GCC Runtime
                         Library Exception
  mingw-w64-runtime.txt  the MinGW-w64 C runtime and winpthreads
EOF
windows_text "$stage/licenses/README.txt" "$out/licences.txt"
rm "$out/licences.txt"

(cd "$out" && cmake -E tar cf "$build/$name.zip" --format=zip "$name")
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$build/$name-setup.exe" \
  packaging/windows/quorvex.nsi
echo "windows-package: $build/$name.zip ($(du -k "$build/$name.zip" | cut -f1) KiB)," \
  "$build/$name-setup.exe ($(du -k "$build/$name-setup.exe" | cut -f1) KiB)"
