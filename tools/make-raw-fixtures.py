#!/usr/bin/env python3
"""Makes the small raw and HEIF fixtures of the Exif library's tests into
tests/fixtures/raw/ (they are committed; run this only to remake them).

Every file is laid out here byte by byte from the formats' public
descriptions (TIFF 6.0 and Exif 2.32; the TIFF-based raw headers: CR2's
"CR" 2 0 after the TIFF header, ORF's "IIRO"/"MMOR", RW2's "IIU"; ISO/IEC
14496-12 boxes with Canon's CR3 boxes and ISO/IEC 23008-12 items; RAF's
header fields). The pictures inside (previews, thumbnails, the RAF file's
JPEG) are tiny JPEGs made by ImageMagick; exiftool writes the RAF file's
JPEG's Exif. The image data of the raw files is a few made-up bytes: only
the structure and the tags matter here.

    canon_ii.cr2        CR2, Intel order: IFD0 strip preview, IFD1 thumbnail,
                        Exif (sub-second, zone, serial), GPS
    nikon_mm.nef        NEF, Motorola order: SubIFD preview (JpgFromRaw), no GPS
    sony_ii.arw         ARW, Intel order: IFD0 preview, GPS
    adobe_ii.dng        DNG, Intel order: serial only in IFD0 (CameraSerialNumber),
                        SubIFD preview and a CFA SubIFD, GPS
    adobe_mm.dng        DNG, Motorola order: BodySerialNumber, zone, no preview
    olympus_iiro.orf    ORF, "IIRO": GPS, sub-second
    olympus_mmor.orf    ORF, "MMOR": zone, no GPS
    panasonic_iiu.rw2   RW2, "IIU": JpgFromRaw (tag 0x2E), GPS
    pentax_mm.pef       PEF, Motorola order: IFD0 preview, GPS west and south
    canon.cr3           CR3: CMT1, CMT2, CMT3, CMT4 (GPS), THMB and PRVW
    fujifilm.raf        RAF: its JPEG's Exif (Motorola order), GPS
    apple.heic          HEIC: an Exif item in mdat (iloc version 1), Motorola order
    camera_idat.heic    HEIF (brand mif1): the Exif item in the meta box's item
                        data box (construction method 1), Intel order, no GPS
    phone.avif          AVIF: an Exif item in two extents (iloc version 0 with
                        a base offset), Intel order, GPS
"""
import os
import struct
import subprocess
import sys
import tempfile

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "fixtures", "raw")

BYTE, ASCII, SHORT, LONG, RATIONAL, UNDEFINED = 1, 2, 3, 4, 5, 7
SIZES = {BYTE: 1, ASCII: 1, SHORT: 2, LONG: 4, RATIONAL: 8, UNDEFINED: 1}


class Ref:
    """The offset of a named IFD or blob, filled in when the file is done."""
    def __init__(self, name):
        self.name = name


class Len:
    """The length of a named blob."""
    def __init__(self, name):
        self.name = name


