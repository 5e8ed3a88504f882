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

// Lists longer than this show the progress window while they load.
inline constexpr std::size_t kProgressThreshold = 20;

struct Registration {
    int added = 0;
    bool overlapRefused = false;
    bool limitRefused = false;
};

// Loads the paths into the side's list (nothing for no paths), refills its
// view when a log was added, and with showMessages tells the user once per
// kind of refusal.
Registration RegisterLogFiles(ImportWindow& window, const std::vector<std::filesystem::path>& paths,
                              LogSide side, bool showMessages, bool showProgress);

}  // namespace vantora
