#include "photo/photo_writing.h"

#include <array>

#include "exif/Exif.h"
#include "tracklog/text_writer.h"

namespace vantora {

namespace {

constexpr char kMapDatum[] = "WGS-84";

// A log sentence with an empty status field counts as a valid fix; it is
// written as "A", since GPSStatus cannot be empty.
const char* statusToWrite(const TrackPoint& match)
{
    return match.status[0] != '\0' ? match.status : "A";
}

void toValues(const Rational (&rationals)[3], std::uint32_t (&values)[6])
{
    for (int i = 0; i < 3; ++i) {
        values[2 * i] = rationals[i].numerator;
        values[2 * i + 1] = rationals[i].denominator;
    }
}

// The first failing status of the sets, else the close's: the file's fate.
std::optional<WriteProblem> outcome(int firstSetStatus, int closeStatus)
{
    const int status = firstSetStatus != EXIF_OK ? firstSetStatus : closeStatus;
    if (status == EXIF_OK)
        return std::nullopt;
    return writeProblemOf(status);
}

// Writes the match; `written` gets the GPSVersionID the file took.
std::optional<WriteProblem> writeMatchTo(ExifFile& file, const TrackMatch& found,
                                         std::array<std::uint8_t, 4>& written)
{
    const auto stamps = gpsStampsOf(found);
    if (!stamps)
        return WriteProblem::writeError;  // no instant to stamp: nothing is written
    const TrackPoint& match = found.point;
    const std::uint32_t h = file.handle();
    const unsigned char version[4] = {2, 0, 0, 0};
    std::uint32_t latitude[6];
    std::uint32_t longitude[6];
    toValues(match.latitude, latitude);
    toValues(match.longitude, longitude);

    int first = EXIF_OK;
    const auto note = [&first](int status) {
        if (first == EXIF_OK)
            first = status;
    };
    // The library keeps a higher version the photo or its tags need: 2.0.0.0
    // over 2.2 would leave a date stamp contradicting it.
    note(ExifSetGPSVersion(h, version));
    note(ExifSetGPSLatitudeRef(h, match.latitudeRef[0] == 'N' ? "N" : "S"));
    note(ExifSetGPSLatitude(h, latitude));
    note(ExifSetGPSLongitudeRef(h, match.longitudeRef[0] == 'E' ? "E" : "W"));
    note(ExifSetGPSLongitude(h, longitude));
    note(ExifSetGPSStatus(h, statusToWrite(match)));
    note(ExifSetGPSTimeStamp(h, stamps->time));
    // A date stamp already there is made to agree with the new time stamp;
    // none is added.
    if (const int s = ExifUpdateGPSDateStamp(h, stamps->date); s != EXIF_ERR_NOT_FOUND)
        note(s);
    note(ExifSetGPSMapDatum(h, kMapDatum));
    if (ExifGetGPSVersion(h, written.data()) != EXIF_OK)
        written = {2, 0, 0, 0};
    return outcome(first, file.close());
}

void recordWrittenMatch(PhotoRecord& record, const std::array<std::uint8_t, 4>& version)
{
    const TrackPoint& match = record.match->point;
    PhotoExifData& exif = record.exif;
    exif.hasGpsTags = 1;
    TextWriter(exif.gpsTimeText).text(match.timeText);
    TextWriter(exif.gpsMapDatum).text(kMapDatum);
    TextWriter(exif.gpsStatus).text(statusToWrite(match));
    exif.gpsVersion = version;  // what the file got
    copyPosition(match, exif);
}

// The instant `shift` seconds away, as fields that convert back and that
// DateTimeOriginal can hold (a four-digit year).
std::optional<ExifDateTime> shifted(const ExifDateTime& from, std::int64_t shift)
{
    const auto instant = toTimeValue(from);
    if (!instant)
        return std::nullopt;
    auto moved = fromTimeValue(*instant + shift);
    if (!moved || moved->year > 9999 || !toTimeValue(*moved))
        return std::nullopt;
    return moved;
}

std::optional<WriteProblem> writeShootingTime(const std::filesystem::path& path, const ExifDateTime& t)
{
    WriteProblem problem = WriteProblem::cannotOpen;
    auto file = openForWriting(path, &problem);
    if (!file)
        return problem;
    char text[20];
    writeDateTimeText(text, sizeof text, t, ':');
    const int set = ExifSetDateTimeOriginal(file->handle(), text);
    return outcome(set, file->close());
}

void noteFailure(WriteSummary& summary, const std::filesystem::path& path, WriteProblem problem)
{
    ++summary.failed;
    summary.failures.push_back({path, problem});
}

}  // namespace

std::optional<GpsStamps> gpsStampsOf(const TrackMatch& match)
{
    const auto utc = match.utcDateTime();
    if (!utc)
        return std::nullopt;
    GpsStamps stamps;
    const int timeOfDay[3] = {utc->hour, utc->minute, utc->second};
    for (int i = 0; i < 3; ++i) {
        stamps.time[2 * i] = static_cast<std::uint32_t>(timeOfDay[i]);
        stamps.time[2 * i + 1] = 1;
    }
    TextWriter(stamps.date).number(utc->year, 4).text(":").number(utc->month, 2).text(":")
        .number(utc->day, 2);
    return stamps;
}

WriteProblem writeProblemOf(int exifStatus)
{
    switch (exifStatus) {
    case EXIF_ERR_OPEN: return WriteProblem::cannotOpen;
    case EXIF_ERR_IN_USE: return WriteProblem::inUse;
    case EXIF_ERR_READ_ONLY: return WriteProblem::readOnly;
    case EXIF_ERR_FOLDER_READ_ONLY: return WriteProblem::folderReadOnly;
    case EXIF_ERR_DISK_FULL: return WriteProblem::diskFull;
    case EXIF_ERR_CHANGED: return WriteProblem::changed;
    case EXIF_ERR_TOO_LARGE: return WriteProblem::noRoom;
    case EXIF_ERR_NO_IMAGE_END: return WriteProblem::noImageEnd;
    case EXIF_ERR_FORMAT: case EXIF_ERR_OVERLAP: return WriteProblem::damaged;
    case EXIF_ERR_TRAILER: return WriteProblem::staleTrailer;
    default: return WriteProblem::writeError;
    }
}

std::optional<ExifFile> openForWriting(const std::filesystem::path& path, WriteProblem* problem)
{
    ExifFile file(path);
    if (!file.isOpen()) {
        if (problem)
            *problem = file.openStatus() == EXIF_ERR_IN_USE ? WriteProblem::inUse : WriteProblem::cannotOpen;
        return std::nullopt;
    }
    if (!file.hasSupportedVersion()) {
        if (problem)
            *problem = WriteProblem::unsupportedVersion;
        return std::nullopt;
    }
    return file;
}

WriteSummary writePositions(PhotoList& list, const StepCallback& progress, const StopRequested& stop)
{
    WriteSummary summary;
    const int total = static_cast<int>(list.records.size());
    for (int i = 0; i < total; ++i) {
        if (stop && stop()) {
            summary.notAttempted = total - i;
            break;
        }
        PhotoRecord& record = list.records[static_cast<std::size_t>(i)];
        if (record.match) {
            WriteProblem problem = WriteProblem::cannotOpen;
            auto file = openForWriting(record.exif.path, &problem);
            std::array<std::uint8_t, 4> version{};
            const auto failed =
                file ? writeMatchTo(*file, *record.match, version) : std::optional<WriteProblem>(problem);
            if (!failed) {
                recordWrittenMatch(record, version);
                ++summary.written;
                if (record.doubtful)
                    addDoubtful(summary.doubtfulWritten, record.reason.kind);
            } else {
                noteFailure(summary, record.exif.path, *failed);
            }
        } else {
            ++summary.unmatched;
        }
        if (progress)
            progress(i + 1, total);
    }
    return summary;
}

WriteSummary shiftShootingTimes(PhotoList& list, bool forward, int hours, int minutes, int seconds,
                                const StepCallback& progress, const StopRequested& stop)
{
    WriteSummary summary;
    const std::int64_t amount = (static_cast<std::int64_t>(hours) * 60 + minutes) * 60 + seconds;
    const std::int64_t shift = forward ? amount : -amount;
    const int total = static_cast<int>(list.records.size());
    for (int i = 0; i < total; ++i) {
        if (stop && stop()) {
            summary.notAttempted = total - i;
            break;
        }
        PhotoExifData& exif = list.records[static_cast<std::size_t>(i)].exif;
        const auto moved = shifted(exif.shootingTime, shift);
        const auto failed = moved ? writeShootingTime(exif.path, *moved) : std::nullopt;
        if (moved && !failed) {
            exif.shootingTime = *moved;  // the track form of the text comes with it
            ++summary.written;
        } else if (moved) {
            noteFailure(summary, exif.path, *failed);
        } else {
            ++summary.unmatched;
        }
        if (progress)
            progress(i + 1, total);
    }
    return summary;
}

}  // namespace vantora
