#pragma once
// What the window tests share: Google Earth as the stand-in program for one
// test, and waiting for a file another process writes.

#include <windows.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "controls/skinned_drawing.h"

namespace vantora::test {

// The file's bytes once it exists (at most ten seconds' wait).
inline std::string readWhenWritten(const std::filesystem::path& file)
{
    for (int waited = 0; waited < 10000 && !std::filesystem::exists(file); waited += 50)
        Sleep(50);
    Sleep(100);
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Google Earth as the stand-in googleearth.exe for one test: copied into a
// folder of the test, registered as "Google Earth", reporting its command
// line there, with the temporary folder (where the KML goes) there too.
class GoogleEarthStandIn {
public:
    explicit GoogleEarthStandIn(const std::filesystem::path& folder) : folder_(folder)
    {
        std::filesystem::create_directories(folder / L"Google Earth");
        std::filesystem::copy_file(FAKE_GOOGLE_EARTH_PATH, folder / L"Google Earth" / L"googleearth.exe");
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, entryPath().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
        set(key, L"DisplayName", L"Google Earth");
        set(key, L"InstallLocation", (folder / L"Google Earth").wstring());
        RegCloseKey(key);
        SetEnvironmentVariableW(L"VANTORA_FAKE_GE_OUT", report().c_str());
        SetEnvironmentVariableW(L"TMP", folder.c_str());
    }
    ~GoogleEarthStandIn()
    {
        SetEnvironmentVariableW(L"VANTORA_FAKE_GE_OUT", nullptr);
        SetEnvironmentVariableW(L"TMP", nullptr);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, entryPath().c_str());
    }
    GoogleEarthStandIn(const GoogleEarthStandIn&) = delete;
    GoogleEarthStandIn& operator=(const GoogleEarthStandIn&) = delete;

    // The KML file Google Earth was started with, as one argument; empty
    // when it was not started so.
    std::string kmlHandedOver() const
    {
        const std::string line = readWhenWritten(report());
        if (line.rfind("2\n", 0) != 0)
            return {};
        return readWhenWritten(std::filesystem::u8path(line.substr(2)));
    }

private:
    std::filesystem::path report() const { return folder_ / L"report.txt"; }
    static std::wstring entryPath()
    {
        return L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VantoraWindowTest" +
               std::to_wstring(GetCurrentProcessId());
    }
    static void set(HKEY key, const wchar_t* name, const std::wstring& value)
    {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    std::filesystem::path folder_;
};

inline std::string utf8Of(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// A caption that needs more room than its control, as "window: caption
// (needs N px, has M px)".
inline std::string captionMisfit(const char* window, const wchar_t* caption, LONG needed, LONG room)
{
    return std::string(window) + ": " + utf8Of(caption) + " (needs " + std::to_string(needed) + " px, has " +
           std::to_string(room) + " px)";
}

// The static texts and push buttons of a window whose caption does not fit
// the control, measured with the control's own font as the control draws
// it (static texts wrap, so they are measured by the height they need).
inline std::vector<std::string> captionsThatDoNotFit(const char* window, HWND dialog)
{
    std::vector<std::string> found;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        wchar_t kind[16] = {};
        GetClassNameW(control, kind, 16);
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        // A text that ends with an ellipsis is cut on purpose, as its style says.
        const bool text = _wcsicmp(kind, L"Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT &&
                          (style & SS_ELLIPSISMASK) == 0;
        const bool push = _wcsicmp(kind, L"Button") == 0 && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
        wchar_t caption[256] = {};
        // Shown controls by their own style, so that a window not on screen is checked too.
        if ((!text && !push) || !(style & WS_VISIBLE) || GetWindowTextW(control, caption, 256) == 0)
            continue;
        RECT room{};
        GetClientRect(control, &room);
        if (push)  // the text stays clear of the button's edges
            InflateRect(&room, -GetSystemMetrics(SM_CXEDGE), 0);
        const bool wraps = text || (style & BS_MULTILINE);
        RECT needed{0, 0, room.right - room.left, 0};
        const HDC dc = GetDC(control);
        const HGDIOBJ before = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
        DrawTextW(dc, caption, -1, &needed, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, before);
        ReleaseDC(control, dc);
        if (needed.right > room.right - room.left)
            found.push_back(captionMisfit(window, caption, needed.right, room.right - room.left));
        else if (needed.bottom > room.bottom - room.top)
            found.push_back(captionMisfit(window, caption, needed.bottom, room.bottom - room.top) + " high");
    }
    return found;
}

// Where a painted text's lines land: DrawTextW measured with the painting's
// font; DT_VCENTER without DT_SINGLELINE does nothing, so they start at the
// top of the rectangle.
inline RECT paintedTextLines(HWND window, const vantora::PaintedText& painted)
{
    const RECT& area = painted.area;
    RECT lines{0, 0, area.right - area.left, 0};
    const HDC dc = GetDC(window);
    {
        vantora::CaptionTextScope font(dc, painted.font, RGB(0, 0, 0));
        DrawTextW(dc, painted.text, -1, &lines, DT_CALCRECT | (painted.flags & DT_WORDBREAK));
    }
    ReleaseDC(window, dc);
    const LONG left = (painted.flags & DT_CENTER) ? (area.left + area.right - lines.right) / 2 : area.left;
    return RECT{left, area.top, left + lines.right, area.top + lines.bottom};
}

// A text the window paints itself that is cut: wider than its rectangle
// (DrawTextW clips to it), running past the rectangle or the window's edges,
// or lying under one of the window's visible controls.
inline std::vector<std::string> paintedTextMisfits(const char* window, HWND hwnd, const vantora::PaintedText& painted)
{
    RECT room{};
    GetClientRect(hwnd, &room);
    InflateRect(&room, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    IntersectRect(&room, &room, &painted.area);
    const RECT lines = paintedTextLines(hwnd, painted);
    std::vector<std::string> found;
    if (lines.left < room.left || lines.right > room.right)
        found.push_back(captionMisfit(window, painted.text, lines.right - lines.left, room.right - room.left));
    else if (lines.bottom > room.bottom)
        found.push_back(captionMisfit(window, painted.text, lines.bottom - lines.top, room.bottom - lines.top) +
                        " high");
    for (HWND control = GetWindow(hwnd, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        RECT place{}, overlap{};
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&place), 2);
            if ((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) && IntersectRect(&overlap, &lines, &place))
            found.push_back(std::string(window) + ": " + utf8Of(painted.text) + " under control " +
                            std::to_string(GetDlgCtrlID(control)) + " by " +
                            std::to_string(overlap.bottom - overlap.top) + " px");
    }
    return found;
}

// The DPI the test prefix gives its screen (tools/wine-run.sh --dpi): its
// LogPixels, 96 where none is set.
inline int configuredDpi()
{
    DWORD dpi = 0;
    DWORD size = sizeof dpi;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", RRF_RT_REG_DWORD, nullptr, &dpi,
                     &size) != ERROR_SUCCESS ||
        dpi == 0)
        return 96;
    return static_cast<int>(dpi);
}

// A pixel value given for 96 dpi as it is at `dpi`: times dpi / 96, rounded
// to the nearest pixel (halves up: 5 px are 8 px at 144 dpi).
inline LONG atDpi(int pixels, int dpi)
{
    return std::lround(pixels * dpi / 96.0);
}

// A control's place in its window's client area at 96 dpi.
struct ControlAt {
    int id;
    int x, y, width, height;
};

// The controls not at their place scaled to `dpi`, as "window: control ID
// at x, y, width x height".
inline std::vector<std::string> misplacedControls(const char* window, HWND dialog, std::span<const ControlAt> controls,
                                                  int dpi)
{
    std::vector<std::string> found;
    for (const ControlAt& control : controls) {
        RECT place{};
        GetWindowRect(GetDlgItem(dialog, control.id), &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        if (place.left != atDpi(control.x, dpi) || place.top != atDpi(control.y, dpi) ||
            place.right - place.left != atDpi(control.width, dpi) ||
            place.bottom - place.top != atDpi(control.height, dpi))
            found.push_back(std::string(window) + ": control " + std::to_string(control.id) + " at " +
                            std::to_string(place.left) + ", " + std::to_string(place.top) + ", " +
                            std::to_string(place.right - place.left) + " x " +
                            std::to_string(place.bottom - place.top));
    }
    return found;
}

// How often the part stands in the text.
template <typename Text>
std::size_t countOfText(const Text& text, const Text& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != Text::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}
inline std::size_t countOf(const std::string& text, const std::string& part) { return countOfText(text, part); }
inline std::size_t countOf(const std::wstring& text, const std::wstring& part) { return countOfText(text, part); }

}  // namespace vantora::test
