#include "isobmff.h"

#include <algorithm>
#include <cstring>

namespace exif::bmff {
namespace {

uint32_t fourCc(const char* c)
{
    return (uint32_t(uint8_t(c[0])) << 24) | (uint32_t(uint8_t(c[1])) << 16) | (uint32_t(uint8_t(c[2])) << 8) |
           uint8_t(c[3]);
}

// The box whose header starts at `at`, which must end by `to`.
Refusal readBox(FileSource& file, uint64_t at, uint64_t to, Box& box)
{
    std::vector<uint8_t> header;
    if (!file.read(at, std::min<uint64_t>(32, to - at), header)) return "a box header runs past the end of the file";
    const ByteReader reader(header.data(), header.size(), ByteOrder::big);
    uint32_t size = 0;
    reader.u32(0, size);
    reader.u32(4, box.type);
    box.start = at;
    uint64_t length = size, headerSize = 8;
    if (size == 1) {
        if (!reader.u64(8, length)) return "a box's 64-bit size is cut off";
        headerSize = 16;
    } else if (size == 0) {
        length = to - at;
    }
    if (box.type == fourCc("uuid")) {
        if (!reader.contains(headerSize, 16)) return "a uuid box's extended type is cut off";
        std::copy_n(header.begin() + static_cast<std::ptrdiff_t>(headerSize), 16, box.uuid.begin());
        headerSize += 16;
    }
    if (length < headerSize) return "a box is smaller than its own header";
    if (length > to - at) return "a box runs past the end of what holds it";
    box.payload = at + headerSize;
    box.end = at + length;
    return kRead;
}

bool fourZeroBytes(FileSource& file, uint64_t at, uint64_t to)
{
    std::vector<uint8_t> rest;
    return to - at == 4 && file.read(at, 4, rest) && std::all_of(rest.begin(), rest.end(), [](uint8_t b) { return b == 0; });
}

}  // namespace

bool Box::is(const char* fourCharacters) const
{
    return type == fourCc(fourCharacters);
}

Refusal readBoxes(FileSource& file, uint64_t from, uint64_t to, int depth, std::vector<Box>& out)
{
    out.clear();
    if (depth > kMaxDepth) return "boxes nested too deep";
    if (from > to || !file.contains(from, to - from)) return "a box runs past the end of the file";
    for (uint64_t at = from; at < to;) {
        if (to - at < 8) return fourZeroBytes(file, at, to) ? kRead : "a box header is cut off";
        if (out.size() >= kMaxBoxesInOne) return "too many boxes in one container";
        Box box;
        if (const Refusal r = readBox(file, at, to, box); r != kRead) return r;
        out.push_back(box);
        at = box.end;
    }
    return kRead;
}

Refusal readChildren(FileSource& file, const Box& parent, uint64_t skip, int depth, std::vector<Box>& out)
{
    out.clear();
    if (skip > parent.end - parent.payload) return "a box is too short for its fields";
    return readBoxes(file, parent.payload + skip, parent.end, depth, out);
}

const Box* findBox(const std::vector<Box>& boxes, const char* type, const uint8_t* uuid)
{
    for (const Box& b : boxes)
        if (b.is(type) && (uuid == nullptr || std::memcmp(b.uuid.data(), uuid, 16) == 0)) return &b;
    return nullptr;
}

Refusal readPayload(FileSource& file, const Box& box, std::vector<uint8_t>& out)
{
    if (box.end - box.payload > kMaxPayloadRead) return "a box too large to be read";
    if (!file.read(box.payload, box.end - box.payload, out)) return "a box runs past the end of the file";
    return kRead;
}

}  // namespace exif::bmff
