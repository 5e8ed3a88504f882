#!/bin/bash
# Runs a Windows program under Wine as the tests need it: a Wine prefix of
# its own (made on first use), no Mono or Gecko prompts, a Japanese locale so
# the ANSI code page is 932, and a virtual display when there is none.
#
# Usage: wine-run.sh [--prefix DIR] PROGRAM.exe [ARGS...]
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
if [ $# -lt 1 ]; then
    echo "usage: wine-run.sh [--prefix DIR] PROGRAM.exe [ARGS...]" >&2
    exit 2
fi

export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
# The Windows C runtime would read a Linux zone name wrongly; without TZ it
# takes Wine's system time zone, as on a real PC.
unset TZ

# Make the prefix once; the lock keeps parallel first runs from racing.
mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
) 9>"$prefix.lock"

if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"
