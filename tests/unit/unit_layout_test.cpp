#include "unit/unit_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "support/temp_dir.h"

namespace vantora::test {
namespace {

TEST(UnitNames, DateFoldersAreYearsTwoThousandEightToNinetyNineWithRealMonthsAndDays)
{
    for (const char* name : {"20080101", "20991231", "20080231", "2008 1 1", "2008+1+1"})
        EXPECT_TRUE(isUnitDateFolderName(name)) << name;
    for (const char* name : {"20071231", "21000101", "20081301", "20080100", "20080001", "2008011",
                             "200801011", "abcd0101", "2008-1-1", "DCIM"})
        EXPECT_FALSE(isUnitDateFolderName(name)) << name;
}

TEST(UnitNames, LogFilesAreTenCharactersOfAValidTimeAndTheLogExtension)
{
    for (const char* name : {"093000.log", "235959.LOG", "000000.Log", "abcdef.log"})
        EXPECT_TRUE(isUnitLogFileName(name)) << name;
    for (const char* name : {"0930000.log", "93000.log", "240000.log", "096000.log", "093060.log",
                             "093000.txt", "093000.logx", "-10000.log"})
        EXPECT_FALSE(isUnitLogFileName(name)) << name;
}

TEST(UnitLogListing, TakesAcceptedDateFoldersOnly)
{
    TempDir root;
    root.write("20071231/093000.log", "x");
    root.write("20080101/093000.log", "x");
    root.write("20080101/0930000.log", "x");
    root.write("20080101/notes.txt", "x");
    root.write("20080102/101500.log", "x");
    root.write("093000.log", "x");  // in the root itself
    root.write("20080101.log/093000.log", "x");
    std::filesystem::create_directories(root.path() / "20080101" / "111111.log");  // a folder

    auto logs = ListUnitLogs(root.path());
    std::sort(logs.begin(), logs.end());

    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[0], root.path() / "20080101" / "093000.log");
    EXPECT_EQ(logs[1], root.path() / "20080102" / "101500.log");
    EXPECT_TRUE(ListUnitLogs(root.path() / "missing").empty());
}

TEST(UnitLogListing, StoresLogsUnderTheirDateFolderAndName)
{
    const auto folder = std::filesystem::path("R:") / "20081015";
    EXPECT_EQ(storeNameOf(folder / "093000.log"), "20081015_093000.log");
    EXPECT_EQ(storeNameOf(std::filesystem::path("/") / "093000.log"), "093000.log");
}

TEST(UnitIdentifier, IsTheFirstLineOfItsFileOrTheUnitsOwnName)
{
    TempDir folder;
    EXPECT_EQ(readUnitIdentifier(folder.path()), "KRV-TL770");
    folder.write(kUnitIdentifierFileName, "\r\nKRV-OTHER\r\n");
    EXPECT_EQ(readUnitIdentifier(folder.path()), "KRV-TL770");
    folder.write(kUnitIdentifierFileName, "KRV-TL990\r\nsecond line\r\n");
    EXPECT_EQ(readUnitIdentifier(folder.path()), "KRV-TL990");
    folder.write(kUnitIdentifierFileName, "KRV-TL991");
    EXPECT_EQ(readUnitIdentifier(folder.path()), "KRV-TL991");
}

}  // namespace
}  // namespace vantora::test
