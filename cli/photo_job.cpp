#include "photo_job.h"

#include <algorithm>
#include <ostream>
#include <system_error>

#include "console_dialogs.h"
#include "photo/photo_batch.h"
#include "photo/photo_list.h"
#include "photo/photo_reading.h"
#include "photo/photo_sources.h"
#include "tracklog/path_text.h"
#include "tracklog/track_span_scan.h"
#include "unit/log_registration.h"

namespace vantora::cli {

namespace {

bool parseDigits(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 2)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// What a folder of logs contributes: the logger's .log files and GPX files.
bool isTrackFileName(const std::filesystem::path& path)
{
    const auto extension = path.extension();
    return equalPathsIgnoringCase(extension, std::filesystem::path(".log")) ||
           equalPathsIgnoringCase(extension, std::filesystem::path(".gpx"));
}

std::vector<std::filesystem::path> logFilesIn(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(folder, error), end;
         !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) && isTrackFileName(it->path()))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool isFolder(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool pathExists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Why the photo list did not take a photo, as true as can be told.
std::string whyNotAdded(const std::filesystem::path& path, bool limitReached)
{
    if (!pathExists(path))
        return "not found";
    if (limitReached)
        return "the list already holds 2000 photos";
    PhotoExifData exif;
    if (readPhoto(path, exif) == kPhotoVersionRefused)
        return "not Exif 2.1 or later (no Exif version, or Exif 1.x or 2.0)";
    return "not a JPEG with Exif, or unreadable";
}

// One file at a time, so that each refusal can be named.
bool loadLogFile(LogList& logs, UserDialogs& dialogs, const std::filesystem::path& file, std::ostream& err,
                 LogReading reading)
{
    LogSpanIndex guessed;
    if (reading == LogReading::endsFirst)
        if (const auto scanned = scanTrackSpan(file))
            guessed.remember(file, scanned->stamp, {scanned->span, true});
    const Registration loaded = registerLogFilesIn(logs, dialogs, {file}, false, false, &guessed);
    if (loaded.added == 1)
        return true;
    err << "vantora-gps: log " << displayName(file) << " not loaded: "
        << (loaded.overlapRefused  ? "its time span overlaps a log already loaded"
            : loaded.limitRefused ? "the list holds 1000 logs already"
                                  : whyNoTrack(file))
        << "\n";
    return false;
}

// The files the sources name: a folder's photos as the photo window loads
// them, any other path as it is.
std::vector<std::filesystem::path> photoCandidates(const std::vector<std::filesystem::path>& sources)
{
    std::vector<std::filesystem::path> candidates;
    for (const auto& source : sources) {
        if (!isFolder(source)) {
            candidates.push_back(source);
            continue;
        }
        for (auto& file : folderPhotoBatch(source))
            candidates.push_back(std::move(file));
    }
    return candidates;
}

// Names each path of the batch that the list did not take, in batch order;
// false when there was one. The list was full for a path when the photos
// held before it reached the limit.
bool nameRefusedPhotos(const PhotoList& photos, const std::vector<std::filesystem::path>& batch,
                       const PhotoBatchResult& result, std::ostream& err)
{
    bool allAdded = true;
    std::size_t held = photos.records.size() - static_cast<std::size_t>(result.added);
    for (const auto& path : batch) {
        if (containsPath(photos, path)) {
            ++held;
            continue;
        }
        err << "vantora-gps: photo " << displayName(path) << " not added: "
            << whyNotAdded(path, held >= kMaxPhotos) << "\n";
        allAdded = false;
    }
    return allAdded;
}

}  // namespace

bool parseClockAmount(const std::string& text, int& hours, int& minutes, int& seconds)
{
    return text.size() == 8 && text[2] == ':' && text[5] == ':' &&
           parseDigits(text.substr(0, 2), hours) && parseDigits(text.substr(3, 2), minutes) &&
           parseDigits(text.substr(6, 2), seconds);
}

std::optional<UtcOffset> parseUtcOffset(const std::string& text)
{
    if (text.size() < 2 || (text[0] != '+' && text[0] != '-'))
        return std::nullopt;
    const std::size_t colon = text.find(':');
    int hours = 0;
    int minutes = 0;
    if (!parseDigits(text.substr(1, colon == std::string::npos ? std::string::npos : colon - 1), hours))
        return std::nullopt;
    if (colon != std::string::npos && !parseDigits(text.substr(colon + 1), minutes))
        return std::nullopt;
    if (hours > 13 || minutes > 59)
        return std::nullopt;
    return UtcOffset{text[0] == '+' ? 1 : 0, hours, minutes};
}

bool takeUtcOffset(const std::vector<Argument>& args, std::size_t& i, UtcOffset& offset)
{
    const auto parsed = i + 1 < args.size() ? parseUtcOffset(args[++i].text) : std::nullopt;
    if (parsed)
        offset = *parsed;
    return parsed.has_value();
}

std::optional<std::string> parsePhotoJob(const std::vector<Argument>& args, bool allowDryRun,
                                         PhotoJobOptions& options)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i].text;
        const bool hasValue = i + 1 < args.size();
        if (word == "--help" || word == "-h") {
            options.help = true;
        } else if (word == "--utc-offset" && hasValue && args[i + 1].text == "auto") {
            options.findClocks = true;
            ++i;
        } else if (word == "--utc-offset") {
            if (!takeUtcOffset(args, i, options.offset))
                return kUtcOffsetUsage;
        } else if (word == "--camera-offset" || word == "--sync") {
            if (const auto error = takeClockOption(args, i, options.cameraOffsets, options.syncs))
                return error;
        } else if (word == "--log") {
            if (!hasValue)
                return "--log takes a log file or a folder";
            options.logSources.push_back(args[++i].path);
        } else if (word == "--dry-run" && allowDryRun) {
            options.dryRun = true;
        } else if (word.size() > 1 && word[0] == '-') {
            return "unknown option " + word;
        } else {
            options.photoSources.push_back(args[i].path);
        }
    }
    if (options.help)
        return std::nullopt;
    if (options.logSources.empty())
        return "no log given (--log FILE_OR_DIR)";
    if (options.photoSources.empty())
        return "no photo given";
    return std::nullopt;
}

