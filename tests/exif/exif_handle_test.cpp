// Handles and arguments: a bad, closed or never-opened handle gives
// EXIF_ERR_HANDLE from every function; null pointers EXIF_ERR_ARGUMENT;
// several threads may use the library at once.
#include "exif_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vantora::test::exif {
namespace {

// Every function on one handle; how many did not answer `expected`.
int callsNotAnswering(uint32_t h, int expected)
{
    char c4[4];
    char c20[20];
    char c16[16];
    unsigned char u4[4] = {2, 0, 0, 0};
    uint32_t r[6] = {1, 1, 1, 1, 1, 1};
    int wrong = 0;
    for (int s : {int(ExifGetExifVersion(h, c4)), int(ExifGetDateTimeOriginal(h, c20)), int(ExifGetGPSVersion(h, u4)),
                  int(ExifGetGPSLatitudeRef(h, c4)), int(ExifGetGPSLongitudeRef(h, c4)), int(ExifGetGPSLatitude(h, r)),
                  int(ExifGetGPSLongitude(h, r)), int(ExifGetGPSTimeStamp(h, r)), int(ExifGetGPSStatus(h, c4)),
                  int(ExifGetGPSMapDatum(h, 16, c16)), int(ExifSetGPSVersion(h, u4)), int(ExifSetGPSLatitudeRef(h, "N")),
                  int(ExifSetGPSLongitudeRef(h, "E")), int(ExifSetGPSLatitude(h, r)), int(ExifSetGPSLongitude(h, r)),
                  int(ExifSetGPSStatus(h, "A")), int(ExifSetGPSTimeStamp(h, r)), int(ExifSetGPSMapDatum(h, "WGS-84")),
                  int(ExifSetDateTimeOriginal(h, "2001:01:01 01:01:01")), int(ExifFileClose(h))})
        wrong += s != expected;
    return wrong;
}

TEST(AHandleNeverOpened, failsEveryFunctionWithoutACrash)
{
    for (uint32_t h : {0u, 1u, 0x45780001u, 0xFFFFFFFFu}) EXPECT_EQ(callsNotAnswering(h, EXIF_ERR_HANDLE), 0) << h;
}

TEST(AClosedHandle, failsEveryFunction)
{
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(fixture("mm_plain.jpg")).c_str(), &h), EXIF_OK);
    ASSERT_EQ(ExifFileClose(h), EXIF_OK);
    EXPECT_EQ(callsNotAnswering(h, EXIF_ERR_HANDLE), 0);
}

TEST(NullPointers, areRefusedAsArguments)
{
    uint32_t h = 0;
    EXPECT_EQ(ExifFileOpen(nullptr, &h), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifFileOpen(narrow(fixture("mm_plain.jpg")).c_str(), nullptr), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifFileOpen("", &h), EXIF_ERR_ARGUMENT);
    ASSERT_EQ(ExifFileOpen(narrow(fixture("mm_plain.jpg")).c_str(), &h), EXIF_OK);
    EXPECT_EQ(ExifGetExifVersion(h, nullptr), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifGetDateTimeOriginal(h, nullptr), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifGetGPSVersion(h, nullptr), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifGetGPSLatitude(h, nullptr), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifGetGPSMapDatum(h, 16, nullptr), EXIF_ERR_ARGUMENT);
    char small[1];
    EXPECT_EQ(ExifGetGPSMapDatum(h, 0, small), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifGetGPSMapDatum(h, -5, small), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifSetGPSVersion(h, nullptr), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifSetGPSLatitude(h, nullptr), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifSetGPSTimeStamp(h, nullptr), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifSetGPSStatus(h, nullptr), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifSetGPSMapDatum(h, nullptr), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifSetDateTimeOriginal(h, nullptr), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifFileClose(h), EXIF_OK);
}

TEST(AMissingFileOrAFolder, cannotBeOpened)
{
    TempDir dir;
    uint32_t h = 77;
    EXPECT_EQ(ExifFileOpen(narrow(dir.path() / "missing.jpg").c_str(), &h), EXIF_ERR_OPEN);
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(ExifFileOpen(narrow(dir.path()).c_str(), &h), EXIF_ERR_OPEN);
}

