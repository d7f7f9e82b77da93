#!/usr/bin/env bash
# Runs vela-cli of the Linux build and vela-cli.exe of the Windows build
# (under Wine) on the same inputs and compares what they write:
#  - both examples as they are solved by default (the dense elimination):
#    all nine files must be the same byte for byte, and so must the SVG
#    pictures of every layer;
#  - both examples and a generated frame of 1,000 nodes (3,000 unknowns)
#    through the sparse solver, CHOLMOD on Linux and Eigen on Windows: the
#    side and dump files (read and assembled by the same code) must be the
#    same byte for byte, the displacements must agree to within 1e-6 of the
#    largest, and the lines in which the result files differ are counted.
#   scripts/compare-windows.sh [LINUX_BUILD [WINDOWS_BUILD]]   (default: build build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
linux=${1:-build}
windows=${2:-build-windows}
lcli=$linux/src/cli/vela-cli
wcli=$PWD/$windows/bin/vela-cli.exe
for program in "$lcli" "$wcli" "$linux/bench/make_frame"; do
  [ -x "$program" ] || { echo "compare-windows: $program is missing: build both first" >&2; exit 2; }
done

export WINEPREFIX="$PWD/$windows/wine"
# shellcheck source=scripts/wine-server.sh
source scripts/wine-server.sh
StartWineServer

work=$(mktemp -d)
trap 'rm -rf "$work"; StopWineServer' EXIT
"$linux/bench/make_frame" 39 24 "$work/frame-1000.txt" >/dev/null
cp examples/*.txt "$work/"
nine=(Point.txt Me.txt K.txt DForce.txt Nodal_Displacement.txt MForInGlobalCS.txt MForInElemCS.txt
  Nodal_Reaction.txt MDisInGlobalCS.txt)
failed=0

# Windows sees the build machine's files on drive Z:.
Solve() { # CASE INPUT [OPTIONS...]
  local name=$1 input=$2
  shift 2
  mkdir -p "$work/linux/$name" "$work/windows/$name"
  "$lcli" solve "$input" -C "$work/linux/$name" "$@" >/dev/null
  cmake/run-under-wine.sh "$wcli" solve "Z:$input" -C "Z:$work/windows/$name" "$@" >/dev/null
}

# The largest difference between the displacements of two
# Nodal_Displacement.txt files, over the largest displacement; and "beyond"
# when some difference is larger than 1e-6 of the largest and also larger
# than one unit in the sixth digit printed (where two solutions that agree
# to 1e-12 still print differently when they straddle a rounding step).
DisplacementDifference() {
  awk 'function abs(x) { return x < 0 ? -x : x }
       FNR == 1 { next }
       NR == FNR { for (i = 2; i <= NF; ++i) a[FNR, i] = $i; next }
       { for (i = 2; i <= NF; ++i) {
           d = abs(a[FNR, i] - $i); m = abs($i) > abs(a[FNR, i]) ? abs($i) : abs(a[FNR, i])
           if (d > diff) diff = d
           if (m > largest) largest = m
           if (d > 0) { step = exp(log(10) * (int(log(m) / log(10) + 100) - 100 - 5)); if (d > 1.01 * step) unprinted[d] = 1 } } }
       END { beyond = 0
             for (d in unprinted) if (d + 0 > 1e-6 * largest) beyond = 1
             printf "%.1e%s\n", (largest > 0 ? diff / largest : diff), (beyond ? " beyond" : "") }' "$1" "$2"
}

printf '%-22s %-7s %-46s %s\n' "input" "solver" "files the same byte for byte" "displacements"
for example in portal.txt 综合算例.txt; do
  Solve "$example-auto" "$work/$example"
  same=0 differing=""
  for f in "${nine[@]}"; do
    if cmp -s "$work/linux/$example-auto/$f" "$work/windows/$example-auto/$f"; then
      same=$((same + 1))
    else
      differing+=" $f"
    fi
  done
  printf '%-22s %-7s %-46s %s\n' "$example" dense "$same of 9${differing:+ (differ:$differing)}" \
    "$([ -z "$differing" ] && echo identical || echo DIFFERENT)"
  [ -z "$differing" ] || failed=1
done

for input in portal.txt 综合算例.txt frame-1000.txt; do
  # The frame's stiffness matrix is past the size "K.txt" is written at
  # unless asked for: asked for, it is compared too.
  options=(--solver sparse --dump-matrices)
  Solve "$input-sparse" "$work/$input" "${options[@]}"
  l=$work/linux/$input-sparse w=$work/windows/$input-sparse
  same=0 notes=""
  for f in "${nine[@]}"; do
    if cmp -s "$l/$f" "$w/$f"; then
      same=$((same + 1))
    else
      lines=$(diff "$l/$f" "$w/$f" | grep -c '^<' || true)
      notes+=" $f: $lines lines;"
      case $f in Point.txt | Me.txt | K.txt | DForce.txt) failed=1 ;; esac
    fi
  done
  difference=$(DisplacementDifference "$l/Nodal_Displacement.txt" "$w/Nodal_Displacement.txt")
  case $difference in *beyond) failed=1 ;; esac
  printf '%-22s %-7s %-46s %s\n' "$input" sparse "$same of 9${notes:+ (${notes# })}" "within $difference of the largest"
done

# Pictures: the shared SVG writer, the same file from both builds.
for example in portal.txt 综合算例.txt; do
  for layers in structure,loads,supports,springs,prescribed,nodes,elements deformed,moment,shear; do
    out=$work/${example%.txt}-${layers%%,*}.svg
    "$lcli" render "$work/$example" -o "$out.linux.svg" --layers "$layers"
    cmake/run-under-wine.sh "$wcli" render "Z:$work/$example" -o "Z:$out.windows.svg" --layers "$layers"
    if cmp -s "$out.linux.svg" "$out.windows.svg"; then
      result="identical ($(wc -c <"$out.linux.svg") bytes)"
    else
      result="DIFFERENT"
      failed=1
    fi
    printf '%-22s %-7s %-46s %s\n' "$example" svg "$layers" "$result"
  done
done

[ "$failed" -eq 0 ] && echo "compare-windows: the Windows build writes what the Linux build writes" ||
  echo "compare-windows: the builds differ where they must not" >&2
exit "$failed"
