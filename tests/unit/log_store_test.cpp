#include "unit/log_store.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <tuple>
#include <iterator>
#include <memory>

#include "unit/import_window_fixture.h"
#include "unit/log_registration.h"

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vantora::test {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class LogStore : public ImportWindowTest {
protected:
    // The program started again on the same store: a fresh window that has
    // read the list file.
    struct NextStart {
        ImportWindowState state;
        RecordingControls controls;
    };
    std::unique_ptr<NextStart> startAgain()
    {
        auto next = std::make_unique<NextStart>();
        next->state.appFolder = state.appFolder;
        ImportWindow window{next->state, next->controls, dialogs};
        LoadPcList(window);
        return next;
    }

    // Logs on the PC, one an hour from 09:00 UTC, ten fixes each.
    std::vector<fs::path> pcLogFiles(int count, int firstHour = 0)
    {
        std::vector<fs::path> paths;
        for (int i = 0; i < count; ++i) {
            const std::string name = "pc/log" + std::to_string(firstHour + i) + ".log";
            paths.push_back(temp.write(name, logText(firstHour + i, 0, 0, 10)));
        }
        return paths;
    }
};

TEST(CreateFolderPath, CreatesEveryMissingFolderBelowTheDeepestExistingOne)
{
    TempDir temp;
    const fs::path deep = temp.path() / "a" / "b" / "c";
    EXPECT_TRUE(CreateFolderPath(deep.native() + fs::path::preferred_separator));
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_TRUE(CreateFolderPath(deep));  // already there
    EXPECT_FALSE(CreateFolderPath(""));
    EXPECT_FALSE(CreateFolderPath("no-such-relative-folder"));
    EXPECT_FALSE(fs::exists("no-such-relative-folder"));
}

TEST(AppFolder, ComesFromTheFirstLineOfKorvelDatOrIsGpsApp)
{
    TempDir program;
    const fs::path documents = program.path() / "Documents";
    const fs::path nameFile = program.path() / "korvel.dat";

    EXPECT_EQ(chooseAppFolder(documents, program.path()), documents / "Korvel" / "GPSApp");
    ASSERT_TRUE(fs::exists(nameFile)) << "a missing korvel.dat is created empty";
    EXPECT_EQ(fs::file_size(nameFile), 0u);

    program.write("korvel.dat", "Test\r\nignored\r\n");
    EXPECT_EQ(chooseAppFolder(documents, program.path()), documents / "Korvel" / "Test");
    EXPECT_EQ(contents(nameFile), "Test\r\nignored\r\n") << "never truncated";
}

TEST_F(LogStore, ListFileKeepsThePcListAcrossRuns)
{
    const auto paths = pcLogFiles(3);
    RegisterLogFiles(window, paths, LogSide::Pc, true, true);
    ASSERT_TRUE(SavePcList(state));

    std::string expected;
    for (const auto& path : paths)
        expected += path.string() + "\r\n";
    EXPECT_EQ(contents(pcListFile(state)), expected);

    const auto run = startAgain();
    const ImportWindowState& next = run->state;
    ASSERT_EQ(next.pcLogs.size(), 3u);
    EXPECT_EQ(next.pcLogs[2]->path, paths[2]);
    EXPECT_EQ(run->controls.names(LogSide::Pc), (std::vector<std::wstring>{L"log0.log", L"log1.log", L"log2.log"}));
}

// On a Japanese PC whose user folder is named "José", the list file cannot
// hold the paths in the ANSI code page: it keeps them in UTF-8 instead,
// behind a byte-order mark, and reads them back whole; a phone's GPX file
// among them too.
TEST_F(LogStore, ListFileKeepsPathsTheAnsiCodePageCannotHold)
{
    const fs::path folder(u8"Jos\u00e9 \ud55c\uad6d");
    std::vector<fs::path> paths{temp.write(folder / "log0.log", logText(0, 0, 0, 10)),
                                temp.write(folder / u8"\u5199\u771f.gpx",
                                           "<gpx><trk><trkseg><trkpt lat=\"35\" lon=\"139\">"
                                           "<time>2008-10-15T01:00:00Z</time></trkpt></trkseg></trk></gpx>")};
    paths.push_back(pcLogFiles(1, 2).front());
    RegisterLogFiles(window, paths, LogSide::Pc, true, true);
    ASSERT_TRUE(SavePcList(state));

    const auto run = startAgain();
    const ImportWindowState& next = run->state;
    ASSERT_EQ(next.pcLogs.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(next.pcLogs[i]->path, paths[i]);

    // The UTF-8 form is read on every PC, with lines as long as such a path.
    std::u8string part;
    for (int i = 0; i < 60; ++i)
        part += u8"\u5199";  // 写: 180 bytes a folder, within a name's 255
    const fs::path longLog = temp.write(fs::path(part) / part / part / "x.log", logText(5, 0, 0, 10));
    ASSERT_GT(longLog.u8string().size(), kMaxPcListLineBytes);
    const std::u8string line = longLog.u8string();
    temp.write(pcListFile(state).lexically_relative(temp.path()),
               "\xEF\xBB\xBF" + std::string(line.begin(), line.end()) + "\r\n");
    const auto thirdRun = startAgain();
    const ImportWindowState& third = thirdRun->state;
    ASSERT_EQ(third.pcLogs.size(), 1u);
    EXPECT_EQ(third.pcLogs[0]->path, longLog);
}

TEST_F(LogStore, ListFileReadingDropsRepeatsAndMissingFilesAndStopsAtAnOverlongLine)
{
    const auto paths = pcLogFiles(4);
    fs::create_directories(state.appFolder);
    // kMaxPcListLineBytes (519) is the longest line read: after a line of
    // 519 bytes the reading goes on, a line of 520 ends it.
    const std::string longest(519, 'x');
    const std::string overlong(520, 'x');
    temp.write(pcListFile(state).lexically_relative(temp.path()),
               paths[0].string() + "\r\n" + paths[0].string() + "\r\n\r\n" + (temp.path() / "gone.log").string() +
                   "\n" + paths[1].string() + "\r\n" + longest + "\r\n" + paths[3].string() + "\r\n" + overlong +
                   "\r\n" + paths[2].string() + "\r\n");

    LoadPcList(window);

    ASSERT_EQ(state.pcLogs.size(), 3u);
    EXPECT_EQ(state.pcLogs[0]->path, paths[0]);
    EXPECT_EQ(state.pcLogs[1]->path, paths[1]);
    EXPECT_EQ(state.pcLogs[2]->path, paths[3]);
    EXPECT_TRUE(dialogs.asked.empty());
}

// Without a usable documents folder the store may lie where the user
// cannot write: the user is told once at the start, instead of every copy
// and save failing in silence.
TEST_F(LogStore, AStoreThatCannotBeWrittenIsReportedOnceAtTheStart)
{
    EXPECT_TRUE(checkStoreFolder(window));
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(state.appFolder), fs::directory_iterator()), 0)
        << "the check leaves nothing behind";

    state.appFolder = temp.write("not a folder", "x");  // a file where the store should be
    EXPECT_FALSE(checkStoreFolder(window));
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{kStoreUnwritableMessage});
}

