// The photo list control on a real list view under Wine: files dropped from
// the shell (a WM_DROPFILES built as the shell builds it), the rows it
// shows, the messages of a batch, and the detail window's selection rule.

#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include "controls/photo_list_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "demo_photo.h"
#include "photo/photo_list.h"
#include "photo/track_builder.h"
#include "support/scripted_dialogs.h"
#include "support/shell_drop.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"
#include "ui/list_view.h"

namespace vantora::test {
namespace {

namespace fs = std::filesystem;

const std::string kExifMessage = "Exif 2.1以降のJPEGファイルにのみ対応しています。";
const std::string kLimitMessage = "リストに登録できる写真は2000個までです。";
const std::string kDuplicateMessage = "登録済みのファイルを追加しようとしました。";
const std::wstring kRemark = L"マッチングが正しくない可能性があります。";

// The track runs from 2008-05-12 01:00:00 UTC for an hour, one fix a
// minute; photos are taken on Japanese time (UTC+9) during it. Instants
// depend on the time zone, so this is computed once the test has set it.
TimeValue trackStart()
{
    return toTimeValue(dateTime(2008, 5, 12, 1, 0, 0)).value_or(0);
}

// "2008:05:12 10:mm:ss", `second` seconds after the track's start.
std::string takenDuringTrack(int second)
{
    char text[20] = {};
    std::snprintf(text, sizeof text, "2008:05:12 10:%02d:%02d", second / 60, second % 60);
    return text;
}

// Keeps, with every question, how many rows the list showed when it was asked.
class RowCountingDialogs : public ScriptedDialogs {
public:
    HWND list = nullptr;
    std::vector<std::size_t> rowsWhenAsked;

    DialogAnswer ask(const std::string& text, DialogButtons buttons) override
    {
        rowsWhenAsked.push_back(ui::ListView(list).rowCount());
        return ScriptedDialogs::ask(text, buttons);
    }
};

class PhotoListControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        window_ = CreateWindowExW(0, L"STATIC", L"photos", WS_OVERLAPPEDWINDOW, 0, 0, 900, 600,
                                  nullptr, nullptr, nullptr, nullptr);
        list_ = CreateWindowExW(WS_EX_ACCEPTFILES, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA,
                                14, 70,
                                859, 483, window_, reinterpret_cast<HMENU>(INT_PTR{1009}), nullptr, nullptr);
        ASSERT_NE(list_, nullptr);
        ui::ListView(list_).addColumns({{L"位置情報", 60}, {L"有効性", 60}, {L"ファイル名", 90}, {L"撮影日時", 120},
                                        {L"緯度(マッチング結果)", 130}, {L"経度(マッチング結果)", 130}, {L"備考", 250}});
        dialogs_.list = list_;
        control_.Attach(list_);
        control_.m_photoList = &photos_;

        // A northward walk: one fix a minute.
        LogBuilder log(temp_.path() / "walk.log");
        for (int minute = 0; minute <= 60; ++minute)
            log.fixAt(trackStart() + 60 * minute, dms(35, minute, 0), dms(139, 45, 0));
        logs_.push_back(log.build());
    }
    void TearDown() override
    {
        control_.Detach();
        DestroyWindow(window_);
    }

