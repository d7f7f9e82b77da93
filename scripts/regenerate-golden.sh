#!/usr/bin/env bash
# OVERWRITES THE REFERENCE FILES in tests/data/golden/: solves every shipped
# example (examples/*.txt) with the vela-cli of the current build and puts
# its nine result files in tests/data/golden/<example>/, replacing what is
# there. The golden-file test then passes by construction, so REVIEW THE
# DIFF (git diff tests/data/golden) BEFORE COMMITTING: every changed number
# must be one you meant to change.
# Usage: scripts/regenerate-golden.sh   (VELA_BUILD=folder picks another build than build/)
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${VELA_BUILD:-build}/src/cli/vela-cli
if [ ! -x "$cli" ]; then
  echo "no $cli: build first (cmake -S . -B build && cmake --build build)" >&2
  exit 1
fi

echo "*** OVERWRITING the reference files in tests/data/golden/ with the output of $cli ***"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vela-golden-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
for example in examples/*.txt; do
  name=$(basename "$example" .txt)
  mkdir -p "$scratch/$name"
  "$cli" solve "$example" -C "$scratch/$name" >/dev/null
  # Only the nine files, and nothing an earlier run left beside them.
  rm -rf "tests/data/golden/$name"
  mkdir -p "tests/data/golden/$name"
  cp "$scratch/$name"/*.txt "tests/data/golden/$name/"
  echo "rewrote tests/data/golden/$name/ from $example"
done
echo
echo "*** The reference files have been overwritten. Review the diff before committing:"
echo "***     git diff --stat tests/data/golden && git diff tests/data/golden"
echo "*** Commit only changes you can explain; otherwise: git checkout -- tests/data/golden"
git status --short tests/data/golden || true
