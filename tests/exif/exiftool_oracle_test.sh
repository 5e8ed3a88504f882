#!/bin/bash
# exiftool judges what the Exif library writes. For a copy of every fixture
# with Exif: write a position and a shooting time through exif-tool (linked to
# the library), then check with exiftool that
#   - no new validation warning or error appeared,
#   - only the written tags changed (pointer tags and offsets aside),
#   - the written values read back as intended,
#   - the thumbnail, the image data and a multi-picture file's second image
#     are byte-identical, and the second image is still found,
#   - a GPS directory agrees with itself: its version is what its tags need,
#     a date stamp there agrees with the new time stamp,
#   - the maker notes read the same (no offsets warning),
#   - an AFCP trailer's blocks read the same (its absolute offsets were moved:
#     no "Adjusted AFCP offsets" warning), also under another trailer;
#     Samsung's trailer reads the same and its QDIO block's absolute offsets
#     give its audio;
#   - a maker-note preview after the image is where its PreviewImageStart
#     says (exiftool finds such a preview even where the offset is stale, so
#     its bytes are read at the offset here).
# Files without Exif, and the PNG named .jpg, must be refused and left whole.
# Raw and HEIF fixtures (RAW_FIXTURE_DIR): the library reads the values
# exiftool reads (shooting time, sub-second, zone, camera, serial, position)
# and the largest preview exiftool extracts; the writing open refuses them,
# every set on the reading open is refused, and they stay byte-identical.
#
# Usage: exiftool_oracle_test.sh EXIF_TOOL FIXTURE_DIR [RAW_FIXTURE_DIR]
#   RUNNER: e.g. the Wine wrapper, for exif-tool.exe (start its server first);
#   exiftool always runs natively.
set -uo pipefail

tool=$1
fixtures=$2
raw_fixtures=${3:-}
runner=${RUNNER:-}
run() { $runner "$@"; }
if ! command -v exiftool >/dev/null; then
    echo "exiftool is missing (Debian package libimage-exiftool-perl; see tools/install-deps.sh)"
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL $1: $2"
    failures=$((failures + 1))
}

