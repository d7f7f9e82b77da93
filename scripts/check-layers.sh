#!/usr/bin/env bash
# Checks, with nm on the built static libraries, that the layers are what the
# README says: core <- input, reports, graphics, solver <- inspect <- app <- qt, win32.
#  1. No library defines a member function of a class that another folder
#     declares (a class's operations live where the class is declared).
#  2. No library needs a symbol that only a library above it or beside it
#     defines (dependencies point one way).
# Usage: scripts/check-layers.sh [BUILD_DIR]   (default: build)
# For the Windows build:
#   NM=x86_64-w64-mingw32-nm OBJDUMP=x86_64-w64-mingw32-objdump scripts/check-layers.sh build-windows
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
nm=${NM:-nm}
# Windows objects mark an inline function by its own section (".text$NAME",
# picked once at link time) rather than by a weak symbol: objdump lists them.
objdump=${OBJDUMP:-}

layers=(core input reports graphics solver inspect app qt win32)
declare -A below=(
  [core]=""
  [input]="core"
  [reports]="core"
  [graphics]="core"
  [solver]="core"
  [inspect]="core reports graphics"
  [app]="core input reports graphics solver inspect"
  [qt]="core input reports graphics solver inspect app"
  [win32]="core input reports graphics solver inspect app"
)

library() {
  case "$1" in
  qt | win32) echo "$build/src/$1/libvela_$1.a" ;;
  *) echo "$build/src/libvela_$1.a" ;;
  esac
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Which folder declares each class or struct of the project (at the top
# level of a header: nested types belong to their enclosing class).
for layer in "${layers[@]}"; do
  [ -d "src/$layer" ] || continue
  { grep -hoE '^(class|struct) [A-Za-z_][A-Za-z0-9_]*( final)? *(:|\{|$)' "src/$layer"/*.h 2>/dev/null || true; } |
    awk -v layer="$layer" '{ print $2, layer }'
done | sort -u >"$work/classes"

failed=0
present=()
for layer in "${layers[@]}"; do
  lib=$(library "$layer")
  if [ ! -f "$lib" ]; then
    [ "$layer" = qt ] || [ "$layer" = win32 ] && continue # the other platform's front end
    echo "missing $lib: build first (cmake --build $build)" >&2
    exit 2
  fi
  present+=("$layer")
  # Strong definitions only: an inline function (a header's, or one the
  # compiler writes, such as an implicit destructor) is emitted weakly
  # wherever it is used.
  "$nm" -C --defined-only "$lib" | awk 'NF >= 3 && $2 ~ /^[TDRB]$/ { $1 = ""; $2 = ""; sub(/^  /, ""); print }' |
    sort -u >"$work/defined.$layer"
  if [ -n "$objdump" ]; then
    "$objdump" -t "$lib" | sed -nE 's/.* \.(text|data|rdata|bss)\$([^ ]+)$/\2/p' | c++filt | sort -u >"$work/inline.$layer"
    comm -23 "$work/defined.$layer" "$work/inline.$layer" >"$work/strong.$layer"
    mv "$work/strong.$layer" "$work/defined.$layer"
  fi
  "$nm" -C --defined-only "$lib" | awk 'NF >= 3 { $1 = ""; $2 = ""; sub(/^  /, ""); print }' | sort -u >"$work/all.$layer"
  "$nm" -C -u "$lib" | awk '$1 == "U" { $1 = ""; sub(/^ /, ""); print }' | sort -u |
    comm -23 - "$work/all.$layer" >"$work/needed.$layer"
done

# 1. Member functions defined away from their class's folder.
for layer in "${present[@]}"; do
  awk -v layer="$layer" '
    # A class may be declared in both front ends (each has its MainWindow),
    # which are never built together: either folder is its home then.
    NR == FNR { home[$1] = home[$1] " " $2 " "; next }
    {
      name = $0
      if (name ~ /^(std|__gnu_cxx|guard variable|typeinfo|vtable|VTT|construction vtable)/) next
      if (match(name, /^[A-Za-z_][A-Za-z0-9_]*::/) == 0) next
      cls = substr(name, 1, RLENGTH - 2)
      if ((cls in home) && index(home[cls], " " layer " ") == 0) {
        folders = home[cls]
        gsub(/^ +| +$/, "", folders)
        gsub(/ +/, "/ or src/", folders)
        printf "%s defines %s, a member of %s, which src/%s/ declares\n", layer, name, cls, folders
      }
    }' "$work/classes" "$work/defined.$layer"
done >"$work/misplaced"
if [ -s "$work/misplaced" ]; then
  echo "Operations defined outside the folder of their class:"
  cat "$work/misplaced"
  failed=1
fi

# 2. Symbols needed from a library that is not below.
for layer in "${present[@]}"; do
  for other in "${present[@]}"; do
    [ "$other" = "$layer" ] && continue
    case " ${below[$layer]} " in *" $other "*) continue ;; esac
    comm -12 "$work/needed.$layer" "$work/defined.$other" | grep -vE '^(std::|__gnu_cxx::|typeinfo|vtable|VTT|guard variable)' |
      sed "s/^/$layer needs from $other: /" || true
  done
done >"$work/upwards"
if [ -s "$work/upwards" ]; then
  echo "Symbols needed from a library above or beside:"
  cat "$work/upwards"
  failed=1
fi

if [ "$failed" -eq 0 ]; then
  echo "layers: ${present[*]}: every member function is defined in its class's folder; no library needs one above or beside it"
fi
exit "$failed"
