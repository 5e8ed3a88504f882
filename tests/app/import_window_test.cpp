// The import window as the user drives it: the real window, its buttons
// pressed through messages, its questions answered by a script, real
// removable drives under Wine.

#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "app/import_window.h"
#include "platform/program_folder.h"
#include "platform/store_files.h"
#include "res/resource.h"
#include "unit/import_window_fixture.h"
#include "unit/log_store.h"
#include "unit/wine_drives.h"
#include "windows/adjust_time_diff_dialog.h"
#include "window_test_support.h"

namespace vantora::test {
namespace {

namespace fs = std::filesystem;

// Acts on the next modal dialog of this thread with the given title, from
// inside its own message loop.
class NextDialog {
public:
    NextDialog(std::wstring title, std::function<void(HWND)> action)
    {
        title_ = std::move(title);
        action_ = std::move(action);
        SetTimer(nullptr, 0, 20, tick);
    }

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        const HWND dialog = FindWindowW(L"#32770", title_.c_str());
        if (!dialog || !IsWindowVisible(dialog))
            return;
        KillTimer(nullptr, timer);
        action_(dialog);
    }

    static inline std::wstring title_;
    static inline std::function<void(HWND)> action_;
};

class ImportWindowOnScreen : public ::testing::Test {
protected:
    ImportWindowOnScreen()
    {
        // The store of this run only: korvel.dat beside the test names it.
        static int run = 0;
        storeName_ = L"VantoraTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++run);
        std::ofstream(platform::joinToFolder(platform::programFolder(), "korvel.dat"), std::ios::binary)
            << fs::path(storeName_).string() << "\r\n";
        store_ = platform::documentsFolder().value() / L"Korvel" / storeName_;
    }
    ~ImportWindowOnScreen() override
    {
        window_.reset();
        std::error_code ignored;
        fs::remove(platform::joinToFolder(platform::programFolder(), "korvel.dat"), ignored);
        SetFileAttributesW(store_.c_str(), FILE_ATTRIBUTE_NORMAL);
        SetFileAttributesW((store_ / L"log").c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(store_, ignored);
    }

    void open()
    {
        window_ = std::make_unique<CVantoraGPSAppDlg>(dialogs_, *drives_, [this](HWND, LogList&, const fs::path& folder, UtcOffset) {
            photoFolders_.push_back(folder);
            return INT_PTR{1};
        });
        ASSERT_TRUE(window_->Create());
    }
    void click(int id)
    {
        SendMessageW(window_->hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(window_->item(id)));
    }
    void report(UINT event, std::uint32_t unitMask)
    {
        DEV_BROADCAST_VOLUME volume{};
        volume.dbcv_size = sizeof(volume);
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        volume.dbcv_unitmask = unitMask;
        SendMessageW(window_->hwnd(), WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume));
    }
    bool enabled(int id) const { return IsWindowEnabled(window_->item(id)) != FALSE; }
    std::wstring column(const ui::ListView& view, int column) const
    {
        std::wstring texts;
        for (std::size_t row = 0; row < view.rowCount(); ++row)
            texts += view.text(row, column) + L"|";
        return texts;
    }
    fs::path pcLog(const char* name, int hour)
    {
        const fs::path path = temp_.path() / name;
        std::ofstream(path, std::ios::binary) << logText(hour, 0, 0, 5);
        return path;
    }
    void writeListFile(const std::vector<fs::path>& logs)
    {
        fs::create_directories(store_);
        std::ofstream list(store_ / L"appData", std::ios::binary);
        for (const auto& log : logs)
            list << log.string() << "\r\n";
    }

