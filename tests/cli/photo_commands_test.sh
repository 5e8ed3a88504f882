#!/bin/bash
# The photo commands end to end, as a user runs them: match prints the
# review list, write puts the positions into the photos (and --dry-run
# does not), shift moves the shooting times there and back again.
# Usage: photo_commands_test.sh VANTORA_GPS NMEA_GEN DEMO_PHOTO  (RUNNER: e.g. the Wine wrapper)
tool=$1
gen=$2
photo=$3
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

mkdir logs "写真"
run "$gen" --start 2008-05-01T00:30:00 --seconds 600 --lat 35.681236 --lon 139.767125 \
    --speed 1.4 --heading 200 logs/093000.log >/dev/null || fail "generator"
run "$gen" --start 2008-05-01T03:10:00 --seconds 300 --lat 35.658034 --lon 139.701636 \
    --speed 15 --heading 70 logs/121000.log >/dev/null || fail "generator"
# Taken on the camera's clock (+09:00): before the track, inside the first
# log, between the logs, inside the second, after the track.
for t in 09:35:00 09:29:00 11:00:00 12:12:30 18:00:00 09:31:10; do
    run "$photo" "写真/IMG_${t//:/}.JPG" "2008:05:01 $t" || fail "demo photo"
done

# The review list: shooting-time order, doubtful outside the logs and across
# the long gap between them.
run "$tool" match --log logs "写真" > out.txt 2> err.txt
expect_eq "$?" 0 "match exit status"
expect_eq "$(column 1 < out.txt)" \
    "IMG_092900.JPG IMG_093110.JPG IMG_093500.JPG IMG_110000.JPG IMG_121230.JPG IMG_180000.JPG " \
    "photos in shooting-time order"
expect_eq "$(column 5 < out.txt)" "? OK OK ? OK ? " "review marks"
expect_eq "$(column 6 < out.txt)" \
    "093000.log 093000.log 093000.log 121000.log 121000.log 121000.log " "matched logs"
expect_eq "$(head -1 out.txt | column 2)" "2008/05/01 09:29:00 " "shooting time text"
# The last column says why; no demo photo names its time zone.
expect_eq "$(tr -d '\r' < out.txt | cut -f8 | paste -sd'|')" \
"1 min before the first fix of the track; the fix of 09:30:00 copied|at a fix|at a fix|\
in a gap of 2 h 30 min between 093000.log and 121000.log|at a fix|\
5 h 45 min after the last fix of the track; the fix of 12:14:59 copied" "reasons"
expect_eq "$(column 7 < out.txt | tr -d ' ')" "" "photo time zones"

# A folder of logs contributes its GPX files too (not its other files): a
# phone's track of the afternoon places the 18:00 photo.
mkdir phone
printf '%s' '<gpx version="1.0"><trk><trkseg>' \
    '<trkpt lat="35.0" lon="139.0"><time>2008-05-01T08:59:00Z</time></trkpt>' \
    '<trkpt lat="35.1" lon="139.1"><time>2008-05-01T09:01:00Z</time></trkpt>' \
    '</trkseg></trk></gpx>' > phone/evening.gpx
cp phone/evening.gpx phone/notes.txt
run "$tool" match --log logs --log phone "写真" > out.txt 2> err.txt
expect_eq "$?" 0 "match exit status with a GPX folder"
expect_eq "$(grep IMG_180000 out.txt | tr -d '\r' | cut -f3-6)" $'35.050000\t139.050000\tOK\tevening.gpx' \
    "a photo between two GPX points"


cp logs/093000.log logs-again.log
printf 'not a photo' > broken.jpg
run "$tool" match --log logs --log logs-again.log --log gone.log "写真" broken.jpg notes.txt missing.jpg \
    > out.txt 2> err.txt
