#!/usr/bin/env bash
# The stage times of vela_scale_bench, then each frame from file to all
# result files through the real vela-cli under /usr/bin/time -v: wall time
# and peak memory (maximum resident set size).
#
#   bench/scale.sh [SxB ...]      (default: about 1,000, 10,000, 100,000 and 300,000 nodes)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target vela-cli make_frame vela_scale_bench >/dev/null

sizes=("$@")
[ ${#sizes[@]} -eq 0 ] && sizes=(39x24 124x79 399x249 699x428)

build/bench/vela_scale_bench --repeat "${REPEAT:-5}" "${sizes[@]}"

work=$(mktemp -d "${TMPDIR:-/tmp}/vela-scale-XXXXXX")
trap 'rm -rf "$work"' EXIT
echo
printf '%9s %12s %14s\n' nodes "wall (s)" "peak RSS (MB)"
for size in "${sizes[@]}"; do
  build/bench/make_frame "${size%x*}" "${size#*x}" "$work/frame.txt" >/dev/null
  /usr/bin/time -v build/src/cli/vela-cli solve "$work/frame.txt" -C "$work" >/dev/null 2>"$work/time.txt"
  nodes=$(( (${size%x*} + 1) * (${size#*x} + 1) ))
  wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt")
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
  printf "%9d %12s %14d\n" "$nodes" "$wall" $((rss / 1024))
done
