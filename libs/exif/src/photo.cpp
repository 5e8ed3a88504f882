#include "photo.h"

#include "trailer.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace exif {
namespace {

// Below this much image data the first write reads it all; above, where
// the file ends with its end marker, it is left unread and copied from the
// old file.
constexpr uint64_t kLeaveImageDataUnreadFrom = 1024 * 1024;

}  // namespace

ExifStatus statusOf(io::Result result)
{
    switch (result) {
    case io::Result::ok: return EXIF_OK;
    case io::Result::openFailed: return EXIF_ERR_OPEN;
    case io::Result::readOnly: return EXIF_ERR_READ_ONLY;
    case io::Result::folderReadOnly: return EXIF_ERR_FOLDER_READ_ONLY;
    case io::Result::diskFull: return EXIF_ERR_DISK_FULL;
    case io::Result::inUse: return EXIF_ERR_IN_USE;
    case io::Result::changed: return EXIF_ERR_CHANGED;
    case io::Result::writeFailed: break;
    }
    return EXIF_ERR_WRITE;
}

ExifStatus Photo::open(const io::NativePath& path)
{
    path_ = path;
    // Read on while the segments before the image data go on; each chunk
    // is walked once, the scanner going on where it stopped.
    JpegScanner scanner;
    const auto more = [&scanner](const std::vector<uint8_t>& bytes, uint64_t fileSize) {
        return scanner.resume(bytes, bytes.size() == fileSize) == ScanResult::needMore;
    };
    if (const io::Result r = io::readFile(path, file_, more); r != io::Result::ok) return statusOf(r);
    return takeJpeg(scanner);
}

ExifStatus Photo::takeJpeg(JpegScanner& scanner)
{
    // The answer to the last chunk again (an empty file is walked only here).
    const ScanResult scanned = scanner.resume(file_.bytes, file_.whole());
    layout_ = scanner.layout();
    if (scanned != ScanResult::ok) return EXIF_ERR_FORMAT;
    if (!layout_.hasExif) return EXIF_OK;  // gets find nothing, sets are refused
    originalTiff_.assign(file_.bytes.begin() + static_cast<std::ptrdiff_t>(layout_.tiffStart),
                         file_.bytes.begin() + static_cast<std::ptrdiff_t>(layout_.segmentEnd));
    if (!parseTiff(originalTiff_, originalModel_)) return EXIF_ERR_FORMAT;
    tiff_ = originalTiff_;
    model_ = originalModel_;
    return EXIF_OK;
}

ExifStatus Photo::openForReading(const io::NativePath& path, Refusal& refusal)
{
    refusal = kRead;
    path_ = path;
    readsOnly_ = true;
    // The first chunk tells the kind; a JPEG is read on as open() reads it,
    // any other kind by its reader, from the file where it points.
    JpegScanner scanner;
    bool told = false;
    const auto more = [&](const std::vector<uint8_t>& bytes, uint64_t fileSize) {
        if (!told) kind_ = photoKindOf(bytes);
        told = true;
        return kind_ == PhotoKind::jpeg && scanner.resume(bytes, bytes.size() == fileSize) == ScanResult::needMore;
    };
    if (const io::Result r = io::readFile(path, file_, more); r != io::Result::ok) return statusOf(r);
    if (!told) kind_ = photoKindOf(file_.bytes);  // an empty file
    if (kind_ == PhotoKind::jpeg) {
        const ExifStatus s = takeJpeg(scanner);
        if (s == EXIF_ERR_FORMAT) refusal = "the JPEG or its Exif block is damaged";
        return s;
    }
    if (kind_ == PhotoKind::unknown) {
        refusal = "not a kind of photo this library reads";
        return EXIF_ERR_FORMAT;
    }
    const io::Identity identity = file_.identity;
    FileSource source(std::move(file_.bytes), identity.size,
                      [this, identity](uint64_t offset, std::size_t count, std::vector<uint8_t>& out) {
                          return io::readAt(path_, identity, offset, count, out) == io::Result::ok;
                      });
    file_.bytes.clear();
    refusal = readContainer(kind_, source, contents_);
    if (source.failed()) {
        refusal = "the file could not be read, or changed while it was read";
        return EXIF_ERR_OPEN;
    }
    return refusal == kRead ? EXIF_OK : EXIF_ERR_FORMAT;
}

