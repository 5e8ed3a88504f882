#include "tracklog/log_points.h"

#include <algorithm>

namespace vantora {

TrackPoint LogPoints::operator[](std::size_t i) const
{
    if (!whole_.empty()) {
        const auto kept = std::lower_bound(whole_.begin(), whole_.end(), i,
                                           [](const auto& entry, std::size_t at) { return entry.first < at; });
        if (kept != whole_.end() && kept->first == i)
            return kept->second;
    }
    // Every stored instant has a calendar date: storeFix checked it.
    return restoreFix(fixes_[i], times_[i]).value_or(TrackPoint{});
}

std::optional<StoredFix> LogPoints::append(const TrackPoint& point, TimeValue instant)
{
    const auto stored = storeFix(point, instant);
    if (!stored)
        whole_.emplace_back(times_.size(), point);
    fixes_.push_back(stored.value_or(StoredFix{}));
    times_.push_back(instant);
    return stored;
}

void LogPoints::clear()
{
    fixes_.clear();
    times_.clear();
    whole_.clear();
}

}  // namespace vantora
