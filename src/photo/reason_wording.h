#pragma once
// A match's reason in words: Japanese for the windows, English for the
// command-line tool, both UTF-8. The figures come from the reason alone.

#include <string>

#include "photo/match_reason.h"

namespace vantora {

// A length of time as a person reads it: "40秒", "1分30秒", "5分",
// "2時間10分", "3日4時間"; the parts below the two largest are dropped
// (not rounded), so "5分" is 5 to 5 minutes 59 seconds from ten minutes on.
std::string durationJapanese(TimeValue seconds);
// The same in English: "40 s", "1 min 30 s", "5 min", "2 h 10 min", "3 d 4 h".
std::string durationEnglish(TimeValue seconds);

// One short sentence for a tooltip, for example
// "トラックの開始より5分前（最初の記録 09:30:00 の位置を使用）".
std::string reasonJapanese(const MatchReason& reason);
// For example "5 min before the first fix of the track; the fix of 09:30:00 copied".
std::string reasonEnglish(const MatchReason& reason);

// "トラックの範囲外", "ログの間隔の中", "位置を計算できない間隔".
const char* doubtfulKindJapanese(DoubtfulKind kind);

// The groups that have photos, in that order: "トラックの範囲外: 2、ログの間隔の中: 1";
// empty when there is none.
std::string doubtfulCountsJapanese(const DoubtfulCounts& counts);
// "outside the track 2, in a gap 1"; empty when there is none.
std::string doubtfulCountsEnglish(const DoubtfulCounts& counts);

}  // namespace vantora