    ScopedTimeZone zone_{"JST-9"};
    TempDir temp_;
    std::wstring storeName_;
    fs::path store_;
    ScriptedDialogs dialogs_;
    std::unique_ptr<UnitDrives> drives_ = systemUnitDrives();
    std::unique_ptr<CVantoraGPSAppDlg> window_;
    std::vector<fs::path> photoFolders_;
};

TEST(TimeZoneEntries, RunFromPlusThirteenToMinusThirteenAndReadBackAsTheOffset)
{
    EXPECT_EQ(timeZoneEntryText(0), L"+ 13");
    EXPECT_EQ(timeZoneEntryText(13), L"+ 00");
    EXPECT_EQ(timeZoneEntryText(14), L"- 01");
    EXPECT_EQ(timeZoneEntryText(26), L"- 13");
    EXPECT_EQ(timeZoneEntryIndex(1, 9), 4);
    EXPECT_EQ(timeZoneEntryIndex(0, 5), 18);
    EXPECT_EQ(timeZoneEntryIndex(0, 0), 13) << "a negative zero shows as + 00";
    for (int i = 0; i < kTimeZoneEntryCount; ++i) {
        const UtcOffset offset = offsetFromEntryText(timeZoneEntryText(i));
        EXPECT_EQ(timeZoneEntryIndex(offset.east, offset.hours), i) << i;
    }
    const UtcOffset unreadable = offsetFromEntryText(L"");
    EXPECT_EQ(unreadable.east, 1);
    EXPECT_EQ(unreadable.hours, 9);
}

constexpr std::uint32_t kDriveS = 1u << ('S' - 'A');
constexpr std::uint32_t kDriveR = 1u << ('R' - 'A');

TEST_F(ImportWindowOnScreen, ShowsTheStoredPcListAndShiftsItsTimesWithTheTimeZone)
{
    writeListFile({pcLog("a.log", 1), pcLog("b.log", 3)});
    open();
    EXPECT_EQ(column(window_->pcListView(), 0), L"a.log|b.log|");
    EXPECT_EQ(column(window_->pcListView(), 1), L"2008/10/15 10:00:00|2008/10/15 12:00:00|");

    {
        const NextDialog answer(L"タイムゾーン設定", [](HWND dialog) {
            SendDlgItemMessageW(dialog, IDC_UTC_OFFSET, CB_SETCURSEL, timeZoneEntryIndex(0, 5), 0);
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        click(IDC_TIME_ZONE);
    }
    EXPECT_EQ(column(window_->pcListView(), 1), L"2008/10/14 20:00:00|2008/10/14 22:00:00|");
    EXPECT_EQ(window_->state().offset.east, 0);
    EXPECT_EQ(window_->state().offset.hours, 5);
}

TEST_F(ImportWindowOnScreen, FollowsTheUnitFromStartThroughRemovalAndArrival)
{
    TestDrive unit(L'S', L"KRV-TL770");
    unit.write("20081015\\093000.log", logText(0, 30, 0, 5));
    unit.write("20081015\\101500.log", logText(1, 15, 0, 5));
    open();

    EXPECT_EQ(column(window_->unitListView(), 0), L"20081015_093000.log|20081015_101500.log|");
    for (const int id : {IDC_UNIT_LIST, IDC_DELETE_UNIT_LOGS, IDC_DELETE_ALL_UNIT_LOGS, IDC_IMPORT_ARROW})
        EXPECT_TRUE(enabled(id)) << id;
    wchar_t capacity[64] = {};
    GetDlgItemTextW(window_->hwnd(), IDC_CAPACITY_TEXT, capacity, 64);
    EXPECT_EQ(std::wstring(capacity).rfind(L"ログ取得可能時間: 約 ", 0), 0u);

    report(DBT_DEVICEREMOVECOMPLETE, kDriveR | kDriveS);
    EXPECT_EQ(window_->unitListView().rowCount(), 2u) << "the lowest drive of the report is another one";
    report(DBT_DEVICEREMOVECOMPLETE, kDriveS);
    EXPECT_EQ(window_->unitListView().rowCount(), 0u);
    EXPECT_FALSE(enabled(IDC_IMPORT_ARROW));
    report(DBT_DEVICEARRIVAL, kDriveS);
    EXPECT_EQ(window_->unitListView().rowCount(), 2u);
    EXPECT_TRUE(enabled(IDC_IMPORT_ARROW));
}

TEST_F(ImportWindowOnScreen, ArrowCopiesIntoTheStoreAndDeletesOnYes)
{
    TestDrive unit(L'S', L"KRV-TL770");
    unit.write("20081015\\093000.log", logText(0, 30, 0, 5));
    open();

    click(IDC_IMPORT_ARROW);  // the question is answered Yes

    EXPECT_EQ(column(window_->pcListView(), 0), L"20081015_093000.log|");
    EXPECT_TRUE(fs::exists(store_ / L"log" / L"20081015_093000.log"));
    EXPECT_FALSE(fs::exists(unit.root() / L"20081015"));
    EXPECT_EQ(window_->unitListView().rowCount(), 0u);
    EXPECT_FALSE(enabled(IDC_IMPORT_ARROW));
}

TEST_F(ImportWindowOnScreen, ArrowAnsweredNoKeepsTheRowsButDisablesTheUnitControls)
{
    TestDrive unit(L'S', L"KRV-TL770");
    unit.write("20081015\\093000.log", logText(0, 30, 0, 5));
    open();
    dialogs_.willAnswer(DialogAnswer::No);

    click(IDC_IMPORT_ARROW);

    EXPECT_EQ(window_->unitListView().rowCount(), 1u);
    EXPECT_TRUE(fs::exists(unit.root() / L"20081015" / L"093000.log"));
    for (const int id : {IDC_UNIT_LIST, IDC_DELETE_UNIT_LOGS, IDC_DELETE_ALL_UNIT_LOGS, IDC_IMPORT_ARROW})
        EXPECT_FALSE(enabled(id)) << id;
}

TEST_F(ImportWindowOnScreen, AddingAFileAlreadyListedInOtherCaseRegistersOnlyTheNewOne)
{
    const fs::path listed = pcLog("listed.log", 1);
    writeListFile({listed});
    open();
    const fs::path fresh = pcLog("fresh.log", 5);
    dialogs_.willChooseFiles({temp_.path() / L"LISTED.LOG", fresh});

    click(IDC_ADD_LOGS);

    EXPECT_EQ(column(window_->pcListView(), 0), L"listed.log|fresh.log|");
    EXPECT_EQ(dialogs_.asked, std::vector<std::string>{"登録済みのファイルを追加しようとしました。"});
    EXPECT_EQ(dialogs_.fileDialogFolders, std::vector<fs::path>{store_ / L"log"});
}

TEST_F(ImportWindowOnScreen, ClosingAsksFirstAndSavesTheListWhenItEnds)
{
    writeListFile({pcLog("a.log", 1)});
    open();
    dialogs_.willAnswer(DialogAnswer::Cancel);
    SendMessageW(window_->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window_->hwnd()));
    EXPECT_EQ(dialogs_.asked, std::vector<std::string>{"アプリケーションを終了します。\nよろしいですか?"});

    fs::remove(store_ / L"appData");
    dialogs_.willAnswer(DialogAnswer::Ok);
    SendMessageW(window_->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window_->hwnd(), nullptr);
    EXPECT_TRUE(fs::exists(store_ / L"appData"));
}

TEST_F(ImportWindowOnScreen, GoingToThePhotosNeedsLogsAndAFolder)
{
    open();
    click(IDC_GO_TO_PHOTOS);
    EXPECT_TRUE(dialogs_.folderBrowserTitles.empty()) << "nothing at all with an empty PC list";

    writeListFile({pcLog("a.log", 1)});
    window_.reset();
    open();
    dialogs_.willChooseFolder(temp_.path());
    click(IDC_GO_TO_PHOTOS);
    EXPECT_EQ(dialogs_.folderBrowserTitles, std::vector<std::string>{"画像フォルダ選択"});
    ASSERT_EQ(photoFolders_.size(), 1u);
    EXPECT_EQ(photoFolders_[0].native().back(), L'\\');
    EXPECT_TRUE(IsWindowVisible(window_->hwnd())) << "shown again when the photo window returns 1";
}

// The photo window hands back the zone the user took for the camera: the
// lists show their times in it from then on.
TEST_F(ImportWindowOnScreen, TakesBackTheZoneThePhotoWindowFoundForTheCamera)
{
    writeListFile({pcLog("a.log", 1)});
    window_ = std::make_unique<CVantoraGPSAppDlg>(dialogs_, *drives_,
                                                  [](HWND, LogList&, const fs::path&, UtcOffset& offset) {
                                                      offset = UtcOffset{1, 8, 0};
                                                      return INT_PTR{1};
                                                  });
    ASSERT_TRUE(window_->Create());
    EXPECT_EQ(window_->pcListView().text(0, 1), L"2008/10/15 10:00:00");
    dialogs_.willChooseFolder(temp_.path());
    click(IDC_GO_TO_PHOTOS);
    EXPECT_EQ(window_->state().offset.hours, 8);
    EXPECT_EQ(window_->pcListView().text(0, 1), L"2008/10/15 09:00:00");
}

TEST_F(ImportWindowOnScreen, DeletingAllAsksEvenForAnEmptyUnitListAndThenDisablesTheUnitControls)
{
    TestDrive unit(L'S', L"KRV-TL770");
    unit.write("20081015\\093000.log", logText(0, 30, 0, 5));
    open();
    dialogs_.willAnswer(DialogAnswer::No);
    click(IDC_DELETE_ALL_UNIT_LOGS);
    EXPECT_TRUE(enabled(IDC_IMPORT_ARROW)) << "No changes nothing";
    EXPECT_EQ(window_->unitListView().rowCount(), 1u);

    click(IDC_DELETE_ALL_UNIT_LOGS);  // Yes
    EXPECT_FALSE(fs::exists(unit.root() / L"20081015"));
    EXPECT_FALSE(enabled(IDC_IMPORT_ARROW));
    click(IDC_DELETE_ALL_UNIT_LOGS);  // Yes, on an empty list
    EXPECT_EQ(dialogs_.asked.size(), 3u);
}

TEST_F(ImportWindowOnScreen, GoogleEarthGetsTheSelectedLogsOnly)
{
    const GoogleEarthStandIn earth(temp_.path());
    writeListFile({pcLog("a.log", 1), pcLog("b.log", 3), pcLog("c.log", 5)});
    open();
    ui::ListView view(window_->item(IDC_PC_LIST));
    view.select(0, true);
    view.select(2, true);

    click(IDC_SHOW_IN_GOOGLE_EARTH);

    EXPECT_EQ(countOf(earth.kmlHandedOver(), ",0\t"), 10u) << "five fixes of a.log and five of c.log";
    EXPECT_EQ(window_->state().pcLogs[1]->inRoute, 0);
}

TEST_F(ImportWindowOnScreen, TellsAutoPlayToStayAwayFromTheInsertedUnit)
{
    open();
    const UINT message = RegisterWindowMessageW(L"QueryCancelAutoPlay");
    EXPECT_EQ(SendMessageW(window_->hwnd(), message, 0, 0), 1);
}

// Keys typed into the running window, then a close, from inside its modal
// loop: what was asked after the keys tells whether they reached it.
struct KeysThenClose {
    static inline HWND window = nullptr;
    static inline ScriptedDialogs* dialogs = nullptr;
    static inline int askedAfterKeys = -1;
    static inline int ticks = 0;

    static void CALLBACK tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        window = FindWindowW(L"#32770", L"Vantora GPS Utility");
        if (!window)
            return;
        const HWND list = GetDlgItem(window, IDC_PC_LIST);
        if (++ticks == 1) {
            for (const WPARAM key : {VK_ESCAPE, VK_RETURN}) {
                PostMessageW(list, WM_KEYDOWN, key, 0);
                PostMessageW(list, WM_KEYUP, key, 0);
            }
            return;
        }
        KillTimer(nullptr, timer);
        askedAfterKeys = static_cast<int>(dialogs->asked.size());
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
};

TEST_F(ImportWindowOnScreen, EnterAndEscDoNothingAndTheCloseBoxAsksFirst)
{
    CVantoraGPSAppDlg window(dialogs_, *drives_, [](HWND, LogList&, const fs::path&, UtcOffset) { return INT_PTR{1}; });
    KeysThenClose::dialogs = &dialogs_;
    SetTimer(nullptr, 0, 300, KeysThenClose::tick);

    window.DoModal();  // the exit question is answered OK

    EXPECT_EQ(KeysThenClose::askedAfterKeys, 0);
    EXPECT_EQ(dialogs_.asked, std::vector<std::string>{"アプリケーションを終了します。\nよろしいですか?"});
}

TEST_F(ImportWindowOnScreen, ASecondStartEndsAtOnceWithoutAWindow)
{
    const auto start = [] {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        std::wstring command = L"\"" + platform::joinToFolder(platform::programFolder(), L"VantoraGPS.exe").wstring() + L"\"";
        EXPECT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process));
        CloseHandle(process.hThread);
        return process.hProcess;
    };
    const auto windowsOfTheProgram = [] {
        int count = 0;
        for (HWND at = FindWindowW(L"#32770", L"Vantora GPS Utility"); at;
             at = FindWindowExW(nullptr, at, L"#32770", L"Vantora GPS Utility"))
            ++count;
        return count;
    };
    const HANDLE first = start();
    for (int waited = 0; waited < 20000 && windowsOfTheProgram() == 0; waited += 100)
        Sleep(100);
    ASSERT_EQ(windowsOfTheProgram(), 1);

    const HANDLE second = start();
    EXPECT_EQ(WaitForSingleObject(second, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(windowsOfTheProgram(), 1);
    EXPECT_EQ(WaitForSingleObject(first, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the first keeps running";

    TerminateProcess(first, 0);
    WaitForSingleObject(first, 10000);
    CloseHandle(first);
    CloseHandle(second);
}

}  // namespace
}  // namespace vantora::test
