// ProgressProc.dll as the program uses it: by ordinals 2 to 7 only, on a
// real window under Wine with a display.
#include "progress_test_windows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace vantora {
namespace {

using test::OwnerWindow;
using test::progressWindowOver;
using test::visibleControl;

// ログファイル取得中... in code page 932.
const char kLogCaption932[] =
    "\x83\x8d\x83\x4f\x83\x74\x83\x40\x83\x43\x83\x8b\x8e\xe6\x93\xbe\x92\x86...";

HMODULE library()
{
    static const HMODULE module = LoadLibraryW(L"ProgressProc.dll");
    return module;
}

template <typename Function>
Function ordinal(int number)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(
        GetProcAddress(library(), MAKEINTRESOURCEA(number))));
}

class ProgressProcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(open && close && setPosition && mayContinue && setCancellable && setText)
            << "ProgressProc.dll is missing beside the test program, or an ordinal";
    }
    void TearDown() override
    {
        // A failed test must not leave its window to the next one.
        for (int tries = 0; tries < 4 && progressWindowOver(owner.get()) != nullptr; ++tries)
            close();
    }

    // Ordinals 2, 6 and 7 as the program calls them before the work.
    HWND openOver(HWND window, int cancellable)
    {
        open(0, window);
        setCancellable(cancellable);
        setText(1, kLogCaption932);
        return progressWindowOver(GetAncestor(window, GA_ROOT));
    }

    int(WINAPI* const open)(int, HWND) = ordinal<decltype(open)>(2);
    void(WINAPI* const close)() = ordinal<decltype(close)>(3);
    void(WINAPI* const setPosition)(int, int, int) = ordinal<decltype(setPosition)>(4);
    int(WINAPI* const mayContinue)() = ordinal<decltype(mayContinue)>(5);
    void(WINAPI* const setCancellable)(int) = ordinal<decltype(setCancellable)>(6);
    void(WINAPI* const setText)(int, const char*) = ordinal<decltype(setText)>(7);
    OwnerWindow owner;
};

