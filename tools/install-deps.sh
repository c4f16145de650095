#!/usr/bin/env bash
# Installs the Debian packages both builds and the Wine test bench need.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(g++ cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386
          xvfb xauth x11-utils imagemagick googletest libgtest-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# npm may come with a Node.js that is not Debian's; any working npm will do.
command -v npm >/dev/null 2>&1 || missing+=(npm)
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
