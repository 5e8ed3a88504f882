#include "photo/match_reason.h"

#include "photo/photo_record.h"

namespace vantora {

std::optional<DoubtfulKind> doubtfulKindOf(MatchKind kind)
{
    switch (kind) {
    case MatchKind::beforeTrack:
    case MatchKind::afterTrack: return DoubtfulKind::outsideTrack;
    case MatchKind::inGap: return DoubtfulKind::inGap;
    case MatchKind::noPositionInGap: return DoubtfulKind::noPosition;
    default: return std::nullopt;
    }
}

void addDoubtful(DoubtfulCounts& counts, MatchKind kind)
{
    const auto group = doubtfulKindOf(kind);
    if (!group)
        return;  // marked doubtful by other means than matching: no group to name
    switch (*group) {
    case DoubtfulKind::outsideTrack: ++counts.outsideTrack; break;
    case DoubtfulKind::inGap: ++counts.inGap; break;
    case DoubtfulKind::noPosition: ++counts.noPosition; break;
    }
}

DoubtfulCounts countDoubtfulByKind(const PhotoList& list)
{
    DoubtfulCounts counts;
    for (const PhotoRecord& record : list.records)
        if (record.match && record.doubtful != 0)
            addDoubtful(counts, record.reason.kind);
    return counts;
}

}  // namespace vantora