Photo::FoundTag Photo::find(IfdKind kind, uint16_t t) const
{
    if (kind_ == PhotoKind::jpeg) {
        const Entry* e = layout_.hasExif ? model_.find(kind, t) : nullptr;
        return e == nullptr ? FoundTag{} : FoundTag{e, &tiff_, model_.order};
    }
    const DirectoryPlace& place = contents_.places[static_cast<int>(kind)];
    if (place.block < 0) return {};
    const TiffBlock& block = contents_.blocks[static_cast<std::size_t>(place.block)];
    const Entry* e = block.model.find(place.inBlock, t);
    return e == nullptr ? FoundTag{} : FoundTag{e, &block.bytes, block.model.order};
}

ExifStatus Photo::getPreview(uint64_t& offset, uint64_t& length) const
{
    offset = length = 0;
    if (kind_ == PhotoKind::jpeg) {
        length = file_.identity.size;
        return EXIF_OK;
    }
    if (contents_.preview.length == 0) return EXIF_ERR_NOT_FOUND;
    offset = contents_.preview.offset;
    length = contents_.preview.length;
    return EXIF_OK;
}

ExifStatus Photo::getBytes(IfdKind kind, uint16_t t, std::initializer_list<uint16_t> types, uint32_t count,
                           uint8_t* out) const
{
    const std::size_t size = count * std::size_t(typeSize(*types.begin()));
    std::memset(out, 0, size);
    const FoundTag found = find(kind, t);
    const Entry* e = found.entry;
    if (e == nullptr) return EXIF_ERR_NOT_FOUND;
    if (std::find(types.begin(), types.end(), e->type) == types.end() || e->count != count ||
        e->valueSize != size)
        return EXIF_ERR_FORMAT;
    std::memcpy(out, found.value(), size);  // checked by the parser
    return EXIF_OK;
}

ExifStatus Photo::getText(IfdKind kind, uint16_t t, char* out, std::size_t outSize) const
{
    std::memset(out, 0, outSize);
    const FoundTag found = find(kind, t);
    const Entry* e = found.entry;
    if (e == nullptr) return EXIF_ERR_NOT_FOUND;
    if (e->type != tAscii && e->type != tUndefined && e->type != tByte) return EXIF_ERR_FORMAT;
    const uint8_t* value = found.value();
    for (std::size_t i = 0; i < e->valueSize && i + 1 < outSize && value[i] != 0; ++i)
        out[i] = static_cast<char>(value[i]);
    return EXIF_OK;
}

ExifStatus Photo::getRationals(IfdKind kind, uint16_t t, uint32_t out[6]) const
{
    std::fill(out, out + 6, 0u);
    const FoundTag found = find(kind, t);
    const Entry* e = found.entry;
    if (e == nullptr) return EXIF_ERR_NOT_FOUND;
    if (e->type != tRational || e->count != 3) return EXIF_ERR_FORMAT;
    const ByteReader reader(found.block->data(), found.block->size(), found.order);
    for (int i = 0; i < 6; ++i) reader.u32(e->field + 4 * uint64_t(i), out[i]);
    return EXIF_OK;
}

ExifStatus Photo::getExifVersion(char out[4]) const
{
    std::memset(out, 0, 4);
    const FoundTag found = find(IfdKind::exif, tag::exifVersion);
    const Entry* e = found.entry;
    if (e == nullptr) return EXIF_ERR_NOT_FOUND;
    const bool shape = ((e->type == tUndefined || e->type == tByte || e->type == tAscii) && e->count == 4) ||
                       (e->type == tAscii && e->count == 5);
    if (!shape) return EXIF_ERR_FORMAT;
    std::memcpy(out, found.value(), 4);  // checked by the parser
    return EXIF_OK;
}

