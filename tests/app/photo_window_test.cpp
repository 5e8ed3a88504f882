// The whole road of a day's photos in the real windows: the GPS unit, the
// import arrow, the photo window loading a folder, a shift of all shooting
// times and back, writing the positions, Google Earth, and back to the
// import window. exiftool later reads back what was written (see
// photo_window_written_check.sh).

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <span>
#include <tuple>
#include <utility>

#include "app/about_dialog.h"
#include "app/import_window.h"
#include "app/user_dialogs_windows.h"
#include "controls/arrow_button.h"
#include "demo_photo.h"
#include "photo/photo_list.h"
#include "photo/photo_reading.h"
#include "photo/reason_wording.h"
#include "photo/xmp_sidecar.h"
#include "photo/xmp_text.h"
#include "photo/xmp_values.h"
#include "platform/program_folder.h"
#include "platform/store_files.h"
#include "res/resource.h"
#include "support/shell_drop.h"
#include "ui/list_view.h"
#include "unit/import_window_fixture.h"
#include "unit/wine_drives.h"
#include "windows/adjust_shooting_date_dialog.h"
#include "windows/adjust_time_diff_dialog.h"
#include "windows/photo_detail_dialog.h"
#include "windows/photo_window.h"
#include "window_test_support.h"

namespace vantora::test {
namespace {

namespace fs = std::filesystem;

// Acts on the next modal dialog of this thread with the given title.
void onNextDialog(const wchar_t* title, void (*action)(HWND))
{
    static const wchar_t* wanted = nullptr;
    static void (*act)(HWND) = nullptr;
    wanted = title;
    act = action;
    SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR timer, DWORD) {
        const HWND dialog = FindWindowW(L"#32770", wanted);
        if (!dialog || !IsWindowVisible(dialog))
            return;
        KillTimer(nullptr, timer);
        act(dialog);
    });
}

void shiftAllShootingTimes(HWND photoWindow, bool forward)
{
    static bool direction = true;
    direction = forward;
    onNextDialog(L"撮影時間調整", [](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_SHIFT_HOURS, CB_SETCURSEL, 1, 0);
        CheckRadioButton(dialog, IDC_SHIFT_FORWARD, IDC_SHIFT_BACK, direction ? IDC_SHIFT_FORWARD : IDC_SHIFT_BACK);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(photoWindow, WM_COMMAND, MAKEWPARAM(IDC_ADJUST_SHOOTING_TIME, BN_CLICKED), 0);
}

// Whether the cell of row 1 in the column is drawn with a pixel of the
// colour (the list painted as the user sees it).
bool cellShowsColour(HWND list, int column, COLORREF colour)
{
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT cell{};
    cell.top = column;
    cell.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&cell));
    const HDC dc = GetDC(list);
    bool found = false;
    for (int y = cell.top; y < cell.bottom && !found; ++y)
        for (int x = cell.left; x < cell.right && !found; ++x)
            found = GetPixel(dc, x, y) == colour;
    ReleaseDC(list, dc);
    return found;
}

std::wstring columnTexts(HWND list, int column)
{
    const ui::ListView view(list);
    std::wstring texts;
    for (std::size_t row = 0; row < view.rowCount(); ++row)
        texts += view.text(row, column) + L"|";
    return texts;
}

class WholeRoad : public ::testing::Test {
protected:
    WholeRoad()
    {
        std::ofstream(platform::joinToFolder(platform::programFolder(), "korvel.dat"), std::ios::binary)
            << "VantoraRoadTest\r\n";
        store_ = platform::documentsFolder().value() / L"Korvel" / L"VantoraRoadTest";
        removeStore();
    }
    ~WholeRoad() override
    {
        photoWindow_.reset();
        importWindow_.reset();
        std::error_code ignored;
        fs::remove(platform::joinToFolder(platform::programFolder(), "korvel.dat"), ignored);
        removeStore();
    }
    void removeStore()
    {
        SetFileAttributesW(store_.c_str(), FILE_ATTRIBUTE_NORMAL);
        SetFileAttributesW((store_ / L"log").c_str(), FILE_ATTRIBUTE_NORMAL);
        std::error_code ignored;
        fs::remove_all(store_, ignored);
    }

