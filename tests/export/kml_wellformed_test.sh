#!/bin/bash
# `vantora-gps kml` end to end: the document is well-formed XML even for a
# photo folder whose name XML reserves characters of, its route holds every
# fix the logs give, and each photo becomes one placemark.
# Usage: kml_wellformed_test.sh VANTORA_GPS NMEA_GEN DEMO_PHOTO
tool=$1
gen=$2
photo=$3
source "$(dirname "${BASH_SOURCE[0]}")/../cli/checks.sh"

# XPath over the KML namespace without naming it.
xpath() { xmllint --xpath "$1" "$2" 2>/dev/null; }
el() { echo "*[local-name()='$1']"; }

mkdir logs
run "$gen" --start 2008-05-01T00:30:00 --seconds 600 --lat 35.681236 --lon 139.767125 \
    --speed 1.4 --heading 200 logs/093000.log >/dev/null || fail "generator"
run "$gen" --start 2008-05-01T03:10:00 --seconds 300 --lat -33.5 --lon -70.25 \
    --speed 15 --heading 70 logs/121000.log >/dev/null || fail "generator"
folder="R&D <旅行> 写真"
mkdir "$folder"
for t in 09:31:10 09:35:00 12:12:30; do
    run "$photo" "$folder/IMG_${t//:/}.JPG" "2008:05:01 $t" || fail "demo photo"
done

run "$tool" kml --log logs --photos "$folder" -o route.kml > out.txt 2> err.txt
expect_eq "$?" 0 "kml exit status"
xmllint --noout route.kml 2> lint.txt || fail "not well-formed: $(head -3 lint.txt)"

fixes=$(run "$tool" log logs/093000.log logs/121000.log | tr -d '\r' | wc -l)
route=$(xpath "string(//$(el LineString)/$(el coordinates))" route.kml | wc -w)
expect_eq "$route" "$fixes" "route coordinates against logged fixes"
[ "$fixes" -eq 900 ] || fail "the generator gave $fixes fixes"

expect_eq "$(xpath "count(//$(el Placemark)/$(el Point))" route.kml)" 3 "photo placemarks"
expect_eq "$(xpath "string((//$(el Placemark)/$(el name))[2])" route.kml)" "IMG_093110.JPG" \
    "first photo's name"
href=$(xpath "string((//$(el href))[1])" route.kml)
expect_eq "$href" "$PWD/$folder/IMG_093110.JPG" "icon reference read back"
[ "$(xpath "string((//$(el Placemark)/$(el styleUrl))[3])" route.kml)" == "#Style00002" ] ||
    fail "style of the third photo"

# A photo whose shooting time cannot be placed leaves every photo out.
run "$photo" "$folder/IMG_NOTIME.JPG" "2008:00:00 00:00:00" || fail "demo photo"
run "$tool" kml --log logs --photos "$folder" -o partly.kml > /dev/null 2> err.txt
expect_eq "$?" 0 "kml with an unmatched photo"
expect_eq "$(xpath "count(//$(el Placemark))" partly.kml)" 1 "no photo placemark"
grep -q "IMG_NOTIME.JPG" err.txt || fail "unmatched photo not named"

# The route alone: without photos, and to a folder that does not exist.
run "$tool" kml --log logs -o alone.kml > /dev/null 2>&1
expect_eq "$?" 0 "kml without photos"
xmllint --noout alone.kml 2>/dev/null || fail "route-only document not well-formed"
expect_eq "$(xpath "count(//$(el Placemark))" alone.kml)" 1 "only the route placemark"
run "$tool" kml --log logs -o missing/route.kml > /dev/null 2> err.txt
expect_eq "$?" 1 "exit status when the file cannot be created"
grep -q "cannot be created" err.txt || fail "unwritable file not named"

# Usage errors.
run "$tool" kml -o x.kml > /dev/null 2>&1
expect_eq "$?" 2 "kml without a log"
run "$tool" kml --log logs > /dev/null 2>&1
expect_eq "$?" 2 "kml without an output file"
run "$tool" kml --help > /dev/null 2>&1
expect_eq "$?" 0 "kml help"

finish "kml command: ok"
