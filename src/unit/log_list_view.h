#pragma once
// The rows of the import window's two log list views: row i is record i of
// the list, which the delete, clear and Google Earth commands rely on.

#include <vector>

#include "unit/import_window_state.h"

namespace vantora {

// The rows of a list: the file name (in the unit view the name the store
// copy gets, "20081015_093000.log"), and the first and last fix on the
// user's clock, "08/10/15 09:30:00".
std::vector<LogRow> logListRows(const LogList& logs, LogSide side, const UtcOffset& offset);

// The one way a log list view of the import window is filled.
void FillLogListView(ImportWindow& window, LogSide side);

}  // namespace vantora