    // 24 photos during the walk (09:31 to 09:54 on the camera's clock) and
    // one from before it, in a folder the exiftool check reads afterwards.
    fs::path makePhotos()
    {
        const fs::path folder = fs::path(PHOTO_CHECK_FOLDER) / L"photos";
        std::error_code ignored;
        fs::remove_all(folder, ignored);
        fs::create_directories(folder);
        for (int i = 0; i < 25; ++i) {
            const int minute = i < 24 ? 31 + i : 5;
            char name[32];
            char time[32];
            std::snprintf(name, sizeof name, "IMG_%04d.JPG", 100 + i);
            std::snprintf(time, sizeof time, "2008:10:15 09:%02d:00", minute);
            const auto bytes = demo_photo::makeDemoJpeg(time);
            std::ofstream(folder / name, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        return folder;
    }

    void click(HWND window, int id) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    // The photo window runs without a loop of its own here, so the test
    // can press its buttons.
    bool openImportWindow()
    {
        importWindow_ = std::make_unique<CVantoraGPSAppDlg>(
            dialogs_, *drives_, [this](HWND parent, LogList& pcLogs, const fs::path& folder, UtcOffset offset) {
                photoWindow_ = std::make_unique<CStillListDlg>(parent, dialogs_);
                photoWindow_->m_pcLogList = &pcLogs;
                photoWindow_->m_folder = folder;
                photoWindow_->m_offset = offset;
                EXPECT_TRUE(photoWindow_->Create());
                return INT_PTR{1};
            });
        return importWindow_->Create();
    }

    ScopedTimeZone zone_{"JST-9"};
    TempDir temp_;
    fs::path store_;
    ScriptedDialogs dialogs_;
    std::unique_ptr<UnitDrives> drives_ = systemUnitDrives();
    std::unique_ptr<CVantoraGPSAppDlg> importWindow_;
    std::unique_ptr<CStillListDlg> photoWindow_;
};

TEST_F(WholeRoad, FromTheUnitToThePhotosAndGoogleEarthAndBack)
{
    TestDrive unit(L'S', L"KRV-TL770");
    unit.write("20081015\\093000.log", logText(0, 30, 0, 1800));  // 09:30 to 10:00 Japan time
    const fs::path photos = makePhotos();

    ASSERT_TRUE(openImportWindow());
    click(importWindow_->hwnd(), IDC_IMPORT_ARROW);  // Yes: copied, then deleted on the unit
    ASSERT_EQ(importWindow_->state().pcLogs.size(), 1u);

    dialogs_.willChooseFolder(photos);
    click(importWindow_->hwnd(), IDC_GO_TO_PHOTOS);
    ASSERT_TRUE(photoWindow_);
    const HWND window = photoWindow_->hwnd();
    const HWND list = GetDlgItem(window, IDC_PHOTO_LIST);

    ASSERT_EQ(dialogs_.progress.size(), 1u) << "25 photos load under the progress window";
    EXPECT_TRUE(dialogs_.progress[0]->cancellable);
    EXPECT_EQ(dialogs_.progress[0]->caption, "画像データ取得中...");
    ASSERT_EQ(ui::ListView(list).rowCount(), 25u);
    EXPECT_EQ(ui::ListView(list).text(0, 2), L"IMG_0124.JPG") << "sorted by shooting time";
    EXPECT_EQ(ui::ListView(list).text(0, 1), L"?");
    EXPECT_EQ(countOf(columnTexts(list, 1), L"OK|"), 24u);

    dialogs_.asked.clear();
    dialogs_.willAnswer(DialogAnswer::No);  // the camera's clock was right; the shift goes back
    shiftAllShootingTimes(window, true);
    EXPECT_EQ(ui::ListView(list).text(1, 3), L"2008/10/15 10:31:00");
    EXPECT_EQ(countOf(columnTexts(list, 1), L"OK|"), 0u) << "an hour later the walk was over";
    EXPECT_EQ(dialogs_.asked, std::vector<std::string>{"撮影時刻のタイムゾーンを +10 にすると、25枚のうち24枚が"
                                                       "ログの範囲に入ります（今は0枚）。タイムゾーンを変更しますか？"});
    shiftAllShootingTimes(window, false);
    EXPECT_EQ(ui::ListView(list).text(1, 3), L"2008/10/15 09:31:00");
    EXPECT_EQ(countOf(columnTexts(list, 1), L"OK|"), 24u)
        << "why row 1 is not OK: " << reasonEnglish(photoWindow_->photos()->records[1].reason);

    EXPECT_TRUE(cellShowsColour(list, 4, RGB(153, 153, 153))) << "matched latitude grey before writing";
    EXPECT_FALSE(cellShowsColour(list, 0, RGB(0, 255, 0)));
    dialogs_.asked.clear();
    click(window, IDC_WRITE_POSITIONS);  // OK
    EXPECT_EQ(dialogs_.asked, (std::vector<std::string>{
                                  "マッチングの有効性に疑問のあるファイルが含まれています。\nすべての画像データに位置情報を付加しますか？"
                                  "\n\nトラックの範囲外: 1",
                                  "位置情報を付加しました。"}));
    EXPECT_TRUE(photoWindow_->positionsWritten());
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_WRITE_POSITIONS)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_ADD_PHOTOS)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_PHOTOS_IN_GOOGLE_EARTH)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_START_AGAIN)));
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0) << "drops are refused";
    EXPECT_EQ(countOf(columnTexts(list, 0), L"有|"), 25u);
    EXPECT_TRUE(cellShowsColour(list, 0, RGB(0, 255, 0))) << "green 有 after writing";
    EXPECT_FALSE(cellShowsColour(list, 4, RGB(153, 153, 153))) << "black latitude after writing";

    // What exiftool is to find in each photo.
    std::ofstream expected(fs::path(PHOTO_CHECK_FOLDER) / L"expected.txt", std::ios::binary);
    expected << std::setprecision(12);
    for (const PhotoRecord& photo : photoWindow_->photos()->records) {
        ASSERT_TRUE(photo.match.has_value());
        const auto degrees = [](const Rational* r) {
            return r[0].numerator / double(r[0].denominator) + r[1].numerator / double(r[1].denominator) / 60 +
                   r[2].numerator / double(r[2].denominator) / 3600;
        };
        expected << photo.exif.path.filename().string() << " " << degrees(photo.match->point.latitude) << " "
                 << degrees(photo.match->point.longitude) << "\n";
    }
    expected.close();

    {
        const GoogleEarthStandIn earth(temp_.path());
        click(window, IDC_PHOTOS_IN_GOOGLE_EARTH);
        EXPECT_EQ(countOf(earth.kmlHandedOver(), "<Placemark>"), 26u) << "the route and 25 photos";
    }

    dialogs_.asked.clear();
    click(window, IDC_START_AGAIN);  // OK
    EXPECT_EQ(dialogs_.asked,
              std::vector<std::string>{"リストをクリアして取り込み画面に戻ります。\nよろしいですか？"});
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(importWindow_->state().pcLogs.size(), 1u);
    EXPECT_EQ(importWindow_->pcListView().rowCount(), 1u);
}

