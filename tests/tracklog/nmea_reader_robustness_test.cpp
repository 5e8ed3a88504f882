// Damaged logs: random bytes, NUL runs, cut files and mutated sentences must
// give a clean result (some points or none) and never touch memory they do
// not own; the sanitizer build runs these too.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/nmea_text.h"
#include "support/time_zone.h"
#include "tracklog/nmea_reader.h"

namespace vantora {
namespace {

std::string cleanLog(int seconds)
{
    std::string text;
    for (int s = 0; s < seconds; ++s) {
        char time[16];
        std::snprintf(time, sizeof time, "%02d%02d%02d.000", s / 3600, s / 60 % 60, s % 60);
        text += test::fix(time);
    }
    return text;
}

void expectConsistent(const LogFileRecord& record, bool result)
{
    EXPECT_EQ(result, !record.points().empty());
    EXPECT_EQ(record.points().size(), record.pointTimes().size());
    for (std::size_t i = 0; i < record.points().size(); ++i) {
        const TrackPoint& p = record.points()[i];
        EXPECT_EQ(toTimeValue(p.time), record.pointTimes()[i]);
        EXPECT_EQ(p.time.dateTimeText[sizeof p.time.dateTimeText - 1], '\0');
        EXPECT_EQ(p.latitudeText[sizeof p.latitudeText - 1], '\0');
        EXPECT_EQ(p.longitudeText[sizeof p.longitudeText - 1], '\0');
        EXPECT_EQ(p.timeText[sizeof p.timeText - 1], '\0');
        EXPECT_EQ(p.status[sizeof p.status - 1], '\0');
    }
}

TEST(DamagedLogs, randomBytesGiveACleanResult)
{
    // Runs of random bytes, alone (every third round) or around good fixes
    // on lines of their own: every fix before the first Ctrl-Z is a point,
    // so the checks of each point run too. Around fixes, a random Ctrl-Z
    // (which ends the file) is kept in every second round of fixes only.
    test::ScopedTimeZone tz("UTC0");
    std::mt19937 random(20080501);
    std::size_t pointsChecked = 0;
    for (int round = 0; round < 300; ++round) {
        const int fixes = round % 3 == 0 ? 0 : 1 + static_cast<int>(random() % 20);
        std::string bytes;
        std::size_t fixesBeforeCtrlZ = 0;
        bool ended = false;
        for (int f = 0;; ++f) {
            std::string junk(round % 3 == 0 ? random() % 4000 : random() % 300, '\0');
            for (char& c : junk) {
                c = static_cast<char>(random());
                if (c == '\x1A' && round % 3 == 1)
                    c = '\x1B';
            }
            ended = ended || junk.find('\x1A') != std::string::npos;
            bytes += junk;
            if (f == fixes)
                break;
            char time[16];
            std::snprintf(time, sizeof time, "0000%02d.000", f);
            bytes += "\n" + test::fix(time);
            if (!ended)
                ++fixesBeforeCtrlZ;
        }
        SCOPED_TRACE("round " + std::to_string(round));
        LogFileRecord record;
        expectConsistent(record, readNmeaText(bytes, record));
        EXPECT_EQ(record.points().size(), fixesBeforeCtrlZ);
        pointsChecked += record.points().size();
    }
    EXPECT_GE(pointsChecked, 1000u);
}

TEST(DamagedLogs, mutatedLogsKeepEveryPointComparable)
{
    test::ScopedTimeZone tz("UTC0");
    const std::string clean = cleanLog(120);
    const std::string alphabet = "$*,.0123456789ANSEWVa\r\n\x1A";
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = clean;
        const int edits = 1 + static_cast<int>(random() % 40);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % bytes.size();
            switch (random() % 4) {
            case 0: bytes[at] = alphabet[random() % alphabet.size()]; break;
            case 1: bytes.erase(at, random() % 8); break;
            case 2: bytes.insert(at, std::string(random() % 600, alphabet[random() % alphabet.size()])); break;
            case 3: bytes.insert(at, std::string(random() % 50, '\0')); break;
            }
        }
        LogFileRecord record;
        expectConsistent(record, readNmeaText(bytes, record));
        EXPECT_LE(record.points().size(), 200u);
    }
}

TEST(DamagedLogs, aLogCutAtAnyByteKeepsTheFixesBeforeTheCut)
{
    test::ScopedTimeZone tz("UTC0");
    const std::string clean = cleanLog(3);
    std::size_t previous = 0;
    for (std::size_t cut = 0; cut <= clean.size(); ++cut) {
        LogFileRecord record;
        expectConsistent(record, readNmeaText(clean.substr(0, cut), record));
        EXPECT_GE(record.points().size(), previous);  // a longer prefix never loses a fix
        previous = record.points().size();
    }
    EXPECT_EQ(previous, 3u);
}

TEST(DamagedLogs, endlessLinesAndNulRunsAreSkippedQuickly)
{
    test::ScopedTimeZone tz("UTC0");
    const std::string text = std::string(8 << 20, 'A') + "\n" + std::string(8 << 20, '\0') + "\n" +
                             cleanLog(2) + std::string(1 << 20, '$');
    LogFileRecord record;
    EXPECT_TRUE(readNmeaText(text, record));
    EXPECT_EQ(record.points().size(), 2u);
}

}  // namespace
}  // namespace vantora
