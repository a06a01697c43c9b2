#!/usr/bin/env bash
# Part of `make windows-test`: the Windows download under Wine, used as the README says.
#  - The zip, unpacked: demo.cmd run from it in cmd writes the bytes of the Linux demo
#    (REFERENCE, scripts/demo.sh's output folder: its enu, back, zone and site folders), writes
#    the fit report, and every line of the README's cmd example runs.
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
for f in quorvex.exe demo.cmd README.txt manual.txt licenses/README.txt data/tiles/tile_a.obj \
         data/tiles/tile_a.mtl data/tiles/tiles.png; do
  [ -f "$unpacked/$f" ] || fail "the zip has no $name/$f"
done
for f in demo.cmd README.txt manual.txt licenses/README.txt; do
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

# --- the installer, in a fresh prefix ---
export QX_WINEPREFIX="$installer_prefix"
installed="$installer_prefix/drive_c/Program Files/quorvex"
wine_run "$build/$name-setup.exe" /S
for f in quorvex.exe uninstall.exe demo.cmd README.txt manual.txt licenses/README.txt \
         data/coord-gauss117.json; do
  [ -f "$installed/$f" ] || fail "not installed: $f"
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
