#include "photo_job.h"

#include <algorithm>
#include <ostream>
#include <system_error>

#include "photo/photo_list.h"
#include "photo/photo_reading.h"
#include "photo/photo_sources.h"
#include "tracklog/path_text.h"

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

std::vector<std::filesystem::path> logFilesIn(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(folder, error), end;
         !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) &&
            equalPathsIgnoringCase(it->path().extension(), std::filesystem::path(".log")))
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
        } else if (word == "--utc-offset") {
            if (!takeUtcOffset(args, i, options.offset))
                return kUtcOffsetUsage;
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
                    std::ostream& err)
{
    bool allLoaded = true;
    for (const auto& source : sources) {
        const auto files = isFolder(source) ? logFilesIn(source)
                                            : std::vector<std::filesystem::path>{source};
        if (files.empty()) {
            err << "vantora-gps: no log file in " << displayName(source) << "\n";
            allLoaded = false;
        }
        for (const auto& file : files) {
            // One file at a time, so that each refusal can be named.
            int added = 0;
            bool overlapRefused = false;
            bool limitRefused = false;
            loadLogFiles(logs, {file}, added, overlapRefused, limitRefused);
            if (added == 1)
                continue;
            allLoaded = false;
            err << "vantora-gps: log " << displayName(file) << " not loaded: "
                << (overlapRefused  ? "its time span overlaps a log already loaded"
                    : limitRefused ? "the list holds 1000 logs already"
                    : !pathExists(file) ? "not found"
                                   : "no valid fix in the log")
                << "\n";
        }
    }
    return allLoaded;
}

bool addPhotoSources(PhotoList& photos, const std::vector<std::filesystem::path>& sources,
                     std::ostream& err)
{
    bool allAdded = true;
    std::vector<std::filesystem::path> batch;
    for (const auto& source : sources) {
        if (isFolder(source)) {
            for (auto& file : folderPhotoBatch(source))
                batch.push_back(std::move(file));
        } else if (fileKindOf(source) == FileKind::jpeg) {
            batch.push_back(source);
        } else {
            err << "vantora-gps: " << displayName(source) << " is not a JPEG file\n";
            allAdded = false;
        }
    }

    // Leave out duplicates, as the windows do.
    std::vector<std::filesystem::path> unique;
    for (const auto& path : batch) {
        const bool seen = std::any_of(unique.begin(), unique.end(), [&](const auto& other) {
            return equalPathsIgnoringCase(other, path);
        });
        if (seen || containsPath(photos, path))
            err << "vantora-gps: " << displayName(path) << " given twice\n";
        else
            unique.push_back(path);
    }

    // The callback sees each path after it was handled; a list that did not
    // grow means that photo was refused.
    std::size_t before = photos.records.size();
    int added = 0;
    bool limitReached = false;
    addPhotos(photos, unique, added, limitReached, [&](int position, int) {
        if (photos.records.size() == before) {
            const auto& path = unique[static_cast<std::size_t>(position - 1)];
            err << "vantora-gps: photo " << displayName(path) << " not added: "
                << whyNotAdded(path, photos.records.size() >= kMaxPhotos) << "\n";
            allAdded = false;
        }
        before = photos.records.size();
        return 0;
    });
    return allAdded && !limitReached;
}

}  // namespace vantora::cli