expect_eq "$?" 1 "match exit status with refusals"
grep -q "logs-again.log" err.txt || fail "overlapping log not named"
grep -q "broken.jpg not added: not a JPEG with Exif" err.txt || fail "unreadable photo not named: $(cat err.txt)"
grep -q "notes.txt" err.txt || fail "non-JPEG not named"
grep -q "missing.jpg not added: not found" err.txt || fail "missing photo: $(cat err.txt)"
grep -q "gone.log not loaded: not found" err.txt || fail "missing log: $(cat err.txt)"
expect_eq "$(tr -d '\r' < out.txt | wc -l)" 6 "the good photos still listed"

# A dry run changes nothing.
cp -r "写真" before
run "$tool" write --dry-run --log logs "写真" > out.txt 2>&1
expect_eq "$?" 0 "dry run exit status"
grep -q "would write 6, no match 0, failed 0" out.txt || fail "dry-run summary: $(tail -2 out.txt)"
grep -q "doubtful: outside the track 2, in a gap 1" out.txt || fail "dry-run doubtful counts: $(tail -1 out.txt)"
diff -r before "写真" >/dev/null || fail "dry run changed a photo"

# Writing: every matched photo, doubtful ones too.
run "$tool" write --log logs "写真" > out.txt 2>&1
expect_eq "$?" 0 "write exit status"
grep -q "written 6, no match 0, failed 0" out.txt || fail "write summary: $(tail -2 out.txt)"
grep -q "doubtful: outside the track 2, in a gap 1" out.txt || fail "doubtful counts written: $(tail -1 out.txt)"
for f in before/*.JPG; do
    cmp -s "$f" "写真/$(basename "$f")" && fail "$(basename "$f") not written"
done
cp -r "写真" written

# Shifting forward and back again restores every byte.
run "$tool" shift --forward 01:00:00 "写真" > out.txt 2>&1
expect_eq "$?" 0 "shift exit status"
grep -q "shifted 6, unchanged 0, failed 0" out.txt || fail "shift summary: $(tail -1 out.txt)"
grep -q $'IMG_180000.JPG\t2008/05/01 19:00:00' <(tr -d '\r' < out.txt) || fail "shifted time"
run "$tool" match --log logs "写真" > out.txt 2>/dev/null
expect_eq "$(head -1 out.txt | column 2)" "2008/05/01 10:29:00 " "shifted time read back"
run "$tool" shift --back 01:00:00 "写真" > /dev/null 2>&1
diff -r written "写真" >/dev/null || fail "shifting there and back changed a photo"
run "$tool" shift --forward 00:00:00 "写真" > out.txt 2>&1
grep -q "nothing to shift" out.txt || fail "a zero shift"

# A write that is refused says why, a line for each photo; the others are
# written.
cp -r before refusing
chmod a-w refusing/IMG_093500.JPG
head -c -2 before/IMG_121230.JPG > refusing/IMG_121230.JPG  # cut off: no end marker
run "$tool" write --log logs refusing > out.txt 2> err.txt
expect_eq "$?" 1 "write exit status with refusals"
grep -q "written 4, no match 0, failed 2" out.txt || fail "refusing summary: $(tail -1 out.txt)"
grep -q "IMG_093500.JPG not written: read-only" err.txt || fail "read-only photo: $(cat err.txt)"
grep -q "IMG_121230.JPG not written: the image data has no end marker" err.txt || fail "cut-off photo: $(cat err.txt)"
cmp -s before/IMG_093500.JPG refusing/IMG_093500.JPG || fail "read-only photo changed"
chmod u+w refusing/IMG_093500.JPG

if [ -z "$runner" ]; then
    # A file size limit stands in for a full disk: every write fails with
    # its reason, the summary still comes, and nothing is left behind.
    cp -r before limited
    (ulimit -f 0; exec "$tool" write --log logs limited) 2>&1 | cat > out.txt
    expect_eq "${PIPESTATUS[0]}" 1 "write exit status at the size limit"
    grep -q "written 0, no match 0, failed 6" out.txt || fail "size-limit summary: $(cat out.txt)"
    expect_eq "$(grep -c 'not written: disk full' out.txt)" 6 "disk-full lines"
    diff -r before limited >/dev/null || fail "a photo changed at the size limit"
    expect_eq "$(ls -A limited | grep -vc '\.JPG$')" 0 "files left beside the photos"

    # SIGTERM (and Ctrl-C) in the middle of a long run: the photos written
    # so far are put in their places, the others stay as they were, the
    # summary comes.
    mkdir stopping
    for i in $(seq 1000); do cp before/IMG_093500.JPG "stopping/P$i.JPG"; done
    touch -d '1 hour ago' stopping/*.JPG
    "$tool" write --log logs stopping > out.txt 2> err.txt &
    writer=$!
    for _ in $(seq 500); do  # until the first new photo is being written beside its old one
        [ -n "$(find stopping -name '.vg-*.tmp' | head -1)" ] && break
        sleep 0.01
    done
    kill -TERM "$writer"
    wait "$writer"
    expect_eq "$?" 1 "write exit status when stopped"
    written=$(sed -n 's/^written \([0-9]*\),.*/\1/p' out.txt)
    [ -n "$written" ] && [ "$written" -lt 1000 ] || fail "stopped summary: $(cat out.txt)"
    grep -q "stopped; $((1000 - written)) photos left as they were" err.txt || fail "stop message: $(cat err.txt)"
    changed=0
    for f in stopping/*.JPG; do cmp -s "$f" before/IMG_093500.JPG || changed=$((changed + 1)); done
    expect_eq "$changed" "$written" "photos changed before the stop"
    expect_eq "$(ls -A stopping | grep -vc '\.JPG$')" 0 "files left beside the photos after the stop"
fi

# exiftool judges the GPS date written into phone photos, whose GPS
# directory holds a GPSDateStamp already: the written date and time stamps
# are the photo's instant in UTC, before 09:00 in Japan (the UTC date is the
# day before) and in the evening west of UTC (the day after). The log has a
# fix every 5 seconds from 23:00:09 UTC, so both photos fall between fixes.
if command -v exiftool >/dev/null; then
    mkdir dated
    run "$gen" --start 2008-04-30T23:00:00 --seconds 120 --gap-every 5 --gap-length 4 \
        --lat 35.3 --lon 139.5 --speed 2 dated/east.log >/dev/null || fail "generator"
    run "$gen" --start 2008-05-01T03:00:00 --seconds 120 --gap-every 5 --gap-length 4 \
        --lat 34.0 --lon -118.2 --speed 2 dated/west.log >/dev/null || fail "generator"
    check_gps_date_time() {  # OFFSET LOG TAKEN EXPECTED
        rm -f dated/phone.jpg
        run "$photo" dated/phone.jpg "$3" || fail "demo photo"
        exiftool -q -overwrite_original -GPSVersionID=2.2.0.0 -GPSDateStamp=2000:01:01 \
            -GPSTimeStamp=00:00:00 dated/phone.jpg || fail "exiftool: a phone's GPS date"
        local warnings
        warnings=$(exiftool -a -validate -warning -error -s3 dated/phone.jpg)
        run "$tool" write --utc-offset "$1" --log "dated/$2" dated/phone.jpg > out.txt 2>&1 ||
            fail "write at $1: $(cat out.txt)"
        expect_eq "$(exiftool -s3 -GPSDateTime dated/phone.jpg)" "$4" "GPSDateTime of a photo taken $3 at $1"
        expect_eq "$(exiftool -a -validate -warning -error -s3 dated/phone.jpg)" "$warnings" \
            "exiftool's warnings after writing a phone photo"
    }
    check_gps_date_time +09 east.log "2008:05:01 08:00:32" "2008:04:30 23:00:32Z"
    check_gps_date_time -07:00 west.log "2008:04:30 20:00:32" "2008:05:01 03:00:32Z"
else
    fail "exiftool is not installed"
fi

# Camera clocks: a second camera an hour ahead (its owner moved the clock,
# and the zone it names with it), one photo without a shooting time.
if command -v exiftool >/dev/null; then
    mkdir clock
    for t in 10:31:10 10:33:00 10:35:00 10:38:00; do
        run "$photo" "clock/C_${t//:/}.JPG" "2008:05:01 $t" || fail "demo photo"
    done
    exiftool -q -overwrite_original -Make=Canon "-Model=Canon EOS 5D" -OffsetTimeOriginal=+10:00 clock/*.JPG ||
        fail "exiftool: the camera's tags"
    cp before/IMG_093500.JPG clock/NOTIME.JPG
    exiftool -q -overwrite_original -DateTimeOriginal= clock/NOTIME.JPG || fail "exiftool: no shooting time"
    run "$tool" match --log logs clock > out.txt 2> err.txt
    expect_eq "$?" 0 "match exit status with a camera an hour ahead"
    grep -q "the photos of Canon EOS 5D (4) look taken with --utc-offset +10:00: 4 of 4 inside the track, now 0" err.txt ||
        fail "clock proposal: $(cat err.txt)"
    expect_eq "$(column 5 < out.txt)" "? ? ? ? ? " "an hour off: every photo doubtful"
    expect_eq "$(column 7 < out.txt)" "+10:00 +10:00 +10:00 +10:00  " "the zone the photos name"
    expect_eq "$(tail -1 out.txt | tr -d '\r' | cut -f1,8)" $'NOTIME.JPG\tno shooting time' "a photo without shooting time"
    matched_with() {  # CLOCK_OPTION VALUE
        run "$tool" match "$1" "$2" --log logs clock > out.txt 2> err.txt
        expect_eq "$(column 5 < out.txt)" "OK OK OK OK ? " "matched with $1 $2"
    }
    matched_with --utc-offset auto
    matched_with --camera-offset "canon eos 5d=+10:00"
    matched_with --sync clock/C_103110.JPG=09:31:10
    matched_with --sync clock/C_103110.JPG=00:31:10Z
    run "$tool" match --camera-offset "NIKON D1=+01:00" --log logs clock > /dev/null 2> err.txt
    expect_eq "$?" 1 "an offset for a camera of no photo"
    grep -q "no photo of a camera named NIKON D1" err.txt || fail "unknown camera: $(cat err.txt)"
    run "$tool" shift --sync clock/C_103110.JPG=09:31:10 clock > out.txt 2>&1
    grep -q "the photos of Canon EOS 5D: back 01:00:00" out.txt || fail "shift --sync: $(cat out.txt)"
    grep -q $'C_103800.JPG\t2008/05/01 09:38:00' <(tr -d '\r' < out.txt) || fail "synced time: $(cat out.txt)"
    run "$tool" match --log logs clock > out.txt 2> err.txt
    expect_eq "$(column 5 < out.txt)" "OK OK OK OK ? " "matched after shift --sync"
    expect_eq "$(cat err.txt)" "" "no proposal once the clock is right"
fi

# Usage errors.
run "$tool" match "写真" > /dev/null 2>&1
expect_eq "$?" 2 "match without a log"
run "$tool" match --utc-offset +14 --log logs "写真" > /dev/null 2>&1
expect_eq "$?" 2 "offset out of range"
run "$tool" shift --forward 1:00 "写真" > /dev/null 2>&1
expect_eq "$?" 2 "malformed shift"
run "$tool" write --help > out.txt 2>&1
expect_eq "$?" 0 "write help"
run "$tool" match --camera-offset "Canon EOS 5D+10:00" --log logs "写真" > /dev/null 2>&1
expect_eq "$?" 2 "a camera offset without ="
run "$tool" shift --sync "写真/IMG_093500.JPG=9:35" "写真" > /dev/null 2>&1
expect_eq "$?" 2 "a malformed sync"

finish "all photo command checks passed"
