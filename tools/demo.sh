#!/bin/bash
# The demo: makes a small set of logs as the GPS logger writes them (a day
# out in Tokyo, with the faults real logs have) and shows what the program
# reads from them.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/native
demo=$build/demo
gen=$build/tools/nmea-gen/nmea-gen
tool=$build/cli/vantora-gps

rm -rf "$demo"
mkdir -p "$demo/20080501"

# Morning walk: satellites shown, a few seconds without a fix, one damaged sentence.
"$gen" --start 2008-05-01T00:30:00 --seconds 90 --lat 35.681236 --lon 139.767125 \
    --speed 1.4 --heading 200 --extra --void-every 40 --void-length 3 \
    --bad-checksum-rate 0.01 --seed 1 "$demo/20080501/093000.log"
# Lunch by train: fast, with a tunnel (a gap) and garbage bytes.
"$gen" --start 2008-05-01T03:10:00 --seconds 60 --lat 35.658034 --lon 139.701636 \
    --speed 15 --heading 70 --gap-every 30 --gap-length 8 --garbage-rate 0.05 \
    --seed 2 "$demo/20080501/121000.log"
# Evening: the battery ran out in the middle of a line.
"$gen" --start 2008-05-01T08:45:00 --seconds 30 --lat 35.710063 --lon 139.8107 \
    --speed 1.2 --heading 10 --truncate-last --seed 3 "$demo/20080501/174500.log"

echo "Demo logs written to $demo/20080501; the fixes read from them"
echo "(file, UTC time, latitude, longitude, status):"
echo
"$tool" log "$demo"/20080501/*.log | tee "$demo/fixes.txt"
echo
echo "Fixes accepted per log (seconds without a fix, damaged sentences and the"
echo "cut last line are left out):"
cut -f1 "$demo/fixes.txt" | uniq -c
