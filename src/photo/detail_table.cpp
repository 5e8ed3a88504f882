#include "photo/detail_table.h"

#include <cstdio>

#include "photo/reason_wording.h"
#include "photo/xmp_sidecar.h"
#include "platform/code_page.h"
#include "tracklog/text_writer.h"

namespace vantora {

namespace {

constexpr char kMatchedGpsVersion[] = "2.0.0.0";  // what writing positions stores
constexpr char kSidecarGpsVersion[] = "2.2.0.0";  // what a sidecar's GPS properties stand for
constexpr char kMatchedMapDatum[] = "WGS-84";

bool isLeadByte932(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

unsigned char foldAscii(unsigned char byte)
{
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

struct PathParts {
    std::string name;
    std::string folder;
};

// Split where Explorer splits a Windows path; a backslash is never part of
// a longer UTF-8 character.
PathParts splitPhotoPath(const std::filesystem::path& path)
{
    const std::string text = platform::utf8FromPath(path);
    const std::size_t slash = text.rfind('\\');
    if (slash == std::string::npos)
        return {};
    return PathParts{text.substr(slash + 1), text.substr(0, slash)};
}

// The reason of the match, then the zone the photo names for its clock
// (OffsetTimeOriginal), which matching never applies on its own.
std::string reasonLine(const PhotoRecord& photo)
{
    std::string line = "マッチング: " + reasonJapanese(photo.reason);
    const std::string zone(fieldText(photo.exif.offsetTimeOriginal));
    if (!zone.empty())
        line += "　写真のタイムゾーン: " + zone;
    return line;
}

std::string upperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string kindText(const PhotoExifData& exif)
{
    switch (exif.kind) {
    case PhotoKind::heif: return "HEIF";
    case PhotoKind::avif: return "AVIF";
    default: break;
    }
    std::string extension = platform::utf8FromPath(exif.path.extension());
    if (!extension.empty())
        extension.erase(0, 1);
    return "RAW (" + upperAscii(extension) + ")";
}

// Where the photo's position goes: each sidecar it has, else the one a
// write creates.
std::string kindAndSidecarLine(const PhotoExifData& exif)
{
    if (!writesSidecar(exif.kind))
        return {};
    const SidecarPaths sidecars = sidecarPathsOf(exif.path);
    std::string line = "種類: " + kindText(exif) + "　サイドカー: ";
    if (sidecars.existing.empty())
        return line + platform::utf8FromPath(sidecars.stemName.filename()) + " (なし: 書き込みで作成)";
    for (std::size_t i = 0; i < sidecars.existing.size(); ++i)
        line += (i > 0 ? ", " : "") + platform::utf8FromPath(sidecars.existing[i].filename());
    return line + " (あり)";
}

}  // namespace

bool narrowTextsDiffer(std::string_view stored, std::string_view matched)
{
    if (stored.size() != matched.size())
        return true;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const auto a = static_cast<unsigned char>(stored[i]);
        const auto b = static_cast<unsigned char>(matched[i]);
        if (foldAscii(a) != foldAscii(b))
            return true;
        if (isLeadByte932(a) && i + 1 < stored.size()) {
            ++i;  // the trail byte is compared as it is
            if (stored[i] != matched[i])
                return true;
        }
    }
    return false;
}

std::string formatGpsVersion(const std::array<std::uint8_t, 4>& version)
{
    char text[16] = {};
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", version[0], version[1], version[2], version[3]);
    return text;
}

std::array<DetailRow, kDetailRowCount> detailRows(const PhotoRecord& photo)
{
    const PhotoExifData& exif = photo.exif;
    std::array<DetailRow, kDetailRowCount> rows{{
        {"GPSタグバージョン", {}, {}, false},
        {"緯度", {}, {}, false},
        {"経度", {}, {}, false},
        {"GPS時間(UTC)", {}, {}, false},
        {"GPS受信機の状態", {}, {}, false},
        {"測地系", {}, {}, false},
    }};
    if (exif.hasGpsTags) {
        rows[0].stored = formatGpsVersion(exif.gpsVersion);
        rows[1].stored = fieldText(exif.latitudeText);
        rows[2].stored = fieldText(exif.longitudeText);
        rows[3].stored = fieldText(exif.gpsTimeText);
        rows[4].stored = fieldText(exif.gpsStatus);
        rows[5].stored = fieldText(exif.gpsMapDatum);
    }
    if (photo.match) {
        const TrackPoint& point = photo.match->point;
        rows[0].matched = writesSidecar(exif.kind) ? kSidecarGpsVersion : kMatchedGpsVersion;
        rows[1].matched = fieldText(point.latitudeText);
        rows[2].matched = fieldText(point.longitudeText);
        rows[3].matched = fieldText(point.timeText);
        rows[4].matched = fieldText(point.status);
        rows[5].matched = kMatchedMapDatum;
    }
    const bool comparable = exif.hasGpsTags && photo.match;
    for (DetailRow& row : rows)
        row.differs = comparable && narrowTextsDiffer(row.stored, row.matched);
    return rows;
}

DetailLabels detailLabels(const PhotoRecord& photo)
{
    const PathParts parts = splitPhotoPath(photo.exif.path);
    const std::string logName = photo.match ? platform::utf8FromPath(photo.matchedLogPath.filename()) : std::string();
    const std::string shot = platform::cp932ToUtf8(fieldText(photo.exif.shootingTime.dateTimeText));
    return DetailLabels{"ファイル名: " + parts.name, "フォルダパス: " + parts.folder, "参照ログファイル名: " + logName,
                        "撮影日時: " + shot, reasonLine(photo), kindAndSidecarLine(photo.exif)};
}

}  // namespace vantora
