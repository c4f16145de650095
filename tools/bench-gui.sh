#!/usr/bin/env bash
# Runs the window benchmarks under Wine in a prefix of their own and prints their tables.
#   bench-gui.sh win32|win64 [other Netvane.exe ...]
#     which build to measure (the Makefile asks wine-env.sh preset); each other build named
#     is started in turn with it on 10,000 settings, to measure a change in one run.
#     STARTUP_ONLY=1 runs the start-up benchmark alone.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine-env.sh"
arch=${1:?win32 or win64}
bins="$top/build/$arch/gui-bench"
bench="$top/build/$arch/bench-wine"
echo "bench: the $arch build, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores"
echo "Netvane.exe: $(stat -c %s "$top/build/$arch/dist/Netvane.exe") bytes"
cp "$top/build/$arch/dist/Netvane.exe" "$bins/"
bash "$top/tools/wine-bench.sh" start "$arch" "$bench" >/dev/null
trap 'bash "$top/tools/wine-bench.sh" stop "$arch" "$bench"' EXIT
netvane_wine_env "$arch" "$bench"
others=()
for other in "${@:2}"; do
  other=$(realpath "$other")
  others+=("Z:${other//\//\\}")
done
cd "$bins"
netvane_wine startup_bench.exe "Z:${bins//\//\\}" "${RUNS:-15}" "${others[@]}"
[ -n "${STARTUP_ONLY:-}" ] && exit 0
echo
netvane_wine startup_steps.exe "${STEP_RUNS:-30}"
echo
netvane_wine switch_bench.exe "${SWITCHES:-400}"
