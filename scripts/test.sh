#!/usr/bin/env bash
# Checks the formatting, builds Vela twice (optimised, and with address and
# undefined-behaviour sanitizers; warnings are errors in both), checks the
# layering of the libraries and runs the whole test suite on both builds; in
# between it checks the Debian package and fuzzes the reader and the batch
# path for half a minute each. Last, the Windows build: cross-built, tested under
# Wine and compared with the Linux build (scripts/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

scripts/format.sh --check

jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVELA_WERROR=ON
cmake --build build -j"$jobs"
scripts/check-layers.sh build
ctest --test-dir build --output-on-failure -j"$jobs"

# The Debian package: its contents, lintian, and the packaged vela-cli.
scripts/package.sh

# Half a minute of coverage-guided fuzzing per target (reader, whole batch
# path); the corpus it grows is kept between runs on the same machine.
scripts/fuzz.sh 30

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVELA_SANITIZE=ON -DVELA_BUILD_BENCH=OFF -DVELA_WERROR=ON
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

# The Windows build, its tests under Wine, and what it writes against what
# the Linux build writes.
windows_start=$SECONDS
scripts/test-windows.sh build
echo "test.sh: the Windows part took $((SECONDS - windows_start)) s of $SECONDS s"
