#!/bin/bash
# exiftool reads back the positions written into XMP sidecars: photo_tests
# writes a sidecar of every shape it is tested on (and a new one) into a
# folder, and exiftool must find GPSLatitude and GPSLongitude there within
# 1e-6 degrees, with no warning it does not give about the original.
#
# Usage: xmp_exiftool_test.sh PHOTO_TESTS
#   RUNNER: e.g. the Wine wrapper, for photo_tests.exe; exiftool runs natively.
set -uo pipefail

tests=$1
runner=${RUNNER:-}
if ! command -v exiftool >/dev/null; then
    echo "exiftool is missing (Debian package libimage-exiftool-perl; see tools/install-deps.sh)"
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=$work
[ -n "$runner" ] && out="Z:$work"
if ! VANTORA_XMP_OUT="$out" $runner "$tests" --gtest_filter='XmpForExiftool.*' >"$work/log.txt" 2>&1 ||
    ! grep -q '^\[  PASSED  \] 1 test' "$work/log.txt"; then
    cat "$work/log.txt"
    exit 1
fi
failures=0
count=0
for sidecar in "$work"/*.xmp; do
    count=$((count + 1))
    read -r latitude longitude < <(exiftool -n -s3 -GPSLatitude -GPSLongitude "$sidecar" | tr '\n' ' ')
    if ! perl -e 'exit(abs($ARGV[0] - 35.68125) <= 1e-6 && abs($ARGV[1] - (139 + 45 / 60 + 40.7 / 3600)) <= 1e-6 ? 0 : 1)' \
        "${latitude:-x}" "${longitude:-x}"; then
        echo "FAIL $(basename "$sidecar"): exiftool reads ${latitude:-nothing} ${longitude:-nothing}"
        failures=$((failures + 1))
    fi
    original="$work/before/$(basename "$sidecar" | sed 's/_.*//').xmp"
    before=""
    [ -f "$original" ] && before=$(exiftool -s3 -warning -error "$original")
    warning=$(exiftool -s3 -warning -error "$sidecar")
    if [ "$warning" != "$before" ]; then
        echo "FAIL $(basename "$sidecar"): $warning"
        failures=$((failures + 1))
    fi
done
if [ "$count" -ne 6 ]; then
    echo "FAIL: $count sidecars written, 6 expected"
    failures=$((failures + 1))
fi
echo "$count sidecars, $failures failures"
[ "$failures" -eq 0 ]
