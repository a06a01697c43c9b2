#!/usr/bin/env bash
# Runs one Windows program under Wine, headless: `scripts/wine-run.sh PROGRAM.exe ARGS...`.
# CMake uses it as the cross-compiling emulator (CTest, gtest_discover_tests).
#
# Wine's helper processes inherit the standard error of the program that starts the
# wineserver, so a test runner reading that pipe would wait for them (seconds per test, or
# for ever). The first call therefore starts a persistent wineserver and one `cmd /c exit`
# with all standard streams on /dev/null, under a lock so that parallel tests do not race;
# later calls find the server running and start the program at once.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/windows-env.sh"
mkdir -p "$WINEPREFIX"

# The wineserver of a prefix listens on /tmp/.wine-UID/server-DEV-INODE/socket (hex numbers
# of the prefix folder).
server_socket() {
  local dev ino
  read -r dev ino < <(stat -c '%d %i' "$WINEPREFIX")
  printf '/tmp/.wine-%s/server-%x-%x/socket' "$(id -u)" "$dev" "$ino"
}

if [ ! -S "$(server_socket)" ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
  (
    flock 9
    if [ ! -S "$(server_socket)" ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineserver -p </dev/null >/dev/null 2>&1 || true
      wine cmd /c exit </dev/null >/dev/null 2>&1
    fi
  ) 9>"$QX_WINDOWS_CACHE/wine.lock"
fi
exec wine "$@"