ExifStatus Photo::getDateTimeOriginal(char out[20]) const
{
    std::memset(out, 0, 20);
    const FoundTag found = find(IfdKind::exif, tag::dateTimeOriginal);
    const Entry* e = found.entry;
    if (e == nullptr || e->type != tAscii || e->count != 20) return EXIF_ERR_NOT_FOUND;
    const uint8_t* value = found.value();
    const bool blank = std::all_of(value, value + 19, [](uint8_t c) { return c == ' ' || c == 0; });
    if (blank || std::memcmp(value, "0000:00:00 00:00:00", 19) == 0) return EXIF_ERR_NOT_FOUND;
    std::memcpy(out, value, 19);
    out[19] = 0;
    return EXIF_OK;
}

ExifStatus Photo::getOffsetTimeOriginal(char out[8]) const
{
    std::memset(out, 0, 8);
    char text[8] = {};
    if (const ExifStatus s = getText(IfdKind::exif, tag::offsetTimeOriginal, text, sizeof text); s != EXIF_OK)
        return s;
    const bool blank = std::all_of(text, text + 6, [](char c) { return c == ' ' || c == ':' || c == 0; });
    if (blank) return EXIF_ERR_NOT_FOUND;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const bool shape = (text[0] == '+' || text[0] == '-') && digit(text[1]) && digit(text[2]) && text[3] == ':' &&
                       digit(text[4]) && digit(text[5]) && text[6] == 0;
    if (!shape) return EXIF_ERR_FORMAT;
    std::memcpy(out, text, 7);
    return EXIF_OK;
}

ExifStatus Photo::getSubSecTimeOriginal(char* out, std::size_t outSize) const
{
    std::memset(out, 0, outSize);
    char text[32] = {};
    if (const ExifStatus s = getText(IfdKind::exif, tag::subSecTimeOriginal, text, sizeof text); s != EXIF_OK)
        return s;
    std::size_t n = std::strlen(text);
    while (n > 0 && text[n - 1] == ' ') --n;
    if (n == 0) return EXIF_ERR_NOT_FOUND;
    if (!std::all_of(text, text + n, [](char c) { return c >= '0' && c <= '9'; })) return EXIF_ERR_FORMAT;
    std::memcpy(out, text, std::min(n, outSize - 1));
    return EXIF_OK;
}

ExifStatus Photo::getBodySerialNumber(char* out, std::size_t outSize) const
{
    const ExifStatus s = getText(IfdKind::exif, tag::bodySerialNumber, out, outSize);
    if (s != EXIF_ERR_NOT_FOUND || kind_ != PhotoKind::tiffRaw) return s;
    return getText(IfdKind::ifd0, tag::cameraSerialNumber, out, outSize);
}

ExifStatus Photo::setBytes(IfdKind kind, uint16_t t, uint16_t type, const uint8_t* bytes, uint32_t count)
{
    TagValue v{type, count, std::vector<uint8_t>(bytes, bytes + count * std::size_t(typeSize(type)))};
    return set(kind, t, std::move(v));
}

ExifStatus Photo::setText(IfdKind kind, uint16_t t, const std::string& text)
{
    TagValue v{tAscii, static_cast<uint32_t>(text.size() + 1), std::vector<uint8_t>(text.begin(), text.end())};
    v.bytes.push_back(0);
    return set(kind, t, std::move(v));
}

ExifStatus Photo::setRationals(IfdKind kind, uint16_t t, const uint32_t in[6])
{
    TagValue v{tRational, 3, {}};
    ByteWriter writer(v.bytes, model_.order);
    for (int i = 0; i < 6; ++i) writer.u32(4 * std::size_t(i), in[i]);
    return set(kind, t, std::move(v));
}