    fs::path photo(const std::string& name, const std::string& taken)
    {
        const auto bytes = demo_photo::makeDemoJpeg(taken);
        return temp_.write(name, std::string(bytes.begin(), bytes.end()));
    }
    // `count` photos taken a second apart, written latest first so that the
    // list has to sort them.
    std::vector<fs::path> photos(int count, const std::string& prefix = "p")
    {
        std::vector<fs::path> paths;
        for (int i = count - 1; i >= 0; --i)
            paths.push_back(photo(prefix + std::to_string(i) + ".jpg", takenDuringTrack(i)));
        return paths;
    }
    void drop(const std::vector<fs::path>& paths)
    {
        SendMessageW(list_, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf(paths)), 0);
    }
    // Made-up photos, already in the list and shown: a year after the walk,
    // when no zone puts them on the track, so no camera clock is offered.
    void fillWithMadeUpPhotos(std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            photos_.records.push_back(photoTakenAt(trackStart() + 366 * 86400 + static_cast<TimeValue>(i),
                                                   L"C:\\made-up\\" + std::to_wstring(i) + L".jpg"));
        FillPhotoListView(list_, photos_);
    }

    std::size_t rows() const { return ui::ListView(list_).rowCount(); }
    std::wstring column(int column) const
    {
        std::wstring texts;
        for (std::size_t row = 0; row < rows(); ++row)
            texts += ui::ListView(list_).text(row, column) + L"|";
        return texts;
    }
    // Every photo of the list is shown in shooting-time order and matched.
    void expectSortedAndMatched() const
    {
        ASSERT_EQ(rows(), photos_.records.size());
        for (std::size_t i = 0; i < rows(); ++i) {
            EXPECT_EQ(ui::ListView(list_).text(i, 1), L"OK") << i;
            if (i > 0) {
                EXPECT_LT(ui::ListView(list_).text(i - 1, 3), ui::ListView(list_).text(i, 3)) << i;
            }
        }
    }

    ScopedTimeZone zone_{"JST-9"};
    TempDir temp_;
    LogList logs_;
    PhotoList photos_{logs_, UtcOffset{1, 9, 0}};
    RowCountingDialogs dialogs_;
    CCustomListCtrl control_{dialogs_};
    HWND window_ = nullptr;
    HWND list_ = nullptr;
};

using DroppedPhotos = PhotoListControl;

TEST_F(DroppedPhotos, UpToTwentyAreReadWithoutAProgressWindowAndAreSortedAndMatched)
{
    drop(photos(20));

    EXPECT_EQ(rows(), 20u);
    EXPECT_TRUE(dialogs_.progress.empty());
    EXPECT_TRUE(dialogs_.asked.empty());
    EXPECT_EQ(ui::ListView(list_).text(0, 2), L"p0.jpg");
    EXPECT_EQ(ui::ListView(list_).text(0, 3), L"2008/05/12 10:00:00");
    expectSortedAndMatched();
}

TEST_F(DroppedPhotos, TwentyOneAreReadUnderACancellableProgressWindowThatClosesBeforeAnyMessage)
{
    drop(photos(21));

    EXPECT_EQ(rows(), 21u);
    ASSERT_EQ(dialogs_.progress.size(), 1u);
    const auto& progress = *dialogs_.progress[0];
    EXPECT_TRUE(progress.cancellable);
    EXPECT_EQ(progress.caption, "画像データ取得中...");
    ASSERT_EQ(progress.steps.size(), 21u);
    EXPECT_EQ(progress.steps.back(), std::make_pair(21, 21));
    EXPECT_TRUE(progress.closed);
    EXPECT_TRUE(dialogs_.asked.empty());
    expectSortedAndMatched();
}

TEST_F(DroppedPhotos, APhotoAlreadyListedIsLeftOutAndReportedAfterTheNewOneIsShown)
{
    const fs::path first = photo("first.jpg", takenDuringTrack(10));
    drop({first});
    ASSERT_EQ(rows(), 1u);

    // The same file under other letter case is the same file on Windows.
    fs::path sameFile = first.parent_path() / L"FIRST.JPG";
    drop({sameFile, photo("second.jpg", takenDuringTrack(5))});

    EXPECT_EQ(column(2), L"second.jpg|first.jpg|");
    EXPECT_EQ(dialogs_.asked, std::vector<std::string>{kDuplicateMessage});
    EXPECT_EQ(dialogs_.rowsWhenAsked, std::vector<std::size_t>{2}) << "the rows are refreshed before the message";
}

TEST_F(DroppedPhotos, OnlyListedPhotosReadNothingAndGiveOnlyTheDuplicateMessage)
{
    const fs::path first = photo("first.jpg", takenDuringTrack(10));
    drop({first});
    fs::remove(first);  // were it read again, it would fail and bring the Exif message

    drop({first});

    EXPECT_EQ(rows(), 1u);
    EXPECT_EQ(dialogs_.asked, std::vector<std::string>{kDuplicateMessage});
}

TEST_F(DroppedPhotos, FilesOfOtherKindsAndFoldersChangeNothingAndSayNothing)
{
    drop({photo("kept.jpg", takenDuringTrack(1))});
    const fs::path folder = temp_.path() / "holiday";
    fs::create_directories(folder);

    drop({temp_.write("notes.txt", "not a photo"), folder, temp_.write("photo.jpg.bak", "old")});

    EXPECT_EQ(column(2), L"kept.jpg|");
    EXPECT_TRUE(dialogs_.asked.empty());
    EXPECT_TRUE(dialogs_.progress.empty());
}

