// Exif.dll as the program uses it: loaded by name, every function found by
// its exported name, a position and a shooting time written and read back on
// a photo whose folder and name are Japanese, passed in the ANSI code page.
#include <windows.h>

#include "exif/Exif.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct ExifDll {
    HMODULE module = nullptr;
    decltype(&ExifFileOpen) open = nullptr;
    decltype(&ExifFileClose) close = nullptr;
    decltype(&ExifGetExifVersion) getExifVersion = nullptr;
    decltype(&ExifGetDateTimeOriginal) getDateTimeOriginal = nullptr;
    decltype(&ExifGetGPSVersion) getGpsVersion = nullptr;
    decltype(&ExifGetGPSLatitudeRef) getLatitudeRef = nullptr;
    decltype(&ExifGetGPSLongitudeRef) getLongitudeRef = nullptr;
    decltype(&ExifGetGPSLatitude) getLatitude = nullptr;
    decltype(&ExifGetGPSLongitude) getLongitude = nullptr;
    decltype(&ExifGetGPSTimeStamp) getTimeStamp = nullptr;
    decltype(&ExifGetGPSStatus) getStatus = nullptr;
    decltype(&ExifGetGPSMapDatum) getMapDatum = nullptr;
    decltype(&ExifSetGPSVersion) setGpsVersion = nullptr;
    decltype(&ExifSetGPSLatitudeRef) setLatitudeRef = nullptr;
    decltype(&ExifSetGPSLongitudeRef) setLongitudeRef = nullptr;
    decltype(&ExifSetGPSLatitude) setLatitude = nullptr;
    decltype(&ExifSetGPSLongitude) setLongitude = nullptr;
    decltype(&ExifSetGPSStatus) setStatus = nullptr;
    decltype(&ExifSetGPSTimeStamp) setTimeStamp = nullptr;
    decltype(&ExifSetGPSMapDatum) setMapDatum = nullptr;
    decltype(&ExifSetDateTimeOriginal) setDateTimeOriginal = nullptr;
    decltype(&ExifFileOpenW) openWide = nullptr;
    decltype(&ExifUpdateGPSDateStamp) updateDateStamp = nullptr;
    decltype(&ExifGetOffsetTimeOriginal) getOffsetTimeOriginal = nullptr;
    decltype(&ExifGetMake) getMake = nullptr;
    decltype(&ExifGetModel) getModel = nullptr;
    decltype(&ExifGetBodySerialNumber) getBodySerialNumber = nullptr;
    decltype(&ExifPhotoOpen) photoOpen = nullptr;
    decltype(&ExifPhotoOpenW) photoOpenWide = nullptr;
    decltype(&ExifGetOpenRefusal) getOpenRefusal = nullptr;
    decltype(&ExifGetPhotoKind) getPhotoKind = nullptr;
    decltype(&ExifGetSubSecTimeOriginal) getSubSecTimeOriginal = nullptr;
    decltype(&ExifGetPreview) getPreview = nullptr;
    int missing = 0;

    template <typename F>
    void find(F& f, const char* name)
    {
        f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
        if (f == nullptr) {
            ++missing;
            ADD_FAILURE() << "Exif.dll does not export " << name;
        }
    }

    ExifDll()
    {
        module = LoadLibraryW(L"Exif.dll");
        if (module == nullptr) return;
        find(open, "ExifFileOpen");
        find(close, "ExifFileClose");
        find(getExifVersion, "ExifGetExifVersion");
        find(getDateTimeOriginal, "ExifGetDateTimeOriginal");
        find(getGpsVersion, "ExifGetGPSVersion");
        find(getLatitudeRef, "ExifGetGPSLatitudeRef");
        find(getLongitudeRef, "ExifGetGPSLongitudeRef");
        find(getLatitude, "ExifGetGPSLatitude");
        find(getLongitude, "ExifGetGPSLongitude");
        find(getTimeStamp, "ExifGetGPSTimeStamp");
        find(getStatus, "ExifGetGPSStatus");
        find(getMapDatum, "ExifGetGPSMapDatum");
        find(setGpsVersion, "ExifSetGPSVersion");
        find(setLatitudeRef, "ExifSetGPSLatitudeRef");
        find(setLongitudeRef, "ExifSetGPSLongitudeRef");
        find(setLatitude, "ExifSetGPSLatitude");
        find(setLongitude, "ExifSetGPSLongitude");
        find(setStatus, "ExifSetGPSStatus");
        find(setTimeStamp, "ExifSetGPSTimeStamp");
        find(setMapDatum, "ExifSetGPSMapDatum");
        find(setDateTimeOriginal, "ExifSetDateTimeOriginal");
        find(openWide, "ExifFileOpenW");
        find(updateDateStamp, "ExifUpdateGPSDateStamp");
        find(getOffsetTimeOriginal, "ExifGetOffsetTimeOriginal");
        find(getMake, "ExifGetMake");
        find(getModel, "ExifGetModel");
        find(getBodySerialNumber, "ExifGetBodySerialNumber");
        find(photoOpen, "ExifPhotoOpen");
        find(photoOpenWide, "ExifPhotoOpenW");
        find(getOpenRefusal, "ExifGetOpenRefusal");
        find(getPhotoKind, "ExifGetPhotoKind");
        find(getSubSecTimeOriginal, "ExifGetSubSecTimeOriginal");
        find(getPreview, "ExifGetPreview");
    }
    ~ExifDll()
    {
        if (module != nullptr) FreeLibrary(module);
    }
};

