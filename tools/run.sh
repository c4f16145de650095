#!/usr/bin/env bash
# `make run`: starts Netvane.exe under Wine from its distribution folder, in a prefix of
# the project's own (build/run/prefix). The first start adds two demonstration adapters,
# because Wine's registry has none. Without a display it uses a virtual one, saves a
# screenshot after start-up and ends the program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dist="$top/build/win32/dist"
run="$top/build/run"
mkdir -p "$run"
export WINEPREFIX="$run/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

[ -f "$dist/Netvane.exe" ] || { echo "run: $dist/Netvane.exe is missing; build first" >&2; exit 1; }

headless=
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  bash "$top/tools/wine-bench.sh" display "$run"
  DISPLAY=$(cat "$run/display")
  export DISPLAY
fi

if [ ! -f "$run/prefix/.netvane-demo" ]; then
  echo "run: preparing the Wine prefix $WINEPREFIX"
  wineboot --init >"$run/wineboot.log" 2>&1
  wine regedit /S "$(winepath -w "$top/tools/demo-adapters.reg")" >/dev/null 2>&1
  wineserver -w
  touch "$run/prefix/.netvane-demo"
fi

cd "$dist"
if [ -z "$headless" ]; then
  exec wine Netvane.exe
fi

# Headless: no window manager, so Wine draws its own frames.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine Netvane.exe &
app=$!
shot="$run/screenshot.png"
for _ in $(seq 1 100); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Netvane"' && break
  sleep 0.2
done
sleep 1.5   # let the window finish painting
import -window root -display "$DISPLAY" "$shot"
echo "run: screenshot of the started program saved to $shot"
wineserver -k >/dev/null 2>&1 || true
wait "$app" 2>/dev/null || true
bash "$top/tools/wine-bench.sh" stop-display "$run"