class Tiff:
    """A TIFF file (or block) laid out in order: header, then each IFD with
    its out-of-line values, then blobs; pointers are patched at the end."""

    def __init__(self, order, magic=42, header_extra=b""):
        self.e = "<" if order == "II" else ">"
        self.buf = bytearray(order.encode() + struct.pack(self.e + "H", magic) + b"\0\0\0\0" + header_extra)
        self.offsets, self.lengths, self.patches = {}, {}, []

    def _align(self):
        if len(self.buf) % 2:
            self.buf += b"\0"

    def _encode(self, typ, value, at):
        """The value's bytes; Ref/Len placeholders are noted at `at` + i."""
        if typ in (ASCII,):
            return value.encode() + b"\0", None
        if typ in (UNDEFINED,) and isinstance(value, (bytes, bytearray)):
            return bytes(value), None
        if typ == RATIONAL:
            return b"".join(struct.pack(self.e + "II", n, d) for n, d in value), None
        fmt = {BYTE: "B", SHORT: "H", LONG: "I"}[typ]
        raw, refs = b"", []
        for i, v in enumerate(value):
            if isinstance(v, (Ref, Len)):
                refs.append((i * 4, v))
                v = 0
            raw += struct.pack(self.e + fmt, v)
        return raw, refs

    def ifd(self, name, entries, next_ifd=None):
        self._align()
        at = len(self.buf)
        self.offsets[name] = at
        entries = sorted(entries, key=lambda e: e[0])
        data_at = at + 2 + 12 * len(entries) + 4
        table, data = struct.pack(self.e + "H", len(entries)), bytearray()
        for i, (tag, typ, value) in enumerate(entries):
            raw, refs = self._encode(typ, value, 0)
            count = len(raw) // SIZES[typ]
            field_at = at + 2 + 12 * i + 8
            if len(raw) <= 4:
                base = field_at
                field = raw.ljust(4, b"\0")
            else:
                base = data_at + len(data)
                field = struct.pack(self.e + "I", base)
                data += raw
                if len(data) % 2:
                    data += b"\0"
            for pos, ref in refs or []:
                self.patches.append((base + pos, ref))
            table += struct.pack(self.e + "HHI", tag, typ, count) + field
        if next_ifd:
            self.patches.append((at + 2 + 12 * len(entries), Ref(next_ifd)))
        self.buf += table + b"\0\0\0\0" + data
        return at

    def blob(self, name, data):
        self._align()
        self.offsets[name] = len(self.buf)
        self.lengths[name] = len(data)
        self.buf += data

    def build(self, first="ifd0", extra_patches=()):
        struct.pack_into(self.e + "I", self.buf, 4, self.offsets[first])
        for pos, ref in list(self.patches) + list(extra_patches):
            value = self.offsets[ref.name] if isinstance(ref, Ref) else self.lengths[ref.name]
            struct.pack_into(self.e + "I", self.buf, pos, value)
        return bytes(self.buf)


def jpeg(colours, size="32x24"):
    """A tiny JPEG picture without metadata."""
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "p.jpg")
        subprocess.run(["convert", "-size", size, "gradient:" + colours, "-quality", "60", "-strip", path], check=True)
        return open(path, "rb").read()


def dms(value):
    """Degrees, minutes and seconds (hundredths) as three rationals."""
    degrees = int(value)
    minutes = int((value - degrees) * 60)
    seconds = round(((value - degrees) * 60 - minutes) * 60 * 100)
    return [(degrees, 1), (minutes, 1), (seconds, 100)]


def exif_entries(date, serial=None, subsec=None, zone=None, extra=()):
    entries = [(0x9000, UNDEFINED, b"0231"), (0x9003, ASCII, date)]
    if subsec is not None:
        entries.append((0x9291, ASCII, subsec))
    if zone is not None:
        entries.append((0x9011, ASCII, zone))
    if serial is not None:
        entries.append((0xA431, ASCII, serial))
    return entries + list(extra)


def gps_entries(lat, lon, stamp=(1, 30, 5)):
    return [(0x0000, BYTE, [2, 3, 0, 0]), (0x0001, ASCII, "N" if lat >= 0 else "S"), (0x0002, RATIONAL, dms(abs(lat))),
            (0x0003, ASCII, "E" if lon >= 0 else "W"), (0x0004, RATIONAL, dms(abs(lon))),
            (0x0007, RATIONAL, [(stamp[0], 1), (stamp[1], 1), (stamp[2], 1)]), (0x0009, ASCII, "A"),
            (0x0012, ASCII, "WGS-84")]


def ifd0_entries(make, model, extra=(), resolution=True):
    entries = [(0x010F, ASCII, make), (0x0110, ASCII, model), (0x0112, SHORT, [1])]
    if resolution:
        entries += [(0x011A, RATIONAL, [(72, 1)]), (0x011B, RATIONAL, [(72, 1)]), (0x0128, SHORT, [2])]
    return entries + list(extra)


SENSOR = bytes(range(256)) * 4  # the "raw data": 1 KiB of made-up bytes