std::string toAnsi(const std::wstring& wide)
{
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out.data(), n, nullptr, &lossy);
    out.resize(std::strlen(out.c_str()));
    EXPECT_FALSE(lossy) << "the path has characters the ANSI code page lacks";
    return out;
}

std::vector<char> readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class AJapanesePath : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetACP(), 932u) << "the tests expect the Japanese ANSI code page";
        folder = fs::temp_directory_path() / (L"写真テスト_" + std::to_wstring(GetCurrentProcessId()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        photo = folder / L"富士山の朝.jpg";
        fs::copy_file(fs::path(EXIF_FIXTURE_DIR) / "ii_jfif_thumbnail.jpg", photo);
        ansiPath = toAnsi(photo.wstring());
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    fs::path folder, photo;
    std::string ansiPath;
};

TEST(ExifDllExports, everyFunctionByName)
{
    ExifDll dll;
    ASSERT_NE(dll.module, nullptr) << "LoadLibraryW(Exif.dll) failed: " << GetLastError();
    EXPECT_EQ(dll.missing, 0);
}

// A program that imports by ordinal keeps working: every name keeps the
// ordinal it had before names were added, and the new ones come after.
TEST(ExifDllExports, keepEveryOrdinal)
{
    ExifDll dll;
    ASSERT_NE(dll.module, nullptr);
    const char* byOrdinal[] = {
        "ExifFileClose", "ExifFileOpen", "ExifFileOpenW", "ExifGetDateTimeOriginal",
        "ExifGetExifVersion", "ExifGetGPSLatitude", "ExifGetGPSLatitudeRef", "ExifGetGPSLongitude",
        "ExifGetGPSLongitudeRef", "ExifGetGPSMapDatum", "ExifGetGPSStatus", "ExifGetGPSTimeStamp",
        "ExifGetGPSVersion", "ExifSetDateTimeOriginal", "ExifSetGPSLatitude", "ExifSetGPSLatitudeRef",
        "ExifSetGPSLongitude", "ExifSetGPSLongitudeRef", "ExifSetGPSMapDatum", "ExifSetGPSStatus",
        "ExifSetGPSTimeStamp", "ExifSetGPSVersion", "ExifUpdateGPSDateStamp",
        "ExifGetOffsetTimeOriginal", "ExifGetMake", "ExifGetModel", "ExifGetBodySerialNumber",
        "ExifBatchBegin", "ExifBatchAdd", "ExifBatchGetStaged", "ExifBatchCommit", "ExifBatchGetResult",
        "ExifBatchEnd", "ExifPhotoOpen", "ExifPhotoOpenW", "ExifGetOpenRefusal", "ExifGetPhotoKind",
        "ExifGetSubSecTimeOriginal", "ExifGetPreview", "ExifGetXmpPacket", "ExifSetXmpPacket",
    };
    for (std::size_t i = 0; i < std::size(byOrdinal); ++i) {
        const auto ordinal = static_cast<WORD>(i + 1);
        EXPECT_NE(reinterpret_cast<void*>(GetProcAddress(dll.module, byOrdinal[i])), nullptr) << byOrdinal[i];
        EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(dll.module, MAKEINTRESOURCEA(ordinal))),
                  reinterpret_cast<void*>(GetProcAddress(dll.module, byOrdinal[i])))
            << byOrdinal[i] << " at ordinal " << ordinal;
    }
}

