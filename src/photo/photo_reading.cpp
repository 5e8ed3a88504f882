#include "photo/photo_reading.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "exif/Exif.h"
#include "photo/exif_file.h"
#include "photo/photo_list.h"
#include "photo/sidecar_values.h"
#include "photo/xmp_sidecar.h"
#include "tracklog/text_writer.h"

namespace vantora {

namespace {

// "%d/%d/%d %d:%d:%d": each number after optional blanks and a sign, each
// separator exactly as written; a field the text does not supply stays 0.
void parseShootingTime(std::string_view text, ExifDateTime& t)
{
    int* fields[] = {&t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second};
    const char separators[] = {'/', '/', ' ', ':', ':'};
    std::size_t at = 0;
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            const char sep = separators[i - 1];
            if (sep == ' ') {
                // In a scanf format a blank matches any run of blanks, even none.
                while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
                    ++at;
            } else if (at < text.size() && text[at] == sep) {
                ++at;
            } else {
                return;
            }
        }
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
            ++at;
        std::size_t start = at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        long long value = 0;
        std::size_t digits = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits)
            value = std::min(value * 10 + (text[at] - '0'), 2147483647LL);
        if (digits == 0)
            return;
        *fields[i] = static_cast<int>(text[start] == '-' ? -value : value);
    }
}

void readShootingTime(ExifFile& file, ExifDateTime& t)
{
    char buffer[20] = {};
    if (ExifGetDateTimeOriginal(file.handle(), buffer) != 0)
        std::memset(buffer, 0, sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    // "2008:05:12 10:20:30" shows as "2008/05/12 10:20:30".
    int replaced = 0;
    for (char& c : buffer)
        if (c == ':' && replaced < 2) {
            c = '/';
            ++replaced;
        }
    TextWriter(t.dateTimeText).text(buffer);
    parseShootingTime(t.dateTimeText, t);
}

// Reads one axis (reference letter and rationals); true when both read.
bool readAxis(ExifFile& file, Axis axis, PhotoExifData& out)
{
    const bool isLatitude = axis == Axis::latitude;
    char ref[4] = {};
    std::uint32_t values[6] = {};
    const bool refRead = (isLatitude ? ExifGetGPSLatitudeRef(file.handle(), ref)
                                     : ExifGetGPSLongitudeRef(file.handle(), ref)) == 0;
    const bool valuesRead = (isLatitude ? ExifGetGPSLatitude(file.handle(), values)
                                        : ExifGetGPSLongitude(file.handle(), values)) == 0;
    if (!refRead || !valuesRead)
        return false;

    char* refField = isLatitude ? out.latitudeRef : out.longitudeRef;
    Rational* rationals = isLatitude ? out.latitude : out.longitude;
    refField[0] = ref[0];
    refField[1] = '\0';
    for (int i = 0; i < 3; ++i)
        rationals[i] = {values[2 * i], values[2 * i + 1]};

    const bool positive = ref[0] == (isLatitude ? 'N' : 'E');
    const double seconds = static_cast<double>(values[4]) / static_cast<double>(values[5]);
    writeAxisText(isLatitude ? out.latitudeText : out.longitudeText,
                  isLatitude ? sizeof out.latitudeText : sizeof out.longitudeText, axis,
                  positive, static_cast<std::int32_t>(values[0]),
                  static_cast<std::int32_t>(values[2]), seconds);
    return true;
}

void readGpsTags(ExifFile& file, PhotoExifData& out)
{
    if (ExifGetGPSVersion(file.handle(), out.gpsVersion.data()) != 0) {
        out.gpsVersion = {};
        return;
    }
    const bool latitudeRead = readAxis(file, Axis::latitude, out);
    const bool longitudeRead = readAxis(file, Axis::longitude, out);

    std::uint32_t stamp[6] = {};
    if (ExifGetGPSTimeStamp(file.handle(), stamp) == 0)
        TextWriter(out.gpsTimeText)
            .number(static_cast<std::int32_t>(stamp[0]), 2).text(":")
            .number(static_cast<std::int32_t>(stamp[2]), 2).text(":")
            .number(static_cast<std::int32_t>(stamp[4]), 2);

    char status[4] = {};
    if (ExifGetGPSStatus(file.handle(), status) == 0)
        out.gpsStatus[0] = status[0];

    char datum[16] = {};
    const bool datumRead = ExifGetGPSMapDatum(file.handle(), sizeof datum, datum) == 0;
    if (datumRead)
        TextWriter(out.gpsMapDatum).text(std::string_view(datum, strnlen(datum, 15)));
    out.hasGpsTags = latitudeRead && longitudeRead && datumRead ? 1 : 0;
}

// The kind a name suggests, to know before opening whether its folder's
// listing will be needed (the content decides the kind read).
PhotoKind kindByName(const std::filesystem::path& path)
{
    const FileKind kind = fileKindOf(path);
    return kind == FileKind::rawPhoto || kind == FileKind::heifPhoto ? PhotoKind::tiffRaw : PhotoKind::jpeg;
}

// A text the camera wrote, without the blanks some cameras pad it with.
std::string cameraText(ExifFile& file, ExifStatus (*get)(std::uint32_t, int, char*))
{
    char buffer[64] = {};
    if (get(file.handle(), sizeof buffer, buffer) != 0)
        return {};
    std::string text(buffer, strnlen(buffer, sizeof buffer));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    return text;
}

// Which camera took the photo, and the zone it says its clock ran in.
void readCamera(ExifFile& file, PhotoExifData& out)
{
    out.camera.make = cameraText(file, ExifGetMake);
    out.camera.model = cameraText(file, ExifGetModel);
    out.camera.serial = cameraText(file, ExifGetBodySerialNumber);
    if (ExifGetOffsetTimeOriginal(file.handle(), out.offsetTimeOriginal) != 0)
        std::memset(out.offsetTimeOriginal, 0, sizeof out.offsetTimeOriginal);
}

// A raw or HEIF photo's sidecars are looked up in `listing` when it is of
// the photo's folder.
int readPhotoIn(const std::filesystem::path& path, PhotoExifData& out, const FolderListing* listing)
{
    out = PhotoExifData{};
    // Every kind opens for reading; a JPEG reads exactly as it always did.
    ExifFile file(path, ExifFile::Access::anyKindReadOnly);
    if (!file.isOpen())
        return kPhotoCannotOpen;
    if (!file.hasSupportedVersion())
        return kPhotoVersionRefused;
    const std::int32_t kind = file.photoKind();
    if (kind < static_cast<std::int32_t>(PhotoKind::jpeg) || kind > static_cast<std::int32_t>(PhotoKind::avif))
        return kPhotoCannotOpen;
    out.kind = static_cast<PhotoKind>(kind);
    out.path = path;
    readShootingTime(file, out.shootingTime);
    readGpsTags(file, out);
    readCamera(file, out);
    if (writesSidecar(out.kind))
        takeSidecarValues(readSidecar(path, listing).values, out);
    return kPhotoRead;
}

}  // namespace