TEST_F(LogStore, EmptyListLeavesNoFileAndAFailedSaveKeepsTheOldOne)
{
    RegisterLogFiles(window, pcLogFiles(2), LogSide::Pc, false, false);
    ASSERT_TRUE(SavePcList(state));
    const std::string saved = contents(pcListFile(state));

    // The new list cannot be written beside the old one: the old one stays whole.
    fs::create_directories(pcListFile(state).native() + fs::path(".new").native());
    removeAt(state.pcLogs, 0);
    EXPECT_FALSE(SavePcList(state));
    EXPECT_EQ(contents(pcListFile(state)), saved);
    fs::remove(pcListFile(state).native() + fs::path(".new").native());

    removeAll(state.pcLogs);
    EXPECT_TRUE(SavePcList(state));
    EXPECT_FALSE(fs::exists(pcListFile(state)));
    LoadPcList(window);
    EXPECT_TRUE(state.pcLogs.empty());
}

TEST_F(LogStore, RegisteringTellsEachKindOfRefusalOnceWhenAskedTo)
{
    const auto paths = pcLogFiles(2);
    RegisterLogFiles(window, paths, LogSide::Pc, true, true);
    EXPECT_TRUE(dialogs.asked.empty());
    const int fillsBefore = controls.fills[LogSide::Pc];

    auto again = paths;
    again.push_back(temp.write("pc/overlapping.log", logText(0, 0, 5, 10)));
    const Registration result = RegisterLogFiles(window, again, LogSide::Pc, true, true);
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{"日時に重複のあるファイルは登録できません。"});
    EXPECT_EQ(controls.fills[LogSide::Pc], fillsBefore) << "nothing added, nothing refilled";

    RegisterLogFiles(window, again, LogSide::Pc, false, true);
    EXPECT_EQ(dialogs.asked.size(), 1u) << "silent without messages";
}

TEST_F(LogStore, RegisteringAFullListSaysSoAfterTheOverlap)
{
    for (std::size_t i = 0; i < kMaxLogFiles; ++i) {
        auto log = std::make_unique<LogFileRecord>();
        ExifDateTime time{};
        time.year = 2001;
        time.month = 1;
        time.day = 1;
        time.hour = 0;
        time.second = static_cast<int>(i % 60);
        time.minute = static_cast<int>(i / 60);
        log->appendPoint(TrackPoint{.time = time}, *toTimeValue(time));
        state.pcLogs.push_back(std::move(log));
    }
    const auto paths = pcLogFiles(1);
    const auto overlapping = temp.write("pc/same.log", logText(0, 0, 5, 3, "010101"));
    RegisterLogFiles(window, {overlapping, paths[0]}, LogSide::Pc, true, false);
    EXPECT_EQ(dialogs.asked, (std::vector<std::string>{"日時に重複のあるファイルは登録できません。",
                                                       "リストに登録できるのは1000個までです。"}));
}

