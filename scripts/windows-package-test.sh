#!/usr/bin/env bash
# Part of `make windows-test`: the Windows download under Wine, used as the README says.
#  - The zip, unpacked: demo.cmd run from it in cmd writes the bytes of the Linux demo
#    (REFERENCE, scripts/demo.sh's output folder: its enu, back, zone and site folders), writes
#    the fit report, and every line of the README's cmd example runs.
#  - Its GEOS DLLs: quorvex.exe called by its full path from another folder converts a tile;
#    --version names the GEOS version in the shipped libgeos_c.dll, and another version once
#    that DLL is replaced (the program uses the DLL beside it, as the LGPL asks, and has no
#    GEOS of its own).
#  - The installer, run silently (/S) in a fresh Wine prefix: the files in
#    C:\Program Files\quorvex, an uninstaller registered, the folder on the user's PATH;
#    quorvex.exe --version from the installed folder and through the PATH; then the
#    uninstaller (/S): files, PATH entry and registration gone.
# Usage: scripts/windows-package-test.sh BUILD_FOLDER REFERENCE
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
build=$(realpath "$1")
reference=$(realpath "$2")
version=$(sed -n 's/^project(quorvex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=quorvex-$version-win64
scratch=$(mktemp -d)
installer_prefix="$scratch/wine"
cleanup() {
  if [ -d "$installer_prefix" ]; then WINEPREFIX="$installer_prefix" wineserver -k 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "windows-package-test: $*" >&2; exit 1; }
wine_run() { "$top/scripts/wine-run.sh" "$@" </dev/null; }

# --- the zip ---
(cd "$scratch" && cmake -E tar xf "$build/$name.zip")
unpacked="$scratch/$name"
for f in quorvex.exe libgeos_c.dll LICENSE.txt demo.cmd README.txt manual.txt licenses/README.txt \
         licenses/geos.txt data/tiles/tile_a.obj data/tiles/tile_a.mtl data/tiles/tiles.png; do
  [ -f "$unpacked/$f" ] || fail "the zip has no $name/$f"
done
for f in LICENSE.txt demo.cmd README.txt manual.txt licenses/README.txt; do
  # Every line ends in CR LF.
  if LC_ALL=C grep -q $'[^\r]$' "$unpacked/$f"; then fail "$f has a line without CR LF"; fi
done
(cd "$unpacked" && wine_run cmd /c demo.cmd) >"$scratch/demo.log" 2>&1 ||
  { cat "$scratch/demo.log"; fail "demo.cmd failed"; }
grep -q 'demo finished' "$scratch/demo.log" || { cat "$scratch/demo.log"; fail "demo.cmd did not finish"; }
for folder in enu back zone site; do
  diff -r "$reference/$folder" "$unpacked/out/demo/$folder" || fail "the zip's demo differs from Linux"
done
grep -q 'convert success!!' "$unpacked/out/demo/report.html" || fail "no fit report"
echo "zip: demo.cmd under Wine wrote $(find "$unpacked/out/demo" -type f | wc -l) files," \
  "byte-identical to the Linux demo (the fit report aside)"

# The README's cmd example, line by line, in the unpacked folder.
awk '/^```bat/ { inblock = 1; next } /^```/ { inblock = 0 } inblock' README.md >"$scratch/readme.cmd"
[ -s "$scratch/readme.cmd" ] || fail "the README has no cmd example (a \"bat\" block)"
while IFS= read -r line; do
  (cd "$unpacked" && wine_run cmd /c "$line") >"$scratch/line.log" 2>&1 ||
    { cat "$scratch/line.log"; fail "the README's cmd line failed: $line"; }
done <"$scratch/readme.cmd"
grep -q 'convert success!!' "$scratch/line.log" || fail "the README's cmd example converted nothing"
echo "zip: the README's cmd example ran ($(wc -l <"$scratch/readme.cmd") lines)"

# The GEOS DLLs. From another folder, by full path: the DLLs are found beside the program,
# not in the current folder.
elsewhere="$scratch/elsewhere"
mkdir -p "$elsewhere"
(cd "$elsewhere" && wine_run "$unpacked/quorvex.exe" -input="$unpacked/data/tiles/tile_a.obj" \
   -coord="$unpacked/data/coord-gauss117.json" -output="$elsewhere/tile_a.obj") \
  >"$scratch/elsewhere.log" 2>&1 ||
  { cat "$scratch/elsewhere.log"; fail "quorvex.exe by its full path"; }
cmp "$elsewhere/tile_a.obj" "$reference/zone/tile_a.obj" ||
  fail "quorvex.exe run from another folder converts otherwise than on Linux"
# GEOSversion() returns the C API's version string, e.g. 3.11.1-CAPI-1.17.1, held once in
# libgeos_c.dll.
geos_versions() {  # geos_versions DLL: the C API version strings it holds
  LC_ALL=C grep -aoE '[0-9]+\.[0-9]+\.[0-9]+[a-z0-9]*-CAPI-[0-9]+\.[0-9]+\.[0-9]+' "$1" | sort -u
}
loaded_geos() {  # loaded_geos FOLDER: the GEOS line of FOLDER/quorvex.exe --version
  (cd "$elsewhere" && wine_run "$1/quorvex.exe" --version) | tr -d '\r' | sed -n 's/^GEOS: //p'
}
shipped_geos=$(geos_versions "$unpacked/libgeos_c.dll")
[ "$(wc -l <<<"$shipped_geos")" -eq 1 ] && [ -n "$shipped_geos" ] ||
  fail "libgeos_c.dll holds no single GEOS version string: '$shipped_geos'"
[ "$(loaded_geos "$unpacked")" = "$shipped_geos" ] ||
  fail "quorvex.exe --version names GEOS '$(loaded_geos "$unpacked")', the DLL is $shipped_geos"
# A DLL of another version (the same string with its digits replaced, so of the same length).
replaced="$scratch/replaced"
cp -r "$unpacked" "$replaced"
other_geos=$(tr '0-9' '9876543210' <<<"$shipped_geos")
perl -0777 -pi -e "s/\Q$shipped_geos\E/$other_geos/g" "$replaced/libgeos_c.dll"
[ "$(loaded_geos "$replaced")" = "$other_geos" ] ||
  fail "with libgeos_c.dll replaced, --version names GEOS '$(loaded_geos "$replaced")'," \
    "not $other_geos"
echo "zip: quorvex.exe runs from any folder with the GEOS DLLs beside it (GEOS $shipped_geos)" \
  "and loads a replaced libgeos_c.dll"

# --- the installer, in a fresh prefix ---
export QX_WINEPREFIX="$installer_prefix"
installed="$installer_prefix/drive_c/Program Files/quorvex"
wine_run "$build/$name-setup.exe" /S
for f in quorvex.exe uninstall.exe LICENSE.txt demo.cmd README.txt manual.txt \
         licenses/README.txt data/coord-gauss117.json; do
  [ -f "$installed/$f" ] || fail "not installed: $f"
done
for dll in "$unpacked"/*.dll; do
  cmp "$dll" "$installed/$(basename "$dll")" ||
    fail "not installed as in the zip: $(basename "$dll")"
done
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\quorvex'
wine_run reg query "$uninstall_key" /v UninstallString 2>/dev/null | grep -q 'uninstall.exe' ||
  fail "no uninstaller registered"
user_path() { wine_run reg query 'HKCU\Environment' /v Path 2>/dev/null | tr -d '\r'; }
user_path | grep -qi 'C:\\Program Files\\quorvex' || fail "the folder is not on the user's PATH"
# gflags names the program as it was called: "quorvex.exe version ..." on Windows.
version_line="quorvex(\.exe)? version $version"
wine_run 'C:\Program Files\quorvex\quorvex.exe' --version | tr -d '\r' |
  grep -qxE "$version_line" || fail "the installed quorvex.exe --version"
wine_run cmd /c quorvex --version | tr -d '\r' | grep -qxE "$version_line" ||
  fail "quorvex is not found through the PATH"
echo "installer: installed silently, registered, on the PATH; quorvex --version runs"

# The uninstaller copies itself to a temporary folder and removes the files from there, after
# the started process has ended: wait for it.
wine_run 'C:\Program Files\quorvex\uninstall.exe' /S
for _ in $(seq 60); do
  [ -e "$installed" ] || break
  sleep 1
done
[ ! -e "$installed" ] || { find "$installed"; fail "files left after uninstalling"; }
if user_path | grep -qi 'quorvex'; then fail "the PATH entry is left after uninstalling"; fi
if wine_run reg query "$uninstall_key" >/dev/null 2>&1; then fail "the uninstaller is still registered"; fi
echo "installer: uninstalled silently, files, PATH entry and registration gone"
