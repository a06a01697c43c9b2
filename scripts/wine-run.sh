#!/usr/bin/env bash
# Runs one Windows program under Wine, headless: `scripts/wine-run.sh PROGRAM.exe ARGS...`.
# CMake uses it as the cross-compiling emulator (CTest, gtest_discover_tests).
#
# Wine's helper processes inherit the standard error of the program that starts the
# wineserver, so a test runner reading that pipe would wait for them (seconds per test, or
# for ever). The first call therefore starts a persistent wineserver and one `cmd /c exit`
# with all standard streams on /dev/null, under a lock so that parallel tests do not race;
# later calls find the server running and start the program at once.
#
# The GEOS DLLs are found as on Windows, beside the program (the build copies them beside each
# .exe it links): no WINEPATH is set, so that the download's checks see what a user's Windows
# would.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/windows-env.sh"
mkdir -p "$WINEPREFIX"

# The wineserver of a prefix listens on a socket in server-DEV-INODE (hex numbers of the
# prefix folder), under /tmp/.wine-UID upstream and a /tmp/wine-XXXXXX folder on Debian.
server_running() {
  local dev ino server
  read -r dev ino < <(stat -c '%d %i' "$WINEPREFIX")
  server=server-$(printf '%x-%x' "$dev" "$ino")
  [ -f "$WINEPREFIX/system.reg" ] &&
    { compgen -G "/tmp/.wine-$(id -u)/$server/socket" || compgen -G "/tmp/wine-*/$server/socket"; } \
      >/dev/null
}

if ! server_running; then
  (
    flock 9
    if ! server_running; then
      # 9>&-: the server and Wine's services must not hold the lock for their lifetime.
      wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
      wine cmd /c exit </dev/null >/dev/null 2>&1 9>&-
    fi
  ) 9>"$QX_WINDOWS_CACHE/wine.lock"
fi
exec wine "$@"
