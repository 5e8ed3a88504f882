#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/nmea_text.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"
#include "tracklog/log_list.h"
#include "tracklog/path_text.h"
#include "tracklog/track_reader.h"
#include "tracklog/track_span_scan.h"

namespace vantora {
namespace {

std::string clock(int secondOfDay)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d.000", secondOfDay / 3600, secondOfDay / 60 % 60,
                  secondOfDay % 60);
    return text;
}

// A log with one fix every `step` seconds from `first` to `last` (seconds of 1 May 2008).
std::string logText(int first, int last, int step = 1)
{
    std::string text;
    for (int s = first; s <= last; s += step)
        text += test::fix(clock(s));
    return text;
}

class LogLists : public ::testing::Test {
protected:
    std::filesystem::path log(const std::string& name, int first, int last, int step = 1)
    {
        return dir_.write(name, logText(first, last, step));
    }

    struct Result {
        int added = -1;
        bool overlapRefused = true;
        bool limitRefused = false;
    };

    Result load(const std::vector<std::filesystem::path>& paths, const StepCallback& progress = {})
    {
        Result r;
        loadLogFiles(list_, paths, r.added, r.overlapRefused, r.limitRefused, progress);
        return r;
    }

    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& record : list_)
            out.push_back(record->path.filename().string());
        return out;
    }

    test::ScopedTimeZone tz_{"JST-9"};
    test::TempDir dir_;
    LogList list_;
};

TEST_F(LogLists, registerReadableLogsInOrderOfTheirFirstFix)
{
    const auto r = load({log("c.log", 7000, 7100), log("b.log", 4000, 4100), log("a.log", 10, 20)});
    EXPECT_EQ(r.added, 3);
    EXPECT_FALSE(r.overlapRefused);
    EXPECT_FALSE(r.limitRefused);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.log", "b.log", "c.log"}));
    for (const auto& record : list_)
        EXPECT_EQ(record->inRoute, 1);
}

TEST_F(LogLists, refuseALogStartingInTheSecondTheLastOneEnds)
{
    load({log("first.log", 100, 200)});
    const auto r = load({log("second.log", 200, 300)});
    EXPECT_EQ(r.added, 0);
    EXPECT_TRUE(r.overlapRefused);
    EXPECT_EQ(names(), std::vector<std::string>{"first.log"});

    const auto next = load({log("third.log", 201, 300)});
    EXPECT_EQ(next.added, 1);
    EXPECT_FALSE(next.overlapRefused);
}

TEST_F(LogLists, refuseTheSameFileAgainThroughTheOverlapRule)
{
    const auto path = log("a.log", 100, 200);
    load({path});
    const auto r = load({path});
    EXPECT_EQ(r.added, 0);
    EXPECT_TRUE(r.overlapRefused);
    EXPECT_TRUE(containsPath(list_, path));
}

TEST_F(LogLists, refuseALogLyingInsideOrAroundAListedOne)
{
    load({log("day.log", 1000, 5000, 100)});
    EXPECT_TRUE(load({log("inside.log", 2000, 2001)}).overlapRefused);
    EXPECT_TRUE(load({log("around.log", 10, 9000, 500)}).overlapRefused);
    EXPECT_EQ(list_.size(), 1u);
}

TEST_F(LogLists, registerTheFirstOfTwoOverlappingFilesInOneLoad)
{
    const auto r = load({log("later.log", 500, 600), log("earlier.log", 400, 500)});
    EXPECT_EQ(r.added, 1);
    EXPECT_TRUE(r.overlapRefused);
    EXPECT_EQ(names(), std::vector<std::string>{"later.log"});
}

TEST_F(LogLists, treatASingleFixLogAsASpanOfOneSecond)
{
    load({log("one.log", 300, 300)});
    ASSERT_EQ(list_.size(), 1u);
    EXPECT_EQ(list_[0]->firstTime(), list_[0]->lastTime());
    EXPECT_TRUE(load({log("same.log", 300, 300)}).overlapRefused);
    EXPECT_EQ(load({log("next.log", 301, 301)}).added, 1);
}

TEST_F(LogLists, dropUnreadableFilesSilently)
{
    const auto r = load({dir_.path() / "missing.log", dir_.write("empty.log", ""), log("a.log", 1, 2)});
    EXPECT_EQ(r.added, 1);
    EXPECT_FALSE(r.overlapRefused);
    EXPECT_EQ(names(), std::vector<std::string>{"a.log"});
}

TEST_F(LogLists, stopAtAThousandLogs)
{
    std::vector<std::filesystem::path> many;
    for (int i = 0; i < 999; ++i)
        many.push_back(log("log" + std::to_string(i) + ".log", i * 10, i * 10 + 1));
    EXPECT_EQ(load(many).added, 999);

    const auto r = load({log("x.log", 20000, 20001), log("y.log", 20010, 20011),
                         log("z.log", 20020, 20021)});
    EXPECT_EQ(r.added, 1);
    EXPECT_TRUE(r.limitRefused);
    EXPECT_FALSE(r.overlapRefused);
    EXPECT_EQ(list_.size(), kMaxLogFiles);

    const auto full = load({log("w.log", 30000, 30001)});
    EXPECT_EQ(full.added, 0);
    EXPECT_TRUE(full.limitRefused);

    // Overlapping a listed log and meeting a full list sets both flags.
    const auto both = load({log("v.log", 20000, 20001)});
    EXPECT_TRUE(both.overlapRefused);
    EXPECT_TRUE(both.limitRefused);
}