warnings() { exiftool -a -validate -warning -error "$1" | sed 's/^Validate .*$//' | sort -u; }
tags() {
    exiftool -a -G1 -s -n -u -sort --File:all --Composite:all --ExifTool:all "$1" |
        grep -v -E '^\[[^]]*\] +(ThumbnailOffset|ExifOffset|GPSInfo|InteropOffset|OtherImageStart|PreviewImageStart|MPImageStart) '
}
# exiftool shows MPImageStart as a file position: it moves with the Exif
# segment, and the second image is compared by its bytes instead.
second_image() { exiftool -b -MPImage2 "$1" | sha256sum; }
no_bytes=$(sha256sum </dev/null)
# What the trailers after the image hold, as exiftool reads them.
trailer_data() { exiftool -a -b -AFCP:all -Samsung:EmbeddedImage -Samsung:EmbeddedAudioFile "$1" | sha256sum; }
# The bytes at a file offset, hashed.
bytes_at() { tail -c +$(($2 + 1)) "$1" | head -c "$3" | sha256sum; }
# The preview where the maker note's PreviewImageStart (a file position, as
# exiftool shows it) and length say; none when there is no such pair.
preview_at() {
    local start length
    read -r start length < <(exiftool -n -s3 -MakerNotes:PreviewImageStart -MakerNotes:PreviewImageLength "$1" | tr '\n' ' ')
    if [ -n "${length:-}" ]; then bytes_at "$1" "$start" "$length"; else echo none; fi
}
# The audio where the QDIO block of a Samsung trailer ending in "QDIOBS" says
# (little-endian start and end, 30 bytes before the end); none without one.
qdio_audio() {
    local range
    range=$(perl -e 'open(my $f, "<:raw", $ARGV[0]) or die; seek($f, -30, 2); read($f, my $q, 30);
        print join(" ", unpack("V2", substr($q, 12, 8))) if substr($q, 0, 4) eq "QDIO" && substr($q, 24) eq "QDIOBS";' "$1")
    if [ -n "$range" ]; then set -- "$1" $range; bytes_at "$1" "$2" $(($3 - $2)); else echo none; fi
}
# Bytes from the start-of-scan marker to the end-of-image marker, hashed
# (perl is there wherever exiftool is). What follows may change: an AFCP
# trailer's offsets move with the Exif segment's size.
image_data() {
    perl -MDigest::SHA=sha256_hex -e '
        local $/; open(my $f, "<:raw", $ARGV[0]) or die; my $d = <$f>;
        my ($i, $n) = (2, 0);
        while ($i + 4 <= length($d) && ord(substr($d, $i, 1)) == 0xFF) {
            $i++ while ord(substr($d, $i, 1)) == 0xFF;
            my $m = ord(substr($d, $i, 1));
            $n = unpack("n", substr($d, $i + 1, 2));
            last if $m == 0xDA;
            $i += 1 + $n;
        }
        my $end = index($d, "\xFF\xD9", $i + 1 + $n);
        $end = $end < 0 ? length($d) : $end + 2;
        print sha256_hex(substr($d, $i - 1, $end - $i + 1)), "\n";' "$1"
}

for original in "$fixtures"/*.jpg; do
    name=$(basename "$original")
    failures_before=$failures
    copy="$work/$name"
    cp "$original" "$copy"
    case $name in
    no_exif.jpg | png_named.jpg)
        if run "$tool" gps "$copy" 2>/dev/null; then fail "$name" "writing was not refused"; fi
        cmp -s "$original" "$copy" || fail "$name" "the refused file changed"
        continue
        ;;
    esac

    if [ "$name" = mm_near_limit.jpg ]; then
        # The position does not fit: refused whole, the file unchanged; the
        # shooting time still fits in place.
        if run "$tool" gps "$copy" 2>/dev/null; then fail "$name" "a position beyond the segment limit was written"; fi
        cmp -s "$original" "$copy" || fail "$name" "the refused file changed"
        run "$tool" time "$copy" "2001:02:03 04:05:06" || fail "$name" "the shooting time was not written"
    else
        run "$tool" gps "$copy" || fail "$name" "writing the position failed"
        run "$tool" time "$copy" "2001:02:03 04:05:06" || fail "$name" "writing the shooting time failed"
    fi

    # 1. No new warning.
    new_warnings=$(comm -13 <(warnings "$original") <(warnings "$copy"))
    [ -z "$new_warnings" ] || fail "$name" "new exiftool warnings: $new_warnings"
    exiftool -a -warning "$copy" | grep -qiE 'maker ?notes' && fail "$name" "exiftool warns about the maker notes"
    exiftool -a -warning "$copy" | grep -qi 'AFCP offsets' && fail "$name" "exiftool had to adjust the AFCP offsets"

    # 2. Only the intended tags changed.
    changed=$(diff <(tags "$original") <(tags "$copy") | grep -E '^[<>]' |
        grep -v -E '\] +(DateTimeOriginal|GPSVersionID|GPSLatitudeRef|GPSLatitude|GPSLongitudeRef|GPSLongitude|GPSStatus|GPSTimeStamp|GPSMapDatum|GPSDateStamp) ')
    [ -z "$changed" ] || fail "$name" "other tags changed: $changed"

    # 3. The written values, as exiftool reads them.
    expected="DateTimeOriginal: 2001:02:03 04:05:06"
    # A date stamp already there agrees with the new time stamp, and the
    # version is what the directory's tags need, never lowered: 2.2 for the
    # date stamp, processing method, area information and differential
    # correction, 2.3 for the horizontal positioning error.
    version="2 0 0 0"
    if [ -n "$(exiftool -s3 -GPSDateStamp "$original")" ]; then
        expected+="
GPSDateStamp: 2008:05:01"
    fi
    if [ -n "$(exiftool -s3 -GPSHPositioningError "$original")" ]; then
        version="2 3 0 0"
    elif [ -n "$(exiftool -s3 -GPSDateStamp -GPSProcessingMethod -GPSAreaInformation -GPSDifferential "$original")" ]; then
        version="2 2 0 0"
    fi
    if [ "$name" != mm_near_limit.jpg ]; then
        expected+="
GPSLatitude: 35.6520555555556
GPSLatitudeRef: N
GPSLongitude: 139.741258333333
GPSLongitudeRef: E
GPSMapDatum: WGS-84
GPSStatus: A
GPSTimeStamp: 01:30:05
GPSVersionID: $version"
    fi
    got=$(exiftool -s -n -sort -DateTimeOriginal -GPSDateStamp -GPSVersionID -GPSLatitudeRef -GPSLatitude -GPSLongitudeRef \
        -GPSLongitude -GPSStatus -GPSTimeStamp -GPSMapDatum "$copy" | sed -E 's/ +: /: /')
    [ "$got" = "$expected" ] || fail "$name" "values read back by exiftool: $got"
    # The byte order stays.
    [ "$(exiftool -s3 -ExifByteOrder "$original")" = "$(exiftool -s3 -ExifByteOrder "$copy")" ] ||
        fail "$name" "the byte order changed"

    # 4. Thumbnail and image data unchanged.
    [ "$(exiftool -b -ThumbnailImage "$original" | sha256sum)" = "$(exiftool -b -ThumbnailImage "$copy" | sha256sum)" ] ||
        fail "$name" "the thumbnail changed"
    [ "$(image_data "$original")" = "$(image_data "$copy")" ] || fail "$name" "the image data changed"
    if [ "$(second_image "$original")" != "$no_bytes" ]; then
        [ "$(second_image "$original")" = "$(second_image "$copy")" ] ||
            fail "$name" "the second image of the MPF segment changed or is no longer found"
    fi

    [ "$(trailer_data "$original")" = "$(trailer_data "$copy")" ] || fail "$name" "a trailer after the image reads differently"
    [ "$(preview_at "$copy")" = "$(preview_at "$original")" ] ||
        fail "$name" "the maker note's preview is no longer where its offset says"
    if [ "$(qdio_audio "$original")" != none ]; then
        [ "$(qdio_audio "$copy")" = "$(exiftool -b -EmbeddedAudioFile "$copy" | sha256sum)" ] ||
            fail "$name" "the QDIO block's offsets do not give the audio"
    fi

    # 5. A second identical write changes nothing at all.
    cp "$copy" "$work/again.jpg"
    if [ "$name" != mm_near_limit.jpg ]; then run "$tool" gps "$work/again.jpg" >/dev/null; fi
    run "$tool" time "$work/again.jpg" "2001:02:03 04:05:06" >/dev/null
    cmp -s "$copy" "$work/again.jpg" || fail "$name" "writing the same values again changed the file"
    [ $failures -eq $failures_before ] && echo "ok   $name"
done

# The thumbnail fixture really has a thumbnail, and the maker-note fixture
# really has Canon maker notes (else the checks above prove little).
[ "$(exiftool -b -ThumbnailImage "$fixtures/ii_jfif_thumbnail.jpg" | wc -c)" -gt 0 ] || fail fixtures "no thumbnail to check"
exiftool -s -OwnerName "$fixtures/ii_canon_makernote.jpg" | grep -q 'Vantora Fixture Owner' || fail fixtures "no maker note to check"
[ "$(exiftool -s3 -OwnerName "$work/ii_canon_makernote.jpg")" = "Vantora Fixture Owner" ] || fail ii_canon_makernote.jpg "the maker note reads differently"
# The AFCP fixture's trailer is read from the end of the file, and the
# writes above moved it.
[ "$(exiftool -s3 -AFCP:Text "$fixtures/mm_afcp_trailer.jpg")" = "Text in an AFCP trailer.." ] || fail fixtures "no AFCP trailer to check"
[ "$(stat -c %s "$work/mm_afcp_trailer.jpg")" != "$(stat -c %s "$fixtures/mm_afcp_trailer.jpg")" ] ||
    fail mm_afcp_trailer.jpg "the writes did not move the trailer"

# The phone fixture's GPS directory has no version but tags of Exif 2.2 and
# 2.3 (kept as they were: check 2), and the multi-picture fixture's second
# image is found where its MP entry says.
[ -z "$(exiftool -s3 -GPSVersionID "$fixtures/ii_phone_gps.jpg")" ] &&
    [ "$(exiftool -s3 -n -GPSHPositioningError -GPSAltitude -GPSProcessingMethod "$fixtures/ii_phone_gps.jpg" | tr '\n' ' ')" = "35 41.25 GPS " ] ||
    fail fixtures "ii_phone_gps.jpg is not the phone-style GPS directory to check"
[ "$(exiftool -s3 -NumberOfImages "$fixtures/mm_multi_picture.jpg")" = 2 ] &&
    [ "$(second_image "$fixtures/mm_multi_picture.jpg")" != "$no_bytes" ] ||
    fail fixtures "no second MPF image to check"

# The stacked fixture's AFCP trailer lies under Samsung's, whose QDIO block
# gives the audio; the preview fixture's preview lies after the image.
[ "$(exiftool -s3 -AFCP:Text "$fixtures/ii_afcp_samsung_trailers.jpg")" = "Text in a stacked AFCP trailer.." ] &&
    [ "$(tail -c 6 "$fixtures/ii_afcp_samsung_trailers.jpg")" = QDIOBS ] &&
    [ "$(qdio_audio "$fixtures/ii_afcp_samsung_trailers.jpg")" = "$(exiftool -b -EmbeddedAudioFile "$fixtures/ii_afcp_samsung_trailers.jpg" | sha256sum)" ] ||
    fail fixtures "no AFCP trailer under a Samsung trailer to check"
[ "$(preview_at "$fixtures/ii_makernote_preview.jpg")" = "$(exiftool -b -PreviewImage "$fixtures/ii_makernote_preview.jpg" | sha256sum)" ] &&
    [ "$(exiftool -n -s3 -PreviewImageStart "$fixtures/ii_makernote_preview.jpg")" -gt "$(($(stat -c %s "$fixtures/ii_makernote_preview.jpg") - 400))" ] ||
    fail fixtures "no maker-note preview after the image to check"

# What exiftool reads in a raw or HEIF file, in the lines exif-tool photo
# prints (DNG's serial in IFD0 under the name of the Exif one).
exiftool_reading() {
    exiftool -s -n -ExifIFD:DateTimeOriginal -ExifIFD:SubSecTimeOriginal -ExifIFD:OffsetTimeOriginal -IFD0:Make \
        -IFD0:Model -ExifIFD:SerialNumber -IFD0:CameraSerialNumber -GPS:GPSLatitude -GPS:GPSLatitudeRef \
        -GPS:GPSLongitude -GPS:GPSLongitudeRef "$1" | sed -E 's/ +: /: /; s/^CameraSerialNumber:/SerialNumber:/' | sort
}
# The largest of the JPEG previews exiftool extracts, hashed; none without.
largest_preview() {
    local tag best="" size=0
    for tag in PreviewImage JpgFromRaw ThumbnailImage OtherImage; do
        exiftool -b -"$tag" "$1" >"$work/preview.jpg"
        if [ "$(stat -c %s "$work/preview.jpg")" -gt "$size" ]; then
            size=$(stat -c %s "$work/preview.jpg")
            best=$(sha256sum <"$work/preview.jpg")
        fi
    done
    echo "${best:-none}"
}
for original in ${raw_fixtures:+"$raw_fixtures"/*}; do
    name=$(basename "$original")
    failures_before=$failures
    copy="$work/$name"
    cp "$original" "$copy"
    ours=$(run "$tool" photo "$copy" | tr -d '\r')
    [ -n "$ours" ] || fail "$name" "the library does not read it"
    if exiftool -warning -s3 "$copy" | grep -q "construction method 1"; then
        echo "note $name: exiftool does not read an Exif item in an item data box; the library's tests check it"
    else
        got=$(grep -v -E '^(Preview|Kind):' <<<"$ours" | sort)
        expected=$(exiftool_reading "$copy")
        [ "$got" = "$expected" ] || fail "$name" "the library read
$got
where exiftool reads
$expected"
        read -r offset length < <(sed -n 's/^Preview: //p' <<<"$ours")
        if [ -n "${length:-}" ]; then ours_preview=$(bytes_at "$copy" "$offset" "$length"); else ours_preview=none; fi
        [ "$ours_preview" = "$(largest_preview "$copy")" ] || fail "$name" "the preview is not exiftool's largest"
    fi
    if run "$tool" gps "$copy" 2>/dev/null; then fail "$name" "the writing open took a raw or HEIF file"; fi
    run "$tool" photo-write "$copy" || fail "$name" "a set on the reading handle was not refused as such"
    cmp -s "$original" "$copy" || fail "$name" "the file changed"
    [ $failures -eq $failures_before ] && echo "ok   $name"
done

if [ $failures -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "exiftool agrees with every write${raw_fixtures:+, and with every raw and HEIF reading}"
