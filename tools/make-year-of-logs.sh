#!/bin/bash
# A year with the logger: DAYS logs (default 300) of eight hours at 1 Hz,
# one a day from 2025-01-01, each starting at 08:00 in Japan (23:00 UTC the
# day before), as a photographer's PC list holds them after a year.
# Usage: make-year-of-logs.sh NMEA_GEN FOLDER [DAYS]
set -euo pipefail
gen=$1
folder=$2
days=${3:-300}
mkdir -p "$folder"
start=$(date -u -d 2024-12-31T23:00:00 +%s)
for ((day = 0; day < days; day++)); do
    at=$(date -u -d "@$((start + day * 86400))" +%Y-%m-%dT%H:%M:%S)
    name=$(date -u -d "@$((start + day * 86400 + 9 * 3600))" +%Y%m%d)_080000.log
    "$gen" --start "$at" --seconds 28800 --lat 35.6 --lon 139.7 --speed 1.5 --heading $((day % 360)) \
        --seed $((day + 1)) "$folder/$name"
done
