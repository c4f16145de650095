#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine in the project's own prefix.
# CTest calls this as the cross-compiling emulator; the prefix, the display and
# the persistent wineserver are set up once per test run by tools/wine-bench.sh.
set -euo pipefail
bench=${NETVANE_WINE_BENCH:-$PWD/wine}
export WINEPREFIX="$bench/prefix"
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: nothing here needs them, and they would pop up dialogs.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
if [ -f "$bench/display" ]; then
  DISPLAY=$(cat "$bench/display")
  export DISPLAY
fi
exec wine "$@"
