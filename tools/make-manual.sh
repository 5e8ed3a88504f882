#!/bin/bash
# Builds the Japanese user manual as PDF.
#
#   tools/make-manual.sh SCREENSHOT_DIR OUTPUT_PDF
#
# SCREENSHOT_DIR holds the full-screen captures of `make screenshots`
# (black background). The manual's source, docs/manual, is copied into a
# fresh work folder beside OUTPUT_PDF ("manual-work"); each screenshot the
# manual uses is cropped there to the window(s) on it, and WeasyPrint turns
# the HTML into OUTPUT_PDF.
# Needs the Debian packages weasyprint, imagemagick and fonts-ipafont-gothic.
set -euo pipefail

die() { echo "make-manual: $*" >&2; exit 1; }

[ $# -eq 2 ] || die "usage: $0 SCREENSHOT_DIR OUTPUT_PDF"

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source_dir="$repo/docs/manual"
[ -f "$source_dir/manual.html" ] || die "no manual source at $source_dir/manual.html"
[ -d "$1" ] || die "screenshot folder '$1' does not exist"
shots=$(cd "$1" && pwd)

out_dir=$(dirname "$2")
mkdir -p "$out_dir"
out_dir=$(cd "$out_dir" && pwd)
out="$out_dir/$(basename "$2")"
case "$out" in *.pdf|*.PDF) ;; *) die "the output '$2' should end in .pdf" ;; esac

for tool in weasyprint convert identify; do
    command -v "$tool" >/dev/null || die "'$tool' is missing (Debian packages: weasyprint, imagemagick)"
done
fc-list IPAPGothic | grep -q . || die "the font IPAPGothic is missing (Debian package fonts-ipafont-gothic)"

# The screenshots the manual uses, each once.
mapfile -t images < <(grep -o 'src="images/[^"]*\.png"' "$source_dir/manual.html" \
                      | sed 's/^src="images\///; s/"$//' | sort -u)
[ ${#images[@]} -gt 0 ] || die "manual.html names no screenshot"
missing=()
for name in "${images[@]}"; do
    [ -f "$shots/$name" ] || missing+=("$name")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "make-manual: the manual uses these screenshots, missing from $shots:" >&2
    printf '  %s\n' "${missing[@]}" >&2
    echo "make-manual: run 'make screenshots' first" >&2
    exit 1
fi

start=$(date +%s)
work="$out_dir/manual-work"
rm -rf "$work"
mkdir -p "$work"
cp -R "$source_dir/." "$work/"
mkdir -p "$work/images"

for name in "${images[@]}"; do
    # The background of the virtual display is black: trimming it leaves
    # the window, and any dialog on top of it.
    convert "$shots/$name" -trim +repage "$work/images/$name"
    size=$(identify -format '%w %h' "$work/images/$name")
    read -r w h <<<"$size"
    if [ "$w" -lt 100 ] || [ "$h" -lt 50 ]; then
        die "$name: cropped to ${w}x${h}; is the screenshot all black?"
    fi
done

rm -f "$out"
weasyprint "$work/manual.html" "$out"
[ -s "$out" ] || die "weasyprint wrote no PDF"
echo "make-manual: wrote $out (${#images[@]} screenshots, $(( $(date +%s) - start )) s)"
