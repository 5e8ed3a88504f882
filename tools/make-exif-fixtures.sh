#!/bin/bash
# Makes the few small JPEG fixtures of the Exif library's tests into
# tests/fixtures/exif/ (they are committed; run this only to remake them).
# Needs ImageMagick's convert, exiftool and python3 (for the Canon-style maker
# note, to measure the Exif segment, for the AFCP trailer and the MPF segment).
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
#   ii_phone_gps.jpg       Intel order, a phone's GPS directory from an earlier
#                          fix: no GPSVersionID, but a date stamp, altitude,
#                          processing method and horizontal positioning error
#   mm_multi_picture.jpg   Motorola order, an APP2 "MPF" segment after the Exif
#                          segment listing two images, the second a small JPEG
#                          after the main image's end marker
#   ii_gps_pointer_slong.jpg  Intel order, a camera's GPS directory (date stamp,
#                          processing method) whose pointer in IFD0 is stored
#                          as SLONG instead of LONG
#   ii_afcp_samsung_trailers.jpg  Intel order, two trailers after the image:
#                          an AFCP trailer ("AXS*") and after it Samsung's
#                          trailer with an embedded image, "Sound & Shot"
#                          audio and the QDIO block of the audio's absolute
#                          offsets (ends in "QDIOBS")
#   ii_makernote_preview.jpg  Intel order, a Konica Minolta-style maker note
#                          whose PreviewImageStart/Length pair points at a
#                          JPEG preview stored after the image's end marker
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

# 9. Intel order, GPS tags as a phone leaves them from its last fix. exiftool
#    adds GPSVersionID to a GPS directory it creates; phones often leave it
#    out, so it is deleted again.
picture yellow-blue "$work/h.jpg"
et -all= "$work/h.jpg"
et -ExifByteOrder=II "${base_tags[@]}" -ExifVersion=0231 -Make=Vantora -Model="Fixture Phone" \
   -DateTimeOriginal="2008:04:30 18:10:00" \
   -GPSLatitudeRef=N -GPSLatitude=34.9875 -GPSLongitudeRef=E -GPSLongitude=135.7594 \
   -GPSAltitudeRef=0 -GPSAltitude=41.25 -GPSTimeStamp=09:09:58 -GPSDateStamp=2008:04:30 \
   -GPSProcessingMethod=GPS -GPSHPositioningError=35 "$work/h.jpg"
et -GPSVersionID= "$work/h.jpg"
cp "$work/h.jpg" "$out/ii_phone_gps.jpg"

# 10. Motorola order, a multi-picture file as cameras write it: the main
#     image with Exif, then an APP2 "MPF" segment whose MP Index IFD
#     (MPFVersion, NumberOfImages, one 16-byte MPEntry per image: attributes,
#     size, offset, two dependent-image entries) lists the main image (offset
#     0) and a second JPEG appended after the main image's end marker, its
#     offset counted from the MP header (the byte-order mark after "MPF\0").
#     The second image's type is 0, as a phone's gain map: exiftool would
#     show a "large thumbnail" as PreviewImage, any other type as MPImage2.
multi_picture() {
    python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
main, second = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
i = 2
while True:  # the end of the Exif segment
    n = int.from_bytes(main[i + 2:i + 4], "big")
    exif = main[i + 1] == 0xE1 and main[i + 4:i + 10] == b"Exif\0\0"
    i += 2 + n
    if exif: break
entries = 3
table = 8 + 2 + 12 * entries + 4
def mpf(primary_size, second_offset):
    ifd = struct.pack(">H", entries)
    ifd += struct.pack(">HHI", 0xB000, 7, 4) + b"0100"
    ifd += struct.pack(">HHII", 0xB001, 4, 1, 2)
    ifd += struct.pack(">HHII", 0xB002, 7, 32, table)
    ifd += struct.pack(">I", 0)
    images = struct.pack(">IIIHH", 0x20030000, primary_size, 0, 0, 0)      # representative, baseline primary
    images += struct.pack(">IIIHH", 0x00000000, len(second), second_offset, 0, 0)  # type 0, as a gain map
    payload = b"MPF\0" + b"MM\0\x2a" + struct.pack(">I", 8) + ifd + images
    return b"\xff\xe2" + struct.pack(">H", 2 + len(payload)) + payload
size = len(main) + len(mpf(0, 0))
header = i + 8  # marker, length, "MPF\0"
out = main[:i] + mpf(size, size - header) + main[i:] + second
open(sys.argv[3], "wb").write(out)
PY
}
picture white-blue "$work/m.jpg"
et -all= "$work/m.jpg"
et -ExifByteOrder=MM "${base_tags[@]}" -Make=Vantora -Model="Fixture MPF" \
   -DateTimeOriginal="2013:03:03 13:13:13" "$work/m.jpg"
