#include "export/file_names.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace vantora {
namespace {

namespace fs = std::filesystem;

class UniqueFileName : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("vantora-names-") + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void createFiles(const std::vector<std::string>& names) const
    {
        for (const auto& name : names)
            std::ofstream(folder_ / name) << "taken";
    }

    std::string uniqueNameFor(const std::string& name) const
    {
        return uniqueFileName(folder_ / name).filename().string();
    }

    fs::path folder_;
};

struct NamingCase {
    std::vector<std::string> existing;
    std::string requested;
    std::string expected;
};

TEST_F(UniqueFileName, countsUpTheTrailingNumberAndPadsOnlyToItsWidth)
{
    const std::vector<NamingCase> cases = {
        {{}, "korvel.kml", "korvel.kml"},
        {{"korvel.kml"}, "korvel.kml", "korvel1.kml"},
        {{"korvel.kml", "korvel1.kml"}, "korvel.kml", "korvel2.kml"},
        {{"track09.kml"}, "track09.kml", "track10.kml"},
        {{"track007.kml"}, "track007.kml", "track008.kml"},
        {{"track9.kml"}, "track9.kml", "track10.kml"},
        {{"track99.kml", "track100.kml"}, "track99.kml", "track101.kml"},
        {{"notes"}, "notes", "notes1"},
        {{"v2.0.kml"}, "v2.0.kml", "v2.1.kml"},
        {{"12345678901234567890123.kml"}, "12345678901234567890123.kml",
         "12345678901234567890124.kml"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.requested);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        createFiles(c.existing);
        EXPECT_EQ(uniqueNameFor(c.requested), c.expected);
    }
}

TEST_F(UniqueFileName, keepsTheFolderOfThePath)
{
    createFiles({"route.kml"});
    EXPECT_EQ(uniqueFileName(folder_ / "route.kml"), folder_ / "route1.kml");
}

}  // namespace
}  // namespace vantora
