#include "export/google_earth_windows.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vantora {
namespace {

namespace fs = std::filesystem;

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Display names carry the process id so that no entry of the machine, and
// no other run, can be mistaken for one of ours.
std::wstring unique(const std::wstring& text)
{
    return text + L" " + std::to_wstring(GetCurrentProcessId());
}

struct UninstallEntry {
    std::wstring displayName;
    std::optional<std::wstring> installLocation;
    REGSAM view = KEY_WOW64_64KEY;
};

void setText(HKEY key, const wchar_t* name, const std::wstring& value)
{
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// Registers the entries under unique subkeys and removes them again, even
// when a test fails.
class RegisteredEntries {
public:
    explicit RegisteredEntries(std::vector<UninstallEntry> entries) : entries_(std::move(entries))
    {
        for (std::size_t i = 0; i < entries_.size(); ++i)
            create(i);
    }
    ~RegisteredEntries()
    {
        for (std::size_t i = 0; i < entries_.size(); ++i)
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, subkeyPath(i).c_str(), entries_[i].view, 0);
    }
    RegisteredEntries(const RegisteredEntries&) = delete;
    RegisteredEntries& operator=(const RegisteredEntries&) = delete;

private:
    std::wstring subkeyPath(std::size_t index) const
    {
        return std::wstring(kUninstallKey) + L"\\" + unique(L"VantoraTestEntry" + std::to_wstring(index));
    }

    void create(std::size_t index) const
    {
        const UninstallEntry& entry = entries_[index];
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkeyPath(index).c_str(), 0, nullptr, 0,
                                  KEY_WRITE | entry.view, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        setText(key, L"DisplayName", entry.displayName);
        if (entry.installLocation)
            setText(key, L"InstallLocation", *entry.installLocation);
        RegCloseKey(key);
    }

    std::vector<UninstallEntry> entries_;
};

TEST(FindInstallLocation, matchesTheWholeDisplayNameInAnyLetterCase)
{
    const RegisteredEntries entries({
        {unique(L"Vantora Globe"), L"C:\\Globe\\"},
        {unique(L"Vantora Mixed Case"), L"C:\\Mixed\\"},
        {unique(L"Vantora No Location"), std::nullopt},
        {unique(L"Vantora Empty Location"), L""},
        {unique(L"Vantora Older Build"), L"C:\\Program Files (x86)\\Older\\", KEY_WOW64_32KEY},
    });
    struct Case {
        std::wstring query;
        std::optional<std::wstring> expected;
    };
    const std::vector<Case> cases = {
        {unique(L"Vantora Globe"), L"C:\\Globe\\"},
        {unique(L"vantora mIXED case"), L"C:\\Mixed\\"},
        {unique(L"Vantora No Location"), std::nullopt},
        {unique(L"Vantora Empty Location"), std::nullopt},
        {unique(L"Vantora Older Build"), L"C:\\Program Files (x86)\\Older\\"},
        {unique(L"Vantora Never Registered"), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(fs::path(c.query).string());
        EXPECT_EQ(findInstallLocation(c.query), c.expected);
    }
}

TEST(FindInstallLocation, doesNotTakeALongerNameThatBeginsWithTheOneAskedFor)
{
    const RegisteredEntries entries({{unique(L"Vantora Prefix") + L" Pro Helper", L"C:\\Pro\\"}});
    EXPECT_EQ(findInstallLocation(unique(L"Vantora Prefix")), std::nullopt);
}

TEST(GoogleEarthExecutable, sitsInTheInstallLocationWithOrWithoutItsClosingBackslash)
{
    EXPECT_EQ(googleEarthExecutable(L"C:\\Google Earth\\"), L"C:\\Google Earth\\googleearth.exe");
    EXPECT_EQ(googleEarthExecutable(L"C:\\Google Earth"), L"C:\\Google Earth\\googleearth.exe");
}

std::string readWhenWritten(const fs::path& file)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(file) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string utf8Of(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

class LaunchWithKml : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / L"vantora launch \u30c6\u30b9\u30c8";
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        fs::copy_file(FAKE_GOOGLE_EARTH_PATH, folder_ / L"googleearth.exe");
        SetEnvironmentVariableW(L"VANTORA_FAKE_GE_OUT", report().c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableW(L"VANTORA_FAKE_GE_OUT", nullptr);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    fs::path report() const { return folder_ / L"command line.txt"; }

    fs::path folder_;
};

TEST_F(LaunchWithKml, handsTheProgramAKmlPathWithSpacesAndJapaneseAsOneArgument)
{
    const fs::path kml = folder_ / L"\u5199\u771f \u65c5\u884c route.kml";
    const std::wstring executable = googleEarthExecutable(folder_.wstring());

    ASSERT_TRUE(launchWithKml(executable, kml.wstring()));

    EXPECT_EQ(readWhenWritten(report()), "2\n" + utf8Of(kml));
}

}  // namespace
}  // namespace vantora
