// The GPS unit's drive as Windows shows it, checked on real removable
// drives under Wine (see wine_drives.h): the recognition library, the drive
// queries of systemUnitDrives() and the volume reports of WM_DEVICECHANGE.
#include "check_device.h"
#include "platform/device_change.h"
#include "platform/unit_drives.h"
#include "wine_drives.h"

#include <windows.h>

#include <dbt.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantora {
namespace {

namespace fs = std::filesystem;
using test::TestDrive;

const wchar_t kLibrary[] = L"checkDeviceDll.dll";

struct LibraryFreer {
    void operator()(HMODULE library) const { FreeLibrary(library); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

DllCheckDeviceFunction checkDeviceOf(HMODULE library)
{
    return reinterpret_cast<DllCheckDeviceFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "DllCheckDevice")));
}

// The library is called as the program calls it: with a writable copy of
// the identifier, which is checked to come back unchanged.
int callCheckDevice(DllCheckDeviceFunction checkDevice, int letter, const std::wstring& identifier)
{
    std::wstring copy = identifier;
    const int result = checkDevice(letter, copy.data());
    EXPECT_EQ(copy, identifier) << "the library wrote to the identifier";
    return result;
}

TEST(CheckDeviceLibrary, exportsDllCheckDeviceByNameAndAcceptsOnlyTheLabelledRemovableDrive)
{
    const Library library{LoadLibraryW(kLibrary)};
    ASSERT_TRUE(library) << "checkDeviceDll.dll is not beside the test program";
    const DllCheckDeviceFunction checkDevice = checkDeviceOf(library.get());
    ASSERT_NE(checkDevice, nullptr);

    const TestDrive unit(L'R', L"Vantora GPS");
    const TestDrive other(L'S', L"Vantora GPS 2");
    struct Case {
        int letter;
        std::wstring identifier;
        int expected;
    };
    const std::vector<Case> cases = {
        {'R', L"Vantora GPS", 1},
        {'R', L"vANTORA gps", 1},
        {'r', L"VANTORA GPS", 1},
        {'R', L"Vantora", 0},
        {'R', L"Vantora GPS ", 0},
        {'S', L"Vantora GPS", 0},
        {'R', L"", 0},
        {'R' - 'A', L"Vantora GPS", 0},
        {'@', L"Vantora GPS", 0},
        {'[', L"Vantora GPS", 0},
        {'R' + 256, L"Vantora GPS", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.letter) + " " + fs::path(c.identifier).string());
        EXPECT_EQ(callCheckDevice(checkDevice, c.letter, c.identifier), c.expected);
    }
    EXPECT_EQ(checkDevice('R', nullptr), 0);
}