// A phone's GPX track of the walk: a point every 10 seconds from 00:30:00
// to 00:59:50 UTC (09:30 to 10:00 in Japan) walking north-east, with the
// namespace, extensions and a waypoint real files carry.
std::string phoneTrack()
{
    std::string gpx = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                      "<gpx version=\"1.1\" creator=\"phone\" xmlns=\"http://www.topografix.com/GPX/1/1\">\r\n"
                      "<wpt lat=\"35.0\" lon=\"139.0\"><time>2007-01-01T00:00:00Z</time></wpt>\r\n"
                      "<trk><name>鎌倉</name><trkseg>\r\n";
    for (int i = 0; i < 180; ++i) {
        char point[160];
        std::snprintf(point, sizeof point,
                      "<trkpt lat=\"%.6f\" lon=\"%.6f\"><ele>12.5</ele><time>2008-10-15T00:%02d:%02d.000Z</time>"
                      "<extensions><speed>1.4</speed></extensions></trkpt>\r\n",
                      35.3190 + i * 0.0001, 139.5500 + i * 0.0001, 30 + i / 6, i % 6 * 10);
        gpx += point;
    }
    return gpx + "</trkseg></trk></gpx>\r\n";
}

TEST_F(WholeRoad, AGpxTrackAddedByHandPlacesWritesAndDrawsThePhotos)
{
    const fs::path track = temp_.path() / L"鎌倉 walk.gpx";
    std::ofstream(track, std::ios::binary) << phoneTrack();
    const fs::path photos = temp_.path() / L"写真";
    fs::create_directories(photos);
    const std::pair<const char*, const char*> shots[] = {
        {"IMG_093105.JPG", "2008:10:15 09:31:05"},
        {"IMG_094500.JPG", "2008:10:15 09:45:00"},
        {"IMG_095945.JPG", "2008:10:15 09:59:45"},
    };
    for (const auto& [name, taken] : shots) {
        const auto bytes = demo_photo::makeDemoJpeg(taken);
        std::ofstream(photos / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    ASSERT_TRUE(openImportWindow());

    dialogs_.willChooseFiles({track});
    click(importWindow_->hwnd(), IDC_ADD_LOGS);
    ASSERT_EQ(importWindow_->state().pcLogs.size(), 1u);
    EXPECT_EQ(importWindow_->pcListView().text(0, 0), L"鎌倉 walk.gpx");
    EXPECT_EQ(importWindow_->pcListView().text(0, 1), L"2008/10/15 09:30:00") << "its first point, not the waypoint";

    dialogs_.willChooseFolder(photos);
    click(importWindow_->hwnd(), IDC_GO_TO_PHOTOS);
    ASSERT_TRUE(photoWindow_);
    const HWND window = photoWindow_->hwnd();
    const HWND list = GetDlgItem(window, IDC_PHOTO_LIST);
    EXPECT_EQ(columnTexts(list, 1), L"OK|OK|OK|");
    dialogs_.asked.clear();
    click(window, IDC_WRITE_POSITIONS);  // OK
    EXPECT_EQ(dialogs_.asked, (std::vector<std::string>{"すべての画像データに位置情報を付加しますか？",
                                                        "位置情報を付加しました。"}));
    for (const PhotoRecord& photo : photoWindow_->photos()->records) {
        PhotoExifData written;
        ASSERT_EQ(readPhoto(photo.exif.path, written), kPhotoRead);
        EXPECT_EQ(written.hasGpsTags, 1) << photo.exif.path;
        EXPECT_STREQ(written.latitudeText, photo.match->point.latitudeText) << photo.exif.path;
        EXPECT_STREQ(written.gpsTimeText, photo.match->point.timeText) << photo.exif.path;
    }
    // 09:31:05 lies half way between two points: 35.3190 + 6.5 steps north.
    EXPECT_EQ(ui::ListView(list).text(0, 4), L"北緯 35度19分10.7秒");

    const GoogleEarthStandIn earth(temp_.path());
    click(window, IDC_PHOTOS_IN_GOOGLE_EARTH);
    const std::string kml = earth.kmlHandedOver();
    EXPECT_EQ(countOf(kml, "<Placemark>"), 4u) << "the route and 3 photos";
    EXPECT_EQ(countOf(kml, "\t\t\t\t\t139.5"), 180u) << "every track point in the route";
}

// Five photos of the walk in a folder of the test, and the walk's log.
class PhotoWindowCommands : public WholeRoad {
protected:
    PhotoWindowCommands()
    {
        const fs::path log = temp_.path() / "walk.log";
        std::ofstream(log, std::ios::binary) << logText(0, 30, 0, 1800);
        int added = 0;
        bool overlap = false;
        bool limit = false;
        loadLogFiles(logs_, {log}, added, overlap, limit);
        fs::create_directories(folder_);
        for (int i = 0; i < 6; ++i)
            writePhoto(i < 5 ? folder_ : extra_, 31 + i);
    }
    void writePhoto(const fs::path& folder, int minute, int hour = 9)
    {
        char name[32];
        char time[32];
        std::snprintf(name, sizeof name, "IMG_%02d%02d.JPG", hour == 9 ? 0 : hour, minute);
        std::snprintf(time, sizeof time, "2008:10:15 %02d:%02d:00", hour, minute);
        const auto bytes = demo_photo::makeDemoJpeg(time);
        fs::create_directories(folder);
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void open(const fs::path& folder)
    {
        window_ = std::make_unique<CStillListDlg>(nullptr, dialogs_);
        window_->m_pcLogList = &logs_;
        window_->m_folder = folder;
        ASSERT_TRUE(window_->Create());
    }
    HWND list() const { return GetDlgItem(window_->hwnd(), IDC_PHOTO_LIST); }

    LogList logs_;
    fs::path folder_ = temp_.path() / "photos";
    fs::path extra_ = temp_.path() / "more";
    std::unique_ptr<CStillListDlg> window_;
};

TEST_F(PhotoWindowCommands, AddRemoveAndTheQuestionsOfStartingAgainAndClosing)
{
    open(folder_);
    ASSERT_EQ(ui::ListView(list()).rowCount(), 5u);
    EXPECT_TRUE(dialogs_.progress.empty()) << "five photos load without a progress window";

    dialogs_.willChooseFiles({extra_ / "IMG_0036.JPG", folder_ / "img_0031.jpg", temp_.path() / "walk.log"});
    click(window_->hwnd(), IDC_ADD_PHOTOS);
    EXPECT_EQ(ui::ListView(list()).rowCount(), 6u);
    EXPECT_EQ(dialogs_.asked, std::vector<std::string>{"登録済みのファイルを追加しようとしました。"});

    for (const std::size_t row : {1, 3})
        ui::ListView(list()).select(row, true);
    click(window_->hwnd(), IDC_CLEAR_PHOTO_ROWS);
    EXPECT_EQ(columnTexts(list(), 2), L"IMG_0031.JPG|IMG_0033.JPG|IMG_0035.JPG|IMG_0036.JPG|");
    EXPECT_EQ(window_->photos()->records.size(), 4u);

    dialogs_.asked.clear();
    dialogs_.willAnswer(DialogAnswer::Cancel);
    SendMessageW(window_->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window_->hwnd()));
    dialogs_.willAnswer(DialogAnswer::Cancel);
    click(window_->hwnd(), IDC_START_AGAIN_CANCEL);
    EXPECT_TRUE(IsWindow(window_->hwnd()));
    EXPECT_EQ(dialogs_.asked, (std::vector<std::string>{"アプリケーションを終了します。\nよろしいですか?",
                                                        "リストをクリアして取り込み画面に戻ります。\nよろしいですか？"}));
}

// After a drop from Explorer, Explorer stays in front and this thread has
// no active window, or another one: the progress window still belongs to
// the dialog the user works in, which it disables while it runs.
class OpensProgressWhileAnotherWindowIsActive : public ui::Dialog {
public:
    OpensProgressWhileAnotherWindowIsActive() : ui::Dialog(IDD_ABOUTBOX, nullptr) {}
    bool dialogDisabled = false, otherDisabled = false, dialogEnabledAfter = false;

protected:
    BOOL OnInitDialog() override
    {
        const HWND other = CreateWindowExW(0, L"STATIC", L"another program", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40,
                                           nullptr, nullptr, nullptr, nullptr);
        SetActiveWindow(other);
        WindowsUserDialogs dialogs;
        {
            const auto progress = dialogs.openProgress(false, "画像読み込み中...");
            dialogDisabled = !IsWindowEnabled(hwnd());
            otherDisabled = !IsWindowEnabled(other);
        }
        dialogEnabledAfter = IsWindowEnabled(hwnd()) != FALSE;
        DestroyWindow(other);
        EndDialog(IDOK);
        return TRUE;
    }
};

TEST(TheProgressWindow, belongsToTheDialogTheUserWorksInWhateverWindowIsActive)
{
    OpensProgressWhileAnotherWindowIsActive dialog;
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(dialog.dialogDisabled) << "the dialog stayed enabled under its progress window";
    EXPECT_FALSE(dialog.otherDisabled) << "the window in front was taken for the owner";
    EXPECT_TRUE(dialog.dialogEnabledAfter);
}

// A real click of the mouse at the centre of the window's control, handled
// as the message pump meets it.
void clickWithTheMouse(HWND control)
{
    RECT box{};
    GetWindowRect(control, &box);
    const auto absolute = [](LONG at, int metric) {
        return static_cast<LONG>(at * 65535 / (GetSystemMetrics(metric) - 1));
    };
    INPUT input[3]{};
    for (INPUT& one : input) {
        one.type = INPUT_MOUSE;
        one.mi.dx = absolute((box.left + box.right) / 2, SM_CXSCREEN);
        one.mi.dy = absolute((box.top + box.bottom) / 2, SM_CYSCREEN);
    }
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, input, sizeof(INPUT));
}

// The progress window of the real program, scripted questions, and one
// action at the first step of each progress window.
class RealProgressDialogs : public ScriptedDialogs {
public:
    std::function<void(ProgressDisplay&)> atFirstStep;

    std::unique_ptr<ProgressDisplay> openProgress(bool cancellable, const std::string& caption) override
    {
        ScriptedDialogs::openProgress(cancellable, caption);
        return std::make_unique<Acting>(real_.openProgress(cancellable, caption), atFirstStep);
    }

private:
    class Acting : public ProgressDisplay {
    public:
        Acting(std::unique_ptr<ProgressDisplay> real, std::function<void(ProgressDisplay&)> action)
            : real_(std::move(real)), action_(std::move(action))
        {
        }
        int step(int position, int total) override
        {
            if (std::exchange(first_, false) && action_)
                action_(*real_);
            return real_->step(position, total);
        }

    private:
        std::unique_ptr<ProgressDisplay> real_;
        std::function<void(ProgressDisplay&)> action_;
        bool first_ = true;
    };
    WindowsUserDialogs real_;
};

// Photos dropped from Explorer, which stays in front: while they are being
// added the photo window is disabled and takes no click on its buttons;
// once they are in, the same click writes.
TEST_F(PhotoWindowCommands, WhileADropIsBeingAddedTheWindowTakesNoClick)
{
    static std::vector<fs::path> dropped;
    dropped.clear();
    for (int i = 0; i < 25; ++i) {
        writePhoto(extra_, 31 + i);
        dropped.push_back(extra_ / ("IMG_00" + std::to_string(31 + i) + ".JPG"));
    }
    static RealProgressDialogs dialogs;
    dialogs = RealProgressDialogs{};
    static bool disabledDuringTheDrop = false, clickWasOffTheProgressWindow = false;
    static std::vector<std::string> askedDuringTheDrop, askedAfterTheClick;
    static std::size_t rowsAfterTheDrop = 0;
    dialogs.atFirstStep = [](ProgressDisplay& progress) {
        const HWND window = ui::innermostModalDialog();
        disabledDuringTheDrop = !IsWindowEnabled(window);
        const HWND button = GetDlgItem(window, IDC_WRITE_POSITIONS);
        RECT shown{}, box{};
        GetWindowRect(FindWindowW(L"VantoraProgressWindow", nullptr), &shown);
        GetWindowRect(button, &box);
        clickWasOffTheProgressWindow = !IntersectRect(&shown, &shown, &box);
        clickWithTheMouse(button);
        for (int pumps = 0; pumps < 10; ++pumps, Sleep(20))
            progress.step(0, 25);
        askedDuringTheDrop = dialogs.asked;
        dialogs.atFirstStep = nullptr;  // the write's own progress window is left alone
    };
    SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        const HWND window = ui::innermostModalDialog();
        const HWND explorer = CreateWindowExW(0, L"STATIC", L"Explorer", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40,
                                              nullptr, nullptr, nullptr, nullptr);
        SetActiveWindow(explorer);
        SendMessageW(GetDlgItem(window, IDC_PHOTO_LIST), WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf(dropped)), 0);
        rowsAfterTheDrop = ui::ListView(GetDlgItem(window, IDC_PHOTO_LIST)).rowCount();
        DestroyWindow(explorer);
        clickWithTheMouse(GetDlgItem(window, IDC_WRITE_POSITIONS));
        MSG message;
        for (int pumps = 0; pumps < 10; ++pumps, Sleep(20))
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
        askedAfterTheClick = dialogs.asked;
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_START_AGAIN_CANCEL, BN_CLICKED), 0);  // OK
    });
    UtcOffset japan;
    runPhotoWindow(dialogs, nullptr, logs_, folder_, japan);

    ASSERT_GE(dialogs.progress.size(), 1u);
    EXPECT_EQ(dialogs.progress[0]->caption, "画像データ取得中...") << "25 photos are added under the progress window";
    EXPECT_TRUE(disabledDuringTheDrop);
    EXPECT_TRUE(clickWasOffTheProgressWindow);
    EXPECT_EQ(askedDuringTheDrop, std::vector<std::string>{}) << "the write button ran in the middle of the drop";
    EXPECT_EQ(rowsAfterTheDrop, 30u);
    EXPECT_EQ(askedAfterTheClick,
              (std::vector<std::string>{"すべての画像データに位置情報を付加しますか？", "位置情報を付加しました。"}))
        << "the same click once the photos are in";
}

