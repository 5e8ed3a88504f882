#pragma once
// What the photo detail window shows of one photo: its stored GPS tags
// beside the matched values, which of them differ, and the four label lines.
// The window only converts these texts for display.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "photo/photo_record.h"

namespace vantora {

constexpr int kDetailRowCount = 6;

// One row of the tag table. The name is UTF-8; the two texts are narrow
// (code page 932) as the records keep them. `stored` is empty when the
// photo carries no GPS tags, `matched` when it has no match.
struct DetailRow {
    const char* name;
    std::string stored;
    std::string matched;
    bool differs;  // red in the table
};

// The table of a photo. A row differs only when the photo carries tags and
// is matched, and its two texts differ ignoring the case of single-byte
// letters (see narrowTextsDiffer).
std::array<DetailRow, kDetailRowCount> detailRows(const PhotoRecord& photo);

// Whether two code page 932 texts differ when the case of single-byte
// letters is ignored. The second byte of a double-byte character is never
// folded: it may look like an ASCII letter without being one.
bool narrowTextsDiffer(std::string_view stored, std::string_view matched);

// The four bytes of a GPS tag version as "%d.%d.%d.%d", in stored order.
std::string formatGpsVersion(const std::array<std::uint8_t, 4>& version);

// The four label lines of the window, in UTF-8. The photo path is split at
// its last backslash; without one, name and folder are both empty.
struct DetailLabels {
    std::string fileName;
    std::string folder;
    std::string logFile;
    std::string shootingTime;
    std::string reason;  // why the photo got its match, one more line below the table
    // Of a raw or HEIF photo only (empty for a JPEG): its kind and the
    // sidecar its position goes into, "種類: RAW (CR2)　サイドカー: IMG_1.xmp (あり)".
    std::string kindAndSidecar;
};
DetailLabels detailLabels(const PhotoRecord& photo);

}  // namespace vantora
