#include "photo/photo_writing.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <utility>

#include "exif/Exif.h"
#include "photo/xmp_sidecar.h"
#include "photo/xmp_text.h"
#include "photo/xmp_values.h"
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

// Sets the match's tags; the first failing set's status (0 when all were
// taken), and in `written` the GPSVersionID the file takes.
int setMatchIn(ExifFile& file, const GpsStamps& stamps, const TrackPoint& match,
               std::array<std::uint8_t, 4>& written)
{
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
    note(ExifSetGPSTimeStamp(h, stamps.time));
    // A date stamp already there is made to agree with the new time stamp;
    // none is added.
    if (const int s = ExifUpdateGPSDateStamp(h, stamps.date); s != EXIF_ERR_NOT_FOUND)
        note(s);
    note(ExifSetGPSMapDatum(h, kMapDatum));
    if (ExifGetGPSVersion(h, written.data()) != EXIF_OK)
        written = {2, 0, 0, 0};
    return first;
}

// The photo's own XMP packet with `props` set, at the packet's old length
// where its padding allows, so that nothing after it moves. Nullopt when it
// cannot be edited.
std::optional<std::string> editedPacket(const std::string& packet, const std::vector<XmpProperty>& props)
{
    auto edited = withProperties(packet, props);
    if (!edited)
        return std::nullopt;
    if (auto fitted = fittedToLength(*edited, packet.size()))
        return fitted;
    return edited;  // the segment is rewritten whole
}

// The packet with the match's GPS properties, GPSVersionID the one its Exif
// takes.
std::optional<std::string> xmpWithMatch(const std::string& packet, const TrackMatch& match,
                                        const std::array<std::uint8_t, 4>& version)
{
    auto properties = gpsSidecarProperties(match);
    if (!properties)
        return std::nullopt;
    for (XmpProperty& p : *properties)
        if (p.name == "GPSVersionID")
            p.value = std::to_string(version[0]) + '.' + std::to_string(version[1]) + '.' +
                      std::to_string(version[2]) + '.' + std::to_string(version[3]);
    return editedPacket(packet, *properties);
}