// Every window as the user opens it, under the fonts of the test prefix
// (see tools/wine-run.sh), which stand in for those of Windows, at the DPI
// of the prefix (96, and 120 and 144 in prefixes of their own): every
// caption of a static text or push button fits its control, and every text
// a window paints itself fits its place, clear of the controls.
TEST_F(PhotoWindowCommands, EveryWindowShowsItsCaptionsWholeInTheirControls)
{
    open(folder_);
    const HWND photoWindow = window_->hwnd();
    CVantoraGPSAppDlg importWindow(dialogs_, *drives_, [](HWND, LogList&, const fs::path&, UtcOffset) {
        return INT_PTR{1};
    });
    ASSERT_TRUE(importWindow.Create());
    CStillDetailDlg detail(photoWindow, copyRecord(window_->photos()->records[0]));
    CAdjustShootingDateDlg shift(photoWindow);
    CAdjustTimeDiffDlg timeZone(importWindow.hwnd());
    CAboutDlg about(importWindow.hwnd());
    ASSERT_TRUE(detail.Create() && shift.Create() && timeZone.Create() && about.Create());
    ASSERT_EQ(importWindow.dpi(), configuredDpi());

    std::vector<std::string> found;
    for (const auto& [name, window] : std::vector<std::pair<const char*, HWND>>{
             {"import window", importWindow.hwnd()}, {"photo window", photoWindow}, {"detail window", detail.hwnd()},
             {"shooting-time dialog", shift.hwnd()}, {"time-zone dialog", timeZone.hwnd()},
             {"about box", about.hwnd()}}) {
        const auto more = captionsThatDoNotFit(name, window);
        found.insert(found.end(), more.begin(), more.end());
    }
    const HWND arrow = GetDlgItem(importWindow.hwnd(), IDC_IMPORT_ARROW);
    const int dpi = importWindow.dpi();
    for (const auto& [name, window, painted] : std::vector<std::tuple<const char*, HWND, PaintedText>>{
             {"import window", importWindow.hwnd(), CVantoraGPSAppDlg::kHeading},
             {"photo window", photoWindow, CStillListDlg::kHeadingBeforeWriting},
             {"photo window", photoWindow, CStillListDlg::kHeadingAfterWriting},
             {"detail window", detail.hwnd(), CStillDetailDlg::kDoubtfulWarning},
             {"shooting-time dialog", shift.hwnd(), CAdjustShootingDateDlg::kChangeNote},
             {"about box", about.hwnd(), CAboutDlg::kVersion}}) {
        const auto more = paintedTextMisfits(name, window, PaintedTextAt(painted, dpi));
        found.insert(found.end(), more.begin(), more.end());
    }
    for (const auto& [name, state] : {std::pair{"arrow button", 0u}, std::pair{"arrow button pressed", 1u}}) {
        const auto more = paintedTextMisfits(name, arrow, ArrowLayoutFor(state ? ODS_SELECTED : 0, dpi).caption);
        found.insert(found.end(), more.begin(), more.end());
    }
    for (const std::string& line : found)
        std::printf("caption does not fit at %d dpi: %s\n", dpi, line.c_str());
    EXPECT_EQ(found, std::vector<std::string>{});
}

