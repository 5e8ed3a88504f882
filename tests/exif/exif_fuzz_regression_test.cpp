// The inputs the fuzz targets once broke (tests/exif/fuzz/regressions/ and
// container_regressions/) keep every property of a write or of a reader of
// raw and HEIF photos, in every build.
#include "fuzz/container_properties.h"
#include "fuzz/layout_properties.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

TEST(FuzzRegressions, keepEveryPropertyOfAWrite)
{
    const std::filesystem::path folder = std::filesystem::path(EXIF_FUZZ_REGRESSION_DIR);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(exif::properties::checkLayout(bytes.data(), bytes.size()), "") << entry.path().filename();
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(EveryFixture, keepsEveryPropertyOfAWrite)
{
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(EXIF_FIXTURE_DIR))) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(exif::properties::checkLayout(bytes.data(), bytes.size()), "") << entry.path().filename();
        ++files;
    }
    EXPECT_GE(files, 10) << "the ten photos of tests/fixtures/exif";
}

// Every reader of raw and HEIF photos on each input, whatever its kind.
TEST(ContainerRegressions, keepEveryPropertyOfEveryReader)
{
    int files = 0;
    for (const auto& folder : {EXIF_CONTAINER_REGRESSION_DIR, EXIF_RAW_FIXTURE_DIR}) {
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(folder))) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_EQ(exif::properties::checkEveryReader(bytes.data(), bytes.size()), "") << entry.path().filename();
            ++files;
        }
    }
    EXPECT_GE(files, 14) << "the fixtures of tests/fixtures/raw at least";
}

}  // namespace
