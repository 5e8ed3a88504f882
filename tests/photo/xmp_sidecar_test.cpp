// XMP sidecars of raw and HEIC photos: the edit changes only the written
// properties (compared as parsed, and byte for byte outside them), the
// values read back, doubtful texts are refused, and the files are replaced
// only when nobody changed them meanwhile.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>

#include "photo/xmp_parsed.h"
#include "photo/xmp_sidecar.h"
#include "photo/xmp_text.h"
#include "photo/xmp_values.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vantora {
namespace {

namespace fs = std::filesystem;

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string fixture(const std::string& name) { return fileText(fs::path(XMP_FIXTURE_DIR) / name); }

// 35°40'52.5"N 139°45'40.7"E at 2008-05-12 01:20:30 UTC.
constexpr double kLatitude = 35.68125;
constexpr double kLongitude = 139.0 + 45.0 / 60 + 40.7 / 3600;

std::vector<XmpProperty> gpsProps()
{
    TrackMatch match;
    match.point.latitude[0] = {35, 1}, match.point.latitude[1] = {40, 1}, match.point.latitude[2] = {525, 10};
    match.point.longitude[0] = {139, 1}, match.point.longitude[1] = {45, 1}, match.point.longitude[2] = {407, 10};
    match.point.latitudeRef[0] = 'N', match.point.longitudeRef[0] = 'E', match.point.status[0] = 'A';
    ExifDateTime utc;
    utc.year = 2008, utc.month = 5, utc.day = 12, utc.hour = 1, utc.minute = 20, utc.second = 30;
    match.utc = toTimeValue(utc).value();
    return gpsSidecarProperties(match).value();
}

std::vector<XmpProperty> timeProps()
{
    ExifDateTime t;
    t.year = 2008, t.month = 5, t.day = 12, t.hour = 11, t.minute = 20, t.second = 30;
    return shootingTimeProperties(t);
}

// The text without the written properties in either form (and without
// the declarations of their namespaces), found by a scan of its own: what
// must be identical before and after an edit.
std::string withoutWritten(std::string text, const std::vector<XmpProperty>& props)
{
    for (const XmpProperty& p : props) {
        const std::string n(p.name);
        text = std::regex_replace(text, std::regex("\\s+[A-Za-z0-9_]+:" + n + "=(\"[^\"]*\"|'[^']*')"), "");
        text = std::regex_replace(text, std::regex("\\s*<([A-Za-z0-9_]+:" + n + ")>[^<]*</\\1>"), "");
        text = std::regex_replace(text, std::regex("\\s*<[A-Za-z0-9_]+:" + n + "/>"), "");
    }
    return std::regex_replace(text, std::regex("\\s+xmlns:[A-Za-z0-9_]+=[\"']http://ns.adobe.com/(exif|photoshop)/1.0/[\"']"), "");
}

const std::string kRdfOpen = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>";
const std::string kRdfClose = "</rdf:RDF></x:xmpmeta>";

struct EditCase {
    const char* what;
    std::string text;
    bool gps;              // else a shooting time
    const char* mustHold;  // shows the form and prefix the edit chose
    // exiftool takes a prefix of another namespace named "exif" for Exif's
    // own, against the XML namespace rules: it is no judge of that case.
    bool exiftoolJudges = true;
};

std::vector<EditCase> editCases()
{
    return {
        {"attribute form with history: added after the last attribute, laid out alike",
         fixture("adobe_attributes.xmp"), true, "crs:RawFileName=\"IMG_0001.CR2\"\n    exif:GPSVersionID=\"2.2.0.0\""},
        {"attribute form: a shift replaces DateTimeOriginal and declares photoshop",
         fixture("adobe_attributes.xmp"), false, "xmlns:photoshop=\"http://ns.adobe.com/photoshop/1.0/\""},
        {"element form, CRLF, comments, Japanese: values replaced in place, the missing one indented alike",
         fixture("elements_crlf.xmp"), true, "</Iptc4xmpCore:Location>\r\n   <exif:GPSStatus>A</exif:GPSStatus>"},
        {"element form: the shift replaces DateCreated",
         fixture("elements_crlf.xmp"), false, "<photoshop:DateCreated>2008-05-12T11:20:30</photoshop:DateCreated>"},
        {"darktable history", fixture("darktable.CR2.xmp"), true, "exif:GPSLatitude=\"35,40.8750N\""},
        {"exif under another prefix, in the second description, single quotes",
         fixture("other_prefix.xmp"), true, "ex:GPSLatitude='35,40.8750N'"},
        {"the prefix exif bound to another namespace: a free one is declared",
         kRdfOpen + "<rdf:Description rdf:about='' xmlns:exif='urn:other' exif:GPSLatitude='kept'/>" + kRdfClose, true,
         "exif:GPSLatitude='kept' xmlns:exif1='http://ns.adobe.com/exif/1.0/' exif1:GPSVersionID='2.2.0.0'", false},
        {"an empty description takes attributes", kRdfOpen + "<rdf:Description rdf:about=''></rdf:Description>" + kRdfClose,
         true, "rdf:about='' xmlns:exif='http://ns.adobe.com/exif/1.0/' exif:GPSVersionID='2.2.0.0'"},
    };
}

TEST(XmpEdit, changesOnlyTheWrittenPropertiesOfEveryShape)
{
    for (const EditCase& c : editCases()) {
        SCOPED_TRACE(c.what);
        const std::vector<XmpProperty> props = c.gps ? gpsProps() : timeProps();
        std::string why;
        const std::optional<std::string> edited = withProperties(c.text, props, &why);
        ASSERT_TRUE(edited) << why;
        EXPECT_EQ(parseXmp(*edited, props).canonical, parseXmp(c.text, props).canonical);
        EXPECT_EQ(withoutWritten(*edited, props), withoutWritten(c.text, props));
        EXPECT_NE(edited->find(c.mustHold), std::string::npos) << *edited;
        EXPECT_EQ(withProperties(*edited, props), edited) << "a second edit changes nothing";
        EXPECT_EQ(holdsGpsProperties(*edited), c.gps || holdsGpsProperties(c.text));
        const std::optional<XmpPhotoValues> values = readXmpValues(*edited);
        ASSERT_TRUE(values);
        if (c.gps) {
            ASSERT_TRUE(values->hasPosition());
            EXPECT_NEAR(values->latitude->signedDegrees(), kLatitude, 1e-9);
            EXPECT_NEAR(values->longitude->signedDegrees(), kLongitude, 1e-9);
            EXPECT_EQ(values->gpsTimeStamp, "2008-05-12T01:20:30Z");
            EXPECT_EQ(values->gpsStatus, "A");
        } else {
            ASSERT_TRUE(values->shootingTime);
            EXPECT_STREQ(values->shootingTime->dateTimeText, "2008/05/12 11:20:30");
        }
    }
}

TEST(XmpEdit, refusesWhatItCannotEditSafely)
{
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {"<gpx version='1.1'><trk/></gpx>", "not XMP"},
        {"", "well-formed"},
        {kRdfOpen + "<rdf:Description rdf:about=''>" + kRdfClose, "well-formed"},
        {"<!DOCTYPE x [<!ENTITY e 'boom'>]>" + kRdfOpen + "<rdf:Description a='&e;'/>" + kRdfClose, "document type"},
        {kRdfOpen + kRdfClose, "no rdf:Description"},
        {kRdfOpen + "<rdf:Description xmlns:exif='http://ns.adobe.com/exif/1.0/'><exif:GPSLatitude><rdf:Seq>"
                    "<rdf:li>1</rdf:li></rdf:Seq></exif:GPSLatitude></rdf:Description>" + kRdfClose,
         "structure"},
        {kRdfOpen + "<rdf:Description xmlns:exif='http://ns.adobe.com/exif/1.0/'><exif:GPSLatitude rdf:resource='urn:x'/>"
                    "</rdf:Description>" + kRdfClose,
         "structure"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(withProperties(c.text, gpsProps(), &why)) << c.text;
        EXPECT_NE(why.find(c.why), std::string::npos) << why;
    }
}

TEST(XmpValues, readsPositionsAndTimesInTheirFormsOnly)
{
    const struct {
        std::string_view name;
        const char* value;
        double degrees;  // latitude, or 0 for absent; for times: 1 when read
        const char* text;
    } cases[] = {
        {"GPSLatitude", "35,40.8750N", 35.68125, ""},
        {"GPSLatitude", "35,40,52.5N", 35.68125, ""},
        {"GPSLatitude", "35,40.8750S", -35.68125, ""},
        {"GPSLatitude", "35,40.8750E", 0, ""},
        {"GPSLatitude", "91,0.0N", 0, ""},
        {"GPSLatitude", "35,60.0N", 0, ""},
        {"GPSLatitude", "35.5N", 0, ""},
        {"DateTimeOriginal", "2008-05-12T10:20:30.25+09:00", 1, "2008/05/12 10:20:30"},
        {"DateTimeOriginal", "2008:05:12 10:20:30", 1, "2008/05/12 10:20:30"},
        {"DateTimeOriginal", "2008-05-12T10:20", 1, "2008/05/12 10:20:00"},
        {"DateTimeOriginal", "2008-05-12", 0, ""},
        {"DateTimeOriginal", "2008-13-12T10:20:30", 0, ""},
        {"DateTimeOriginal", "2008-05-12T10:20:30+9", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const std::vector<XmpProperty> props = {{kExifNamespace, c.name, c.value},
                                                {kExifNamespace, "GPSLongitude", "139,45.0E"}};
        const XmpPhotoValues values = readXmpValues(newSidecarText(props)).value();
        if (c.name == "GPSLatitude") {
            EXPECT_EQ(values.latitude.has_value(), c.degrees != 0);
            if (values.latitude) {
                EXPECT_NEAR(values.latitude->signedDegrees(), c.degrees, 1e-12);
            }
        } else {
            EXPECT_EQ(values.shootingTime.has_value(), c.degrees != 0);
            if (values.shootingTime) {
                EXPECT_STREQ(values.shootingTime->dateTimeText, c.text);
            }
        }
    }
    const XmpPhotoValues zoned = readXmpValues(fixture("elements_crlf.xmp")).value();
    EXPECT_STREQ(zoned.shootingTime->dateTimeText, "2008/05/12 10:20:30") << "DateCreated when no DateTimeOriginal";
    EXPECT_EQ(zoned.shootingZone, "+09:00");
    EXPECT_EQ(readXmpValues(fixture("adobe_attributes.xmp"))->shootingFraction, "25");
}

TEST(XmpValues, formatsCoordinatesExactlyEnough)
{
    const struct {
        Rational dms[3];
        char ref;
        const char* text;
    } cases[] = {
        {{{35, 1}, {40, 1}, {525, 10}}, 'N', "35,40.8750N"},
        {{{35, 1}, {39, 1}, {74, 10}}, 'N', "35,39.12333333N"},
        {{{139, 1}, {59, 1}, {5999, 100}}, 'E', "139,59.99983333E"},
        {{{0, 1}, {0, 1}, {0, 1}}, 'S', "0,00.0000S"},
        {{{35, 1}, {0, 1}, {3599999999u, 1000000000}}, 'W', "35,00.0600W"},
        {{{35, 0}, {0, 1}, {0, 1}}, 'N', ""},
        {{{35, 1}, {0, 1}, {0, 1}}, 'X', ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(xmpCoordinate(c.dms, c.ref).value_or(""), c.text);
}

TEST(XmpPacket, fitsItsPaddingToTheLengthAsked)
{
    const std::string packet = fixture("elements_crlf.xmp");
    for (long change : {0L, 50L, -150L, -206L}) {
        const auto fitted = fittedToLength(packet, packet.size() + change);
        ASSERT_TRUE(fitted) << change;
        EXPECT_EQ(fitted->size(), packet.size() + change);
        EXPECT_EQ(parseXmp(*fitted).canonical, parseXmp(packet).canonical);
        EXPECT_EQ(fitted->rfind("<?xpacket end=\"w\"?>\r\n"), fitted->size() - 21);
    }
    EXPECT_FALSE(fittedToLength(packet, packet.size() - 207)) << "more than the padding";
    EXPECT_FALSE(fittedToLength(fixture("adobe_attributes.xmp"), 10000)) << "no packet end";
}

class XmpSidecarFiles : public testing::Test {
protected:
    fs::path photo(const fs::path& name = "IMG_0001.CR2")
    {
        return dir_.write(fs::path(u8"写真 é 한") / name, "raw bytes");
    }
    std::vector<fs::path> filesBeside(const fs::path& file) const
    {
        std::vector<fs::path> names;
        for (const auto& entry : fs::directory_iterator(file.parent_path()))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    test::TempDir dir_;
};

TEST_F(XmpSidecarFiles, createsNameXmpWhenNoSidecarExists)
{
    const fs::path raw = photo(u8"夕景.HEIC");
    const auto results = writeSidecars(raw, gpsProps());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, SidecarOutcome::created);
    EXPECT_EQ(results[0].path.filename(), fs::path(u8"夕景.xmp"));
    EXPECT_EQ(filesBeside(raw), (std::vector<fs::path>{u8"夕景.HEIC", u8"夕景.xmp"})) << "no temporary file";
    const SidecarReading reading = readSidecar(raw);
    ASSERT_TRUE(reading.values.hasPosition());
    EXPECT_NEAR(reading.values.latitude->signedDegrees(), kLatitude, 1e-9);
}

TEST_F(XmpSidecarFiles, readsAndUpdatesBothSidecarsInTheirOwnLetterCase)
{
    const fs::path raw = photo();
    dir_.write(raw.parent_path() / "IMG_0001.XMP", fixture("adobe_attributes.xmp"));
    dir_.write(raw.parent_path() / "IMG_0001.CR2.xmp", fixture("other_prefix.xmp"));
    const SidecarPaths paths = sidecarPathsOf(raw);
    ASSERT_EQ(paths.existing.size(), 2u);
    EXPECT_EQ(paths.existing[0].filename(), "IMG_0001.XMP");

    const FolderListing listing(raw.parent_path());
    EXPECT_EQ(sidecarPathsOf(raw, &listing).existing, paths.existing);
    const SidecarReading before = readSidecar(raw, &listing);
    EXPECT_STREQ(before.values.shootingTime->dateTimeText, "2008/05/12 10:20:30") << "from NAME.xmp";
    EXPECT_NEAR(before.values.latitude->signedDegrees(), 35.0, 1e-12) << "from NAME.EXT.xmp";
    EXPECT_EQ(before.values.gpsStatus, "V");

    const auto results = writeSidecars(raw, gpsProps());
    ASSERT_EQ(results.size(), 2u);
    for (const SidecarWriteResult& r : results)
        EXPECT_EQ(r.outcome, SidecarOutcome::written) << r.path << r.why;
    EXPECT_EQ(filesBeside(raw).size(), 3u);
    for (const fs::path& p : paths.existing)
        EXPECT_NEAR(readXmpValues(fileText(p))->longitude->signedDegrees(), kLongitude, 1e-9);
}

TEST_F(XmpSidecarFiles, leavesASidecarChangedMeanwhileAlone)
{
    const fs::path raw = photo();
    const fs::path sidecar = dir_.write(raw.parent_path() / "IMG_0001.xmp", fixture("darktable.CR2.xmp"));
    const std::string otherProgram = fixture("darktable.CR2.xmp") + "<!-- saved by another program -->\n";
    auto changeIt = [&](const fs::path& p) { dir_.write(p, otherProgram); };
    const auto results = writeSidecars(raw, gpsProps(), changeIt);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].problem, WriteProblem::changed);
    EXPECT_EQ(fileText(sidecar), otherProgram);
    EXPECT_EQ(filesBeside(raw).size(), 2u) << "no temporary file";

    const fs::path other = photo("IMG_0002.NEF");
    auto createIt = [&](const fs::path& p) { dir_.write(p, "made meanwhile"); };
    EXPECT_EQ(writeSidecars(other, gpsProps(), createIt)[0].problem, WriteProblem::changed);
    EXPECT_EQ(fileText(other.parent_path() / "IMG_0002.xmp"), "made meanwhile");
}

TEST_F(XmpSidecarFiles, refusesDamagedHugeAndReadOnlySidecarsUntouched)
{
    const struct {
        const char* name;
        std::string bytes;
        bool readOnly;
        WriteProblem problem;
    } cases[] = {
        {"A.ORF", kRdfOpen + "<rdf:Description>" + kRdfClose, false, WriteProblem::xmpNotEditable},
        {"B.ORF", "<?xml version='1.0'?><!DOCTYPE x SYSTEM 'http://example.com/x.dtd'><x/>", false, WriteProblem::xmpNotEditable},
        {"C.ORF", std::string(kMaxSidecarBytes + 1, ' '), false, WriteProblem::xmpNotEditable},
        {"D.ORF", fixture("adobe_attributes.xmp"), true, WriteProblem::readOnly},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path raw = photo(c.name);
        const fs::path sidecar = dir_.write(fs::path(raw).replace_extension(".xmp"), c.bytes);
        if (c.readOnly)
            fs::permissions(sidecar, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        const auto results = writeSidecars(raw, gpsProps());
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(results[0].outcome, SidecarOutcome::failed);
        EXPECT_EQ(results[0].problem, c.problem);
        EXPECT_TRUE(fileText(sidecar) == c.bytes);
        EXPECT_EQ(readSidecar(raw).skipped.size(), c.readOnly ? 0u : 1u);
        fs::permissions(sidecar, fs::perms::owner_write, fs::perm_options::add);
    }
    EXPECT_EQ(filesBeside(photo()).size(), 9u) << "no temporary file";
}

// A kill while sidecars are written leaves each one old or new, never a mixture.
TEST_F(XmpSidecarFiles, aKillLeavesTheOldSidecarOrTheNew)
{
#ifdef _WIN32
    GTEST_SKIP() << "the same one-step replacement as the photos; the kill needs fork";
#else
    const fs::path raw = photo();
    const fs::path sidecar = dir_.write(raw.parent_path() / "IMG_0001.xmp", fixture("adobe_attributes.xmp"));
    std::vector<XmpProperty> north = gpsProps(), south = gpsProps();
    south[1].value = "35,40.8750S";
    for (int kill = 0; kill < 20; ++kill) {
        const pid_t child = fork();
        if (child == 0)
            for (int i = 0;; ++i)
                writeSidecars(raw, i % 2 ? north : south);
        usleep(static_cast<useconds_t>(2000 + kill * 997 % 20000));
        ::kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string text = fileText(sidecar);
        const std::optional<XmpPhotoValues> values = readXmpValues(text);
        ASSERT_TRUE(values) << "kill " << kill;
        if (!values->latitude) {
            EXPECT_EQ(text, fixture("adobe_attributes.xmp")) << "killed before the first write";
            continue;
        }
        EXPECT_NEAR(std::abs(values->latitude->signedDegrees()), kLatitude, 1e-9);
        EXPECT_EQ(withoutWritten(fileText(sidecar), north), withoutWritten(fixture("adobe_attributes.xmp"), north));
    }
#endif
}

// For tests/photo/xmp_exiftool_test.sh: the sidecars of every shape, written
// into the folder it names, for exiftool to read back, and their originals
// in its folder "before" (exiftool's warnings about those are not ours).
TEST(XmpForExiftool, writesSidecarsOfEveryShape)
{
    const char* folder = std::getenv("VANTORA_XMP_OUT");
    if (folder == nullptr)
        GTEST_SKIP() << "run by xmp_exiftool_test.sh";
    const fs::path out(folder);
    fs::create_directory(out / "before");
    int n = 0;
    for (const EditCase& c : editCases()) {
        if (!c.gps || !c.exiftoolJudges)
            continue;
        const fs::path name = std::to_string(++n) + ".xmp";
        std::ofstream(out / "before" / name, std::ios::binary) << c.text;
        fs::path stem = out / std::to_string(n);
        stem += u8"_写真";
        std::ofstream(fs::path(stem).concat(".xmp"), std::ios::binary) << c.text;
        ASSERT_EQ(writeSidecars(fs::path(stem).concat(".CR2"), gpsProps())[0].outcome, SidecarOutcome::written);
    }
    ASSERT_EQ(writeSidecars(out / "new.CR2", gpsProps())[0].outcome, SidecarOutcome::created);
}

}  // namespace
}  // namespace vantora
