# Sourced by the Windows scripts: where the cached Windows build of the libraries, the Wine
# prefix and the private locale live, and the environment that runs Wine headless.
QX_WINDOWS_CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/quorvex-windows"
# The prefix's name carries the layout of the libraries built there (prefix-2: GEOS as DLLs,
# the rest static), so that a checkout or CI cache expecting another layout neither uses nor
# removes this one.
export QUORVEX_WINDOWS_PREFIX="$QX_WINDOWS_CACHE/prefix-2"
# QX_WINEPREFIX: another prefix (the installer test's fresh one).
export WINEPREFIX="${QX_WINEPREFIX:-$QX_WINDOWS_CACHE/wine}"
export WINEDEBUG=-all
# No Mono or Gecko installer prompts when the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
QX_LOCALE_DIR="$QX_WINDOWS_CACHE/locale"