// Where the main windows put their controls, in pixels at 96 dpi (x, y,
// width, height); at any other DPI each value is scaled, halves rounded up.
const ControlAt kImportWindowControls[] = {
    {IDC_UNIT_LIST, 14, 88, 372, 461},      {IDC_PC_LIST, 503, 88, 372, 461},
    {IDC_UNIT_TITLE, 33, 42, 84, 18},       {IDC_PC_TITLE, 523, 42, 50, 18},
    {IDC_CAPACITY_TEXT, 20, 68, 242, 20},   {IDC_DELETE_UNIT_LOGS, 266, 65, 44, 18},
    {IDC_DELETE_ALL_UNIT_LOGS, 316, 65, 64, 18}, {IDC_IMPORT_ARROW, 397, 257, 95, 95},
    {IDC_TIME_ZONE, 509, 65, 112, 18},      {IDC_ADD_LOGS, 706, 65, 41, 18},
    {IDC_CLEAR_PC_ROWS, 753, 65, 44, 18},   {IDC_CLEAR_PC_LIST, 803, 65, 64, 18},
    {IDC_ABOUT, 719, 6, 80, 18},            {IDC_OPEN_MANUAL, 809, 6, 65, 18},
    {IDC_GO_TO_PHOTOS, 554, 560, 183, 30},  {IDC_SHOW_IN_GOOGLE_EARTH, 748, 560, 125, 30},
    {IDC_WALKING_HISTORY, 270, 560, 118, 30},
};
const ControlAt kPhotoWindowControls[] = {
    {IDC_PHOTO_LIST, 14, 70, 859, 483},           {IDC_PHOTO_DETAIL, 20, 45, 72, 20},
    {IDC_ADJUST_SHOOTING_TIME, 103, 45, 93, 20},  {IDC_ADD_PHOTOS, 537, 45, 141, 20},
    {IDC_CLEAR_PHOTO_ROWS, 684, 45, 183, 20},     {IDC_WRITE_POSITIONS, 587, 564, 203, 26},
    {IDC_START_AGAIN_CANCEL, 801, 564, 72, 26},   {IDC_PHOTOS_IN_GOOGLE_EARTH, 620, 564, 124, 26},
    {IDC_START_AGAIN, 755, 564, 118, 26},         {IDC_ABOUT, 719, 6, 80, 18},
    {IDC_PHOTO_OPEN_MANUAL, 809, 6, 65, 18},      {IDC_PHOTO_WALKING_HISTORY, 492, 564, 118, 26},
};
// The list columns' widths at 96 dpi.
const std::vector<int> kLogColumnWidths = {128, 118, 118};
const std::vector<int> kPhotoColumnWidths = {60, 60, 90, 120, 130, 130, 250};

