#!/bin/sh
# Time from the start of the desktop program to its first complete picture
# of a file (the load included), under a virtual X server.
#
#   bench/first_picture.sh FRAME.txt [RUNS]
#
# FRAME.txt is copied to a scratch folder first (the program writes beside
# the file). Runs on $DISPLAY when it is set, otherwise on an Xvfb of its own
# at display DISPLAY_NUMBER (default 99).
set -eu
frame=$1
runs=${2:-5}
here=$(cd "$(dirname "$0")/.." && pwd)
program=${VELA:-$here/build/src/qt/vela}
scratch=$(mktemp -d)
xvfb=
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$scratch"' EXIT
cp "$frame" "$scratch/frame.txt"
if [ -n "${DISPLAY:-}" ]; then
    display=$DISPLAY
else
    display=":${DISPLAY_NUMBER:-99}"
    Xvfb "$display" -screen 0 1400x1000x24 >/dev/null 2>&1 &
    xvfb=$!
    sleep 1
fi
i=0
while [ "$i" -lt "$runs" ]; do
    start=$(date +%s.%N)
    shown=$(DISPLAY=$display VELA_FIRST_PICTURE_EXIT=1 "$program" "$scratch/frame.txt" 2>&1 |
        sed -n 's/^first picture at //p')
    echo "$shown $start" | awk '{ printf "first picture after %.3f s\n", $1 - $2 }'
    i=$((i + 1))
done