TEST(ExifDllExports, nameTheCameraOfAPhoto)
{
    ExifDll dll;
    ASSERT_NE(dll.module, nullptr);
    ASSERT_EQ(dll.missing, 0);
    uint32_t h = 0;
    const std::string path = (fs::path(EXIF_FIXTURE_DIR) / "ii_canon_makernote.jpg").string();
    ASSERT_EQ(dll.open(path.c_str(), &h), EXIF_OK);
    char text[32];
    EXPECT_EQ(dll.getMake(h, sizeof text, text), EXIF_OK);
    EXPECT_STREQ(text, "Canon");
    EXPECT_EQ(dll.getModel(h, sizeof text, text), EXIF_OK);
    EXPECT_STREQ(text, "Canon EOS 5D");
    EXPECT_EQ(dll.getBodySerialNumber(h, sizeof text, text), EXIF_ERR_NOT_FOUND);
    char zone[8];
    EXPECT_EQ(dll.getOffsetTimeOriginal(h, zone), EXIF_ERR_NOT_FOUND);
    EXPECT_EQ(dll.close(h), EXIF_OK);
}

// A raw photo under a Japanese name, through the wide reading open: read,
// never written.
TEST_F(AJapanesePath, ofARawPhotoIsReadThroughTheDllAndNeverWritten)
{
    ExifDll dll;
    ASSERT_NE(dll.module, nullptr);
    ASSERT_EQ(dll.missing, 0);
    const fs::path raw = folder / L"富士山の朝.CR3";
    fs::copy_file(fs::path(EXIF_RAW_FIXTURE_DIR) / "canon.cr3", raw);
    const auto before = readAll(raw);
    uint32_t h = 0;
    EXPECT_EQ(dll.open(toAnsi(raw.wstring()).c_str(), &h), EXIF_ERR_FORMAT);  // the writing open: JPEG only
    ASSERT_EQ(dll.photoOpenWide(raw.c_str(), &h), EXIF_OK);
    int32_t kind = 0;
    EXPECT_EQ(dll.getPhotoKind(h, &kind), EXIF_OK);
    EXPECT_EQ(kind, EXIF_KIND_CR3);
    char date[20], subSec[8];
    EXPECT_EQ(dll.getDateTimeOriginal(h, date), EXIF_OK);
    EXPECT_STREQ(date, "2021:07:04 15:16:17");
    EXPECT_EQ(dll.getSubSecTimeOriginal(h, sizeof subSec, subSec), EXIF_OK);
    EXPECT_STREQ(subSec, "42");
    uint64_t offset = 0, length = 0;
    EXPECT_EQ(dll.getPreview(h, &offset, &length), EXIF_OK);
    ASSERT_LE(offset + length, before.size());
    EXPECT_EQ(uint8_t(before[offset]), 0xFF);
    EXPECT_EQ(dll.setMapDatum(h, "WGS-84"), EXIF_ERR_READ_ONLY_KIND);
    EXPECT_EQ(dll.close(h), EXIF_OK);
    EXPECT_EQ(readAll(raw), before);
    // A refusal says why, in the ANSI open as well.
    std::ofstream(raw, std::ios::binary | std::ios::trunc).write(before.data(), 100);
    EXPECT_EQ(dll.photoOpen(toAnsi(raw.wstring()).c_str(), &h), EXIF_ERR_FORMAT);
    char why[96];
    EXPECT_EQ(dll.getOpenRefusal(sizeof why, why), EXIF_OK);
    EXPECT_STRNE(why, "");
}

