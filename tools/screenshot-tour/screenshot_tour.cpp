// Shows each window of the program as a user meets it, one after the
// other, so that tools/screenshots.sh can take a picture of each:
// the import window without and with the GPS unit (the arrow normal,
// pressed and disabled), the about box, the time-zone dialog and the
// progress window, the photo window before and after writing, the shooting
// time dialog and the detail window. Runs under Wine with a display.
//
// Usage: screenshot-tour.exe OUTPUT_FOLDER

#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/about_dialog.h"
#include "app/import_window.h"
#include "app/progress_window.h"
#include "app/user_dialogs_windows.h"
#include "demo_photo.h"
#include "photo/photo_list.h"
#include "controls/skin_images.h"
#include "res/resource.h"
#include "support/scripted_dialogs.h"
#include "support/nmea_text.h"
#include "support/time_zone.h"
#include "unit/wine_drives.h"
#include "windows/adjust_shooting_date_dialog.h"
#include "windows/adjust_time_diff_dialog.h"
#include "photo/xmp_text.h"
#include "photo/xmp_values.h"
#include "windows/photo_detail_dialog.h"
#include "windows/photo_window.h"

namespace {

namespace fs = std::filesystem;
using namespace vantora;

// Lets the windows paint for a while.
void settle(int milliseconds = 700)
{
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    MSG message;
    while (GetTickCount() < end) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

// Asks tools/screenshots.sh to take the window: NAME.ready appears with the
// window's place on the screen (frame included), and the script removes it
// once the picture is taken. Meanwhile the windows keep painting.
bool waitForScreenshot(const fs::path& marker, HWND window)
{
    RECT frame{};
    GetWindowRect(window, &frame);
    std::ofstream(marker) << frame.left << " " << frame.top << " " << frame.right - frame.left << " "
                          << frame.bottom - frame.top << "\n";
    for (int waited = 0; waited < 30000 && fs::exists(marker); waited += 100)
        settle(100);
    return !fs::exists(marker);
}

class Tour {
public:
    explicit Tour(fs::path folder) : folder_(std::move(folder)) { fs::create_directories(folder_); }

    // The window in front, as the user would have it after opening it.
    void shoot(const char* name, HWND window)
    {
        SetForegroundWindow(window);
        settle();
        const fs::path marker = folder_ / (std::string(name) + ".ready");
        std::printf("%s %s\n", waitForScreenshot(marker, window) ? "taken" : "NOT TAKEN", name);
        std::fflush(stdout);
    }

    std::unique_ptr<CVantoraGPSAppDlg> importWindow()
    {
        auto window = std::make_unique<CVantoraGPSAppDlg>(dialogs_, *drives_, [](HWND, LogList&, const fs::path&, UtcOffset) {
            return INT_PTR{1};
        });
        window->Create();
        return window;
    }

    test::ScriptedDialogs dialogs_;
    std::unique_ptr<UnitDrives> drives_ = systemUnitDrives();

private:
    fs::path folder_;
};

// ---------------------------------------------------------------- the day

// A day's walk in Kamakura on 2008-10-15 as the logger saw it: from the
// station up to the shrine and back, a short loss of the signal, lunch
// with the logger off, and in the afternoon out to the Great Buddha.
struct Place {
    double latitude;
    double longitude;
};

struct Leg {
    int startUtc;  // seconds after midnight UTC
    int seconds;
    Place from;
    Place to;
};

constexpr Place kStation{35.31920, 139.55050};
constexpr Place kShrine{35.32590, 139.55620};
constexpr Place kHase{35.31200, 139.53800};
constexpr Place kBuddha{35.31680, 139.53580};

// The logger's logs: 09:30 to 10:15, 10:20 to 11:00 and 13:00 to 13:40
// Japan time, each walking from one place to the next.
const Leg kDay[] = {
    {30 * 60, 45 * 60, kStation, kShrine},
    {80 * 60, 40 * 60, kShrine, kStation},
    {240 * 60, 40 * 60, kHase, kBuddha},
};

// "ddmm.mmmm" as the logger writes a position.
std::string nmeaAngle(double degrees, int degreeDigits)
{
    const int whole = static_cast<int>(degrees);
    const double minutes = (degrees - whole) * 60.0;
    char text[24];
    std::snprintf(text, sizeof text, "%0*d%07.4f", degreeDigits, whole, minutes);
    return text;
}

std::string legLog(const Leg& leg)
{
    std::string text;
    for (int i = 0; i < leg.seconds; ++i) {
        const double along = static_cast<double>(i) / leg.seconds;
        const double latitude = leg.from.latitude + (leg.to.latitude - leg.from.latitude) * along;
        const double longitude = leg.from.longitude + (leg.to.longitude - leg.from.longitude) * along;
        const int t = leg.startUtc + i;
        char time[16];
        std::snprintf(time, sizeof time, "%02d%02d%02d.000", t / 3600, t / 60 % 60, t % 60);
        text += test::gga(time, nmeaAngle(latitude, 2), "N", nmeaAngle(longitude, 3), "E") + "\r\n" +
                test::rmc(time, "151008") + "\r\n";
    }
    return text;
}

// The log's name on the logger: its first fix's time, UTC.
std::string legName(const Leg& leg, const char* separator)
{
    char name[40];
    std::snprintf(name, sizeof name, "20081015%s%02d%02d00.log", separator, leg.startUtc / 3600,
                  leg.startUtc / 60 % 60);
    return name;
}

// ---------------------------------------------------------------- the tour

void tourImportWindow(Tour& tour)
{
    {
        const auto window = tour.importWindow();
        tour.shoot("import-window-without-unit", window->hwnd());
    }
    test::TestDrive unit(L'S', L"KRV-TL770");
    for (const Leg& leg : kDay)
        unit.write(legName(leg, "\\"), legLog(leg));
    const auto window = tour.importWindow();
    tour.shoot("import-window-with-unit", window->hwnd());
    SendMessageW(window->item(IDC_IMPORT_ARROW), BM_SETSTATE, TRUE, 0);
    tour.shoot("import-window-arrow-pressed", window->hwnd());
    SendMessageW(window->item(IDC_IMPORT_ARROW), BM_SETSTATE, FALSE, 0);
}

void tourDialogs(Tour& tour)
{
    const auto owner = tour.importWindow();
    {
        CAboutDlg about(owner->hwnd());
        about.Create();
        ShowWindow(about.hwnd(), SW_SHOW);
        tour.shoot("about-box", about.hwnd());
    }
    {
        CAdjustTimeDiffDlg timeZone(owner->hwnd());
        timeZone.Create();
        ShowWindow(timeZone.hwnd(), SW_SHOW);
        tour.shoot("time-zone-dialog", timeZone.hwnd());
    }
    {
        ProgressWindow progress(owner->hwnd(), true, "ログファイル取得中...");
        progress.step(12, 30);
        tour.shoot("progress-window", FindWindowW(L"VantoraProgressWindow", nullptr));
    }
}

// The day's photos in a folder named as a user would name it (the windows
// show its path, and the manual shows the windows), and the day's logs
// beside it. One photo was taken at home before the logger was on (its
// match is doubtful), one in the gap between two logs, and one camera
// had no clock set.
const char* const kShootingTimes[] = {
    "2008:10:15 08:52:10", "2008:10:15 09:41:25", "2008:10:15 09:52:03", "2008:10:15 10:03:47",
    "2008:10:15 10:17:30", "2008:10:15 10:35:12", "2008:10:15 10:52:40", "2008:10:15 13:08:05",
    "2008:10:15 13:21:33", "2008:10:15 13:35:58", "    :  :     :  :  ",
};

fs::path makeWalk(const fs::path& folder, LogList& logs)
{
    fs::create_directories(folder);
    std::vector<fs::path> logFiles;
    for (const Leg& leg : kDay) {
        logFiles.push_back(folder.parent_path() / legName(leg, "_"));
        std::ofstream(logFiles.back(), std::ios::binary) << legLog(leg);
    }
    int added = 0;
    bool overlap = false;
    bool limit = false;
    loadLogFiles(logs, logFiles, added, overlap, limit);
    int number = 200;
    for (const char* time : kShootingTimes) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.JPG", number++);
        const auto bytes = demo_photo::makeDemoJpeg(time);
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    return folder;
}

const PhotoRecord& recordNamed(const CStillListDlg& window, const wchar_t* name)
{
    for (const PhotoRecord& record : window.photos()->records)
        if (record.exif.path.filename() == name)
            return record;
    throw std::runtime_error("the tour's photo is not in the list");
}

// The mouse rests on the first row (the photo taken before the logger was
// on): the list's tip says why the photo got its match.
void showReasonTip(Tour& tour, HWND photoWindow)
{
    const HWND list = GetDlgItem(photoWindow, IDC_PHOTO_LIST);
    RECT row{};
    row.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    POINT at{row.left + 60, (row.top + row.bottom) / 2};
    ClientToScreen(list, &at);
    SetForegroundWindow(photoWindow);
    SetCursorPos(at.x - 8, at.y);
    settle(300);
    SetCursorPos(at.x, at.y);
    settle(1500);
    tour.shoot("photo-window-reason-tip", photoWindow);
    SetCursorPos(0, 0);
    settle(300);
}

// Photos of the walk from a camera left on winter time, an hour behind:
// the real question the photo window asks after loading them, and Yes.
void showClockQuestion(Tour& tour, const fs::path& folder, LogList& logs)
{
    fs::create_directories(folder);
    for (const char* time : {"2008:10:15 08:41:25", "2008:10:15 08:52:03", "2008:10:15 09:03:47",
                             "2008:10:15 09:35:12", "2008:10:15 12:08:05", "2008:10:15 12:21:33"}) {
        const auto bytes = demo_photo::makeDemoJpeg(time);
        const std::string name = std::string("DSC_") + (time + 11) + ".JPG";
        std::string file;
        for (char c : name)
            if (c != ':')
                file += c;
        std::ofstream(folder / file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static Tour* shooting = nullptr;
    shooting = &tour;
    SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR timer, DWORD) {
        const HWND question = FindWindowW(L"#32770", L"Vantora GPS Utility");
        if (!question || !IsWindowVisible(question))
            return;
        KillTimer(nullptr, timer);
        shooting->shoot("clock-question", question);
        SendMessageW(question, WM_COMMAND, IDYES, 0);
    });
    WindowsUserDialogs dialogs;
    CStillListDlg photos(nullptr, dialogs);
    photos.m_pcLogList = &logs;
    photos.m_folder = folder;
    photos.Create();
    tour.shoot("photo-window-clock-taken", photos.hwnd());
}

// A camera that records raw and JPEG together, and a phone's HEIC photo,
// on the same walk: raw+JPEG pairs are two rows, and after the write each
// raw photo's sidecar is there; its detail window names it.
void showRawPhotos(Tour& tour, const fs::path& folder, LogList& logs)
{
    fs::create_directories(folder);
    const std::pair<const char*, const char*> photos[] = {
        {"2008:10:15 09:52:03", "canon_ii.cr2"}, {"2008:10:15 10:03:47", "nikon_mm.nef"},
        {"2008:10:15 10:17:30", "apple.heic"}};
    int number = 300;
    for (const auto& [time, fixture] : photos) {
        const std::string extension = fs::path(fixture).extension().string();
        const std::string stem = "DSC_0" + std::to_string(number++);
        std::string upper;
        for (char c : extension)
            upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        fs::copy_file(fs::path(RAW_FIXTURE_DIR) / fixture, folder / (stem + upper), fs::copy_options::overwrite_existing);
        if (upper != ".HEIC") {
            const auto bytes = demo_photo::makeDemoJpeg(time);
            std::ofstream(folder / (stem + ".JPG"), std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        // The raw developer's sidecar holds the shooting time on the walk.
        ExifDateTime taken{};
        std::sscanf(time, "%d:%d:%d %d:%d:%d", &taken.year, &taken.month, &taken.day, &taken.hour, &taken.minute,
                    &taken.second);
        std::ofstream(folder / (stem + (upper == ".HEIC" ? ".HEIC.xmp" : ".xmp")), std::ios::binary)
            << newSidecarText(shootingTimeProperties(taken, "+09:00"));
    }
    CStillListDlg window(nullptr, tour.dialogs_);  // answers the write's questions with OK
    window.m_pcLogList = &logs;
    window.m_folder = folder;
    window.Create();
    tour.shoot("photo-window-raw-pairs", window.hwnd());
    SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_WRITE_POSITIONS, BN_CLICKED), 0);
    CStillDetailDlg detail(window.hwnd(), copyRecord(recordNamed(window, L"DSC_0300.CR2")));
    detail.Create();
    ShowWindow(detail.hwnd(), SW_SHOW);
    tour.shoot("photo-detail-window-raw", detail.hwnd());
}

void tourPhotoWindows(Tour& tour, const fs::path& walkFolder)
{
    LogList logs;
    const auto owner = tour.importWindow();
    CStillListDlg photos(owner->hwnd(), tour.dialogs_);
    photos.m_pcLogList = &logs;
    photos.m_folder = makeWalk(walkFolder, logs);
    photos.Create();
    ShowWindow(owner->hwnd(), SW_HIDE);
    tour.shoot("photo-window-before-writing", photos.hwnd());
    showReasonTip(tour, photos.hwnd());
    {
        CAdjustShootingDateDlg shift(photos.hwnd());
        shift.Create();
        ShowWindow(shift.hwnd(), SW_SHOW);
        tour.shoot("shooting-time-dialog", shift.hwnd());
    }
    {
        CStillDetailDlg detail(photos.hwnd(), copyRecord(recordNamed(photos, L"IMG_0200.JPG")));
        detail.Create();
        ShowWindow(detail.hwnd(), SW_SHOW);
        tour.shoot("photo-detail-window-doubtful", detail.hwnd());
    }
    SendMessageW(photos.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_WRITE_POSITIONS, BN_CLICKED), 0);
    tour.shoot("photo-window-after-writing", photos.hwnd());
    {
        CStillDetailDlg detail(photos.hwnd(), copyRecord(recordNamed(photos, L"IMG_0203.JPG")));
        detail.Create();
        ShowWindow(detail.hwnd(), SW_SHOW);
        tour.shoot("photo-detail-window-written", detail.hwnd());
    }
    ShowWindow(photos.hwnd(), SW_HIDE);
    showClockQuestion(tour, walkFolder.parent_path() / L"winter", logs);
    showRawPhotos(tour, walkFolder.parent_path() / L"raw", logs);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: screenshot-tour.exe OUTPUT_FOLDER\n");
        return 2;
    }
    try {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        const vantora::test::ScopedTimeZone zone("JST-9");
        const SkinImagesInstallation skins;
        Tour tour(argv[1]);
        tourImportWindow(tour);
        tourDialogs(tour);
        // On the Wine prefix's drive C:, gone again after the tour.
        const fs::path walkRoot = L"C:\\写真";
        fs::remove_all(walkRoot);
        tourPhotoWindows(tour, walkRoot / L"2008-10-15");
        fs::remove_all(walkRoot);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "screenshot-tour: %s\n", error.what());
        return 1;
    }
    return 0;
}
