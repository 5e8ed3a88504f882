#include "unit/unit_detection.h"

#include <gtest/gtest.h>

#include <fstream>

#include "unit/import_window_fixture.h"

namespace vantora::test {
namespace {

class UnitDetection : public ImportWindowTest {
protected:
    // A unit with `count` logs of ten fixes each, one log per hour.
    void giveUnitLogs(char letter, int count)
    {
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "20081015/%02d0000.log", i);
            writeUnitLog(letter, name, logText(i, 0, 0, 10));
        }
    }
    void arrive(std::uint32_t mask) { onVolumeChange(window, drives, {VolumeChange::Arrival, mask}); }
    void leave(std::uint32_t mask) { onVolumeChange(window, drives, {VolumeChange::Removal, mask}); }
    static std::uint32_t bit(char letter) { return 1u << (letter - 'A'); }
};

TEST(LogCapacity, CountsWholeHoursAtThreeHundredFifteenBytesASecond)
{
    EXPECT_EQ(loggingHoursLeft(1'133'999), 0);
    EXPECT_EQ(loggingHoursLeft(1'134'000), 1);
    EXPECT_EQ(loggingHoursLeft(0), 0);
    EXPECT_EQ(capacityText(12), L"ログ取得可能時間: 約 12 時間");
}

TEST_F(UnitDetection, StartScanTakesTheFirstAcceptedRemovableDriveAndLoadsItsLogsSilently)
{
    addUnitDrive('E').removable = false;  // a fixed disk labelled like the unit
    addUnitDrive('F').label = "OTHER";
    addUnitDrive('G').freeBytes = 1'134'000 * 3;
    addUnitDrive('H');
    giveUnitLogs('E', 1);
    giveUnitLogs('G', 21);
    giveUnitLogs('H', 1);

    scanForUnitAtStart(window, drives);

    EXPECT_TRUE(state.unitPresent);
    EXPECT_EQ(state.unitDrive, 'G');
    EXPECT_EQ(state.unitLogs.size(), 21u);
    EXPECT_EQ(controls.rows[LogSide::Unit].size(), 21u);
    EXPECT_EQ(controls.rows[LogSide::Unit][0].name, L"20081015_000000.log");
    EXPECT_TRUE(controls.unitControlsEnabled);
    EXPECT_EQ(controls.capacityText, L"ログ取得可能時間: 約 3 時間");
    EXPECT_TRUE(dialogs.progress.empty());
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(UnitDetection, UnitWithoutLogsIsRecognisedButItsControlsStayOff)
{
    addUnitDrive('E').freeBytes = 1'133'999;
    writeUnitLog('E', "20071231/093000.log", logText(0, 30, 0, 5));  // a year the unit never writes

    scanForUnitAtStart(window, drives);

    EXPECT_TRUE(state.unitPresent);
    EXPECT_TRUE(state.unitLogs.empty());
    EXPECT_FALSE(controls.unitControlsEnabled);
    EXPECT_EQ(controls.capacityText, L"ログ取得可能時間: 約 0 時間");
}

TEST_F(UnitDetection, NoUnitLeavesEverythingOffAndAnUnreadableFreeSpaceKeepsTheLabel)
{
    scanForUnitAtStart(window, drives);
    EXPECT_FALSE(state.unitPresent);

    addUnitDrive('E').freeBytes = std::nullopt;
    arrive(bit('E'));
    EXPECT_TRUE(state.unitPresent);
    EXPECT_EQ(controls.capacityText, L"ログ取得可能時間:");
}

TEST_F(UnitDetection, ArrivalOfALongUnitShowsProgressAndAShortOneDoesNot)
{
    addUnitDrive('E');
    giveUnitLogs('E', 21);
    arrive(bit('C') | bit('E'));

    ASSERT_EQ(dialogs.progress.size(), 1u);
    EXPECT_FALSE(dialogs.progress[0]->cancellable);
    EXPECT_EQ(dialogs.progress[0]->caption, "ログファイル取得中...");
    EXPECT_EQ(dialogs.progress[0]->steps.size(), 21u);
    EXPECT_TRUE(dialogs.progress[0]->closed);
    EXPECT_EQ(state.unitLogs.size(), 21u);
    EXPECT_TRUE(controls.unitControlsEnabled);

    leave(bit('E'));
    std::filesystem::remove_all(drives.drives['E'].root / "20081015" / "200000.log");
    arrive(bit('E'));
    EXPECT_EQ(dialogs.progress.size(), 1u) << "20 logs load without a progress window";
    EXPECT_EQ(state.unitLogs.size(), 20u);
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(UnitDetection, ArrivalsWhileAUnitIsPresentChangeNothing)
{
    addUnitDrive('E');
    addUnitDrive('F');
    giveUnitLogs('E', 1);
    giveUnitLogs('F', 2);
    arrive(bit('E'));
    const int checksBefore = drives.checks;

    arrive(bit('F'));
    EXPECT_EQ(state.unitDrive, 'E');
    EXPECT_EQ(drives.checks, checksBefore);

    // After the first leaves, the second is picked up only when it arrives.
    leave(bit('E'));
    EXPECT_FALSE(state.unitPresent);
    EXPECT_TRUE(state.unitLogs.empty());
    arrive(bit('F'));
    EXPECT_EQ(state.unitDrive, 'F');
    EXPECT_EQ(state.unitLogs.size(), 2u);
}

TEST_F(UnitDetection, RemovalCountsOnlyTheLowestDriveOfItsMask)
{
    addUnitDrive('F');
    giveUnitLogs('F', 3);
    arrive(bit('F'));
    controls.capacityText = L"ログ取得可能時間: 約 42 時間";

    leave(bit('D') | bit('F'));
    EXPECT_TRUE(state.unitPresent);
    EXPECT_EQ(state.unitLogs.size(), 3u);

    leave(bit('F') | bit('Z'));
    EXPECT_FALSE(state.unitPresent);
    EXPECT_TRUE(state.unitLogs.empty());
    EXPECT_TRUE(controls.rows[LogSide::Unit].empty());
    EXPECT_FALSE(controls.unitControlsEnabled);
    EXPECT_EQ(controls.capacityText, L"ログ取得可能時間: 約 42 時間") << "the label keeps its last text";
    EXPECT_TRUE(std::filesystem::exists(drives.drives['F'].root / "20081015" / "000000.log"));

    leave(0);  // no letter at all
    EXPECT_FALSE(state.unitPresent);
}

}  // namespace
}  // namespace vantora::test
