#include "tracklog/log_list.h"

#include <algorithm>

#include "tracklog/track_reader.h"
#include "tracklog/path_text.h"

namespace vantora {

bool startsBefore(const LogFileRecord& a, const LogFileRecord& b)
{
    return a.firstTime() < b.firstTime();
}

bool overlapsAny(const LogList& list, const LogFileRecord& candidate)
{
    if (candidate.empty())
        return false;
    return std::any_of(list.begin(), list.end(), [&](const auto& listed) {
        return !listed->empty() && candidate.firstTime() <= listed->lastTime() &&
               candidate.lastTime() >= listed->firstTime();
    });
}

namespace {

// The log a path stands for: from its remembered span when the file is
// unchanged, else read whole. None for a file that gives no point.
std::unique_ptr<LogFileRecord> logAt(const std::filesystem::path& path, const LogSpanIndex* known)
{
    const auto stamp = stampOf(path);
    if (stamp && known)
        if (const auto span = known->spanOf(path, *stamp))
            return std::make_unique<LogFileRecord>(
                span->guessed ? LogFileRecord::fromGuessedSpan(path, *stamp, span->span)
                              : LogFileRecord::fromSpan(path, *stamp, span->span));
    auto record = std::make_unique<LogFileRecord>();
    if (!readTrackLog(path, *record).read())
        return nullptr;
    if (stamp) {
        // Taken before the read: a change while reading shows next time.
        record->stamp = stamp;
        record->markReadableAgain();
    }
    return record;
}

}  // namespace

void loadLogFiles(LogList& list, const std::vector<std::filesystem::path>& paths, int& added,
                  bool& overlapRefused, bool& limitRefused, const StepCallback& progress,
                  const LogSpanIndex* known)
{
    added = 0;
    overlapRefused = false;
    const int total = static_cast<int>(paths.size());
    for (int i = 0; i < total; ++i) {
        auto record = logAt(paths[static_cast<std::size_t>(i)], known);
        if (record) {
            record->releasePoints();
            const bool overlap = overlapsAny(list, *record);
            if (overlap)
                overlapRefused = true;
            const bool full = list.size() >= kMaxLogFiles;
            limitRefused = full;
            if (!overlap && !full) {
                // Inserting at the ordered place keeps the list as a full
                // re-sort would: first-fix times are distinct in a list.
                const auto at = std::upper_bound(
                    list.begin(), list.end(), record,
                    [](const auto& a, const auto& b) { return startsBefore(*a, *b); });
                list.insert(at, std::move(record));
                ++added;
            }
        }
        if (progress)
            progress(i, total);
    }
}

bool containsPath(const LogList& list, const std::filesystem::path& path)
{
    return std::any_of(list.begin(), list.end(), [&](const auto& record) {
        return equalPathsIgnoringCase(record->path, path);
    });
}

void removeAt(LogList& list, std::size_t index)
{
    if (index < list.size())
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
}

void removeAll(LogList& list)
{
    list.clear();
}

}  // namespace vantora
