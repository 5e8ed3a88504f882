#pragma once
// Registering log files into one of the import window's lists: the one way
// log paths enter a list from the window, with the window's messages and
// progress window when asked for.

#include <filesystem>
#include <vector>

#include "unit/import_window_state.h"

namespace vantora {

inline constexpr char kOverlapRefusedMessage[] = "日時に重複のあるファイルは登録できません。";
inline constexpr char kLimitRefusedMessage[] = "リストに登録できるのは1000個までです。";
inline constexpr char kLoadingLogsCaption[] = "ログファイル取得中...";

struct Registration {
    int added = 0;
    bool overlapRefused = false;
    bool limitRefused = false;
};

// Loads the paths into the list (nothing for no paths), with the progress
// window for more than kProgressThreshold paths when showProgress, and with
// showMessages tells the user once per kind of refusal.
// A log whose span `known` remembers for its unchanged file is listed
// without reading it (see loadLogFiles).
Registration registerLogFilesIn(LogList& list, UserDialogs& dialogs,
                                const std::vector<std::filesystem::path>& paths, bool showMessages,
                                bool showProgress, const LogSpanIndex* known = nullptr);

// registerLogFilesIn on the side's list of the window, refilling its view when
// a log was added (before any message).
Registration RegisterLogFiles(ImportWindow& window, const std::vector<std::filesystem::path>& paths,
                              LogSide side, bool showMessages, bool showProgress,
                              const LogSpanIndex* known = nullptr);

}  // namespace vantora
