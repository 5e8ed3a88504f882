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
tool=$build/cli/vantora-gps

rm -rf "$demo"
tools/make-demo-data.sh "$demo/unit" "$demo/camera"

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
