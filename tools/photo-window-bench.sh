#!/bin/bash
# The photo window at 2000 photos under Wine, on a virtual display, against
# the Windows command-line tool on the same photos in the same run, on two
# sets (bench/windows/photo_window_bench.cpp): camera-like photos with the
# day in 1000 logs, and an older Nikon SLR's photos with the day in one
# 24-hour log with GSA and GSV sentences. Prints a line of times per set.
set -euo pipefail
cd "$(dirname "$0")/.."

# A prefix of its own whose windows live in a Wine desktop, as on Windows:
# on a bare X server without a window manager Wine waits two seconds for
# every top-level window that closes (the progress window), which no user
# of the program meets.
prefix=$PWD/build/win64/wineprefix-bench
wine="tools/wine-run.sh --prefix $prefix"
bench=build/win64/program/photo_window_bench.exe
tool=build/win64/cli/vantora-gps.exe
work=$PWD/build/win64/photo-window-bench
trap 'rm -rf "$work"' EXIT
windows_path() { echo "Z:$(echo "$1" | tr / '\\')"; }
# What the step printed, without Wine's farewell to its virtual display.
quiet() { grep -v '^X connection to'; }

# One run on fresh photos: "window rows N load L write W tool load L write W".
run_once() {
    local set=$1 window tool_times
    $wine "$bench" prepare "$(windows_path "$work")" "$set"
    sync  # the test data on the disk before anything is timed
    WINEPREFIX=$prefix wineserver -w  # the next run's server meets its display
    # Without a display, wine-run.sh gives the window a virtual one of its own.
    window=$(env -u DISPLAY WINEDEBUG=-all $wine --gui "$bench" window "$(windows_path "$work")" 2>&1 | quiet)
    sync
    tool_times=$(WINEDEBUG=-all $wine "$bench" tool "$(windows_path "$work")" "$(windows_path "$PWD/$tool")")
    echo "$window $tool_times"
}

# The best of RUNS runs (3 unless given) of each figure: what the machine's
# other work added is left out, for the window and the tool alike.
times_of_set() {
    local set=$1
    if [ "$set" = nikon ]; then
        rm -rf "$work/logs" && mkdir -p "$work/logs"
        build/native/tools/nmea-gen/nmea-gen --start 2008-10-15T00:00:00 --seconds 86400 --extra \
            --lat 35.6 --lon 139.7 --speed 1.5 --heading 45 "$work/logs/day.log"
    fi
    for ((run = 0; run < ${RUNS:-3}; run++)); do run_once "$set"; done | awk -v set="$set" '
        $1 == "window" && $8 == "tool" {
            rows = $3
            if (n == 0 || $5 < wl) wl = $5; if (n == 0 || $7 < ww) ww = $7
            if (n == 0 || $10 < tl) tl = $10; if (n == 0 || $12 < tw) tw = $12
            ++n
        }
        END {
            if (n == 0) { print set " set: no run finished" > "/dev/stderr"; exit 1 }
            printf "%s set, photo window at %d photos: load %.1f s = %.2fx the tool (%.1f s), " \
                   "write %.1f s = %.2fx the tool (%.1f s); best of %d runs\n",
                   set, rows, wl, wl / tl, tl, ww, ww / tw, tw, n
        }'
}

if [ ! -f "$prefix/.desktop-set" ]; then
    $wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
    $wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null
    WINEPREFIX=$prefix wineserver -w
    touch "$prefix/.desktop-set"
fi
times_of_set camera
times_of_set nikon
