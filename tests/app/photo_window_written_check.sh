#!/bin/bash
# exiftool reads back the GPS tags that the photo window wrote in the
# whole-road test: every photo holds the matched position, and the files
# pass exiftool's validation.
# Usage: photo_window_written_check.sh FOLDER   (FOLDER/photos, FOLDER/expected.txt)
folder=$1
failures=0
[ -s "$folder/expected.txt" ] || { echo "FAIL: no expected positions were written"; exit 1; }
while read -r name lat lon; do
    read -r got_lat got_lon < <(exiftool -n -s3 -GPSLatitude -GPSLongitude "$folder/photos/$name" | tr '\n' ' ')
    if ! awk -v a="$lat" -v b="$got_lat" -v c="$lon" -v d="$got_lon" \
        'BEGIN { exit !((a - b < 1e-6 && b - a < 1e-6) && (c - d < 1e-6 && d - c < 1e-6)) }'; then
        echo "FAIL: $name holds $got_lat $got_lon, expected $lat $lon"
        failures=$((failures + 1))
    fi
    warnings=$(exiftool -validate -warning -a -s3 "$folder/photos/$name" 2>&1 | grep -v '^OK$\|^$' || true)
    if [ -n "$warnings" ]; then
        echo "FAIL: $name: $warnings"
        failures=$((failures + 1))
    fi
done < "$folder/expected.txt"
expect=$(wc -l < "$folder/expected.txt")
[ "$expect" -eq 25 ] || { echo "FAIL: $expect photos expected, 25 wanted"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] && echo "the tags of all $expect photos read back as written"
exit $((failures > 0))
