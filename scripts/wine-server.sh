# Sourced by the Windows scripts: one persistent Wine server for a run, in
# the prefix $WINEPREFIX, so that each program under Wine starts in a tenth
# of a second rather than in seconds; stopped again when the script that
# started it ends. The prefix itself is made on first use by
# cmake/run-under-wine.sh.

wine_server_started_here=0

StartWineServer() {
  export WINEDEBUG=-all
  # Wine names the build machine's files in the locale's character set: in
  # the C locale a Chinese file name cannot be named at all.
  if [ "$(locale charmap 2>/dev/null)" != UTF-8 ]; then
    export LC_ALL=C.UTF-8
  fi
  # Once per run: a script called by one that has started it goes on.
  [ "${VELA_WINE_SERVER:-}" = "$WINEPREFIX" ] && return 0
  export VELA_WINE_SERVER="$WINEPREFIX"
  wine_server_started_here=1
  mkdir -p "$WINEPREFIX"
  # A server already running would not become persistent: end it first.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p
  # Make the prefix (a few seconds, once) and start the system processes
  # Wine keeps beside the server.
  cmake/run-under-wine.sh cmd /c exit >/dev/null 2>&1 || true
}

StopWineServer() {
  [ "$wine_server_started_here" = 1 ] || return 0
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}