TEST(ProgressProcExports, areOrdinalsTwoToSevenWithoutAnyName)
{
    const auto* base = reinterpret_cast<const BYTE*>(library());
    ASSERT_NE(base, nullptr);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD address =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
    ASSERT_NE(address, 0u);
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + address);
    EXPECT_EQ(exports->Base, 2u);
    EXPECT_EQ(exports->NumberOfFunctions, 6u);
    EXPECT_EQ(exports->NumberOfNames, 0u);
    EXPECT_EQ(GetProcAddress(library(), MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_EQ(GetProcAddress(library(), MAKEINTRESOURCEA(8)), nullptr);
    EXPECT_EQ(GetProcAddress(library(), "ProgressOpen"), nullptr);
}

TEST_F(ProgressProcTest, callsWithoutAWindowDoNothingAndNeverAskToStop)
{
    setPosition(1, 50, 100);
    setCancellable(1);
    setText(1, kLogCaption932);
    close();
    EXPECT_NE(mayContinue(), 0);
    EXPECT_EQ(progressWindowOver(owner.get()), nullptr);

    // Nor does a second close after a whole run, or a null caption.
    ASSERT_NE(openOver(owner.get(), 1), nullptr);
    setText(1, nullptr);
    close();
    close();
    EXPECT_NE(mayContinue(), 0);
    EXPECT_TRUE(IsWindowEnabled(owner.get()));
}

TEST_F(ProgressProcTest, showsTheCaptionAndPositionCentredOverTheDisabledOwner)
{
    const HWND progress = openOver(owner.get(), 0);
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(IsWindowEnabled(owner.get()));
    EXPECT_EQ(test::captionText(progress), L"ログファイル取得中...");
    EXPECT_EQ(visibleControl(progress, WC_BUTTONW), nullptr) << "no Cancel button for flag 0";
    RECT ownerRect{};
    RECT progressRect{};
    GetWindowRect(owner.get(), &ownerRect);
    GetWindowRect(progress, &progressRect);
    EXPECT_NEAR(progressRect.left + progressRect.right, ownerRect.left + ownerRect.right, 2);
    EXPECT_NEAR(progressRect.top + progressRect.bottom, ownerRect.top + ownerRect.bottom, 2);

    const struct {
        int position, maximum, shown;
    } cases[] = {{40, 100, 40}, {250, 100, 100}, {-5, 100, 0}, {3, 0, 3}};
    for (const auto& c : cases) {
        setPosition(1, c.position, c.maximum);
        EXPECT_EQ(test::barPosition(progress), c.shown) << c.position << " of " << c.maximum;
    }
    EXPECT_NE(mayContinue(), 0);
    EXPECT_FALSE(IsWindowEnabled(owner.get())) << "the pump must not let the owner loose";

    close();
    EXPECT_FALSE(IsWindow(progress));
    EXPECT_TRUE(IsWindowEnabled(owner.get()));
}

TEST_F(ProgressProcTest, cancelButtonStopsTheWorkUntilTheWindowCloses)
{
    const HWND progress = openOver(owner.get(), 1);
    ASSERT_NE(progress, nullptr);
    const HWND cancel = visibleControl(progress, WC_BUTTONW);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(test::textOf(cancel), L"キャンセル");

    setPosition(1, 30, 100);
    EXPECT_NE(mayContinue(), 0);
    SendMessageW(cancel, BM_CLICK, 0, 0);
    EXPECT_EQ(mayContinue(), 0);
    setPosition(1, 40, 100);
    EXPECT_EQ(mayContinue(), 0) << "a cancel must stay asked for";

    close();
    ASSERT_NE(openOver(owner.get(), 1), nullptr);
    EXPECT_NE(mayContinue(), 0) << "the next window starts without a cancel";
}

TEST_F(ProgressProcTest, closeBoxAsksToCancelOnlyWhenTheWorkCanStop)
{
    const HWND fixed = openOver(owner.get(), 0);
    ASSERT_NE(fixed, nullptr);
    PostMessageW(fixed, WM_CLOSE, 0, 0);
    PostMessageW(fixed, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_NE(mayContinue(), 0);
    EXPECT_TRUE(IsWindowVisible(fixed)) << "only the program closes the window";
    close();

    const HWND stoppable = openOver(owner.get(), 1);
    ASSERT_NE(stoppable, nullptr);
    PostMessageW(stoppable, WM_CLOSE, 0, 0);
    EXPECT_EQ(mayContinue(), 0);
    EXPECT_TRUE(IsWindowVisible(stoppable));
}

// A control as the owner, and a second open from inside the work (a message
// handler run by the pump), must still leave the whole window disabled
// until the outer work ends.
TEST_F(ProgressProcTest, topLevelOwnerStaysDisabledUntilTheLastClose)
{
    const HWND child = CreateWindowExW(0, WC_BUTTONW, L"child", WS_CHILD | WS_VISIBLE, 10, 10, 80,
                                       24, owner.get(), nullptr, nullptr, nullptr);
    const HWND progress = openOver(child, 0);
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(IsWindowEnabled(owner.get()));
    ASSERT_NE(open(0, owner.get()), 0);
    EXPECT_EQ(progressWindowOver(owner.get()), progress);

    close();
    EXPECT_TRUE(IsWindowVisible(progress));
    EXPECT_FALSE(IsWindowEnabled(owner.get()));
    close();
    EXPECT_FALSE(IsWindow(progress));
    EXPECT_TRUE(IsWindowEnabled(owner.get()));
}

// A control's place in its window's client area, and its font's height.
struct ControlLook {
    RECT place;
    LONG fontHeight;
};

ControlLook lookOf(HWND control)
{
    ControlLook look{};
    GetWindowRect(control, &look.place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&look.place), 2);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    look.fontHeight = font.lfHeight;
    return look;
}

LONG timesRatio(LONG value, int to, int from)
{
    return static_cast<LONG>(std::lround(value * static_cast<double>(to) / from));
}

// Moved to a screen of half as many dots per inch again (Wine sends no
// WM_DPICHANGED: the test sends it), the window takes the rectangle Windows
// suggests, and its caption and button a font of that DPI at their places
// scaled to it; moved back, it is as it was.
TEST_F(ProgressProcTest, followsItsWindowToAScreenOfAnotherDpi)
{
    const HWND progress = openOver(owner.get(), 1);
    ASSERT_NE(progress, nullptr);
    const HWND caption = visibleControl(progress, WC_STATICW);
    const HWND cancel = visibleControl(progress, WC_BUTTONW);
    const HDC screen = GetDC(nullptr);
    const int from = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int to = from * 3 / 2;
    const ControlLook captionBefore = lookOf(caption);
    const ControlLook cancelBefore = lookOf(cancel);

    RECT suggested{50, 40, 50 + 600, 40 + 220};
    SendMessageW(progress, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(progress, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    for (const auto& [control, before] : {std::pair{caption, captionBefore}, std::pair{cancel, cancelBefore}}) {
        const ControlLook after = lookOf(control);
        EXPECT_EQ(after.place.left, timesRatio(before.place.left, to, from));
        EXPECT_EQ(after.place.top, timesRatio(before.place.top, to, from));
        EXPECT_EQ(after.place.right - after.place.left, timesRatio(before.place.right - before.place.left, to, from));
        EXPECT_EQ(after.place.bottom - after.place.top, timesRatio(before.place.bottom - before.place.top, to, from));
        EXPECT_EQ(after.fontHeight, timesRatio(before.fontHeight, to, from));
    }

    SendMessageW(progress, WM_DPICHANGED, MAKEWPARAM(from, from), reinterpret_cast<LPARAM>(&suggested));
    const RECT captionBack = lookOf(caption).place;
    EXPECT_TRUE(EqualRect(&captionBack, &captionBefore.place));
    EXPECT_EQ(lookOf(cancel).fontHeight, cancelBefore.fontHeight);
}

TEST_F(ProgressProcTest, anOwnerDestroyedDuringTheWorkStopsItWithoutHarm)
{
    const HWND progress = [&] {
        const OwnerWindow doomed;
        return openOver(doomed.get(), 1);
    }();
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(IsWindow(progress));
    setPosition(1, 50, 100);
    setText(1, kLogCaption932);
    EXPECT_EQ(mayContinue(), 0);
    close();

    ASSERT_NE(openOver(owner.get(), 1), nullptr);
    EXPECT_NE(mayContinue(), 0);
}

}  // namespace
}  // namespace vantora
