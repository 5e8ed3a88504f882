#!/bin/bash
# Draws the program's artwork into src/res/ with ImageMagick: the about
# picture, the two 16 x 16 title pictures, the three arrow pictures, the
# header strip and the program icon. The results are committed; run this
# again after changing a picture here (same ImageMagick and fonts give the
# same files).
#
# Bitmaps are written as 24-bit BMP (BMP3, TrueColor, no alpha), the form
# windres and LoadImage take. Colours that the program treats as
# transparent must come out exact, so the small pictures are drawn without
# antialiasing: pure white around the title pictures, pure black around the
# arrows.
#
# Usage: tools/make-artwork.sh [OUTPUT_DIR]   (default: src/res)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/src/res}
title_font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
if [ ! -f "$title_font" ]; then
    echo "make-artwork.sh: missing font $title_font (Debian fonts-dejavu-core)" >&2
    exit 1
fi
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Writes a 24-bit BMP without the colour-space block or alpha that newer
# BMP versions carry.
bmp24() {
    convert "$1" -alpha off -type TrueColor -define bmp:format=bmp3 "BMP3:$2"
}

# The route of the about picture as short line segments along three cubic
# curves (control points below): this ImageMagick closes stroked paths and
# polylines, single lines it leaves open.
route_segments() {
    awk 'BEGIN {
        n = split("40 262 110 200 170 292 250 236 320 188 380 196 440 246 490 288 530 272 566 214", p, " ")
        first = 1
        for (b = 0; b + 8 <= n; b += 6)
            for (i = 0; i <= 20; i++) {
                t = i / 20; u = 1 - t
                x = u*u*u*p[b+1] + 3*u*u*t*p[b+3] + 3*u*t*t*p[b+5] + t*t*t*p[b+7]
                y = u*u*u*p[b+2] + 3*u*u*t*p[b+4] + 3*u*t*t*p[b+6] + t*t*t*p[b+8]
                if (!first) printf "line %.1f,%.1f %.1f,%.1f ", px, py, x, y
                px = x; py = y; first = 0
            }
    }'
}

# 600 x 300: a light sky gradient, the name, a thin accent line and a route
# with waypoints along the bottom. The area (255,140)-(355,170) stays plain
# background: the about box paints the version text there.
about() {
    convert -size 600x300 gradient:'#ffffff-#dbe7f1' \
        -font "$title_font" -pointsize 38 -fill '#24364a' \
        -gravity north -annotate +0+62 'Vantora GPS Utility' -gravity northwest \
        -stroke '#2f7fb8' -strokewidth 3 -draw 'line 150,122 450,122' \
        -fill none -strokewidth 4 -draw "stroke-linecap round $(route_segments)" \
        -stroke '#ffffff' -strokewidth 3 -fill '#e8742a' \
        -draw 'circle 40,262 47,262' -draw 'circle 250,236 257,236' \
        -draw 'circle 440,246 447,246' -draw 'circle 566,214 573,214' \
        "$work/about.png"
    bmp24 "$work/about.png" "$out/about.bmp"
}

# 16 x 16 computer screen on pure white.
pc() {
    convert -size 16x16 xc:white +antialias -stroke none \
        -fill '#3c3c3c' -draw 'rectangle 1,1 14,11' \
        -fill '#4a90d9' -draw 'rectangle 2,2 13,10' \
        -fill '#9cc8f0' -draw 'rectangle 3,3 6,5' \
        -fill '#3c3c3c' -draw 'rectangle 6,12 9,13' -draw 'rectangle 3,14 12,14' \
        "$work/pc.png"
    bmp24 "$work/pc.png" "$out/pc.bmp"
}

# 16 x 16 hand-held GPS unit with antenna, display and keys, on pure white.
unit() {
    convert -size 16x16 xc:white +antialias -stroke none \
        -fill '#3c3c3c' -draw 'rectangle 10,0 11,2' \
        -fill '#2e4f6e' -draw 'rectangle 4,2 12,15' \
        -fill '#a8e08a' -draw 'rectangle 5,4 11,8' \
        -fill '#2f7f3a' -draw 'point 7,6' -draw 'point 8,5' -draw 'point 9,7' \
        -fill '#e8742a' -draw 'rectangle 6,11 7,12' \
        -fill '#d0d8e0' -draw 'rectangle 9,11 10,12' \
        "$work/unit.png"
    bmp24 "$work/unit.png" "$out/unit.bmp"
}

# 76 x 32 right-pointing arrow of one colour on pure black.
arrow() {
    convert -size 76x32 xc:black +antialias -stroke none -fill "$1" \
        -draw 'rectangle 4,10 45,21' -draw 'polygon 44,1 72,16 44,30' \
        "$work/$2.png"
    bmp24 "$work/$2.png" "$out/$2.bmp"
}

# 884 x 28 grey gradient with a darker bottom edge.
header() {
    convert -size 884x27 gradient:'#f8f8f8-#c6c6c6' \
        -size 884x1 xc:'#9a9a9a' -append "$work/header.png"
    bmp24 "$work/header.png" "$out/header.bmp"
}

# The program icon: a map pin on a blue rounded square, at 48, 32 and 16 px.
icon() {
    local size
    for size in 48 32 16; do
        convert -size 48x48 xc:none -stroke none \
            -fill '#2f7fb8' -draw 'roundrectangle 1,1 46,46 9,9' \
            -fill white -draw 'circle 24,19 24,7' -draw 'polygon 13,23 35,23 24,42' \
            -fill '#2f7fb8' -draw 'circle 24,19 24,14' \
            -resize "${size}x${size}" "PNG32:$work/icon$size.png"
    done
    convert "$work/icon48.png" "$work/icon32.png" "$work/icon16.png" \
        -define icon:format=bmp "ICO:$out/VantoraGPS.ico"
}

about
pc
unit
arrow '#8c8c8c' arrow_normal
arrow '#dadada' arrow_disabled
arrow '#ff8c1a' arrow_pressed
header
icon
echo "artwork written to $out"