def tiff_raw(order, make, model, exif, gps=None, magic=42, header_extra=b"", ifd0_extra=(), preview=None,
             thumbnail=None, sub_ifds=(), blobs=(), header_patch=None, resolution=True):
    """A raw file laid out as a TIFF: IFD0 (with the given extras), IFD1
    with a thumbnail when given, SubIFDs, Exif and GPS directories, then the
    blobs (named, for the Ref and Len of the entries) and the sensor data. `preview` is (how, bytes): "ifd0jpeg" (JPEGInterchangeFormat in
    IFD0) or "ifd0strip" (a JPEG strip, compression 6)."""
    t = Tiff(order, magic, header_extra)
    extra = list(ifd0_extra) + [(0x8769, LONG, [Ref("exif")])]
    if gps:
        extra.append((0x8825, LONG, [Ref("gps")]))
    if preview and preview[0] == "ifd0jpeg":
        extra += [(0x0201, LONG, [Ref("preview")]), (0x0202, LONG, [Len("preview")])]
    if preview and preview[0] == "ifd0strip":
        extra += [(0x0103, SHORT, [6]), (0x0111, LONG, [Ref("preview")]), (0x0117, LONG, [Len("preview")])]
    if sub_ifds:
        extra.append((0x014A, LONG, [Ref(name) for name, _ in sub_ifds]))
    t.ifd("ifd0", ifd0_entries(make, model, extra, resolution), next_ifd="ifd1" if thumbnail else None)
    if thumbnail:
        t.ifd("ifd1", [(0x0103, SHORT, [6]), (0x0201, LONG, [Ref("thumbnail")]), (0x0202, LONG, [Len("thumbnail")])])
    for name, entries in sub_ifds:
        t.ifd(name, entries)
    t.ifd("exif", exif)
    if gps:
        t.ifd("gps", gps)
    for name, data in [("preview", preview[1] if preview else None), ("thumbnail", thumbnail)] + list(blobs):
        if data:
            t.blob(name, data)
    t.blob("sensor", SENSOR)
    return t.build(extra_patches=header_patch(t) if header_patch else ())


def box(kind, payload):
    return struct.pack(">I", 8 + len(payload)) + kind + payload


def full_box(kind, version, payload, flags=0):
    return box(kind, struct.pack(">I", (version << 24) | flags) + payload)


def uuid_box(uuid_hex, payload):
    return box(b"uuid", bytes.fromhex(uuid_hex) + payload)


def cmt(entries):
    """A CMT box's TIFF block: IFD0 holds the entries (Intel order, as Canon writes)."""
    t = Tiff("II")
    t.ifd("ifd0", entries)
    return t.build()


def make_cr3(thumb, preview):
    cmt1 = cmt(ifd0_entries("Canon", "Canon EOS R5"))
    cmt2 = cmt(exif_entries("2021:07:04 15:16:17", serial="082021001234", subsec="42", zone="+02:00"))
    cmt3 = cmt([(0x0006, ASCII, "Canon EOS R5 fixture")])  # a stand-in maker note: its ImageType
    cmt4 = cmt(gps_entries(48.858222, 2.2945, (13, 16, 17)))
    thmb = box(b"THMB", struct.pack(">IHHIHH", 0, 32, 24, len(thumb), 1, 0) + thumb)
    canon = uuid_box("85c0b687820f11e08111f4ce462b6a48",
                     box(b"CNCV", b"CanonCR3_001/00.10.00/00.00.00") + box(b"CMT1", cmt1) + box(b"CMT2", cmt2) +
                     box(b"CMT3", cmt3) + box(b"CMT4", cmt4) + thmb)
    mvhd = full_box(b"mvhd", 0, struct.pack(">IIII", 0, 0, 1000, 0) + b"\0" * 80)
    ftyp = box(b"ftyp", b"crx " + struct.pack(">I", 1) + b"crx isom")
    prvw = box(b"PRVW", struct.pack(">IHHHHI", 0, 1, 32, 24, 1, len(preview)) + preview)
    preview_box = uuid_box("eaf42b5e1c984b88b9fbb7dc406e4d16", struct.pack(">II", 0, 1) + prvw)
    return ftyp + box(b"moov", canon + mvhd) + preview_box + box(b"mdat", SENSOR)