ExifStatus Photo::setGpsVersion(const uint8_t in[4])
{
    using Version = std::array<uint8_t, 4>;
    Version wanted{in[0], in[1], in[2], in[3]};
    Version existing{};
    if (getBytes(IfdKind::gps, tag::gpsVersion, {tByte}, 4, existing.data()) == EXIF_OK)
        wanted = std::max(wanted, existing);
    for (uint16_t t : {tag::gpsProcessingMethod, tag::gpsAreaInformation, tag::gpsDateStamp, tag::gpsDifferential})
        if (model_.find(IfdKind::gps, t) != nullptr) wanted = std::max(wanted, Version{2, 2, 0, 0});
    if (model_.find(IfdKind::gps, tag::gpsHPositioningError) != nullptr) wanted = std::max(wanted, Version{2, 3, 0, 0});
    return setBytes(IfdKind::gps, tag::gpsVersion, tByte, wanted.data(), 4);
}

ExifStatus Photo::updateGpsDateStamp(const std::string& text)
{
    if (readsOnly_) return EXIF_ERR_READ_ONLY_KIND;
    if (!layout_.hasExif || model_.find(IfdKind::gps, tag::gpsDateStamp) == nullptr) return EXIF_ERR_NOT_FOUND;
    return setText(IfdKind::gps, tag::gpsDateStamp, text);
}

ExifStatus Photo::readRest()
{
    if (file_.whole() || !end_.empty()) return EXIF_OK;
    if (file_.identity.size - file_.bytes.size() < kLeaveImageDataUnreadFrom) return readWhole();
    std::vector<uint8_t> end;
    if (const io::Result r = io::readEnd(path_, file_.identity, io::kReadChunk, end); r != io::Result::ok)
        return statusOf(r);
    // Ending with FF D9, which lies past everything read (the scan header
    // included): the image data has its end marker, as the whole scan would
    // find. Anything else is looked at whole.
    if (end.size() < 2 || end[end.size() - 2] != 0xFF || end.back() != 0xD9) return readWhole();
    end_ = std::move(end);
    layout_.imageComplete = true;
    return EXIF_OK;
}

ExifStatus Photo::readWhole()
{
    if (file_.whole()) return EXIF_OK;
    io::Snapshot whole;
    if (const io::Result r = io::readFile(path_, whole); r != io::Result::ok) return statusOf(r);
    if (!(whole.identity == file_.identity) || whole.bytes.size() < file_.bytes.size() ||
        !std::equal(file_.bytes.begin(), file_.bytes.end(), whole.bytes.begin()))
        return EXIF_ERR_CHANGED;  // changed since it was opened: write nothing
    JpegLayout layout;
    if (scanJpeg(whole.bytes, true, layout) != ScanResult::ok || layout.tiffStart != layout_.tiffStart ||
        layout.segmentEnd != layout_.segmentEnd || layout.hasXmp != layout_.hasXmp ||
        layout.packetStart != layout_.packetStart || layout.xmpEnd != layout_.xmpEnd)
        return EXIF_ERR_FORMAT;
    file_ = std::move(whole);
    layout_ = layout;
    end_.clear();
    return EXIF_OK;
}

ExifStatus Photo::checkWritable()
{
    if (file_.readOnly) return EXIF_ERR_READ_ONLY;
    if (file_.folderReadOnly) return EXIF_ERR_FOLDER_READ_ONLY;
    if (refused_ != EXIF_OK) return refused_;
    if (const ExifStatus s = readRest(); s != EXIF_OK) return s;
    if (!layout_.imageComplete) return EXIF_ERR_NO_IMAGE_END;
    return EXIF_OK;
}

