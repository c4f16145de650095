#!/usr/bin/env bash
# `make fuzz`: builds the libFuzzer targets (preset fuzz, clang with ASan and UBSan) and runs
# each for FUZZ_SECONDS (default 60); target names as arguments (`tools/fuzz.sh set_ip`) build
# and run those alone. New inputs go to build/fuzz/corpus/<target>, beside the seeds of
# fuzz/corpus/<target>, which are only read; a crash or a broken expectation leaves its input
# in build/fuzz/artifacts and makes the run fail. To keep an input as a regression case, copy
# it into fuzz/corpus/<target>: `make test` replays every seed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}

missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cd "$top"
cmake --preset fuzz >/dev/null
status=0
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  cmake --build --preset fuzz
  for seeds in fuzz/corpus/*/; do targets+=("$(basename "$seeds")"); done
else
  cmake --build --preset fuzz --target "${targets[@]/%/_fuzzer}"
fi
for name in "${targets[@]}"; do
  seeds="fuzz/corpus/$name/"
  if [ ! -d "$seeds" ]; then
    echo "fuzz: no target $name (no fuzz/corpus/$name)"
    status=1
    continue
  fi
  corpus="build/fuzz/corpus/$name"
  artifacts="build/fuzz/artifacts/$name/"
  mkdir -p "$corpus" "$artifacts"
  echo "fuzz: $name for $seconds s"
  if ! "build/fuzz/fuzz/${name}_fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$artifacts" "$corpus" "$seeds" >"build/fuzz/$name.log" 2>&1; then
    echo "fuzz: $name FAILED; see build/fuzz/$name.log and $artifacts"
    status=1
  else
    grep -E "stat::number_of_executed_units" "build/fuzz/$name.log" | sed "s/^/fuzz: $name /"
  fi
done
exit $status
