#!/usr/bin/env bash
# Starts Netvane.exe under Wine from its distribution folder.
set -euo pipefail
echo "make run: Netvane.exe does not exist yet (it arrives with the main window)." >&2
exit 1
