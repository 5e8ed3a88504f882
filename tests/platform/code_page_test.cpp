#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "tracklog/track_point.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantora {
namespace {

TEST(PositionTexts, readAsJapaneseWhenShown)
{
    TrackPoint p{};
    fillAxis(p, Axis::latitude, 35, 39, 7.404, 'N');
    fillAxis(p, Axis::longitude, 139, 45, 40.734, 'W');
    EXPECT_EQ(platform::cp932ToUtf8(p.latitudeText), std::string("北緯 35度39分7.4秒"));
    EXPECT_EQ(platform::cp932ToUtf8(p.longitudeText), std::string("西経 139度45分40.7秒"));
}

#ifdef _WIN32
TEST(WindowsEnvironment, runsWithTheJapaneseAnsiCodePage)
{
    // The test wrapper selects a Japanese locale, as a user's PC has.
    EXPECT_EQ(GetACP(), 932u);
}

TEST(AnsiPaths, convertJapaneseNamesExactly)
{
    const auto ansi = platform::toAnsiPath(L"C:\\\x5199\x771F\\\x6771\x4EAC.jpg");  // 写真\東京
    ASSERT_TRUE(ansi);
    EXPECT_EQ(*ansi, "C:\\\x8E\xCA\x90\x5E\\\x93\x8C\x8B\x9E.jpg");
}

TEST(AnsiPaths, refuseNamesThatWouldOpenAnotherFile)
{
    EXPECT_FALSE(platform::toAnsiPath(L"C:\\caf\x00E9.jpg"));          // é: best fit would give e
    EXPECT_FALSE(platform::toAnsiPath(L"C:\\\xD83D\xDE00.jpg"));       // an emoji
    EXPECT_FALSE(platform::toAnsiPath(L"C:\\\x4E02.jpg"));             // a CJK ideograph not in 932
    EXPECT_TRUE(platform::toAnsiPath(L"C:\\plain.jpg"));
}
#else
TEST(AnsiPaths, areTheUtf8BytesOnLinux)
{
    EXPECT_EQ(platform::toAnsiPath(std::filesystem::path(u8"/写真/東京.jpg")), "/写真/東京.jpg");
}
#endif

}  // namespace
}  // namespace vantora
