#!/bin/bash
# A year of logs (tools/make-year-of-logs.sh): one photo matched against it
# by the native tool (time and peak memory), and the import window with the
# year in its PC list under Wine (tools: bench/windows/import_window_bench.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."

year=$PWD/build/year-of-logs
if [ ! -f "$year/done" ]; then
    rm -rf "$year"
    tools/make-year-of-logs.sh build/native/tools/nmea-gen/nmea-gen "$year/logs"
    touch "$year/done"
fi
photo=$year/photo.jpg
build/native/tools/demo-photo/demo-photo "$photo" "2025:06:01 12:00:00"
sync

/usr/bin/time -f "%e %M" -o "$year/time.txt" build/native/cli/vantora-gps match --log "$year/logs" "$photo" \
    > "$year/match.txt"
read -r seconds kilobytes < "$year/time.txt"
echo "one photo against $(ls "$year/logs" | wc -l) logs ($(du -sh "$year/logs" | cut -f1)) with the native tool: ${seconds} s, $((kilobytes / 1024)) MB at most"
grep -q "	OK	" "$year/match.txt" || { echo "the photo was not matched" >&2; exit 1; }

prefix=$PWD/build/win64/wineprefix
WINEPREFIX=$prefix wineserver -w
env -u DISPLAY tools/wine-run.sh --prefix "$prefix" --gui build/win64/program/import_window_bench.exe \
    "Z:$(echo "$year/logs" | tr / '\\')" 2> >(grep -v '^X connection to' >&2)
