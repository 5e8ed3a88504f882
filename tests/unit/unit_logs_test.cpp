#include "unit/unit_logs.h"

#include <gtest/gtest.h>

#include <fstream>

#include "unit/import_window_fixture.h"
#include "unit/log_registration.h"
#include "unit/log_store.h"
#include "unit/unit_detection.h"

namespace vantora::test {
namespace {

namespace fs = std::filesystem;

class UnitLogs : public ImportWindowTest {
protected:
    // A unit on E: with three logs of 15 October 2008, recognised and loaded.
    void plugInUnit()
    {
        addUnitDrive('E');
        unitLog[0] = writeUnitLog('E', "20081015/093000.log", logText(0, 30, 0, 10));
        unitLog[1] = writeUnitLog('E', "20081015/101500.log", logText(1, 15, 0, 10));
        unitLog[2] = writeUnitLog('E', "20081016/080000.log", logText(23, 0, 0, 10));
        scanForUnitAtStart(window, drives);
        ASSERT_EQ(state.unitLogs.size(), 3u);
    }
    fs::path storeFile(const char* name) const { return storeLogFolder(state) / name; }

    fs::path unitLog[3];
};

TEST_F(UnitLogs, ImportCopiesIntoTheStoreUnderDatedNamesAndRegistersThem)
{
    plugInUnit();
    dialogs.willAnswer(DialogAnswer::No);

    importUnitLogs(window);

    EXPECT_EQ(controls.names(LogSide::Pc),
              (std::vector<std::wstring>{L"20081015_093000.log", L"20081015_101500.log", L"20081016_080000.log"}));
    EXPECT_EQ(state.pcLogs[0]->path, storeFile("20081015_093000.log"));
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{"GPSユニット内のログファイルを削除しますか？"});
    EXPECT_EQ(state.unitLogs.size(), 3u) << "No keeps the unit's logs and rows";
    EXPECT_EQ(controls.rows[LogSide::Unit].size(), 3u);
    EXPECT_TRUE(fs::exists(unitLog[0]));
    EXPECT_FALSE(controls.unitControlsEnabled);
    EXPECT_TRUE(state.unitPresent);
}

TEST_F(UnitLogs, ImportingTheSameUnitTwiceOffersTheEarlierCopiesAndSaysOnceThatTheyOverlap)
{
    plugInUnit();
    dialogs.willAnswer(DialogAnswer::No);
    importUnitLogs(window);
    dialogs.asked.clear();

    dialogs.willAnswer(DialogAnswer::No);
    importUnitLogs(window);

    EXPECT_EQ(dialogs.asked, (std::vector<std::string>{"日時に重複のあるファイルは登録できません。",
                                                       "GPSユニット内のログファイルを削除しますか？"}));
    EXPECT_EQ(state.pcLogs.size(), 3u);
}

TEST_F(UnitLogs, YesDeletesEveryLogWhoseCopyIsVerifiedAndTheirEmptiedDateFolders)
{
    plugInUnit();
    importUnitLogs(window);  // answered Yes

    EXPECT_TRUE(state.unitLogs.empty());
    EXPECT_TRUE(controls.rows[LogSide::Unit].empty());
    EXPECT_FALSE(fs::exists(unitLog[0].parent_path()));
    EXPECT_FALSE(fs::exists(unitLog[2].parent_path()));
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{"GPSユニット内のログファイルを削除しますか？"});
    for (const char* name : {"20081015_093000.log", "20081015_101500.log", "20081016_080000.log"})
        EXPECT_TRUE(fs::exists(storeFile(name))) << name;
}

TEST_F(UnitLogs, YesKeepsAUnitLogWhoseStoreNameIsTakenByAnotherFile)
{
    plugInUnit();
    // An older, different log already has the name in the store.
    fs::create_directories(storeLogFolder(state));
    std::ofstream(storeFile("20081015_101500.log"), std::ios::binary) << logText(5, 0, 0, 3, "010108");

    importUnitLogs(window);

    EXPECT_EQ(dialogs.asked, (std::vector<std::string>{
                                 "GPSユニット内のログファイルを削除しますか？",
                                 "パソコンへのコピーを確認できなかったログファイルは削除しませんでした。"}));
    ASSERT_EQ(state.unitLogs.size(), 1u);
    EXPECT_EQ(state.unitLogs[0]->path, unitLog[1]);
    EXPECT_EQ(controls.names(LogSide::Unit), std::vector<std::wstring>{L"20081015_101500.log"});
    EXPECT_TRUE(fs::exists(unitLog[1]));
    EXPECT_FALSE(fs::exists(unitLog[0]));
    EXPECT_FALSE(controls.unitControlsEnabled);
}

// A copy the PC list refused (its time overlaps a log of another logger)
// lives only in the hidden store: its unit log stays.
TEST_F(UnitLogs, YesKeepsAUnitLogWhoseCopyThePcListRefused)
{
    plugInUnit();
    const fs::path other = temp.write("other logger/011505.log", logText(1, 15, 5, 10));
    RegisterLogFiles(window, {other}, LogSide::Pc, false, false);
    ASSERT_EQ(state.pcLogs.size(), 1u);

    importUnitLogs(window);

    EXPECT_EQ(dialogs.asked.back(), "パソコンへのコピーを確認できなかったログファイルは削除しませんでした。");
    ASSERT_EQ(state.unitLogs.size(), 1u);
    EXPECT_EQ(state.unitLogs[0]->path, unitLog[1]);
    EXPECT_TRUE(fs::exists(unitLog[1]));
    EXPECT_FALSE(fs::exists(unitLog[0]));
}

TEST_F(UnitLogs, YesKeepsEveryUnitLogWhenTheStoreCannotBeWritten)
{
    plugInUnit();
    // A file where the store's log folder should be: no copy can be made.
    fs::create_directories(state.appFolder);
    std::ofstream(storeLogFolder(state)) << "not a folder";

    importUnitLogs(window);

    EXPECT_EQ(state.unitLogs.size(), 3u);
    for (const auto& log : unitLog)
        EXPECT_TRUE(fs::exists(log));
    EXPECT_EQ(dialogs.asked.back(), "パソコンへのコピーを確認できなかったログファイルは削除しませんでした。");
    EXPECT_TRUE(state.pcLogs.empty());
}

TEST_F(UnitLogs, DeletingChosenLogsKeepsADateFolderUntilItsLastLogGoes)
{
    plugInUnit();
    writeUnitLog('E', "20081015/120000.log", logText(3, 0, 0, 5));
    removeAll(state.unitLogs);
    scanForUnitAtStart(window, drives);
    state.unitPresent = true;
    ASSERT_EQ(state.unitLogs.size(), 4u);

    DeleteUnitLogs(window, {0, 1});
    EXPECT_FALSE(fs::exists(unitLog[0]));
    EXPECT_FALSE(fs::exists(unitLog[1]));
    EXPECT_TRUE(fs::exists(unitLog[0].parent_path()));
    EXPECT_EQ(controls.names(LogSide::Unit),
              (std::vector<std::wstring>{L"20081015_120000.log", L"20081016_080000.log"}));

    DeleteUnitLogs(window, {0});
    EXPECT_FALSE(fs::exists(unitLog[0].parent_path()));
    ASSERT_EQ(state.unitLogs.size(), 1u);
    EXPECT_EQ(state.unitLogs[0]->path, unitLog[2]);
}

}  // namespace
}  // namespace vantora::test