def exif_jpeg(picture, tags):
    """A copy of the JPEG with an Exif segment exiftool writes."""
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "e.jpg")
        open(path, "wb").write(picture)
        subprocess.run(["exiftool", "-q", "-q", "-overwrite_original"] + tags + [path], check=True)
        return open(path, "rb").read()


def make_raf(embedded):
    """RAF: signature, version, camera id, camera name, directory version,
    20 bytes, then the JPEG's offset and length and the raw header's and raw
    data's (big-endian); the JPEG at 160, a raw header of no entries."""
    jpeg_at = 160
    raw_header_at = jpeg_at + len(embedded) + (-len(embedded) % 4)
    raw_header = struct.pack(">I", 0)
    raw_at = raw_header_at + len(raw_header)
    header = b"FUJIFILMCCD-RAW " + b"0201" + b"FF129502" + b"X-T3".ljust(32, b"\0") + b"0100" + b"\0" * 20
    header += struct.pack(">IIIIII", jpeg_at, len(embedded), raw_header_at, len(raw_header), raw_at, len(SENSOR))
    header = header.ljust(jpeg_at, b"\0")
    return header + embedded + b"\0" * (raw_header_at - jpeg_at - len(embedded)) + raw_header + SENSOR


def exif_item_tiff(order, make, model, exif, gps=None):
    t = Tiff(order)
    extra = [(0x8769, LONG, [Ref("exif")])] + ([(0x8825, LONG, [Ref("gps")])] if gps else [])
    t.ifd("ifd0", ifd0_entries(make, model, extra))
    t.ifd("exif", exif)
    if gps:
        t.ifd("gps", gps)
    return t.build()


def heif_meta(coded_type, exif_extents, iloc_version, base_size, other_extent, iinf_version, idat=None):
    """hdlr, pitm (item 1, the picture), iloc, iinf (item 1 of
    `coded_type`, item 2 "Exif"), iref (item 2 describes item 1) and, with
    `idat`, the item data box holding the Exif item (construction method 1)."""
    hdlr = full_box(b"hdlr", 0, struct.pack(">I", 0) + b"pict" + b"\0" * 12 + b"\0")
    pitm = full_box(b"pitm", 0, struct.pack(">H", 1))
    sizes = bytes([(4 << 4) | 4, (base_size << 4) | 0])
    items = [(1, [other_extent]), (2, exif_extents)]
    body = sizes + struct.pack(">H", len(items))
    for item, extents in items:
        body += struct.pack(">H", item)
        if iloc_version >= 1:
            body += struct.pack(">H", 1 if idat and item == 2 else 0)  # construction method: in idat, in the file
        body += struct.pack(">H", 0)  # this file
        body += struct.pack(">I", extents[0][0]) if base_size == 4 else b""
        body += struct.pack(">H", len(extents))
        for base, offset, length in extents:
            body += struct.pack(">II", offset, length)
    iloc = full_box(b"iloc", iloc_version, body)
    infe = [full_box(b"infe", 2, struct.pack(">HH", 1, 0) + coded_type + b"\0"),
            full_box(b"infe", 2, struct.pack(">HH", 2, 0) + b"Exif" + b"\0")]
    count = struct.pack(">H", 2) if iinf_version == 0 else struct.pack(">I", 2)
    iinf = full_box(b"iinf", iinf_version, count + b"".join(infe))
    iref = full_box(b"iref", 0, box(b"cdsc", struct.pack(">HHH", 2, 1, 1)))
    return full_box(b"meta", 0, hdlr + pitm + iloc + iinf + iref + (box(b"idat", idat) if idat else b""))