TEST_F(DroppedPhotos, APathTooLongForTheDropBufferIsLeftOutRatherThanCut)
{
    // 259 characters and the terminating NUL fill the buffer exactly.
    const std::size_t nameLength = 259 - temp_.path().native().size() - 1 - 4;
    const fs::path longest = photo(std::string(nameLength, 'n') + ".jpg", takenDuringTrack(1));
    ASSERT_EQ(longest.native().size(), 259u);

    // Cut to the buffer, this path would name the photo above.
    drop({fs::path(longest.native() + L".jpg")});
    EXPECT_EQ(rows(), 0u);
    EXPECT_TRUE(dialogs_.asked.empty());

    drop({longest});
    EXPECT_EQ(rows(), 1u);
}

TEST_F(DroppedPhotos, AnOldExifVersionIsRefusedWithTheExifMessage)
{
    auto bytes = demo_photo::makeDemoJpeg(takenDuringTrack(3));
    const std::string version = "0230";
    auto at = std::search(bytes.begin(), bytes.end(), version.begin(), version.end());
    ASSERT_NE(at, bytes.end());
    std::copy_n("0200", 4, at);
    const fs::path old = temp_.write("old.jpg", std::string(bytes.begin(), bytes.end()));

    drop({old, photo("new.jpg", takenDuringTrack(4))});

    EXPECT_EQ(column(2), L"new.jpg|");
    EXPECT_EQ(dialogs_.asked, std::vector<std::string>{kExifMessage});
}

TEST_F(DroppedPhotos, OntoAFullListAddNothingAndGiveTheExifThenTheLimitMessage)
{
    fillWithMadeUpPhotos(kMaxPhotos);

    drop({photo("one-too-many.jpg", takenDuringTrack(1))});

    EXPECT_EQ(photos_.records.size(), kMaxPhotos);
    EXPECT_EQ(rows(), kMaxPhotos);
    EXPECT_EQ(dialogs_.asked, (std::vector<std::string>{kExifMessage, kLimitMessage}));
}

TEST_F(DroppedPhotos, UpToTheLimitAreAddedAndTheRestReported)
{
    fillWithMadeUpPhotos(kMaxPhotos - 5);

    drop(photos(10));

    EXPECT_EQ(photos_.records.size(), kMaxPhotos);
    EXPECT_EQ(rows(), kMaxPhotos);
    EXPECT_EQ(dialogs_.asked, (std::vector<std::string>{kExifMessage, kLimitMessage}));
}

TEST_F(DroppedPhotos, ACancelKeepsThePhotosReadBeforeItSortedAndMatchedWithoutTheExifMessage)
{
    dialogs_.willCancelProgressAtStep(5);

    drop(photos(25));

    // The first five dropped are the latest five.
    EXPECT_EQ(column(2), L"p20.jpg|p21.jpg|p22.jpg|p23.jpg|p24.jpg|");
    expectSortedAndMatched();
    EXPECT_TRUE(dialogs_.asked.empty());
    ASSERT_EQ(dialogs_.progress.size(), 1u);
    EXPECT_TRUE(dialogs_.progress[0]->closed);
}

TEST_F(DroppedPhotos, ACancelAfterTheLimitWasMetStillGivesTheLimitMessage)
{
    fillWithMadeUpPhotos(kMaxPhotos - 2);
    dialogs_.willCancelProgressAtStep(5);

    drop(photos(25));

    EXPECT_EQ(photos_.records.size(), kMaxPhotos);
    EXPECT_EQ(dialogs_.asked, std::vector<std::string>{kLimitMessage});
}

TEST_F(DroppedPhotos, UseTheControlsOffsetToMatch)
{
    // Taken at 10:00:30 on a clock of UTC+8 is 02:00:30 UTC: after the
    // track's last fix, so doubtful. Under UTC+9 it would be a good match.
    control_.m_offsetHours = 8;
    dialogs_.willAnswer(DialogAnswer::No);

    drop({photo("abroad.jpg", takenDuringTrack(30))});

    EXPECT_EQ(column(1), L"?|");
    // Another zone puts the photo on the track: the drop offers it (the one
    // nearest +8 of those that do), and No keeps +8.
    ASSERT_EQ(dialogs_.asked.size(), 1u);
    EXPECT_EQ(dialogs_.asked[0], "撮影時刻のタイムゾーンを +8:15 にすると、1枚のうち1枚がログの範囲に入ります"
                                 "（今は0枚）。タイムゾーンを変更しますか？");
}

