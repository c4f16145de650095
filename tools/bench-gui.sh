#!/usr/bin/env bash
# Runs the window benchmarks under Wine in a prefix of their own and prints their tables.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bins="$top/build/win32/gui-bench"
bench="$top/build/win32/bench-wine"
cp "$top/build/win32/dist/Netvane.exe" "$bins/"
bash "$top/tools/wine-bench.sh" start "$bench" >/dev/null
trap 'bash "$top/tools/wine-bench.sh" stop "$bench"' EXIT
export NETVANE_WINE_BENCH="$bench"
cd "$bins"
"$top/cmake/wine-run.sh" startup_bench.exe "Z:${bins//\//\\}" "${RUNS:-15}"
echo
"$top/cmake/wine-run.sh" switch_bench.exe
