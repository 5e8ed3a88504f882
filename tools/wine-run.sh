#!/bin/bash
# Runs a Windows program under Wine as the tests need it: a Wine prefix of
# its own (made on first use), no Mono or Gecko prompts, a Japanese locale so
# the ANSI code page is 932, and for programs with windows (--gui) a virtual
# display when there is none. Console programs run without one, which is
# faster and keeps X messages out of their output.
#
# Usage: wine-run.sh [--prefix DIR] [--dpi N] [--gui] PROGRAM.exe [ARGS...]
#        wine-run.sh [--prefix DIR] [--dpi N] --start-server | --stop-server
#
# --dpi gives the prefix's screen N dots per inch (96 without it; 120 is
# Windows' 125%, 144 its 150%). Each DPI wants a prefix of its own, such as
# build/win64/wineprefix-144: changing a prefix's DPI stops its server.
#
# A test run starts the Wine server once and stops it at the end: many short
# runs that each start and stop their own server can race with it going
# down, and then fail for no reason of their own.
set -euo pipefail

prefix=${WINEPREFIX:-}
if [ "${1:-}" == "--prefix" ]; then
    prefix=$2
    shift 2
fi
if [ -z "$prefix" ]; then
    echo "wine-run.sh: no Wine prefix given (--prefix DIR or WINEPREFIX)" >&2
    exit 2
fi
dpi=96
if [ "${1:-}" == "--dpi" ]; then
    dpi=$2
    shift 2
fi
if ! [[ "$dpi" =~ ^[0-9]+$ ]] || [ "$dpi" -lt 48 ] || [ "$dpi" -gt 480 ]; then
    echo "wine-run.sh: --dpi wants dots per inch from 48 to 480, not '$dpi'" >&2
    exit 2
fi
server=""
if [ "${1:-}" == "--start-server" ] || [ "${1:-}" == "--stop-server" ]; then
    server=$1
    shift
fi
gui=false
if [ "${1:-}" == "--gui" ]; then
    gui=true
    shift
fi
if [ -z "$server" ] && [ $# -lt 1 ]; then
    echo "usage: wine-run.sh [--prefix DIR] [--gui] PROGRAM.exe [ARGS...]" >&2
    exit 2
fi

prefix=$(realpath -m "$prefix")  # Wine takes only absolute prefixes
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
# The Windows C runtime would read a Linux zone name wrongly; without TZ it
# takes Wine's system time zone, as on a real PC.
unset TZ

# Drives R:, S: and T: are removable drives for the tests: folders beside
# the prefix, of type "floppy", whose volume label is the text of the file
# .windows-label in their root. Wine's mount manager reads drive types and
# labels only when it defines a drive (at its start), so the server is
# stopped once the types are set; tests/unit/wine_drives.h defines a drive
# anew when it changes the label. The stamp gives the drives to prefixes
# made before they existed too.
test_drive_letters="r s t"
drives_stamp="$prefix/.vantora-drives-1"

provide_test_drives() {
    local drives letter
    drives=$(dirname "$prefix")/test-drives
    for letter in $test_drive_letters; do
        mkdir -p "$drives/$letter"
        ln -sfn "$drives/$letter" "$prefix/dosdevices/$letter:"
        env -u DISPLAY wine reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d floppy /f \
            </dev/null >/dev/null 2>&1
    done
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
}

# The windows' dialog font, "MS UI Gothic", and the face of the texts they
# paint themselves, "ＭＳ Ｐゴシック", are not part of Wine. Of the Japanese
# fonts Debian has, IPA P Gothic has the widths closest to both
# (proportional kana and Latin letters, a line as high as the em), so the
# window tests and the screenshots see captions fit much as on Windows.
# Without its substitute Wine paints "ＭＳ Ｐゴシック" in a fallback font of
# other metrics.
fonts_stamp="$prefix/.vantora-fonts-3"

provide_dialog_font() {
    # The caption buttons (close, minimise) are glyphs of Marlett, which
    # Debian ships but this Wine finds only among the prefix's own fonts.
    if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
        mkdir -p "$prefix/drive_c/windows/Fonts"
        cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
    fi
    local face
    for face in "MS UI Gothic" "ＭＳ Ｐゴシック"; do
        env -u DISPLAY wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "IPAPGothic" /f \
            </dev/null >/dev/null 2>&1
    done
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
}

# The screen's resolution, as Windows keeps it for the user (and for the
# hardware profile, which older Wine reads). Programs read it when they
# start, so the server goes down once it is set.
dpi_stamp="$prefix/.vantora-dpi"

set_screen_dpi() {
    local key
    for key in 'HKCU\Control Panel\Desktop' \
        'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
        env -u DISPLAY wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f \
            </dev/null >/dev/null 2>&1
    done
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
}

# Make the prefix and its drives once; the lock keeps parallel first runs
# from racing.
mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    if [ ! -f "$drives_stamp" ]; then
        provide_test_drives
        touch "$drives_stamp"
    fi
    if [ ! -f "$fonts_stamp" ]; then
        provide_dialog_font
        touch "$fonts_stamp"
    fi
    # A prefix never given a DPI has Wine's 96.
    if [ "$(cat "$dpi_stamp" 2>/dev/null || echo 96)" != "$dpi" ]; then
        set_screen_dpi
        echo "$dpi" >"$dpi_stamp"
    fi
) 9>"$prefix.lock"

if [ "$server" == "--stop-server" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    exit 0
fi
if [ "$server" == "--start-server" ]; then
    # The server and the services it starts keep no terminal or pipe of ours.
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1 || true
    exit 0
fi

# Room for the main windows at 150% (1340 x 950 with their frames).
if $gui && [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1600x1200x24" wine "$@"
fi
if ! $gui; then
    unset DISPLAY
fi
exec wine "$@"
