// The photo window at its limit, under Wine: 2000 photos and a day's
// track, in one of two sets:
//   camera  photos of the demo's layout with 256 KiB of image data, and the
//           day in 1000 logs of GGA and RMC;
//   nikon   44 KB photos laid out as an older Nikon SLR writes them (Motorola
//           order, maker note, thumbnail), and the day in one 24-hour log
//           with GSA and GSV sentences (made by the script with nmea-gen).
// It loads the folder (with the progress window) and writes every position,
// as a user would with the real window; the Windows command-line tool then
// matches and writes copies of the same photos, so that the ratio shows
// what the window itself costs.
//
// Usage: photo_window_bench.exe prepare WORK_FOLDER SET
//        photo_window_bench.exe window WORK_FOLDER
//        photo_window_bench.exe tool WORK_FOLDER VANTORA_GPS_EXE
// (the script syncs the disk in between, so that what one step wrote does
// not slow down the next).

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/user_dialogs_windows.h"
#include "controls/skin_images.h"
#include "demo_photo.h"
#include "nikon_photo.h"
#include "res/resource.h"
#include "support/nmea_text.h"
#include "support/scripted_dialogs.h"
#include "support/time_zone.h"
#include "ui/list_view.h"
#include "windows/photo_window.h"

namespace {

namespace fs = std::filesystem;
using namespace vantora;

constexpr int kPhotos = 2000;
constexpr int kLogs = 1000;
constexpr int kSecondsPerLog = 86;  // 1000 logs of 86 s: the whole day
constexpr std::size_t kScanBytes = 256 * 1024;

// ---------------------------------------------------------------- the data

std::string dayLog(int index)
{
    std::string text;
    for (int i = 0; i < kSecondsPerLog; ++i) {
        const int t = index * kSecondsPerLog + i;
        char time[16];
        std::snprintf(time, sizeof time, "%02d%02d%02d.000", t / 3600, t / 60 % 60, t % 60);
        char latitude[16];
        std::snprintf(latitude, sizeof latitude, "35%07.4f", 10.0 + t / 8640.0);
        text += test::gga(time, latitude) + "\r\n" + test::rmc(time, "151008") + "\r\n";
    }
    return text;
}

// A camera's photo: the demo photo's Exif block and scan data of the size
// a small camera file has, stuffed as real scan data is.
std::vector<unsigned char> cameraPhoto(const std::string& shootingTime)
{
    const auto demo = demo_photo::makeDemoJpeg(shootingTime);
    std::vector<unsigned char> jpeg(demo.begin(), demo.end() - 2);
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < kScanBytes; ++i) {
        state = state * 1103515245u + 12345u;
        const auto b = static_cast<unsigned char>(state >> 23);
        jpeg.push_back(b);
        if (b == 0xFF)
            jpeg.push_back(0x00);
    }
    jpeg.insert(jpeg.end(), demo.end() - 2, demo.end());
    return jpeg;
}

std::vector<unsigned char> photoOfSet(const std::string& set, const std::string& shootingTime)
{
    return set == "nikon" ? bench::nikonPhoto(shootingTime) : cameraPhoto(shootingTime);
}