bool isSupportedExifVersion(const char version[4])
{
    if (version[1] == '1')
        return false;
    return !(version[1] == '2' && version[2] == '0');
}

int readPhoto(const std::filesystem::path& path, PhotoExifData& out)
{
    return readPhotoIn(path, out, nullptr);
}

int addPhotos(PhotoList& list, const std::vector<std::filesystem::path>& paths, int& added,
              bool& limitReached, const StepCallback& progress)
{
    added = 0;
    limitReached = false;
    bool stopped = false;
    const int total = static_cast<int>(paths.size());
    // One listing of a folder serves the sidecars of all its raw photos.
    std::optional<FolderListing> listing;
    std::filesystem::path listed;
    for (int i = 0; i < total && !stopped; ++i) {
        const std::filesystem::path& path = paths[static_cast<std::size_t>(i)];
        if (writesSidecar(kindByName(path)) && (!listing || listed != path.parent_path())) {
            listed = path.parent_path();
            listing.emplace(listed);
        }
        PhotoExifData exif;
        if (readPhotoIn(path, exif, listing && listed == path.parent_path() ? &*listing : nullptr) == kPhotoRead) {
            if (list.records.size() >= kMaxPhotos) {
                limitReached = true;
            } else {
                list.records.push_back(PhotoRecord{std::move(exif), std::nullopt, 0, {}, {}});
                ++added;
            }
        }
        if (progress && progress(i + 1, total) != 0)
            stopped = true;
    }
    if (added > 0)
        sortByShootingTime(list);
    if (stopped)
        return kAddingStopped;
    return added == total ? kAllAdded : kSomeNotAdded;
}

}  // namespace vantora