// The packet with its shooting times moved, where it holds them; none when
// it holds none (and then the packet stays as it is).
struct MovedXmpTimes {
    bool held = false;
    std::optional<std::string> packet;  // nullopt while held: cannot be edited
};
MovedXmpTimes xmpWithTime(const std::optional<std::string>& packet, const ExifDateTime& moved,
                          std::string_view exifZone)
{
    if (!packet)
        return {};
    // The zone of the Exif, else the one the XMP gave its time.
    std::string zone(exifZone);
    if (zone.empty())
        if (const auto values = readXmpValues(*packet))
            zone = values->shootingZone;
    const auto held = heldProperties(*packet, shootingTimeProperties(moved, zone));
    if (held.empty())
        return {};
    return {true, editedPacket(*packet, held)};
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

// The photos of one run, written through one batch of the Exif library:
// each photo's new file is written at its close, and the photos take their
// changes together when the batch is committed - when it is full, and at the
// end, a stop included, so that no photo is left half-done. A record takes
// the change, and the summary counts its photo as written, only once the
// photo's file took it; failures are listed in list order all the same.
class WriteRun {
public:
    explicit WriteRun(WriteSummary& summary) : summary_(summary) {}

    // Closes the photo after its sets, whose first failing status (0 when
    // all were taken) decides before the close's. `apply` runs when the
    // photo's file took the change.
    void close(ExifFile& file, const std::filesystem::path& path, int firstSetStatus, std::function<void()> apply)
    {
        const bool batched = batch_.add(file);
        const std::uint32_t handle = file.handle();
        const int closed = file.close();
        if (firstSetStatus != EXIF_OK || closed != EXIF_OK || !batched) {
            settle(path, outcome(firstSetStatus, closed), apply);
            return;
        }
        waiting_.push_back({handle, order_++, path, std::move(apply)});
        if (batch_.full())
            commit();
    }

    void fail(const std::filesystem::path& path, WriteProblem problem) { settle(path, problem, {}); }

    // A photo whose change was made outside the batch (its sidecars).
    void settled(const std::filesystem::path& path, std::optional<WriteProblem> problem,
                 const std::function<void()>& apply)
    {
        settle(path, problem, apply);
    }

    // Commits what waits; then the summary is complete.
    void finish()
    {
        commit();
        std::stable_sort(failures_.begin(), failures_.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [order, failure] : failures_)
            summary_.failures.push_back(std::move(failure));
        summary_.failed = static_cast<int>(summary_.failures.size());
    }

private:
    struct Waiting {
        std::uint32_t handle;
        std::size_t order;
        std::filesystem::path path;
        std::function<void()> apply;
    };

    void commit()
    {
        batch_.commit();
        for (Waiting& photo : waiting_) {
            const auto status = batch_.resultOf(photo.handle);
            const auto problem = status ? outcome(EXIF_OK, *status) : std::optional(WriteProblem::writeError);
            settle(photo.path, problem, photo.apply, photo.order);
        }
        waiting_.clear();
    }

    void settle(const std::filesystem::path& path, std::optional<WriteProblem> problem,
                const std::function<void()>& apply, std::optional<std::size_t> order = std::nullopt)
    {
        const std::size_t place = order ? *order : order_++;
        if (problem) {
            failures_.push_back({place, WriteFailure{path, *problem}});
            return;
        }
        ++summary_.written;
        if (apply)
            apply();
    }

    ExifBatch batch_;
    WriteSummary& summary_;
    std::vector<Waiting> waiting_;
    std::vector<std::pair<std::size_t, WriteFailure>> failures_;  // with the photo's place in the run
    std::size_t order_ = 0;
};

// Writes the properties into the photo's sidecars; the first problem, none
// when every sidecar took them. Those written are added to the summary.
std::optional<WriteProblem> writeIntoSidecars(WriteSummary& summary, const std::filesystem::path& photo,
                                              const std::vector<XmpProperty>& properties)
{
    std::optional<WriteProblem> problem;
    for (const SidecarWriteResult& result : writeSidecars(photo, properties)) {
        if (result.outcome == SidecarOutcome::failed) {
            if (!problem)
                problem = result.problem;
        } else {
            summary.sidecars.push_back(result.path);
        }
    }
    return problem;
}

void shiftSidecarTime(WriteRun& run, WriteSummary& summary, PhotoExifData& exif, const ExifDateTime& moved)
{
    // The zone the list shows for the photo stays with its time.
    const auto problem =
        writeIntoSidecars(summary, exif.path, shootingTimeProperties(moved, fieldText(exif.offsetTimeOriginal)));
    run.settled(exif.path, problem, [&exif, moved] { exif.shootingTime = moved; });
}

void writeSidecarMatch(WriteRun& run, WriteSummary& summary, PhotoRecord& record)
{
    const auto properties = gpsSidecarProperties(*record.match);
    if (!properties) {
        run.fail(record.exif.path, WriteProblem::writeError);
        return;
    }
    const auto problem = writeIntoSidecars(summary, record.exif.path, *properties);
    run.settled(record.exif.path, problem, [&record, &summary] {
        recordWrittenMatch(record, {2, 2, 0, 0});  // the version the XMP properties stand for
        if (record.doubtful)
            addDoubtful(summary.doubtfulWritten, record.reason.kind);
    });
}

void writeShootingTime(WriteRun& run, PhotoExifData& exif, const ExifDateTime& moved)
{
    const std::filesystem::path& path = exif.path;
    WriteProblem problem = WriteProblem::cannotOpen;
    auto file = openForWriting(path, &problem);
    if (!file) {
        run.fail(path, problem);
        return;
    }
    // The photo's own XMP times move with its Exif time, or nothing does.
    const MovedXmpTimes xmp = xmpWithTime(file->xmpPacket(), moved, fieldText(exif.offsetTimeOriginal));
    if (xmp.held && !xmp.packet) {
        run.fail(path, WriteProblem::xmpNotEditable);
        return;
    }
    char text[20];
    writeDateTimeText(text, sizeof text, moved, ':');
    int set = ExifSetDateTimeOriginal(file->handle(), text);
    if (xmp.packet && set == EXIF_OK)
        set = file->setXmpPacket(*xmp.packet);
    // The track form of the text comes with the fields.
    run.close(*file, path, set, [&exif, moved] { exif.shootingTime = moved; });
}

void writeMatch(WriteRun& run, WriteSummary& summary, PhotoRecord& record)
{
    const std::filesystem::path& path = record.exif.path;
    WriteProblem problem = WriteProblem::cannotOpen;
    auto file = openForWriting(path, &problem);
    const auto stamps = gpsStampsOf(*record.match);
    if (!file || !stamps) {
        // No instant to stamp: nothing is written.
        run.fail(path, file ? WriteProblem::writeError : problem);
        return;
    }
    // A packet that holds a position but cannot take this one is found out
    // before any tag is set, so that the file is closed unchanged. The
    // version is known only after the sets; it changes no more than digits
    // of one value, which cannot make an edit that worked fail.
    const auto packet = file->xmpPacket();
    std::optional<std::string> xmp;
    if (packet && holdsGpsProperties(*packet)) {
        xmp = xmpWithMatch(*packet, *record.match, {2, 0, 0, 0});
        if (!xmp) {
            run.fail(path, WriteProblem::xmpNotEditable);
            return;
        }
    }
    std::array<std::uint8_t, 4> version{};
    int set = setMatchIn(*file, *stamps, record.match->point, version);
    if (xmp && set == EXIF_OK) {
        if (auto withVersion = xmpWithMatch(*packet, *record.match, version))
            xmp = std::move(withVersion);
        set = file->setXmpPacket(*xmp);
    }
    run.close(*file, path, set, [&record, &summary, version] {
        recordWrittenMatch(record, version);
        if (record.doubtful)
            addDoubtful(summary.doubtfulWritten, record.reason.kind);
    });
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
    WriteRun run(summary);
    const int total = static_cast<int>(list.records.size());
    for (int i = 0; i < total; ++i) {
        if (stop && stop()) {
            summary.notAttempted = total - i;
            break;
        }
        PhotoRecord& record = list.records[static_cast<std::size_t>(i)];
        if (record.match && writesSidecar(record.exif.kind))
            writeSidecarMatch(run, summary, record);
        else if (record.match)
            writeMatch(run, summary, record);
        else
            ++summary.unmatched;
        if (progress)
            progress(i + 1, total);
    }
    run.finish();
    return summary;
}

WriteSummary shiftShootingTimes(PhotoList& list, bool forward, int hours, int minutes, int seconds,
                                const StepCallback& progress, const StopRequested& stop)
{
    WriteSummary summary;
    WriteRun run(summary);
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
        if (moved && writesSidecar(exif.kind))
            shiftSidecarTime(run, summary, exif, *moved);
        else if (moved)
            writeShootingTime(run, exif, *moved);
        else
            ++summary.unmatched;
        if (progress)
            progress(i + 1, total);
    }
    run.finish();
    return summary;
}

}  // namespace vantora