TEST_F(AJapanesePath, takesAPositionAndAShootingTimeThroughTheDll)
{
    ExifDll dll;
    ASSERT_NE(dll.module, nullptr);
    ASSERT_EQ(dll.missing, 0);
    uint32_t h = 0;
    ASSERT_EQ(dll.open(ansiPath.c_str(), &h), EXIF_OK);
    char version[4];
    ASSERT_EQ(dll.getExifVersion(h, version), EXIF_OK);
    EXPECT_EQ(std::string(version, 4), "0230");
    const unsigned char gpsVersion[4] = {2, 0, 0, 0};
    const uint32_t latitude[6] = {35, 1, 39, 1, 74, 10};
    const uint32_t longitude[6] = {139, 1, 44, 1, 2853, 100};
    const uint32_t stamp[6] = {1, 1, 30, 1, 5, 1};
    EXPECT_EQ(dll.setGpsVersion(h, gpsVersion), EXIF_OK);
    EXPECT_EQ(dll.setLatitudeRef(h, "N"), EXIF_OK);
    EXPECT_EQ(dll.setLatitude(h, latitude), EXIF_OK);
    EXPECT_EQ(dll.setLongitudeRef(h, "E"), EXIF_OK);
    EXPECT_EQ(dll.setLongitude(h, longitude), EXIF_OK);
    EXPECT_EQ(dll.setStatus(h, "A"), EXIF_OK);
    EXPECT_EQ(dll.setTimeStamp(h, stamp), EXIF_OK);
    EXPECT_EQ(dll.setMapDatum(h, "WGS-84"), EXIF_OK);
    EXPECT_EQ(dll.setDateTimeOriginal(h, "2009:01:01 00:30:00"), EXIF_OK);
    ASSERT_EQ(dll.close(h), EXIF_OK);

    // Nothing else was left in the folder.
    int files = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);

    ASSERT_EQ(dll.open(ansiPath.c_str(), &h), EXIF_OK);
    char date[20];
    EXPECT_EQ(dll.getDateTimeOriginal(h, date), EXIF_OK);
    EXPECT_STREQ(date, "2009:01:01 00:30:00");
    unsigned char v[4];
    EXPECT_EQ(dll.getGpsVersion(h, v), EXIF_OK);
    EXPECT_EQ(std::memcmp(v, gpsVersion, 4), 0);
    char text[4];
    EXPECT_EQ(dll.getLatitudeRef(h, text), EXIF_OK);
    EXPECT_STREQ(text, "N");
    EXPECT_EQ(dll.getLongitudeRef(h, text), EXIF_OK);
    EXPECT_STREQ(text, "E");
    EXPECT_EQ(dll.getStatus(h, text), EXIF_OK);
    EXPECT_STREQ(text, "A");
    uint32_t r[6];
    EXPECT_EQ(dll.getLatitude(h, r), EXIF_OK);
    EXPECT_EQ(std::memcmp(r, latitude, sizeof r), 0);
    EXPECT_EQ(dll.getLongitude(h, r), EXIF_OK);
    EXPECT_EQ(std::memcmp(r, longitude, sizeof r), 0);
    EXPECT_EQ(dll.getTimeStamp(h, r), EXIF_OK);
    EXPECT_EQ(std::memcmp(r, stamp, sizeof r), 0);
    char datum[16];
    EXPECT_EQ(dll.getMapDatum(h, 16, datum), EXIF_OK);
    EXPECT_STREQ(datum, "WGS-84");
    EXPECT_EQ(dll.close(h), EXIF_OK);
    EXPECT_EQ(dll.close(h), EXIF_ERR_HANDLE);
}

// A folder named with letters code page 932 lacks: only the wide open
// reaches the photo, and writes it like any other.
TEST(APathTheAnsiCodePageCannotHold, isOpenedAndWrittenThroughTheWideOpen)
{
    ExifDll dll;
    ASSERT_NE(dll.module, nullptr);
    ASSERT_EQ(dll.missing, 0);
    const fs::path folder = fs::temp_directory_path() / (L"Jos\u00e9 \ud55c\uad6d " + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder);
    const fs::path photo = folder / L"\u5199\u771f.jpg";
    fs::copy_file(fs::path(EXIF_FIXTURE_DIR) / "ii_jfif_thumbnail.jpg", photo, fs::copy_options::overwrite_existing);
    uint32_t h = 0;
    ASSERT_EQ(dll.openWide(photo.c_str(), &h), EXIF_OK);
    EXPECT_EQ(dll.setMapDatum(h, "WGS-84"), EXIF_OK);
    EXPECT_EQ(dll.close(h), EXIF_OK);
    ASSERT_EQ(dll.openWide(photo.c_str(), &h), EXIF_OK);
    char datum[16];
    EXPECT_EQ(dll.getMapDatum(h, 16, datum), EXIF_OK);
    EXPECT_STREQ(datum, "WGS-84");
    EXPECT_EQ(dll.close(h), EXIF_OK);
    std::error_code ignored;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    fs::remove_all(folder, ignored);
}

TEST_F(AJapanesePath, thatIsReadOnlyIsReadButNotWritten)
{
    ExifDll dll;
    ASSERT_NE(dll.module, nullptr);
    ASSERT_EQ(dll.missing, 0);
    const auto before = readAll(photo);
    ASSERT_TRUE(SetFileAttributesW(photo.c_str(), FILE_ATTRIBUTE_READONLY));
    uint32_t h = 0;
    ASSERT_EQ(dll.open(ansiPath.c_str(), &h), EXIF_OK);
    char date[20];
    EXPECT_EQ(dll.getDateTimeOriginal(h, date), EXIF_OK);
    EXPECT_EQ(dll.setDateTimeOriginal(h, "2009:01:01 00:30:00"), EXIF_ERR_READ_ONLY);
    EXPECT_EQ(dll.close(h), EXIF_OK);
    SetFileAttributesW(photo.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readAll(photo), before);
}

TEST_F(AJapanesePath, thatDoesNotExistCannotBeOpened)
{
    ExifDll dll;
    ASSERT_NE(dll.module, nullptr);
    uint32_t h = 5;
    EXPECT_EQ(dll.open(toAnsi((folder / L"無い写真.jpg").wstring()).c_str(), &h), EXIF_ERR_OPEN);
    EXPECT_EQ(h, 0u);
}

}  // namespace
