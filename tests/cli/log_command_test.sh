#!/bin/bash
# Checks `vantora-gps log` end to end: output lines, exit status, messages.
# Usage: log_command_test.sh VANTORA_GPS NMEA_GEN   (RUNNER: e.g. the Wine wrapper)
tool=$1
gen=$2
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

run "$gen" --start 2008-05-01T03:04:05 --seconds 10 --lat 35.65205667 --lon 139.761315 tokyo.log >/dev/null || fail "generator"
run "$gen" --start 2009-12-31T23:59:58 --seconds 4 --lat -33.5 --lon -70.25 --extra south.log >/dev/null || fail "generator"
: > empty.log

# One line per fix: name, UTC time, signed degrees, status.
run "$tool" log tokyo.log > out.txt 2> err.txt
expect_eq "$?" 0 "exit status for a good log"
tr -d '\r' < out.txt > lines.txt
expect_eq "$(wc -l < lines.txt)" 10 "number of fixes"
expect_eq "$(head -1 lines.txt)" $'tokyo.log\t2008-05-01 03:04:05\t35.652056\t139.761306\tA' "first fix"
expect_eq "$(tail -1 lines.txt | cut -f2)" "2008-05-01 03:04:14" "last fix time"
expect_eq "$(cat err.txt)" "" "nothing on stderr"

# Southern and western positions print with a minus sign; dates roll over.
run "$tool" log south.log > out.txt 2>/dev/null
tr -d '\r' < out.txt > lines.txt
expect_eq "$(head -1 lines.txt)" $'south.log\t2009-12-31 23:59:58\t-33.500000\t-70.250000\tA' "southern fix"
expect_eq "$(tail -1 lines.txt | cut -f2)" "2010-01-01 00:00:01" "fix after the year end"

# A file without fixes is named on stderr; the others are still printed.
run "$tool" log tokyo.log empty.log missing.log > out.txt 2> err.txt
expect_eq "$?" 1 "exit status when a file gives no fix"
expect_eq "$(tr -d '\r' < out.txt | wc -l)" 10 "fixes of the good file"
grep -q "empty.log" err.txt || fail "empty file not named"
grep -q "missing.log" err.txt || fail "missing file not named"

# A phone's GPX, in Latin-1 with a time offset, prints the same lines in
# both builds; the first two hold tokyo.log's first fix, and print its
# position.
printf '%s\r\n' '<?xml version="1.0" encoding="ISO-8859-1"?>' \
    '<gpx version="1.1" creator="t" xmlns="http://www.topografix.com/GPX/1/1">' \
    '<wpt lat="10" lon="10"><time>2001-01-01T00:00:00Z</time></wpt>' \
    $'<trk><name>Caf\xe9</name><trkseg>' \
    '<trkpt lat="35.65205667" lon="139.761315"><time>2008-05-01T12:04:06.75+09:00</time></trkpt>' \
    '<trkpt lat="35.65205667" lon="139.761315"><time>2008-05-01T03:04:05Z</time></trkpt>' \
    '<trkpt lat="100" lon="139.7"><time>2008-05-01T03:04:07Z</time></trkpt>' \
    '<trkpt lat="-33.5" lon="-70.25"><time>2008-04-30T20:04:08-07:00</time></trkpt>' \
    '</trkseg></trk></gpx>' > phone.gpx
run "$tool" log phone.gpx > out.txt 2> err.txt
expect_eq "$?" 0 "exit status for a GPX file"
expect_eq "$(tr -d '\r' < out.txt | tr '\t\n' ' |')" \
    "phone.gpx 2008-05-01 03:04:05 35.652056 139.761306 A|phone.gpx 2008-05-01 03:04:06 35.652056 139.761306 A|phone.gpx 2008-05-01 03:04:08 -33.500000 -70.250000 A|" \
    "GPX points in time order, in UTC, the pause marker left out"

# Files that give no point say why.
printf 'hello\r\n' > notes.log
printf '<gpx><wpt lat="1" lon="2"><time>2008-05-01T00:00:00Z</time></wpt></gpx>' > plan.gpx
printf '<gpx><trk><trkseg><trkpt lat="1" lon="2"></trkpt></trkseg></trk></gpx>' > untimed.gpx
printf '<?xml version="1.0"?>\n<gpx>\n<trk>\n<trkseg><trkpt lat="1" lon="2"<time>' > broken.gpx
run "$tool" log notes.log plan.gpx untimed.gpx broken.gpx empty.log > out.txt 2> err.txt
expect_eq "$?" 1 "exit status for files without points"
tr -d '\r' < err.txt > reasons.txt
grep -q "notes.log: not a GPX or NMEA track" reasons.txt || fail "no track: $(cat reasons.txt)"
grep -q "plan.gpx: only waypoints and routes, no track" reasons.txt || fail "waypoints: $(cat reasons.txt)"
grep -q "untimed.gpx: no track point with a time" reasons.txt || fail "untimed: $(cat reasons.txt)"
grep -q "broken.gpx: the XML is damaged at line 4" reasons.txt || fail "damaged: $(cat reasons.txt)"

# A Japanese file name arrives whole.
cp tokyo.log "東京.log"
run "$tool" log "東京.log" > out.txt 2>/dev/null
expect_eq "$?" 0 "exit status for a Japanese name"
expect_eq "$(head -1 out.txt | tr -d '\r' | cut -f1)" "東京.log" "Japanese name printed"

# Usage errors.
run "$tool" > /dev/null 2>&1
expect_eq "$?" 2 "no command"
run "$tool" log > /dev/null 2>&1
expect_eq "$?" 2 "no file"
run "$tool" log --bogus tokyo.log > /dev/null 2>&1
expect_eq "$?" 2 "unknown option"
run "$tool" frobnicate > /dev/null 2>&1
expect_eq "$?" 2 "unknown command"
run "$tool" log --help > out.txt 2>&1
expect_eq "$?" 0 "help"
grep -q "usage: vantora-gps log" out.txt || fail "help text"

finish "all command-line checks passed"
