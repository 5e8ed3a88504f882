#!/bin/bash
# Makes the few small JPEG fixtures of the Exif library's tests into
# tests/fixtures/exif/ (they are committed; run this only to remake them).
# Needs ImageMagick's convert, exiftool and python3 (for the Canon-style maker
# note, to measure the Exif segment and for the AFCP trailer).
#
#   ii_jfif_thumbnail.jpg  Intel order, JFIF APP0 before Exif, IFD1 thumbnail
#   mm_plain.jpg           Motorola order, no GPS directory
#   mm_gps_xmp.jpg         Motorola order, GPS directory with altitude, date
#                          stamp, status, a 6-byte map datum and a tag that no
#                          tool knows (0xd000), an Interop directory, XMP
#   ii_canon_makernote.jpg Intel order, Canon maker note whose entries point
#                          at absolute offsets of the TIFF block
#   mm_near_limit.jpg      Motorola order, Exif segment about 150 bytes short
#                          of the 65,533-byte limit (GPS tags cannot fit)
#   no_exif.jpg            a JPEG with JFIF only
#   png_named.jpg          a PNG picture with a .jpg name
#   mm_afcp_trailer.jpg    mm_plain.jpg with an AFCP trailer after the image
#                          (IPTC and TEXT entries, absolute offsets)
set -euo pipefail
cd "$(dirname "$0")/.."
out=tests/fixtures/exif
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

et() { exiftool -q -q -overwrite_original "$@"; }

# A small picture; every JPEG fixture starts from one like it.
picture() { convert -size 48x32 gradient:"$1" -quality 70 "$2"; }
# Tags every Exif fixture carries, so that exiftool -validate stays clean.
base_tags=(-ExifVersion=0230 -ExifImageWidth=48 -ExifImageHeight=32
           -XResolution=72 -YResolution=72 -ResolutionUnit=inches -YCbCrPositioning=Centered
           -ComponentsConfiguration="1 2 3 0" -ColorSpace=sRGB -FlashpixVersion=0100)

# 1. Intel order, JFIF APP0 first, a thumbnail in IFD1.
picture red-blue "$work/a.jpg"
convert -size 16x12 gradient:yellow-green -quality 60 "$work/thumb.jpg"
et -ExifByteOrder=II "${base_tags[@]}" -Make=Vantora -Model="Fixture II" \
   -DateTimeOriginal="2008:05:12 10:20:30" "-ThumbnailImage<=$work/thumb.jpg" \
   -IFD1:Compression=6 -IFD1:XResolution=72 -IFD1:YResolution=72 -IFD1:ResolutionUnit=inches \
   "$work/a.jpg"
cp "$work/a.jpg" "$out/ii_jfif_thumbnail.jpg"

# 2. Motorola order, no GPS, no JFIF.
picture green-white "$work/b.jpg"
et -all= "$work/b.jpg"
et -ExifByteOrder=MM "${base_tags[@]}" -Make=Vantora -Model="Fixture MM" \
   -DateTimeOriginal="2009:01:01 00:30:00" "$work/b.jpg"
cp "$work/b.jpg" "$out/mm_plain.jpg"

# 3. Motorola order with a GPS directory the program must keep.
cat >"$work/gps.config" <<'CFG'
%Image::ExifTool::UserDefined = (
    'Image::ExifTool::GPS::Main' => {
        0xd000 => { Name => 'VantoraPrivateGpsTag', Writable => 'int16u' },
    },
);
1;
CFG
picture blue-black "$work/c.jpg"
et -ExifByteOrder=MM "${base_tags[@]}" -Make=Vantora -Model="Fixture GPS" \
   -DateTimeOriginal="2010:07:07 07:07:07" -InteropIndex=R98 -InteropVersion=0100 \
   -GPSVersionID=2.2.0.0 -GPSLatitudeRef=S -GPSLatitude=12.5 -GPSLongitudeRef=W -GPSLongitude=45.25 \
   -GPSAltitudeRef=0 -GPSAltitude=123.4 -GPSDateStamp=2010:07:06 -GPSTimeStamp=22:07:07 \
   -GPSStatus#=V -GPSMapDatum=TOKYO -XMP-dc:Title="Fixture with XMP" "$work/c.jpg"
exiftool -config "$work/gps.config" -q -q -overwrite_original -VantoraPrivateGpsTag=4660 "$work/c.jpg"
cp "$work/c.jpg" "$out/mm_gps_xmp.jpg"

