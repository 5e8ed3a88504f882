#pragma once
// The boxes of an ISO base media file (CR3, HEIF, AVIF): each a 32-bit size
// and a four-character type, then a 64-bit size when the size is 1 (size 0:
// the box runs to the end of what holds it), then for type "uuid" 16 bytes
// of extended type, then its payload. Every box is checked to lie inside
// what holds it, and the file's end; every number is big-endian.

#include "container.h"

#include <array>
#include <cstdint>
#include <vector>

namespace exif::bmff {

struct Box {
    uint32_t type = 0;  // the four characters, the first in the high byte
    uint64_t start = 0;
    uint64_t payload = 0;  // past the size, type, large size and extended type
    uint64_t end = 0;
    std::array<uint8_t, 16> uuid{};  // a "uuid" box's extended type
    bool is(const char* fourCharacters) const;
};

// How deep boxes are looked for (the readers go at most four deep), and how
// many one container may hold: more is taken for damage.
constexpr int kMaxDepth = 8;
constexpr std::size_t kMaxBoxesInOne = 4096;
// The largest box payload read whole (the meta box's item tables).
constexpr uint64_t kMaxPayloadRead = 4 * 1024 * 1024;

// The boxes that fill [from, to) in order. `depth` is 1 for the file's own
// boxes, one more for each box around them. A run of exactly four zero
// bytes at the end (QuickTime's terminator) is allowed; anything else that
// is not a whole box is damage.
Refusal readBoxes(FileSource& file, uint64_t from, uint64_t to, int depth, std::vector<Box>& out);
// The boxes in `parent`'s payload after its first `skip` bytes (a full box's
// version and flags, an entry count).
Refusal readChildren(FileSource& file, const Box& parent, uint64_t skip, int depth, std::vector<Box>& out);
// The first box of the type (and extended type), or null.
const Box* findBox(const std::vector<Box>& boxes, const char* type, const uint8_t* uuid = nullptr);
// The box's payload, when it is at most kMaxPayloadRead bytes.
Refusal readPayload(FileSource& file, const Box& box, std::vector<uint8_t>& out);

}  // namespace exif::bmff
