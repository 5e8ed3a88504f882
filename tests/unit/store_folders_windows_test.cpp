// What only Windows shows of the log store: the attributes of the folders
// the program creates, writing into them, and the program folder.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/program_folder.h"
#include "platform/store_files.h"
#include "unit/import_window_fixture.h"
#include "unit/log_registration.h"
#include "unit/log_store.h"
#include "unit/unit_detection.h"
#include "unit/unit_logs.h"

namespace vantora::test {
namespace {

namespace fs = std::filesystem;

DWORD attributesOf(const fs::path& path)
{
    return GetFileAttributesW(path.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
}

// The attributes a store folder should show here: Wine keeps no read-only
// flag on folders (Windows does), which a probe folder finds out.
DWORD expectedStoreAttributes(const fs::path& probe)
{
    fs::create_directories(probe);
    SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_READONLY);
    const bool keepsReadOnly = attributesOf(probe) & FILE_ATTRIBUTE_READONLY;
    SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    return FILE_ATTRIBUTE_HIDDEN | (keepsReadOnly ? FILE_ATTRIBUTE_READONLY : 0);
}

using StoreFolders = ImportWindowTest;

TEST_F(StoreFolders, AreCreatedHiddenAndReadOnlyAndStillTakeTheListAndTheCopies)
{
    const DWORD storeAttributes = expectedStoreAttributes(temp.path() / "probe");
    RegisterLogFiles(window, {temp.write("other.log", logText(5, 0, 0, 3))}, LogSide::Pc, false, false);
    ASSERT_TRUE(SavePcList(state));
    EXPECT_EQ(attributesOf(state.appFolder), storeAttributes);
    EXPECT_EQ(attributesOf(state.appFolder.parent_path()), 0u) << "folders on the way stay normal";

    addUnitDrive('E');
    writeUnitLog('E', "20081015\\093000.log", logText(0, 30, 0, 10));
    scanForUnitAtStart(window, drives);
    importUnitLogs(window);  // answered Yes
    ASSERT_TRUE(SavePcList(state)) << "the list is replaced inside the read-only folder";

    EXPECT_EQ(attributesOf(storeLogFolder(state)), storeAttributes);
    EXPECT_TRUE(fs::exists(storeLogFolder(state) / "20081015_093000.log"));
    EXPECT_TRUE(state.unitLogs.empty());
    EXPECT_EQ(fs::file_size(pcListFile(state)),
              (storeLogFolder(state) / "20081015_093000.log").string().size() +
                  (temp.path() / "other.log").string().size() + 4);
}

TEST_F(StoreFolders, ThatExistAlreadyKeepTheirAttributes)
{
    fs::create_directories(storeLogFolder(state));
    ensureStoreFolder(storeLogFolder(state));
    ensureStoreFolder(state.appFolder);
    EXPECT_EQ(attributesOf(storeLogFolder(state)), 0u);
    EXPECT_EQ(attributesOf(state.appFolder), 0u);
}

TEST(ProgramFolder, IsTheExecutablesFolderAndJoinsWithOneBackslash)
{
    const auto documents = platform::documentsFolder();
    ASSERT_TRUE(documents.has_value());
    EXPECT_TRUE(fs::is_directory(*documents));

    const fs::path folder = platform::programFolder();
    EXPECT_NE(folder.native().back(), L'\\');
    EXPECT_TRUE(fs::exists(platform::joinToFolder(folder, "unit_tests.exe")));
    EXPECT_EQ(platform::joinToFolder(L"C:", L"korvel.dat").native(), L"C:\\korvel.dat");
    EXPECT_EQ(platform::joinToFolder(L"C:\\", L"korvel.dat").native(), L"C:\\korvel.dat");
}

}  // namespace
}  // namespace vantora::test
