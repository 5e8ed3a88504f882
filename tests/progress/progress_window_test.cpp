// The program's ProgressWindow over ProgressProc.dll: its UTF-8 caption,
// the percentage of each step and the answer to a cancel.
#include "app/progress_window.h"
#include "progress_test_windows.h"

#include <gtest/gtest.h>

#include <climits>

namespace vantora {
namespace {

TEST(ProgressPercent, isTheWholePercentageCappedAtOneHundred)
{
    const struct {
        int position, total, percent;
    } cases[] = {
        {0, 0, 0},     {5, 0, 0},   {1, 3, 33}, {20, 21, 95}, {21, 21, 100},
        {30, 20, 100}, {-1, 10, 0}, {INT_MAX, INT_MAX, 100},
        {30'000'000, 40'000'000, 75},  // position * 100 does not fit in an int
    };
    for (const auto& c : cases)
        EXPECT_EQ(progressPercent(c.position, c.total), c.percent) << c.position << "/" << c.total;
}

TEST(ProgressWindow, showsItsUtf8CaptionAndStepsUntilCancelledThenClosesWithTheObject)
{
    const test::OwnerWindow owner;
    HWND progress = nullptr;
    {
        ProgressWindow window(owner.get(), true, "画像データ取得中...");
        progress = test::progressWindowOver(owner.get());
        ASSERT_NE(progress, nullptr);
        EXPECT_EQ(test::captionText(progress), L"画像データ取得中...");
        EXPECT_FALSE(IsWindowEnabled(owner.get()));

        EXPECT_EQ(window.step(7, 40), 0);
        EXPECT_EQ(test::barPosition(progress), 17);
        EXPECT_EQ(window.step(30, 20), 0);
        EXPECT_EQ(test::barPosition(progress), 100);

        const HWND cancel = test::visibleControl(progress, WC_BUTTONW);
        ASSERT_NE(cancel, nullptr);
        SendMessageW(cancel, BM_CLICK, 0, 0);
        // Heard at the latest a few steps later, however fast they come.
        const ULONGLONG clicked = GetTickCount64();
        int position = 31;
        while (window.step(position, 40) == 0 && GetTickCount64() - clicked < 1000)
            position = position < 39 ? position + 1 : 31;
        EXPECT_LT(GetTickCount64() - clicked, 200u);
        EXPECT_EQ(window.step(32, 40), 1) << "stays cancelled";
    }
    EXPECT_FALSE(IsWindow(progress));
    EXPECT_TRUE(IsWindowEnabled(owner.get()));
}

}  // namespace
}  // namespace vantora
