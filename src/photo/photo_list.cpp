#include "photo/photo_list.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "tracklog/time_values.h"

namespace vantora {

namespace {

// Works on code units, so it serves the UTF-16 paths of Windows and the
// UTF-8 paths of Linux alike; non-ASCII units compare as they are.
template <typename Char>
Char foldAsciiLetter(Char c)
{
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

template <typename Char>
bool equalIgnoringAsciiCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](Char x, Char y) {
               return foldAsciiLetter(x) == foldAsciiLetter(y);
           });
}

template <typename Char>
bool extensionIs(std::basic_string_view<Char> extension, std::string_view ascii)
{
    if (extension.size() != ascii.size())
        return false;
    for (std::size_t i = 0; i < ascii.size(); ++i)
        if (foldAsciiLetter(extension[i]) != static_cast<Char>(ascii[i]))
            return false;
    return true;
}

struct KindByExtension {
    std::string_view extension;  // lower case
    FileKind kind;
};

// The raw extensions are those of the raw files the Exif library reads:
// TIFF-based ones, CR3 and RAF.
constexpr std::array<KindByExtension, 30> kKindsByExtension{{
    {"bmp", FileKind::bitmap},
    {"jpg", FileKind::jpeg},
    {"jpeg", FileKind::jpeg},
    {"jpe", FileKind::jpeg},
    {"avi", FileKind::avi},
    {"mpg", FileKind::mpeg},
    {"mpeg", FileKind::mpeg},
    {"wav", FileKind::wave},
    {"mp3", FileKind::mp3},
    {"cr2", FileKind::rawPhoto},
    {"cr3", FileKind::rawPhoto},
    {"nef", FileKind::rawPhoto},
    {"nrw", FileKind::rawPhoto},
    {"arw", FileKind::rawPhoto},
    {"sr2", FileKind::rawPhoto},
    {"srf", FileKind::rawPhoto},
    {"dng", FileKind::rawPhoto},
    {"orf", FileKind::rawPhoto},
    {"rw2", FileKind::rawPhoto},
    {"rwl", FileKind::rawPhoto},
    {"pef", FileKind::rawPhoto},
    {"srw", FileKind::rawPhoto},
    {"erf", FileKind::rawPhoto},
    {"3fr", FileKind::rawPhoto},
    {"iiq", FileKind::rawPhoto},
    {"raf", FileKind::rawPhoto},
    {"heic", FileKind::heifPhoto},
    {"heif", FileKind::heifPhoto},
    {"hif", FileKind::heifPhoto},
    {"avif", FileKind::heifPhoto},
}};

}  // namespace

FileKind fileKindOf(const std::filesystem::path& path)
{
    using Char = std::filesystem::path::value_type;
    const std::basic_string_view<Char> whole = path.native();
    const auto dot = whole.rfind(Char('.'));
    const auto extension = dot == whole.npos ? whole : whole.substr(dot + 1);
    for (const auto& entry : kKindsByExtension)
        if (extensionIs(extension, entry.extension))
            return entry.kind;
    return FileKind::other;
}

bool admitsToPhotoList(FileKind kind)
{
    return kind == FileKind::jpeg || kind == FileKind::rawPhoto || kind == FileKind::heifPhoto;
}

bool samePhotoPath(const std::filesystem::path& a, const std::filesystem::path& b)
{
    using Char = std::filesystem::path::value_type;
    return equalIgnoringAsciiCase<Char>(a.native(), b.native());
}

std::filesystem::path::string_type photoPathKey(const std::filesystem::path& path)
{
    auto key = path.native();
    for (auto& c : key)
        c = foldAsciiLetter(c);
    return key;
}

bool containsPath(const PhotoList& list, const std::filesystem::path& path)
{
    return std::any_of(list.records.begin(), list.records.end(),
                       [&](const PhotoRecord& record) { return samePhotoPath(record.exif.path, path); });
}

void removeAt(PhotoList& list, std::size_t index)
{
    if (index < list.records.size())
        list.records.erase(list.records.begin() + static_cast<std::ptrdiff_t>(index));
}

void removeAll(PhotoList& list)
{
    list.records.clear();
}

void clearMatches(PhotoList& list)
{
    for (PhotoRecord& record : list.records) {
        record.match.reset();
        record.doubtful = 0;
        record.matchedLogPath.clear();
        record.reason = MatchReason{};
    }
}

std::size_t countDoubtful(const PhotoList& list)
{
    return static_cast<std::size_t>(
        std::count_if(list.records.begin(), list.records.end(),
                      [](const PhotoRecord& record) { return record.doubtful != 0; }));
}

PhotoRecord copyRecord(const PhotoRecord& record)
{
    // Every part of a record is a value (the path and the match included),
    // so a plain copy shares nothing with the original.
    return record;
}

void sortByShootingTime(PhotoList& list)
{
    struct Key {
        std::optional<TimeValue> instant;
        std::size_t index;
    };
    try {
        std::vector<Key> keys;
        keys.reserve(list.records.size());
        for (std::size_t i = 0; i < list.records.size(); ++i)
            keys.push_back({toTimeValue(list.records[i].exif.shootingTime), i});

        // Stable, so photos of equal times, and all those without a usable
        // time, keep the order they had.
        std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
            if (!a.instant || !b.instant)
                return a.instant.has_value() && !b.instant.has_value();
            return *a.instant < *b.instant;
        });

        std::vector<PhotoRecord> sorted;
        sorted.reserve(keys.size());
        for (const Key& key : keys)
            sorted.push_back(std::move(list.records[key.index]));
        list.records = std::move(sorted);
    } catch (const std::bad_alloc&) {
        // Out of memory before anything moved: the list keeps its old order.
    }
}

}  // namespace vantora
