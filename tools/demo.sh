#!/bin/bash
# The demo: a day out in Tokyo. Makes the logs the GPS logger would have
# written (with the faults real logs have) in a folder laid out like the
# unit, and the photos a camera would have taken; imports the logs into a
# log store as the import arrow does, matches the photos to the track,
# writes the positions into copies of the photos, and writes the KML file
# that Google Earth would show.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/native
demo=$build/demo
gen=$build/tools/nmea-gen/nmea-gen
photo=$build/tools/demo-photo/demo-photo
tool=$build/cli/vantora-gps

rm -rf "$demo"
mkdir -p "$demo/unit/20080501" "$demo/camera"

# The logs, in UTC as the logger writes them.
# Morning walk: satellites shown, a few seconds without a fix, a damaged sentence.
"$gen" --start 2008-05-01T00:30:00 --seconds 900 --lat 35.681236 --lon 139.767125 \
    --speed 1.4 --heading 200 --extra --void-every 120 --void-length 3 \
    --bad-checksum-rate 0.01 --seed 1 "$demo/unit/20080501/093000.log"
# Lunch by train: fast, with tunnels (gaps) and garbage bytes between sentences.
"$gen" --start 2008-05-01T03:10:00 --seconds 600 --lat 35.658034 --lon 139.701636 \
    --speed 15 --heading 70 --gap-every 200 --gap-length 30 --garbage-rate 0.02 \
    --seed 3 "$demo/unit/20080501/121000.log"
# Evening: the battery ran out in the middle of a line.
"$gen" --start 2008-05-01T08:45:00 --seconds 300 --lat 35.710063 --lon 139.8107 \
    --speed 1.2 --heading 10 --truncate-last --seed 4 "$demo/unit/20080501/174500.log"

# The photos, on the camera's clock (Japan time, UTC+9).
for t in 09:25:00 09:31:10 09:36:45 09:44:20 11:00:00 12:12:30 12:16:02 17:46:40 17:49:59 20:00:00; do
    "$photo" "$demo/camera/IMG_${t//:/}.JPG" "2008:05:01 $t"
done

echo "== The logs: fixes accepted per log"
echo "   (seconds without a fix, damaged sentences and the cut last line are left out)"
"$tool" log "$demo"/unit/20080501/*.log | cut -f1 | uniq -c
echo

work=$(mktemp -d "${TMPDIR:-/tmp}/vantora-demo.XXXXXX")
store=$work/store
photos=$work/photos
mkdir -p "$photos"
cp "$demo"/camera/*.JPG "$photos/"

echo "== Importing the unit's logs into the log store $store"
echo "   (copied as YYYYMMDD_HHMMSS.log; the unit keeps its logs unless asked)"
"$tool" import --unit "$demo/unit" --store "$store"
echo

echo "== The review list (file, shooting time, latitude, longitude, OK or ?, log)"
echo "   ? marks a doubtful match: before or after the track, or across a gap of"
echo "   ten minutes or more between two logs."
"$tool" match --utc-offset +09 --log "$store/log" "$photos"
echo

echo "== Writing the positions into copies of the photos in $photos"
"$tool" write --utc-offset +09 --log "$store/log" "$photos"
echo

echo "== The route and the photos for Google Earth"
"$tool" kml --utc-offset +09 --log "$store/log" --photos "$photos" -o "$work/korvel.kml"
echo "Written to $work/korvel.kml"
echo
echo "The originals in $demo/camera are untouched; the tagged copies stay in $photos."