convert -size 24x16 gradient:red-yellow -quality 60 -strip "$work/second.jpg"
multi_picture "$work/m.jpg" "$work/second.jpg" "$out/mm_multi_picture.jpg"
exiftool -b -MPImage2 "$out/mm_multi_picture.jpg" | cmp -s - "$work/second.jpg" || {
    echo "make-exif-fixtures: exiftool does not find the second image" >&2
    exit 1
}

# 11. Intel order, the GPS pointer (0x8825) of IFD0 stored as SLONG, as some
#     cameras write it; exiftool reads it all the same.
slong_gps_pointer() {
    python3 - "$1" "$2" <<'PY'
import struct, sys
d = bytearray(open(sys.argv[1], "rb").read())
tiff = d.find(b"Exif\0\0") + 6
order = "<" if d[tiff:tiff + 2] == b"II" else ">"
ifd0 = tiff + struct.unpack(order + "I", d[tiff + 4:tiff + 8])[0]
for i in range(struct.unpack(order + "H", d[ifd0:ifd0 + 2])[0]):
    entry = ifd0 + 2 + 12 * i
    if struct.unpack(order + "HH", d[entry:entry + 4]) == (0x8825, 4):
        d[entry + 2:entry + 4] = struct.pack(order + "H", 9)
        break
else:
    sys.exit("no LONG GPS pointer to change")
open(sys.argv[2], "wb").write(d)
PY
}
picture orange-blue "$work/s.jpg"
et -all= "$work/s.jpg"
et -ExifByteOrder=II "${base_tags[@]}" -Make=Vantora -Model="Fixture SLONG" \
   -DateTimeOriginal="2014:06:01 08:00:00" -GPSVersionID=2.2.0.0 \
   -GPSLatitudeRef=N -GPSLatitude=35.1 -GPSLongitudeRef=E -GPSLongitude=136.9 \
   -GPSTimeStamp=23:00:00 -GPSDateStamp=2014:05:31 -GPSProcessingMethod=GPS "$work/s.jpg"
slong_gps_pointer "$work/s.jpg" "$out/ii_gps_pointer_slong.jpg"
exiftool -v3 "$out/ii_gps_pointer_slong.jpg" | grep -A1 'GPSInfo' | grep -q 'int32s\[1\]' || {
    echo "make-exif-fixtures: the GPS pointer is not stored as SLONG" >&2
    exit 1
}

