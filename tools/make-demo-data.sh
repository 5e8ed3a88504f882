#!/bin/bash
# The demo's day out in Tokyo: the logs the GPS logger would have written
# (with the faults real logs have), laid out as on the logger, and the
# photos a camera would have taken. Needs the native build's generators.
#
# Usage: make-demo-data.sh UNIT_FOLDER CAMERA_FOLDER
set -euo pipefail
cd "$(dirname "$0")/.."

unit=$1
camera=$2
gen=build/native/tools/nmea-gen/nmea-gen
photo=build/native/tools/demo-photo/demo-photo

mkdir -p "$unit/20080501" "$camera"

# The logs, in UTC as the logger writes them.
# Morning walk: satellites shown, a few seconds without a fix, a damaged sentence.
"$gen" --start 2008-05-01T00:30:00 --seconds 900 --lat 35.681236 --lon 139.767125 \
    --speed 1.4 --heading 200 --extra --void-every 120 --void-length 3 \
    --bad-checksum-rate 0.01 --seed 1 "$unit/20080501/093000.log"
# Lunch by train: fast, with tunnels (gaps) and garbage bytes between sentences.
"$gen" --start 2008-05-01T03:10:00 --seconds 600 --lat 35.658034 --lon 139.701636 \
    --speed 15 --heading 70 --gap-every 200 --gap-length 30 --garbage-rate 0.02 \
    --seed 3 "$unit/20080501/121000.log"
# Evening: the battery ran out in the middle of a line.
"$gen" --start 2008-05-01T08:45:00 --seconds 300 --lat 35.710063 --lon 139.8107 \
    --speed 1.2 --heading 10 --truncate-last --seed 4 "$unit/20080501/174500.log"

# The photos, on the camera's clock (Japan time, UTC+9).
for t in 09:25:00 09:31:10 09:36:45 09:44:20 11:00:00 12:12:30 12:16:02 17:46:40 17:49:59 20:00:00; do
    "$photo" "$camera/IMG_${t//:/}.JPG" "2008:05:01 $t"
done
