#!/usr/bin/env bash
# The Wine test bench: one fresh prefix, one display and one wineserver per run.
#   wine-bench.sh start DIR   fresh prefix in DIR/prefix, Xvfb if no display, wineboot
#   wine-bench.sh stop DIR    shut the wineserver and the virtual display down
#   wine-bench.sh display DIR / stop-display DIR   only the display (used by make run)
set -euo pipefail
action=${1:?start or stop}
bench=${2:?bench folder}
mkdir -p "$bench"
bench=$(cd "$bench" && pwd)
export WINEPREFIX="$bench/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

stop_bench() {
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -f "$bench/xvfb.pid" ]; then
    kill "$(cat "$bench/xvfb.pid")" >/dev/null 2>&1 || true
    rm -f "$bench/xvfb.pid"
  fi
  rm -f "$bench/display"
}

start_display() {
  rm -f "$bench/display"
  if [ -n "${DISPLAY:-}" ] && [ -z "${NETVANE_FORCE_XVFB:-}" ]; then
    echo "$DISPLAY" >"$bench/display"
    return
  fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] && continue
    setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$bench/xvfb.log" 2>&1 &
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
  stop_bench
  rm -rf "$WINEPREFIX"
  start_display
  export DISPLAY
  DISPLAY=$(cat "$bench/display")
  # A persistent server serves every test of the run; 'stop' ends it.
  mkdir -p "$WINEPREFIX"
  setsid wineserver -p </dev/null >/dev/null 2>&1
  wineboot --init </dev/null >"$bench/wineboot.log" 2>&1
  # Xvfb has no window manager; for windows Wine thinks are managed it would wait two
  # seconds at every hide for one to answer. Unmanaged windows draw their own frames.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  echo "wine-bench: prefix $WINEPREFIX on display $DISPLAY"
  ;;
stop)
  stop_bench
  ;;
display)
  start_display
  ;;
stop-display)
  if [ -f "$bench/xvfb.pid" ]; then
    kill "$(cat "$bench/xvfb.pid")" >/dev/null 2>&1 || true
    rm -f "$bench/xvfb.pid"
  fi
  rm -f "$bench/display"
  ;;
*)
  echo "usage: $0 start|stop DIR" >&2
  exit 2
  ;;
esac
