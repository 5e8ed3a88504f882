// The unit's recognition on real removable drives: the recognition library
// beside the executable, the drive queries of the system and the
// device-change reports as Windows sends them.

#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/device_change.h"
#include "unit/import_window_fixture.h"
#include "unit/unit_detection.h"
#include "wine_drives.h"

namespace vantora::test {
namespace {

std::uint32_t bit(char letter)
{
    return 1u << (letter - 'A');
}

class UnitOnRemovableDrives : public ::testing::Test {
protected:
    void report(UINT event, std::uint32_t unitMask)
    {
        DEV_BROADCAST_VOLUME volume{};
        volume.dbcv_size = sizeof(volume);
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        volume.dbcv_unitmask = unitMask;
        const auto change = readVolumeChange(event, reinterpret_cast<std::intptr_t>(&volume));
        ASSERT_TRUE(change.has_value());
        onVolumeChange(window, *drives, *change);
    }

    // `count` logs of the unit, one an hour.
    static void giveLogs(TestDrive& drive, int count)
    {
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "20081015\\%02d0000.log", i);
            drive.write(name, logText(i, 0, 0, 5));
        }
    }

    ScopedTimeZone zone{"JST-9"};
    std::unique_ptr<UnitDrives> drives = systemUnitDrives();
    ImportWindowState state;
    RecordingControls controls;
    ScriptedDialogs dialogs;
    ImportWindow window{state, controls, dialogs};
};

TEST_F(UnitOnRemovableDrives, AreFoundAtStartByTheirLabelAndLeaveOnlyByTheirOwnReport)
{
    TestDrive camera(L'R', L"CAMERA");
    TestDrive unit(L'S', L"krv-tl770");
    giveLogs(camera, 1);
    giveLogs(unit, 2);
    unit.write("20071231\\093000.log", logText(20, 0, 0, 5));

    scanForUnitAtStart(window, *drives);

    ASSERT_TRUE(state.unitPresent);
    EXPECT_EQ(state.unitDrive, 'S');
    EXPECT_EQ(controls.names(LogSide::Unit),
              (std::vector<std::wstring>{L"20081015_000000.log", L"20081015_010000.log"}));
    EXPECT_TRUE(controls.unitControlsEnabled);
    EXPECT_EQ(controls.capacityText.rfind(L"ログ取得可能時間: 約 ", 0), 0u);

    report(DBT_DEVICEREMOVECOMPLETE, bit('R') | bit('S'));
    EXPECT_TRUE(state.unitPresent) << "the lowest drive of the report is another one";
    report(DBT_DEVICEREMOVECOMPLETE, bit('S'));
    EXPECT_FALSE(state.unitPresent);
    EXPECT_TRUE(controls.rows[LogSide::Unit].empty());
    EXPECT_FALSE(controls.unitControlsEnabled);
}

TEST_F(UnitOnRemovableDrives, ArriveThroughTheReportWithProgressForALongList)
{
    TestDrive camera(L'R', L"CAMERA");
    TestDrive fixedLookAlike(L'S', L"KRV-TL770", TestDrive::Type::Fixed);
    TestDrive unit(L'T', L"KRV-TL770");
    giveLogs(unit, 21);

    report(DBT_DEVICEARRIVAL, bit('R') | bit('S') | bit('T'));

    ASSERT_TRUE(state.unitPresent);
    EXPECT_EQ(state.unitDrive, 'T');
    EXPECT_EQ(state.unitLogs.size(), 21u);
    ASSERT_EQ(dialogs.progress.size(), 1u);
    EXPECT_EQ(dialogs.progress[0]->steps.size(), 21u);

    // Another unit arriving while one is present changes nothing.
    camera.setLabel(L"KRV-TL770");
    report(DBT_DEVICEARRIVAL, bit('R'));
    EXPECT_EQ(state.unitDrive, 'T');
}

}  // namespace
}  // namespace vantora::test
