#!/bin/bash
# Saves PNG screenshots of every window of the program under
# build/win64/screenshots: the import window without and with the GPS unit
# (and its arrow pressed), the about box, the time-zone dialog, the
# progress window, the photo window before and after writing, the
# shooting-time dialog and the detail window. The Windows build runs under
# Wine on a virtual display, inside Wine's own desktop so that every window
# has its title bar and frame as on Windows; the tour program shows one
# window after the other and waits while this script takes each, cropped
# to the window with its frame.
#
# Usage: tools/screenshots.sh [DPI...]   (default: 96 144)
#
# The set at 96 dpi goes to build/win64/screenshots itself (the manual's
# pictures, tools/make-manual.sh); each other DPI gets a folder of its own,
# build/win64/screenshots/144 for Windows' 150%, taken in a Wine prefix of
# that DPI.
set -euo pipefail
cd "$(dirname "$0")/.."

dpis=("$@")
[ ${#dpis[@]} -gt 0 ] || dpis=(96 144)
out=$PWD/build/win64/screenshots
rm -rf "$out"
mkdir -p "$out"

# Room for the windows at 150%, with their frames, and the desktop around
# them.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
wine=""
cleanup() {
    [ -z "$wine" ] || $wine --stop-server
    kill "$xvfb" 2>/dev/null || true
    rm -f build/win64/program/korvel.dat
}
trap cleanup EXIT
sleep 1
export DISPLAY=$display
# The store of the tour stays apart from any other.
printf 'ScreenshotTour\r\n' > build/win64/program/korvel.dat

# One tour in a prefix of `dpi`, its pictures into `folder`.
take_set() {
    local dpi=$1 folder=$2 prefix=$PWD/build/win64/wineprefix desktop=1280x1024
    if [ "$dpi" != 96 ]; then
        prefix=$PWD/build/win64/wineprefix-$dpi
        desktop=1600x1200
    fi
    mkdir -p "$folder"
    wine="tools/wine-run.sh --prefix $prefix --dpi $dpi"
    $wine --start-server
    # Wine's drive Z: is the Linux root.
    $wine --gui explorer /desktop=ScreenshotTour,$desktop \
        build/win64/program/screenshot-tour.exe "Z:$(echo "$folder" | tr / '\\')" &
    local tour=$! marker left top width height
    while kill -0 "$tour" 2>/dev/null; do
        for marker in "$folder"/*.ready; do
            [ -e "$marker" ] || continue
            read -r left top width height <"$marker" || continue
            import -window root -crop "${width}x${height}+${left}+${top}" +repage "${marker%.ready}.png"
            rm -f "$marker"
        done
        sleep 0.2
    done
    wait "$tour"
    $wine --stop-server
    wine=""
}

for dpi in "${dpis[@]}"; do
    if [ "$dpi" == 96 ]; then
        take_set 96 "$out"
    else
        take_set "$dpi" "$out/$dpi"
    fi
done
find "$out" -name '*.png' | sort
