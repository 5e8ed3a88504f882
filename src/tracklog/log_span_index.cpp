#include "tracklog/log_span_index.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace vantora {

namespace {

constexpr std::string_view kHeader = "vantora-log-spans 1";
constexpr std::size_t kFixFields = 12;
constexpr std::size_t kFields = 6 + 2 * kFixFields;  // path, size, time, count, first, last, two fixes

void appendNumber(std::string& text, long long value)
{
    text += '\t';
    text += std::to_string(value);
}

void appendFix(std::string& text, const StoredFix& fix)
{
    for (const StoredAxis* axis : {&fix.latitude, &fix.longitude}) {
        appendNumber(text, axis->degrees);
        appendNumber(text, axis->tenths);
        appendNumber(text, axis->shownTenths);
        appendNumber(text, axis->minutes);
        appendNumber(text, static_cast<unsigned char>(axis->letter));
    }
    appendNumber(text, static_cast<unsigned char>(fix.status));
    appendNumber(text, fix.dayPastMonthEnd ? 1 : 0);
}

// Reads the fields of a line one after the other; any field that is not a
// number in its range makes the whole line fail.
class FieldReader {
public:
    explicit FieldReader(const std::vector<std::string_view>& fields) : fields_(fields) {}

    template <class T>
    T next(long long lowest, long long highest)
    {
        long long value = 0;
        const std::string_view field = at_ < fields_.size() ? fields_[at_++] : std::string_view{};
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
        if (field.empty() || error != std::errc{} || end != field.data() + field.size() || value < lowest ||
            value > highest)
            ok_ = false;
        return static_cast<T>(value);
    }
    bool ok() const { return ok_; }

private:
    const std::vector<std::string_view>& fields_;
    std::size_t at_ = 1;  // the path is taken apart
    bool ok_ = true;
};

StoredFix readFix(FieldReader& reader)
{
    StoredFix fix;
    for (StoredAxis* axis : {&fix.latitude, &fix.longitude}) {
        axis->degrees = reader.next<std::uint16_t>(0, 0xFFFF);
        axis->tenths = reader.next<std::uint16_t>(0, 0xFFFF);
        axis->shownTenths = reader.next<std::uint16_t>(0, 0xFFFF);
        axis->minutes = reader.next<std::uint8_t>(0, 0xFF);
        axis->letter = static_cast<char>(reader.next<unsigned char>(0, 0xFF));
    }
    fix.status = static_cast<char>(reader.next<unsigned char>(0, 0xFF));
    fix.dayPastMonthEnd = reader.next<int>(0, 1) == 1;
    return fix;
}

std::vector<std::string_view> split(std::string_view line, char separator)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = line.find(separator, start);
        parts.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

// The path as UTF-8; empty for a name that is not valid text (a lone
// surrogate on Windows), which is then never remembered.
std::u8string utf8Of(const std::filesystem::path& path)
{
    try {
        return path.u8string();
    } catch (...) {
        return {};
    }
}

bool keepable(const std::u8string& path)
{
    return !path.empty() && path.find_first_of(u8"\t\r\n") == std::u8string::npos;
}

}  // namespace

std::optional<KnownSpan> LogSpanIndex::spanOf(const std::filesystem::path& path, const FileStamp& stamp) const
{
    const std::u8string key = utf8Of(path);
    const auto found = std::lower_bound(entries_.begin(), entries_.end(), key,
                                        [](const Entry& e, const std::u8string& k) { return e.path < k; });
    if (key.empty() || found == entries_.end() || found->path != key || !(found->stamp == stamp))
        return std::nullopt;
    return found->known;
}

void LogSpanIndex::remember(const std::filesystem::path& path, const FileStamp& stamp, const KnownSpan& known)
{
    const std::u8string key = utf8Of(path);
    if (key.empty())
        return;
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), key,
                                     [](const Entry& e, const std::u8string& k) { return e.path < k; });
    if (at != entries_.end() && at->path == key)
        *at = Entry{key, stamp, known};
    else
        entries_.insert(at, Entry{key, stamp, known});
}

std::string LogSpanIndex::textOf(const std::vector<const LogFileRecord*>& logs)
{
    std::string text(kHeader);
    text += '\n';
    for (const LogFileRecord* log : logs) {
        const std::u8string path = utf8Of(log->path);
        // Only a span whose end fixes restore can stand for the log.
        if (!log->stamp || log->empty() || log->spanGuessed() || !keepable(path) || !storeFix(log->firstPoint(), log->firstTime()) ||
            !storeFix(log->lastPoint(), log->lastTime()))
            continue;
        text.append(path.begin(), path.end());
        appendNumber(text, static_cast<long long>(log->stamp->size));
        appendNumber(text, log->stamp->modified);
        appendNumber(text, static_cast<long long>(log->pointCount()));
        appendNumber(text, log->firstTime());
        appendNumber(text, log->lastTime());
        appendFix(text, log->span().firstFix);
        appendFix(text, log->span().lastFix);
        text += '\n';
    }
    return text;
}

LogSpanIndex LogSpanIndex::fromText(std::string_view text)
{
    LogSpanIndex index;
    std::vector<std::string_view> lines = split(text, '\n');
    if (lines.empty() || lines.front() != kHeader)
        return index;
    constexpr long long kMost = 0x7FFFFFFFFFFFFFFFll;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string_view> fields = split(lines[i], '\t');
        if (fields.size() != kFields || fields[0].empty())
            continue;
        FieldReader reader(fields);
        Entry entry;
        entry.path.assign(fields[0].begin(), fields[0].end());
        entry.stamp.size = reader.next<std::uint64_t>(0, kMost);
        entry.stamp.modified = reader.next<std::int64_t>(-kMost, kMost);
        entry.known.span.pointCount = reader.next<std::size_t>(1, 0x7FFFFFFF);
        entry.known.span.firstTime = reader.next<TimeValue>(-kMost, kMost);
        entry.known.span.lastTime = reader.next<TimeValue>(-kMost, kMost);
        entry.known.span.firstFix = readFix(reader);
        entry.known.span.lastFix = readFix(reader);
        // A span that does not restore is worth nothing: read the log again.
        if (reader.ok() && restoreFix(entry.known.span.firstFix, entry.known.span.firstTime) &&
            restoreFix(entry.known.span.lastFix, entry.known.span.lastTime))
            index.entries_.push_back(std::move(entry));
    }
    std::sort(index.entries_.begin(), index.entries_.end(),
              [](const Entry& a, const Entry& b) { return a.path < b.path; });
    return index;
}

}  // namespace vantora
