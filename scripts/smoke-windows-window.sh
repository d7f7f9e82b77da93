#!/usr/bin/env bash
# Smoke test of the Windows desktop program under Wine: starts vela.exe on
# a copy of examples/portal.txt in Wine's virtual desktop on a private X
# server, solves it by its key (F5), shows the bending moment diagram, checks
# that the result files were written and that the diagram's colour is on
# the screen, then opens a bad file through File > Open and checks that its
# "Warning!" box comes up and the program is still there afterwards.
# Fails when the window never appears. Screenshots are kept in the temp
# folder it names on failure, and copied into the folder VELA_SMOKE_SHOTS
# names when it is set. Runs in the Wine prefix of the build (its
# server too, when the calling script has one running).
#   scripts/smoke-windows-window.sh [WINDOWS_BUILD]    (default: build-windows)
# Needs Xvfb, xdotool and ImageMagick (scripts/deps.sh --windows).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-windows}
exe="$PWD/$build/bin/vela.exe"
[ -f "$exe" ] || { echo "smoke-windows-window: no $exe: build first" >&2; exit 2; }
for tool in Xvfb xdotool convert; do
  command -v "$tool" >/dev/null || { echo "smoke-windows-window: $tool is missing (scripts/deps.sh --windows)" >&2; exit 2; }
done

SECONDS=0
export WINEPREFIX="${WINEPREFIX:-$PWD/$build/wine}"
# shellcheck source=scripts/wine-server.sh
source scripts/wine-server.sh
work=$(mktemp -d)
xvfb_pid=""
wine_pid=""
failed=0
cleanup() {
  [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null || true
  # The desktop and the program belong to this run's Wine server.
  StopWineServer
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  if [ -n "${VELA_SMOKE_SHOTS:-}" ]; then cp "$work"/*.png "$VELA_SMOKE_SHOTS"/ 2>/dev/null || true; fi
  if [ "$failed" = 0 ]; then rm -rf "$work"; else echo "smoke-windows-window: screenshots kept in $work" >&2; fi
}
trap cleanup EXIT

fail() {
  failed=1
  echo "smoke-windows-window: FAILED: $*" >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$work/failure.png" 2>/dev/null || true
  exit 1
}

# A display nobody uses: the X server picks the number itself.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

StartWineServer
# Chinese text: Wine's own fonts have no CJK glyphs, so the faces Windows
# programs ask for are mapped to WenQuanYi Micro Hei (and Times New Roman,
# the diagrams' face, to its metric twin Liberation Serif).
replacements='HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements'
{
  printf 'REGEDIT4\r\n\r\n[%s]\r\n' "$replacements"
  for face in "SimSun" "NSimSun" "SimHei" "Microsoft YaHei" "Microsoft YaHei UI" "MS Shell Dlg" "MS Shell Dlg 2" \
    "Tahoma" "Segoe UI" "MS Sans Serif"; do
    printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"
  done
  printf '"Times New Roman"="Liberation Serif"\r\n'
} >"$work/fonts.reg"
cmake/run-under-wine.sh regedit /S "$(winepath -w "$work/fonts.reg" 2>/dev/null || echo "Z:${work//\//\\}\\fonts.reg")" \
  >/dev/null 2>&1 || fail "could not set the font replacements"

mkdir "$work/portal"
cp examples/portal.txt "$work/portal/"
cp tests/data/bad/element-node-out-of-range.txt "$work/portal/bad.txt"
cd "$work/portal"
"$OLDPWD/cmake/run-under-wine.sh" explorer "/desktop=vela-smoke-$$,1024x768" "$exe" portal.txt >"$work/wine.log" 2>&1 &
wine_pid=$!
cd "$OLDPWD"

# Waits up to $1 seconds for a window whose title matches $2; prints its id.
wait_window() {
  local limit=$1 pattern=$2 id
  for _ in $(seq $((limit * 5))); do
    id=$(xdotool search --name "$pattern" 2>/dev/null | head -1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
  return 1
}

window=$(wait_window 30 '^portal\.txt - Vela') || fail "the main window with portal.txt did not appear"
echo "smoke-windows-window: window up after ${SECONDS} s"

# Solve by its key (the menu's accelerator table), in the background.
sleep 0.5
xdotool key --clearmodifiers F5
for _ in $(seq 50); do
  [ -s "$work/portal/Nodal_Displacement.txt" ] && [ -s "$work/portal/MDisInGlobalCS.txt" ] && break
  sleep 0.2
done
for file in Point.txt Me.txt K.txt DForce.txt Nodal_Displacement.txt Nodal_Reaction.txt MForInGlobalCS.txt \
  MForInElemCS.txt MDisInGlobalCS.txt; do
  [ -s "$work/portal/$file" ] || fail "Solve wrote no $file"
done

# Pixels of the diagrams' colour (loads share it, but a diagram hides them).
diagram_pixels() {
  convert "$1" -fill black +opaque '#FF0001' -fill white -opaque '#FF0001' -format '%[fx:int(mean*w*h+0.5)]' info:
}
import -window root "$work/structure.png"
before=$(diagram_pixels "$work/structure.png")
# Draw > Bending Moment.
xdotool key --clearmodifiers alt+d
sleep 0.3
xdotool key b
sleep 1
import -window root "$work/moment.png"
after=$(diagram_pixels "$work/moment.png")
echo "smoke-windows-window: diagram colour on $before pixels before, $after with the moment diagram"
[ "$after" -gt 500 ] && [ "$after" -gt $((before * 2)) ] || fail "no moment diagram on the screen"

# File > Open of a file the reader refuses: a "Warning!" box, and the
# structure on screen stays.
xdotool key --clearmodifiers alt+f
sleep 0.3
xdotool key o
wait_window 10 '^Open a Beam System File' >/dev/null || fail "the Open dialog did not appear"
sleep 0.5
xdotool type --delay 20 'bad.txt'
xdotool key Return
box=$(wait_window 10 '^Warning!$') || fail "no Warning! box for the bad file"
import -window root "$work/warning.png"
xdotool key Return
for _ in $(seq 25); do
  xdotool search --name '^Warning!$' >/dev/null 2>&1 || break
  sleep 0.2
done
xdotool search --name '^Warning!$' >/dev/null 2>&1 && fail "the Warning! box did not close"
xdotool search --name '^portal\.txt - Vela' >/dev/null 2>&1 || fail "the program is gone after the bad file"
kill -0 "$wine_pid" 2>/dev/null || fail "the program ended after the bad file"
: "$box" "$window"

# Alt+F4 closes the window and ends the program; the desktop goes with it.
xdotool key --clearmodifiers alt+F4
for _ in $(seq 25); do
  xdotool search --name '^portal\.txt - Vela' >/dev/null 2>&1 || break
  sleep 0.2
done
xdotool search --name '^portal\.txt - Vela' >/dev/null 2>&1 && fail "the window did not close on Alt+F4"
for _ in $(seq 25); do
  kill -0 "$wine_pid" 2>/dev/null || break
  sleep 0.2
done
echo "smoke-windows-window: passed in ${SECONDS} s"
