#!/usr/bin/env bash
# `make windows-package`: the Windows download, from a cross-built quorvex.exe.
#   BUILD_FOLDER/quorvex-<version>-win64.zip        unpacks to quorvex-<version>-win64\
#   BUILD_FOLDER/quorvex-<version>-win64-setup.exe  the NSIS installer of the same files
# The files: quorvex.exe (static but for GEOS) and beside it the GEOS DLLs (libgeos_c.dll and
# libgeos.dll, LGPL-2.1: replaceable by the user), LICENSE.txt (quorvex's own), demo.cmd,
# README.txt, manual.txt (the manual page as text), licenses\ (the libraries in the program
# and the DLLs), data\ (the sample coordinate files and tiles). The texts have CR LF line
# ends, and a UTF-8 byte-order mark where they hold other than ASCII (so that Notepad takes
# them as UTF-8).
# Usage: scripts/windows-package.sh BUILD_FOLDER (holding quorvex.exe and the GEOS DLLs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "$1")
. scripts/windows-env.sh

version=$(sed -n 's/^project(quorvex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=quorvex-$version-win64
exe="$build/quorvex.exe"
[ -f "$exe" ] || { echo "no $exe: cross-build first (make windows-test)" >&2; exit 1; }

# The DLLs the program loads, followed from DLL to DLL: Windows' own, and the GEOS DLLs
# (libgeos*.dll) from beside quorvex.exe, which are shipped there. Any other (a MinGW runtime
# DLL such as libstdc++-6, libgcc_s_seh-1 or libwinpthread-1) would be missing on the user's
# machine; a program importing no GEOS DLL has GEOS linked in, which its LGPL does not allow
# here without the object files.
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
system_dll='^(kernel32|msvcrt|shlwapi|advapi32|user32|ws2_32|shell32|ole32|bcrypt|ucrtbase'
system_dll+='|api-ms-win-[a-z0-9-]+)\.dll$'
shipped=()
pending=("$exe")
while [ ${#pending[@]} -gt 0 ]; do
  file=${pending[0]}
  pending=("${pending[@]:1}")
  while IFS= read -r dll; do
    if grep -qiE "$system_dll" <<<"$dll"; then continue; fi
    if ! grep -qiE '^libgeos[a-z0-9_-]*\.dll$' <<<"$dll"; then
      echo "$(basename "$file") needs $dll, which Windows does not have" >&2
      exit 1
    fi
    found=$(find "$build" -maxdepth 1 -iname "$dll" | head -1)
    [ -n "$found" ] || { echo "$(basename "$file") needs $dll: not in $build" >&2; exit 1; }
    case " ${shipped[*]} " in
      *" $found "*) ;;
      *) shipped+=("$found"); pending+=("$found") ;;
    esac
  done < <(imports "$file")
done
if ! imports "$exe" | grep -qix 'libgeos_c\.dll'; then
  echo "quorvex.exe does not load GEOS from libgeos_c.dll: GEOS must be DLLs" >&2
  echo "  (scripts/build-windows-deps.sh builds them; configure $build anew)" >&2
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
for dll in "${shipped[@]}"; do
  x86_64-w64-mingw32-strip --strip-unneeded -o "$stage/$(basename "$dll")" "$dll"
done
windows_text "$stage/LICENSE.txt" LICENSE
windows_text "$stage/demo.cmd" packaging/windows/demo.cmd
windows_text "$stage/README.txt" README.md
groff -man -Tutf8 -P-cbou doc/quorvex.1 2>/dev/null >"$out/manual.txt"
windows_text "$stage/manual.txt" "$out/manual.txt"
rm "$out/manual.txt"
cp -r data "$stage/data"

# Licences of what quorvex.exe and the DLLs hold. gflags and GEOS: the texts of the Debian
# source packages that scripts/build-windows-deps.sh builds (their newest version in apt):
# the upstream licence, and for GEOS also Debian's copyright file, which names the licences of
# the parts it holds (Ryu, nlohmann/json); fetched once into the cache. The rest: Debian's
# copyright files of the installed packages, with the full licence texts they point to.
licences="$QX_WINDOWS_CACHE/licences"
source_texts() {  # source_texts SOURCE_PACKAGE FILE...: prints "PACKAGE VERSION"
  local version folder file fetch=0
  version=$(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -V | tail -1)
  folder="$licences/$1-$version"
  for file in "${@:2}"; do [ -f "$folder/$file" ] || fetch=1; done
  if [ "$fetch" = 1 ]; then
    rm -rf "$folder" && mkdir -p "$folder"
    local sandbox=()
    if [ "$(id -u)" -eq 0 ]; then sandbox=(-o APT::Sandbox::User=root); fi
    (cd "$folder" && apt-get source -qq --download-only "${sandbox[@]}" "$1=$version" >/dev/null)
    for file in "${@:2}"; do
      # debian/...: from the Debian packaging; anything else from the upstream tarball.
      case $file in
        debian/*) (cd "$folder" && tar -xf "$1"_*.debian.tar.* "$file") ;;
        *) (cd "$folder" && tar -xf "$1"_*.orig.tar.* --strip-components=1 --wildcards "*/$file") ;;
      esac
    done
    rm -f "$folder/$1"_*
  fi
  echo "$1 $version"
}
gflags_version=$(source_texts gflags COPYING.txt)
windows_text "$stage/licenses/gflags.txt" "$licences/${gflags_version/ /-}/COPYING.txt"
geos_version=$(source_texts geos COPYING debian/copyright)
windows_text "$stage/licenses/geos.txt" "$licences/${geos_version/ /-}/COPYING" \
  "$licences/${geos_version/ /-}/debian/copyright"
pugixml_version=$(source_texts pugixml LICENSE.md)
windows_text "$stage/licenses/pugixml.txt" "$licences/${pugixml_version/ /-}/LICENSE.md"
windows_text "$stage/licenses/rapidjson.txt" /usr/share/doc/rapidjson-dev/copyright
windows_text "$stage/licenses/eigen.txt" /usr/share/doc/libeigen3-dev/copyright \
  /usr/share/common-licenses/MPL-2.0
eigen_version=$(dpkg-query -W -f='${Version}' libeigen3-dev)
windows_text "$stage/licenses/gcc-runtime.txt" /usr/share/doc/gcc-mingw-w64-base/copyright \
  /usr/share/common-licenses/GPL-3
windows_text "$stage/licenses/mingw-w64-runtime.txt" \
  /usr/share/doc/mingw-w64-x86-64-dev/copyright
dll_names=$(for dll in "${shipped[@]}"; do basename "$dll"; done | sort | paste -sd ' ')
cat >"$out/licences.txt" <<EOF
quorvex is under the MIT licence: LICENSE.txt beside quorvex.exe.

quorvex.exe has these libraries built in:

  gflags.txt             gflags (command-line flags), BSD 3-clause, Debian source package
                         $gflags_version
  rapidjson.txt          RapidJSON (JSON parser), MIT, header-only
  eigen.txt              Eigen (least squares of the control-point fit), MPL 2.0,
                         header-only; its source: Debian's eigen3 source package
                         $eigen_version (apt-get source eigen3=$eigen_version)
  pugixml.txt            pugixml (metadata.xml), MIT, Debian source package
                         $pugixml_version
  gcc-runtime.txt        libstdc++ and libgcc of GCC (MinGW-w64), GPL 3 with the GCC Runtime
                         Library Exception
  mingw-w64-runtime.txt  the MinGW-w64 C runtime and winpthreads

GEOS is not built in: it is the DLLs beside quorvex.exe,
  $dll_names
which you may replace with your own build of the same GEOS version (quorvex uses its C API
only):

  geos.txt               GEOS (polygon distances), LGPL 2.1 or later, Debian source package
                         $geos_version unmodified (apt-get source geos=${geos_version#geos });
                         the DLLs hold the GCC and MinGW-w64 runtimes above too
EOF
windows_text "$stage/licenses/README.txt" "$out/licences.txt"
rm "$out/licences.txt"

(cd "$out" && cmake -E tar cf "$build/$name.zip" --format=zip "$name")
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$build/$name-setup.exe" \
  packaging/windows/quorvex.nsi
echo "windows-package: $build/$name.zip ($(du -k "$build/$name.zip" | cut -f1) KiB)," \
  "$build/$name-setup.exe ($(du -k "$build/$name-setup.exe" | cut -f1) KiB)"
