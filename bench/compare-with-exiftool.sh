#!/bin/bash
# How fast `vantora-gps write` geotags a day's photos compared with
# `exiftool -geotag`, on the same photos and the same log, and whether the
# two put the photos in the same places.
#
# Usage: bench/compare-with-exiftool.sh [PHOTO_COUNT]   (default 500)
#
# Uses the native build tree's binaries (`make native`) and exiftool.
# Everything it makes is in build/bench-exiftool, recreated on each run.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-500}
runs=3  # odd, so the median is one measured run

cli=$root/build/native/cli/vantora-gps
gen=$root/build/native/tools/nmea-gen/nmea-gen
photo=$root/build/native/tools/demo-photo/demo-photo
work=$root/build/bench-exiftool

# The day, in the camera's time zone (+09:00); the log covers all of it.
day=2008:05:01
log_start=2008-04-30T15:00:00  # 00:00:00 local, in UTC as the logger writes
day_seconds=86400
gap_every=600   # the log has a 20-second hole every 10 minutes (a tunnel),
gap_length=20   # so some photos fall between fixes and must be interpolated
speed=5         # m/s: fast enough that a nearest-fix rule would show (see below)

# Per axis, in degrees. Both tools interpolate linearly between the two
# fixes around a photo; a photo on a fix's second gets that fix. Ours keeps
# positions in tenths of an arc second: each fix is rounded to the nearest
# 0.1" (off by up to 0.05") and an interpolated value is truncated by up to
# another 0.1", so it may lie up to 0.15" (4.2e-5 degrees, 3-5 m) from
# exiftool's unrounded result. A tool taking the nearest fix in a hole
# instead would be off by up to about 10 s of travel, 50 m or 3-4e-4 degrees
# per axis here, far more than this allows.
tolerance=0.00005

fail() {
    echo "compare-with-exiftool: $*" >&2
    exit 1
}

check_tools() {
    local binary
    for binary in "$cli" "$gen" "$photo"; do
        [[ -x $binary ]] || fail "$binary is missing; run 'make native' first"
    done
    command -v exiftool >/dev/null || fail "exiftool is not installed"
}

check_count() {
    # One photo per second at most, all strictly inside the log.
    if ! [[ $count =~ ^[1-9][0-9]*$ ]] || ((count > day_seconds - 120)); then
        fail "PHOTO_COUNT must be a whole number from 1 to $((day_seconds - 120)), not '$count'"
    fi
}

# Seconds after local midnight of photo I, spread evenly over the day,
# keeping a minute clear of either end of the log.
photo_second() {
    echo $((60 + $1 * (day_seconds - 120) / count))
}

make_data() {
    "$gen" --start "$log_start" --seconds "$day_seconds" --lat 35.681236 --lon 139.767125 \
        --speed "$speed" --heading 45 --gap-every "$gap_every" --gap-length "$gap_length" \
        --seed 1 "$work/day.log"
    mkdir "$work/photos"
    local i s name when in_gap=0
    for ((i = 0; i < count; i++)); do
        s=$(photo_second "$i")
        printf -v name 'IMG_%05d.JPG' "$i"
        printf -v when '%s %02d:%02d:%02d' "$day" $((s / 3600)) $((s / 60 % 60)) $((s % 60))
        "$photo" "$work/photos/$name" "$when"
        if ((s >= gap_every && s % gap_every < gap_length)); then
            in_gap=$((in_gap + 1))
        fi
    done
    echo "Made $work/day.log and $count photos ($in_gap of them in a hole of the log)."
}

run_vantora() {
    "$cli" write --utc-offset +09 --log "$work/day.log" "$1"
}

# -overwrite_original replaces each file by renaming a finished temporary
# copy over it, as our tool does; the _in_place variant copies the data back
# into the old file, extra work ours does not do.
run_exiftool() {
    # shellcheck disable=SC2016  # ${DateTimeOriginal} is exiftool's, not the shell's
    exiftool -q -geotag "$work/day.log" '-geotime<${DateTimeOriginal}+09:00' \
        -overwrite_original "$1"
}

