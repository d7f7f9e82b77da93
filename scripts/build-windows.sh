#!/usr/bin/env bash
# Cross-builds Vela for 64-bit Windows with Debian's MinGW-w64 compiler:
# installs what it needs (scripts/deps.sh --windows), configures
# build-windows/ with cmake/mingw-w64-x86_64.cmake and builds everything
# there: build-windows/bin/vela-cli.exe (and vela.exe where src/win32 has
# the window), the test programs, and build-windows/vela-windows-x64.zip
# with the programs, the examples and a README. The test programs are run
# under Wine while building, to list their tests; scripts/test-windows.sh
# runs them.
#   scripts/build-windows.sh [BUILD_DIR]    (default: build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-windows}

SECONDS=0
scripts/deps.sh --windows
echo "windows: packages ready after ${SECONDS} s"

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DVELA_WERROR=ON

# The build runs each test program under Wine to list its tests: one Wine
# server for all of them, kept while the build lasts.
export WINEPREFIX="$PWD/$build/wine"
# shellcheck source=scripts/wine-server.sh
source scripts/wine-server.sh
StartWineServer
trap StopWineServer EXIT

cmake --build "$build" -j"$(nproc)"
echo "windows: built after ${SECONDS} s: $build/bin/vela-cli.exe, $build/vela-windows-x64.zip"
