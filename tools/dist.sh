#!/usr/bin/env bash
# Release packages: Netvane-<version>-<win32|win64>.zip, each holding Netvane.exe, help.htm
# and ReadMe.txt, and SHA256SUMS beside them. The same commit gives byte-identical zips:
# entries in a fixed order, every time stamp the commit's, no extra attributes.
#   dist.sh all                    both zips and SHA256SUMS in build/release (make dist)
#   dist.sh zip ARCH OUTDIR        one zip from build/ARCH/dist into OUTDIR
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

# The version kept in project() of CMakeLists.txt, as the configured build has it.
project_version() {
  local cache="$top/build/$1/CMakeCache.txt"
  sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$cache" 2>/dev/null | grep . ||
    { echo "dist: $cache has no project version; build first" >&2; exit 1; }
}

# The commit's time, so that a rebuild of the same commit stamps the same time.
source_time() {
  git -C "$top" log -1 --format=%cI 2>/dev/null || echo "2000-01-01T00:00:00Z"
}

make_zip() {
  local arch=$1 out=$2 version build note
  version=$(project_version "$arch")
  case "$arch" in
  win32) build="32-bit"; note="This build runs on 32-bit and 64-bit Windows alike." ;;
  win64) build="64-bit"; note="This build runs on 64-bit Windows only; take the 32-bit one when unsure." ;;
  *) echo "dist: unknown build '$arch'" >&2; exit 2 ;;
  esac
  local dist="$top/build/$arch/dist"
  [ -f "$dist/Netvane.exe" ] || { echo "dist: $dist/Netvane.exe is missing; build first" >&2; exit 1; }
  local stage
  stage=$(mktemp -d)
  cp "$dist/Netvane.exe" "$dist/help.htm" "$stage/"
  # Notepad on older Windows wants CR LF.
  sed -e "s/@VERSION@/$version/" -e "s/@BUILD@/$build/" -e "s/@BUILD_NOTE@/$note/" \
      -e 's/$/\r/' "$top/docs/ReadMe.txt" >"$stage/ReadMe.txt"
  chmod 0644 "$stage"/*
  touch -d "$(source_time)" "$stage"/*
  mkdir -p "$out"
  local zip="$out/Netvane-$version-$arch.zip"
  rm -f "$zip"
  # DOS time stamps are local time: UTC keeps them the same on every machine.
  (cd "$stage" && TZ=UTC zip -q -X -D "$zip" Netvane.exe ReadMe.txt help.htm)
  rm -rf "$stage"
  echo "$zip"
}

case "${1:-}" in
all)
  out="$top/build/release"
  rm -rf "$out"
  make_zip win32 "$out" >/dev/null
  make_zip win64 "$out" >/dev/null
  (cd "$out" && sha256sum -- *.zip >SHA256SUMS && cat SHA256SUMS)
  echo "dist: release packages in $out"
  ;;
zip)
  make_zip "${2:?win32 or win64}" "${3:?output folder}"
  ;;
*)
  echo "usage: $0 all | zip ARCH OUTDIR" >&2
  exit 2
  ;;
esac
