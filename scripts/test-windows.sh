#!/usr/bin/env bash
# The Windows part of the tests (scripts/test.sh runs it after the Linux
# build): cross-builds Vela for Windows (scripts/build-windows.sh), checks
# the layering of its libraries, runs the test programs of every layer
# below the front ends, of the Windows front end and of vela-cli.exe under
# Wine, drives vela.exe in Wine's virtual desktop on a private X server
# (scripts/smoke-windows-window.sh), and compares what vela-cli.exe writes
# with what the Linux build's vela-cli writes (scripts/compare-windows.sh;
# skipped without a Linux build). Prints how long each part took.
#   scripts/test-windows.sh [LINUX_BUILD]    (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
linux=${1:-build}
windows=build-windows
jobs=$(nproc)

start=$SECONDS
scripts/build-windows.sh "$windows"
built=$SECONDS

NM=x86_64-w64-mingw32-nm OBJDUMP=x86_64-w64-mingw32-objdump scripts/check-layers.sh "$windows"

export WINEPREFIX="$PWD/$windows/wine"
# shellcheck source=scripts/wine-server.sh
source scripts/wine-server.sh
StartWineServer
trap StopWineServer EXIT
ctest --test-dir "$windows" --output-on-failure -j"$jobs"
tested=$SECONDS
scripts/smoke-windows-window.sh "$windows"
smoked=$SECONDS

if [ -x "$linux/src/cli/vela-cli" ] && [ -x "$linux/bench/make_frame" ]; then
  scripts/compare-windows.sh "$linux" "$windows"
else
  echo "test-windows: no Linux build in $linux: the comparison of the two builds is skipped"
fi
compared=$SECONDS

echo "windows: install and build $((built - start)) s, tests under Wine $((tested - built)) s," \
  "the window's smoke test $((smoked - tested)) s, comparison $((compared - smoked)) s, in all $((compared - start)) s"
