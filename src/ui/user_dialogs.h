#pragma once
// The one seam through which the program asks the user anything or shows a
// progress window. The windows hold a UserDialogs; on Windows it shows real
// message boxes and the progress window, the command-line tool answers from
// its options, and tests answer from a script and keep the texts asked.
// No Win32 here, so the logic behind the windows can use it everywhere.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantora {

enum class DialogButtons {
    Ok,
    YesNo,
    OkCancel,               // OK is the default button
    OkCancelDefaultCancel,  // the exit question: Cancel is the default button
};

enum class DialogAnswer { Ok, Cancel, Yes, No };

// A run over more items than this (logs loaded, photos read, written or
// shifted) shows the progress window; shorter runs end before it would be
// seen.
inline constexpr std::size_t kProgressThreshold = 20;

// A progress window that is open for as long as the object lives.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    // After every item: (items done, items in total). Returns 0 to go on,
    // nonzero once the user asked to cancel.
    virtual int step(int position, int total) = 0;
};

class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // A modal message box with a fixed text (UTF-8) and the given buttons.
    virtual DialogAnswer ask(const std::string& text, DialogButtons buttons) = 0;

    // Opens the progress window with its caption (UTF-8); the window closes
    // when the returned object is destroyed.
    virtual std::unique_ptr<ProgressDisplay> openProgress(bool cancellable, const std::string& caption) = 0;

    // The file-open dialog for log files, several selectable, starting in
    // the folder; the chosen files in the dialog's order, none on Cancel.
    virtual std::vector<std::filesystem::path> chooseLogFiles(const std::filesystem::path& startFolder) = 0;

    // The file-open dialog for JPEG photos, several selectable; the chosen
    // files in the dialog's order, none on Cancel.
    virtual std::vector<std::filesystem::path> choosePhotoFiles() = 0;

    // The folder browser with its title (UTF-8), opening at the folder;
    // nullopt on Cancel.
    virtual std::optional<std::filesystem::path> chooseFolder(const std::string& title,
                                                              const std::filesystem::path& startFolder) = 0;
};

}  // namespace vantora
