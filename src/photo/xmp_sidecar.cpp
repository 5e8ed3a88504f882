#include "photo/xmp_sidecar.h"

#include <fstream>
#include <iterator>
#include <new>
#include <system_error>

#include "platform/store_files.h"

namespace vantora {

namespace fs = std::filesystem;

namespace {

// A file name in UTF-8 with the ASCII letters in lower case: "IMG_1.XMP"
// and "img_1.xmp" are one sidecar to the programs that write them. Empty
// for a name that is not valid Unicode (it then matches nothing).
std::string foldedName(const fs::path& name)
{
    std::u8string utf8;
    try {
        utf8 = name.u8string();
    } catch (const std::exception&) {
        return {};
    }
    std::string folded(utf8.begin(), utf8.end());
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

enum class ReadOutcome { read, cannotOpen, tooLarge };

ReadOutcome readBytes(const fs::path& path, std::string& bytes)
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec)
        return ReadOutcome::cannotOpen;
    if (size > kMaxSidecarBytes)
        return ReadOutcome::tooLarge;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ReadOutcome::cannotOpen;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad() || bytes.size() > kMaxSidecarBytes)
        return ReadOutcome::cannotOpen;
    return ReadOutcome::read;
}

bool isReadOnly(const fs::path& path)
{
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    return !ec && (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

// Still exactly the bytes it was read with, or still absent for a new one.
bool unchangedSince(const fs::path& path, bool creating, const std::string& readBefore)
{
    std::error_code ec;
    if (creating)
        return !fs::exists(path, ec) && !ec;
    std::string now;
    return readBytes(path, now) == ReadOutcome::read && now == readBefore;
}

// Why the temporary file could not be written.
WriteProblem problemWriting(const fs::path& temporary, std::size_t bytes)
{
    std::error_code ec;
    if (!fs::exists(temporary, ec))
        return WriteProblem::folderReadOnly;
    const fs::space_info space = fs::space(temporary.parent_path(), ec);
    if (!ec && space.available < bytes + 64 * 1024)
        return WriteProblem::diskFull;
    return WriteProblem::writeError;
}

// The new text of a sidecar, or why there is none.
std::optional<std::string> newTextOf(const fs::path& path, bool creating, std::span<const XmpProperty> props,
                                     std::string& before, SidecarWriteResult& result)
{
    if (creating)
        return newSidecarText(props);
    const ReadOutcome read = readBytes(path, before);
    if (read != ReadOutcome::read) {
        result.problem = read == ReadOutcome::tooLarge ? WriteProblem::xmpNotEditable : WriteProblem::cannotOpen;
        result.why = read == ReadOutcome::tooLarge ? "larger than 16 MiB" : "cannot be read";
        return std::nullopt;
    }
    if (isReadOnly(path)) {
        result.problem = WriteProblem::readOnly;
        return std::nullopt;
    }
    std::optional<std::string> text = withProperties(before, props, &result.why);
    if (!text)
        result.problem = WriteProblem::xmpNotEditable;
    return text;
}

SidecarWriteResult writeOne(const fs::path& path, bool creating, std::span<const XmpProperty> props,
                            const BeforeSidecarReplace& beforeReplace)
{
    SidecarWriteResult result{path, SidecarOutcome::failed, WriteProblem::writeError, {}};
    std::string before;
    const std::optional<std::string> text = newTextOf(path, creating, props, before, result);
    if (!text)
        return result;
    fs::path temporary = path;
    temporary += ".vantora-new";
    std::error_code ec;
    if (!platform::writeFileDurably(temporary, *text)) {
        result.problem = problemWriting(temporary, text->size());
        fs::remove(temporary, ec);
        return result;
    }
    if (beforeReplace)
        beforeReplace(path);
    if (!unchangedSince(path, creating, before)) {
        result.problem = WriteProblem::changed;
        fs::remove(temporary, ec);
        return result;
    }
    if (!creating)
        fs::permissions(temporary, fs::status(path, ec).permissions(), ec);
    if (!platform::replaceFile(temporary, path)) {
        fs::remove(temporary, ec);
        return result;
    }
    result.outcome = creating ? SidecarOutcome::created : SidecarOutcome::written;
    return result;
}

}  // namespace

// A listing cut short by a lack of memory holds what it found so far; a
// write still finds out for itself whether its sidecar exists.
FolderListing::FolderListing(const fs::path& folder) : folder_(folder)
{
    try {
        std::error_code ec;
        for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            std::error_code typeError;
            const std::string folded = foldedName(it->path().filename());
            if (!folded.empty() && it->is_regular_file(typeError))
                byFoldedName_[folded].push_back(it->path().filename());
        }
    } catch (const std::exception&) {
    }
}

std::optional<fs::path> FolderListing::find(const fs::path& name) const
{
    const auto found = byFoldedName_.find(foldedName(name));
    if (found == byFoldedName_.end())
        return std::nullopt;
    for (const fs::path& entry : found->second)
        if (entry == name)
            return folder_ / entry;
    return folder_ / found->second.front();
}

SidecarPaths sidecarPathsOf(const fs::path& photo, const FolderListing* listing)
{
    SidecarPaths paths;
    try {
        const fs::path folder = photo.parent_path();
        std::optional<FolderListing> ownListing;
        if (listing == nullptr)
            listing = &ownListing.emplace(folder);
        fs::path stemName = photo.stem();
        stemName += ".xmp";
        fs::path fullName = photo.filename();
        fullName += ".xmp";
        const auto stemFile = listing->find(stemName);
        const auto fullFile = fullName == stemName ? std::nullopt : listing->find(fullName);
        paths.stemName = stemFile.value_or(folder / stemName);
        paths.fullName = fullFile.value_or(folder / fullName);
        if (stemFile)
            paths.existing.push_back(*stemFile);
        if (fullFile)
            paths.existing.push_back(*fullFile);
    } catch (const std::exception&) {
        // Out of memory: what was found so far. A sidecar thought absent is
        // never overwritten, since a new one is put in place only where
        // none exists.
    }
    return paths;
}

SidecarReading readSidecar(const fs::path& photo, const FolderListing* listing)
{
    SidecarReading reading;
    try {
        for (const fs::path& path : sidecarPathsOf(photo, listing).existing) {
            std::string bytes;
            const ReadOutcome read = readBytes(path, bytes);
            if (read != ReadOutcome::read) {
                reading.skipped.push_back({path, read == ReadOutcome::tooLarge ? "larger than 16 MiB" : "cannot be read"});
                continue;
            }
            const std::optional<XmpPhotoValues> values = readXmpValues(bytes);
            if (!values) {
                reading.skipped.push_back({path, "not well-formed XMP"});
                continue;
            }
            fillMissing(reading.values, *values);
            reading.read.push_back(path);
        }
    } catch (const std::exception&) {
        reading.skipped.push_back({photo, "not enough memory, or a name that cannot be read"});
    }
    return reading;
}

std::vector<SidecarWriteResult> writeSidecars(const fs::path& photo, std::span<const XmpProperty> props,
                                              const BeforeSidecarReplace& beforeReplace)
{
    std::vector<SidecarWriteResult> results;
    try {
        const SidecarPaths paths = sidecarPathsOf(photo);
        if (paths.existing.empty())
            results.push_back(writeOne(paths.stemName, true, props, beforeReplace));
        for (const fs::path& path : paths.existing)
            results.push_back(writeOne(path, false, props, beforeReplace));
    } catch (const std::exception&) {
        results.push_back({photo, SidecarOutcome::failed, WriteProblem::writeError, "not enough memory"});
    }
    return results;
}

}  // namespace vantora