bool loadLogSources(LogList& logs, const std::vector<std::filesystem::path>& sources,
                    std::ostream& err, LogReading reading)
{
    QuietDialogs dialogs;
    bool allLoaded = true;
    for (const auto& source : sources) {
        const auto files = isFolder(source) ? logFilesIn(source)
                                            : std::vector<std::filesystem::path>{source};
        if (files.empty()) {
            err << "vantora-gps: no log file in " << displayName(source) << "\n";
            allLoaded = false;
        }
        for (const auto& file : files)
            allLoaded = loadLogFile(logs, dialogs, file, err, reading) && allLoaded;
    }
    return allLoaded;
}

bool someSpanGuessWrong(const LogList& logs)
{
    return std::any_of(logs.begin(), logs.end(), [](const auto& log) { return log->spanGuessWrong(); });
}

bool addPhotoSources(PhotoList& photos, const std::vector<std::filesystem::path>& sources,
                     std::ostream& err)
{
    const PhotoBatch batch = newPhotoBatch(photoCandidates(sources), photos);
    for (const auto& path : batch.otherKinds)
        err << "vantora-gps: " << displayName(path) << " is not a photo this program reads (JPEG, raw or HEIF)\n";
    // Left out, as the windows do, without failing the command.
    for (const auto& path : batch.duplicates)
        err << "vantora-gps: " << displayName(path) << " given twice\n";

    QuietDialogs dialogs;
    const PhotoBatchResult result =
        addPhotoBatch(dialogs, batch.paths, !batch.duplicates.empty(), photos, photos.offset);
    const bool allRead = nameRefusedPhotos(photos, batch.paths, result, err);
    return batch.otherKinds.empty() && allRead && !result.limitReached;
}

}  // namespace vantora::cli