TEST_F(LogLists, leaveTheLimitFlagAsTheLastReadableFileSetIt)
{
    bool overlapRefused = false;
    bool limitRefused = true;  // only a readable file writes it
    int added = 0;
    loadLogFiles(list_, {dir_.path() / "missing.log"}, added, overlapRefused, limitRefused);
    EXPECT_TRUE(limitRefused);
    loadLogFiles(list_, {log("a.log", 1, 2), dir_.path() / "missing.log"}, added, overlapRefused,
                 limitRefused);
    EXPECT_FALSE(limitRefused);
}

TEST_F(LogLists, reportProgressAfterEveryPathWhateverBecameOfIt)
{
    std::vector<std::pair<int, int>> calls;
    load({log("a.log", 1, 2), dir_.path() / "missing.log", log("b.log", 1, 2), log("c.log", 5, 6),
          dir_.write("empty.log", "")},
         [&](int position, int total) {
             calls.emplace_back(position, total);
             return 1;  // a request to stop does not stop a load
         });
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}}));
    EXPECT_EQ(list_.size(), 2u);
}

TEST_F(LogLists, findPathsIgnoringLetterCase)
{
    const auto path = log("Track.LOG", 1, 2);
    load({path});
    auto upper = path.parent_path() / "TRACK.log";
    EXPECT_TRUE(containsPath(list_, upper));
    EXPECT_FALSE(containsPath(list_, path.parent_path() / "Track2.LOG"));
    EXPECT_FALSE(containsPath(LogList{}, path));
}

TEST(PathComparison, foldsFullWidthLettersOnWindows)
{
    if (sizeof(std::filesystem::path::value_type) != 2)
        GTEST_SKIP() << "Linux file names are UTF-8 bytes";
    EXPECT_TRUE(equalPathsIgnoringCase(std::filesystem::path(L"C:\\\xFF41.log"),
                                       std::filesystem::path(L"c:\\\xFF21.LOG")));
}

TEST_F(LogLists, removeOneOrAllLogsKeepingTheOrder)
{
    load({log("a.log", 1, 2), log("b.log", 10, 12), log("c.log", 20, 22)});
    removeAt(list_, 7);
    EXPECT_EQ(list_.size(), 3u);
    removeAt(list_, 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.log", "c.log"}));
    removeAll(list_);
    EXPECT_TRUE(list_.empty());
}

TEST_F(LogLists, compareFirstFixesStrictly)
{
    load({log("a.log", 1, 2), log("b.log", 10, 12)});
    EXPECT_TRUE(startsBefore(*list_[0], *list_[1]));
    EXPECT_FALSE(startsBefore(*list_[1], *list_[0]));
    EXPECT_FALSE(startsBefore(*list_[0], *list_[0]));
    EXPECT_FALSE(overlapsAny(list_, LogFileRecord{}));
}

TEST_F(LogLists, useFileOrderForTheSpanNotTheEarliestAndLatestFix)
{
    // A log whose fixes run backwards is tested from its first to its last
    // fix in file order (500 to 100 here), which meets nothing listed.
    const auto backwards = dir_.write("back.log", test::fix(clock(500)) + test::fix(clock(100)));
    load({log("a.log", 200, 300)});
    EXPECT_EQ(load({backwards}).added, 1);
}

// A large log known first by its two ends: the ends of an ordinary log are
// those the whole file gives; a log whose first part holds RMC sentences
// alone (a whole read pairs them with GGA sentences only found later) is
// guessed wrong, and the first read of its fixes says so and puts the true
// span in its place.
TEST_F(LogLists, guessALargeLogsSpanFromItsEndsAndCheckItWhenItIsRead)
{
    const auto ordinary = log("ordinary.log", 0, 3000);
    std::string mixed;
    for (int s = 0; s < 400; ++s)
        mixed += test::rmc(clock(s)) + "\r\n";
    mixed += logText(400, 3000);
    const auto guessedWrong = dir_.write("mixed.log", mixed);

    for (const auto& path : {ordinary, guessedWrong}) {
        SCOPED_TRACE(path.filename().string());
        const auto scanned = scanTrackSpan(path);
        ASSERT_TRUE(scanned);
        LogFileRecord whole;
        ASSERT_TRUE(readTrackLog(path, whole).read());
        const LogFileRecord guess = LogFileRecord::fromGuessedSpan(path, scanned->stamp, scanned->span);
        EXPECT_EQ(guess.points().size(), whole.pointCount());
        EXPECT_EQ(guess.spanGuessWrong(), path == guessedWrong);
        EXPECT_TRUE(guess.span() == whole.span());
        EXPECT_FALSE(guess.pointsUnavailable());
    }
    EXPECT_FALSE(scanTrackSpan(log("small.log", 0, 10))) << "a small log is read whole";
}

}  // namespace
}  // namespace vantora
