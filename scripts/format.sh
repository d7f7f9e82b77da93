#!/usr/bin/env bash
# Formats every C++ source of the project with the committed .clang-format
# (clang-format 14, as Debian 12 has it). With --check it changes nothing
# and fails, listing the differences, when a file is not formatted.
set -euo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
  echo "clang-format is not installed (scripts/deps.sh installs it)" >&2
  exit 2
fi
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
  'fuzz/*.cpp' 'fuzz/*.h')
if [ "${1:-}" = "--check" ]; then
  "$format" --dry-run --Werror "${files[@]}"
  echo "formatting: ${#files[@]} files as .clang-format says"
else
  "$format" -i "${files[@]}"
fi
