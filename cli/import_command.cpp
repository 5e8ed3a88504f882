// vantora-gps import: the import arrow of the program, from a folder laid
// out like the GPS unit into a log store.

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <system_error>
#include <utility>

#include "commands.h"
#include "console_dialogs.h"
#include "platform/unit_drives.h"
#include "unit/log_list_view.h"
#include "unit/log_store.h"
#include "unit/unit_detection.h"
#include "unit/unit_layout.h"
#include "unit/unit_logs.h"

namespace vantora::cli {

namespace {

struct ImportOptions {
    std::optional<std::filesystem::path> unit;
    std::optional<std::filesystem::path> store;
    bool deleteVerified = false;
    bool help = false;
};

std::optional<std::string> parseImportOptions(const std::vector<Argument>& args, ImportOptions& options)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i].text;
        const bool hasValue = i + 1 < args.size();
        if (word == "--help" || word == "-h") {
            options.help = true;
        } else if (word == "--unit" && hasValue) {
            options.unit = args[++i].path;
        } else if (word == "--store" && hasValue) {
            options.store = args[++i].path;
        } else if (word == "--delete-verified") {
            options.deleteVerified = true;
        } else {
            return "unexpected " + displayName(args[i].path);
        }
    }
    if (!options.help && !options.unit)
        return "no unit folder given (--unit DIR)";
    if (!options.help && !options.store)
        return "no store folder given (--store DIR)";
    return std::nullopt;
}

// The list views of the window, kept to be printed.
class KeptRows : public ImportWindowControls {
public:
    void showLogRows(LogSide side, const std::vector<LogRow>& newRows) override { rows[side] = newRows; }
    void deleteLogRow(LogSide side, std::size_t row) override
    {
        if (row < rows[side].size())
            rows[side].erase(rows[side].begin() + static_cast<std::ptrdiff_t>(row));
    }
    void setUnitControlsEnabled(bool) override {}
    void setCapacityText(const std::wstring&) override {}

    std::map<LogSide, std::vector<LogRow>> rows;
};

// The --unit folder as the one drive of the machine, and the GPS unit on it.
class FolderAsUnit : public UnitDrives {
public:
    explicit FolderAsUnit(std::filesystem::path folder) : folder_(std::move(folder)) {}

    bool isRemovable(char letter) override { return letter == kLetter; }
    bool isUnit(char letter, const std::string&) override { return letter == kLetter; }
    std::filesystem::path root(char) override { return folder_; }
    // The tool shows no capacity, so it never asks the folder's volume.
    std::optional<std::uint64_t> freeBytes(char) override { return std::nullopt; }

private:
    static constexpr char kLetter = 'U';
    std::filesystem::path folder_;
};

bool fileExists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// What became of one unit log, for the report.
struct UnitLogFate {
    std::filesystem::path unitLog;
    bool inStoreBefore = false;
};

bool isSafeInStore(const ImportWindowState& state, const UnitLogFate& fate)
{
    // A log is deleted only once its copy was verified.
    return !fileExists(fate.unitLog) || hasVerifiedStoreCopy(state, fate.unitLog);
}

std::string describe(const ImportWindowState& state, const UnitLogFate& fate)
{
    const bool deleted = !fileExists(fate.unitLog);
    const bool verified = isSafeInStore(state, fate);
    std::string text = !verified            ? "NOT COPIED (a different file has its name in the store, or the store cannot be written)"
                       : fate.inStoreBefore ? "already in the store"
                                            : "copied";
    if (verified)
        text += deleted ? ", deleted from the unit" : ", kept on the unit";
    return text;
}

std::string utf8(const std::wstring& text)
{
    return displayName(std::filesystem::path(text));
}

void printRows(const std::vector<LogRow>& rows, std::ostream& out)
{
    for (const LogRow& row : rows)
        out << utf8(row.name) << "\t" << utf8(row.start) << "\t" << utf8(row.end) << "\n";
}

}  // namespace

void printImportUsage(std::ostream& out)
{
    out << "usage: vantora-gps import --unit DIR --store DIR [--delete-verified]\n"
           "\n"
           "Copies the logs of a folder laid out like the GPS unit (date folders\n"
           "YYYYMMDD holding HHMMSS.log files) into the store's \"log\" folder as\n"
           "YYYYMMDD_HHMMSS.log, never overwriting a file there, and registers them in\n"
           "the store's PC list (the file \"appData\"), as the program's import arrow\n"
           "does. With --delete-verified the logs whose copy in the store holds exactly\n"
           "the same bytes are then deleted from the unit folder; the others stay.\n"
           "Prints what became of each log, then the PC list (name, first and last fix\n"
           "in Japan time); the program's messages go to standard error.\n"
           "\n"
           "Exit status: 0 when every log of the unit is safely in the store, 1 when\n"
           "some could not be copied or the list could not be saved, 2 for a usage error.\n";
}

int runImportCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err)
{
    ImportOptions options;
    if (const auto error = parseImportOptions(args, options)) {
        err << "vantora-gps: " << *error << "\n";
        printImportUsage(err);
        return kExitUsage;
    }
    if (options.help) {
        printImportUsage(out);
        return kExitOk;
    }
    ImportWindowState state;
    // The list file names the copies by full paths.
    std::error_code error;
    state.appFolder = std::filesystem::absolute(*options.store, error);
    if (error)
        state.appFolder = *options.store;
    KeptRows rows;
    ConsoleDialogs dialogs(err, options.deleteVerified ? DialogAnswer::Yes : DialogAnswer::No);
    ImportWindow window{state, rows, dialogs};
    LoadPcList(window);

    FolderAsUnit unit(*options.unit);
    scanForUnitAtStart(window, unit);
    // Counted apart from the scan, which loads what it can without a word.
    const std::size_t unitLogCount = ListUnitLogs(*options.unit).size();
    if (state.unitLogs.size() < unitLogCount)
        err << "vantora-gps: " << unitLogCount - state.unitLogs.size()
            << " log(s) of the unit hold no usable fix or overlap another; they are left alone\n";

    std::vector<UnitLogFate> fates;
    for (const auto& log : state.unitLogs)
        fates.push_back({log->path, fileExists(storeCopyOf(state, log->path))});
    importUnitLogs(window);

    bool allSafe = true;
    for (const UnitLogFate& fate : fates) {
        allSafe = allSafe && isSafeInStore(state, fate);
        out << displayName(storeNameOf(fate.unitLog)) << "\t" << describe(state, fate) << "\n";
    }
    out << "\nPC list (" << state.pcLogs.size() << " logs):\n";
    printRows(logListRows(state.pcLogs, LogSide::Pc, state.offset), out);
    if (!SavePcList(state)) {
        err << "vantora-gps: the PC list could not be saved in " << displayName(pcListFile(state)) << "\n";
        return kExitSomeFailed;
    }
    return allSafe ? kExitOk : kExitSomeFailed;
}

}  // namespace vantora::cli
