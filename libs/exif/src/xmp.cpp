// Handing out a JPEG's XMP packet and taking a new one for the commit. The
// packet is text to the library: it checks that it is UTF-8, never parses
// the XML (the program's core edits it).
#include "photo.h"

#include <utility>

namespace exif {
namespace {

// The bytes 0x80-0xBF that continue a sequence.
bool continues(const std::vector<uint8_t>& text, std::size_t at, std::size_t count)
{
    if (count > text.size() - at) return false;
    for (std::size_t i = 0; i < count; ++i)
        if ((text[at + i] & 0xC0) != 0x80) return false;
    return true;
}

// Well-formed UTF-8: shortest forms only, no surrogates, nothing past
// U+10FFFF (RFC 3629).
bool isUtf8(const std::vector<uint8_t>& text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const uint8_t c = text[i];
        std::size_t extra = 0;
        if (c < 0x80) extra = 0;
        else if (c >= 0xC2 && c <= 0xDF) extra = 1;
        else if (c >= 0xE0 && c <= 0xEF) extra = 2;
        else if (c >= 0xF0 && c <= 0xF4) extra = 3;
        else return false;
        if (!continues(text, i + 1, extra)) return false;
        const uint8_t next = extra > 0 ? text[i + 1] : 0;
        if ((c == 0xE0 && next < 0xA0) || (c == 0xED && next > 0x9F) || (c == 0xF0 && next < 0x90) ||
            (c == 0xF4 && next > 0x8F))
            return false;
        i += 1 + extra;
    }
    return true;
}

}  // namespace

ExifStatus Photo::getXmpPacket(std::vector<uint8_t>& out) const
{
    out.clear();
    if (kind_ != PhotoKind::jpeg || !layout_.hasXmp) return EXIF_ERR_NOT_FOUND;
    if (xmp_) {
        out = *xmp_;
        return EXIF_OK;
    }
    out.assign(file_.bytes.begin() + static_cast<std::ptrdiff_t>(layout_.packetStart),
               file_.bytes.begin() + static_cast<std::ptrdiff_t>(layout_.xmpEnd));
    return EXIF_OK;
}

ExifStatus Photo::setXmpPacket(std::vector<uint8_t> packet)
{
    if (readsOnly_) return EXIF_ERR_READ_ONLY_KIND;
    if (!layout_.hasXmp) return EXIF_ERR_NOT_FOUND;
    if (packet.empty() || !isUtf8(packet)) return EXIF_ERR_ARGUMENT;
    if (const ExifStatus s = checkWritable(); s != EXIF_OK) return s;
    // As with an Exif change that does not fit: nothing of this close is
    // written, so Exif and XMP never disagree.
    if (packet.size() > kMaxXmpPacket) {
        refused_ = EXIF_ERR_TOO_LARGE;
        return refused_;
    }
    writeAsked_ = true;
    xmp_ = std::move(packet);
    return EXIF_OK;
}

}  // namespace exif
