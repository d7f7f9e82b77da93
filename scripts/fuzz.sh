#!/usr/bin/env bash
# Builds the two libFuzzer targets with clang (address and undefined-
# behaviour sanitizers on) and runs each for SECONDS (default 60), starting
# from the shipped examples, the refused files and the stored regressions.
# New inputs accumulate in build-fuzz/corpus/, findings in build-fuzz/artifacts/.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${VELA_FUZZ_BUILD:-build-fuzz}

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELA_FUZZ=ON -DVELA_WITH_QT=OFF -DVELA_BUILD_TESTS=OFF -DVELA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target vela_fuzz_reader vela_fuzz_pipeline

seeds=()
for d in examples tests/data/bad tests/data/regressions; do
  [ -d "$d" ] && seeds+=("$d")
done
mkdir -p "$build/artifacts"
passed=0
failed=0
for target in reader pipeline; do
  corpus="$build/corpus/$target"
  log="$build/fuzz-$target.log"
  mkdir -p "$corpus"
  echo "fuzzing $target for ${seconds}s (log: $log)"
  if "$build/fuzz/vela_fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
       -max_len=8192 -dict=fuzz/vela.dict -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 \
       "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)|^Done ' "$log" || tail -n 3 "$log"
    passed=$((passed + 1))
  else
    echo "fuzz target $target found a problem; the input is in $build/artifacts/:"
    tail -n 60 "$log"
    failed=$((failed + 1))
  fi
done
echo "fuzzing done: $passed targets clean, $failed with findings"
[ "$failed" -eq 0 ]
