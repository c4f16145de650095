#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine in the project's own prefix:
#   wine-run.sh win32|win64 PROGRAM [ARGS...]
# CTest calls this as the cross-compiling emulator; the prefix, the display and the
# persistent wineserver are set up once per test run by tools/wine-bench.sh, in the
# folder NETVANE_WINE_BENCH names.
set -euo pipefail
arch=${1:?win32 or win64}
shift
source "$(dirname "$0")/../tools/wine-env.sh"
netvane_wine_env "$arch" "${NETVANE_WINE_BENCH:-$PWD/wine}"
exec "$NETVANE_WINE" "$@"