TEST_F(PhotoListControl, ADropBeforeTheListIsSetIsIgnored)
{
    control_.m_photoList = nullptr;

    drop({photo("early.jpg", takenDuringTrack(1))});

    EXPECT_EQ(rows(), 0u);
    EXPECT_TRUE(dialogs_.asked.empty());
}

TEST_F(PhotoListControl, AfterDetachDropsNoLongerReachTheControl)
{
    control_.Detach();

    drop({photo("late.jpg", takenDuringTrack(1))});

    EXPECT_TRUE(photos_.records.empty());
    EXPECT_EQ(control_.hwnd(), nullptr);
}

// The rows as the photo window shows them, from records made here.
TEST_F(PhotoListControl, RowsShowTagsValidityNameTimeMatchedPositionAndRemark)
{
    PhotoRecord good = photoTakenAt(dateTime(2008, 5, 12, 10, 20, 30), L"C:\\photos\\good.jpg");
    good.exif.hasGpsTags = 1;
    good.match = fixMatch(dateTime(2008, 5, 12, 1, 20, 30), dms(35, 39, 74), dms(139, 45, 407));
    PhotoRecord doubtful = photoTakenAt(dateTime(2008, 5, 12, 11, 0, 0), L"C:\\photos\\doubtful.jpg");
    doubtful.match = fixMatch(dateTime(2008, 5, 12, 1, 59, 0), -dms(33, 0, 5), -dms(70, 12, 0));
    doubtful.doubtful = 1;
    PhotoRecord unmatched = photoTakenAt(dateTime(2008, 5, 12, 12, 0, 0), L"no-folder.jpg");
    for (PhotoRecord* record : {&good, &doubtful, &unmatched})
        photos_.records.push_back(*record);

    FillPhotoListView(list_, photos_);

    EXPECT_EQ(column(0), L"有|無|無|");
    EXPECT_EQ(column(1), L"OK|?|?|");
    EXPECT_EQ(column(2), L"good.jpg|doubtful.jpg||");
    EXPECT_EQ(column(3), L"2008/05/12 10:20:30|2008/05/12 11:00:00|2008/05/12 12:00:00|");
    EXPECT_EQ(column(4), L"北緯 35度39分7.4秒|南緯 33度0分0.5秒||");
    EXPECT_EQ(column(5), L"東経 139度45分40.7秒|西経 70度12分0.0秒||");
    EXPECT_EQ(column(6), L"|" + kRemark + L"|" + kRemark + L"|");
}

// Closes every dialog this thread opens over the test window, counting them.
class DialogWatch {
public:
    explicit DialogWatch(HWND owner)
    {
        owner_ = owner;
        opened_ = 0;
        timer_ = SetTimer(nullptr, 0, 20, tick);
    }
    ~DialogWatch() { KillTimer(nullptr, timer_); }
    int opened() const { return opened_; }

private:
    static BOOL CALLBACK close(HWND window, LPARAM)
    {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) == L"#32770" && GetWindow(window, GW_OWNER) == owner_ && IsWindowVisible(window) &&
            window != closing_) {
            closing_ = window;  // counted once, though it stays until the posted OK is handled
            ++opened_;
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
        return TRUE;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), close, 0); }

    static inline HWND owner_ = nullptr;
    static inline int opened_ = 0;
    static inline HWND closing_ = nullptr;
    UINT_PTR timer_ = 0;
};

TEST_F(PhotoListControl, TheDetailWindowOpensOnlyForExactlyOneSelectedRow)
{
    fillWithMadeUpPhotos(3);
    const DialogWatch watch(window_);

    ui::ListView(list_).select(0, true);
    ui::ListView(list_).select(2, true);
    control_.OpenPhotoDetail();
    EXPECT_EQ(watch.opened(), 0);

    ui::ListView(list_).select(0, false);
    control_.OpenPhotoDetail();  // returns once the watch has closed it
    EXPECT_EQ(watch.opened(), 1);
}

}  // namespace
}  // namespace vantora::test
