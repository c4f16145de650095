#!/usr/bin/env bash
# The Wine test bench: one fresh prefix, one display and one wineserver per run.
#   wine-bench.sh start ARCH DIR [DPI]   fresh prefix in DIR/prefix, Xvfb if no display,
#                                  wineboot; DPI (default 96) is the display scale of the prefix
#   wine-bench.sh stop ARCH DIR    shut the wineserver and the virtual display down
#   wine-bench.sh display DIR / stop-display DIR   only the display (used by make run)
# ARCH is win32 or win64 (see wine-env.sh).
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
action=${1:?start, stop, display or stop-display}
shift
case "$action" in
start | stop) arch=${1:?win32 or win64}; shift ;;
esac
bench=${1:?bench folder}
dpi=${2:-96}
mkdir -p "$bench"
bench=$(cd "$bench" && pwd)
user_display=${DISPLAY:-}   # before the bench's own display file is read

stop_display() {
  if [ -f "$bench/xvfb.pid" ]; then
    kill "$(cat "$bench/xvfb.pid")" >/dev/null 2>&1 || true
    rm -f "$bench/xvfb.pid"
  fi
  rm -f "$bench/display"
}

stop_bench() {
  if [ -d "$WINEPREFIX" ]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
  fi
  stop_display
}

start_display() {
  rm -f "$bench/display"
  if [ -n "$user_display" ] && [ -z "${NETVANE_FORCE_XVFB:-}" ]; then
    echo "$user_display" >"$bench/display"
    return
  fi
  local n
  # Large enough for the main window at twice the design scale.
  for n in $(seq 90 140); do
    [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] && continue
    setsid Xvfb ":$n" -screen 0 2560x1600x24 -nolisten tcp </dev/null >"$bench/xvfb.log" 2>&1 &
    echo $! >"$bench/xvfb.pid"
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X${n}" ] && { echo ":$n" >"$bench/display"; return; }
      sleep 0.1
    done
    kill "$(cat "$bench/xvfb.pid")" >/dev/null 2>&1 || true
  done
  echo "wine-bench: could not start Xvfb" >&2
  exit 1
}

case "$action" in
start)
  netvane_wine_env "$arch" "$bench"
  stop_bench
  rm -rf "$WINEPREFIX"
  start_display
  netvane_wine_env "$arch" "$bench"
  # A persistent server serves every test of the run; 'stop' ends it.
  mkdir -p "$WINEPREFIX"
  setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1
  netvane_wine_boot "$bench/wineboot.log"
  netvane_wine_unmanaged_windows yes
  [ "$dpi" = 96 ] || netvane_wine_dpi "$dpi"
  # The first boot of a prefix can leave two service managers running, each answering the
  # service control pipe in turn: a second server and boot leave the one.
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1
  netvane_wine wineboot </dev/null >>"$bench/wineboot.log" 2>&1
  echo "wine-bench: $arch prefix $WINEPREFIX on display $DISPLAY at $dpi DPI"
  ;;
stop)
  netvane_wine_env "$arch" "$bench"
  stop_bench
  ;;
display)
  start_display
  ;;
stop-display)
  stop_display
  ;;
*)
  echo "usage: $0 start|stop ARCH DIR, or display|stop-display DIR" >&2
  exit 2
  ;;
esac
