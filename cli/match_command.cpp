// vantora-gps match / write / shift: the photo window's work, without the
// window. match prints the review list, write writes the matched positions
// into the photos, shift moves every shooting time.

#include <ostream>

#include <sstream>

#include "commands.h"
#include "photo/matching.h"
#include "photo/photo_list.h"
#include "photo/photo_writing.h"
#include "photo/reason_wording.h"
#include "photo_job.h"
#include "platform/code_page.h"
#include "stop_signals.h"
#include "tracklog/text_writer.h"

namespace vantora::cli {

namespace {

std::string narrow(const std::wstring& ascii)
{
    return std::string(ascii.begin(), ascii.end());
}

void printReviewRow(std::ostream& out, const PhotoRecord& record)
{
    std::string line = displayName(record.exif.path.filename());
    line += '\t';
    line += platform::cp932ToUtf8(record.exif.shootingTime.dateTimeText);
    line += '\t';
    if (record.match) {
        const TrackPoint& m = record.match->point;
        line += narrow(formatDegrees(latitudeDegrees(m), m.latitudeRef, 'N'));
        line += '\t';
        line += narrow(formatDegrees(longitudeDegrees(m), m.longitudeRef, 'E'));
    } else {
        line += '\t';
    }
    line += '\t';
    line += record.match && record.doubtful == 0 ? "OK" : "?";
    line += '\t';
    line += record.match ? displayName(record.matchedLogPath.filename()) : "";
    line += '\t';
    line += record.exif.offsetTimeOriginal;
    line += '\t';
    line += reasonEnglish(record.reason);
    line += '\n';
    out << line;
}

void printSummary(std::ostream& out, const char* verb, const WriteSummary& summary,
                  const char* passedOver)
{
    out << verb << ' ' << summary.written << ", " << passedOver << ' ' << summary.unmatched
        << ", failed " << summary.failed << '\n';
}

// The doubtful matches among those written, by group: "doubtful: outside
// the track 3, in a gap 1"; nothing when none was doubtful.
void printDoubtfulWritten(std::ostream& out, const DoubtfulCounts& counts)
{
    if (counts.total() > 0)
        out << "doubtful: " << doubtfulCountsEnglish(counts) << '\n';
}

const char* describe(WriteProblem problem)
{
    switch (problem) {
    case WriteProblem::cannotOpen: return "cannot be opened (missing, unreadable or not a regular file)";
    case WriteProblem::inUse: return "in use by another program";
    case WriteProblem::unsupportedVersion: return "not Exif 2.1 or later";
    case WriteProblem::readOnly: return "read-only";
    case WriteProblem::folderReadOnly: return "its folder cannot be written";
    case WriteProblem::diskFull: return "disk full";
    case WriteProblem::changed: return "changed by another program while being written; left as that program made it";
    case WriteProblem::noRoom: return "no room for the GPS tags in the Exif block";
    case WriteProblem::noImageEnd: return "the image data has no end marker (the file is cut off)";
    case WriteProblem::damaged: return "its Exif block is damaged; writing would damage it further";
    case WriteProblem::staleTrailer:
        return "the data appended after the image (an AFCP trailer) is damaged and could not be kept valid";
    case WriteProblem::xmpNotEditable:
        return "its XMP cannot be updated (not well-formed, or a GPS property is a structure); nothing was written";
    case WriteProblem::writeError: break;
    }
    return "write error";
}

// The sidecars of raw and HEIF photos the run wrote, one line each.
void printSidecars(std::ostream& out, const WriteSummary& summary)
{
    for (const auto& sidecar : summary.sidecars)
        out << "sidecar: " << displayName(sidecar) << "\n";
}

// Every photo that did not take the change, with why; then a word on a stop.
void reportFailures(std::ostream& err, const WriteSummary& summary, const char* notDone, const char* untouched)
{
    for (const WriteFailure& failure : summary.failures)
        err << "vantora-gps: photo " << displayName(failure.path) << ' ' << notDone << ": "
            << describe(failure.problem) << "\n";
    if (summary.notAttempted > 0)
        err << "vantora-gps: stopped; " << summary.notAttempted << ' ' << untouched << "\n";
}

// Loads, adds and matches; the exit status so far.
int loadAndMatch(const PhotoJobOptions& options, LogList& logs, PhotoList& photos, std::ostream& err,
                 LogReading reading)
{
    const bool logsLoaded = loadLogSources(logs, options.logSources, err, reading);
    const bool photosAdded = addPhotoSources(photos, options.photoSources, err);
    const bool clocksSet = setCameraClocksAsked(photos, options.cameraOffsets, options.syncs, err);
    const std::size_t setByHand = photos.cameraClocks.size();
    if (setByHand > 0)
        clearMatches(photos);  // adding matched them by the list's offset alone
    matchAll(photos, options.offset);
    proposeCameraClocks(photos, options.findClocks, options.offset, setByHand, err);
    return logsLoaded && photosAdded && clocksSet ? kExitOk : kExitSomeFailed;
}

// Large logs are first known by their ends, and only those a photo needs are
// read whole. Should one of those prove the guess of its ends wrong, the
// run starts again from every log read whole, so the result is always that
// of reading every log.
int preparePhotoJob(const PhotoJobOptions& options, LogList& logs, PhotoList& photos,
                    std::ostream& err)
{
    const UtcOffset offsetBefore = photos.offset;
    std::ostringstream said;
    const int status = loadAndMatch(options, logs, photos, said, LogReading::endsFirst);
    if (!someSpanGuessWrong(logs)) {
        err << said.str();
        return status;
    }
    removeAll(logs);
    photos.records.clear();
    photos.cameraClocks.clear();
    photos.offset = offsetBefore;
    return loadAndMatch(options, logs, photos, err, LogReading::whole);
}

int usageError(std::ostream& err, const std::string& message, void (*usage)(std::ostream&))
{
    err << "vantora-gps: " << message << "\n";
    usage(err);
    return kExitUsage;
}

}  // namespace

void printMatchUsage(std::ostream& out)
{
    out << "usage: vantora-gps match [--utc-offset +09|auto] [--camera-offset \"MAKE MODEL=+HH:MM\"]...\n"
           "                         [--sync PHOTO=HH:MM:SS] --log FILE_OR_DIR... PHOTO_OR_DIR...\n"
           "\n"
           "Loads the logs (NMEA logs and GPX files; a folder gives its .log and .gpx\n"
           "files, subfolders included), adds the photos (a folder gives its JPEG,\n"
           "raw and HEIF files - CR2, CR3, NEF, ARW, DNG, ORF, RW2, RAF, HEIC, AVIF\n"
           "and the like - as the photo window loads it; a raw or HEIF photo's\n"
           "sidecar NAME.xmp or NAME.EXT.xmp, where there is one, gives its shooting\n"
           "time and position first),\n"
           "matches every photo to the track by its shooting time and prints the\n"
           "review list in shooting-time order, tab-separated: file name, shooting\n"
           "time, latitude and longitude in signed decimal degrees (empty without a\n"
           "match), OK or ? (a doubtful match or none), the log the match came from,\n"
           "the time zone the photo names for its clock (OffsetTimeOriginal, empty when\n"
           "it names none), and why the photo got what it got: \"at a fix\", \"between\n"
           "two fixes 10 s apart\", \"5 min before the first fix of the track; the fix\n"
           "of 09:30:00 copied\", \"in a gap of 2 h 25 min between A.log and B.log\"\n"
           "(with \"the same place on both sides\" when the track is within 50 m on\n"
           "both sides of the gap), \"no shooting time\" and so on.\n"
           "--log may be given more than once. --utc-offset is the time zone of the\n"
           "camera's clock: +HH, -HH or +HH:MM, +09 when not given.\n"
           "\n"
           "Camera clocks: when a quarter or more of one camera's photos (by Make,\n"
           "Model and body serial) fall outside the track, the zone that would put\n"
           "80% or more of them inside it, and twice as many as now, is proposed on\n"
           "standard error (the zone the photos name first, then -12:00 to +14:00 by\n"
           "quarter hours). --utc-offset auto matches each camera by its proposal.\n"
           "--camera-offset \"NIKON D70=+10:00\" (or +HH:MM:SS, - for west; the name\n"
           "as the proposal prints it, or Make and Model; repeatable) sets one\n"
           "camera's clock. --sync PHOTO=HH:MM:SS, for a photo of a clock, sets its\n"
           "camera's clock to the second: the time the photo shows, in the zone of\n"
           "--utc-offset, or in UTC with a Z after it.\n"
           "\n"
           "Exit status: 0 when every log and photo was taken, 1 when some were\n"
           "refused (each is named on standard error), 2 for a usage error.\n";
}

void printWriteUsage(std::ostream& out)
{
    out << "usage: vantora-gps write [--dry-run] [--utc-offset +09|auto] [--camera-offset \"MAKE MODEL=+HH:MM\"]...\n"
           "                         [--sync PHOTO=HH:MM:SS] --log FILE_OR_DIR... PHOTO_OR_DIR...\n"
           "\n"
           "Matches as `match` does and writes every matched position (doubtful ones\n"
           "too) into the photo's Exif GPS tags - of a raw or HEIF photo into its XMP\n"
           "sidecar, printed as \"sidecar: PATH\", never into the photo itself -\n"
           "then prints how many photos were\n"
           "written, had no match, and failed, and how many of the written were\n"
           "doubtful, by kind (outside the track, in a gap). The clock options are\n"
           "those of `match`. Each photo is replaced whole, only\n"
           "once its new version is complete. --dry-run prints the review list and\n"
           "what would be written, and changes nothing.\n"
           "\n"
           "Exit status: 0 when everything was taken and written, 1 otherwise, 2 for\n"
           "a usage error.\n";
}

void printShiftUsage(std::ostream& out)
{
    out << "usage: vantora-gps shift --forward|--back HH:MM:SS PHOTO_OR_DIR...\n"
           "       vantora-gps shift --sync PHOTO=HH:MM:SS [--utc-offset +09] PHOTO_OR_DIR...\n"
           "\n"
           "Moves the shooting time (DateTimeOriginal) of every photo forward or back\n"
           "by the same amount, to correct a camera clock (of a raw or HEIF photo in\n"
           "its sidecar, as exif:DateTimeOriginal and photoshop:DateCreated), and\n"
           "prints how many photos\n"
           "were shifted, left unchanged (no usable shooting time, or a time that\n"
           "would leave the calendar), and failed. Hours 0-23, minutes and seconds\n"
           "0-59; 00:00:00 changes nothing. With --sync, for a photo of a clock, the\n"
           "photos of that photo's camera (the others are left alone) move by what\n"
           "sets its shooting time to the time it shows (in the zone of --utc-offset,\n"
           "+09 when not given, or UTC with a Z after it), within half a day.\n"
           "\n"
           "Exit status: 0 when every photo was shifted, 1 otherwise, 2 for a usage\n"
           "error.\n";
}

int runMatchCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err)
{
    PhotoJobOptions options;
    if (const auto error = parsePhotoJob(args, false, options))
        return usageError(err, *error, printMatchUsage);
    if (options.help) {
        printMatchUsage(out);
        return kExitOk;
    }
    LogList logs;
    PhotoList photos(logs, options.offset);
    const int status = preparePhotoJob(options, logs, photos, err);
    for (const PhotoRecord& record : photos.records)
        printReviewRow(out, record);
    out.flush();
    return status;
}

int runWriteCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err)
{
    PhotoJobOptions options;
    if (const auto error = parsePhotoJob(args, true, options))
        return usageError(err, *error, printWriteUsage);
    if (options.help) {
        printWriteUsage(out);
        return kExitOk;
    }
    LogList logs;
    PhotoList photos(logs, options.offset);
    const int status = preparePhotoJob(options, logs, photos, err);
    if (options.dryRun) {
        WriteSummary wouldWrite;
        for (const PhotoRecord& record : photos.records) {
            printReviewRow(out, record);
            ++(record.match ? wouldWrite.written : wouldWrite.unmatched);
        }
        printSummary(out, "would write", wouldWrite, "no match");
        printDoubtfulWritten(out, countDoubtfulByKind(photos));
        return status;
    }
    const WriteSummary summary = writePositions(photos, {}, stopRequested);
    printSidecars(out, summary);
    printSummary(out, "written", summary, "no match");
    printDoubtfulWritten(out, summary.doubtfulWritten);
    reportFailures(err, summary, "not written", "photos left as they were");
    return status == kExitOk && summary.failed == 0 && summary.notAttempted == 0 ? kExitOk : kExitSomeFailed;
}

namespace {

struct ShiftOptions {
    bool forward = true;
    bool directionGiven = false;
    int hours = -1;
    int minutes = -1;
    int seconds = -1;
    UtcOffset offset;
    std::vector<SyncOption> syncs;
    std::vector<std::filesystem::path> sources;
    bool help = false;
};

// The options of shift; an error message when they are wrong.
std::optional<std::string> parseShift(const std::vector<Argument>& args, ShiftOptions& o)
{
    std::vector<CameraOffsetOption> noOffsets;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i].text;
        if (word == "--help" || word == "-h") {
            o.help = true;
        } else if ((word == "--forward" || word == "--back") && i + 1 < args.size()) {
            o.forward = word == "--forward";
            o.directionGiven = true;
            if (!parseClockAmount(args[++i].text, o.hours, o.minutes, o.seconds))
                return "the amount is HH:MM:SS";
        } else if (word == "--sync") {
            if (const auto error = takeClockOption(args, i, noOffsets, o.syncs))
                return error;
        } else if (word == "--utc-offset") {
            if (!takeUtcOffset(args, i, o.offset))
                return kUtcOffsetUsage;
        } else if (word.size() > 1 && word[0] == '-') {
            return "unknown option " + word;
        } else {
            o.sources.push_back(args[i].path);
        }
    }
    if (o.help)
        return std::nullopt;
    const bool amountGiven = o.directionGiven && o.hours >= 0 && o.hours <= 23 && o.minutes >= 0 &&
                             o.minutes <= 59 && o.seconds >= 0 && o.seconds <= 59;
    if (o.syncs.size() > 1 || (o.syncs.empty() ? !amountGiven : o.directionGiven))
        return "give --forward or --back with HH:MM:SS (up to 23:59:59), or one --sync PHOTO=HH:MM:SS";
    if (o.sources.empty())
        return "no photo given";
    return std::nullopt;
}

