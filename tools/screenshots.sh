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
set -euo pipefail
cd "$(dirname "$0")/.."

out=$PWD/build/win64/screenshots
rm -rf "$out"
mkdir -p "$out"
wine="tools/wine-run.sh --prefix $PWD/build/win64/wineprefix"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    kill "$xvfb" 2>/dev/null || true
    $wine --stop-server
    rm -f build/win64/program/korvel.dat
}
trap cleanup EXIT
sleep 1
export DISPLAY=$display
$wine --start-server
# The store of the tour stays apart from any other.
printf 'ScreenshotTour\r\n' > build/win64/program/korvel.dat

# Wine's drive Z: is the Linux root.
$wine --gui explorer /desktop=ScreenshotTour,1280x1024 \
    build/win64/program/screenshot-tour.exe "Z:$(echo "$out" | tr / '\\')" &
tour=$!
while kill -0 "$tour" 2>/dev/null; do
    for marker in "$out"/*.ready; do
        [ -e "$marker" ] || continue
        read -r left top width height <"$marker" || continue
        import -window root -crop "${width}x${height}+${left}+${top}" +repage "${marker%.ready}.png"
        rm -f "$marker"
    done
    sleep 0.2
done
wait "$tour"
ls "$out"/*.png
