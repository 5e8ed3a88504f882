#!/bin/bash
# Raw and HEIF photos end to end: every kind the tool reads is listed beside
# its JPEG twin, `write` puts the position into its sidecar (a new NAME.xmp,
# or each sidecar already there) and never into the photo, `shift` moves the
# sidecar's shooting time, and exiftool reads the sidecar's position as the
# twin's Exif position. A sidecar already there keeps every other tag.
# JPEGs whose own XMP holds a position (padded or not, with trailers, a
# maker-note preview or a second picture) get the same position there as in
# their Exif, nothing else of them changing.
# Usage: raw_sidecar_test.sh VANTORA_GPS NMEA_GEN DEMO_PHOTO RAW_FIXTURES XMP_FIXTURES EXIF_FIXTURES
#   (RUNNER: e.g. Wine)
tool=$1
gen=$2
photo=$3
raws=$4
xmps=$5
jpegs=$6
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

# JPEGs whose own XMP holds an older position (exiftool puts it there, and
# the shooting time into the log).
xfolder="한 xmp"
mkdir "$xfolder"
run "$photo" demo.jpg "2019:05:01 09:35:00" && cp demo.jpg "$xfolder/padded.jpg" && mv demo.jpg "$xfolder/tight.jpg" ||
    fail "demo photo"
for f in ii_afcp_samsung_trailers ii_makernote_preview mm_multi_picture mm_gps_xmp; do
    cp "$jpegs/$f.jpg" "$xfolder/$f.jpg"
done
for f in "$xfolder"/*.jpg; do
    compact=()
    # Only one keeps the padding exiftool leaves: the others must grow.
    [ "$(basename "$f")" != padded.jpg ] && compact=(-api Compact=NoPadding)
    exiftool -q -overwrite_original "${compact[@]}" "-DateTimeOriginal=2019:05:01 09:35:00" \
        "-XMP-exif:DateTimeOriginal=2019:05:01 09:35:00+09:00" -XMP:GPSLatitude=-1.5 -XMP:GPSLongitude=2.5 \
        -XMP-exif:GPSMapDatum=TOKYO "$f" || fail "exiftool prepares $f"
done
xtags() {
    exiftool -a -G1 -s -n -u -sort --File:all --Composite:all --ExifTool:all "$1" | grep -v -E \
        -e '^\[(GPS|XMP-exif|System)\] ' -e ' (GPSLatitude|GPSLongitude|GPSMapDatum|GPSVersionID|GPSTimeStamp|GPSStatus) ' \
        -e '^\[[^]]*\] +(ThumbnailOffset|ExifOffset|GPSInfo|InteropOffset|OtherImageStart|PreviewImageStart|MPImageStart) '
}
pictures() { exiftool -a -b -ThumbnailImage -MPImage2 -AFCP:all -Samsung:EmbeddedImage -Samsung:EmbeddedAudioFile "$1" | sha256sum; }
# exiftool finds a maker-note preview even where its offset is stale: its
# bytes are read where the offset says.
preview_at() {
    read -r start length < <(exiftool -n -p '$PreviewImageStart $PreviewImageLength' "$1" 2>/dev/null)
    [ -n "${length:-}" ] && tail -c +$((start + 1)) "$1" | head -c "$length" | sha256sum
}
for f in "$xfolder"/*.jpg; do
    n=$(basename "$f" .jpg)
    xtags "$f" > "$n.tags"
    exiftool -a -validate -warning -error "$f" | sed 's/^Validate .*$//' | sort -u > "$n.warnings"
    pictures "$f" > "$n.pictures"
    exiftool -b -PreviewImage "$f" 2>/dev/null | sha256sum > "$n.preview"
done
run "$tool" write --log logs "$xfolder" > out.txt 2> err.txt
expect_eq "$?" 0 "write exit status (own XMP)"
grep -aq "written 6, no match 0, failed 0" out.txt || fail "summary (own XMP): $(cat out.txt err.txt)"
for f in "$xfolder"/*.jpg; do
    n=$(basename "$f" .jpg)
    read -r xlat xlon xdatum < <(exiftool -n -p '${XMP-exif:GPSLatitude} ${XMP-exif:GPSLongitude} ${XMP-exif:GPSMapDatum}' "$f")
    read -r elat elon < <(exiftool -n -p '$GPS:GPSLatitude $GPS:GPSLongitude' "$f")
    awk -v a="${xlat:-0}" -v b="${elat:-9}" -v c="${xlon:-0}" -v d="${elon:-9}" 'BEGIN { dl = a - b; dn = c - d;
        if (dl < 0) dl = -dl; if (dn < 0) dn = -dn; exit !(dl <= 1e-6 && dn <= 1e-6 && b > 35 && d > 139) }' ||
        fail "$n: XMP $xlat $xlon, Exif $elat $elon"
    expect_eq "${xdatum:-}" "WGS-84" "$n: XMP datum"
    xtags "$f" | diff "$n.tags" - > /dev/null || fail "$n: tags changed: $(xtags "$f" | diff "$n.tags" - | head -5)"
    exiftool -a -validate -warning -error "$f" | sed 's/^Validate .*$//' | sort -u | diff "$n.warnings" - >/dev/null ||
        fail "$n: new exiftool warnings"
    expect_eq "$(pictures "$f")" "$(cat "$n.pictures")" "$n: thumbnail, second picture and trailers"
    [ "$n" == ii_makernote_preview ] && expect_eq "$(preview_at "$f")" "$(cat "$n.preview")" "$n: preview"
done
# A shift moves the time in their XMP with the Exif time.
run "$tool" shift --forward 00:00:10 "$xfolder" > out.txt 2> err.txt
expect_eq "$?" 0 "shift exit status (own XMP)"
for f in "$xfolder"/*.jpg; do
    n=$(basename "$f" .jpg)
    expect_eq "$(exiftool -s -s -s -XMP-exif:DateTimeOriginal -ExifIFD:DateTimeOriginal "$f" | tr '\n' ' ')" \
        "2019:05:01 09:35:10+09:00 2019:05:01 09:35:10 " "$n: shifted XMP and Exif times"
    xtags "$f" | grep -v DateTimeOriginal | diff <(grep -v DateTimeOriginal "$n.tags") - > /dev/null ||
        fail "$n: tags changed by the shift"
done

finish "raw and HEIF photos: $i kinds written into sidecars, the photos unchanged; JPEGs' own XMP agrees with their Exif"
