#!/bin/bash
# The setup program as a user meets it, under Wine in a fresh prefix:
# a silent install puts the program folder, the Start-menu shortcuts and
# the uninstall entry in place; the installed program starts, and its
# "ヘルプ" button opens the installed manual; the uninstaller refuses while
# the program runs, and then removes everything it installed and nothing
# of the user's: the log store stays, and so does a "korvel.dat" that names
# the user's store, through a second installation too.
#
# Usage: installer_test.sh SETUP.exe PROBE.exe STAGE_FOLDER WORK_FOLDER
set -euo pipefail

setup=$1
probe=$2
stage=$3
work=$4
tools=$(cd "$(dirname "$0")/../../tools" && pwd)

rm -rf "$work"
mkdir -p "$work/home"
work=$(cd "$work" && pwd)
# Wine links the prefix's Documents folder to $HOME: a home of its own
# keeps the test's log store out of the real one.
# Font caches stay where they were, or Wine's first window would wait for
# them to be built anew.
export XDG_CACHE_HOME=${XDG_CACHE_HOME:-$HOME/.cache}
export HOME=$work/home
prefix=$work/prefix
wine="$tools/wine-run.sh --prefix $prefix"

failures=0
check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}

installed="$prefix/drive_c/Program Files/Vantora GPS Utility"
installed_windows='C:\Program Files\Vantora GPS Utility'
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vantora GPS Utility"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantora GPS Utility'
manual="Vantora GPS Utility 取扱説明書.pdf"
shipped=(VantoraGPS.exe Exif.dll ProgressProc.dll checkDeviceDll.dll "$manual")
store="$HOME/Korvel/GPSApp"

display_name() {
    env -u DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all wine reg query "$uninstall_key" /v DisplayName 2>/dev/null |
        tr -d '\r' | sed -n 's/^ *DisplayName *REG_SZ *//p'
}
same_as_stage() { cmp -s "$stage/$1" "$installed/$1"; }
is_empty_file() { [ -f "$1" ] && [ ! -s "$1" ]; }
uninstall_silently() {
    $wine "$installed_windows\\uninstall.exe" /S
    # The uninstaller hands over to a copy of itself and returns at once.
    local i
    for i in $(seq 1 150); do
        [ -e "$installed/VantoraGPS.exe" ] || [ -e "$installed/uninstall.exe" ] || return 0
        sleep 0.2
    done
}

$wine --start-server
trap '$wine --stop-server' EXIT
cp "$setup" "$work/setup.exe"
cp "$probe" "$work/probe.exe"
chmod 755 "$work/setup.exe" "$work/probe.exe"

echo "== silent install"
check "setup /S ends with status 0" $wine "$work/setup.exe" /S
for file in "${shipped[@]}"; do
    check "installed $file is the shipped one" same_as_stage "$file"
done
check "an empty korvel.dat is beside the program" is_empty_file "$installed/korvel.dat"
check "the uninstaller is installed" test -f "$installed/uninstall.exe"
check "Start-menu shortcut to the program" test -f "$menu/Vantora GPS Utility.lnk"
check "Start-menu shortcut to the manual" test -f "$menu/Vantora GPS Utility 取扱説明書.lnk"
check "uninstall entry named \"Vantora GPS Utility\"" test "$(display_name)" == "Vantora GPS Utility"

echo "== the installed program, its help button, and the uninstaller while it runs"
check "the probe's checks all held" $wine --gui "$work/probe.exe" press-help "$installed_windows" 'C:\help-report.txt'

echo "== silent uninstall"
# A day's logs in the user's log store, which the uninstaller must not touch.
mkdir -p "$store/log"
printf "the only copy of a day's track\r\n" >"$store/log/20080501_093000.log"
printf '%s\r\n' "$store/log/20080501_093000.log" >"$store/appData"
uninstall_silently
for file in "${shipped[@]}" uninstall.exe korvel.dat; do
    check "$file is removed" test ! -e "$installed/$file"
done
check "the program folder is removed" test ! -e "$installed"
check "the Start-menu folder is removed" test ! -e "$menu"
check "the uninstall entry is removed" test -z "$(display_name)"
check "the log store keeps its log" test -s "$store/log/20080501_093000.log"
check "the log store keeps its PC list" test -s "$store/appData"

echo "== a korvel.dat naming the user's own store survives installing again and uninstalling"
check "setup /S again" $wine "$work/setup.exe" /S
printf 'MyStore\r\n' >"$installed/korvel.dat"
check "setup /S over the installed program" $wine "$work/setup.exe" /S
check "installing again keeps korvel.dat naming MyStore" grep -q MyStore "$installed/korvel.dat"
uninstall_silently
check "the program is removed" test ! -e "$installed/VantoraGPS.exe"
check "korvel.dat naming MyStore stays" grep -q MyStore "$installed/korvel.dat"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "every check held"
