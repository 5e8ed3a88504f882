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
