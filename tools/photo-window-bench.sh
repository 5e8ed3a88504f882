#!/bin/bash
# The photo window at 2000 photos under Wine, on a virtual display, against
# the Windows command-line tool on the same photos in the same run. Prints
# one line of times (bench/windows/photo_window_bench.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."

prefix=$PWD/build/win64/wineprefix
wine="tools/wine-run.sh --prefix $prefix"
bench=build/win64/program/photo_window_bench.exe
work=$PWD/build/win64/photo-window-bench
trap 'rm -rf "$work"' EXIT
windows_path() { echo "Z:$(echo "$1" | tr / '\\')"; }

$wine "$bench" prepare "$(windows_path "$work")"
sync  # the test data on the disk before anything is timed
WINEPREFIX=$prefix wineserver -w  # the next run's server meets its display
# Without a display, wine-run.sh gives the window a virtual one of its own.
# (Wine's farewell to that display is not news.)
env -u DISPLAY $wine --gui "$bench" measure "$(windows_path "$work")" \
    "$(windows_path "$PWD/build/win64/cli/vantora-gps.exe")" 2> >(grep -v '^X connection to' >&2)