# 12. Intel order, an AFCP trailer and Samsung's trailer after it, as exiftool
#     reads such a chain: from the end of the file, each trailer ending where
#     the next begins.
stacked_trailers() {
    python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
jpeg, second = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
def iptc(number, value): return b"\x1c\x02" + bytes([number]) + struct.pack(">H", len(value)) + value
# AFCP ("AXS*": little-endian numbers) right after the main image.
blocks = [(b"IPTC", iptc(0, b"\x00\x04") + iptc(120, b"A caption under a Samsung trailer")),
          (b"TEXT", b"Text in a stacked AFCP trailer.\n")]
at = len(jpeg)
data = at + 12 + 12 * len(blocks)
table = b""
for name, value in blocks:
    table += name + struct.pack("<II", len(value), data)
    data += len(value)
afcp = b"AXS*" + struct.pack("<HHI", 1, len(blocks), 0) + table + b"".join(v for _, v in blocks)
afcp += b"AXS*" + struct.pack("<II", at, 0)
# Samsung's trailer (little-endian): data blocks, each opening with the first
# 4 bytes of its directory entry, its name's length and name; the SEFH
# directory (per block: type, distance back from the directory, size), its
# length and "SEFT"; the QDIO block with the ABSOLUTE offsets of the audio
# data and its end, its length and "QDIO"; then "BS".
start = at + len(afcp)
audio = b"RIFF" + struct.pack("<I", 28) + b"WAVEfmt " + bytes(range(20))
parts = [(0x0001, b"DualShot_1", second), (0x0100, b"SoundShot_000", audio)]
body, places = b"", []
for kind, name, value in parts:
    block = struct.pack("<HHI", 0, kind, len(name)) + name + value
    places.append((kind, len(body), len(block), len(body) + 8 + len(name)))
    body += block
sefh = b"SEFH" + struct.pack("<II", 101, len(parts))
for kind, offset, size, _ in places:
    sefh += struct.pack("<HHII", 0, kind, len(body) - offset, size)
audio_at = start + places[1][3]
qdio = b"QDIO" + struct.pack("<IIII", 101, 1, audio_at, audio_at + len(audio))
samsung = body + sefh + struct.pack("<I", len(sefh)) + b"SEFT" + qdio + struct.pack("<I", len(qdio)) + b"QDIO" + b"BS"
open(sys.argv[3], "wb").write(jpeg + afcp + samsung)
PY
}
picture purple-yellow "$work/t.jpg"
et -all= "$work/t.jpg"
et -ExifByteOrder=II "${base_tags[@]}" -Make=SAMSUNG -Model="Fixture Trailers" \
   -DateTimeOriginal="2015:08:08 18:08:08" "$work/t.jpg"
convert -size 24x16 gradient:red-yellow -quality 60 -strip "$work/dual.jpg"
stacked_trailers "$work/t.jpg" "$work/dual.jpg" "$out/ii_afcp_samsung_trailers.jpg"
[ "$(exiftool -s3 -AFCP:Text "$out/ii_afcp_samsung_trailers.jpg")" = "Text in a stacked AFCP trailer.." ] &&
    exiftool -b -EmbeddedImage "$out/ii_afcp_samsung_trailers.jpg" | cmp -s - "$work/dual.jpg" || {
    echo "make-exif-fixtures: exiftool does not find both trailers" >&2
    exit 1
}

# 13. Intel order, a maker note in the Konica Minolta layout (an IFD, its
#     offsets counted from the TIFF header) whose preview lies after the
#     image's end marker. exiftool places the note; its PreviewImageStart and
#     PreviewImageLength are then set to the preview appended to the file.
preview_note() {
    python3 - "$@" <<'PY'
import struct, sys
if sys.argv[1] == "note":
    entries = [(0x0000, 7, 4, b"MLT0"), (0x0088, 4, 1, bytes(4)), (0x0089, 4, 1, bytes(4))]
    note = struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        note += struct.pack("<HHI", tag, kind, count) + value
    open(sys.argv[2], "wb").write(note + bytes(4))
    sys.exit()
d, preview = bytearray(open(sys.argv[2], "rb").read()), open(sys.argv[3], "rb").read()
tiff = d.find(b"Exif\0\0") + 6
for tag, value in ((0x0088, len(d) - tiff), (0x0089, len(preview))):
    entry = d.find(struct.pack("<HHI", tag, 4, 1), tiff)
    d[entry + 8:entry + 12] = struct.pack("<I", value)
open(sys.argv[4], "wb").write(bytes(d) + preview)
PY
}
picture cyan-red "$work/k.jpg"
et -all= "$work/k.jpg"
et -ExifByteOrder=II "${base_tags[@]}" -Make="KONICA MINOLTA" -Model="Fixture Preview" \
   -DateTimeOriginal="2006:06:06 06:06:06" "$work/k.jpg"
preview_note note "$work/km_note.bin"
et "-MakerNotes<=$work/km_note.bin" "$work/k.jpg"
convert -size 32x24 gradient:green-blue -quality 60 -strip "$work/preview.jpg"
preview_note file "$work/k.jpg" "$work/preview.jpg" "$out/ii_makernote_preview.jpg"
exiftool -b -PreviewImage "$out/ii_makernote_preview.jpg" | cmp -s - "$work/preview.jpg" || {
    echo "make-exif-fixtures: exiftool does not find the maker note's preview" >&2
    exit 1
}

for f in "$out"/*.jpg; do
    echo "$(basename "$f"): $(stat -c %s "$f") bytes; $(exiftool -a -validate -warning -error "$f" | tr '\n' ' ')"
done
