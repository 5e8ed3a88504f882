#include <gtest/gtest.h>

#include <cctype>
#include <string>

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

TEST_F(NmeaReader, needsTheGgaBeforeTheRmcOfTheSameSecond)
{
    EXPECT_EQ(countFixes(rmc("000001.000") + "\n" + gga("000001.000") + "\n"), 0u);
}

TEST_F(NmeaReader, pairsOnlyTimesWrittenTheSameWay)
{
    EXPECT_EQ(countFixes(gga("123456.000") + "\n" + rmc("123456.00") + "\n"), 0u);
    EXPECT_EQ(countFixes(gga("123456.000") + "\n" + rmc("123457.000") + "\n"), 0u);
}

TEST_F(NmeaReader, keepsThePendingGgaUntilAnotherReplacesIt)
{
    // Two RMC of the same second after one GGA give two equal points; an RMC
    // that does not match leaves the pending fix in place.
    const std::string text = gga("000001.000") + "\n" + rmc("000009.000") + "\n" +
                             rmc("000001.000") + "\n" + rmc("000001.000") + "\n";
    EXPECT_EQ(countFixes(text), 2u);
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

TEST_F(NmeaReader, acceptsOnlyGpggaAndGprmcInAnyLetterCase)
{
    const std::string lower = sentence("gpgga,000001.000,3539.1234,N,13945.6789,E,1,08,1.0,40.0,M,39.0,M,,0000");
    EXPECT_EQ(countFixes(lower + "\n" + rmc("000001.000") + "\n"), 1u);

    const std::string gnBody = "GNGGA,000001.000,3539.1234,N,13945.6789,E,1,08,1.0,40.0,M,39.0,M,,0000";
    EXPECT_EQ(countFixes(sentence(gnBody) + "\n" + rmc("000001.000") + "\n"), 0u);
    EXPECT_EQ(countFixes(sentence("GPGLL,3539.1234,N,13945.6789,E,000001.000,A,A") + "\n" +
                         rmc("000001.000") + "\n"),
              0u);
}

TEST_F(NmeaReader, neverAcceptsTheShortRmcWithoutModeIndicator)
{
    const std::string shortRmc =
        sentence("GPRMC,000001.000,A,3539.1234,N,13945.6789,E,0.00,0.00,010508,,");
    EXPECT_EQ(countFixes(gga("000001.000") + "\n" + shortRmc + "\n"), 0u);
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

TEST_F(NmeaReader, skipsSentencesWithTooManyFieldsOrOverlongFields)
{
    const std::string extraField =
        sentence("GPGGA,000001.000,3539.1234,N,13945.6789,E,1,08,1.0,40.0,M,39.0,M,,0000,9");
    EXPECT_EQ(countFixes(extraField + "\n" + rmc("000001.000") + "\n"), 0u);

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

TEST_F(NmeaReader, survivesTwoSentencesRunTogether)
{
    EXPECT_EQ(countFixes(gga("000001.000") + rmc("000001.000") + "\n"), 0u);
    EXPECT_EQ(countFixes(gga("000001.000") + "\n" + rmc("000001.000") + gga("000002.000") + "\n"), 0u);
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