// --sync: the amount that sets the photo's clock to the time it shows, for
// the photos of its camera alone (the others leave the list); false when
// the photo is not there.
bool takeAmountFromSync(PhotoList& photos, ShiftOptions& o, std::ostream& out, std::ostream& err)
{
    const TimeValue zone = utcShiftOf(o.offset);
    const PhotoRecord* synced = nullptr;
    const auto correction = syncCorrection(photos, o.syncs.front(), zone, zone, &synced);
    if (!correction) {
        err << "vantora-gps: --sync: " << displayName(o.syncs.front().photo)
            << (synced ? " has no usable shooting time\n" : " is not one of the photos given\n");
        return false;
    }
    const CameraId camera = synced->exif.camera;
    std::erase_if(photos.records, [&](const PhotoRecord& r) { return !(r.exif.camera == camera); });
    o.forward = *correction >= 0;
    const TimeValue amount = *correction >= 0 ? *correction : -*correction;
    o.hours = static_cast<int>(amount / 3600);
    o.minutes = static_cast<int>(amount / 60 % 60);
    o.seconds = static_cast<int>(amount % 60);
    char amountText[9];
    TextWriter(amountText).number(o.hours, 2).text(":").number(o.minutes, 2).text(":").number(o.seconds, 2);
    out << "the photos of " << cameraName(camera) << ": " << (o.forward ? "forward " : "back ") << amountText
        << '\n';
    return true;
}

}  // namespace

int runShiftCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err)
{
    ShiftOptions o;
    if (const auto error = parseShift(args, o))
        return usageError(err, *error, printShiftUsage);
    if (o.help) {
        printShiftUsage(out);
        return kExitOk;
    }
    LogList noLogs;
    PhotoList photos(noLogs);
    const bool allAdded = addPhotoSources(photos, o.sources, err);
    if (!o.syncs.empty() && !takeAmountFromSync(photos, o, out, err))
        return kExitSomeFailed;
    if (o.hours == 0 && o.minutes == 0 && o.seconds == 0) {
        out << "nothing to shift\n";
        return allAdded ? kExitOk : kExitSomeFailed;
    }
    const WriteSummary summary = shiftShootingTimes(photos, o.forward, o.hours, o.minutes, o.seconds, {}, stopRequested);
    for (const PhotoRecord& record : photos.records)
        out << displayName(record.exif.path.filename()) << '\t'
            << record.exif.shootingTime.dateTimeText << '\n';
    printSidecars(out, summary);
    printSummary(out, "shifted", summary, "unchanged");
    reportFailures(err, summary, "not shifted", "photos left at their old time");
    return allAdded && summary.failed == 0 && summary.unmatched == 0 && summary.notAttempted == 0 ? kExitOk
                                                                                               : kExitSomeFailed;
}

}  // namespace vantora::cli
