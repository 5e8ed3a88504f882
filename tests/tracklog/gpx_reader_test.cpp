#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

#include "photo/point_comparison.h"
#include "support/nmea_text.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"
#include "tracklog/gpx_reader.h"
#include "tracklog/nmea_reader.h"

namespace vantora {
namespace {

// ------------------------------------------------------------ GPX texts

std::string trkpt(const std::string& lat, const std::string& lon, const std::string& time,
                  const std::string& inside = "")
{
    return "<trkpt lat=\"" + lat + "\" lon=\"" + lon + "\"><time>" + time + "</time>" + inside +
           "</trkpt>";
}

// A point near Tokyo at 2008-05-01 03:04:ss UTC.
std::string at(int second)
{
    char time[32];
    std::snprintf(time, sizeof time, "2008-05-01T03:04:%02dZ", second);
    return trkpt("35.6", "139.7", time);
}

std::string segment(const std::string& points)
{
    return "<trk><trkseg>" + points + "</trkseg></trk>";
}

std::string gpx11(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n" +
           body + "\n</gpx>\n";
}

std::string utf16le(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// `levels` nested elements inside a GPX root.
std::string nested(int levels)
{
    std::string text = "<gpx>";
    for (int i = 0; i < levels; ++i)
        text += "<x>";
    for (int i = 0; i < levels; ++i)
        text += "</x>";
    return text + "</gpx>";
}

std::string withReplaced(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

std::string withCrLf(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

const std::string kTwoPoints = gpx11(segment(at(5) + at(6)));
const std::string kBillionLaughs = [] {
    std::string text = "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [\n<!ENTITY a0 \"lol\">\n";
    for (int i = 1; i < 10; ++i) {
        text += "<!ENTITY a" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j)
            text += "&a" + std::to_string(i - 1) + ";";
        text += "\">\n";
    }
    return text + "]>\n<gpx><trk><name>&a9;</name><trkseg>" + at(5) + "</trkseg></trk></gpx>";
}();

// ------------------------------------------------------------ the table

struct GpxCase {
    const char* what;
    std::string text;
    GpxProblem problem;
    std::vector<std::string> times;  // the points' UTC texts, in the order read
    long line = 0;                   // for `damaged`
    // Where Wine's XmlLite is more lenient than Windows' and expat.
    std::optional<GpxProblem> problemUnderWine = std::nullopt;
};

#ifdef _WIN32
bool runningUnderWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
#else
bool runningUnderWine()
{
    return false;
}
#endif

const std::vector<GpxCase>& gpxCases()
{
    static const std::vector<GpxCase> cases = {
        // What is a track.
        {"every point of every track and segment", gpx11(segment(at(1) + at(2)) + segment(at(3)) +
             "<trk><trkseg>" + at(4) + "</trkseg><trkseg>" + at(5) + "</trkseg></trk>"),
         GpxProblem::none, {"2008/05/01 03:04:01", "2008/05/01 03:04:02", "2008/05/01 03:04:03",
                            "2008/05/01 03:04:04", "2008/05/01 03:04:05"}},
        {"waypoints and route points a year older are no track",
         gpx11("<wpt lat=\"35\" lon=\"139\"><time>2007-05-01T00:00:00Z</time></wpt>"
               "<rte><rtept lat=\"35\" lon=\"139\"><time>2007-05-01T00:00:01Z</time></rtept></rte>" +
               segment(at(5))),
         GpxProblem::none, {"2008/05/01 03:04:05"}},
        {"only waypoints and routes", gpx11("<wpt lat=\"35\" lon=\"139\"><time>2008-05-01T00:00:00Z</time></wpt>"
                                            "<rte><rtept lat=\"35\" lon=\"139\"/></rte>"),
         GpxProblem::onlyWaypointsAndRoutes, {}},
        {"waypoints beside track points without a time",
         gpx11("<wpt lat=\"35\" lon=\"139\"/>" + segment("<trkpt lat=\"35\" lon=\"139\"/>")),
         GpxProblem::onlyWaypointsAndRoutes, {}},
        {"track points without a time", gpx11(segment("<trkpt lat=\"35\" lon=\"139\"><ele>4</ele></trkpt>")),
         GpxProblem::noTimedTrackPoint, {}},
        {"an empty gpx", gpx11(""), GpxProblem::noTimedTrackPoint, {}},

        // What is left out.
        {"pause markers and coordinates out of range",
         gpx11(segment(trkpt("100", "139", "2008-05-01T03:04:01Z") + trkpt("35", "200", "2008-05-01T03:04:02Z") +
                       trkpt("-90.0001", "0", "2008-05-01T03:04:03Z") + trkpt("x", "139", "2008-05-01T03:04:04Z") +
                       trkpt("NaN", "139", "2008-05-01T03:04:06Z") + trkpt("1e1", "139", "2008-05-01T03:04:07Z") +
                       trkpt("90", "-180", "2008-05-01T03:04:08Z") + trkpt("+35.5", " 180 ", "2008-05-01T03:04:09Z"))),
         GpxProblem::none, {"2008/05/01 03:04:08", "2008/05/01 03:04:09"}},
        {"a point without lat or lon", gpx11(segment("<trkpt lon=\"139\"><time>2008-05-01T03:04:01Z</time></trkpt>" + at(2))),
         GpxProblem::none, {"2008/05/01 03:04:02"}},
        {"fix none", gpx11(segment(trkpt("35", "139", "2008-05-01T03:04:01Z", "<fix>none</fix>") +
                                   trkpt("35", "139", "2008-05-01T03:04:02Z", "<fix>3d</fix>"))),
         GpxProblem::none, {"2008/05/01 03:04:02"}},
        {"a third track repeating the first two gives each instant once",
         gpx11(segment(at(1) + at(2)) + segment(at(3)) + segment(at(1) + at(2) + at(3))),
         GpxProblem::none, {"2008/05/01 03:04:01", "2008/05/01 03:04:02", "2008/05/01 03:04:03"}},
        {"points in time order", gpx11(segment(at(9) + at(3)) + segment(at(5))),
         GpxProblem::none, {"2008/05/01 03:04:03", "2008/05/01 03:04:05", "2008/05/01 03:04:09"}},

        // Times as real files write them.
        {"zones, fractions, whitespace",
         gpx11(segment(trkpt("35", "139", "2008-05-01T12:04:01+09:00") +
                       trkpt("35", "139", "2008-04-30T20:04:02-07:00") +
                       trkpt("35", "139", "2008-05-01T04:19:03+01:15") +
                       trkpt("35", "139", "2008-05-01T03:04:04.999Z") +
                       trkpt("35", "139", "2008-05-01T03:04:05.1234567890123456789Z") +
                       trkpt("35", "139", "\r\n   2008-05-01T03:04:06Z\n\t") +
                       trkpt("35", "139", "2008-05-01T03:04:07"))),
         GpxProblem::none, {"2008/05/01 03:04:01", "2008/05/01 03:04:02", "2008/05/01 03:04:03",
                            "2008/05/01 03:04:04", "2008/05/01 03:04:05", "2008/05/01 03:04:06",
                            "2008/05/01 03:04:07"}},
        {"leap days and year ends",
         gpx11(segment(trkpt("35", "139", "2008-02-29T23:59:59Z") +
                       trkpt("35", "139", "2008-03-01T05:00:00+09:00") +
                       trkpt("35", "139", "2008-12-31T23:30:00-01:00") +
                       trkpt("35", "139", "2009-01-01T08:29:59+09:00"))),
         GpxProblem::none, {"2008/02/29 20:00:00", "2008/02/29 23:59:59", "2008/12/31 23:29:59",
                            "2009/01/01 00:30:00"}},
        {"times that are not usable",
         gpx11(segment(trkpt("35", "139", "2007-02-29T00:00:00Z") + trkpt("35", "139", "2008-04-31T00:00:00Z") +
                       trkpt("35", "139", "2008-05-01T24:00:00Z") + trkpt("35", "139", "2008-12-31T23:59:60Z") +
                       trkpt("35", "139", "2008-13-01T00:00:00Z") + trkpt("35", "139", "2008-05-01 03:04:05Z") +
                       trkpt("35", "139", "2008-05-01T03:04:05+15:00") + trkpt("35", "139", "2008-05-01T03:04:05.Z") +
                       trkpt("35", "139", "08-05-01T03:04:05Z") + trkpt("35", "139", "1899-12-31T23:59:59Z") +
                       trkpt("35", "139", "2008-05-01T03:04:05Z trailing") + trkpt("35", "139", ""))),
         GpxProblem::noTimedTrackPoint, {}},
        {"a time of 100 KiB is skipped, not stored",
         gpx11(segment(trkpt("35", "139", std::string(100 << 10, '2')) + at(5))),
         GpxProblem::none, {"2008/05/01 03:04:05"}},

        // XML as real files write it.
        {"GPX 1.0 with a prefix",
         "<?xml version=\"1.0\"?><g:gpx version=\"1.0\" xmlns:g=\"http://www.topografix.com/GPX/1/0\">"
         "<g:trk><g:trkseg><g:trkpt lat=\"35\" lon=\"139\"><g:time>2008-05-01T03:04:05Z</g:time>"
         "</g:trkpt></g:trkseg></g:trk></g:gpx>",
         GpxProblem::none, {"2008/05/01 03:04:05"}},
        {"no namespace at all", "<gpx>" + segment(at(5)) + "</gpx>", GpxProblem::none, {"2008/05/01 03:04:05"}},
        {"other namespaces and extensions ignored",
         gpx11("<trk><extensions><trkseg>" + at(1) + "</trkseg></extensions><trkseg>" +
               "<trkpt lat=\"35\" lon=\"139\"><extensions><x:time xmlns:x=\"urn:x\">2001-01-01T00:00:00Z"
               "</x:time><time>2002-01-01T00:00:00Z</time></extensions><time>2008-05-01T03:04:05Z</time></trkpt>" +
               "<o:trkpt xmlns:o=\"urn:other\" lat=\"35\" lon=\"139\"><o:time>2008-05-01T03:04:06Z</o:time></o:trkpt>"
               "</trkseg></trk>"),
         GpxProblem::none, {"2008/05/01 03:04:05"}},
        {"byte-order mark and CR LF", "\xEF\xBB\xBF" + withCrLf(kTwoPoints),
         GpxProblem::none, {"2008/05/01 03:04:05", "2008/05/01 03:04:06"}},
        {"CR alone", "<?xml version=\"1.0\"?>\r<gpx>\r<trk>\r<trkseg>\r" + at(5) + "\r</trkseg></trk></gpx>\r",
         GpxProblem::none, {"2008/05/01 03:04:05"}},
        {"CDATA, comments and entities in names and times",
         gpx11("<trk><name>Caf&#xE9; &amp; <![CDATA[<bar>]]><!-- note --> &lt;&gt;</name><trkseg>"
               "<trkpt lat=\"35\" lon=\"139\"><name>&quot;a&apos;</name>"
               "<time><!-- c --><![CDATA[2008-05-01T03:04:05]]>&#x5A;</time></trkpt></trkseg></trk>"),
         GpxProblem::none, {"2008/05/01 03:04:05"}},
        {"UTF-16 with a byte-order mark",
         utf16le(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<gpx><trk><name>\u6771\u4eac</name><trkseg>"
                 u"<trkpt lat=\"35\" lon=\"139\"><time>2008-05-01T03:04:05Z</time></trkpt></trkseg></trk></gpx>"),
         GpxProblem::none, {"2008/05/01 03:04:05"}},
        {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<gpx><trk><name>M\xFCnchen \xE9t\xE9</name><trkseg>" +
                           at(5) + "</trkseg></trk></gpx>",
         GpxProblem::none, {"2008/05/01 03:04:05"}},
        {"Windows-1252", "<?xml version='1.0' encoding='windows-1252'?>\n<gpx><trk><name>\x80 \x93quoted\x94</name><trkseg>" +
                             at(5) + "</trkseg></trk></gpx>",
         GpxProblem::none, {"2008/05/01 03:04:05"}},

        // What is not GPX.
        {"another root element", "<kml><trk><trkseg>" + at(5) + "</trkseg></trk></kml>", GpxProblem::notGpx, {}},
        {"gpx of another namespace", "<gpx xmlns=\"urn:not-gpx\">" + segment(at(5)) + "</gpx>", GpxProblem::notGpx, {}},
        {"an NMEA log", test::fix("030405.000"), GpxProblem::damaged, {}, 1},
        {"an empty file", "", GpxProblem::damaged, {}, 1},

        // Hostile files.
        {"a DTD", "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx SYSTEM \"gpx.dtd\">\n" + segment(at(5)),
         GpxProblem::dtdRefused, {}},
        {"the billion laughs", kBillionLaughs, GpxProblem::dtdRefused, {}},
        {"an external entity", "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n"
                               "<gpx><trk><name>&x;</name></trk></gpx>",
         GpxProblem::dtdRefused, {}},
        {"an undeclared entity", "<gpx><trk><name>&x;</name></trk></gpx>", GpxProblem::damaged, {}, 1,
         GpxProblem::noTimedTrackPoint},
        {"nesting 100,000 deep", nested(100000), GpxProblem::damaged, {}, 1},
        {"nesting 200 deep is fine", "<gpx>" + segment(at(5)) + nested(200).substr(5), GpxProblem::none,
         {"2008/05/01 03:04:05"}},
        {"cut off after a point", kTwoPoints.substr(0, kTwoPoints.find("<trkpt", kTwoPoints.find("</trkpt>")) + 20),
         GpxProblem::none, {"2008/05/01 03:04:05"}},
        {"cut off before any point", kTwoPoints.substr(0, kTwoPoints.find("</time>")), GpxProblem::damaged, {}, 3},
        {"invalid UTF-8 after a point", withReplaced(kTwoPoints, "</trkpt><trkpt", "</trkpt>\n<name>\xC3\x28\xFF</name><trkpt"),
         GpxProblem::none, {"2008/05/01 03:04:05"}},
        {"invalid UTF-8 before any point", withReplaced(kTwoPoints, "<trk>", "<trk>\n<name>\xC3\x28</name>"),
         GpxProblem::damaged, {}, 4},
    };
    return cases;
}

class GpxReader : public ::testing::Test {
protected:
    test::ScopedTimeZone tz_{"JST-9"};
};

TEST_F(GpxReader, readsEachTableTextAsDescribed)
{
    for (const GpxCase& c : gpxCases()) {
        LogFileRecord record;
        const GpxReadResult result = readGpxText(c.text, record);
        const GpxProblem expected =
            c.problemUnderWine && runningUnderWine() ? *c.problemUnderWine : c.problem;
        EXPECT_EQ(result.problem, expected) << c.what;
        if (expected == GpxProblem::damaged) {
            EXPECT_EQ(result.line, c.line) << c.what;
        }
        std::vector<std::string> times;
        for (const TrackPoint& p : record.points())
            times.push_back(p.time.dateTimeText);
        EXPECT_EQ(times, c.times) << c.what;
        for (std::size_t i = 0; i < record.points().size(); ++i)
            EXPECT_EQ(toTimeValue(record.points()[i].time), record.pointTimes()[i]) << c.what;
    }
}

// ------------------------------------------------------------ positions

TEST_F(GpxReader, givesTheSameTrackPointAsTheLoggerForTheSameFix)
{
    LogFileRecord nmea;
    ASSERT_TRUE(readNmeaText(test::gga("030405.000", "3539.1234", "N", "13945.7779", "E") + "\r\n" +
                                 test::rmc("030405.000") + "\r\n",
                             nmea));
    LogFileRecord gpx;
    ASSERT_EQ(readGpxText(gpx11(segment(trkpt("35.652056667", "139.762965", "2008-05-01T12:04:05.000+09:00"))), gpx)
                  .problem,
              GpxProblem::none);
    ASSERT_EQ(gpx.points().size(), 1u);
    EXPECT_EQ(test::firstDifference(gpx.points()[0], nmea.points()[0]), "");
    EXPECT_EQ(gpx.pointTimes(), nmea.pointTimes());
}

TEST_F(GpxReader, roundsSecondsToTenthsHalfUpAndCarriesThemIntoMinutesAndDegrees)
{
    struct Case {
        const char* lat;
        const char* lon;
        std::uint32_t latDms[3];
        const char* latRef;
        std::uint32_t lonDms[3];
        const char* lonRef;
    } cases[] = {
        {"35.99999", "-0.000013", {36, 0, 0}, "N", {0, 0, 0}, "W"},     // 59.964" carries; 0.047" rounds to 0
        {"-33.8688", "-151.2093", {33, 52, 77}, "S", {151, 12, 335}, "W"},
        {"0.000013889", "179.999986", {0, 0, 1}, "N", {179, 59, 599}, "E"},  // 0.05" up; 59.9496" down
        {"90", "180", {90, 0, 0}, "N", {180, 0, 0}, "E"},
    };
    for (const Case& c : cases) {
        LogFileRecord record;
        readGpxText(gpx11(segment(trkpt(c.lat, c.lon, "2008-05-01T03:04:05Z"))), record);
        ASSERT_EQ(record.points().size(), 1u) << c.lat;
        const TrackPoint& p = record.points()[0];
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(p.latitude[i].numerator, c.latDms[i]) << c.lat << " " << i;
            EXPECT_EQ(p.longitude[i].numerator, c.lonDms[i]) << c.lon << " " << i;
        }
        EXPECT_STREQ(p.latitudeRef, c.latRef) << c.lat;
        EXPECT_STREQ(p.longitudeRef, c.lonRef) << c.lon;
        EXPECT_STREQ(p.status, "A");
        EXPECT_STREQ(p.timeText, "03:04:05");
    }
    LogFileRecord carried;
    readGpxText(gpx11(segment(trkpt("35.99999", "139", "2008-05-01T03:04:05Z"))), carried);
    ASSERT_EQ(carried.points().size(), 1u);
    EXPECT_EQ(std::string(carried.points()[0].latitudeText), "\x96\x6B\x88\xDC 36\x93\x78" "0\x95\xAA" "0.0\x95\x62");
}

// ------------------------------------------------------------ stray points

std::string pointsFrom(const std::string& day, int firstSecond, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        const int s = firstSecond + i;
        char time[40];
        std::snprintf(time, sizeof time, "%sT%02d:%02d:%02dZ", day.c_str(), s / 3600, s / 60 % 60, s % 60);
        text += trkpt("35.6", "139.7", time);
    }
    return text;
}

TEST_F(GpxReader, leavesOutAFewStrayPointsFarFromTheRestButKeepsRealDays)
{
    struct Case {
        const char* what;
        std::string points;
        std::size_t kept;
        const char* first;
        const char* last;
    } cases[] = {
        {"cached fixes years old at the start", pointsFrom("2005-01-01", 0, 3) + pointsFrom("2008-05-01", 0, 40),
         40, "2008/05/01 00:00:00", "2008/05/01 00:00:39"},
        {"strays at both ends, twice over", pointsFrom("2001-01-01", 0, 1) + pointsFrom("2005-01-01", 0, 2) +
                                                pointsFrom("2008-05-01", 0, 60) + pointsFrom("2012-01-01", 0, 2),
         60, "2008/05/01 00:00:00", "2008/05/01 00:00:59"},
        {"ten points far away are not strays", pointsFrom("2005-01-01", 0, 10) + pointsFrom("2008-05-01", 0, 200),
         210, "2005/01/01 00:00:00", "2008/05/01 00:03:19"},
        {"a tenth of the file is not strays", pointsFrom("2005-01-01", 0, 3) + pointsFrom("2008-05-01", 0, 27),
         30, "2005/01/01 00:00:00", "2008/05/01 00:00:26"},
        {"a gap of exactly a day is no gap", pointsFrom("2008-04-30", 0, 1) + pointsFrom("2008-05-01", 0, 40),
         41, "2008/04/30 00:00:00", "2008/05/01 00:00:39"},
        {"several real days stay one log", pointsFrom("2008-05-01", 0, 30) + pointsFrom("2008-05-03", 0, 30) +
                                               pointsFrom("2008-05-07", 0, 30),
         90, "2008/05/01 00:00:00", "2008/05/07 00:00:29"},
    };
    for (const Case& c : cases) {
        LogFileRecord record;
        EXPECT_EQ(readGpxText(gpx11(segment(c.points)), record).problem, GpxProblem::none) << c.what;
        ASSERT_EQ(record.points().size(), c.kept) << c.what;
        EXPECT_STREQ(record.points().front().time.dateTimeText, c.first) << c.what;
        EXPECT_STREQ(record.points().back().time.dateTimeText, c.last) << c.what;
    }
}

// ------------------------------------------------------------ files

TEST_F(GpxReader, refusesWhatCannotBeOpenedAndSetsThePathEitherWay)
{
    test::TempDir dir;
    const auto good = dir.write("day.gpx", kTwoPoints);
    const std::filesystem::path missing = dir.path() / "missing.gpx";
    const std::filesystem::path tooLong = dir.path() / std::string(300, 'a');
    for (const auto& path : {missing, dir.path(), tooLong}) {
        LogFileRecord record;
        EXPECT_EQ(readGpxLog(path, record).problem, GpxProblem::cannotOpen) << path;
        EXPECT_EQ(record.path, path);
        EXPECT_TRUE(record.empty());
    }
    LogFileRecord record;
    EXPECT_EQ(readGpxLog(good, record).problem, GpxProblem::none);
    EXPECT_EQ(record.path, good);
    EXPECT_EQ(record.points().size(), 2u);
}

#ifndef _WIN32
long peakMemoryKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
#endif

// A 200 MB file streams through in chunks: the points without a time in
// between are never kept, so memory stays small. Native only: Wine's XML
// reader takes minutes for it.
TEST_F(GpxReader, streamsA200MegabyteFileInBoundedMemory)
{
#ifdef _WIN32
    GTEST_SKIP() << "too slow under Wine";
#else
    test::TempDir dir;
    const auto path = dir.path() / "big.gpx";
    {
        std::ofstream out(path, std::ios::binary);
        out << "<gpx><trk><trkseg>" << at(1);
        const std::string untimed = "<trkpt lat=\"35.6\" lon=\"139.7\"><ele>12.5</ele></trkpt>\n";
        std::string block;
        while (block.size() < (1 << 20))
            block += untimed;
        for (int i = 0; i < 200; ++i)
            out << block;
        out << "<trkpt lat=\"35.6\" lon=\"139.7\"><name>" << std::string(100 << 10, 'n') << "</name>"
            << "<time>2008-05-01T03:04:02Z</time></trkpt></trkseg></trk></gpx>";
    }
    ASSERT_GT(std::filesystem::file_size(path), 200u << 20);
    const long before = peakMemoryKiB();
    LogFileRecord record;
    EXPECT_EQ(readGpxLog(path, record).problem, GpxProblem::none);
    EXPECT_EQ(record.points().size(), 2u);
    EXPECT_LT(peakMemoryKiB() - before, 64 * 1024) << "KiB more at the peak";
#endif
}

// A comment (or any single node) of 24 MiB is refused before the parser
// has buffered all of it, in both builds (Wine's own XmlLite would crash in
// it); the points before it stay.
TEST_F(GpxReader, refusesAGiantNodeAndKeepsThePointsBeforeIt)
{
    const std::string giant = "<!--" + std::string(24 << 20, 'c') + "-->";
    LogFileRecord before;
    EXPECT_EQ(readGpxText(withReplaced(kTwoPoints, "<trk>", "<trk>" + giant), before).problem,
              GpxProblem::damaged);
    LogFileRecord after;
    EXPECT_EQ(readGpxText(withReplaced(kTwoPoints, "</trkseg>", giant + "</trkseg>"), after).problem,
              GpxProblem::none);
    EXPECT_EQ(after.points().size(), 2u);
}

}  // namespace
}  // namespace vantora