def make_heif(brands, coded_type, exif_tiff, split, iloc_version, base_size, iinf_version, in_idat=False):
    """ftyp, meta, mdat holding the coded picture's bytes and the Exif item
    (its 4-byte header offset 6, "Exif\\0\\0", the TIFF block), the Exif
    item in one extent or split in two. The meta box's size does not depend
    on the offsets, so it is laid out twice: first to learn where mdat is."""
    ftyp = box(b"ftyp", brands[0] + struct.pack(">I", 0) + b"".join(brands))
    coded = b"\0\0\0\x01" + bytes(60)  # a stand-in for the coded picture
    item = struct.pack(">I", 6) + b"Exif\0\0" + exif_tiff

    def layout(mdat_payload_at):
        coded_at = mdat_payload_at
        exif_at = coded_at + len(coded)
        base = mdat_payload_at if base_size else 0
        if split:
            half = len(item) // 2
            extents = [(base, exif_at - base, half), (base, exif_at + half - base, len(item) - half)]
        else:
            extents = [(base, exif_at - base, len(item))]
        other = (base, coded_at - base, len(coded))
        if in_idat:
            extents = [(0, 0, len(item))]
        return heif_meta(coded_type, extents, iloc_version, base_size, other, iinf_version, item if in_idat else None)

    meta = layout(0)
    meta = layout(len(ftyp) + len(meta) + 8)
    return ftyp + meta + box(b"mdat", coded + (b"" if in_idat else item))


