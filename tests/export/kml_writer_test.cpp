#include "export/kml_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "photo/track_builder.h"

namespace vantora {
namespace {

using test::dateTime;
using test::dms;
using test::LogBuilder;

const std::int64_t kLatitude = dms(35, 39, 74);    // the worked example's fix
const std::int64_t kLongitude = dms(139, 45, 407);

std::string routeCoordinates(const std::string& kml)
{
    const std::string open = "<coordinates>";
    const auto start = kml.find(open) + open.size();
    return kml.substr(start, kml.find("\t\t\t\t</coordinates>", start) - start);
}

std::size_t countOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

LogList oneLog(std::int64_t latitude, std::int64_t longitude)
{
    LogList logs;
    logs.push_back(LogBuilder("a.log").fix(dateTime(2008, 5, 1, 3, 4, 5), latitude, longitude).build());
    return logs;
}

PhotoRecord matchedPhoto(std::filesystem::path path)
{
    PhotoRecord photo = test::photoTakenAt(dateTime(2008, 5, 1, 12, 4, 5), std::move(path));
    photo.match = test::fixMatch(dateTime(2008, 5, 1, 3, 4, 5), kLatitude, kLongitude);
    return photo;
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(KmlRoute, WritesEachFixAsFiveTabsAndSignedDegrees)
{
    struct Case {
        const char* name;
        std::int64_t latitude;
        std::int64_t longitude;
        const char* expected;
    };
    const Case cases[] = {
        {"north east", kLatitude, kLongitude, "\t\t\t\t\t139.761306,35.652056,0"},
        {"south west", -kLatitude, -kLongitude, "\t\t\t\t\t-139.761306,-35.652056,0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(routeCoordinates(buildKmlDocument(oneLog(c.latitude, c.longitude), nullptr)),
                  c.expected)
            << c.name;
}

TEST(KmlRoute, FixWithoutPositionPrintsAsMinusZero)
{
    LogList logs;
    auto record = std::make_unique<LogFileRecord>();
    TrackPoint empty;
    empty.time = dateTime(2008, 5, 1, 3, 4, 5);
    record->appendPoint(empty, 0);
    logs.push_back(std::move(record));
    EXPECT_EQ(routeCoordinates(buildKmlDocument(logs, nullptr)),
              "\t\t\t\t\t-0.000000,-0.000000,0");
}

TEST(KmlRoute, JoinsTheLogsInRouteIntoOneLineAndSkipsTheOthers)
{
    LogList logs;
    logs.push_back(LogBuilder("a.log").fix(dateTime(2008, 5, 1, 3, 0, 0), dms(35, 0, 0), dms(139, 0, 0))
                       .fix(dateTime(2008, 5, 1, 3, 0, 1), dms(35, 1, 0), dms(139, 1, 0)).build());
    logs.push_back(LogBuilder("b.log").fix(dateTime(2008, 5, 1, 4, 0, 0), dms(36, 0, 0), dms(140, 0, 0)).build());
    logs.push_back(LogBuilder("c.log").fix(dateTime(2008, 5, 1, 5, 0, 0), dms(37, 0, 0), dms(141, 0, 0)).build());
    logs[1]->inRoute = 0;
    EXPECT_EQ(routeCoordinates(buildKmlDocument(logs, nullptr)),
              "\t\t\t\t\t139.000000,35.000000,0\t\t\t\t\t139.016667,35.016667,0"
              "\t\t\t\t\t141.000000,37.000000,0");

    for (auto& log : logs)
        log->inRoute = 0;
    const std::string kml = buildKmlDocument(logs, nullptr);
    EXPECT_EQ(routeCoordinates(kml), "");
    EXPECT_NE(kml.find("<coordinates>\t\t\t\t</coordinates>"), std::string::npos);
}

TEST(KmlPhotos, AppearOnlyWhenEveryPhotoIsMatched)
{
    const LogList logs = oneLog(kLatitude, kLongitude);
    std::vector<PhotoRecord> photos = {matchedPhoto("/p/a.jpg"), matchedPhoto("/p/b.jpg"),
                                       matchedPhoto("/p/c.jpg")};
    photos[1].match.reset();
    const std::string withUnmatched = buildKmlDocument(logs, &photos);
    EXPECT_EQ(withUnmatched, buildKmlDocument(logs, nullptr));

    photos[1] = matchedPhoto("/p/b.jpg");
    const std::string kml = buildKmlDocument(logs, &photos);
    for (const char* id : {"Style00000", "Style00001", "Style00002"}) {
        const std::string style = std::string("<Style id=\"") + id + "\">";
        const auto styleEnd = kml.find("\t\t</Style>", kml.find(style)) + 10;
        EXPECT_EQ(kml.compare(styleEnd, 13, "\t\t<Placemark>"), 0) << id;
        EXPECT_EQ(countOf(kml, std::string("<styleUrl>#") + id + "</styleUrl>"), 1u) << id;
    }
    EXPECT_LT(kml.find("a.jpg"), kml.find("b.jpg"));
    EXPECT_LT(kml.find("b.jpg"), kml.find("c.jpg"));
    EXPECT_NE(kml.find("<name>a.jpg</name>"), std::string::npos);
    EXPECT_NE(kml.find("<coordinates>139.761306,35.652056,0</coordinates>"), std::string::npos);
    EXPECT_NE(kml.find("Date: 2008/05/01 12:04:05<br/>"), std::string::npos);
}

TEST(KmlPhotos, EndOnlyEachDescriptionWithALineFeed)
{
    const LogList logs = oneLog(kLatitude, kLongitude);
    const std::vector<PhotoRecord> photos = {matchedPhoto("/p/a.jpg"), matchedPhoto("/p/b.jpg")};
    const std::string kml = buildKmlDocument(logs, &photos);
    EXPECT_EQ(countOf(kml, "\n"), 2u);
    EXPECT_EQ(countOf(kml, "</description>\n"), 2u);
    EXPECT_EQ(countOf(buildKmlDocument(logs, nullptr), "\n"), 0u);
}

TEST(KmlPhotos, EscapeReservedCharactersOfPaths)
{
    const LogList logs = oneLog(kLatitude, kLongitude);
    const std::vector<PhotoRecord> photos = {matchedPhoto("/p/R&D <1> \"q\" 'x' ]]>.jpg")};
    const std::string kml = buildKmlDocument(logs, &photos);
    const std::string escaped = "R&amp;D &lt;1&gt; &quot;q&quot; &apos;x&apos; ]]&gt;.jpg";
    EXPECT_NE(kml.find("<name>" + escaped + "</name>"), std::string::npos);
    EXPECT_NE(kml.find("<href>/p/" + escaped + "</href>"), std::string::npos);
    EXPECT_EQ(kml.find("R&D"), std::string::npos);
    // One "]]>" per CDATA section: the description is closed exactly once.
    EXPECT_EQ(countOf(kml, "]]>"), countOf(kml, "<![CDATA["));
}

TEST(KmlPhotos, WriteALongJapanesePathWhole)
{
    const LogList logs = oneLog(kLatitude, kLongitude);
    std::string folder;
    for (int i = 0; i < 200; ++i)
        folder += "写真";
    const std::string name = "旅行の写真.jpg";
    const std::filesystem::path path =
        std::filesystem::path(u8"/photos") / std::u8string(folder.begin(), folder.end()) /
        std::u8string(name.begin(), name.end());
    const std::vector<PhotoRecord> photos = {matchedPhoto(path)};
    const std::u8string stored = path.u8string();  // with the platform's separators
    const std::string whole(stored.begin(), stored.end());
    const std::string kml = buildKmlDocument(logs, &photos);
    EXPECT_NE(kml.find("<href>" + whole + "</href>"), std::string::npos);
    EXPECT_NE(kml.find("<name>" + name + "</name>"), std::string::npos);
    EXPECT_NE(kml.find("file:///" + whole + "\""), std::string::npos);
}

TEST(KmlFile, IsWrittenAsBuiltOrReportsThatItCannotBeCreated)
{
    const auto folder = std::filesystem::temp_directory_path() / "kml_writer_test";
    std::filesystem::create_directories(folder);
    const LogList logs = oneLog(kLatitude, kLongitude);

    const auto target = folder / u8"経路.kml";
    ASSERT_EQ(writeKml(target, logs, nullptr), kKmlWritten);
    EXPECT_EQ(readFile(target), buildKmlDocument(logs, nullptr));

    EXPECT_EQ(writeKml(folder / "missing" / "route.kml", logs, nullptr), kKmlCannotCreate);
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
    std::filesystem::remove_all(folder);
}

// A raw photo shows its embedded preview, copied beside the KML file; one
// without a preview (a HEIF photo) gets a placemark without a picture.
TEST(KmlFile, ShowsARawPhotosPreviewWrittenBesideItAndNoPictureWithoutOne)
{
    const auto folder = std::filesystem::temp_directory_path() / u8"kml_writer_test_写真";
    std::filesystem::create_directories(folder);
    const std::filesystem::path raw = std::filesystem::path(RAW_FIXTURE_DIR) / "canon_ii.cr2";
    std::vector<PhotoRecord> photos = {matchedPhoto(folder / "a.jpg"), matchedPhoto(raw),
                                       matchedPhoto(std::filesystem::path(RAW_FIXTURE_DIR) / "apple.heic")};
    photos[1].exif.kind = PhotoKind::tiffRaw;
    photos[2].exif.kind = PhotoKind::heif;
    const auto target = folder / "route.kml";
    ASSERT_EQ(writeKml(target, oneLog(kLatitude, kLongitude), &photos), kKmlWritten);

    const auto preview = folder / "route_previews" / "0002_canon_ii.cr2.jpg";
    const std::string bytes = readFile(preview);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(readFile(raw).find(bytes) != std::string::npos, true);  // the preview, byte for byte
    const std::string kml = readFile(target);
    const std::u8string href = preview.u8string();
    EXPECT_NE(kml.find("<href>" + std::string(href.begin(), href.end()) + "</href>"), std::string::npos);
    EXPECT_EQ(countOf(kml, "<Style id="), 2u);  // the JPEG and the raw photo
    EXPECT_EQ(countOf(kml, "<styleUrl>"), 2u);
    EXPECT_NE(kml.find("<name>apple.heic</name>"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / "route_previews" / "0003_apple.heic.jpg"));
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vantora