TEST_F(LogStore, RegisteringMoreThanTwentyShowsProgressOnlyWhenAskedFor)
{
    RegisterLogFiles(window, pcLogFiles(21), LogSide::Pc, true, false);
    EXPECT_TRUE(dialogs.progress.empty());
    removeAll(state.pcLogs);
    RegisterLogFiles(window, pcLogFiles(20), LogSide::Pc, true, true);
    EXPECT_TRUE(dialogs.progress.empty());
    removeAll(state.pcLogs);
    RegisterLogFiles(window, pcLogFiles(21), LogSide::Pc, true, true);
    ASSERT_EQ(dialogs.progress.size(), 1u);
    EXPECT_EQ(dialogs.progress[0]->steps.back(), std::make_pair(20, 21));
    EXPECT_EQ(state.pcLogs.size(), 21u);
}

// A start lists unchanged logs from the spans kept beside the list file and
// reads changed and new ones: the rows, the refusals and the fixes are those
// of a start that reads every file, and a log whose file goes away later
// says so instead of giving fixes.
TEST_F(LogStore, ANextStartListsUnchangedLogsFromTheirSpans)
{
    auto paths = pcLogFiles(4);
    RegisterLogFiles(window, paths, LogSide::Pc, false, false);
    ASSERT_TRUE(SavePcList(state));
    const fs::path spans = fs::path(pcListFile(state)).replace_filename(kLogSpanIndexFileName);
    ASSERT_TRUE(fs::exists(spans));

    // Between the runs: one log rewritten (another day), one removed, and one
    // the list names that the kept spans do not know.
    temp.write("pc/log1.log", logText(1, 0, 0, 10, "161008"));
    fs::last_write_time(paths[1], fs::last_write_time(paths[1]) + std::chrono::seconds(10));
    fs::remove(paths[2]);
    paths.push_back(temp.write("pc/new.log", logText(20, 0, 0, 10)));
    paths.push_back(temp.write("pc/overlaps.log", logText(20, 0, 5, 10)));
    std::string list = contents(pcListFile(state));
    for (std::size_t i = 4; i < paths.size(); ++i)
        list += paths[i].string() + "\r\n";
    std::ofstream(pcListFile(state), std::ios::binary) << list;

    const auto fromSpans = startAgain();
    fs::rename(spans, spans.string() + ".away");
    const auto readWhole = startAgain();
    fs::rename(spans.string() + ".away", spans);
    const auto rowsOf = [](NextStart& run) -> const std::vector<LogRow>& { return run.controls.rows[LogSide::Pc]; };
    ASSERT_EQ(rowsOf(*fromSpans).size(), 4u);
    ASSERT_EQ(rowsOf(*readWhole).size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const LogRow& a = rowsOf(*fromSpans)[i];
        const LogRow& b = rowsOf(*readWhole)[i];
        EXPECT_EQ(std::tie(a.name, a.start, a.end), std::tie(b.name, b.start, b.end));
        const LogFileRecord& lazy = *fromSpans->state.pcLogs[i];
        const LogFileRecord& whole = *readWhole->state.pcLogs[i];
        EXPECT_FALSE(lazy.pointsInMemory());
        ASSERT_EQ(lazy.points().size(), whole.points().size());
        for (std::size_t k = 0; k < lazy.points().size(); ++k)
            EXPECT_TRUE(samePoint(lazy.points()[k], whole.points()[k]));
    }
    EXPECT_EQ(rowsOf(*fromSpans)[3].name, L"log1.log") << "read again: it moved to its new day";

    // The spans are what was listed: a file of the same size and time is
    // not read again, and one gone after the start gives no fixes.
    const auto stamp = fs::last_write_time(paths[0]);
    temp.write("pc/log0.log", std::string(fs::file_size(paths[0]), 'x'));
    fs::last_write_time(paths[0], stamp);
    const auto again = startAgain();
    ASSERT_EQ(again->state.pcLogs.size(), 4u);
    EXPECT_TRUE(again->state.pcLogs[0]->points().empty());
    EXPECT_TRUE(again->state.pcLogs[0]->pointsUnavailable());
}

// A kill while the spans are written leaves the old spans or the new ones.
TEST_F(LogStore, KeptSpansSurviveAKillWhileTheyAreWritten)
{
#ifdef _WIN32
    GTEST_SKIP() << "the same one-step replacement as the list file; the kill needs fork";
#else
    RegisterLogFiles(window, pcLogFiles(24), LogSide::Pc, false, false);
    ASSERT_TRUE(SavePcList(state));
    const fs::path spans = fs::path(pcListFile(state)).replace_filename(kLogSpanIndexFileName);
    for (int kill = 0; kill < 20; ++kill) {
        const pid_t child = fork();
        if (child == 0) {
            while (true)
                saveLogSpans(state);
        }
        usleep(static_cast<useconds_t>(500 + kill * 397 % 3000));
        ::kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        EXPECT_EQ(LogSpanIndex::fromText(contents(spans)).size(), 24u) << "kill " << kill;
    }
#endif
}

}  // namespace
}  // namespace vantora::test
