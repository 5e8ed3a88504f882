#!/bin/bash
# Checks `vantora-gps import`: copies into the store under dated names, the
# PC list file, a second import, and that --delete-verified deletes a unit
# log only when its copy in the store is the same file.
# Usage: import_command_test.sh VANTORA_GPS NMEA_GEN   (RUNNER: e.g. the Wine wrapper)
tool=$1
gen=$2
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

make_unit() {
    rm -rf unit && mkdir -p unit/20081015 unit/20081016 unit/20071231
    run "$gen" --start 2008-10-15T00:30:00 --seconds 30 --lat 35.6 --lon 139.7 unit/20081015/093000.log >/dev/null
    run "$gen" --start 2008-10-15T01:15:00 --seconds 30 --lat 35.6 --lon 139.7 unit/20081015/101500.log >/dev/null
    run "$gen" --start 2008-10-16T02:00:00 --seconds 30 --lat 35.6 --lon 139.7 unit/20081016/110000.log >/dev/null
    cp unit/20081015/093000.log unit/20071231/093000.log  # not a folder the unit writes
}

make_unit
run "$tool" import --unit unit --store store > out.txt 2> err.txt
expect_eq "$?" 0 "exit status of a first import"
expect_eq "$(tr -d '\r' < out.txt | head -3 | column 2)" "copied, kept on the unit copied, kept on the unit copied, kept on the unit " "each log copied"
cmp -s unit/20081015/101500.log store/log/20081015_101500.log || fail "copy differs from the unit log"
expect_eq "$(ls store/log | wc -l)" 3 "three copies, the 2007 folder left out"
expect_eq "$(tr -d '\r' < store/appData | wc -l)" 3 "three paths in the list file"
grep -q $'\r$' store/appData || fail "list file lines end in CR LF"
grep -q "(no)" err.txt || fail "deletion question not answered No"
[ -f unit/20081015/093000.log ] || fail "unit log deleted without --delete-verified"

# A store whose path the Japanese ANSI code page cannot hold ("José 한국"):
# every path survives in the list file, which is then UTF-8 on Windows.
run "$tool" import --unit unit --store "José 한국/store" > out.txt 2> err.txt
expect_eq "$?" 0 "exit status of an import into a José store"
expect_eq "$(tr -d '\r' < "José 한국/store/appData" | wc -l)" 3 "three paths in the José store's list file"
if [ -n "$runner" ]; then
    expect_eq "$(head -c 3 "José 한국/store/appData" | od -An -tx1 | tr -d ' ')" "efbbbf" "UTF-8 mark of the list file"
fi
run "$tool" import --unit unit --store "José 한국/store" > out.txt 2> err.txt
expect_eq "$(grep -c '日時に重複のあるファイルは登録できません。' err.txt)" 1 "the José store's list read back"

# Importing again: the copies exist, so the list refuses them as overlapping, once.
run "$tool" import --unit unit --store store > out.txt 2> err.txt
expect_eq "$?" 0 "exit status of a second import"
expect_eq "$(grep -c '日時に重複のあるファイルは登録できません。' err.txt)" 1 "overlap told once"
expect_eq "$(tr -d '\r' < out.txt | head -1 | cut -f2)" "already in the store, kept on the unit" "second import"

# A different file under one store name keeps that unit log on the unit.
rm -rf store && make_unit && mkdir -p store/log
run "$gen" --start 2008-01-01T00:00:00 --seconds 5 --lat 35.6 --lon 139.7 store/log/20081015_101500.log >/dev/null
run "$tool" import --unit unit --store store --delete-verified > out.txt 2> err.txt
expect_eq "$?" 1 "exit status when a log could not be copied"
[ -f unit/20081015/101500.log ] || fail "unverified unit log was deleted"
[ ! -e unit/20081015/093000.log ] || fail "verified unit log was kept"
[ ! -e unit/20081016 ] || fail "emptied date folder was kept"
grep -q 'パソコンへのコピーを確認できなかったログファイルは削除しませんでした。' err.txt || fail "kept log not told"
grep -q $'20081015_101500.log\tNOT COPIED' out.txt || fail "kept log not named"

# A store that cannot be written keeps every log on the unit.
rm -rf store && make_unit && mkdir store && echo "not a folder" > store/log
run "$tool" import --unit unit --store store --delete-verified > out.txt 2> err.txt
expect_eq "$?" 1 "exit status when the store cannot be written"
expect_eq "$(find unit -name '*.log' | wc -l)" 4 "every unit log kept"

run "$tool" import --unit unit > /dev/null 2>&1
expect_eq "$?" 2 "no store"
run "$tool" import --help > /dev/null 2>&1
expect_eq "$?" 0 "help"

finish "import command: all checks passed"