# Runs TOOL on fresh copies of the photos; prints each run's seconds, one a
# line. Copying is not timed. The last run's photos stay for the check.
time_runs() {
    local tool=$1 run dir start end
    for ((run = 1; run <= runs; run++)); do
        dir=$work/$tool-$run
        cp -r "$work/photos" "$dir"
        start=$(date +%s.%N)
        "run_$tool" "$dir" >"$dir.out" 2>&1 || { cat "$dir.out" >&2; fail "$tool failed on run $run"; }
        end=$(date +%s.%N)
        awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
    done
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

read_positions() {
    exiftool -q -n -csv -Composite:GPSLatitude -Composite:GPSLongitude "$1"
}

# Compares the positions exiftool reads back from both tools' photos.
# Fails when a photo lacks a position in either, or when they differ by
# more than the tolerance on either axis.
check_agreement() {
    read_positions "$work/vantora-$runs" >"$work/vantora.csv"
    read_positions "$work/exiftool-$runs" >"$work/exiftool.csv"
    awk -F, -v tol="$tolerance" -v count="$count" '
        function name(path) { sub(/.*\//, "", path); return path }
        function abs(x) { return x < 0 ? -x : x }
        FNR == 1 {
            lat = lon = 0
            for (i = 1; i <= NF; i++) {
                if ($i == "GPSLatitude") lat = i
                if ($i == "GPSLongitude") lon = i
            }
            file++
            next
        }
        file == 1 { ourLat[name($1)] = lat ? $lat : ""; ourLon[name($1)] = lon ? $lon : ""; next }
        {
            n = name($1); seen++
            if (!(n in ourLat) || ourLat[n] == "" || ourLon[n] == "") { missing++; print "  no position from vantora-gps: " n; next }
            if (!lat || !lon || $lat == "" || $lon == "") { missing++; print "  no position from exiftool: " n; next }
            dLat = abs(ourLat[n] - $lat); dLon = abs(ourLon[n] - $lon)
            if (dLat > maxLat) maxLat = dLat
            if (dLon > maxLon) maxLon = dLon
            if (dLat > tol || dLon > tol) { over++; if (over <= 10) printf "  %s differs by %.7f / %.7f degrees\n", n, dLat, dLon }
        }
        END {
            if (seen != count) { print "  exiftool read " seen " photos, expected " count; missing++ }
            printf "Agreement: max difference %.7f degrees latitude, %.7f longitude (tolerance %s); %d over, %d without a position.\n", maxLat, maxLon, tol, over, missing
            exit (over || missing) ? 1 : 0
        }' "$work/vantora.csv" "$work/exiftool.csv"
}

table_row() {
    local tool=$1 seconds=$2
    awk -v t="$tool" -v n="$count" -v s="$seconds" \
        'BEGIN { printf "| %s | %d | %.3f | %.1f |\n", t, n, s, (s > 0 ? n / s : 0) }'
}

main() {
    check_count
    check_tools
    rm -rf "$work"
    mkdir -p "$work"
    make_data

    local ours theirs
    ours=$(time_runs vantora | tee "$work/vantora.times" | median)
    theirs=$(time_runs exiftool | tee "$work/exiftool.times" | median)
    echo "Run times (s): vantora-gps $(paste -sd' ' "$work/vantora.times"); exiftool $(paste -sd' ' "$work/exiftool.times")"

    local agreed=0
    check_agreement || agreed=1

    echo
    echo "| tool | photos | median seconds ($runs runs) | photos per second |"
    echo "|---|---:|---:|---:|"
    table_row "vantora-gps write" "$ours"
    table_row "exiftool $(exiftool -ver) -geotag" "$theirs"
    echo
    echo "Machine: nproc $(nproc), CPU $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)"

    ((agreed == 0)) || fail "the two tools do not agree on every photo (see above)"
}

main