TEST(ManyThreads, openReadWriteAndCloseTheirOwnPhotosAtOnce)
{
    TempDir dir;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            const auto path = dir.path() / ("photo" + std::to_string(t) + ".jpg");
            std::filesystem::copy_file(fixture(t % 2 ? "mm_gps_xmp.jpg" : "ii_jfif_thumbnail.jpg"), path);
            for (int i = 0; i < 20; ++i) {
                uint32_t h = 0;
                if (ExifFileOpen(narrow(path).c_str(), &h) != EXIF_OK) { ++failures; continue; }
                char date[20];
                if (ExifGetDateTimeOriginal(h, date) != EXIF_OK) ++failures;
                if (setGps(h) != EXIF_OK) ++failures;
                if (ExifFileClose(h) != EXIF_OK) ++failures;
                // A handle of another thread, closed or not, is never ours.
                if (ExifGetDateTimeOriginal(h, date) != EXIF_ERR_HANDLE) ++failures;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST(OneHandle, canBeUsedFromSeveralThreads)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_plain.jpg");
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                if (setGps(h) != EXIF_OK) ++failures;
                uint32_t r[6];
                if (ExifGetGPSLatitude(h, r) != EXIF_OK || r[0] != 35) ++failures;
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(ExifFileClose(h), EXIF_OK);
}

// A photo closed into a batch waits, whole and old, beside its new file
// until the batch is committed; what happens to it meanwhile decides its
// fate there.
TEST(APhotoClosedIntoABatch, isInPlaceOnlyAfterTheCommitAndOnlyIfNobodyChangedItMeanwhile)
{
    const struct {
        const char* name;
        bool changedMeanwhile;
        bool committed;
        int result;  // of the photo, from the commit; 1 = no result (never committed)
    } cases[] = {
        {"committed", false, true, EXIF_OK},
        {"changed by another program before the commit", true, true, EXIF_ERR_CHANGED},
        {"batch ended without a commit", false, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto path = copyFixture(dir.path(), "ii_jfif_thumbnail.jpg");
        const Bytes before = readBytes(path);
        uint32_t batch = 0, h = 0;
        ASSERT_EQ(ExifBatchBegin(&batch), EXIF_OK);
        ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
        ASSERT_EQ(ExifBatchAdd(batch, h), EXIF_OK);
        ASSERT_EQ(setGps(h), EXIF_OK);
        ASSERT_EQ(ExifFileClose(h), EXIF_OK);
        uint32_t photos = 0;
        uint64_t bytes = 0;
        EXPECT_EQ(ExifBatchGetStaged(batch, &photos, &bytes), EXIF_OK);
        EXPECT_EQ(photos, 1u);
        EXPECT_GT(bytes, before.size());
        EXPECT_EQ(readBytes(path), before);
        EXPECT_EQ(filesIn(dir.path()).size(), 2u) << "the new file waits beside the photo";
        ExifStatus result = 0;
        EXPECT_EQ(ExifBatchGetResult(batch, h, &result), EXIF_ERR_HANDLE) << "no result before the commit";

        // Windows keeps other programs from writing a photo whose new file
        // waits: there the edit fails, and the photo is written.
        const Bytes edit = readBytes(fixture("mm_plain.jpg"));
        bool edited = false;
        if (c.changedMeanwhile) {
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(edit.data()), static_cast<std::streamsize>(edit.size()));
            edited = readBytes(path) == edit;
        }
        if (c.committed) EXPECT_EQ(ExifBatchCommit(batch), EXIF_OK);
        const int got = ExifBatchGetResult(batch, h, &result) == EXIF_OK ? result : 1;
        const int expected = c.changedMeanwhile && !edited ? EXIF_OK : c.result;
        EXPECT_EQ(got, expected);
        EXPECT_EQ(ExifBatchEnd(batch), EXIF_OK);
        EXPECT_EQ(ExifBatchGetResult(batch, h, &result), EXIF_ERR_HANDLE) << "an ended batch is no batch";

        const Bytes now = readBytes(path);
        if (expected == EXIF_OK) {
            uint32_t check = 0;
            char datum[16] = {};
            ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &check), EXIF_OK);
            EXPECT_EQ(ExifGetGPSMapDatum(check, sizeof datum, datum), EXIF_OK);
            EXPECT_STREQ(datum, "WGS-84");
            ExifFileClose(check);
        } else {
            EXPECT_EQ(now, edited ? edit : before);
        }
        EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
    }
}

// A handle whose batch has ended is written at its close, as any.
TEST(APhotoWhoseBatchHasEnded, isWrittenAtItsClose)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_plain.jpg");
    uint32_t batch = 0, h = 0;
    ASSERT_EQ(ExifBatchBegin(&batch), EXIF_OK);
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    ASSERT_EQ(ExifBatchAdd(batch, h), EXIF_OK);
    ASSERT_EQ(setGps(h), EXIF_OK);
    ASSERT_EQ(ExifBatchEnd(batch), EXIF_OK);
    EXPECT_EQ(ExifFileClose(h), EXIF_OK);
    EXPECT_NE(readBytes(path), readBytes(fixture("mm_plain.jpg")));
    EXPECT_EQ(ExifBatchAdd(batch, h), EXIF_ERR_HANDLE);
    EXPECT_EQ(ExifBatchCommit(batch), EXIF_ERR_HANDLE);
    EXPECT_EQ(ExifBatchBegin(nullptr), EXIF_ERR_ARGUMENT);
}

#ifndef _WIN32
// Each waiting photo holds its new file open: a batch of more photos than
// the process may have files open commits early rather than fail them.
TEST(ABatchOfMorePhotosThanOpenFilesAllowed, writesEveryPhoto)
{
    TempDir dir;
    constexpr int kPhotos = 30;
    std::vector<std::filesystem::path> paths;
    for (int i = 0; i < kPhotos; ++i)
        paths.push_back(copyFixture(dir.path(), "mm_plain.jpg", "p" + std::to_string(i) + ".jpg"));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        struct rlimit limit {};
        limit.rlim_cur = limit.rlim_max = 24;  // room for 12 waiting photos
        setrlimit(RLIMIT_NOFILE, &limit);
        uint32_t batch = 0;
        if (ExifBatchBegin(&batch) != EXIF_OK) _exit(100);
        std::vector<uint32_t> handles;
        for (const auto& path : paths) {
            uint32_t h = 0;
            if (ExifFileOpen(narrow(path).c_str(), &h) != EXIF_OK || ExifBatchAdd(batch, h) != EXIF_OK ||
                setGps(h) != EXIF_OK || ExifFileClose(h) != EXIF_OK)
                _exit(101);
            handles.push_back(h);
        }
        if (ExifBatchCommit(batch) != EXIF_OK) _exit(102);
        int failed = 0;
        for (uint32_t h : handles) {
            ExifStatus result = EXIF_ERR_WRITE;
            failed += ExifBatchGetResult(batch, h, &result) != EXIF_OK || result != EXIF_OK;
        }
        _exit(failed);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "photos not written, or the step that failed (100 and up)";
    for (const auto& path : paths) EXPECT_NE(readBytes(path), readBytes(fixture("mm_plain.jpg"))) << path;
    EXPECT_EQ(filesIn(dir.path()).size(), std::size_t(kPhotos));
}
#endif

}  // namespace
}  // namespace vantora::test::exif
