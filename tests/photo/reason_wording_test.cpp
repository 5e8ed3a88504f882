// The words of a match's reason: durations as a person reads them, one
// sentence per kind in Japanese and English, and the doubtful photos
// counted by group.

#include <gtest/gtest.h>

#include <string>

#include "photo/reason_wording.h"
#include "photo/track_builder.h"
#include "support/time_zone.h"

namespace vantora {
namespace {

TEST(Durations, areWrittenWithTheirTwoLargestPartsInBothLanguages)
{
    struct Case {
        TimeValue seconds;
        const char* japanese;
        const char* english;
    };
    const Case cases[] = {
        {0, "0秒", "0 s"},
        {40, "40秒", "40 s"},
        {60, "1分", "1 min"},
        {90, "1分30秒", "1 min 30 s"},
        {599, "9分59秒", "9 min 59 s"},
        {300, "5分", "5 min"},
        {659, "10分", "10 min"},  // from ten minutes on, seconds no longer count
        {3599, "59分", "59 min"},
        {3600, "1時間", "1 h"},
        {7800, "2時間10分", "2 h 10 min"},
        {8759, "2時間25分", "2 h 25 min"},
        {86399, "23時間59分", "23 h 59 min"},
        {3 * 86400 + 4 * 3600 + 59, "3日4時間", "3 d 4 h"},
        {-300, "5分", "5 min"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(durationJapanese(c.seconds), c.japanese) << c.seconds;
        EXPECT_EQ(durationEnglish(c.seconds), c.english) << c.seconds;
    }
}

MatchReason reasonOf(MatchKind kind, TimeValue distance = 0, TimeValue gap = 0)
{
    MatchReason reason;
    reason.kind = kind;
    reason.distance = distance;
    reason.gap = gap;
    return reason;
}

TEST(Reasons, sayWhatMatchingFoundWithItsFigures)
{
    test::ScopedTimeZone tz("JST-9");
    const TimeValue nineThirty = toTimeValue(test::dateTime(2008, 5, 1, 9, 30, 0)).value();
    MatchReason before = reasonOf(MatchKind::beforeTrack, 300);
    before.copiedFixOnCameraClock = nineThirty;
    MatchReason longAfter = reasonOf(MatchKind::afterTrack, 2 * 86400);
    longAfter.copiedFixOnCameraClock = nineThirty;
    MatchReason betweenLogs = reasonOf(MatchKind::inGap, 0, 8700);
    betweenLogs.logBefore = "logs/093000.log";
    betweenLogs.logAfter = "logs/121000.log";
    MatchReason gone = reasonOf(MatchKind::logUnreadable);
    gone.logBefore = "logs/093000.log";
    MatchReason stop = reasonOf(MatchKind::inGap, 0, 1800);
    stop.samePlace = true;
    MatchReason far = reasonOf(MatchKind::noPositionInGap, 0, 11 * 3600);
    far.copiedFixOnCameraClock = nineThirty;

    struct Case {
        MatchReason reason;
        const char* japanese;
        const char* english;
    };
    const Case cases[] = {
        {reasonOf(MatchKind::notMatched), "照合するログがありません", "no log to match against"},
        {reasonOf(MatchKind::atFix), "ログの記録と同じ時刻です", "at a fix"},
        {reasonOf(MatchKind::betweenFixes, 0, 10), "10秒間隔の2つの記録の間（位置を補間）",
         "between two fixes 10 s apart"},
        {before, "トラックの開始より5分前（最初の記録 09:30:00 の位置を使用）",
         "5 min before the first fix of the track; the fix of 09:30:00 copied"},
        {longAfter, "トラックの終了より2日後（最後の記録 2008/05/01 09:30:00 の位置を使用）",
         "2 d after the last fix of the track; the fix of 2008/05/01 09:30:00 copied"},
        {betweenLogs, "093000.log と 121000.log の間の2時間25分の空白",
         "in a gap of 2 h 25 min between 093000.log and 121000.log"},
        {stop, "ログの記録が途切れた30分の間（前後は50m以内の同じ場所）",
         "in a gap of 30 min; the same place on both sides (within 50 m)"},
        {far, "前後の記録が11時間離れていて位置を計算できません（近い方の記録 09:30:00 を使用）",
         "no position: the fixes around it are 11 h apart; the nearer, of 09:30:00, copied"},
        {reasonOf(MatchKind::noShootingTime), "撮影日時がありません", "no shooting time"},
        {reasonOf(MatchKind::unreadableShootingTime), "撮影日時を読み取れません",
         "the shooting time cannot be read"},
        {gone, "ログ 093000.log を読み込めません（削除または変更されています）",
         "the log 093000.log can no longer be read (removed or changed)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reasonJapanese(c.reason), c.japanese);
        EXPECT_EQ(reasonEnglish(c.reason), c.english);
    }
}

TEST(DoubtfulCounts, nameOnlyTheGroupsThatHavePhotos)
{
    EXPECT_EQ(doubtfulCountsJapanese({2, 1, 0}), "トラックの範囲外: 2、ログの間隔の中: 1");
    EXPECT_EQ(doubtfulCountsJapanese({0, 0, 3}), "位置を計算できない間隔: 3");
    EXPECT_EQ(doubtfulCountsJapanese({}), "");
    EXPECT_EQ(doubtfulCountsEnglish({2, 1, 0}), "outside the track 2, in a gap 1");
}

}  // namespace
}  // namespace vantora
