#!/bin/sh
# Runs a program of the Windows build under Wine: the cross build's tests,
# their discovery and the Windows checks of the scripts go through here.
#   cmake/run-under-wine.sh PROGRAM.exe [ARGUMENTS...]
# The Wine prefix is $WINEPREFIX when set, else the folder "wine" of the
# build folder that holds the program (the first folder above it with a
# CMakeCache.txt), made on first use. Start "wineserver -p" in that prefix
# to keep Wine's server between runs: a run then takes milliseconds, not
# seconds (scripts/test-windows.sh does).
set -eu

if [ -z "${WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$1")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do
    dir=$(dirname "$dir")
  done
  [ -f "$dir/CMakeCache.txt" ] || { echo "run-under-wine.sh: $1 is in no build folder; set WINEPREFIX" >&2; exit 125; }
  WINEPREFIX="$dir/wine"
fi
export WINEPREFIX
# Wine names the build machine's files in the locale's character set: in
# the C locale a Chinese file name cannot be named at all.
if [ "$(locale charmap 2>/dev/null)" != UTF-8 ]; then
  export LC_ALL=C.UTF-8
fi
# Quiet, and no offer to install Wine's .NET and HTML engines.
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Debian installs the 64-bit loader outside the PATH; "wine" itself would
# warn on every run that the 32-bit one is missing.
for wine in "${VELA_WINE:-}" wine64 /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64 wine; do
  [ -n "$wine" ] && command -v "$wine" >/dev/null 2>&1 && break
done

# Made once, by whichever run comes first; another that starts meanwhile
# waits for it. (The marker, not the registry files, tells that the prefix
# is ready: a persistent server writes those only when it ends.) Windows
# are drawn on the X server in $DISPLAY when there is one, else by Wine's
# null driver: the window's tests create windows without a display.
ready="$WINEPREFIX/.vela-prefix-ready-2"
if [ ! -f "$ready" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$ready" ]; then
      "$wine" wineboot --init >/dev/null 2>&1 || true
      "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f >/dev/null 2>&1 || true
      touch "$ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

exec "$wine" "$@"
