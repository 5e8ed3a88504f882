#include "export/google_earth_windows.h"
#include "export/show_in_google_earth.h"

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

#include "photo/track_builder.h"
#include "support/scripted_dialogs.h"

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
        // A folder per test: the stand-in of the test before may still be
        // running from its folder.
        static int run = 0;
        folder_ = fs::temp_directory_path() /
                  (L"vantora launch \u30c6\u30b9\u30c8 " + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(++run));
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
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


// The Google Earth button: a "Google Earth" entry whose location (without
// its closing back-slash) holds the stand-in program, and a temporary
// folder of the test's own.
class ShowInGoogleEarth : public LaunchWithKml {
protected:
    void SetUp() override
    {
        LaunchWithKml::SetUp();
        temp_ = folder_ / L"temp folder";
        fs::create_directories(temp_);
        SetEnvironmentVariableW(L"TMP", temp_.c_str());
        for (int hour : {1, 2, 3}) {
            logs_.push_back(test::LogBuilder(L"log" + std::to_wstring(hour) + L".log")
                                .fix(test::dateTime(2008, 5, 1, hour, 0, 0), test::dms(35, hour, 0), test::dms(139, 0, 0))
                                .fix(test::dateTime(2008, 5, 1, hour, 0, 1), test::dms(35, hour, 5), test::dms(139, 0, 5))
                                .build());
        }
    }
    void TearDown() override
    {
        SetEnvironmentVariableW(L"TMP", nullptr);
        LaunchWithKml::TearDown();
    }

    RegisteredEntries installed() const { return RegisteredEntries({{L"Google Earth", folder_.wstring()}}); }
    fs::path kml(const wchar_t* name) const { return temp_ / name; }

    // Keeps a copy of every document the button wrote, for xmllint.
    static std::string keptForLinting(const fs::path& file)
    {
        const std::string text = readWhenWritten(file);
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        const fs::path kept = fs::path(KML_CHECK_FOLDER) / (test + "-" + file.filename().string());
        fs::create_directories(kept.parent_path());
        std::ofstream(kept, std::ios::binary) << text;
        return text;
    }

    fs::path temp_;
    LogList logs_;
    test::ScriptedDialogs dialogs_;
};

std::size_t coordinateTuples(const std::string& kml)
{
    std::size_t count = 0;
    for (auto at = kml.find(",0\t"); at != std::string::npos; at = kml.find(",0\t", at + 1))
        ++count;
    return count;
}

TEST_F(ShowInGoogleEarth, TellsTheUserWhenGoogleEarthIsNotInstalledAndWritesNothing)
{
    const auto result = showInGoogleEarth(dialogs_, logs_, std::vector<std::size_t>{0});
    EXPECT_EQ(result.outcome, GoogleEarthOutcome::NotInstalled);
    EXPECT_EQ(dialogs_.asked, std::vector<std::string>{"Google Earthがインストールされていません。"});
    EXPECT_FALSE(fs::exists(kml(L"korvel.kml")));
}

TEST_F(ShowInGoogleEarth, ShowsExactlyTheSelectedLogsOfTheImportWindow)
{
    const auto entry = installed();
    const auto result = showInGoogleEarth(dialogs_, logs_, std::vector<std::size_t>{0, 2});

    ASSERT_EQ(result.outcome, GoogleEarthOutcome::Started);
    EXPECT_EQ(result.kmlFile, kml(L"korvel.kml"));
    EXPECT_EQ(readWhenWritten(report()), "2\n" + utf8Of(kml(L"korvel.kml")));
    EXPECT_EQ((std::vector<int>{logs_[0]->inRoute, logs_[1]->inRoute, logs_[2]->inRoute}),
              (std::vector<int>{1, 0, 1}));
    const std::string text = keptForLinting(result.kmlFile);
    EXPECT_EQ(coordinateTuples(text), 4u);
    EXPECT_NE(text.find("\t\t\t\t\t139.000000,35.016667,0"), std::string::npos) << "first fix of log 0";
    EXPECT_EQ(text.find("35.033333"), std::string::npos) << "log 1 is not in the route";
    EXPECT_NE(text.find("\t\t\t\t\t139.000139,35.050139,0"), std::string::npos) << "last fix of log 2";
    EXPECT_TRUE(dialogs_.asked.empty());
}

