#include "unit/log_registration.h"

#include <functional>
#include <memory>

#include "unit/log_list_view.h"

namespace vantora {

namespace {

namespace fs = std::filesystem;

Registration loadWithProgress(LogList& list, UserDialogs& dialogs, const std::vector<fs::path>& paths,
                              bool showProgress, const LogSpanIndex* known)
{
    Registration result;
    std::unique_ptr<ProgressDisplay> progress;
    if (showProgress && paths.size() > kProgressThreshold)
        progress = dialogs.openProgress(false, kLoadingLogsCaption);
    StepCallback step;
    if (progress)
        step = [&progress](int position, int total) { return progress->step(position, total); };
    loadLogFiles(list, paths, result.added, result.overlapRefused, result.limitRefused, step, known);
    return result;
}

void tellRefusals(UserDialogs& dialogs, const Registration& result)
{
    if (result.overlapRefused)
        dialogs.ask(kOverlapRefusedMessage, DialogButtons::Ok);
    if (result.limitRefused)
        dialogs.ask(kLimitRefusedMessage, DialogButtons::Ok);
}

// Shows the list when a log was added, before any message.
Registration registerShown(LogList& list, UserDialogs& dialogs, const std::vector<fs::path>& paths,
                           bool showMessages, bool showProgress, const LogSpanIndex* known,
                           const std::function<void()>& showList)
{
    if (paths.empty())
        return {};
    const Registration result = loadWithProgress(list, dialogs, paths, showProgress, known);
    if (result.added > 0 && showList)
        showList();
    if (showMessages)
        tellRefusals(dialogs, result);
    return result;
}

}  // namespace

Registration registerLogFilesIn(LogList& list, UserDialogs& dialogs,
                                const std::vector<std::filesystem::path>& paths, bool showMessages,
                                bool showProgress, const LogSpanIndex* known)
{
    return registerShown(list, dialogs, paths, showMessages, showProgress, known, {});
}

Registration RegisterLogFiles(ImportWindow& window, const std::vector<std::filesystem::path>& paths,
                              LogSide side, bool showMessages, bool showProgress,
                              const LogSpanIndex* known)
{
    return registerShown(window.state.logs(side), window.dialogs, paths, showMessages, showProgress, known,
                         [&window, side] { FillLogListView(window, side); });
}

}  // namespace vantora