# 4. Intel order with a Canon maker note (absolute offsets, ending in the
#    Canon footer that records where the note lies). exiftool places the
#    note; the first write tells where, the second writes it for that place.
canon_note() {
    python3 - "$1" "$2" <<'PY'
import struct, sys
base = int(sys.argv[1])
image_type = b"Canon EOS 5D fixture image\0"
owner = b"Vantora Fixture Owner\0".ljust(32, b"\0")
entries = 2
table = 2 + 12 * entries + 4
first = base + table
second = first + len(image_type)
note = struct.pack("<H", entries)
note += struct.pack("<HHII", 0x0006, 2, len(image_type), first)
note += struct.pack("<HHII", 0x0009, 2, len(owner), second)
note += struct.pack("<I", 0) + image_type + owner
note += b"II*\0" + struct.pack("<I", base)
open(sys.argv[2], "wb").write(note)
PY
}
picture white-red "$work/d.jpg"
et -ExifByteOrder=II "${base_tags[@]}" -Make=Canon -Model="Canon EOS 5D" \
   -DateTimeOriginal="2011:11:11 11:11:11" "$work/d.jpg"
canon_note 1000 "$work/note.bin"
et "-MakerNotes<=$work/note.bin" "$work/d.jpg"
shift_by=$(exiftool -a -warning "$work/d.jpg" | sed -n 's/.*Adjusted MakerNotes base by \(-\?[0-9]*\).*/\1/p')
canon_note $((1000 + ${shift_by:-0})) "$work/note.bin"
et "-MakerNotes<=$work/note.bin" "$work/d.jpg"
if exiftool -a -warning "$work/d.jpg" | grep -q "MakerNotes"; then
    echo "make-exif-fixtures: the maker note did not land where expected" >&2
    exit 1
fi
cp "$work/d.jpg" "$out/ii_canon_makernote.jpg"

# 5. Motorola order, Exif segment close to the limit.
app1_payload() {
    python3 - "$1" <<'PY'
import sys
d = open(sys.argv[1], "rb").read()
i = 2
while i + 4 <= len(d):
    m, n = d[i + 1], int.from_bytes(d[i + 2:i + 4], "big")
    if m == 0xE1 and d[i + 4:i + 10] == b"Exif\0\0":
        print(n - 2)
        break
    i += 2 + n
PY
}
picture black-white "$work/e.jpg"
et -all= "$work/e.jpg"
filler=60000
et -ExifByteOrder=MM "${base_tags[@]}" -Make=Vantora -Model="Fixture full" \
   -DateTimeOriginal="2012:12:12 12:12:12" -UserComment="$(head -c $filler /dev/zero | tr '\0' 'x')" "$work/e.jpg"
payload=$(app1_payload "$work/e.jpg")
filler=$((filler + 65533 - 150 - payload))
et -UserComment="$(head -c $filler /dev/zero | tr '\0' 'x')" "$work/e.jpg"
cp "$work/e.jpg" "$out/mm_near_limit.jpg"

# 6. No Exif at all, and 7. a PNG under a JPEG name.
picture red-white "$work/f.jpg"
et -all= "$work/f.jpg"
cp "$work/f.jpg" "$out/no_exif.jpg"
convert -size 16x16 gradient:red-blue "$work/g.png"
cp "$work/g.png" "$out/png_named.jpg"

# 8. An AFCP trailer ("AXS!", big-endian) after mm_plain.jpg's image: a
#    header, two entries with the absolute offsets of their data, the data,
#    and the footer with the absolute offset of the header.
afcp_trailer() {
    python3 - "$1" "$2" <<'PY'
import struct, sys
jpeg = open(sys.argv[1], "rb").read()
def iptc(number, value): return b"\x1c\x02" + bytes([number]) + struct.pack(">H", len(value)) + value
blocks = [(b"IPTC", iptc(0, b"\x00\x04") + iptc(5, b"Vantora AFCP fixture") + iptc(120, b"A caption in an AFCP trailer")),
          (b"TEXT", b"Text in an AFCP trailer.\n")]
at = len(jpeg)
data = at + 12 + 12 * len(blocks)
table = b""
for name, value in blocks:
    table += name + struct.pack(">II", len(value), data)
    data += len(value)
trailer = b"AXS!" + struct.pack(">HHI", 1, len(blocks), 0) + table + b"".join(v for _, v in blocks)
trailer += b"AXS!" + struct.pack(">II", at, 0)
open(sys.argv[2], "wb").write(jpeg + trailer)
PY
}
afcp_trailer "$out/mm_plain.jpg" "$out/mm_afcp_trailer.jpg"

for f in "$out"/*.jpg; do
    echo "$(basename "$f"): $(stat -c %s "$f") bytes; $(exiftool -a -validate -warning -error "$f" | tr '\n' ' ')"
done
