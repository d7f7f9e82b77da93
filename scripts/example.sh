#!/usr/bin/env bash
# Builds the batch command and solves the shipped example into a fresh folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target vela-cli
out=$(mktemp -d "${TMPDIR:-/tmp}/vela-example-XXXXXX")
build/src/cli/vela-cli solve examples/综合算例.txt -C "$out"
echo "The result files of examples/综合算例.txt are in $out:"
ls "$out"
