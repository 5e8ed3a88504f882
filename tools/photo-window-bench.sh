#!/bin/bash
# The photo window at 2000 photos under Wine, on a virtual display, against
# the Windows command-line tool on the same photos in the same run. Prints
# one line of times (bench/windows/photo_window_bench.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."

wine="tools/wine-run.sh --prefix $PWD/build/win64/wineprefix"
work=$PWD/build/win64/photo-window-bench
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    kill "$xvfb" 2>/dev/null || true
    $wine --stop-server
    rm -rf "$work"
}
trap cleanup EXIT
sleep 1
export DISPLAY=$display
$wine --start-server
windows_path() { echo "Z:$(echo "$1" | tr / '\\')"; }
bench=build/win64/program/photo_window_bench.exe
$wine "$bench" prepare "$(windows_path "$work")"
sync  # the test data on the disk before anything is timed
$wine --gui "$bench" measure "$(windows_path "$work")" "$(windows_path "$PWD/build/win64/cli/vantora-gps.exe")"
