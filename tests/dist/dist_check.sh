#!/bin/bash
# The program folder and the zip that go to users: exactly the program, its
# three libraries and the manual; the program imports the libraries it is
# shipped with and nothing a clean Windows lacks; the zip holds the same
# files under the folder's name, its Japanese name marked as UTF-8.
#
# Usage: dist_check.sh DIST_FOLDER
set -euo pipefail

dist=$1
product="Vantora GPS Utility"
folder="$dist/$product"
zip_file="$dist/VantoraGPS-1.0.zip"
expected=$(printf '%s\n' VantoraGPS.exe Exif.dll ProgressProc.dll checkDeviceDll.dll \
    "$product 取扱説明書.pdf" | sort)

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

if [ ! -d "$folder" ]; then
    echo "FAIL: $folder is missing (tools/dist.sh makes it)"
    exit 1
fi

actual=$(cd "$folder" && find . -mindepth 1 -printf '%P\n' | sort)
[ "$actual" == "$expected" ] || fail "the program folder holds:"$'\n'"$actual"

# A clean Windows has the system's DLLs; anything else must be shipped.
imports=$(x86_64-w64-mingw32-objdump -p "$folder/VantoraGPS.exe" | sed -n 's/^\s*DLL Name: //p')
for library in Exif.dll ProgressProc.dll; do
    grep -qx "$library" <<<"$imports" || fail "VantoraGPS.exe does not import $library"
done
for binary in VantoraGPS.exe Exif.dll ProgressProc.dll checkDeviceDll.dll; do
    if x86_64-w64-mingw32-objdump -p "$folder/$binary" | grep -Eiq 'DLL Name: (libstdc|libgcc|libwinpthread)'; then
        fail "$binary needs the MinGW runtime DLLs"
    fi
done
# The per-monitor DPI functions exist from Windows 10 on: imported, they
# would keep the program from starting on Windows 7 and 8.1.
for binary in VantoraGPS.exe ProgressProc.dll; do
    if x86_64-w64-mingw32-objdump -p "$folder/$binary" |
        grep -Eq '^\s+[0-9a-f]+\s+[0-9]+\s+(GetDpiForWindow|GetDpiForSystem|AdjustWindowRectExForDpi|SystemParametersInfoForDpi|SetDialogDpiChangeBehavior|SetThreadDpiAwarenessContext|SetProcessDpiAwarenessContext)$'; then
        fail "$binary imports a DPI function of Windows 10 instead of looking it up"
    fi
done

listing=$(python3 - "$zip_file" "$product" <<'PYTHON'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    for entry in archive.infolist():
        if entry.is_dir():
            continue
        utf8 = bool(entry.flag_bits & 0x800) or entry.filename.isascii()
        prefix = sys.argv[2] + "/"
        name = entry.filename[len(prefix):] if entry.filename.startswith(prefix) else "outside:" + entry.filename
        print(name if utf8 else "not-utf8:" + name)
PYTHON
) || fail "$zip_file cannot be read"
[ "$(sort <<<"$listing")" == "$expected" ] || fail "the zip holds:"$'\n'"$listing"
for file in VantoraGPS.exe "$product 取扱説明書.pdf"; do
    python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))' \
        "$zip_file" "$product/$file" | cmp -s - "$folder/$file" || fail "the zip's $file differs from the folder's"
done

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "ok: the program folder and the zip hold the program, its three libraries and the manual"
