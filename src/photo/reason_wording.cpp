#include "photo/reason_wording.h"

#include <cstdlib>
#include <string_view>

#include "platform/code_page.h"

namespace vantora {

namespace {

// The units of a duration, largest first, and their words.
struct DurationWords {
    const char* day;
    const char* hour;
    const char* minute;
    const char* second;
    const char* gap;  // between a number and its unit, and between parts
};
constexpr DurationWords kJapaneseUnits{"日", "時間", "分", "秒", ""};
constexpr DurationWords kEnglishUnits{"d", "h", "min", "s", " "};

void appendPart(std::string& text, TimeValue value, const char* unit, const DurationWords& words)
{
    if (!text.empty())
        text += words.gap;
    text += std::to_string(value);
    text += words.gap;
    text += unit;
}

// Two parts at most, the second left out when it is zero; seconds only
// under ten minutes, where they still matter against the ten-minute rule.
std::string duration(TimeValue seconds, const DurationWords& words)
{
    const TimeValue s = std::llabs(seconds);
    std::string text;
    if (s < 60) {
        appendPart(text, s, words.second, words);
    } else if (s < 3600) {
        appendPart(text, s / 60, words.minute, words);
        if (s < 600 && s % 60 != 0)
            appendPart(text, s % 60, words.second, words);
    } else if (s < 86400) {
        appendPart(text, s / 3600, words.hour, words);
        if (s / 60 % 60 != 0)
            appendPart(text, s / 60 % 60, words.minute, words);
    } else {
        appendPart(text, s / 86400, words.day, words);
        if (s / 3600 % 24 != 0)
            appendPart(text, s / 3600 % 24, words.hour, words);
    }
    return text;
}

// The copied fix's time on the camera's clock: the time of day when the
// photo may be less than a day from it, else the date too.
std::string fixTime(const MatchReason& reason)
{
    const auto t = fromTimeValue(reason.copiedFixOnCameraClock);
    if (!t)
        return "?";
    const std::string text = t->dateTimeText;  // "2008/05/01 09:30:00"
    // Across a long gap the nearer fix may be up to half the gap away.
    const TimeValue apart = reason.kind == MatchKind::noPositionInGap ? reason.gap / 2 : std::llabs(reason.distance);
    return apart < 86400 && text.size() > 11 ? text.substr(11) : text;
}

std::string logName(const std::filesystem::path& log)
{
    return platform::utf8FromPath(log.filename());
}

std::string gapJapanese(const MatchReason& reason)
{
    std::string text = reason.betweenLogs()
                           ? logName(reason.logBefore) + " と " + logName(reason.logAfter) +
                                 " の間の" + durationJapanese(reason.gap) + "の空白"
                           : "ログの記録が途切れた" + durationJapanese(reason.gap) + "の間";
    if (reason.samePlace)
        text += "（前後は50m以内の同じ場所）";
    return text;
}

std::string gapEnglish(const MatchReason& reason)
{
    std::string text = "in a gap of " + durationEnglish(reason.gap);
    if (reason.betweenLogs())
        text += " between " + logName(reason.logBefore) + " and " + logName(reason.logAfter);
    if (reason.samePlace)
        text += "; the same place on both sides (within 50 m)";
    return text;
}

void appendCount(std::string& text, const char* name, int count, std::string_view separator,
                 std::string_view between)
{
    if (count == 0)
        return;
    if (!text.empty())
        text += separator;
    text += name;
    text += between;
    text += std::to_string(count);
}

}  // namespace

std::string durationJapanese(TimeValue seconds)
{
    return duration(seconds, kJapaneseUnits);
}

std::string durationEnglish(TimeValue seconds)
{
    return duration(seconds, kEnglishUnits);
}

std::string reasonJapanese(const MatchReason& reason)
{
    switch (reason.kind) {
    case MatchKind::notMatched: return "照合するログがありません";
    case MatchKind::atFix: return "ログの記録と同じ時刻です";
    case MatchKind::betweenFixes:
        return durationJapanese(reason.gap) + "間隔の2つの記録の間（位置を補間）";
    case MatchKind::beforeTrack:
        return "トラックの開始より" + durationJapanese(reason.distance) + "前（最初の記録 " +
               fixTime(reason) + " の位置を使用）";
    case MatchKind::afterTrack:
        return "トラックの終了より" + durationJapanese(reason.distance) + "後（最後の記録 " +
               fixTime(reason) + " の位置を使用）";
    case MatchKind::inGap: return gapJapanese(reason);
    case MatchKind::noPositionInGap:
        return "前後の記録が" + durationJapanese(reason.gap) +
               "離れていて位置を計算できません（近い方の記録 " + fixTime(reason) + " を使用）";
    case MatchKind::noShootingTime: return "撮影日時がありません";
    case MatchKind::unreadableShootingTime: return "撮影日時を読み取れません";
    case MatchKind::logUnreadable:
        return "ログ " + logName(reason.logBefore) + " を読み込めません（削除または変更されています）";
    }
    return {};
}

std::string reasonEnglish(const MatchReason& reason)
{
    switch (reason.kind) {
    case MatchKind::notMatched: return "no log to match against";
    case MatchKind::atFix: return "at a fix";
    case MatchKind::betweenFixes: return "between two fixes " + durationEnglish(reason.gap) + " apart";
    case MatchKind::beforeTrack:
        return durationEnglish(reason.distance) + " before the first fix of the track; the fix of " +
               fixTime(reason) + " copied";
    case MatchKind::afterTrack:
        return durationEnglish(reason.distance) + " after the last fix of the track; the fix of " +
               fixTime(reason) + " copied";
    case MatchKind::inGap: return gapEnglish(reason);
    case MatchKind::noPositionInGap:
        return "no position: the fixes around it are " + durationEnglish(reason.gap) +
               " apart; the nearer, of " + fixTime(reason) + ", copied";
    case MatchKind::noShootingTime: return "no shooting time";
    case MatchKind::unreadableShootingTime: return "the shooting time cannot be read";
    case MatchKind::logUnreadable:
        return "the log " + logName(reason.logBefore) + " can no longer be read (removed or changed)";
    }
    return {};
}

const char* doubtfulKindJapanese(DoubtfulKind kind)
{
    switch (kind) {
    case DoubtfulKind::outsideTrack: return "トラックの範囲外";
    case DoubtfulKind::inGap: return "ログの間隔の中";
    case DoubtfulKind::noPosition: return "位置を計算できない間隔";
    }
    return "";
}

std::string doubtfulCountsJapanese(const DoubtfulCounts& counts)
{
    std::string text;
    appendCount(text, doubtfulKindJapanese(DoubtfulKind::outsideTrack), counts.outsideTrack, "、", ": ");
    appendCount(text, doubtfulKindJapanese(DoubtfulKind::inGap), counts.inGap, "、", ": ");
    appendCount(text, doubtfulKindJapanese(DoubtfulKind::noPosition), counts.noPosition, "、", ": ");
    return text;
}

std::string doubtfulCountsEnglish(const DoubtfulCounts& counts)
{
    std::string text;
    appendCount(text, "outside the track", counts.outsideTrack, ", ", " ");
    appendCount(text, "in a gap", counts.inGap, ", ", " ");
    appendCount(text, "no position (fixes 10 h or more apart)", counts.noPosition, ", ", " ");
    return text;
}

}  // namespace vantora
