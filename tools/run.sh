#!/usr/bin/env bash
# `make run`: starts Netvane.exe under Wine from its distribution folder, in a prefix of
# the project's own (build/run/ARCH/prefix). The first start adds two demonstration
# adapters, because Wine's registry has none. Without a display it uses a virtual one,
# saves a screenshot after start-up and ends the program.
#   run.sh win32|win64   which build to start (the Makefile asks wine-env.sh preset)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine-env.sh"
arch=${1:?win32 or win64}
dist="$top/build/$arch/dist"
run="$top/build/run"
mkdir -p "$run/$arch"

[ -f "$dist/Netvane.exe" ] || { echo "run: $dist/Netvane.exe is missing; build first" >&2; exit 1; }
case "$arch" in
win32) echo "run: starting the 32-bit build, $dist/Netvane.exe" ;;
win64) echo "run: starting the 64-bit build, $dist/Netvane.exe" ;;
esac

headless=
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  bash "$top/tools/wine-bench.sh" display "$run/$arch"
else
  rm -f "$run/$arch/display"   # left by a headless run that did not end
fi
netvane_wine_env "$arch" "$run/$arch"

if [ ! -f "$WINEPREFIX/.netvane-demo" ]; then
  echo "run: preparing the Wine prefix $WINEPREFIX"
  netvane_wine_boot "$run/$arch/wineboot.log"
  netvane_wine regedit /S "$(netvane_wine winepath -w "$top/tools/demo-adapters.reg")" >/dev/null 2>&1
  "$WINESERVER" -w
  touch "$WINEPREFIX/.netvane-demo"
fi
netvane_wine_unmanaged_windows "$([ -n "$headless" ] && echo yes || echo no)"

cd "$dist"
if [ -z "$headless" ]; then
  exec "$NETVANE_WINE" Netvane.exe
fi

netvane_wine Netvane.exe &
app=$!
shot="$run/screenshot.png"
for _ in $(seq 1 100); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Netvane"' && break
  sleep 0.2
done
sleep 1.5   # let the window finish painting
import -window root -display "$DISPLAY" "$shot"
echo "run: screenshot of the started program saved to $shot"
"$WINESERVER" -k >/dev/null 2>&1 || true
wait "$app" 2>/dev/null || true
bash "$top/tools/wine-bench.sh" stop-display "$run/$arch"
