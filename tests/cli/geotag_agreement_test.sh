#!/bin/bash
# exiftool as the judge: the positions `vantora-gps write` puts into photos
# taken inside the track agree with exiftool's own geotagging of the same
# photos from the same logs to within 0.2 arc seconds.
# Usage: geotag_agreement_test.sh VANTORA_GPS NMEA_GEN DEMO_PHOTO
set -u
tool=$1
gen=$2
photo=$3
command -v exiftool >/dev/null || { echo "FAIL: exiftool is not installed"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir logs ours theirs

# A walk and a ride in Tokyo and a drive in Chile (UTC), so that both
# hemisphere letters of both axes are written.
"$gen" --start 2008-05-01T00:30:00 --seconds 900 --lat 35.681236 --lon 139.767125 \
    --speed 1.4 --heading 200 --extra --seed 5 logs/walk.log >/dev/null
"$gen" --start 2008-05-01T03:10:00 --seconds 600 --lat 35.658034 --lon 139.701636 \
    --speed 22 --heading 300 --seed 6 logs/ride.log >/dev/null
"$gen" --start 2008-05-02T01:00:00 --seconds 300 --lat -33.86 --lon -70.65 \
    --speed 9 --heading 135 --seed 7 logs/south.log >/dev/null

# Photos on the camera's clock (+09:00), inside the logs.
for t in "01 09:30:00" "01 09:31:07" "01 09:37:42" "01 09:44:59" "01 12:10:01" "01 12:14:33" \
         "01 12:19:59" "02 10:00:00" "02 10:02:31" "02 10:04:59"; do
    name="IMG_${t// /_}"
    "$photo" "ours/${name//:/}.jpg" "2008:05:$t" || exit 1
done
cp ours/*.jpg theirs/

"$tool" write --utc-offset +09 --log logs ours > write.txt 2>&1 || { cat write.txt; echo "FAIL: write"; exit 1; }
exiftool -q -q -overwrite_original -geotag 'logs/*.log' '-geotime<${DateTimeOriginal}+09:00' theirs \
    || { echo "FAIL: exiftool -geotag"; exit 1; }

failures=0
checked=0
for f in ours/*.jpg; do
    name=$(basename "$f")
    read -r ourLat ourLon < <(exiftool -n -p '$GPSLatitude $GPSLongitude' "$f" 2>/dev/null)
    read -r theirLat theirLon < <(exiftool -n -p '$GPSLatitude $GPSLongitude' "theirs/$name" 2>/dev/null)
    if [ -z "${ourLat:-}" ] || [ -z "${theirLat:-}" ]; then
        echo "FAIL: $name has no position (ours '${ourLat:-}', exiftool's '${theirLat:-}')"
        failures=$((failures + 1))
        continue
    fi
    # exiftool -n gives signed degrees for both.
    if ! awk -v a="$ourLat" -v b="$theirLat" -v c="$ourLon" -v d="$theirLon" 'BEGIN {
            limit = 0.2 / 3600; dl = a - b; dn = c - d;
            if (dl < 0) dl = -dl; if (dn < 0) dn = -dn;
            exit !(dl <= limit && dn <= limit) }'; then
        echo "FAIL: $name: ours $ourLat $ourLon, exiftool's $theirLat $theirLon"
        failures=$((failures + 1))
    fi
    checked=$((checked + 1))
done

if [ "$failures" -ne 0 ]; then
    echo "$failures of $checked photos disagree"
    exit 1
fi
echo "all $checked photos agree with exiftool to within 0.2 arc seconds"
