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

void loadLogFiles(LogList& list, const std::vector<std::filesystem::path>& paths, int& added,
                  bool& overlapRefused, bool& limitRefused, const StepCallback& progress)
{
    added = 0;
    overlapRefused = false;
    const int total = static_cast<int>(paths.size());
    for (int i = 0; i < total; ++i) {
        auto record = std::make_unique<LogFileRecord>();
        if (readTrackLog(paths[static_cast<std::size_t>(i)], *record).read()) {
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
