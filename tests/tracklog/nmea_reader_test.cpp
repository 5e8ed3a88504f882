#include <gtest/gtest.h>

#include <cctype>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/nmea_text.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"
#include "tracklog/nmea_reader.h"

namespace vantora {
namespace {

using test::fix;
using test::gga;
using test::rmc;
using test::sentence;

const std::string kWorkedGga =
    "$GPGGA,030405.000,3539.1234,N,13945.6789,E,1,08,1.0,40.0,M,39.0,M,,0000*6B";
const std::string kWorkedRmc =
    "$GPRMC,030405.000,A,3539.1234,N,13945.6789,E,0.00,0.00,010508,,,A*62";

class NmeaReader : public ::testing::Test {
protected:
    std::size_t countFixes(const std::string& text)
    {
        LogFileRecord record;
        readNmeaText(text, record);
        return record.points().size();
    }

    TrackPoint onlyFix(const std::string& text)
    {
        LogFileRecord record;
        EXPECT_TRUE(readNmeaText(text, record));
        EXPECT_EQ(record.points().size(), 1u);
        return record.points().empty() ? TrackPoint{} : record.points().front();
    }

    test::ScopedTimeZone tz_{"UTC0"};
};

TEST_F(NmeaReader, turnsTheLoggersGgaAndRmcPairIntoOneCompleteFix)
{
    const TrackPoint p = onlyFix(kWorkedGga + "\r\n" + kWorkedRmc + "\r\n");
    EXPECT_STREQ(p.time.dateTimeText, "2008/05/01 03:04:05");
    EXPECT_EQ(std::string(p.latitudeText), "\x96\x6B\x88\xDC 35\x93\x78" "39\x95\xAA" "7.4\x95\x62");
    EXPECT_STREQ(p.latitudeRef, "N");
    EXPECT_EQ(p.latitude[0].numerator, 35u);
    EXPECT_EQ(p.latitude[1].numerator, 39u);
    EXPECT_EQ(p.latitude[2].numerator, 74u);
    EXPECT_EQ(p.latitude[2].denominator, 10u);
    EXPECT_EQ(std::string(p.longitudeText),
              "\x93\x8C\x8C\x6F 139\x93\x78" "45\x95\xAA" "40.7\x95\x62");
    EXPECT_STREQ(p.longitudeRef, "E");
    EXPECT_EQ(p.longitude[0].numerator, 139u);
    EXPECT_EQ(p.longitude[1].numerator, 45u);
    EXPECT_EQ(p.longitude[2].numerator, 407u);
    EXPECT_STREQ(p.timeText, "03:04:05");
    EXPECT_STREQ(p.status, "A");
}

TEST_F(NmeaReader, acceptsNoFixWhenTheGgaChecksumIsWrong)
{
    for (const char* wrong : {"*6A", "*00", "*", "*G1", "*6B6"}) {
        const std::string bad = kWorkedGga.substr(0, kWorkedGga.size() - 3) + wrong;
        EXPECT_EQ(countFixes(bad + "\r\n" + kWorkedRmc + "\r\n"), 0u) << wrong;
    }
}

TEST_F(NmeaReader, readsChecksumDigitsInEitherCase)
{
    const std::string body = "GPGGA,000002.000,3539.1234,N,13945.6789,E,1,08,1.0,40.0,M,39.0,M,,0000";
    const std::string hex = test::checksumHex(body);
    ASSERT_NE(hex.find_first_of("ABCDEF"), std::string::npos) << "pick a body with letters";
    std::string lower = hex;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(countFixes("$" + body + "*" + lower + "\n" + rmc("000002.000") + "\n"), 1u);
}

TEST_F(NmeaReader, readsLfAndCrLfLineEndsAlike)
{
    const std::string crlf = fix("000001.000") + fix("000002.000");
    std::string lf;
    for (char c : crlf)
        if (c != '\r')
            lf += c;
    EXPECT_EQ(countFixes(crlf), 2u);
    EXPECT_EQ(countFixes(lf), 2u);
}

TEST_F(NmeaReader, takesThePositionFromTheGgaNotTheRmc)
{
    const std::string text = gga("000001.000", "0100.0000", "S", "00200.0000", "W") + "\n" +
                             rmc("000001.000") + "\n";
    const TrackPoint p = onlyFix(text);
    EXPECT_STREQ(p.latitudeRef, "S");
    EXPECT_EQ(p.latitude[0].numerator, 1u);
    EXPECT_STREQ(p.longitudeRef, "W");
    EXPECT_EQ(p.longitude[0].numerator, 2u);
}

TEST_F(NmeaReader, pairsTheRmcBeforeItsGgaToo)
{
    EXPECT_EQ(countFixes(rmc("000001.000") + "\n" + gga("000001.000") + "\n"), 1u);
}

TEST_F(NmeaReader, pairsTimesOfTheSameInstantHoweverTheirFractionIsWritten)
{
    EXPECT_EQ(countFixes(gga("123456.000") + "\n" + rmc("123456.00") + "\n"), 1u);
    EXPECT_EQ(countFixes(gga("123456") + "\n" + rmc("123456.000") + "\n"), 1u);
    EXPECT_EQ(countFixes(gga("123456.000") + "\n" + rmc("123456.100") + "\n"), 0u);
    EXPECT_EQ(countFixes(gga("123456.000") + "\n" + rmc("123457.000") + "\n"), 0u);
}

TEST_F(NmeaReader, keepsTheGgaForItsRmcAndMakesOnePointASecond)
{
    // An RMC that does not match leaves the GGA in place; a second RMC of
    // the same second makes no second point.
    const std::string text = gga("000001.000") + "\n" + rmc("000009.000") + "\n" +
                             rmc("000001.000") + "\n" + rmc("000001.000") + "\n";
    EXPECT_EQ(countFixes(text), 1u);
}

TEST_F(NmeaReader, dropsThePendingFixAfterADamagedGgaButNotAfterADamagedRmc)
{
    std::string badGga = gga("000001.000");
    badGga.back() = badGga.back() == '0' ? '1' : '0';
    EXPECT_EQ(countFixes(gga("000001.000") + "\n" + badGga + "\n" + rmc("000001.000") + "\n"), 0u);

    std::string badRmc = rmc("000001.000");
    badRmc.back() = badRmc.back() == '0' ? '1' : '0';
    EXPECT_EQ(countFixes(gga("000001.000") + "\n" + badRmc + "\n" + rmc("000001.000") + "\n"), 1u);
}

TEST_F(NmeaReader, makesNoPointForAVoidFixAndKeepsThePendingGga)
{
    const std::string text = gga("000001.000") + "\n" + rmc("000001.000", "010508", "V") +
                             "\n" + rmc("000001.000", "010508", "a") + "\n";
    const TrackPoint p = onlyFix(text);
    EXPECT_STREQ(p.status, "a");
}

TEST_F(NmeaReader, countsAnEmptyStatusAsValid)
{
    const TrackPoint p = onlyFix(gga("000001.000") + "\n" + rmc("000001.000", "010508", "") + "\n");
    EXPECT_STREQ(p.status, "");
}

TEST_F(NmeaReader, readsTheTwoDigitYearAroundSeventy)
{
    EXPECT_EQ(onlyFix(fix("000001.000", "311269")).time.year, 2069);
    EXPECT_EQ(onlyFix(fix("000001.000", "010570")).time.year, 1970);
    EXPECT_EQ(onlyFix(fix("000001.000", "010500")).time.year, 2000);
}

TEST_F(NmeaReader, rejectsFixesWhoseDateOrTimeCannotBeCompared)
{
    for (const char* date : {"", "000000", "011308", "320108", "01"})
        EXPECT_EQ(countFixes(fix("000001.000", date)), 0u) << date;
    for (const char* time : {"240000.000", "236000.000", "235960.000", "-10000"})
        EXPECT_EQ(countFixes(fix(time)), 0u) << time;
    // The fixes around a rejected one are kept.
    EXPECT_EQ(countFixes(fix("000001.000") + fix("000002.000", "000000") + fix("000003.000")), 2u);
}

TEST_F(NmeaReader, acceptsATimeWithoutFractionAndDropsTheFraction)
{
    const TrackPoint p = onlyFix(fix("235959") + "");
    EXPECT_STREQ(p.timeText, "23:59:59");
    EXPECT_STREQ(onlyFix(fix("010203.999")).timeText, "01:02:03");
}

TEST_F(NmeaReader, leavesAnEmptyPositionZero)
{
    const TrackPoint p = onlyFix(gga("000001.000", "", "", "", "") + "\n" + rmc("000001.000") + "\n");
    EXPECT_STREQ(p.latitudeText, "");
    EXPECT_STREQ(p.latitudeRef, "");
    EXPECT_STREQ(p.longitudeRef, "");
    EXPECT_EQ(p.latitude[0].numerator, 0u);
    EXPECT_EQ(p.latitude[0].denominator, 0u);
    EXPECT_EQ(p.longitude[2].denominator, 0u);
}

TEST_F(NmeaReader, readsShortDegreeFieldsAsMinutesOnly)
{
    const TrackPoint p = onlyFix(gga("000001.000", "5.5", "N", "39.0", "E") + "\n" +
                                 rmc("000001.000") + "\n");
    EXPECT_EQ(p.latitude[0].numerator, 0u);
    EXPECT_EQ(p.latitude[1].numerator, 5u);
    EXPECT_EQ(p.latitude[2].numerator, 300u);  // 0.5 minutes
    EXPECT_EQ(p.longitude[0].numerator, 0u);
    EXPECT_EQ(p.longitude[1].numerator, 39u);
}

TEST_F(NmeaReader, refusesAFixWithASignedPosition)
{
    EXPECT_EQ(countFixes(gga("000001.000", "-3539.1234") + "\n" + rmc("000001.000") + "\n"), 0u);
}

TEST_F(NmeaReader, acceptsTheGgaOfKnownTalkersInAnyLetterCaseAndNoOtherType)
{
    const std::string lower = sentence("gpgga,000001.000,3539.1234,N,13945.6789,E,1,08,1.0,40.0,M,39.0,M,,0000");
    EXPECT_EQ(countFixes(lower + "\n" + rmc("000001.000") + "\n"), 1u);

    const std::string gnBody = "GNGGA,000001.000,3539.1234,N,13945.6789,E,1,08,1.0,40.0,M,39.0,M,,0000";
    EXPECT_EQ(countFixes(sentence(gnBody) + "\n" + rmc("000001.000") + "\n"), 1u);
    // In a log with GGA sentences, neither a GLL nor the GGA of an unknown
    // talker stands in for the GGA of a second.
    const std::string otherSecond = gga("000009.000") + "\n";
    EXPECT_EQ(countFixes(otherSecond + sentence("GPGLL,3539.1234,N,13945.6789,E,000001.000,A,A") + "\n" +
                         rmc("000001.000") + "\n"),
              0u);
    EXPECT_EQ(countFixes(otherSecond + test::ggaFrom("IN", "000001.000") + "\n" + rmc("000001.000") + "\n"), 0u);
}

TEST_F(NmeaReader, acceptsTheShortRmcWithoutModeIndicator)
{
    EXPECT_EQ(countFixes(gga("000001.000") + "\n" + test::shortRmc("000001.000") + "\n"), 1u);
}

TEST_F(NmeaReader, skipsLinesLongerThan259CharactersAndReadsOn)
{
    // A GGA padded to exactly 259 characters is still read; one more is not.
    auto padded = [](std::size_t length) {
        std::string body = "GPGGA,000001.000,3539.1234,N,13945.6789,E,1,08,1.0,40.0,M,39.0,M,,";
        std::string text = "$" + body + std::string(length - body.size() - 4, '0');
        return sentence(text.substr(1));
    };
    EXPECT_EQ(padded(259).size(), 259u);
    EXPECT_EQ(countFixes(padded(259) + "\r\n" + rmc("000001.000") + "\r\n"), 1u);
    EXPECT_EQ(countFixes(padded(260) + "\r\n" + rmc("000001.000") + "\r\n"), 0u);
    EXPECT_EQ(countFixes(std::string(100000, 'x') + "\n" + fix("000001.000")), 1u);
}

TEST_F(NmeaReader, takesExtraFieldsButSkipsSentencesWithOverlongFields)
{
    const std::string extraField =
        sentence("GPGGA,000001.000,3539.1234,N,13945.6789,E,1,08,1.0,40.0,M,39.0,M,,0000,9");
    EXPECT_EQ(countFixes(extraField + "\n" + rmc("000001.000") + "\n"), 1u);

    const std::string longTime = "000001.0000000000";  // 17 characters
    EXPECT_EQ(countFixes(gga(longTime) + "\n" + rmc(longTime) + "\n"), 0u);
    EXPECT_EQ(countFixes(gga("000001.000", "3539.123456789012") + "\n" + rmc("000001.000") + "\n"), 0u);
    EXPECT_EQ(countFixes(gga("000001.000") + "\n" + rmc("000001.000", "010508", "AA") + "\n"), 0u);

    // Fifteen characters still fit.
    const std::string fifteen = "000001.00000000";
    EXPECT_EQ(countFixes(gga(fifteen) + "\n" + rmc(fifteen) + "\n"), 1u);
}

TEST_F(NmeaReader, readsTheLastLineWithoutLineEndButStopsAtCtrlZ)
{
    std::string text = fix("000001.000") + gga("000002.000") + "\r\n" + rmc("000002.000");
    EXPECT_EQ(countFixes(text), 2u);
    EXPECT_EQ(countFixes(fix("000001.000") + "\x1A" + fix("000002.000")), 1u);
    EXPECT_EQ(countFixes(fix("000001.000") + gga("000002.000") + "\r\n" + rmc("000002.000") + "\x1A"), 2u);
}

TEST_F(NmeaReader, dropsATruncatedLastLineAndKeepsTheFixesBeforeIt)
{
    const std::string whole = fix("000001.000") + fix("000002.000");
    const std::string cut = whole + gga("000003.000") + "\r\n" + rmc("000003.000").substr(0, 30);
    EXPECT_EQ(countFixes(cut), 2u);
}

TEST_F(NmeaReader, skipsNulRunsAndGarbageAndReadsOnAtTheNextLine)
{
    const std::string text = std::string(5000, '\0') + "\n" + fix("000001.000") +
                             std::string("\x01\xFF$GP\0\0GGA,,,\xFE", 14) + "\n" + fix("000002.000") +
                             gga("000003.000") + std::string(3, '\0') + "\n" + rmc("000003.000") + "\n";
    EXPECT_EQ(countFixes(text), 3u);
}

TEST_F(NmeaReader, readsTwoSentencesRunTogether)
{
    EXPECT_EQ(countFixes(gga("000001.000") + rmc("000001.000") + "\n"), 1u);
    EXPECT_EQ(countFixes(gga("000001.000") + "\n" + rmc("000001.000") + gga("000002.000") + "\n"), 1u);
}

// The logs of today's receivers, phones and dashcams: each text and the
// time of every point it must give, in order, with the latitude degrees of
// every point (35 from gga() and rmc(); 36 or 12 where a case picks which
// sentence the position comes from).
struct ReceiverLog {
    const char* what;
    std::string text;
    std::vector<const char*> times;
    unsigned latitudeDegrees = 35;
};

std::string lines(std::initializer_list<std::string> sentences)
{
    std::string text;
    for (const std::string& s : sentences)
        text += s + "\r\n";
    return text;
}

std::string withLowerCaseChecksum(std::string s)
{
    for (std::size_t i = s.size() - 2; i < s.size(); ++i)
        s[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
    return s;
}

std::string withChecksumText(std::string s, const char* digits)
{
    return s.substr(0, s.size() - 2) + digits;
}

std::vector<ReceiverLog> receiverLogs()
{
    using test::ggaFrom;
    using test::rmcFrom;
    const char* first = "2008/05/01 00:00:01";
    const char* second = "2008/05/01 00:00:02";
    const std::string binary("\xB5\x62\x01\x07\x00\x5C", 6);
    return {
        {"talkers change from second to second, GGA and RMC of different talkers",
         lines({ggaFrom("GP", "000001.000"), rmcFrom("GN", "000001.000"), ggaFrom("GN", "000002.000"),
                rmcFrom("GP", "000002.000"), ggaFrom("GL", "000003.000"), rmcFrom("GA", "000003.000"),
                ggaFrom("GA", "000004.000"), rmcFrom("GB", "000004.000"), ggaFrom("GB", "000005.000"),
                rmcFrom("BD", "000005.000"), ggaFrom("BD", "000006.000"), rmcFrom("GQ", "000006.000"),
                ggaFrom("GQ", "000007.000"), rmcFrom("GL", "000007.000")}),
         {first, second, "2008/05/01 00:00:03", "2008/05/01 00:00:04", "2008/05/01 00:00:05",
          "2008/05/01 00:00:06", "2008/05/01 00:00:07"}},
        {"the RMC first in every second",
         lines({rmc("000001.000"), gga("000001.000"), rmc("000002.000"), gga("000002.000")}), {first, second}},
        {"a GPGGA and a GLGGA of one epoch give one point, from the first",
         lines({ggaFrom("GP", "000001.00"), ggaFrom("GL", "000001.00", "3639.0000"), rmcFrom("GN", "000001.00"),
                rmcFrom("GN", "000002.00"), ggaFrom("GP", "000002.00"), ggaFrom("GL", "000002.00", "3639.0000")}),
         {first, second}},
        {"RMC alone: the position from the RMC",
         lines({rmcFrom("GN", "000001.000", "A", "1230.0000"), rmcFrom("GN", "000002.000", "A", "1230.0000"),
                rmcFrom("GN", "000003.000", "V", "1230.0000")}),
         {first, second}, 12},
        {"short-form RMC alone",
         lines({test::shortRmc("000001", "1230.0000"), test::shortRmc("000002", "1230.0000")}), {first, second}, 12},
        {"GGA alone, dated by the ZDA before it; fix quality 0 is no fix",
         lines({test::zda("000000.00", "01", "05", "2008"), gga("000001.000"),
                ggaFrom("GP", "000002.000", "3539.1234", "0"), ggaFrom("GN", "000003.000")}),
         {first, "2008/05/01 00:00:03"}},
        {"GGA alone, the first ZDA after midnight at the end",
         lines({gga("235958.000"), gga("235959.000"), gga("000000.000"), test::zda("000000.00", "02", "05", "2008")}),
         {"2008/05/01 23:59:58", "2008/05/01 23:59:59", "2008/05/02 00:00:00"}},
        {"GGA alone without ZDA has no date", lines({gga("000001.000"), gga("000002.000")}), {}},
        {"4 Hz: one point a second",
         lines({gga("000001.00"), rmc("000001.00"), gga("000001.25"), rmc("000001.25"), gga("000001.50"),
                rmc("000001.50"), gga("000001.75"), rmc("000001.75"), gga("000002.00"), rmc("000002.00"),
                gga("000002.25"), rmc("000002.25")}),
         {first, second}},
        {"10 Hz: the first valid fix of the second, whatever stray comes out of order",
         lines({rmc("000001.0", "010508", "V"), gga("000001.0"), ggaFrom("GP", "000001.1", "3639.0000"),
                rmc("000001.1"), rmc("000000.9"), gga("000001.2"), rmc("000001.2"),
                ggaFrom("GP", "000002.0", "3639.0000"), ggaFrom("GP", "000001.9", "3639.0000"), rmc("000002.0")}),
         {first, second}, 36},
        {"a phone logger's prefix and suffix",
         "NMEA," + gga("000001.000") + ",1699400577000\n" + "NMEA," + rmc("000001.000") + ",1699400577000\n",
         {first}},
        {"a dashcam's time prefix, blank lines between",
         "[1499541290000]" + rmc("000001.000") + "\r\n\r\n[1499541291000]" + rmc("000002.000") + "\r\n\r\n",
         {first, second}},
        {"two sentences glued on one line", gga("000001.000") + rmc("000001.000") + "\r\n", {first}},
        {"binary bytes before a sentence", lines({binary + gga("000001.000"), binary + rmc("000001.000")}), {first}},
        {"lower-case checksum digits",
         lines({withLowerCaseChecksum(gga("000002.000")), withLowerCaseChecksum(rmc("000002.000"))}), {second}},
        {"a GGA with an extra field",
         lines({sentence("GPGGA,000001.000,3539.1234,N,13945.6789,E,1,08,1.0,40.0,M,39.0,M,,0000,1"),
                rmc("000001.000")}),
         {first}},
        {"a checksum that is not hex",
         lines({gga("000001.000"), withChecksumText(rmc("000001.000"), "XY"), gga("000002.000"),
                withChecksumText(rmc("000002.000"), "6G")}),
         {}},
        {"cut-off sentences",
         lines({gga("000001.000"), rmc("000001.000").substr(0, 40), gga("000002.000")}) +
             rmc("000002.000").substr(0, rmc("000002.000").size() - 1),
         {}},
        {"a time such as 22251.x", lines({gga("22251.x"), rmc("22251.x"), gga("000002."), rmc("000002.")}), {}},
    };
}

TEST_F(NmeaReader, readsTheLogsOfTodaysReceiversPhonesAndDashcams)
{
    for (const ReceiverLog& log : receiverLogs()) {
        SCOPED_TRACE(log.what);
        LogFileRecord record;
        EXPECT_EQ(readNmeaText(log.text, record), !log.times.empty());
        std::vector<std::string> times;
        for (const TrackPoint& p : record.points()) {
            times.push_back(p.time.dateTimeText);
            EXPECT_EQ(p.latitude[0].numerator, log.latitudeDegrees);
        }
        EXPECT_EQ(times, std::vector<std::string>(log.times.begin(), log.times.end()));
    }
}

TEST_F(NmeaReader, tellsTextWithoutSentencesFromALogWithoutValidFix)
{
    std::string damaged = gga("000001.000");
    damaged.back() = damaged.back() == '0' ? '1' : '0';
    const struct {
        const char* what;
        std::string text;
        bool sawSentence;
    } cases[] = {
        {"no sentence", "<?xml version=\"1.0\"?>\r\n<gpx>\r\n", false},
        {"only a damaged sentence", damaged + "\r\n", false},
        {"a void fix", gga("000001.000") + "\r\n" + rmc("000001.000", "010508", "V") + "\r\n", true},
        {"another type", sentence("GPGSA,A,1,,,,,,,,,,,,,,,") + "\r\n", true},
        {"a proprietary sentence after a prefix", "NMEA," + sentence("PUBX,00") + "\r\n", true},
    };
    for (const auto& c : cases) {
        LogFileRecord record;
        bool saw = !c.sawSentence;
        EXPECT_FALSE(readNmeaText(c.text, record, &saw)) << c.what;
        EXPECT_EQ(saw, c.sawSentence) << c.what;
    }
}

TEST_F(NmeaReader, readsAFileByItsWidePathAndKeepsThePath)
{
    test::TempDir dir;
    const auto path = dir.write(u8"\u65E5\u672C\u8A9E/20080501/030405.log", kWorkedGga + "\r\n" + kWorkedRmc + "\r\n");
    LogFileRecord record;
    ASSERT_TRUE(readNmeaLog(path, record));
    EXPECT_EQ(record.path, path);
    ASSERT_EQ(record.points().size(), 1u);
    EXPECT_EQ(record.pointTimes().size(), 1u);
    EXPECT_EQ(record.firstTime(), 1209611045);  // UTC zone: seconds since 1970
}

TEST_F(NmeaReader, givesFalseForMissingEmptyAndFolderPathsAndSetsThePath)
{
    test::TempDir dir;
    LogFileRecord record;
    EXPECT_FALSE(readNmeaLog(dir.path() / "missing.log", record));
    EXPECT_EQ(record.path, dir.path() / "missing.log");
    EXPECT_FALSE(readNmeaLog(dir.write("empty.log", ""), record));
    EXPECT_FALSE(readNmeaLog(dir.path(), record));
    EXPECT_FALSE(readNmeaLog(dir.write("other.log", "$GPGSA,A,3*00\r\n"), record));
    EXPECT_TRUE(record.points().empty());

    bool sawSentence = true;
    EXPECT_FALSE(readNmeaLog(dir.path() / "missing.log", record, &sawSentence));
    EXPECT_FALSE(sawSentence);
    EXPECT_FALSE(readNmeaLog(dir.write("gsa.log", sentence("GPGSA,A,3") + "\r\n"), record, &sawSentence));
    EXPECT_TRUE(sawSentence);
}

TEST_F(NmeaReader, refusesAPathOf260CharactersOrMore)
{
    test::TempDir dir;
    const std::string content = kWorkedGga + "\r\n" + kWorkedRmc + "\r\n";
    const auto base = dir.path().native().size() + 1;  // folder and separator
    if (base + 10 >= kMaxPathLength)
        GTEST_SKIP() << "temporary folder path too long for this check";
    const std::size_t fit = kMaxPathLength - base;
    const auto name259 = std::string(fit - 4, 'a') + ".log";
    const auto name260 = std::string(fit - 3, 'a') + ".log";

    LogFileRecord record;
    EXPECT_TRUE(readNmeaLog(dir.write(name259, content), record));
    EXPECT_EQ(utf16Length(record.path), 259u);
    LogFileRecord tooLong;
    EXPECT_FALSE(readNmeaLog(dir.write(name260, content), tooLong));
}

TEST(PathLength, countsUtf16UnitsOnEveryPlatform)
{
    EXPECT_EQ(utf16Length(std::filesystem::path(u8"\u65E5\u672C.log")), 6u);
    EXPECT_EQ(utf16Length(std::filesystem::path(u8"\U0001F600")), 2u);  // a surrogate pair
}

}  // namespace
}  // namespace vantora
