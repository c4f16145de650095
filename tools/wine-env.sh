#!/usr/bin/env bash
# The one place that knows how this project runs Wine. Sourced by cmake/wine-run.sh (the
# CTest emulator), tools/wine-bench.sh (the test bench), tools/run.sh (`make run`),
# tools/bench-gui.sh and tools/install-deps.sh; run directly it answers the Makefile:
#   wine-env.sh preset         prints win32 where 32-bit programs run, else win64 (and, on
#                              standard error, why the 32-bit build is not used)
#   wine-env.sh win32-check    exit 0 where the 32-bit suites can run; else prints why
#
# Two kinds of machine run this project: those whose kernel runs 32-bit programs, and those
# with its 32-bit emulation switched off, where every i386 program (Wine's 32-bit loader
# included) fails with "Exec format error". Debian's `wine` wrapper picks the 32-bit loader
# whenever wine32 is installed, even where it cannot start, so the 64-bit build calls the
# 64-bit loader directly. NETVANE_NO_WIN32=1 forces the machine without 32-bit support.

netvane_wine_dir=/usr/lib/wine

# True when the kernel runs an i386 program. The probe is a minimal static i386 ELF made
# here byte by byte (exit(42) through int 0x80), so the answer depends on the kernel alone,
# not on which packages are installed. $1: a folder to write it into (not /tmp, which may
# be mounted noexec).
netvane_kernel_runs_i386() {
    local dir=${1:?folder for the probe}
    mkdir -p "$dir"
    local probe="$dir/i386-probe"
    # ELF header (52 bytes), one PT_LOAD program header (32 bytes), 12 bytes of code.
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$probe"
    printf '\x00\x00\x00\x00' >>"$probe"
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
    printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
    printf '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >>"$probe"
    chmod +x "$probe"
    local status=0
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

# Exit 0 when the 32-bit suites can run here; otherwise prints the reason.
netvane_win32_check() {
    if [ -n "${NETVANE_NO_WIN32:-}" ] && [ "${NETVANE_NO_WIN32}" != 0 ]; then
        echo "NETVANE_NO_WIN32 is set"
        return 1
    fi
    local top
    top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    if ! netvane_kernel_runs_i386 "$top/build"; then
        echo "this machine's kernel cannot run 32-bit programs (its 32-bit emulation is off)"
        return 1
    fi
    if [ ! -x "$netvane_wine_dir/wine" ]; then
        echo "Wine's 32-bit half (wine32:i386) is not installed; tools/install-deps.sh said why"
        return 1
    fi
}

# Sets up Wine for one build: $1 win32 or win64, $2 the folder that holds the prefix
# ("prefix") and, once a display is chosen, the file "display" naming it. Exports what Wine
# reads and sets NETVANE_WINE, the loader to start programs with.
netvane_wine_env() {
    local arch=${1:?win32 or win64} dir=${2:?folder of the prefix}
    case "$arch" in
    win32) NETVANE_WINE=$netvane_wine_dir/wine ;;
    win64) NETVANE_WINE=$netvane_wine_dir/wine64 ;;
    *)
        echo "wine-env: unknown architecture '$arch' (win32 or win64)" >&2
        return 2
        ;;
    esac
    export WINEARCH=$arch WINEPREFIX="$dir/prefix" WINELOADER=$NETVANE_WINE
    # The 64-bit server serves 32-bit and 64-bit clients alike.
    export WINESERVER=$netvane_wine_dir/wineserver64
    export WINEDEBUG=${WINEDEBUG:--all}
    # No Mono or Gecko installers: nothing here needs them, and they would pop up dialogs.
    # A caller's own overrides (dhcpcsvc=n for the DHCP tests) come after.
    case ";${WINEDLLOVERRIDES:-};" in
    *";mscoree,mshtml=;"*) ;;
    *) export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" ;;
    esac
    if [ -f "$dir/display" ]; then
        DISPLAY=$(cat "$dir/display")
        export DISPLAY
    fi
}

# Runs a Windows program (or a Wine tool such as wineboot or reg) in the prefix set up above.
netvane_wine() {
    "$NETVANE_WINE" "$@"
}

# Creates the prefix ($1: where wineboot's output goes).
netvane_wine_boot() {
    mkdir -p "$WINEPREFIX"
    netvane_wine wineboot --init </dev/null >"${1:-/dev/null}" 2>&1
}

# Xvfb has no window manager, and for windows Wine thinks are managed it would wait two
# seconds at every hide for one to answer: on a virtual display ($1 yes) windows are
# unmanaged and draw their own frames; on a real desktop ($1 no) the window manager's.
netvane_wine_unmanaged_windows() {
    if [ "${1:?yes or no}" = yes ]; then
        netvane_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    else
        netvane_wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
    fi
}

# The prefix's display scale ($1 DPI: 96 is 100 %, 144 is 150 %), as winecfg sets it; the
# programs started afterwards read it.
netvane_wine_dpi() {
    local dpi=${1:?DPI}
    netvane_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
        >/dev/null 2>&1
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    case "${1:-}" in
    preset)
        if why=$(netvane_win32_check); then
            echo win32
        else
            echo "the 32-bit build is not used: $why" >&2
            echo win64
        fi
        ;;
    win32-check)
        netvane_win32_check
        ;;
    *)
        echo "usage: $0 preset|win32-check" >&2
        exit 2
        ;;
    esac
fi