// The day's photos, one every 43 s from 09:00:30 Japan time, in both folders.
void makePhotos(const std::string& set, const std::vector<fs::path>& folders)
{
    for (const fs::path& folder : folders)
        fs::create_directories(folder);
    for (int i = 0; i < kPhotos; ++i) {
        const int t = 30 + i * 43;
        char time[24];
        std::snprintf(time, sizeof time, "2008:10:%02d %02d:%02d:%02d", 15 + (9 + t / 3600) / 24, (9 + t / 3600) % 24,
                      t / 60 % 60, t % 60);
        const auto bytes = photoOfSet(set, time);
        char name[24];
        std::snprintf(name, sizeof name, "DSC%05d.JPG", i);
        for (const fs::path& folder : folders)
            std::ofstream(folder / name, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
}

std::vector<fs::path> makeLogs(const fs::path& folder)
{
    fs::create_directories(folder);
    std::vector<fs::path> logs;
    for (int i = 0; i < kLogs; ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "log%04d.log", i);
        logs.push_back(folder / name);
        std::ofstream(logs.back(), std::ios::binary) << dayLog(i);
    }
    return logs;
}

// ---------------------------------------------------------------- timing

template <typename Work>
double timed(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Lets the windows paint what is waiting.
void paintEverything()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Questions are answered OK at once (no message box waits for a person);
// the progress windows are the program's own.
class BenchDialogs : public test::ScriptedDialogs {
public:
    std::unique_ptr<ProgressDisplay> openProgress(bool cancellable, const std::string& caption) override
    {
        return real_.openProgress(cancellable, caption);
    }

private:
    WindowsUserDialogs real_;
};

struct WindowTimes {
    double load = 0, write = 0;
    std::size_t rows = 0;
};

WindowTimes timeThePhotoWindow(const std::vector<fs::path>& logFiles, const fs::path& photos)
{
    LogList logs;
    int added = 0;
    bool overlap = false, limit = false;
    loadLogFiles(logs, logFiles, added, overlap, limit);
    BenchDialogs dialogs;
    CStillListDlg window(nullptr, dialogs);
    window.m_pcLogList = &logs;
    window.m_folder = photos;
    window.m_offset = UtcOffset{1, 9, 0};
    WindowTimes times;
    times.load = timed([&] {
        window.Create();
        ShowWindow(window.hwnd(), SW_SHOW);
        RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        paintEverything();
    });
    times.rows = ui::ListView(GetDlgItem(window.hwnd(), IDC_PHOTO_LIST)).rowCount();
    times.write = timed([&] {
        SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_WRITE_POSITIONS, BN_CLICKED), 0);
        paintEverything();
    });
    return times;
}

// Runs the command-line tool to its end, its output into a file as a
// script would take it.
double timeTheTool(const fs::path& tool, const std::wstring& arguments, const fs::path& output)
{
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    const HANDLE out = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    std::wstring command = L"\"" + tool.native() + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    const double seconds = timed([&] {
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
            WaitForSingleObject(process.hProcess, INFINITE);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    });
    CloseHandle(out);
    return seconds;
}

void prepare(const fs::path& work, const std::string& set)
{
    fs::remove_all(work / L"window");
    fs::remove_all(work / L"tool");
    if (set == "camera") {
        fs::remove_all(work / L"logs");
        makeLogs(work / L"logs");
    }
    makePhotos(set, {work / L"window", work / L"tool"});
}

void measureTheWindow(const fs::path& work)
{
    std::vector<fs::path> logs;
    for (const auto& entry : fs::directory_iterator(work / L"logs"))
        logs.push_back(entry.path());
    std::sort(logs.begin(), logs.end());
    const WindowTimes window = timeThePhotoWindow(logs, work / L"window");
    std::printf("window rows %d load %.2f write %.2f\n", static_cast<int>(window.rows), window.load, window.write);
}

void measureTheTool(const fs::path& work, const fs::path& tool)
{
    const std::wstring given = L"--utc-offset +09 --log \"" + (work / L"logs").native() + L"\" \"" +
                               (work / L"tool").native() + L"\"";
    const double load = timeTheTool(tool, L"match " + given, work / L"match.txt");
    const double write = timeTheTool(tool, L"write " + given, work / L"write.txt");
    std::printf("tool load %.2f write %.2f\n", load, write);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring step = argc > 1 ? argv[1] : L"";
    const bool known = (step == L"prepare" && argc == 4) || (step == L"window" && argc == 3) ||
                       (step == L"tool" && argc == 4);
    if (!known) {
        std::fprintf(stderr, "usage: photo_window_bench.exe prepare WORK_FOLDER camera|nikon\n"
                             "       photo_window_bench.exe window WORK_FOLDER\n"
                             "       photo_window_bench.exe tool WORK_FOLDER VANTORA_GPS_EXE\n");
        return 2;
    }
    try {
        if (step == L"prepare") {
            prepare(argv[2], std::wstring(argv[3]) == L"nikon" ? "nikon" : "camera");
        } else if (step == L"tool") {
            measureTheTool(argv[2], argv[3]);
        } else {
            INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
            InitCommonControlsEx(&controls);
            const test::ScopedTimeZone zone("JST-9");
            const SkinImagesInstallation skins;
            measureTheWindow(argv[2]);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "photo_window_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