def main():
    os.makedirs(OUT, exist_ok=True)
    preview, thumb = jpeg("red-blue"), jpeg("yellow-green", "16x12")
    files = {}
    files["canon_ii.cr2"] = tiff_raw(
        "II", "Canon", "Canon EOS 5D Mark IV",
        exif_entries("2019:05:01 09:30:00", serial="012345678901", subsec="25", zone="+09:00"),
        gps_entries(35.681236, 139.767125), header_extra=b"CR\x02\x00\0\0\0\0", preview=("ifd0strip", preview),
        thumbnail=thumb, header_patch=lambda t: [(12, Ref("sensor"))])
    files["nikon_mm.nef"] = tiff_raw(
        "MM", "NIKON CORPORATION", "NIKON D850", exif_entries("2018:10:20 06:45:12", serial="6012345", subsec="07"),
        sub_ifds=[("sub0", [(0x00FE, LONG, [1]), (0x0103, SHORT, [6]), (0x0201, LONG, [Ref("jpgfromraw")]),
                            (0x0202, LONG, [Len("jpgfromraw")])]),
                  ("sub1", [(0x00FE, LONG, [0]), (0x0103, SHORT, [34713]), (0x0106, SHORT, [32803]),
                            (0x0111, LONG, [Ref("sensor")]), (0x0117, LONG, [Len("sensor")])])],
        blobs=[("jpgfromraw", preview)])
    files["sony_ii.arw"] = tiff_raw(
        "II", "SONY", "ILCE-7M3", exif_entries("2020:02:29 23:59:59", serial="3456789", zone="-05:00"),
        gps_entries(40.748440, -73.985664, (4, 59, 59)), preview=("ifd0jpeg", preview))
    dng_version = [(0xC612, BYTE, [1, 4, 0, 0]), (0xC614, ASCII, "Vantora Fixture DNG")]
    files["adobe_ii.dng"] = tiff_raw(
        "II", "Vantora", "Fixture DNG II", exif_entries("2017:12:31 23:00:00", subsec="5"),
        gps_entries(-33.856784, 151.215297, (12, 0, 0)), ifd0_extra=dng_version + [(0xC62F, ASCII, "DNG-0042")],
        sub_ifds=[("preview_ifd", [(0x00FE, LONG, [1]), (0x0103, SHORT, [7]), (0x0106, SHORT, [6]),
                                   (0x0111, LONG, [Ref("dngpreview")]), (0x0117, LONG, [Len("dngpreview")])]),
                  ("raw_ifd", [(0x00FE, LONG, [0]), (0x0103, SHORT, [7]), (0x0106, SHORT, [32803]),
                               (0x0111, LONG, [Ref("sensor")]), (0x0117, LONG, [Len("sensor")])])],
        blobs=[("dngpreview", preview)])
    files["adobe_mm.dng"] = tiff_raw(
        "MM", "Vantora", "Fixture DNG MM", exif_entries("2016:01:02 03:04:05", serial="MM-77", zone="+05:30"),
        ifd0_extra=dng_version)
    files["olympus_iiro.orf"] = tiff_raw(
        "II", "OLYMPUS IMAGING CORP.", "E-M1", exif_entries("2015:03:14 15:09:26", serial="BHP212345", subsec="535"),
        gps_entries(43.062096, 141.354376), magic=0x4F52, thumbnail=thumb)
    files["olympus_mmor.orf"] = tiff_raw(
        "MM", "OLYMPUS CORPORATION", "E-M5MarkII", exif_entries("2014:08:09 10:11:12", serial="BHQ998877", zone="+01:00"),
        magic=0x4F52)
    files["panasonic_iiu.rw2"] = tiff_raw(
        "II", "Panasonic", "DC-GH5", exif_entries("2013:06:07 08:09:10", serial="WE1234567", subsec="88", zone="+08:00"),
        gps_entries(22.396428, 114.109497, (0, 9, 10)), magic=0x0055, resolution=False,
        header_extra=bytes.fromhex("88e774d8f8251d4d947a6e77822b5d6a"),
        ifd0_extra=[(0x0001, UNDEFINED, b"0450"), (0x002E, UNDEFINED, preview)])
    files["pentax_mm.pef"] = tiff_raw(
        "MM", "RICOH IMAGING COMPANY, LTD.", "PENTAX K-1", exif_entries("2012:11:30 17:45:00", serial="4470001"),
        gps_entries(-22.951916, -43.210487, (20, 45, 0)), preview=("ifd0jpeg", preview))
    files["canon.cr3"] = make_cr3(thumb, preview)
    embedded = exif_jpeg(jpeg("green-blue", "40x30"), [
        "-ExifByteOrder=MM", "-Make=FUJIFILM", "-Model=X-T3", "-ExifVersion=0231",
        "-DateTimeOriginal=2022:09:10 11:12:13", "-SubSecTimeOriginal=30", "-OffsetTimeOriginal=+09:00",
        "-ExifIFD:SerialNumber=FF1234567", "-GPSVersionID=2.3.0.0", "-GPSLatitudeRef=N", "-GPSLatitude=35.360556",
        "-GPSLongitudeRef=E", "-GPSLongitude=138.727778", "-GPSTimeStamp=02:12:13", "-GPSMapDatum=WGS-84"])
    files["fujifilm.raf"] = make_raf(embedded)
    files["apple.heic"] = make_heif(
        [b"heic", b"mif1", b"heic"], b"hvc1",
        exif_item_tiff("MM", "Apple", "iPhone 13", exif_entries("2023:04:05 06:07:08", subsec="123", zone="+09:00"),
                       gps_entries(34.985849, 135.758766, (21, 7, 8))),
        split=False, iloc_version=1, base_size=0, iinf_version=0)
    files["camera_idat.heic"] = make_heif(
        [b"mif1", b"mif1", b"heic"], b"hvc1",
        exif_item_tiff("II", "Vantora", "Fixture HEIF", exif_entries("2011:02:03 04:05:06", serial="HEIF-9")),
        split=False, iloc_version=1, base_size=0, iinf_version=0, in_idat=True)
    files["phone.avif"] = make_heif(
        [b"avif", b"mif1", b"avif", b"miaf"], b"av01",
        exif_item_tiff("II", "Google", "Pixel 8", exif_entries("2024:01:02 03:04:05", serial="PX8-0001", zone="-08:00"),
                       gps_entries(37.422, -122.084, (11, 4, 5))),
        split=True, iloc_version=0, base_size=4, iinf_version=1)
    for name, data in files.items():
        open(os.path.join(OUT, name), "wb").write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    sys.exit(main())