ExifStatus Photo::set(IfdKind kind, uint16_t t, TagValue value)
{
    if (readsOnly_) return EXIF_ERR_READ_ONLY_KIND;
    if (!layout_.hasExif) return EXIF_ERR_FORMAT;
    if (const ExifStatus s = checkWritable(); s != EXIF_OK) return s;
    WantedTags wanted = wanted_;
    wanted[{kind, t}] = std::move(value);
    std::vector<uint8_t> tiff;
    switch (buildTiff(originalTiff_, originalModel_, wanted, tiff)) {
    case BuildResult::ok: break;
    case BuildResult::tooLarge: refused_ = EXIF_ERR_TOO_LARGE; return refused_;
    case BuildResult::overlap: refused_ = EXIF_ERR_OVERLAP; return refused_;
    case BuildResult::damaged: refused_ = EXIF_ERR_FORMAT; return refused_;
    case BuildResult::unsupported: return EXIF_ERR_ARGUMENT;
    }
    TiffModel model;
    if (!parseTiff(tiff, model)) return EXIF_ERR_FORMAT;  // never expected: our own output must read back
    writeAsked_ = true;
    wanted_ = std::move(wanted);
    tiff_ = std::move(tiff);
    model_ = std::move(model);
    return EXIF_OK;
}

ExifStatus Photo::commit()
{
    io::StagedFile staged;
    if (const ExifStatus s = stage(staged); s != EXIF_OK || staged.empty()) return s;
    std::vector<io::StagedFile> one;
    one.push_back(std::move(staged));
    return statusOf(io::commitStaged(one).front());
}

ExifStatus Photo::stage(io::StagedFile& out)
{
    if (readsOnly_) return EXIF_OK;  // never written, nothing left behind removed
    if (refused_ != EXIF_OK) return refused_;
    if (!changed()) {
        // The photo holds the values already; what a killed write of it
        // left goes all the same.
        if (writeAsked_) io::removeLeftoverFor(path_);
        return EXIF_OK;
    }
    if (!end_.empty() && !endStaysAsItIs()) {
        if (const ExifStatus s = readWhole(); s != EXIF_OK) return s;  // for the trailer to be read whole
    }
    if (file_.whole()) return stageWhole(out);
    // Nothing moves: the new segments, and the rest copied from the old file.
    const std::size_t headEnd = oldHeadEnd();
    std::vector<uint8_t> head(file_.bytes.begin(), file_.bytes.begin() + static_cast<std::ptrdiff_t>(headEnd));
    bool moved = false;
    if (const ExifStatus s = putNewSegments(head, moved); s != EXIF_OK) return s;
    const uint64_t tailSize = file_.identity.size - headEnd;
    return statusOf(io::stageFile(path_, file_.identity, {head, headEnd, tailSize, {}}, out));
}

bool Photo::xmpChanged() const
{
    if (!xmp_) return false;
    const auto begin = file_.bytes.begin();
    return !std::equal(xmp_->begin(), xmp_->end(), begin + static_cast<std::ptrdiff_t>(layout_.packetStart),
                       begin + static_cast<std::ptrdiff_t>(layout_.xmpEnd));
}

int64_t Photo::exifShift() const
{
    return layout_.hasExif ? int64_t(tiff_.size()) - int64_t(originalTiff_.size()) : 0;
}

int64_t Photo::xmpShift() const
{
    return xmp_ ? int64_t(xmp_->size()) - int64_t(layout_.xmpEnd - layout_.packetStart) : 0;
}

std::size_t Photo::oldHeadEnd() const
{
    return std::max(layout_.hasExif ? layout_.segmentEnd : 0, xmpChanged() ? layout_.xmpEnd : 0);
}

bool Photo::endStaysAsItIs() const
{
    // Only a write that moves nothing can leave the image data unread: what
    // points into moved bytes (a trailer anywhere after the image's first
    // end marker, a maker note's preview) is found only in the whole file.
    return exifShift() == 0 && xmpShift() == 0;
}

