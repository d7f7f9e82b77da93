#!/usr/bin/env bash
# Builds both programs and solves the shipped example in a fresh folder,
# without a display. The examples are copied there first: the programs write
# their files beside the input, and the checkout stays as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=(vela-cli)
grep -q '^VELA_WITH_QT:BOOL=ON' build/CMakeCache.txt && targets+=(vela)
cmake --build build -j"$(nproc)" --target "${targets[@]}"
out=$(mktemp -d "${TMPDIR:-/tmp}/vela-example-XXXXXX")
cp examples/*.txt "$out/"
build/src/cli/vela-cli solve "$out/综合算例.txt" -C "$out"
echo "The result files of examples/综合算例.txt are in $out:"
ls "$out"
if [ -x build/src/qt/vela ]; then
  echo "To see it in the desktop program: build/src/qt/vela \"$out/综合算例.txt\""
fi
