#pragma once
// What the import window keeps and shows, as its logic sees it. The window
// owns an ImportWindowState and implements ImportWindowControls; the unit
// recognition and the log store work on these, so they run and are tested
// without a window.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "tracklog/log_list.h"
#include "tracklog/time_values.h"
#include "ui/user_dialogs.h"
#include "unit/unit_layout.h"

namespace vantora {

// The two log lists of the window: the logs on the GPS unit (left) and the
// logs known to the PC (right).
enum class LogSide { Unit, Pc };

struct ImportWindowState {
    std::filesystem::path appFolder;  // the log store; see chooseAppFolder
    UtcOffset offset;                 // the user's time zone
    std::string unitIdentifier = kDefaultUnitIdentifier;
    bool unitPresent = false;
    char unitDrive = 0;  // 'A' to 'Z' while unitPresent
    LogList unitLogs;
    LogList pcLogs;

    LogList& logs(LogSide side) { return side == LogSide::Unit ? unitLogs : pcLogs; }
    const LogList& logs(LogSide side) const { return side == LogSide::Unit ? unitLogs : pcLogs; }
};

// One row of a log list view: name, first fix and last fix.
struct LogRow {
    std::wstring name;
    std::wstring start;
    std::wstring end;
};

// The controls of the import window that its logic changes.
class ImportWindowControls {
public:
    virtual ~ImportWindowControls() = default;
    // Replaces every row of the side's list view.
    virtual void showLogRows(LogSide side, const std::vector<LogRow>& rows) = 0;
    virtual void deleteLogRow(LogSide side, std::size_t row) = 0;
    // The unit's buttons, the import arrow, the capacity label and the unit
    // list view, together.
    virtual void setUnitControlsEnabled(bool on) = 0;
    virtual void setCapacityText(const std::wstring& text) = 0;
};

// The window as its handlers hand it to the logic.
struct ImportWindow {
    ImportWindowState& state;
    ImportWindowControls& controls;
    UserDialogs& dialogs;
};

}  // namespace vantora
