#!/bin/bash
# Starts VantoraGPS.exe under Wine with a demo day ready: the GPS logger
# plugged in as drive S: (its label is the logger's, its logs the demo's)
# and the demo's photos in C:\vantora-demo\photos. Needs a display.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
    cat >&2 <<'TEXT'
make run shows the program's windows, so it needs a display.
On a desktop, run it from a terminal of that desktop. On a machine without
one, start a virtual display and look at it with a screenshot:

    Xvfb :5 -screen 0 1280x1024x24 &
    DISPLAY=:5 make run &
    sleep 15; DISPLAY=:5 import -window root shot.png   # ImageMagick

(make screenshots saves a picture of every window without any of this.)
TEXT
    exit 1
fi

prefix=$PWD/build/win64/wineprefix
wine="tools/wine-run.sh --prefix $prefix"
# Wine reads the drives' labels when its server starts.
$wine --stop-server

unit=build/win64/test-drives/s
rm -rf "${unit:?}"/*
printf 'KRV-TL770\n' > "$unit/.windows-label"
photos=$prefix/drive_c/vantora-demo/photos
rm -rf "$photos"
tools/make-demo-data.sh "$unit" "$photos"

echo "The GPS logger is drive S: with three logs of 1 May 2008."
echo "Press the arrow to copy them to the PC, then \"位置情報を画像データに追加する\""
echo "and choose the folder C:\\vantora-demo\\photos."
exec $wine --gui build/win64/program/VantoraGPS.exe
