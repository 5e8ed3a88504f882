#include "unit/log_registration.h"

#include "unit/log_list_view.h"

namespace vantora {

Registration RegisterLogFiles(ImportWindow& window, const std::vector<std::filesystem::path>& paths,
                              LogSide side, bool showMessages, bool showProgress)
{
    Registration result;
    if (paths.empty())
        return result;
    LogList& list = window.state.logs(side);
    if (showProgress && paths.size() > kProgressThreshold) {
        const auto progress = window.dialogs.openProgress(false, kLoadingLogsCaption);
        loadLogFiles(list, paths, result.added, result.overlapRefused, result.limitRefused,
                     [&](int position, int total) { return progress->step(position, total); });
    } else {
        loadLogFiles(list, paths, result.added, result.overlapRefused, result.limitRefused);
    }
    if (result.added > 0)
        FillLogListView(window, side);
    if (showMessages && result.overlapRefused)
        window.dialogs.ask(kOverlapRefusedMessage, DialogButtons::Ok);
    if (showMessages && result.limitRefused)
        window.dialogs.ask(kLimitRefusedMessage, DialogButtons::Ok);
    return result;
}

}  // namespace vantora