TEST(CheckDeviceLibrary, refusesADriveWithoutLabelAndFixedDrivesWhateverTheirLabel)
{
    const Library library{LoadLibraryW(kLibrary)};
    ASSERT_TRUE(library);
    const DllCheckDeviceFunction checkDevice = checkDeviceOf(library.get());
    ASSERT_NE(checkDevice, nullptr);

    {
        const TestDrive unlabelled(L'R');
        EXPECT_EQ(callCheckDevice(checkDevice, 'R', L"Vantora GPS"), 0);
        // An empty label must not pass for the empty identifier either.
        EXPECT_EQ(callCheckDevice(checkDevice, 'R', L""), 0);
    }
    {
        const TestDrive fixed(L'T', L"Vantora GPS", TestDrive::Type::Fixed);
        ASSERT_EQ(GetDriveTypeW(L"T:\\"), static_cast<UINT>(DRIVE_FIXED));
        EXPECT_EQ(callCheckDevice(checkDevice, 'T', L"Vantora GPS"), 0);
    }
    for (const wchar_t* fixedRoot : {L"C:\\", L"Z:\\"}) {
        wchar_t label[MAX_PATH + 1] = {};
        GetVolumeInformationW(fixedRoot, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
        const std::wstring identifier = label[0] != L'\0' ? label : L"Vantora GPS";
        EXPECT_EQ(callCheckDevice(checkDevice, fixedRoot[0], identifier), 0);
    }
}

TEST(CheckUnitDrive, loadsTheLibraryForEachCheckAndFreesItAgain)
{
    const TestDrive unit(L'R', L"Vantora GPS");

    EXPECT_TRUE(CheckUnitDrive('R', L"VANTORA gps"));
    EXPECT_TRUE(CheckUnitDrive('r', L"Vantora GPS"));
    EXPECT_EQ(GetModuleHandleW(kLibrary), nullptr) << "the library stayed loaded";
    EXPECT_FALSE(CheckUnitDrive('R', L"Another Unit"));
    EXPECT_FALSE(CheckUnitDrive('S', L"Vantora GPS"));
    EXPECT_FALSE(CheckUnitDrive('C', L"Vantora GPS"));
    // The library would stop at the NUL and see only "Vantora GPS".
    EXPECT_FALSE(CheckUnitDrive('R', std::wstring(L"Vantora GPS\0 2", 14)));
}

TEST(CheckUnitDrive, refusesAnEmptyIdentifierEvenForAnUnlabelledDrive)
{
    const TestDrive unlabelled(L'R');
    EXPECT_FALSE(CheckUnitDrive('R', L""));
}

// Runs in a copy of this program in a folder without the library, started
// by CheckUnitDrive.isFalseWithoutTheLibrary; the variable names the file in
// which the copy confirms that it made its checks.
const wchar_t kWithoutLibraryVariable[] = L"VANTORA_CHECK_WITHOUT_LIBRARY";

std::optional<fs::path> confirmationFile()
{
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetEnvironmentVariableW(kWithoutLibraryVariable, path, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        return std::nullopt;
    return fs::path(path);
}

TEST(CheckUnitDriveWithoutLibrary, isFalseWhenTheLibraryIsMissing)
{
    const auto confirmation = confirmationFile();
    if (!confirmation)
        GTEST_SKIP() << "runs only in the copy started by CheckUnitDrive.isFalseWithoutTheLibrary";
    ASSERT_FALSE(Library{LoadLibraryW(kLibrary)}) << "the library is still found";
    ASSERT_FALSE(CheckUnitDrive('R', L"Vantora GPS"));
    std::ofstream(*confirmation) << "checked\n";
}

fs::path thisProgram()
{
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path;
}

DWORD runToEnd(const fs::path& program, const std::wstring& arguments, const fs::path& folder)
{
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process))
        return static_cast<DWORD>(-1);
    WaitForSingleObject(process.hProcess, 120000);
    DWORD exitCode = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

TEST(CheckUnitDrive, isFalseWithoutTheLibrary)
{
    if (confirmationFile())
        GTEST_SKIP();
    const TestDrive unit(L'R', L"Vantora GPS");
    ASSERT_TRUE(CheckUnitDrive('R', L"Vantora GPS"));

    const fs::path folder = fs::temp_directory_path() /
                            (L"vantora without library " + std::to_wstring(GetCurrentProcessId()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path copy = folder / L"unit_drives_copy.exe";
    fs::copy_file(thisProgram(), copy);
    const fs::path confirmation = folder / L"confirmed.txt";
    SetEnvironmentVariableW(kWithoutLibraryVariable, confirmation.c_str());

    const DWORD exitCode =
        runToEnd(copy, L"--gtest_filter=CheckUnitDriveWithoutLibrary.*", folder);

    SetEnvironmentVariableW(kWithoutLibraryVariable, nullptr);
    EXPECT_EQ(exitCode, 0u) << "the copy without the library failed its check (see its output)";
    EXPECT_TRUE(fs::exists(confirmation)) << "the copy did not make its check";
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

TEST(SystemUnitDrives, answersForTheDrivesOfThisPC)
{
    const TestDrive unit(L'R', L"\u30e6\u30cb\u30c3\u30c8 GPS");
    const auto drives = systemUnitDrives();

    EXPECT_TRUE(drives->isRemovable('R'));
    EXPECT_TRUE(drives->isRemovable('r'));
    EXPECT_FALSE(drives->isRemovable('C'));
    EXPECT_FALSE(drives->isRemovable('Z'));
    EXPECT_FALSE(drives->isRemovable('1'));

    // The identifier arrives as UTF-8.
    EXPECT_TRUE(drives->isUnit('R', "\xe3\x83\xa6\xe3\x83\x8b\xe3\x83\x83\xe3\x83\x88 gps"));
    EXPECT_FALSE(drives->isUnit('R', "\xe3\x83\xa6\xe3\x83\x8b\xe3\x83\x83 gps"));
    EXPECT_FALSE(drives->isUnit('R', "\xe3\x83 gps"));
    EXPECT_FALSE(drives->isUnit('R', ""));

    EXPECT_EQ(drives->root('R'), fs::path(L"R:\\"));
    const auto freeBytes = drives->freeBytes('R');
    ASSERT_TRUE(freeBytes.has_value());
    EXPECT_GT(*freeBytes, 0u);
}

TEST(SystemUnitDrives, knowsNoFreeSpaceOfAnUnmappedLetter)
{
    const DWORD mapped = GetLogicalDrives();
    char unmapped = 0;
    for (char letter = 'Z'; letter >= 'D' && unmapped == 0; --letter)
        if ((mapped & (1u << (letter - 'A'))) == 0)
            unmapped = letter;
    ASSERT_NE(unmapped, 0) << "every drive letter is mapped";

    const auto drives = systemUnitDrives();
    EXPECT_FALSE(drives->isRemovable(unmapped));
    EXPECT_EQ(drives->freeBytes(unmapped), std::nullopt);
    EXPECT_EQ(drives->freeBytes('?'), std::nullopt);
}

DEV_BROADCAST_VOLUME volumeReport(DWORD unitMask)
{
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = unitMask;
    return volume;
}

std::intptr_t asData(const void* report)
{
    return reinterpret_cast<std::intptr_t>(report);
}

TEST(ReadVolumeChange, givesTheUnitMaskOfVolumeArrivalsAndRemovals)
{
    const DWORD drivesRAndT = (1u << ('R' - 'A')) | (1u << ('T' - 'A'));
    const DEV_BROADCAST_VOLUME volume = volumeReport(drivesRAndT);

    const auto arrival = readVolumeChange(DBT_DEVICEARRIVAL, asData(&volume));
    ASSERT_TRUE(arrival.has_value());
    EXPECT_EQ(arrival->kind, VolumeChange::Arrival);
    EXPECT_EQ(arrival->unitMask, drivesRAndT);

    const auto removal = readVolumeChange(DBT_DEVICEREMOVECOMPLETE, asData(&volume));
    ASSERT_TRUE(removal.has_value());
    EXPECT_EQ(removal->kind, VolumeChange::Removal);
    EXPECT_EQ(removal->unitMask, drivesRAndT);
}

TEST(ReadVolumeChange, ignoresOtherEventsDevicesAndMissingReports)
{
    const DEV_BROADCAST_VOLUME volume = volumeReport(1u << ('R' - 'A'));
    DEV_BROADCAST_PORT_W port{};
    port.dbcp_size = sizeof(port);
    port.dbcp_devicetype = DBT_DEVTYP_PORT;
    DEV_BROADCAST_VOLUME shortReport = volumeReport(1u << ('R' - 'A'));
    shortReport.dbcv_size = sizeof(DEV_BROADCAST_HDR);

    EXPECT_EQ(readVolumeChange(DBT_DEVICEARRIVAL, asData(&port)), std::nullopt);
    EXPECT_EQ(readVolumeChange(DBT_DEVICEREMOVECOMPLETE, asData(&port)), std::nullopt);
    EXPECT_EQ(readVolumeChange(DBT_DEVICEARRIVAL, 0), std::nullopt);
    EXPECT_EQ(readVolumeChange(DBT_DEVICEREMOVECOMPLETE, 0), std::nullopt);
    EXPECT_EQ(readVolumeChange(DBT_DEVICEARRIVAL, asData(&shortReport)), std::nullopt);
    for (const UINT event : {DBT_DEVICEQUERYREMOVE, DBT_DEVICEREMOVEPENDING,
                             DBT_DEVNODES_CHANGED, DBT_CONFIGCHANGED})
        EXPECT_EQ(readVolumeChange(event, asData(&volume)), std::nullopt) << event;
}

}  // namespace
}  // namespace vantora