std::vector<std::string> misplacedInMainWindow(const char* name, HWND window, std::span<const ControlAt> controls,
                                               int listId, const std::vector<int>& columnWidths, int dpi)
{
    auto found = misplacedControls(name, window, controls, dpi);
    RECT client{};
    GetClientRect(window, &client);
    if (client.right != atDpi(885, dpi) || client.bottom != atDpi(600, dpi))
        found.push_back(std::string(name) + ": client area " + std::to_string(client.right) + " x " +
                        std::to_string(client.bottom));
    const HWND list = GetDlgItem(window, listId);
    for (std::size_t column = 0; column < columnWidths.size(); ++column) {
        const auto width = SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0);
        if (width != atDpi(columnWidths[column], dpi))
            found.push_back(std::string(name) + ": column " + std::to_string(column) + " " + std::to_string(width) +
                            " px wide");
    }
    return found;
}

LONG controlFontHeight(HWND window, int id)
{
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(window, id, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

// The main windows at the DPI of the test prefix, and after Windows said
// they are on a screen of another DPI (Wine sends no WM_DPICHANGED: the
// test sends it) and back: every control where it belongs at that DPI, the
// window on the rectangle Windows suggested, the controls' font of that
// DPI, and the one of the start back again.
TEST_F(PhotoWindowCommands, EveryControlStandsAtItsPlaceScaledToTheWindowsDpi)
{
    open(folder_);
    CVantoraGPSAppDlg import(dialogs_, *drives_, [](HWND, LogList&, const fs::path&, UtcOffset) { return INT_PTR{1}; });
    ASSERT_TRUE(import.Create());
    const int dpi = configuredDpi();
    ASSERT_EQ(import.dpi(), dpi);
    ASSERT_EQ(window_->dpi(), dpi);
    const struct {
        const char* name;
        HWND window;
        std::span<const ControlAt> controls;
        int list;
        const std::vector<int>& columns;
        int button;  // one whose font is checked
    } windows[] = {{"import window", import.hwnd(), kImportWindowControls, IDC_PC_LIST, kLogColumnWidths, IDC_ADD_LOGS},
                   {"photo window", window_->hwnd(), kPhotoWindowControls, IDC_PHOTO_LIST, kPhotoColumnWidths,
                    IDC_PHOTO_DETAIL}};
    const int other = dpi == 144 ? 120 : 144;
    for (const auto& w : windows) {
        EXPECT_EQ(misplacedInMainWindow(w.name, w.window, w.controls, w.list, w.columns, dpi), std::vector<std::string>{});
        const LONG fontHeight = controlFontHeight(w.window, w.button);
        RECT suggested{};
        GetWindowRect(w.window, &suggested);
        OffsetRect(&suggested, 7, 5);
        suggested.right = suggested.left + MulDiv(suggested.right - suggested.left, other, dpi);
        suggested.bottom = suggested.top + MulDiv(suggested.bottom - suggested.top, other, dpi);
        SendMessageW(w.window, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(misplacedInMainWindow(w.name, w.window, w.controls, w.list, w.columns, other),
                  std::vector<std::string>{});
        RECT now{};
        GetWindowRect(w.window, &now);
        EXPECT_EQ(now.left, suggested.left) << w.name;
        EXPECT_EQ(now.top, suggested.top) << w.name;
        EXPECT_EQ(controlFontHeight(w.window, w.button), MulDiv(fontHeight, other, dpi)) << w.name;

        GetWindowRect(w.window, &suggested);
        SendMessageW(w.window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(misplacedInMainWindow(w.name, w.window, w.controls, w.list, w.columns, dpi), std::vector<std::string>{});
        EXPECT_EQ(controlFontHeight(w.window, w.button), fontHeight) << w.name;
    }

    CAboutDlg about(import.hwnd());
    ASSERT_TRUE(about.Create());
    RECT client{};
    GetClientRect(about.hwnd(), &client);
    EXPECT_EQ(client.right, atDpi(600, dpi));
    EXPECT_EQ(client.bottom, atDpi(300, dpi));

    // A dialog laid out by its template keeps its controls where they were,
    // in proportion (the closed drop-down lists as high as their new font).
    CAdjustShootingDateDlg shift(window_->hwnd());
    ASSERT_TRUE(shift.Create());
    const auto placesOf = [&shift] {
        std::vector<RECT> places;
        for (HWND control = GetWindow(shift.hwnd(), GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
            RECT place{};
            GetWindowRect(control, &place);
            MapWindowPoints(nullptr, shift.hwnd(), reinterpret_cast<POINT*>(&place), 2);
            wchar_t kind[16] = {};
            GetClassNameW(control, kind, 16);
            if (_wcsicmp(kind, L"ComboBox") == 0)
                place.bottom = place.top;
            places.push_back(place);
        }
        return places;
    };
    const std::vector<RECT> before = placesOf();
    RECT suggested{};
    GetWindowRect(shift.hwnd(), &suggested);
    SendMessageW(shift.hwnd(), WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
    const std::vector<RECT> after = placesOf();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        const auto scaled = [&](LONG value) { return std::lround(value * double(other) / dpi); };
        EXPECT_EQ(after[i].left, scaled(before[i].left)) << i;
        EXPECT_EQ(after[i].top, scaled(before[i].top)) << i;
        EXPECT_EQ(after[i].right - after[i].left, scaled(before[i].right - before[i].left)) << i;
        EXPECT_EQ(after[i].bottom - after[i].top, scaled(before[i].bottom - before[i].top)) << i;
    }
}

// The tip of the row under the mouse: the mouse moves onto the row, and the
// list's tooltip asks for its text as it does before it shows.
std::wstring tipOf(CCustomListCtrl& list, int row)
{
    RECT cell{};
    cell.left = LVIR_LABEL;
    SendMessageW(list.hwnd(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    SendMessageW(list.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 5, (cell.top + cell.bottom) / 2));
    NMTTDISPINFOW tip{};
    tip.hdr.hwndFrom = list.tipWindow();
    tip.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(list.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    return tip.lpszText ? tip.lpszText : L"(none)";
}

// A camera left on winter time, an hour behind the walk: every photo falls
// before the track, the tip and the detail window say so, the window asks
// whether to take +8 for the camera, and Yes places every photo.
TEST_F(PhotoWindowCommands, ExplainsEveryPhotoAndFindsACameraClockAnHourBehind)
{
    const fs::path behind = temp_.path() / "winter";
    for (int minute = 31; minute <= 35; ++minute)
        writePhoto(behind, minute, 8);
    dialogs_.willAnswer(DialogAnswer::No);
    open(behind);
    EXPECT_EQ(dialogs_.asked, std::vector<std::string>{"撮影時刻のタイムゾーンを +8 にすると、5枚のうち5枚が"
                                                       "ログの範囲に入ります（今は0枚）。タイムゾーンを変更しますか？"});
    EXPECT_EQ(columnTexts(list(), 1), L"?|?|?|?|?|");
    EXPECT_EQ(columnTexts(list(), 6).substr(0, 21), L"マッチングが正しくない可能性があります。|") << "備考 keeps its sentence";
    EXPECT_EQ(tipOf(window_->listControl(), 0), L"トラックの開始より59分前（最初の記録 09:30:00 の位置を使用）");
    CStillDetailDlg detail(window_->hwnd(), copyRecord(window_->photos()->records[4]));
    ASSERT_TRUE(detail.Create());
    wchar_t line[256] = {};
    GetDlgItemTextW(detail.hwnd(), IDC_DETAIL_REASON, line, 256);
    EXPECT_EQ(std::wstring(line), L"マッチング: トラックの開始より55分前（最初の記録 09:30:00 の位置を使用）");
    EXPECT_TRUE(captionsThatDoNotFit("detail window", detail.hwnd()).empty());
    DestroyWindow(detail.hwnd());
    DestroyWindow(window_->hwnd());
    EXPECT_FALSE(window_->m_zoneTaken.has_value()) << "No keeps the zone";

    dialogs_.asked.clear();
    open(behind);  // Yes
    ASSERT_EQ(dialogs_.asked.size(), 1u);
    EXPECT_EQ(columnTexts(list(), 1), L"OK|OK|OK|OK|OK|");
    EXPECT_EQ(tipOf(window_->listControl(), 0), L"ログの記録と同じ時刻です");
    DestroyWindow(window_->hwnd());
    ASSERT_TRUE(window_->m_zoneTaken.has_value()) << "handed back to the import window";
    EXPECT_EQ(window_->m_zoneTaken->hours, 8);
}

// A folder of raw+JPEG pairs and a HEIC photo: a raw file and its JPEG are
// two rows, the write puts the raw and HEIF positions into their sidecars
// (the one a raw developer left, or the darktable form) and never into
// those files, and the detail window names the kind and the sidecar.
TEST_F(PhotoWindowCommands, RawAndHeicPhotosLoadBesideTheirJpegsAndTakeTheirPositionsInSidecars)
{
    const fs::path pairs = temp_.path() / L"写真 raw";
    writePhoto(pairs, 40);
    writePhoto(pairs, 42);
    const auto slurp = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const auto takenAt = [](int minute) {
        ExifDateTime time{};
        time.year = 2008, time.month = 10, time.day = 15, time.hour = 9, time.minute = minute;
        return newSidecarText(shootingTimeProperties(time, "+09:00"));
    };
    const std::pair<const char*, const wchar_t*> raws[] = {
        {"canon_ii.cr2", L"IMG_0040.CR2"}, {"sony_ii.arw", L"IMG_0042.ARW"}, {"apple.heic", L"IMG_0041.HEIC"}};
    for (const auto& [fixture, name] : raws)
        fs::copy_file(fs::path(RAW_FIXTURE_DIR) / fixture, pairs / name);
    std::ofstream(pairs / L"IMG_0040.xmp", std::ios::binary) << takenAt(40);
    std::ofstream(pairs / L"IMG_0042.ARW.xmp", std::ios::binary) << takenAt(42);
    std::ofstream(pairs / L"IMG_0041.HEIC.xmp", std::ios::binary) << takenAt(41);
    std::vector<std::string> before;
    for (const auto& [fixture, name] : raws)
        before.push_back(slurp(pairs / name));

    open(pairs);
    EXPECT_EQ(columnTexts(list(), 2), L"IMG_0040.JPG|IMG_0040.CR2|IMG_0041.HEIC|IMG_0042.JPG|IMG_0042.ARW|")
        << "equal times keep the folder's order: JPEGs first";
    EXPECT_EQ(columnTexts(list(), 1), L"OK|OK|OK|OK|OK|");
    dialogs_.asked.clear();
    click(window_->hwnd(), IDC_WRITE_POSITIONS);  // OK
    EXPECT_EQ(countOf(columnTexts(list(), 0), L"有|"), 5u);
    for (std::size_t i = 0; i < std::size(raws); ++i)
        EXPECT_EQ(slurp(pairs / raws[i].second), before[i]) << "never written into the photo itself";
    for (const wchar_t* sidecar : {L"IMG_0040.xmp", L"IMG_0042.ARW.xmp", L"IMG_0041.HEIC.xmp"}) {
        const auto values = readXmpValues(slurp(pairs / sidecar));
        ASSERT_TRUE(values && values->hasPosition()) << fs::path(sidecar).string();
        EXPECT_EQ(values->gpsMapDatum, "WGS-84");
    }
    EXPECT_FALSE(fs::exists(pairs / L"IMG_0040.JPG.xmp")) << "the JPEG of a pair is written as ever";

    const auto& records = window_->photos()->records;
    const auto raw = std::find_if(records.begin(), records.end(),
                                  [](const PhotoRecord& r) { return r.exif.path.filename() == L"IMG_0040.CR2"; });
    ASSERT_NE(raw, records.end());
    CStillDetailDlg detail(window_->hwnd(), copyRecord(*raw));
    ASSERT_TRUE(detail.Create());
    wchar_t line[256] = {};
    GetDlgItemTextW(detail.hwnd(), IDC_DETAIL_KIND, line, 256);
    EXPECT_EQ(std::wstring(line), L"種類: RAW (CR2)　サイドカー: IMG_0040.xmp (あり)");
    RECT client{};
    RECT kind{};
    GetClientRect(detail.hwnd(), &client);
    GetWindowRect(GetDlgItem(detail.hwnd(), IDC_DETAIL_KIND), &kind);
    MapWindowPoints(nullptr, detail.hwnd(), reinterpret_cast<POINT*>(&kind), 2);
    EXPECT_LE(kind.bottom, client.bottom) << "the window grew to show the line";
    EXPECT_TRUE(captionsThatDoNotFit("raw detail window", detail.hwnd()).empty());
    DestroyWindow(detail.hwnd());
}

// A write where some photo did not take its position says so, and which.
TEST_F(PhotoWindowCommands, AWriteThatMissesAPhotoNamesItInsteadOfClaimingSuccess)
{
    const fs::path locked = folder_ / "IMG_0033.JPG";
    ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    open(folder_);
    dialogs_.asked.clear();
    click(window_->hwnd(), IDC_WRITE_POSITIONS);  // OK
    SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(dialogs_.asked.size(), 2u);
    EXPECT_EQ(dialogs_.asked[1],
              "次の1個の画像には位置情報を付加できませんでした。画像は元のままです。\n"
              "ほかの4個の画像には位置情報を付加しました。\n\nIMG_0033.JPG（読み取り専用です）\n");
    EXPECT_EQ(countOf(columnTexts(list(), 0), L"有|"), 4u) << "the list shows what the files hold";
}

TEST_F(PhotoWindowCommands, AnEmptyWindowReturnsWithoutAQuestionAndWritesNothingWithoutLogs)
{
    open(temp_.path() / "no photos here");
    EXPECT_EQ(ui::ListView(list()).rowCount(), 0u);
    click(window_->hwnd(), IDC_WRITE_POSITIONS);
    click(window_->hwnd(), IDC_START_AGAIN_CANCEL);
    EXPECT_TRUE(dialogs_.asked.empty());
    EXPECT_FALSE(IsWindow(window_->hwnd())) << "ended with 1 at once";

    logs_.clear();
    open(folder_);
    click(window_->hwnd(), IDC_WRITE_POSITIONS);  // OK
    EXPECT_EQ(dialogs_.asked.back(), "ログファイルが登録されていません。");
    EXPECT_FALSE(window_->positionsWritten());
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window_->hwnd(), IDC_WRITE_POSITIONS)));
}

}  // namespace
}  // namespace vantora::test
