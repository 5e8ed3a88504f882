#!/bin/bash
# Makes what goes to users, from the Windows build tree (make win64):
#   build/dist/Vantora GPS Utility/      the program folder: VantoraGPS.exe,
#                                        its three DLLs and the user manual
#   build/dist/VantoraGPS-1.0.zip        that folder, to copy to a PC
#   build/dist/VantoraGPS-1.0-setup.exe  the Windows setup program
# The manual's pictures are fresh screenshots of the program's windows
# (tools/screenshots.sh), so the manual shows the program as it is built.
set -euo pipefail
cd "$(dirname "$0")/.."

version=1.0
product="Vantora GPS Utility"
manual="$product 取扱説明書.pdf"
program=build/win64/program
dist=build/dist
stage="$dist/$product"
zip_file="$dist/VantoraGPS-$version.zip"
setup="$dist/VantoraGPS-$version-setup.exe"
shipped=(VantoraGPS.exe Exif.dll ProgressProc.dll checkDeviceDll.dll)

for file in "${shipped[@]}"; do
    if [ ! -f "$program/$file" ]; then
        echo "dist: $program/$file is missing; run make win64 first" >&2
        exit 1
    fi
done

rm -rf "$dist"
mkdir -p "$stage"

echo "==> dist: screenshots of every window for the manual"
tools/screenshots.sh 96 >/dev/null  # the manual shows the windows at 96 dpi

echo "==> dist: the user manual"
tools/make-manual.sh build/win64/screenshots "$dist/manual/$manual"
cp "$dist/manual/$manual" "$stage/"

echo "==> dist: the program folder"
for file in "${shipped[@]}"; do
    # Without the debugging information the build keeps for tests.
    x86_64-w64-mingw32-strip --strip-debug -o "$stage/$file" "$program/$file"
done

echo "==> dist: $zip_file"
# Python's zip module marks the Japanese file name as UTF-8, which
# Windows' own zip folders read.
(cd "$dist" && python3 -m zipfile -c "$(basename "$zip_file")" "$product")

echo "==> dist: $setup"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$PWD/$stage" \
    -DOUTFILE="$PWD/$setup" installer/VantoraGPS.nsi
# Wine starts only programs it may execute.
chmod 755 "$setup"

ls -l "$stage" "$zip_file" "$setup"