TEST_F(ShowInGoogleEarth, DoesNothingSilentlyWithoutLogsOrSelection)
{
    const auto entry = installed();
    EXPECT_EQ(showInGoogleEarth(dialogs_, logs_, std::vector<std::size_t>{}).outcome,
              GoogleEarthOutcome::NothingToShow);
    LogList none;
    EXPECT_EQ(showInGoogleEarth(dialogs_, none, std::vector<PhotoRecord>{}).outcome,
              GoogleEarthOutcome::NothingToShow);
    EXPECT_TRUE(dialogs_.asked.empty());
    EXPECT_FALSE(fs::exists(kml(L"korvel.kml")));
    EXPECT_FALSE(fs::exists(report()));
}

TEST_F(ShowInGoogleEarth, ReusesKorvelKmlUnlessAnotherProgramStillHoldsIt)
{
    const auto entry = installed();
    std::ofstream(kml(L"korvel.kml")) << "old";
    EXPECT_EQ(showInGoogleEarth(dialogs_, logs_, std::vector<std::size_t>{1}).kmlFile, kml(L"korvel.kml"));

    // Held open without delete sharing, as a running viewer would.
    HANDLE held = CreateFileW(kml(L"korvel.kml").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(showInGoogleEarth(dialogs_, logs_, std::vector<std::size_t>{1}).kmlFile, kml(L"korvel1.kml"));
    keptForLinting(kml(L"korvel1.kml"));
    EXPECT_EQ(showInGoogleEarth(dialogs_, logs_, std::vector<std::size_t>{1}).kmlFile, kml(L"korvel2.kml"));
    CloseHandle(held);
}

TEST_F(ShowInGoogleEarth, PlacesThePhotosOfThePhotoWindowOnTheWholeRoute)
{
    const auto entry = installed();
    logs_[1]->inRoute = 0;
    std::vector<PhotoRecord> photos(2);
    for (int i = 0; i < 2; ++i) {
        photos[i] = test::photoTakenAt(test::dateTime(2008, 5, 1, 10 + i, 0, 0),
                                       folder_ / (L"写真 & 旅行" + std::to_wstring(i) + L".jpg"));
        photos[i].match = test::fixMatch(test::dateTime(2008, 5, 1, 1 + i, 0, 0), test::dms(35, 1, 0),
                                           test::dms(139, 0, 0));
    }

    const auto result = showInGoogleEarth(dialogs_, logs_, photos);

    ASSERT_EQ(result.outcome, GoogleEarthOutcome::Started);
    EXPECT_EQ(logs_[1]->inRoute, 1);
    const std::string text = keptForLinting(result.kmlFile);
    EXPECT_EQ(coordinateTuples(text), 6u);
    EXPECT_NE(text.find("#Style00001"), std::string::npos);
    EXPECT_NE(text.find("写真 &amp; 旅行1.jpg"), std::string::npos);
}

// Today's desktop Google Earth registers as "Google Earth Pro" and keeps
// its program in the "client" folder; without either entry, the program
// associated with ".kml" shows the route. Only a PC with neither is told
// that Google Earth is missing (the test above).
TEST_F(ShowInGoogleEarth, FindsGoogleEarthProAndElseTheProgramAssociatedWithKml)
{
    fs::create_directories(folder_ / L"client");
    fs::rename(folder_ / L"googleearth.exe", folder_ / L"client" / L"googleearth.exe");
    {
        const RegisteredEntries pro({{L"Google Earth Pro", folder_.wstring()}});
        const auto result = showInGoogleEarth(dialogs_, logs_, std::vector<std::size_t>{0});
        ASSERT_EQ(result.outcome, GoogleEarthOutcome::Started);
        EXPECT_EQ(readWhenWritten(report()), "2\n" + utf8Of(result.kmlFile));
    }
    fs::remove(report());
    const std::wstring kmlClass = unique(L"VantoraTestKml");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.kml", 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    setText(key, nullptr, kmlClass);
    RegCloseKey(key);
    const std::wstring command = L"Software\\Classes\\" + kmlClass + L"\\shell\\open\\command";
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, command.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    setText(key, nullptr, L"\"" + (folder_ / L"client" / L"googleearth.exe").wstring() + L"\" \"%1\"");
    RegCloseKey(key);

    const auto result = showInGoogleEarth(dialogs_, logs_, std::vector<std::size_t>{0});

    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + kmlClass).c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.kml");
    ASSERT_EQ(result.outcome, GoogleEarthOutcome::OpenedByAssociation);
    EXPECT_TRUE(dialogs_.asked.empty());
    EXPECT_EQ(readWhenWritten(report()), "2\n" + utf8Of(result.kmlFile));
}

}  // namespace
}  // namespace vantora
