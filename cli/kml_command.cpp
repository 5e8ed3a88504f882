// vantora-gps kml: the Google Earth view's document, without Google Earth.

#include <optional>
#include <ostream>

#include "commands.h"
#include "export/kml_writer.h"
#include "photo/matching.h"
#include "photo_job.h"

namespace vantora::cli {

namespace {

struct KmlOptions {
    UtcOffset offset;
    std::vector<std::filesystem::path> logSources;
    std::vector<std::filesystem::path> photoSources;
    std::optional<std::filesystem::path> target;
    bool help = false;
};

bool isOption(const Argument& arg)
{
    return arg.text.size() > 1 && arg.text[0] == '-';
}

// The words after an option up to the next option.
std::size_t takeValues(const std::vector<Argument>& args, std::size_t i,
                       std::vector<std::filesystem::path>& values)
{
    while (i + 1 < args.size() && !isOption(args[i + 1]))
        values.push_back(args[++i].path);
    return i;
}

std::optional<std::string> checkKmlOptions(const KmlOptions& options, bool photosOptionGiven)
{
    if (options.help)
        return std::nullopt;
    if (options.logSources.empty())
        return "no log given (--log FILE_OR_DIR...)";
    if (photosOptionGiven && options.photoSources.empty())
        return "--photos takes photos or folders";
    if (!options.target)
        return "no output file given (-o FILE)";
    return std::nullopt;
}

std::optional<std::string> parseKmlOptions(const std::vector<Argument>& args,
                                           KmlOptions& options)
{
    bool photosOptionGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i].text;
        const bool hasValue = i + 1 < args.size();
        if (word == "--help" || word == "-h") {
            options.help = true;
        } else if (word == "--utc-offset") {
            if (!takeUtcOffset(args, i, options.offset))
                return kUtcOffsetUsage;
        } else if (word == "--log") {
            i = takeValues(args, i, options.logSources);
        } else if (word == "--photos") {
            photosOptionGiven = true;
            i = takeValues(args, i, options.photoSources);
        } else if (word == "-o" || word == "--output") {
            if (!hasValue)
                return "-o takes the file to write";
            options.target = args[++i].path;
        } else if (isOption(args[i])) {
            return "unknown option " + word;
        } else {
            return "unexpected " + displayName(args[i].path) + " (give logs with --log, photos "
                   "with --photos)";
        }
    }
    return checkKmlOptions(options, photosOptionGiven);
}

// Google Earth resolves a relative icon reference against the document's
// folder, not ours, so the photos are named by absolute paths.
std::vector<std::filesystem::path> absolutePaths(const std::vector<std::filesystem::path>& paths)
{
    std::vector<std::filesystem::path> absolute;
    for (const auto& path : paths) {
        std::error_code error;
        const auto full = std::filesystem::absolute(path, error);
        absolute.push_back(error ? path : full);
    }
    return absolute;
}

bool allMatched(const PhotoList& photos)
{
    for (const PhotoRecord& record : photos.records)
        if (!record.match)
            return false;
    return true;
}

}  // namespace

void printKmlUsage(std::ostream& out)
{
    out << "usage: vantora-gps kml [--utc-offset +09] --log FILE_OR_DIR... "
           "[--photos PHOTO_OR_DIR...] -o FILE\n"
           "\n"
           "Writes a KML document for Google Earth: one red line through every fix of\n"
           "the logs, in time order, and, when photos are given and every one of them\n"
           "matches the track, a placemark per photo showing the photo itself. With\n"
           "some photo unmatched only the route is written (and the photos left out\n"
           "are named on standard error). --utc-offset is the time zone of the\n"
           "camera's clock: +HH, -HH or +HH:MM, +09 when not given.\n"
           "\n"
           "Exit status: 0 when the file was written from every input, 1 when some\n"
           "input was refused or the file could not be written, 2 for a usage error.\n";
}

int runKmlCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err)
{
    KmlOptions options;
    if (const auto error = parseKmlOptions(args, options)) {
        err << "vantora-gps: " << *error << "\n";
        printKmlUsage(err);
        return kExitUsage;
    }
    if (options.help) {
        printKmlUsage(out);
        return kExitOk;
    }
    LogList logs;
    PhotoList photos(logs, options.offset);
    bool allTaken = loadLogSources(logs, options.logSources, err);
    if (!options.photoSources.empty()) {
        allTaken = addPhotoSources(photos, absolutePaths(options.photoSources), err) && allTaken;
        matchAll(photos, options.offset);
        if (!allMatched(photos)) {
            err << "vantora-gps: not every photo matches the track; the photos are left out\n";
            for (const PhotoRecord& record : photos.records)
                if (!record.match)
                    err << "vantora-gps: no match for " << displayName(record.exif.path) << "\n";
        }
    }
    const int result = writeKml(*options.target, logs,
                                options.photoSources.empty() ? nullptr : &photos.records);
    if (result != kKmlWritten) {
        err << "vantora-gps: " << displayName(*options.target)
            << (result == kKmlCannotCreate ? " cannot be created" : ": writing failed") << "\n";
        return kExitSomeFailed;
    }
    return allTaken ? kExitOk : kExitSomeFailed;
}

}  // namespace vantora::cli
