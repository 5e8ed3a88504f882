#include "unit/log_list_view.h"

#include <system_error>

namespace vantora {

namespace {

std::wstring rowName(const LogFileRecord& log, LogSide side)
{
    const auto name = side == LogSide::Unit ? storeNameOf(log.path) : log.path.filename();
    try {
        return name.wstring();
    } catch (const std::system_error&) {
        return L"?";  // a Linux file name that is not UTF-8
    }
}

}  // namespace

std::vector<LogRow> logListRows(const LogList& logs, LogSide side, const UtcOffset& offset)
{
    std::vector<LogRow> rows;
    rows.reserve(logs.size());
    for (const auto& log : logs) {
        rows.push_back({rowName(*log, side), formatLocalDateTime(log->firstPoint().time, offset),
                        formatLocalDateTime(log->lastPoint().time, offset)});
    }
    return rows;
}

void FillLogListView(ImportWindow& window, LogSide side)
{
    window.controls.showLogRows(side, logListRows(window.state.logs(side), side, window.state.offset));
}

}  // namespace vantora