namespace {

// bytes[start, end) becomes `with`; what followed moves along.
void replaceRange(std::vector<uint8_t>& bytes, std::size_t start, std::size_t end, const std::vector<uint8_t>& with)
{
    const std::size_t oldSize = end - start;
    const auto at = bytes.begin() + static_cast<std::ptrdiff_t>(start);
    if (with.size() > oldSize)
        bytes.insert(at + static_cast<std::ptrdiff_t>(oldSize), with.size() - oldSize, 0);
    else
        bytes.erase(at + static_cast<std::ptrdiff_t>(with.size()), at + static_cast<std::ptrdiff_t>(oldSize));
    std::copy(with.begin(), with.end(), bytes.begin() + static_cast<std::ptrdiff_t>(start));
}

ExifStatus statusOfFix(TrailerFix fix, bool& moved)
{
    if (fix == TrailerFix::refused) return EXIF_ERR_TRAILER;
    moved = moved || fix == TrailerFix::fixed;
    return EXIF_OK;
}

}  // namespace

ExifStatus Photo::putNewSegments(std::vector<uint8_t>& bytes, bool& moved) const
{
    moved = false;
    // The Exif segment first, its maker note's offsets moved with what
    // follows it; then the XMP segment where that left it, so that offsets
    // past both move by both shifts and the new Exif block keeps its fixes.
    if (layout_.hasExif && tiff_ != originalTiff_)
        if (const ExifStatus s = putExif(bytes, moved); s != EXIF_OK) return s;
    if (xmpChanged())
        if (const ExifStatus s = putXmp(bytes, moved); s != EXIF_OK) return s;
    return EXIF_OK;
}

ExifStatus Photo::putExif(std::vector<uint8_t>& bytes, bool& moved) const
{
    replaceRange(bytes, layout_.segmentStart, layout_.segmentEnd, exifSegment(tiff_));
    // The absolute offsets of trailers and maker-note previews into the
    // moved bytes must move with them, or the photo is not written.
    return statusOfFix(fixMovedOffsets(bytes, layout_.segmentEnd, exifShift()), moved);
}

ExifStatus Photo::putXmp(std::vector<uint8_t>& bytes, bool& moved) const
{
    const int64_t shift = xmpShift();
    // Multi-picture offsets count from their segment: one before the XMP
    // segment would stay while its images move.
    if (shift != 0 && layout_.hasMpf && layout_.mpfStart < layout_.xmpStart) return EXIF_ERR_TRAILER;
    // Where the Exif segment, already put, left this one.
    const bool afterExif = layout_.hasExif && layout_.xmpStart > layout_.segmentStart;
    const int64_t by = afterExif ? exifShift() : 0;
    const auto start = static_cast<std::size_t>(int64_t(layout_.xmpStart) + by);
    const auto end = static_cast<std::size_t>(int64_t(layout_.xmpEnd) + by);
    replaceRange(bytes, start, end, xmpSegment(*xmp_));
    // A moved XMP segment before the Exif block would move the block
    // itself: fixMovedOffsets refuses that, as exifEnd then lies past `end`.
    const uint64_t exifEnd = layout_.hasExif ? uint64_t(int64_t(layout_.segmentEnd) + exifShift()) : end;
    return statusOfFix(fixMovedOffsets(bytes, end, shift, exifEnd), moved);
}

ExifStatus Photo::stageWhole(io::StagedFile& out)
{
    // The photo's bytes become the new file's, in place - their last use -
    // so that a big file is not copied into a second buffer.
    std::vector<uint8_t>& bytes = file_.bytes;
    const std::size_t oldEnd = oldHeadEnd();
    const auto newEnd = static_cast<std::size_t>(int64_t(oldEnd) + exifShift() + xmpShift());
    bool moved = false;
    if (const ExifStatus s = putNewSegments(bytes, moved); s != EXIF_OK) return s;
    const std::span<const uint8_t> all(bytes);
    if (moved) return statusOf(io::stageFile(path_, file_.identity, {all, 0, 0, {}}, out));
    const std::span<const uint8_t> tail = all.subspan(newEnd);
    return statusOf(io::stageFile(path_, file_.identity, {all.first(newEnd), oldEnd, tail.size(), tail}, out));
}

}  // namespace exif
