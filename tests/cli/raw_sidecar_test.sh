#!/bin/bash
# Raw and HEIF photos end to end: every kind the tool reads is listed beside
# its JPEG twin, `write` puts the position into its sidecar (a new NAME.xmp,
# or each sidecar already there) and never into the photo, `shift` moves the
# sidecar's shooting time, and exiftool reads the sidecar's position as the
# twin's Exif position. A sidecar already there keeps every other tag.
# Usage: raw_sidecar_test.sh VANTORA_GPS NMEA_GEN DEMO_PHOTO RAW_FIXTURES XMP_FIXTURES  (RUNNER: e.g. Wine)
tool=$1
gen=$2
photo=$3
raws=$4
xmps=$5
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
command -v exiftool >/dev/null || { echo "FAIL: exiftool is not installed"; exit 1; }
tags() { exiftool -a -G1 -s -n -u "$@" | grep -v -e 'File[A-Z]' -e 'Directory' -e 'XMP-exif.*GPS' -e 'Composite.*GPS' -e 'ExifTool'; }

mkdir logs "写真 é"
folder="写真 é"
# One log round the camera time of the Canon CR2 fixture (09:30 on its
# clock at +09:00); every fixture's sidecar puts it a few minutes later.
run "$gen" --start 2019-05-01T00:20:00 --seconds 1200 --lat 35.68 --lon 139.76 --speed 3 --heading 45 \
    logs/a.log >/dev/null || fail "generator"
i=0
for raw in canon_ii.cr2 nikon_mm.nef sony_ii.arw adobe_ii.dng adobe_mm.dng olympus_iiro.orf olympus_mmor.orf \
           panasonic_iiu.rw2 pentax_mm.pef canon.cr3 fujifilm.raf apple.heic phone.avif; do
    i=$((i + 1))
    name="IMG_$i"
    ext="${raw##*.}"
    cp "$raws/$raw" "$folder/$name.${ext^^}"
    # Its JPEG twin, taken at the same moment.
    # (demo-photo takes ANSI names only: it is made outside, then moved in.)
    run "$photo" twin.jpg "2019:05:01 09:3$((i % 10)):0$((i % 2))" && mv twin.jpg "$folder/$name.JPG" ||
        fail "demo photo"
    # The raw photo's time comes from a sidecar: the Adobe-style one, or
    # (every third) one in the darktable form, NAME.EXT.xmp.
    if [ $((i % 3)) -eq 0 ]; then
        sidecar="$folder/$name.${ext^^}.xmp"
        cp "$xmps/darktable.CR2.xmp" "$sidecar"
    else
        sidecar="$folder/$name.xmp"
        cp "$xmps/adobe_attributes.xmp" "$sidecar"
    fi
    exiftool -q -overwrite_original "-XMP-exif:DateTimeOriginal=2019:05:01 09:3$((i % 10)):0$((i % 2))+09:00" \
        "$sidecar" || fail "exiftool sets $sidecar"
    tags "$sidecar" > "$name.before"
done
sha1sum "$folder"/*.[A-Z0-9][A-Z0-9][A-Z0-9] "$folder"/*.HEIC "$folder"/*.AVIF 2>/dev/null | grep -v JPG > raws.sum

run "$tool" write --log logs "$folder" > out.txt 2> err.txt
expect_eq "$?" 0 "write exit status"
expect_eq "$(grep -ac '^sidecar: ' out.txt)" "$i" "sidecars printed"
grep -aq "written $((2 * i)), no match 0, failed 0" out.txt || fail "summary: $(cat out.txt err.txt)"
sha1sum -c --quiet raws.sum || fail "a raw or HEIF photo changed"

for n in $(seq 1 "$i"); do
    sidecar=$(ls "$folder/IMG_$n".*xmp)
    read -r lat lon < <(exiftool -n -p '$GPSLatitude $GPSLongitude' "$sidecar" 2>/dev/null)
    read -r jlat jlon < <(exiftool -n -p '$GPSLatitude $GPSLongitude' "$folder/IMG_$n.JPG" 2>/dev/null)
    [ -n "${lat:-}" ] || { fail "IMG_$n: no position in $sidecar"; continue; }
    awk -v a="$lat" -v b="$jlat" -v c="$lon" -v d="$jlon" 'BEGIN { dl = a - b; dn = c - d;
        if (dl < 0) dl = -dl; if (dn < 0) dn = -dn; exit !(dl <= 1e-6 && dn <= 1e-6) }' ||
        fail "IMG_$n: sidecar $lat $lon, its JPEG twin $jlat $jlon"
    tags "$sidecar" | diff "IMG_$n.before" - > /dev/null || fail "IMG_$n: other sidecar tags changed"
    exiftool -validate -warning -a "$sidecar" | grep -q 'Warning' && fail "IMG_$n: exiftool warns on $sidecar"
done

# A raw photo without a sidecar gets a new NAME.xmp; a shift moves the
# sidecars' time, and the raw files stay as they were.
rm "$folder/IMG_1.xmp"
run "$tool" shift --forward 00:00:10 "$folder" > out.txt 2> err.txt
expect_eq "$?" 0 "shift exit status"
expect_eq "$(exiftool -s -s -s -XMP-exif:DateTimeOriginal "$folder/IMG_1.xmp")" "2019:05:01 09:30:10+09:00" \
    "shifted time in a new sidecar"
expect_eq "$(exiftool -s -s -s -XMP-photoshop:DateCreated "$folder/IMG_3.ARW.xmp")" "2019:05:01 09:33:11+09:00" \
    "shifted time in a darktable sidecar"
sha1sum -c --quiet raws.sum || fail "a raw or HEIF photo changed by the shift"
run "$tool" match --log logs "$folder" > out.txt 2> err.txt
expect_eq "$(grep -ac $'\t2019/05/01 09:3.:1.\t' out.txt)" "$((2 * i))" "every photo shows its shifted time"

finish "raw and HEIF photos: $i kinds written into sidecars, the photos unchanged"
