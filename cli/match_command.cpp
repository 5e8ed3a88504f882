// vantora-gps match / write / shift: the photo window's work, without the
// window. match prints the review list, write writes the matched positions
// into the photos, shift moves every shooting time.

#include <ostream>

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
    case WriteProblem::writeError: break;
    }
    return "write error";
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
int preparePhotoJob(const PhotoJobOptions& options, LogList& logs, PhotoList& photos,
                    std::ostream& err)
{
    const bool logsLoaded = loadLogSources(logs, options.logSources, err);
    const bool photosAdded = addPhotoSources(photos, options.photoSources, err);
    matchAll(photos, options.offset);
    return logsLoaded && photosAdded ? kExitOk : kExitSomeFailed;
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
    out << "usage: vantora-gps match [--utc-offset +09] --log FILE_OR_DIR... PHOTO_OR_DIR...\n"
           "\n"
           "Loads the logs (a folder gives its .log files, subfolders included), adds\n"
           "the photos (a folder gives its JPEG files, as the photo window loads it),\n"
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
           "Exit status: 0 when every log and photo was taken, 1 when some were\n"
           "refused (each is named on standard error), 2 for a usage error.\n";
}

void printWriteUsage(std::ostream& out)
{
    out << "usage: vantora-gps write [--dry-run] [--utc-offset +09] --log FILE_OR_DIR... "
           "PHOTO_OR_DIR...\n"
           "\n"
           "Matches as `match` does and writes every matched position (doubtful ones\n"
           "too) into the photo's Exif GPS tags, then prints how many photos were\n"
           "written, had no match, and failed, and how many of the written were\n"
           "doubtful, by kind (outside the track, in a gap). Each photo is replaced whole, only\n"
           "once its new version is complete. --dry-run prints the review list and\n"
           "what would be written, and changes nothing.\n"
           "\n"
           "Exit status: 0 when everything was taken and written, 1 otherwise, 2 for\n"
           "a usage error.\n";
}

void printShiftUsage(std::ostream& out)
{
    out << "usage: vantora-gps shift --forward|--back HH:MM:SS PHOTO_OR_DIR...\n"
           "\n"
           "Moves the shooting time (DateTimeOriginal) of every photo forward or back\n"
           "by the same amount, to correct a camera clock, and prints how many photos\n"
           "were shifted, left unchanged (no usable shooting time, or a time that\n"
           "would leave the calendar), and failed. Hours 0-23, minutes and seconds\n"
           "0-59; 00:00:00 changes nothing.\n"
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
    printSummary(out, "written", summary, "no match");
    printDoubtfulWritten(out, summary.doubtfulWritten);
    reportFailures(err, summary, "not written", "photos left as they were");
    return status == kExitOk && summary.failed == 0 && summary.notAttempted == 0 ? kExitOk : kExitSomeFailed;
}

int runShiftCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err)
{
    bool forward = true;
    bool directionGiven = false;
    int hours = -1;
    int minutes = -1;
    int seconds = -1;
    std::vector<std::filesystem::path> sources;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i].text;
        if (word == "--help" || word == "-h") {
            printShiftUsage(out);
            return kExitOk;
        }
        if ((word == "--forward" || word == "--back") && i + 1 < args.size()) {
            forward = word == "--forward";
            directionGiven = true;
            if (!parseClockAmount(args[++i].text, hours, minutes, seconds))
                return usageError(err, "the amount is HH:MM:SS", printShiftUsage);
        } else if (word.size() > 1 && word[0] == '-') {
            return usageError(err, "unknown option " + word, printShiftUsage);
        } else {
            sources.push_back(args[i].path);
        }
    }
    if (!directionGiven || hours < 0 || hours > 23 || minutes < 0 || minutes > 59 ||
        seconds < 0 || seconds > 59)
        return usageError(err, "give --forward or --back with HH:MM:SS (up to 23:59:59)",
                          printShiftUsage);
    if (sources.empty())
        return usageError(err, "no photo given", printShiftUsage);

    LogList noLogs;
    PhotoList photos(noLogs);
    const bool allAdded = addPhotoSources(photos, sources, err);
    if (hours == 0 && minutes == 0 && seconds == 0) {
        out << "nothing to shift\n";
        return allAdded ? kExitOk : kExitSomeFailed;
    }
    const WriteSummary summary = shiftShootingTimes(photos, forward, hours, minutes, seconds, {}, stopRequested);
    for (const PhotoRecord& record : photos.records)
        out << displayName(record.exif.path.filename()) << '\t'
            << record.exif.shootingTime.dateTimeText << '\n';
    printSummary(out, "shifted", summary, "unchanged");
    reportFailures(err, summary, "not shifted", "photos left at their old time");
    return allAdded && summary.failed == 0 && summary.unmatched == 0 && summary.notAttempted == 0 ? kExitOk
                                                                                               : kExitSomeFailed;
}

}  // namespace vantora::cli
