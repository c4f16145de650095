#!/usr/bin/env bash
# Installs the Debian packages the builds and the Wine test bench need. Safe to run again:
# it installs only what is missing. Where the kernel cannot run 32-bit programs, Wine's
# 32-bit half is left out (its i386 post-install scripts would fail there, and nothing
# could use it); the 64-bit build and wine64 serve such a machine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine-env.sh"

packages=(g++ cmake make
          g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          wine wine64 xvfb xauth x11-utils imagemagick googletest libgtest-dev zip unzip)
i386_packages=()
if netvane_kernel_runs_i386 "$top/build"; then
  i386_packages=(wine32:i386)
fi

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for p in "${packages[@]}" "${i386_packages[@]}"; do
  installed "$p" || missing+=("$p")
done
# npm may come with a Node.js that is not Debian's; any working npm will do.
command -v npm >/dev/null 2>&1 || missing+=(npm)
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

if [ ${#i386_packages[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync fails one index now and then; apt then keeps the old
# one. Try again once, and let the install below decide whether what is there will do.
if ! "${sudo_cmd[@]}" apt-get update -qq; then
  sleep 5
  "${sudo_cmd[@]}" apt-get update -qq ||
    echo "install-deps: apt could not refresh every package index; installing from what it has"
fi
required=() optional=()
for p in "${missing[@]}"; do
  case " ${i386_packages[*]} " in
  *" $p "*) optional+=("$p") ;;
  *) required+=("$p") ;;
  esac
done
if [ ${#required[@]} -gt 0 ] &&
   ! "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${required[@]}"; then
  # An i386 package left half-configured (its post-install script could not run) fails
  # every install; what counts is that the packages the builds use are in place.
  for p in "${packages[@]}"; do
    installed "$p" || { echo "install-deps: $p could not be installed" >&2; exit 1; }
  done
  echo "install-deps: apt reported errors, but every package the builds need is installed"
fi
# Wine's 32-bit half on its own: when a mirror's i386 index lags behind its amd64 one, apt
# cannot match the two, and the builds and the 64-bit suites must not fail for it. The
# 32-bit suites then say they were skipped and why (tools/wine-env.sh).
if [ ${#optional[@]} -gt 0 ] &&
   ! "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${optional[@]}"; then
  for p in "${optional[@]}"; do
    installed "$p" || echo "install-deps: $p could not be installed; the 32-bit suites will be skipped" >&2
  done
fi
