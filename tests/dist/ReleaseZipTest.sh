#!/usr/bin/env bash
# The release zip of one build: exactly Netvane.exe, ReadMe.txt and help.htm in that order,
# the exe and the guide byte for byte as built, the exe without debug sections or symbols,
# the text in CR LF with the version filled in, and the same bytes when made again.
#   ReleaseZipTest.sh win32|win64 OBJDUMP
set -euo pipefail
arch=${1:?win32 or win64}
objdump=${2:?objdump of the toolchain}
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

zip1=$(bash "$top/tools/dist.sh" zip "$arch" "$work/first")
sleep 1.1 # a second later: a time stamp taken from the clock would now differ
zip2=$(bash "$top/tools/dist.sh" zip "$arch" "$work/second")
cmp -s "$zip1" "$zip2" || fail "two runs gave different zips"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$top/build/$arch/CMakeCache.txt")
[ "$(basename "$zip1")" = "Netvane-$version-$arch.zip" ] || fail "zip named $(basename "$zip1")"

entries=$(unzip -Z1 "$zip1" | tr '\n' ' ')
[ "$entries" = "Netvane.exe ReadMe.txt help.htm " ] || fail "entries are: $entries"

unzip -q "$zip1" -d "$work/unpacked"
cmp -s "$work/unpacked/Netvane.exe" "$top/build/$arch/dist/Netvane.exe" || fail "Netvane.exe differs"
cmp -s "$work/unpacked/help.htm" "$top/docs/help.htm" || fail "help.htm differs"

sections=$("$objdump" -h "$work/unpacked/Netvane.exe")
if grep -q "\.debug" <<<"$sections"; then fail "Netvane.exe keeps debug sections"; fi
grep -q "\.rsrc" <<<"$sections" || fail "Netvane.exe has no resources"
if "$objdump" -t "$work/unpacked/Netvane.exe" | grep -q "main"; then fail "Netvane.exe keeps symbols"; fi

readme="$work/unpacked/ReadMe.txt"
grep -q "^Netvane $version " "$readme" || fail "ReadMe.txt does not name version $version"
if grep -q "@" "$readme"; then fail "ReadMe.txt keeps a placeholder"; fi
lines=$(wc -l <"$readme")
crlf=$(grep -c $'\r$' "$readme")
[ "$lines" = "$crlf" ] || fail "ReadMe.txt has $((lines - crlf)) lines without CR LF"
echo "release zip of the $arch build: $(unzip -Z1 "$zip1" | wc -l) entries, $(stat -c %s "$zip1") bytes, reproducible"
